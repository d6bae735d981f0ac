#include "form1.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTest>

#include <bitset>
#include <cmath>
#include <random>

using namespace pairon12;

namespace {

// The layout as a player measures it: 65-pixel squares on a 64-pixel pitch from (104, 72).
QRect square(int cell) { return {104 + 64 * ((cell - 1) % 5), 72 + 64 * ((cell - 1) / 5), 65, 65}; }

double luminance(QColor c)
{
    auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF()) + 0.05;
}

struct Window {
    double now = 500.0;
    Form1 form;

    // By default every deal draws the deck's first letter: card p and card p + 12 make a pair.
    explicit Window(Game::Seeder seeder = [] { return Game::UniformSource([] { return 0.0; }); })
        : form([this] { return now; }, std::move(seeder))
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
    QColor at(const QImage &shot, QPoint p) const { return shot.pixelColor(p * form.devicePixelRatioF()); }
    // The keyboard cue as a player sees it: at the middle of each side of a square, the
    // two pixels just inside its border stand out 3:1 from the button face.
    QList<int> cellsWithCue()
    {
        const QImage shot = form.grab().toImage();
        const double face = luminance(form.palette().color(QPalette::Button));
        QList<int> cells;
        for (int cell = 1; cell <= 25; ++cell) {
            const QRect s = square(cell);
            bool cue = true;
            for (int d : {2, 3})
                for (QPoint p : {QPoint(s.left() + d, s.center().y()), QPoint(s.right() - d, s.center().y()),
                                 QPoint(s.center().x(), s.top() + d), QPoint(s.center().x(), s.bottom() - d)})
                    cue = cue && face / luminance(at(shot, p)) >= 3;
            if (cue)
                cells << cell;
        }
        return cells;
    }
};

} // namespace

