#include "card.h"
#include "form1.h"
#include "picturebox.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <bitset>
#include <cmath>
#include <random>
#include <string>

using namespace pairon12;

namespace {

// The layout as a player measures it: 65-pixel squares on a 64-pixel pitch from
// (104, 72), the X in the middle one, and "Ancora" below the grid.
QRect square(int cell) { return {104 + 64 * ((cell - 1) % 5), 72 + 64 * ((cell - 1) / 5), 65, 65}; }
int cellOf(int pos) { return pos < 13 ? pos : pos + 1; }
const QRect AncoraBox(312, 424, 81, 25);

enum class Act { PauseTimerFires, Click, Key };

// What happens next: clicks anywhere and keys of every kind, and while a failed pair
// is up, mostly the pause timer firing after the clock has moved on.
struct Chooser {
    std::mt19937 rng;

    int among(int lo, int hi) { return std::uniform_int_distribution<>(lo, hi)(rng); }
    Act next(bool pausing)
    {
        if (among(0, 9) < (pausing ? 5 : 1))
            return Act::PauseTimerFires;
        return among(0, 1) ? Act::Click : Act::Key;
    }
    double clockStep() { return std::array{0.25, 0.5, 0.499, 0.001}[among(0, 3)]; }
    QPoint point(bool finished)
    {
        if (finished && among(0, 3) == 0)
            return AncoraBox.center();
        if (among(0, 2) == 0)
            return {among(0, 523), among(0, 466)};
        // Around the middle of a square, its edges shared with the neighbours too.
        return square(among(1, 25)).center() + QPoint(among(-33, 33), among(-33, 33));
    }
    Qt::Key key()
    {
        const std::array keys{Qt::Key_Tab,  Qt::Key_Backtab, Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,
                              Qt::Key_Down, Qt::Key_Home,    Qt::Key_End,  Qt::Key_Space, Qt::Key_Return};
        return keys[static_cast<std::size_t>(among(0, keys.size() - 1))];
    }
};

// The game as its player expects it to go: the cards that show their faces, the
// failed pair waiting to turn back, and the picks since the deal. Two cards pair when
// their faces are the very same picture.
struct Expected {
    std::bitset<25> up;
    int firstOfTurn = 0;
    std::array<int, 2> failed{};
    double pauseFrom = -1;
    qint64 picks = 0;
    double dealtAt = 0;

    bool pausing() const { return pauseFrom >= 0; }
    bool finished() const { return up.count() == 24; }
    void dealt(double now)
    {
        *this = Expected();
        dealtAt = now;
    }
    void picked(int pos, const auto &faceOf, double now)
    {
        if (pausing() || up[pos])
            return;
        up.set(pos);
        ++picks;
        if (!firstOfTurn) {
            firstOfTurn = pos;
            return;
        }
        if (faceOf(pos) != faceOf(firstOfTurn)) {
            failed = {firstOfTurn, pos};
            pauseFrom = now;
        }
        firstOfTurn = 0;
    }
    void waited(double now)
    {
        if (pausing() && now - pauseFrom >= 0.5) {
            up.reset(failed[0]);
            up.reset(failed[1]);
            pauseFrom = -1;
        }
    }
    // The card a click turns: none on a face, on the X or off the grid; where two
    // face-down squares share their edge, the one further right or lower.
    int cardAt(QPoint at) const
    {
        int found = 0;
        for (int pos = 1; pos <= 24; ++pos) {
            if (square(cellOf(pos)).contains(at)) {
                if (up[pos])
                    return 0;
                found = pos;
            }
        }
        return square(13).contains(at) ? 0 : found;
    }
};

} // namespace

