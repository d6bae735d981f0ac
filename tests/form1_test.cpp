#include "card.h"
#include "form1.h"
#include "ink.h"
#include "picturebox.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTest>

#include <cmath>

using namespace pairon12;

namespace {

// The layout as a player measures it: 65-pixel squares on a 64-pixel pitch from
// (104, 72), the X in the middle one.
QRect square(int cell) { return {104 + 64 * ((cell - 1) % 5), 72 + 64 * ((cell - 1) / 5), 65, 65}; }
int cellOf(int pos) { return pos < 13 ? pos : pos + 1; }

// The captions and the boxes around the grid, as the layout puts them.
const QRect Instruction(8, 160, 81, 81), Tentativi(32, 416, 97, 25), Secondi(104, 24, 169, 25);
const QRect Text1(296, 24, 57, 25), Text2(152, 416, 41, 25), Ancora(312, 424, 81, 25);

double contrast(QRgb a, QRgb b) // from relative luminance, as the web's guidelines reckon it
{
    auto luminance = [](QRgb rgb) {
        auto linear = [](int v) { return v <= 10 ? v / 3294.6 : std::pow((v / 255.0 + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb)) + 0.05;
    };
    return std::max(luminance(a), luminance(b)) / std::min(luminance(a), luminance(b));
}

// Where a box of a picture of the window differs from the ground.
QRect inkIn(const QImage &shot, QRect box, QRgb ground)
{
    QRect ink;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x)
            ink |= shot.pixel(x, y) != ground ? QRect(x, y, 1, 1) : QRect();
    }
    return ink;
}

bool shows(const QImage &shot, QRect box, const QColor &colour)
{
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            if (shot.pixel(x, y) == colour.rgb())
                return true;
        }
    }
    return false;
}

// A desktop's colours: a ground, black or white text as the ground asks, and greyed text.
QPalette desktop(QRgb ground, QColor greyed, QColor text = {})
{
    QPalette colours{QColor(ground), QColor(ground)};
    for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
        colours.setColor(QPalette::Disabled, role, greyed);
        if (text.isValid())
            colours.setColor(QPalette::Active, role, text);
    }
    return colours;
}

// A game in the window on a deal in deck order, where card p and card p + 12 form a pair,
// and a clock that moves only when told.
struct Table {
    explicit Table(const QString &platform = QStringLiteral("offscreen"))
        : form([this] { return now; }, [] { return Game::UniformSource([] { return 0.0; }); }, platform)
    {}
    double now = 100;
    Form1 form;
    QWidget *ancora = form.findChild<QWidget *>("Command1");

    bool shown()
    {
        form.show();
        return QTest::qWaitForWindowActive(&form);
    }
    Card *card(int pos) const { return form.findChild<Card *>("Label" + QString::number(cellOf(pos))); }
    void click(QPoint at) { QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, at); }
    void turn(int pos) { click(square(cellOf(pos)).center()); }
    QList<int> up() const
    {
        QList<int> shown;
        for (int pos = 1; pos <= 24; ++pos) {
            if (card(pos)->face()->isVisible())
                shown << pos;
        }
        return shown;
    }
    void pauseTimerFiresAfter(double seconds)
    {
        now += seconds;
        auto *timer = form.findChild<QTimer *>("pauseTimer");
        timer->stop();
        QMetaObject::invokeMethod(timer, "timeout");
    }
    void findEveryPair()
    {
        for (int pos = 1; pos <= 12; ++pos) {
            turn(pos);
            turn(pos + 12);
        }
    }
    void key(QEvent::Type type, Qt::Key key, quint64 timestamp, bool repeat = false)
    {
        QKeyEvent event(type, key, Qt::NoModifier, key == Qt::Key_Space ? " " : "\r", repeat);
        event.setTimestamp(timestamp);
        QCoreApplication::sendEvent(form.windowHandle(), &event);
    }
};

} // namespace

class Form1Test : public QObject
{
    Q_OBJECT

private slots:
    // Only a face-down card turns, and only where it shows; a failed pair stays up for its
    // half second, even when the timer fires a hair early.
    void clicksTurnCardsAndAFailedPairWaits()
    {
        Table table;
        QVERIFY(table.shown());
        table.click(square(13).center()); // the X
        QCOMPARE(table.up(), QList<int>());
        table.click({168, 100}); // on the edge that cards 1 and 2 share: the right-hand one
        QCOMPARE(table.up(), QList<int>{2});
        table.turn(2);           // again
        table.click({232, 100}); // the edge of card 3 that card 2's face covers
        QCOMPARE(table.up(), QList<int>{2});
        table.turn(3); // not its pair
        QCOMPARE(table.up(), (QList<int>{2, 3}));
        table.pauseTimerFiresAfter(0.499);
        QCOMPARE(table.up(), (QList<int>{2, 3}));
        table.pauseTimerFiresAfter(0.001);
        QCOMPARE(table.up(), QList<int>());
    }

