#include "form1.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>

#include <bitset>
#include <cmath>
#include <random>

using namespace pairon12;

namespace {

// The layout as a player measures it: 65-pixel squares on a 64-pixel pitch from (104, 72).
QRect square(int cell) { return {104 + 64 * ((cell - 1) % 5), 72 + 64 * ((cell - 1) / 5), 65, 65}; }

struct Window {
    double now = 500.0;
    Form1 form;

    explicit Window(Game::Seeder seeder) : form([this] { return now; }, std::move(seeder))
    {
        form.show();
        form.activateWindow();
        if (!QTest::qWaitForWindowActive(&form))
            qFatal("window never active");
    }
    QWidget *control(const QString &name) const { return form.findChild<QWidget *>(name); }
    QWidget *card(int pos) const { return control(QStringLiteral("Label%1").arg(gridCellOf(pos))); }
    QWidget *face(int pos) const { return control(QStringLiteral("Image%1").arg(gridCellOf(pos))); }
    void click(QPoint at) { QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, at); }
    void key(int key) { QTest::keyClick(form.windowHandle(), Qt::Key(key)); }
};

} // namespace

class Form1Test : public QObject
{
    Q_OBJECT

private slots:
    // Clicks anywhere, keys of every kind, a screen reader's presses and the pause timer
    // firing at will, with the clock jumping about; after every event the rules must
    // hold as a player, or a screen reader, sees them.
    void stormKeepsTheRules()
    {
        const int seed = qEnvironmentVariableIsSet("STORM_SEED") ? qEnvironmentVariableIntValue("STORM_SEED") : 1207;
        std::mt19937 rng(static_cast<unsigned>(seed));
        auto among = [&rng](int lo, int hi) { return std::uniform_int_distribution<>(lo, hi)(rng); };
        Window w([&rng] { return Game::UniformSource([&rng] { return std::uniform_real_distribution<>()(rng); }); });
        auto *timer = w.form.findChild<QTimer *>(QStringLiteral("pauseTimer"));
        QWidget *ancora = w.control("Command1");
        const int keys[] = {Qt::Key_Tab,  Qt::Key_Backtab, Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,
                            Qt::Key_Down, Qt::Key_Home,    Qt::Key_End,  Qt::Key_Space, Qt::Key_Return};
        const BoardState &s = w.form.game().state();
        auto said = [](QWidget *c, QAccessible::Text t) { return QAccessible::queryAccessibleInterface(c)->text(t); };
        auto faceUp = [&w] {
            std::bitset<25> up;
            for (int pos = 1; pos <= 24; ++pos)
                up[pos] = w.face(pos)->isVisible();
            return up;
        };
        std::int64_t picks = 0;
        double dealtAt = w.now, pauseFrom = 0;
        int games = 0;
        for (int event = 0; event < 10000; ++event) {
            const bool pausing = w.form.game().pausing(), finished = ancora->isVisible();
            const auto before = faceUp();
            QWidget *target = nullptr; // what a click lands on, or a key or a screen reader presses
            const int kind = among(0, 9) < (pausing ? 5 : 1) ? 0 : among(1, 9);
            if (kind == 0) {
                w.now += std::array{0.25, 0.5, 0.499, 0.001}[among(0, 3)]; // the half second, and just short of it
                timer->stop();
                QMetaObject::invokeMethod(timer, "timeout");
                QCOMPARE(w.form.game().pausing(), pausing && w.now - pauseFrom < 0.5);
            } else if (kind == 1) {
                target = w.card(among(1, 24));
                QAccessible::queryAccessibleInterface(target)->actionInterface()->doAction(
                    QAccessibleActionInterface::pressAction());
            } else if (kind < 6) {
                const QPoint at = finished && among(0, 3) == 0 ? QPoint(352, 436)
                                  : among(0, 2) ? square(among(1, 25)).center() + QPoint(among(-33, 33), among(-33, 33))
                                                : QPoint(among(0, 523), among(0, 466));
                target = w.form.childAt(at);
                w.click(at);
            } else {
                const int key = keys[among(0, std::size(keys) - 1)];
                target = key == Qt::Key_Space || key == Qt::Key_Return ? QApplication::focusWidget() : nullptr;
                w.key(key);
            }
            const QString name = target ? target->objectName() : QString();
            const int pos = name.startsWith(QLatin1String("Label")) ? cardPositionOf(name.mid(5).toInt()) : 0;
            // A click reaches a card's target only while nothing lies over it; a key or a
            // screen reader may press a card already face up, and the rules must refuse it.
            const bool picked = pos && !pausing && ((kind > 1 && kind < 6) || !before[pos]);
            picks += picked;
            if (finished && !ancora->isVisible()) {
                ++games;
                picks = 0;
                dealtAt = w.now;
                QVERIFY(faceUp().none() && QApplication::focusWidget() == w.card(1));
            } else {
                QCOMPARE((faceUp() & ~before).to_ulong(), picked ? 1UL << pos : 0UL);
            }
            QCOMPARE(s.ClickCount, picks);
            if (!pausing && w.form.game().pausing())
                pauseFrom = w.now;
            const int loose = int(faceUp().count()) - 2 * s.PairsFound;
            QVERIFY2(w.form.game().pausing() ? loose == 2 && timer->isActive() : loose == 0 || loose == 1,
                     qPrintable(QStringLiteral("event %1: %2 unmatched cards up").arg(event).arg(loose)));
            QCOMPARE(ancora->isVisible(), s.PairsFound == 12);
            if (ancora->isVisible() && !finished) {
                QCOMPARE(QApplication::focusWidget(), ancora);
                QCOMPARE(said(w.control("Text1"), QAccessible::Value) + " "
                             + said(w.control("Text2"), QAccessible::Value),
                         QStringLiteral("%1 %2").arg(std::floor(w.now - dealtAt)).arg(picks / 2));
            }
            for (int p = 1; p <= 24; ++p)
                QVERIFY2(w.face(p)->isVisible()
                             ? said(w.card(p), QAccessible::Name).startsWith(QStringLiteral("Carta %1: ").arg(p))
                             : said(w.card(p), QAccessible::Name) == QStringLiteral("Carta %1, coperta").arg(p),
                         qPrintable(said(w.card(p), QAccessible::Name)));
        }
        QVERIFY2(games >= 3, qPrintable(QStringLiteral("STORM_SEED=%1: only %2 games ended").arg(seed).arg(games)));
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
