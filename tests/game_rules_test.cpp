#include "game.h"

#include <QTest>

#include <algorithm>
#include <set>
#include <string>

using namespace pairon12;

namespace {

// A game whose clock moves only when told to, and whose every draw takes the deck's
// first letter, so that card p and card p + 12 always form a pair. What the rules
// report is written down, one event to a line: "pair 1 13".
struct Table {
    double now = 100;
    Game game{[this] { return now; }, [] { return Game::UniformSource([] { return 0.0; }); }};
    QStringList told;

    Table()
    {
        auto say = [this](const char *what) {
            return [this, what](auto... numbers) {
                told << (QString(what) + ... + (' ' + QString::number(numbers)));
            };
        };
        QObject::connect(&game, &Game::turnedUp, say("up"));
        QObject::connect(&game, &Game::pairFound, say("pair"));
        QObject::connect(&game, &Game::pairFailed, say("miss, pause of"));
        QObject::connect(&game, &Game::turnedBack, say("back"));
        QObject::connect(&game, &Game::finished, say("finished: seconds and attempts"));
        game.deal();
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
    QString news() { return std::exchange(told, {}).join(", "); } // since the last time
};

} // namespace

class GameRulesTest : public QObject
{
    Q_OBJECT

private slots:
    void aGameFromDealToResults()
    {
        Table table;
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

        table.now += 37.4; // 37.9 s since the deal: the whole seconds, not the nearest
        table.findPairsFrom(2);
        QCOMPARE(table.told.last(), "finished: seconds and attempts 37 13");

        // A new deal starts the clock and the count again.
        table.game.deal();
        table.game.pick(1);
        table.game.pick(2);
        table.wait(0.5);
        table.findPairsFrom(1);
        QCOMPARE(table.told.last(), "finished: seconds and attempts 0 13");
    }

    // Every deal holds each face twice, and over many deals every face reaches every
    // position.
    void dealsAreWhollyShuffled()
    {
        Game game;
        std::string letters;
        QObject::connect(&game, &Game::dealt, [&letters](int, char letter) { letters += letter; });
        std::set<std::pair<std::size_t, char>> reached;
        for (int deal = 0; deal < 1000; ++deal) {
            letters.clear();
            game.deal();
            for (std::size_t pos = 0; pos < letters.size(); ++pos)
                reached.emplace(pos, letters[pos]);
            std::sort(letters.begin(), letters.end());
            QCOMPARE(letters, "aabbccddeeffgghhiillmmnn");
        }
        QCOMPARE(reached.size(), std::size_t(24 * 12));
    }
};

QTEST_GUILESS_MAIN(GameRulesTest)
#include "game_rules_test.moc"
