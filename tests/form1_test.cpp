#include "card.h"
#include "form1.h"
#include "picturebox.h"

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

Card *card(const Form1 &form, int pos)
{
    return form.findChild<Card *>("Label" + QString::number(cellOf(pos)));
}

// Every draw takes the deck's first letter: card p and card p + 12 form a pair.
const Game::Seeder InDeckOrder = [] { return Game::UniformSource([] { return 0.0; }); };

double contrast(QRgb a, QRgb b) // from relative luminance, as the web's guidelines reckon it
{
    auto luminance = [](QRgb rgb) {
        auto linear = [](int v) { return v <= 10 ? v / 3294.6 : std::pow((v / 255.0 + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb)) + 0.05;
    };
    return std::max(luminance(a), luminance(b)) / std::min(luminance(a), luminance(b));
}

// The captions and the boxes around the grid, as the layout puts them.
const QRect Instruction(8, 160, 81, 81), Tentativi(32, 416, 97, 25), Secondi(104, 24, 169, 25);
const QRect Text1(296, 24, 57, 25), Text2(152, 416, 41, 25), Ancora(312, 424, 81, 25);

// What differs from the ground in a box of a picture of the window: where it lies, and
// the most it stands out.
struct Ink {
    QRect bounds;
    double contrast = 1;
};
Ink inkIn(const QImage &shot, QRect box, QRgb ground)
{
    Ink ink;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            if (shot.pixel(x, y) != ground) {
                ink.bounds |= QRect(x, y, 1, 1);
                ink.contrast = std::max(ink.contrast, contrast(shot.pixel(x, y), ground));
            }
        }
    }
    return ink;
}

// A desktop's colours: a ground, black or white text as the ground asks, and greyed text.
QPalette desktop(QRgb ground, QRgb greyed)
{
    QPalette colours{QColor(ground), QColor(ground)};
    for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        colours.setColor(QPalette::Disabled, role, greyed);
    return colours;
}

} // namespace

class Form1Test : public QObject
{
    Q_OBJECT

private slots:
    void aGameInThePlayersColours_data()
    {
        QTest::addColumn<QPalette>("colours");
        QTest::addColumn<qreal>("scale");
        QTest::newRow("Fusion light, 125 %") << QApplication::palette() << 1.25;
        QTest::newRow("dark grey, 150 %") << desktop(0x424245, 0x808080) << 1.5;
        QTest::newRow("mid grey, 175 %") << desktop(0x818181, 0xbebebe) << 1.75;
        QTest::newRow("white on black, 200 %") << desktop(0x000000, 0x3ff23f) << 2.0;
        QTest::newRow("black on white, 100 %") << desktop(0xffffff, 0x600000) << 1.0;
    }

    // A whole game by clicks, in colours the player chooses while the window is up, on a
    // deal in deck order and a clock that moves only when told. At the end the captions
    // and the results read, where the layout puts them. Then Enter, held down on "Ancora",
    // deals once and its repeats turn nothing; the keyboard's ring on the first card reads
    // on it and, drawn at the player's scale, is as wide on each side.
    void aGameInThePlayersColours()
    {
        QFETCH(QPalette, colours);
        QFETCH(qreal, scale);
        const auto restore = qScopeGuard([was = QApplication::palette()] { QApplication::setPalette(was); });
        double now = 100;
        Form1 form([&now] { return now; }, InDeckOrder);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QApplication::setPalette(colours);
        auto click = [&form](QPoint at) { QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, at); };
        auto up = [&form] {
            QList<int> shown;
            for (int pos = 1; pos <= 24; ++pos) {
                if (card(form, pos)->face()->isVisible())
                    shown << pos;
            }
            return shown;
        };
        auto *timer = form.findChild<QTimer *>("pauseTimer");
        auto timerFiresAfter = [&](double seconds) {
            now += seconds;
            timer->stop();
            QMetaObject::invokeMethod(timer, "timeout");
        };
        auto *ancora = form.findChild<QWidget *>("Command1");

        click(square(13).center()); // the X
        click({60, 200});           // the instruction
        click({500, 20});           // the window's ground
        QCOMPARE(up(), QList<int>());
        click({168, 100}); // on the edge that cards 1 and 2 share: the right-hand one
        QCOMPARE(up(), QList<int>{2});
        click({200, 100}); // card 2 again
        click({232, 100}); // the edge of card 3 that card 2's face covers
        QCOMPARE(up(), QList<int>{2});
        click(square(3).center()); // not its pair
        QCOMPARE(up(), (QList<int>{2, 3}));
        timerFiresAfter(0.499); // a hair early: the pause goes on
        QCOMPARE(up(), (QList<int>{2, 3}));
        QVERIFY(timer->isActive());
        timerFiresAfter(0.001);
        QCOMPARE(up(), QList<int>());

