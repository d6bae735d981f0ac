#include "card.h"
#include "form1.h"
#include "picturebox.h"

#include <QApplication>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTest>

#include <bitset>
#include <cmath>
#include <random>

using namespace pairon12;

namespace {

// The layout as a player measures it: 65-pixel squares on a 64-pixel pitch from
// (104, 72), the X in the middle one, and "Ancora" below the grid.
QRect square(int cell) { return {104 + 64 * ((cell - 1) % 5), 72 + 64 * ((cell - 1) / 5), 65, 65}; }
int cellOf(int pos) { return pos < 13 ? pos : pos + 1; }
const QRect AncoraBox(312, 424, 81, 25);

// What happens next: clicks anywhere, on shared edges too, and while a failed pair is
// up, mostly the pause timer firing after the clock has moved on.
struct Chooser {
    std::mt19937 rng;

    int among(int lo, int hi) { return std::uniform_int_distribution<>(lo, hi)(rng); }
    bool timerFires(bool pausing) { return among(0, 9) < (pausing ? 5 : 1); }
    double clockStep() { return std::array{0.25, 0.5, 0.499, 0.001}[among(0, 3)]; }
    QPoint click()
    {
        if (among(0, 5) == 0)
            return AncoraBox.center();
        if (among(0, 2) == 0)
            return {among(0, 523), among(0, 466)};
        return square(among(1, 25)).center() + QPoint(among(-33, 33), among(-33, 33));
    }
};

// What the window must show: the rules of the game, dealt the same cards on the same
// clock, and told the picks that the clicks make as a player sees the window.
struct Model {
    Game rules;
    std::bitset<25> up;
    bool pausing = false;
    QString results;

    Model(const Game::Clock &clock, const Game::Seeder &seeder) : rules(clock, seeder)
    {
        QObject::connect(&rules, &Game::turnedUp, [this](int pos) { up.set(pos); });
        QObject::connect(&rules, &Game::pairFailed, [this] { pausing = true; });
        QObject::connect(&rules, &Game::turnedBack, [this](int first, int second) {
            up.reset(first).reset(second);
            pausing = false;
        });
        QObject::connect(&rules, &Game::finished, [this](qint64 seconds, qint64 attempts) {
            results = QString::number(seconds) + " s, " + QString::number(attempts) + " attempts";
        });
        rules.deal();
    }
    bool finished() const { return up.count() == 24; }
    void clicked(QPoint at)
    {
        if (finished() && AncoraBox.contains(at)) {
            up.reset();
            rules.deal();
        }
        // None on a face, on the X or off the grid; where two face-down squares share
        // their edge, the one further right or lower.
        int turned = 0;
        for (int pos = 1; pos <= 24 && turned >= 0; ++pos) {
            if (square(cellOf(pos)).contains(at))
                turned = up[pos] ? -1 : pos;
        }
        if (turned > 0 && !square(13).contains(at))
            rules.pick(turned);
    }
};

// A desktop's colours: a ground, black or white text as the ground asks, and greyed text.
QPalette desktop(QRgb ground, QRgb greyed)
{
    QPalette colours{QColor(ground), QColor(ground)};
    for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        colours.setColor(QPalette::Disabled, role, greyed);
    return colours;
}

double contrast(QRgb a, QRgb b) // from relative luminance, as the web's guidelines reckon it
{
    auto luminance = [](QRgb rgb) {
        auto linear = [](int v) { return v <= 10 ? v / 3294.6 : std::pow((v / 255.0 + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb)) + 0.05;
    };
    return std::max(luminance(a), luminance(b)) / std::min(luminance(a), luminance(b));
}

} // namespace

class Form1Test : public QObject
{
    Q_OBJECT

private slots:
    // Clicks anywhere and the pause timer firing at will, while the clock jumps about:
    // after every event the window shows what the rules say.
    void clickStormShowsWhatTheRulesSay()
    {
        const int seed = qEnvironmentVariableIntValue("STORM_SEED");
        Chooser choose{std::mt19937(static_cast<unsigned>(seed))};
        double now = 500;
        const Game::Clock clock = [&now] { return now; };
        // The window's deals and the model's draw from generators seeded alike, deal by deal.
        const Game::Seeder seeder = [deals = 0u]() mutable {
            auto rng = std::make_shared<std::mt19937>(++deals);
            return Game::UniformSource([rng] { return std::uniform_real_distribution<>()(*rng); });
        };
        Form1 form(clock, seeder);
        Model model(clock, seeder);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto *timer = form.findChild<QTimer *>("pauseTimer");
        auto text = [&form](const char *box) { return form.findChild<QLineEdit *>(box)->text(); };
        int games = 0;

        for (int event = 0; event < 20000; ++event) {
            const bool wasFinished = model.finished();
            if (choose.timerFires(model.pausing)) {
                now += choose.clockStep();
                timer->stop();
                QMetaObject::invokeMethod(timer, "timeout");
                model.rules.endPauseIfDue();
            } else {
                const QPoint at = choose.click();
                QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, at);
                model.clicked(at);
            }
            std::bitset<25> shown;
            for (int pos = 1; pos <= 24; ++pos)
                shown[pos] =
                    form.findChild<Card *>("Label" + QString::number(cellOf(pos)))->face()->isVisible();
            const QByteArray when =
                "STORM_SEED=" + QByteArray::number(seed) + ", event " + QByteArray::number(event);
            QVERIFY2(shown == model.up, when + ": faces " + QByteArray(shown.to_string().c_str()));
            QVERIFY2(timer->isActive() == model.pausing, when + ": the pause runs, or not, wrongly");
            QVERIFY2(form.findChild<QWidget *>("Command1")->isVisible() == model.finished(),
                     when + ": Ancora");
            if (model.finished() && !wasFinished) {
                ++games;
                QCOMPARE(text("Text1") + " s, " + text("Text2") + " attempts", model.results);
            }
        }
        QVERIFY2(games >= 3, "only " + QByteArray::number(games) + " games ended");
    }