    // After 37.9 s, the twelfth pair shows the whole seconds and the attempts in their boxes,
    // the captions whole and on their lines, and "Ancora". A screen reader finds each box
    // read-only, named by its caption; what an assistive tool writes there is undone.
    void theEndShowsTheResultsWhereTheLayoutPutsThem()
    {
        Table table;
        QVERIFY(table.shown());
        table.now += 37.9;
        table.findEveryPair();
        for (auto [name, caption, number] :
             {std::tuple("Text1", "Secondi impiegati", "37"), {"Text2", "Tentativi", "12"}}) {
            QAccessibleInterface *box =
                QAccessible::queryAccessibleInterface(table.form.findChild<QLineEdit *>(name));
            box->setText(QAccessible::Value, "999");
            QVERIFY(box->state().readOnly && box->text(QAccessible::Name) == caption);
            QCOMPARE(box->text(QAccessible::Value), number);
        }
        const QImage shot = table.form.grab().toImage();
        const QRgb ground = shot.pixel(0, 0);
        for (auto [box, lines] : {std::pair(Instruction, 3), {Tentativi, 1}, {Secondi, 1}}) {
            const QRect ink = inkIn(shot, box, ground);
            QVERIFY2(box.adjusted(0, 0, -1, -1).contains(ink) && ink.height() > 15 * (lines - 1),
                     "a caption is cut off, or not on its lines");
        }
        for (QRect box : {Text1, Text2, Ancora}) // their grounds stand apart from the window's
            QVERIFY2(inkIn(shot, box.adjusted(-1, -1, 1, 1), ground) == box,
                     "a box of the results is not where the layout puts it");
    }