        now += 37.4;
        for (int pos = 1; pos <= 12; ++pos) {
            QVERIFY(!ancora->isVisible());
            click(square(cellOf(pos)).center());
            click(square(cellOf(pos + 12)).center());
        }
        QCOMPARE(up().size(), 24);
        QCOMPARE(form.findChild<QLineEdit *>("Text1")->text(), "37");
        QCOMPARE(form.findChild<QLineEdit *>("Text2")->text(), "13");
        QCOMPARE(form.focusWidget(), ancora);

        const QImage shot = form.grab().toImage();
        const QRgb ground = shot.pixel(0, 0);
        for (auto [box, lines] : {std::pair(Instruction, 3), {Tentativi, 1}, {Secondi, 1}}) {
            const Ink ink = inkIn(shot, box, ground);
            QVERIFY2(ink.contrast >= 4.5, "a caption does not read");
            QVERIFY2(box.adjusted(0, 0, -1, -1).contains(ink.bounds)
                         && ink.bounds.height() > 15 * (lines - 1),
                     "a caption is cut off, or not on its lines");
        }
        const QRgb track = colours.color(QPalette::Midlight).rgb();
        for (QRect box : {Text1, Text2, Ancora}) // where their ground stands apart from the window's
            QVERIFY2(track == ground || inkIn(shot, box.adjusted(-1, -1, 1, 1), ground).bounds == box,
                     "a box of the results is not where the layout puts it");
        for (QRect box : {Text1, Text2}) {
            QCOMPARE(shot.pixel(box.right() - 4, box.center().y()), track);
            QVERIFY2(inkIn(shot, box.adjusted(3, 3, -3, -3), track).contrast >= 4.5,
                     "a result does not read");
        }
        for (QPoint edge : {QPoint(104, 73), QPoint(232, 201)}) // of the first card and of the X's square
            QVERIFY2(contrast(shot.pixel(edge), shot.pixel(edge + QPoint(1, 0))) >= 3, "a grid line");

        // Its repeats come marked as such, or on X11, on a busy machine, as a release and a
        // press of one timestamp.
        QTest::keyPress(form.windowHandle(), Qt::Key_Return);
        for (quint64 repeat = 1; repeat <= 30; ++repeat) {
            QKeyEvent marked(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r", true);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, "\r");
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
            release.setTimestamp(1000 + repeat);
            press.setTimestamp(1000 + repeat);
            for (QKeyEvent *held : {&marked, &release, &press})
                QCoreApplication::sendEvent(form.windowHandle(), held);
        }
        QTest::keyRelease(form.windowHandle(), Qt::Key_Return);
        QVERIFY(!ancora->isVisible());
        QCOMPARE(form.focusWidget(), card(form, 1));
        QCOMPARE(up(), QList<int>());
        QVERIFY2(contrast(form.grab().toImage().pixel(106, 104), ground) >= 3, "the ring does not read");
        QPixmap first(QSize(65, 65) * scale);
        first.setDevicePixelRatio(scale);
        card(form, 1)->render(&first);
        QCOMPARE(first.transformed(QTransform().rotate(90)).toImage(), first.toImage());
        const QImage drawn = first.toImage(); // its border one logical pixel wide, in whole pixels
        int border = 0;
        while (drawn.pixel(border, drawn.height() / 2) == drawn.pixel(0, drawn.height() / 2))
            ++border;
        QCOMPARE(border, qRound(scale));
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
    }

    void keysMoveAndTurnCards()
    {
        QFETCH(int, from);
        QFETCH(Qt::Key, key);
        QFETCH(int, to);
        QFETCH(bool, turned);
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        card(form, from)->setFocus();
        QTest::keyClick(form.windowHandle(), key,
                        key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
        QCOMPARE(form.focusWidget(), card(form, to));
        for (int pos = 1; pos <= 24; ++pos)
            QCOMPARE(card(form, pos)->face()->isVisible(), turned && pos == to);
    }

    // On a player's dark card every face keeps its outline, whatever the scale of the
    // screen: each of its pixels that meets the card is opaque and stands out from it 3:1.
    void facesKeepTheirOutlineOnADarkCard()
    {
        const Form1 form;
        const QRgb card = qRgb(0x42, 0x42, 0x45);
        for (int image = 26; image <= 37; ++image) {
            const Picture &face = form.findChild<PictureBox *>("Image" + QString::number(image))->picture();
            for (const qreal scale : {1.0, 1.5, 2.0, 3.0}) {
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
