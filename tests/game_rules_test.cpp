#include "game.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

using namespace pairon12;

namespace {

// A game whose clock moves only when told to, and whose every draw takes the deck's
// first letter, so that card p and card p + 12 always form a pair. What the rules
// report is written down in a few words.
struct Table {
    double now = 100;
    Game game{[this] { return now; }, [] { return Game::UniformSource([] { return 0.0; }); }};
    QStringList told;

    Table()
    {
        // Each event in a line of its own: "pair 1 13".
        auto say = [this](const char *what) {
            return [this, what](auto... numbers) {
                QString line = what;
                ((line += ' ' + QString::number(numbers)), ...);
                told << line;
            };
        };
        QObject::connect(&game, &Game::turnedUp, say("up"));
        QObject::connect(&game, &Game::turnedBack, say("back"));
        QObject::connect(&game, &Game::pairFound, say("pair"));
        QObject::connect(&game, &Game::pairFailed, say("miss, pause of"));
        QObject::connect(&game, &Game::finished, say("finished: seconds and attempts"));
    }
    void wait(double seconds)
    {
        now += seconds;
        game.endPauseIfDue();
    }
    void findPairsFrom(int first)
    {
        for (int pos = first; pos <= 12; ++pos) {
            game.pick(pos);
            game.pick(pos + 12);
        }
    }
    // What was told since the last time.
    QString news() { return std::exchange(told, {}).join(", "); }
};

} // namespace

class GameRulesTest : public QObject
{
    Q_OBJECT

private slots:
    void aGameFromDealToResults()
    {
        Table table;
        table.game.deal();
        table.game.pick(1);
        table.game.pick(13);
        QCOMPARE(table.news(), "up 1, up 13, pair 1 13");
        table.game.pick(13); // already face up: refused, and not counted
        QCOMPARE(table.news(), "");

        table.game.pick(2);
        table.game.pick(3);
        QCOMPARE(table.news(), "up 2, up 3, miss, pause of 2 3 0.5");
        table.game.pick(4); // while the failed pair is still up
        table.wait(0.499);
        QCOMPARE(table.news(), "");
        table.wait(0.001);
        QCOMPARE(table.news(), "back 2 3");

        table.now += 35.9;
        table.findPairsFrom(2);
        QVERIFY(table.news().endsWith("pair 12 24, finished: seconds and attempts 36 13"));

        // A player who clicks on for hours, far past what a 16-bit count could hold.
        table.game.deal();
        for (int turn = 0; turn < 19988; ++turn) {
            table.game.pick(1);
            table.game.pick(2);
            table.wait(0.5);
        }
        table.findPairsFrom(1);
        QCOMPARE(table.told.last(), "finished: seconds and attempts 9994 20000");
    }

    void dealsAreFairAndNeverRepeat()
    {
        const int deals = 12000;
        Game game;
        std::string letters;
        QObject::connect(&game, &Game::dealt, [&letters](int, char letter) { letters += letter; });
        std::array<std::array<int, PairCount>, CardCount> seen{};
        std::set<std::string> arrangements;
        for (int d = 0; d < deals; ++d) {
            letters.clear();
            game.deal();
            arrangements.insert(letters);
            for (int p = 0; p < CardCount; ++p)
                ++seen[p].at(FaceLetters.find(letters.at(p)));
            std::sort(letters.begin(), letters.end());
            QCOMPARE(letters, "aabbccddeeffgghhiillmmnn");
        }
        QCOMPARE(arrangements.size(), std::size_t(deals));
        // Each letter lands on each card one deal in twelve: chi-square over 264
        // degrees of freedom, mean 264 and deviation about 23, loosely bounded.
        double chi2 = 0;
        for (const auto &card : seen)
            for (int n : card)
                chi2 += std::pow(n - deals / 12.0, 2) / (deals / 12.0);
        QVERIFY2(chi2 > 150 && chi2 < 400, qPrintable(QString::number(chi2)));
    }
};

QTEST_GUILESS_MAIN(GameRulesTest)
#include "game_rules_test.moc"
