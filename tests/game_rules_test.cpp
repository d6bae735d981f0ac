#include "game.h"

#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <set>
#include <string>

using namespace pairon12;

class GameRulesTest : public QObject
{
    Q_OBJECT

private slots:
    // A game on a clock that moves only when told, dealt in deck order: each draw takes the
    // deck's first letter, so that card p and card p + 12 form a pair. The picks the rules
    // refuse are not counted; the seconds are whole ones, cut, not rounded; a new deal starts
    // the clock and the count again.
    void aGameCountsItsTurnsAndWholeSeconds()
    {
        double now = 100;
        Game game([&now] { return now; }, [] { return Game::UniformSource([] { return 0.0; }); });
        QSignalSpy failed(&game, &Game::pairFailed);
        QSignalSpy finished(&game, &Game::finished);
        auto findPairsFrom = [&game](int first) {
            for (int pos = first; pos <= 12; ++pos) {
                game.pick(pos);
                game.pick(pos + 12);
            }
        };
        game.deal();
        game.pick(1);
        game.pick(13);
        game.pick(2);
        game.pick(13); // already up
        game.pick(3);  // not the pair of card 2
        QCOMPARE(failed.takeFirst(), (QVariantList{2, 3, 0.5}));
        game.pick(4); // while the failed pair is up
        now += 37.9;
        game.endPauseIfDue();
        findPairsFrom(2);
        QCOMPARE(finished.takeFirst(), (QVariantList{qint64(37), qint64(13)}));

        game.deal();
        findPairsFrom(1);
        QCOMPARE(finished.takeFirst(), (QVariantList{qint64(0), qint64(12)}));
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