class Form1Test : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }

    void controlsStandWhereTheLayoutPutsThemAndShowTheirCaptionsWhole()
    {
        Window w;
        QCOMPARE(w.form.windowTitle(), QStringLiteral("Pairon12"));
        QCOMPARE(w.form.size(), QSize(524, 467));
        QCOMPARE(w.form.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly).size(), 69);
        w.form.resize(900, 700);
        struct Place {
            QString name;
            QRect rect;
            bool shown;
            int pixelSize = 0;
            int lines = 0; // of its caption on screen; 0 for those that are not labels
        };
        QList<Place> places = {
            {"Label26", {8, 160, 81, 81}, true, 13, 3},    {"Label27", {32, 416, 97, 25}, false, 16, 1},
            {"Label28", {104, 24, 169, 25}, false, 16, 1}, {"Text1", {296, 24, 57, 25}, false, 16},
            {"Text2", {152, 416, 41, 25}, false, 16},      {"Command1", {312, 424, 81, 25}, false, 16}};
        for (int k = 1; k <= 25; ++k)
            places << Place{QStringLiteral("Label%1").arg(k), square(k), true, k == 13 ? 64 : 0, k == 13}
                   << Place{QStringLiteral("Image%1").arg(k), square(k), k == 13};
        for (const Place &p : places)
            QVERIFY2(w.control(p.name)->geometry() == p.rect && w.control(p.name)->isVisible() == p.shown,
                     qPrintable(p.name));
        // Where squares share a strip, the right or lower one takes the click; the X lies
        // over its neighbours' edges, and the face pictures in the corner never show.
        for (auto [x, y, name] : {std::tuple{168, 100, "Label2"},
                                  {130, 136, "Label6"},
                                  {168, 136, "Label7"},
                                  {296, 220, "Label13"},
                                  {40, 40, ""}})
            QCOMPARE(w.form.childAt(x, y) ? w.form.childAt(x, y)->objectName() : "", QString(name));

        for (int p = 1; p <= 24; ++p) // a game without a miss, to bring up the results
            w.click(square(gridCellOf((p + 1) / 2 + (p % 2 ? 0 : 12))).center());
        const QImage shot = w.form.grab().toImage();
        for (const Place &p : places) {
            QWidget *c = w.control(p.name);
            if (!p.pixelSize)
                continue;
            QVERIFY2(c->isVisible() && QFontInfo(c->font()).bold() && c->font().pixelSize() == p.pixelSize,
                     qPrintable(p.name));
            const QFontMetrics fm(c->font());
            const int frame = c->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 1;
            const QString widest = p.name == "Text1" ? "99999" : p.name == "Text2" ? "999" : "Ancora";
            QVERIFY(p.lines || fm.horizontalAdvance(widest) <= c->width() - 2 * frame);
            // A caption's ink stops short of its label's right and bottom edges: nothing is cut off.
            const QRect inside = c->geometry().adjusted(1, 1, -1, -1);
            QRect ink;
            int red = 0;
            for (int y = inside.top(); p.lines && y <= inside.bottom(); ++y)
                for (int x = inside.left(); x <= inside.right(); ++x)
                    if (const QColor colour = w.at(shot, {x, y}); colour != w.at(shot, inside.bottomRight())) {
                        ink |= QRect(x, y, 1, 1);
                        red += colour == QColor(Qt::red);
                    }
            QVERIFY2(ink.right() < inside.right() && ink.bottom() < inside.bottom(), qPrintable(p.name));
            QVERIFY2(ink.height() > (p.lines - 1) * fm.lineSpacing(), qPrintable(p.name));
            QVERIFY(p.name != "Label13" || red > 300);
        }
    }

    void keysMoveAroundTheGridAndTurnCards_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("picks");
        using K = Qt::Key;
        QTest::newRow("window opens on card 1, edges hold") << QList<int>{K::Key_Left, K::Key_Up} << "Label1" << 0;
        QTest::newRow("far edges hold") << QList<int>{K::Key_End, K::Key_Right, K::Key_Down} << "Label25" << 0;
        QTest::newRow("right over the X")
            << QList<int>{K::Key_Down, K::Key_Down, K::Key_Right, K::Key_Right} << "Label14" << 0;
        QTest::newRow("left over the X") << QList<int>{K::Key_End, K::Key_Up, K::Key_Up, K::Key_Left, K::Key_Left}
                                         << "Label12" << 0;
        QTest::newRow("down over the X") << QList<int>{K::Key_Right, K::Key_Right, K::Key_Down, K::Key_Down}
                                         << "Label18" << 0;
        QTest::newRow("up over the X, then home")
            << QList<int>{K::Key_End, K::Key_Left, K::Key_Left, K::Key_Up, K::Key_Up, K::Key_Space, K::Key_Home}
            << "Label1" << 1;
        QTest::newRow("tab passes the X") << QList<int>(12, K::Key_Tab) << "Label14" << 0;
        QTest::newRow("shift+tab wraps to the last card") << QList<int>{K::Key_Backtab} << "Label25" << 0;
        QTest::newRow("space and enter pick, nothing during the pause")
            << QList<int>{K::Key_Space, K::Key_Space, K::Key_Right, K::Key_Return, K::Key_Right, K::Key_Enter}
            << "Label3" << 2;
    }
    void keysMoveAroundTheGridAndTurnCards()
    {
        QFETCH(QList<int>, keys);
        QFETCH(QString, focus);
        QFETCH(int, picks);
        Window w;
        for (int key : keys)
            w.key(key);
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        QCOMPARE(w.form.game().state().ClickCount, picks);
        QVERIFY(picks != 1 || w.face(8)->isVisible());
    }

    void keyboardCueShowsOnlyWhileKeysAreUsed()
    {
        Window w;
        QCOMPARE(w.cellsWithCue(), QList<int>{});
        w.key(Qt::Key_Space); // card 1 turns up: the cue shows over its face
        QCOMPARE(w.cellsWithCue(), QList<int>{1});
        w.key(Qt::Key_Right);
        QCOMPARE(w.cellsWithCue(), QList<int>{2});
        w.click(square(3).center());
        QCOMPARE(w.cellsWithCue(), QList<int>{});
        w.key(Qt::Key_Down);
        QCOMPARE(w.cellsWithCue(), QList<int>{8});
        w.click(QPoint(40, 200)); // on the disabled instruction
        QCOMPARE(w.cellsWithCue(), QList<int>{});
    }

    // Clicks anywhere, keys of every kind, a screen reader's presses and the pause timer
    // firing at will, with the clock jumping about; after every event the rules must
    // hold as a player, or a screen reader, sees them.
    void stormKeepsTheRules()
    {
        const int seed = qEnvironmentVariableIsSet("STORM_SEED") ? qEnvironmentVariableIntValue("STORM_SEED") : 1207;
        qInfo("STORM_SEED=%d", seed);
        std::mt19937 rng(static_cast<unsigned>(seed));
        auto among = [&rng](int lo, int hi) { return std::uniform_int_distribution<>(lo, hi)(rng); };
        Window w([&rng] { return Game::UniformSource([&rng] { return std::uniform_real_distribution<>()(rng); }); });
        auto *timer = w.form.findChild<QTimer *>(QStringLiteral("pauseTimer"));
        QWidget *ancora = w.control("Command1");
        const QList<int> keys = {Qt::Key_Tab,  Qt::Key_Backtab, Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,
                                 Qt::Key_Down, Qt::Key_Home,    Qt::Key_End,  Qt::Key_Space, Qt::Key_Return};
        const BoardState &s = w.form.game().state();
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
            int down = 0; // a card still face down, if any
            while (before.count() < 24 && before[down = among(1, 24)]) {
            }
            QWidget *target = nullptr;
            bool keyed = false;
            if (among(0, 9) < (pausing ? 5 : 1)) {
                w.now += among(0, 1) ? 0.5 : 0.25;
                timer->stop();
                QMetaObject::invokeMethod(timer, "timeout");
                QCOMPARE(w.form.game().pausing(), pausing && w.now - pauseFrom < Game::PauseLength);
            } else if (among(0, 9) == 0) {
                target = w.card(among(1, 24));
                keyed = true;
                QAccessible::queryAccessibleInterface(target)->actionInterface()->doAction(
                    QAccessibleActionInterface::pressAction());
            } else if (among(0, 1)) {
                const QPoint at = finished && among(0, 3) == 0 ? QPoint(352, 436)
                                  : down && among(0, 2)        ? square(gridCellOf(down)).center()
                                  : among(0, 2) ? square(among(1, 25)).center() + QPoint(among(-33, 33), among(-33, 33))
                                                : QPoint(among(0, 523), among(0, 466));
                target = w.form.childAt(at);
                w.click(at);
            } else {
                const int key = keys[among(0, keys.size() - 1)];
                target = key == Qt::Key_Space || key == Qt::Key_Return ? QApplication::focusWidget() : nullptr;
                keyed = true;
                w.key(key);
            }
            const QString name = target ? target->objectName() : QString();
            const int pos = name.startsWith(QLatin1String("Label")) ? cardPositionOf(name.mid(5).toInt()) : 0;
            // A click reaches a card's target only while nothing lies over it; a key or a
            // screen reader may press a card already face up, and the rules must refuse it.
            const bool picked = pos && !pausing && (!keyed || !before[pos]);
            picks += picked;
            if (finished && !ancora->isVisible()) {
                ++games;
                picks = 0;
                dealtAt = w.now;
                QCOMPARE(faceUp().count(), 0);
                QCOMPARE(QApplication::focusWidget(), w.card(1));
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
                QCOMPARE(static_cast<QLineEdit *>(w.control("Text1"))->text() + " "
                             + static_cast<QLineEdit *>(w.control("Text2"))->text(),
                         QStringLiteral("%1 %2").arg(std::floor(w.now - dealtAt)).arg(picks / 2));
            }
            for (int p = 1; p <= 24; ++p) {
                const QString said = QAccessible::queryAccessibleInterface(w.card(p))->text(QAccessible::Name);
                QVERIFY2(w.face(p)->isVisible() ? said.startsWith(QStringLiteral("Carta %1: ").arg(p))
                                                : said == QStringLiteral("Carta %1, coperta").arg(p),
                         qPrintable(said));
            }
        }
        qInfo("storm: %d games played to the end", games);
        QVERIFY(games >= 3);
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