    void readsInAnyColoursAtAnyScale_data()
    {
        QTest::addColumn<QPalette>("colours");
        QTest::addColumn<qreal>("scale");
        QTest::newRow("Fusion light, 125 %") << QApplication::palette() << 1.25;
        QTest::newRow("dark grey, 150 %") << desktop(0x424245, 0x808080) << 1.5;
        QTest::newRow("mid grey, 175 %") << desktop(0x818181, 0xbebebe) << 1.75;
        QTest::newRow("white on black, 200 %") << desktop(0x000000, 0x3ff23f) << 2.0;
        QTest::newRow("black on white, 100 %") << desktop(0xffffff, 0x600000) << 1.0;
    }

    // The player's colours come while the window is up. At the end of a game the captions
    // and results read on their grounds, and the grid lines on the cards. Home puts the
    // keyboard's ring on the first card: it reads on the card and, drawn at the player's
    // scale, is as wide on each side and as far in from the border.
    void readsInAnyColoursAtAnyScale()
    {
        QFETCH(QPalette, colours);
        QFETCH(qreal, scale);
        const auto restore = qScopeGuard([was = QApplication::palette()] { QApplication::setPalette(was); });
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QApplication::setPalette(colours);
        auto cards = form.findChildren<Card *>();
        std::ranges::sort(cards, {}, [](const Card *card) { return card->face()->picture().get(); });
        for (const Card *card : cards)
            QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, card->geometry().center());
        QTest::keyClick(form.windowHandle(), Qt::Key_Home);

        QImage shot(form.size(), QImage::Format_RGB32);
        form.render(&shot);
        auto inkOn = [&shot](QRect box, QRgb ground) {
            double most = 1;
            for (int y = box.top(); y <= box.bottom(); ++y)
                for (int x = box.left(); x <= box.right(); ++x)
                    most = std::max(most, contrast(shot.pixel(x, y), ground));
            return most;
        };
        for (QRect box : {QRect(8, 160, 81, 81), QRect(32, 416, 97, 25), QRect(104, 24, 169, 25)})
            QVERIFY2(inkOn(box, shot.pixel(box.topLeft())) >= 4.5, "a caption");
        const QRgb track = colours.color(QPalette::Midlight).rgb();
        for (QRect box : {QRect(296, 24, 57, 25), QRect(152, 416, 41, 25)}) {
            QCOMPARE(shot.pixel(box.right() - 4, box.center().y()), track);
            QVERIFY2(inkOn(box.adjusted(3, 3, -3, -3), track) >= 4.5, "a result");
        }
        for (QPoint edge : {QPoint(104, 73), QPoint(232, 201)}) // of the first card and of the X's square
            QVERIFY2(contrast(shot.pixel(edge), shot.pixel(edge + QPoint(1, 0))) >= 3, "a grid line");
        QVERIFY2(contrast(shot.pixel(square(1).left() + 2, 104), shot.pixel(0, 0)) >= 3, "the ring");
        QPixmap first(QSize(65, 65) * scale);
        first.setDevicePixelRatio(scale);
        form.findChild<Card *>("Label1")->render(&first);
        QCOMPARE(first.transformed(QTransform().rotate(90)).toImage(), first.toImage());
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