    void aHeldKeyPressesOnce_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<bool>("held");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QList<int>>("turned");
        QTest::newRow("Enter held on Ancora on Wayland deals once")
            << Qt::Key_Return << true << QStringLiteral("wayland") << QList<int>();
        QTest::newRow("Space held on Ancora on Windows deals once")
            << Qt::Key_Space << true << QStringLiteral("windows") << QList<int>();
        QTest::newRow("Enter held on busy X11 deals once")
            << Qt::Key_Return << true << QStringLiteral("xcb") << QList<int>();
        QTest::newRow("Enter again at once on Windows turns the first card")
            << Qt::Key_Return << false << QStringLiteral("windows") << QList<int>{1};
    }

    // At the end, a key on "Ancora" deals anew and the first card takes the keyboard. Held
    // down, the key's repeats turn nothing, also where X11 sends them as releases and presses
    // of one timestamp that Qt could not mark; let go and pressed again at once, as some
    // keyboards on screen do, with no time between, it turns the first card. The window
    // takes the rule of the platform Qt names.
    void aHeldKeyPressesOnce()
    {
        QFETCH(Qt::Key, key);
        QFETCH(bool, held);
        QFETCH(QString, platform);
        QFETCH(QList<int>, turned);
        const bool x11 = platform == QLatin1String("xcb");
        Table table(platform);
        QVERIFY(table.shown());
        table.findEveryPair();
        table.key(QEvent::KeyPress, key, 1000);
        for (quint64 repeat = 1; held && repeat <= 30; ++repeat) {
            table.key(QEvent::KeyRelease, key, 1000 + repeat, !x11);
            table.key(QEvent::KeyPress, key, 1000 + repeat, !x11);
        }
        table.key(QEvent::KeyRelease, key, 2000);
        if (!held) {
            table.key(QEvent::KeyPress, key, 2000);
            table.key(QEvent::KeyRelease, key, 2016);
        }
        QVERIFY(!table.ancora->isVisible());
        QCOMPARE(table.form.focusWidget(), table.card(1));
        QCOMPARE(table.up(), turned);
    }

    void theRingAndTheBorderAtEachScale_data()
    {
        QTest::addColumn<qreal>("scale");
        for (const qreal scale : {1.0, 1.25, 1.5, 1.75, 2.0})
            QTest::addRow("%d %%", qRound(scale * 100)) << scale;
    }

    // The keyboard's ring, shown by a key, is as wide on every side of its card in whole
    // pixels at the player's scale; the card's border is one logical pixel.
    void theRingAndTheBorderAtEachScale()
    {
        QFETCH(qreal, scale);
        Table table;
        QVERIFY(table.shown());
        QTest::keyClick(table.form.windowHandle(), Qt::Key_Home);
        QPixmap drawn(QSize(65, 65) * scale);
        drawn.setDevicePixelRatio(scale);
        table.card(1)->render(&drawn);
        QCOMPARE(drawn.transformed(QTransform().rotate(90)).toImage(), drawn.toImage());
        const QImage card = drawn.toImage();
        int border = 0;
        while (card.pixel(border, card.height() / 2) == card.pixel(0, card.height() / 2))
            ++border;
        QCOMPARE(border, qRound(scale));
    }

    void thePlayersColoursRead_data()
    {
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<bool>("outlined");
        QTest::newRow("Fusion light") << QApplication::palette() << false;
        QTest::newRow("dark grey") << desktop(0x424245, 0x808080) << true;
        QTest::newRow("mid grey") << desktop(0x818181, 0xbebebe) << true;
        QTest::newRow("white on black") << desktop(0x000000, 0x3ff23f) << false;
        QTest::newRow("black on white") << desktop(0xffffff, 0x600000) << false;
        QTest::newRow("translucent greyed text") << desktop(0x000000, QColor(255, 255, 255, 80)) << false;
        QTest::newRow("text that cannot read") << desktop(0x777777, 0x7a7a7a, 0x808080) << true;
    }

    // Made from the palette the player chooses while the window is up: every caption and
    // result reads at 4.5 : 1 on its ground as drawn, lines, the ring and the X at 3 : 1;
    // the X stays red, outlined only where red alone does not read. And that is what the
    // window draws.
    void thePlayersColoursRead()
    {
        QFETCH(QPalette, palette);
        QFETCH(bool, outlined);
        const auto restore = qScopeGuard([was = QApplication::palette()] { QApplication::setPalette(was); });
        Table table;
        QVERIFY(table.shown());
        QApplication::setPalette(palette);
        const Colours colours = coloursFor(QApplication::palette(), std::nullopt);
        auto reads = [](const QColor &colour, const QColor &ground, double ratio) {
            return colour.alpha() == 255 && contrast(colour.rgb(), ground.rgb()) >= ratio;
        };
        QVERIFY(reads(colours.caption, colours.ground, 4.5));
        QVERIFY(reads(colours.greyedCaption, colours.ground, 4.5));
        QVERIFY(reads(colours.digits, colours.resultsGround, 4.5));
        QVERIFY(reads(colours.line, colours.ground, 3));
        QVERIFY(reads(colours.ring, colours.ground, 3) && reads(colours.ringTone, colours.ring, 3));
        QCOMPARE(colours.cross, QColor(Qt::red));
        QCOMPARE(colours.crossOutline.isValid(), outlined);
        QVERIFY(reads(outlined ? colours.crossOutline : colours.cross, colours.ground, 3));

        table.findEveryPair();
        QTest::keyClick(table.form.windowHandle(), Qt::Key_Home);
        const QImage shot = table.form.grab().toImage();
        QCOMPARE(shot.pixel(0, 0), colours.ground.rgb());
        QVERIFY(shows(shot, Secondi, colours.greyedCaption));
        QCOMPARE(shot.pixel(Text1.right() - 4, Text1.center().y()), colours.resultsGround.rgb());
        QVERIFY(shows(shot, Text1, colours.digits));
        QCOMPARE(shot.pixel(square(13).left(), square(13).center().y()), colours.line.rgb());
        QVERIFY(shows(shot, square(1), colours.ring) && shows(shot, square(1), colours.ringTone));
        QVERIFY(shows(shot, square(13), colours.cross));
        QVERIFY(!outlined || shows(shot, square(13).adjusted(2, 2, -2, -2), colours.crossOutline));
    }

    // Windows' High Contrast Black: its own greyed text, a bright green that Qt's palette
    // mixes away to grey, on the scroll bar's black track, where Qt's palette has only
    // the white of a 3-D edge.
    void aHighContrastSchemesColoursAreDrawnAsTheyAre()
    {
        const QColor green(63, 242, 63);
        QPalette palette = desktop(0x000000, 0x808080);
        palette.setColor(QPalette::Midlight, Qt::white);
        const Colours colours = coloursFor(palette, HighContrastColours{green, QColor(Qt::black)});
        QCOMPARE(colours.greyedCaption, green);
        QCOMPARE(colours.resultsGround, QColor(Qt::black));
        QCOMPARE(colours.digits, green);
    }

    void keysMoveAndTurnCards_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("turned");
        QTest::newRow("Left at the left edge stays") << 11 << Qt::Key_Left << 11 << false;
        QTest::newRow("Up at the top edge stays") << 5 << Qt::Key_Up << 5 << false;
        QTest::newRow("Right at the right edge stays") << 10 << Qt::Key_Right << 10 << false;
        QTest::newRow("Down at the bottom edge stays") << 22 << Qt::Key_Down << 22 << false;
        QTest::newRow("Right over the X") << 12 << Qt::Key_Right << 13 << false;
        QTest::newRow("Down over the X") << 8 << Qt::Key_Down << 17 << false;
        QTest::newRow("Home to the first card") << 17 << Qt::Key_Home << 1 << false;
        QTest::newRow("End to the last card") << 3 << Qt::Key_End << 24 << false;
        QTest::newRow("Tab on to the next card") << 12 << Qt::Key_Tab << 13 << false;
        QTest::newRow("Tab from the last card to the first") << 24 << Qt::Key_Tab << 1 << false;
        QTest::newRow("Shift+Tab from the first card to the last") << 1 << Qt::Key_Backtab << 24 << false;
        QTest::newRow("Space turns the card") << 7 << Qt::Key_Space << 7 << true;
        QTest::newRow("Enter turns the card") << 7 << Qt::Key_Return << 7 << true;
        QTest::newRow("Enter on the keypad turns the card") << 7 << Qt::Key_Enter << 7 << true;
        QTest::newRow("Ctrl+R is left to the browser") << 7 << Qt::Key_R << 7 << false;
    }

    void keysMoveAndTurnCards()
    {
        QFETCH(int, from);
        QFETCH(Qt::Key, key);
        QFETCH(int, to);
        QFETCH(bool, turned);
        Table table;
        QVERIFY(table.shown());
        table.card(from)->setFocus();
        QKeyEvent press(QEvent::KeyPress, key,
                        key == Qt::Key_Backtab ? Qt::ShiftModifier
                        : key == Qt::Key_R     ? Qt::ControlModifier
                                               : Qt::NoModifier);
        QCoreApplication::sendEvent(table.form.windowHandle(), &press);
        QCOMPARE(press.isAccepted(), key != Qt::Key_R); // what the game takes, a browser leaves to it
        QCOMPARE(table.form.focusWidget(), table.card(to));
        QCOMPARE(table.up(), turned ? QList<int>{to} : QList<int>());
        // Minimised and restored, the window keeps the keyboard where the player left it.
        table.form.setWindowState(Qt::WindowMinimized);
        table.form.setWindowState(Qt::WindowNoState);
        QCOMPARE(table.form.focusWidget(), table.card(to));
    }

    // On a player's dark card every face keeps its outline, whatever the scale of the
    // screen: each of its pixels that meets the card is opaque and stands out from it 3:1.
    void facesKeepTheirOutlineOnADarkCard()
    {
        const Form1 form;
        const QRgb card = qRgb(0x42, 0x42, 0x45);
        for (int image = 26; image <= 37; ++image) {
            const Picture &face = form.findChild<PictureBox *>("Image" + QString::number(image))->picture();
            for (const qreal scale : {1.0, 1.25, 1.5, 1.75, 2.0, 3.0}) {
                const QImage drawn = face->pixmap(square(1).size(), scale).toImage();
                auto clear = [&drawn](int x, int y) {
                    return drawn.valid(x, y) && qAlpha(drawn.pixel(x, y)) == 0;
                };
                int unseen = 0;
                for (int y = 0; y < drawn.height(); ++y) {
                    for (int x = 0; x < drawn.width(); ++x) {
                        const QRgb pixel = drawn.pixel(x, y);
                        if (!clear(x, y)
                            && (clear(x - 1, y) || clear(x + 1, y) || clear(x, y - 1) || clear(x, y + 1)))
                            unseen += qAlpha(pixel) < 255 || contrast(pixel, card) < 3 ? 1 : 0;
                    }
                }
                QVERIFY2(unseen == 0,
                         qPrintable(QString("%1 at %2: %3 pixels").arg(face->name()).arg(scale).arg(unseen)));
            }
        }
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
