#include "card.h"
#include "form1.h"
#include "picturebox.h"

#include <QLineEdit>
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

// How much of a picture's edge, where it meets the card beneath, is opaque and stands out
// 3:1 or more from a dark card, as WCAG reckons contrast: in per cent.
int edgeSeenOn(QRgb card, const QImage &p)
{
    auto luminance = [](QRgb c) {
        auto linear = [](int v) { return v <= 10 ? v / 3294.6 : std::pow((v / 255.0 + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(qRed(c)) + 0.7152 * linear(qGreen(c)) + 0.0722 * linear(qBlue(c)) + 0.05;
    };
    auto ground = [&p](int x, int y) { return p.valid(x, y) && qAlpha(p.pixel(x, y)) == 0; };
    int edge = 0;
    int clear = 0;
    for (int y = 0; y < p.height(); ++y) {
        for (int x = 0; x < p.width(); ++x) {
            if (ground(x, y)
                || !(ground(x - 1, y) || ground(x + 1, y) || ground(x, y - 1) || ground(x, y + 1)))
                continue;
            ++edge;
            clear += qAlpha(p.pixel(x, y)) == 255 && luminance(p.pixel(x, y)) >= 3 * luminance(card) ? 1 : 0;
        }
    }
    return 100 * clear / std::max(edge, 1);
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

    // On a player's dark card every face keeps its outline, whatever the scale of the
    // screen: nearly all of its edge stands out from the card, which shows at its corners.
    void facesKeepTheirOutlineOnADarkCard()
    {
        const Form1 form;
        for (int image = 26; image <= 37; ++image) {
            const Picture &face = form.findChild<PictureBox *>("Image" + QString::number(image))->picture();
            for (const qreal scale : {1.0, 1.5, 2.0, 3.0}) {
                const QImage drawn = face->pixmap(square(1).size(), scale).toImage();
                const int seen = edgeSeenOn(qRgb(0x42, 0x42, 0x45), drawn);
                QVERIFY2(seen >= 90,
                         qPrintable(QString("%1 at %2: %3 %").arg(face->name()).arg(scale).arg(seen)));
                const QRect r = drawn.rect();
                for (const QPoint corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
                    QCOMPARE(qAlpha(drawn.pixel(corner)), 0);
            }
        }
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