class Form1Test : public QObject
{
    Q_OBJECT

private slots:
    // Clicks anywhere, keys of every kind and the pause timer firing at will, while the
    // clock jumps about: after every event the window must show what a player expects.
    void stormKeepsTheRules()
    {
        const int seed =
            qEnvironmentVariableIsSet("STORM_SEED") ? qEnvironmentVariableIntValue("STORM_SEED") : 1207;
        Chooser choose{std::mt19937(static_cast<unsigned>(seed))};
        double now = 500;
        auto shuffle = [&choose] {
            return Game::UniformSource([&choose] { return std::uniform_real_distribution<>()(choose.rng); });
        };
        Form1 form([&now] { return now; }, shuffle);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto *timer = form.findChild<QTimer *>("pauseTimer");
        auto *ancora = form.findChild<QWidget *>("Command1");
        auto card = [&form](int pos) {
            return form.findChild<Card *>("Label" + QString::number(cellOf(pos)));
        };
        auto face = [&card](int pos) { return card(pos)->face()->picture(); };
        Expected expect;
        expect.dealt(now);
        int games = 0;

        for (int event = 0; event < 10000; ++event) {
            const bool wasFinished = expect.finished();
            QWidget *focused = QApplication::focusWidget();
            switch (choose.next(expect.pausing())) {
            case Act::PauseTimerFires:
                now += choose.clockStep();
                timer->stop();
                QMetaObject::invokeMethod(timer, "timeout");
                expect.waited(now);
                break;
            case Act::Click: {
                const QPoint at = choose.point(wasFinished);
                QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, at);
                if (wasFinished && AncoraBox.contains(at))
                    expect.dealt(now);
                else if (const int pos = expect.cardAt(at))
                    expect.picked(pos, face, now);
                break;
            }
            case Act::Key: {
                const Qt::Key key = choose.key();
                QTest::keyClick(form.windowHandle(), key);
                const auto *pressed = key == Qt::Key_Space || key == Qt::Key_Return ? focused : nullptr;
                const auto *turned = qobject_cast<const Card *>(pressed);
                if (pressed == ancora)
                    expect.dealt(now);
                else if (turned)
                    expect.picked(turned->position(), face, now);
                break;
            }
            }
            const std::string when =
                "event " + std::to_string(event) + ", STORM_SEED=" + std::to_string(seed);

            std::bitset<25> shown;
            for (int pos = 1; pos <= 24; ++pos)
                shown[pos] = card(pos)->face()->isVisible();
            const std::string faces =
                ": faces " + shown.to_string() + " shown, " + expect.up.to_string() + " expected";
            QVERIFY2(shown == expect.up, (when + faces).c_str());
            QVERIFY2(timer->isActive() == expect.pausing(), (when + ": the pause timer runs wrong").c_str());
            QVERIFY2(ancora->isVisible() == expect.finished(), (when + ": Ancora shows wrong").c_str());
            if (expect.finished() && !wasFinished) {
                ++games;
                const double seconds = std::floor(now - expect.dealtAt);
                QCOMPARE(form.findChild<QLineEdit *>("Text1")->text(), QString::number(seconds));
                QCOMPARE(form.findChild<QLineEdit *>("Text2")->text(), QString::number(expect.picks / 2));
                QCOMPARE(QApplication::focusWidget(), ancora);
            }
            if (wasFinished && !expect.finished())
                QCOMPARE(QApplication::focusWidget(), card(1));
        }
        QVERIFY2(
            games >= 3,
            ("only " + std::to_string(games) + " games ended, STORM_SEED=" + std::to_string(seed)).c_str());
    }

    // The grid as drawn for the screen, at its own pixel density: each line is one
    // logical pixel, whole and unbroken, where neighbouring squares share their edges.
    void gridLinesAreWholeOnAnyScreen()
    {
        Form1 form;
        const QImage shot = form.grab().toImage();
        const int scale = qRound(shot.devicePixelRatio());
        auto ink = [&shot](int x, int y) { return shot.pixel(x, y) == qRgb(0, 0, 0); };
        for (int line = 0; line <= 5; ++line) {
            const int across = scale * (72 + 64 * line), down = scale * (104 + 64 * line);
            for (int along = 0; along < scale * 321; ++along) {
                for (int width = 0; width < scale; ++width) {
                    QVERIFY2(ink(scale * 104 + along, across + width), "a line across the grid is broken");
                    QVERIFY2(ink(down + width, scale * 72 + along), "a line down the grid is broken");
                }
            }
            for (int cell = 0; cell < 5; ++cell) {
                const int middleX = scale * (104 + 32 + 64 * cell), middleY = scale * (72 + 32 + 64 * cell);
                QVERIFY2(!ink(middleX, across - 1) && !ink(middleX, across + scale), "a line is too thick");
                QVERIFY2(!ink(down - 1, middleY) && !ink(down + scale, middleY), "a line is too thick");
            }
        }
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
