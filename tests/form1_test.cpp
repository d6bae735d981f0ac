#include "card.h"
#include "form1.h"
#include "picturebox.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <bitset>
#include <random>

using namespace pairon12;

namespace {

// The layout as a player measures it: 65-pixel squares on a 64-pixel pitch from
// (104, 72), the X in the middle one, and "Ancora" below the grid.
QRect square(int cell) { return {104 + 64 * ((cell - 1) % 5), 72 + 64 * ((cell - 1) / 5), 65, 65}; }
int cellOf(int pos) { return pos < 13 ? pos : pos + 1; }
const QRect AncoraBox(312, 424, 81, 25);

Card *card(const Form1 &form, int pos)
{
    return form.findChild<Card *>("Label" + QString::number(cellOf(pos)));
}

// Every draw takes the deck's first letter: card p and card p + 12 form a pair.
const Game::Seeder InDeckOrder = [] { return Game::UniformSource([] { return 0.0; }); };

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
                shown[pos] = card(form, pos)->face()->isVisible();
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
        QTest::newRow("Down a row") << 3 << Qt::Key_Down << 8 << false;
        QTest::newRow("Right over the X") << 12 << Qt::Key_Right << 13 << false;
        QTest::newRow("Left over the X") << 13 << Qt::Key_Left << 12 << false;
        QTest::newRow("Down over the X") << 8 << Qt::Key_Down << 17 << false;
        QTest::newRow("Up over the X") << 17 << Qt::Key_Up << 8 << false;
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

    // Enter held down on "Ancora" at the end of a game: one new deal, whose first card
    // gets the keyboard and the key's repeats, and stays face down.
    void aKeyHeldOnAncoraDealsOnceAndTurnsNothing()
    {
        Form1 form(Game::steadyClock(), InDeckOrder);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (int pos = 1; pos <= 12; ++pos) {
            QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, square(cellOf(pos)).center());
            QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, square(cellOf(pos + 12)).center());
        }
        QCOMPARE(form.focusWidget(), form.findChild<QWidget *>("Command1"));
        QTest::keyPress(form.windowHandle(), Qt::Key_Return);
        for (int repeat = 0; repeat < 30; ++repeat) {
            QKeyEvent held(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r", true);
            QCoreApplication::sendEvent(form.windowHandle(), &held);
        }
        QTest::keyRelease(form.windowHandle(), Qt::Key_Return);
        QCOMPARE(form.focusWidget(), card(form, 1));
        for (int pos = 1; pos <= 24; ++pos)
            QVERIFY2(!card(form, pos)->face()->isVisible(), qPrintable(QString("card %1 is up").arg(pos)));
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
