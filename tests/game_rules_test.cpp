#include "game.h"

#include <QLocale>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <map>
#include <set>
#include <vector>

using namespace pairon12;

namespace {

// Deals draw from this script, round and round; every deal starts it afresh.
Game::Seeder scripted(const std::vector<double> &values)
{
    return [values] {
        auto i = std::make_shared<std::size_t>(0);
        return Game::UniformSource([values, i] { return values[(*i)++ % values.size()]; });
    };
}

const double JustBelowOne = std::nextafter(1.0, 0.0);

struct Table {
    double now = 1000.0;
    Game game;
    explicit Table(Game::Seeder seeder = scripted({0.0})) : game([this] { return now; }, std::move(seeder))
    {
        game.Form_Load();
    }
    // With R = 0 every draw takes the deck's first letter, so positions 1..12 hold
    // "a".."n" and position p + 12 holds p's partner.
    void playPerfectGame()
    {
        for (int p = 1; p <= 12; ++p) {
            game.pick(p);
            game.pick(p + 12);
        }
    }
    int shownCards() const
    {
        int n = 0;
        for (int pos = 1; pos <= CardCount; ++pos)
            n += game.cardPictureShown(gridCellOf(pos));
        return n;
    }
    bool resultsShown() const
    {
        for (auto c : AllResultsControls)
            if (game.resultsControlShown(c) != game.resultsControlShown(ResultsControl::Text1))
                QTest::qFail("results controls shown unevenly", __FILE__, __LINE__);
        return game.resultsControlShown(ResultsControl::Text1);
    }
};

void verifyEachLetterTwice(const BoardState &s)
{
    std::map<char, int> count;
    for (char c : s.CardLetters)
        ++count[c];
    QCOMPARE(count.size(), std::size_t(PairCount));
    for (char c : FaceLetters)
        QCOMPARE(count[c], 2);
    QVERIFY(s.DeckLetters.empty());
    QCOMPARE(s.DeckLength, 1);
    QCOMPARE(s.DrawPos, 1);
}

} // namespace

class GameRulesTest : public QObject
{
    Q_OBJECT

private slots:
    void cardPositionMapsToGridCellAroundTheCentre_data()
    {
        QTest::addColumn<int>("pos");
        QTest::addColumn<int>("cell");
        QTest::newRow("first") << 1 << 1;
        QTest::newRow("last before centre") << 12 << 12;
        QTest::newRow("first after centre") << 13 << 14;
        QTest::newRow("last") << 24 << 25;
    }
    void cardPositionMapsToGridCellAroundTheCentre()
    {
        QFETCH(int, pos);
        QFETCH(int, cell);
        QCOMPARE(gridCellOf(pos), cell);
        QCOMPARE(cardPositionOf(cell), pos);
        QCOMPARE(cardPositionOf(CentreCell), 0);
        for (int p = 1; p <= CardCount; ++p)
            QVERIFY(gridCellOf(p) != CentreCell);
    }

    void scriptedDealDrawsTheExpectedLetters_data()
    {
        QTest::addColumn<std::vector<double>>("script");
        QTest::addColumn<QByteArray>("letters");
        QTest::newRow("R = 0 takes the first") << std::vector{0.0} << QByteArray("abcdefghilmnabcdefghilmn");
        QTest::newRow("R just below 1 takes the last")
            << std::vector{JustBelowOne} << QByteArray("nmlihgfedcbanmlihgfedcba");
        QTest::newRow("R = 0.5 takes the middle") << std::vector{0.5} << QByteArray("anbmcldiehfggfheidlcmbna");
        QTest::newRow("out-of-range source stays on the deck")
            << std::vector{-3.0, 7.0} << QByteArray("anbmcldiehfggfheidlcmbna");
    }
    void scriptedDealDrawsTheExpectedLetters()
    {
        QFETCH(std::vector<double>, script);
        QFETCH(QByteArray, letters);
        Table t(scripted(script));
        const auto &s = t.game.state();
        QCOMPARE(QByteArray(s.CardLetters.data(), CardCount), letters);
        verifyEachLetterTwice(s);
    }

    void seededDealsGiveEachLetterTwiceAndDiffer()
    {
        Game game(Game::steadyClock());
        std::set<std::string> arrangements;
        for (int i = 0; i < 500; ++i) {
            game.Form_Load();
            verifyEachLetterTwice(game.state());
            arrangements.emplace(game.state().CardLetters.begin(), game.state().CardLetters.end());
        }
        // Deals moments apart are reseeded, so none repeats.
        QCOMPARE(arrangements.size(), std::size_t(500));
    }

    void seededDealIsUniform()
    {
        // Each letter should land on each position one time in twelve.
        const int deals = 12000;
        Game game(Game::steadyClock());
        std::array<std::array<int, PairCount>, CardCount> seen{};
        int samePairAtOneAndTwo = 0;
        for (int d = 0; d < deals; ++d) {
            game.Form_Load();
            const auto &letters = game.state().CardLetters;
            for (int p = 0; p < CardCount; ++p)
                ++seen[p][FaceLetters.find(letters[p])];
            samePairAtOneAndTwo += letters[0] == letters[1];
        }
        const double expected = deals / 12.0;
        double chi2 = 0;
        for (const auto &row : seen)
            for (int n : row)
                chi2 += (n - expected) * (n - expected) / expected;
        // 264 degrees of freedom: mean 264, deviation about 23. Loose on both sides.
        QVERIFY2(chi2 > 150 && chi2 < 400, qPrintable(QString::number(chi2)));
        // The second card matches the first one time in 23: about 522 ± 22.
        QVERIFY2(std::abs(samePairAtOneAndTwo - deals / 23.0) < 120, qPrintable(QString::number(samePairAtOneAndTwo)));
    }

    void dealHandsEachFaceThroughTheTransferSlot()
    {
        Table t;
        QSignalSpy given(&t.game, &Game::pictureGiven);
        t.game.Form_Load();
        QCOMPARE(given.size(), 2 * CardCount);
        for (int pos = 1; pos <= CardCount; ++pos) {
            const auto &toSlot = given.at(2 * qsizetype(pos - 1));
            const auto &toCard = given.at(2 * qsizetype(pos - 1) + 1);
            QCOMPARE(toSlot.at(0).toInt(), TransferSlot);
            QCOMPARE(toSlot.at(1).toInt(), facePictureOf(t.game.state().cardLetter(pos)));
            QCOMPARE(toCard.at(0).toInt(), gridCellOf(pos));
            QCOMPARE(toCard.at(1).toInt(), TransferSlot);
        }
        QCOMPARE(t.game.pictureHeldBy(TransferSlot), facePictureOf(t.game.state().cardLetter(24)));
        QCOMPARE(t.shownCards(), 0);
        QVERIFY(!t.resultsShown());
    }

    void perfectGameEndsWithTwelveAttemptsWithinTheLastPick()
    {
        Table t;
        QSignalSpy texts(&t.game, &Game::resultsTextsChanged);
        t.now += 37.9;
        for (int p = 1; p <= 12; ++p) {
            t.game.pick(p);
            QVERIFY(!t.resultsShown());
            t.game.pick(p + 12);
            QCOMPARE(t.game.state().PairsFound, p);
            QCOMPARE(t.game.pausing(), false);
        }
        QVERIFY(t.resultsShown());
        QCOMPARE(texts.size(), 1);
        QCOMPARE(t.game.state().ClickCount, 24);
        QCOMPARE(t.game.attemptsText(), QString("12"));
        QCOMPARE(t.game.secondsText(), QString("37"));
        QCOMPARE(t.shownCards(), CardCount);
    }

    void picksThatCannotCountChangeNothing_data()
    {
        QTest::addColumn<int>("pos");
        QTest::newRow("face-up first pick") << 1;
        QTest::newRow("matched card") << 2;
        QTest::newRow("below the board") << 0;
        QTest::newRow("beyond the board") << 25;
    }
    void picksThatCannotCountChangeNothing()
    {
        QFETCH(int, pos);
        Table t;
        t.game.pick(2);
        t.game.pick(14);
        t.game.pick(1);
        const auto before = t.game.state();
        t.game.pick(pos);
        QCOMPARE(t.game.state().ClickCount, before.ClickCount);
        QCOMPARE(t.game.state().PicksInTurn, 1);
        QCOMPARE(t.game.state().PairsFound, 1);
        QCOMPARE(t.shownCards(), 3);
    }

    void failedTurnPausesIgnoresPicksThenHidesItsTwoCards_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("firstCell");
        QTest::addColumn<int>("secondCell");
        QTest::newRow("top left pair") << 1 << 2 << 1 << 2;
        QTest::newRow("either side of the centre") << 12 << 13 << 12 << 14;
        QTest::newRow("last card first") << 24 << 1 << 25 << 1;
    }
    void failedTurnPausesIgnoresPicksThenHidesItsTwoCards()
    {
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(int, firstCell);
        QFETCH(int, secondCell);
        Table t;
        QSignalSpy pause(&t.game, &Game::pauseStarted);
        t.game.pick(first);
        t.game.pick(second);
        QCOMPARE(pause.size(), 1);
        QVERIFY(t.game.pausing());
        QVERIFY(t.game.cardPictureShown(firstCell) && t.game.cardPictureShown(secondCell));

        // A third card during the pause is neither counted nor shown.
        t.game.pick(first == 5 ? 6 : 5);
        QCOMPARE(t.game.state().ClickCount, 2);
        QCOMPARE(t.shownCards(), 2);

        t.now += 0.499;
        QCOMPARE(t.game.pauseRemaining() > 0, true);
        QVERIFY(!t.game.endPauseIfDue());
        QCOMPARE(t.shownCards(), 2);
        t.now += 0.001;
        QVERIFY(t.game.endPauseIfDue());
        QVERIFY(!t.game.pausing());
        QCOMPARE(t.shownCards(), 0);
        QCOMPARE(t.game.state().ClickCount, 2);
        QCOMPARE(t.game.state().PairsFound, 0);
        QCOMPARE(t.game.state().PicksInTurn, 0);
        QVERIFY(!t.game.endPauseIfDue());
    }

    void elapsedSecondsRoundDown_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("length");
        QTest::addColumn<QString>("text");
        QTest::newRow("37.9 s") << 1000.0 << 37.9 << "37";
        QTest::newRow("under a second") << 1000.0 << 0.99 << "0";
        QTest::newRow("across midnight") << 86399.6 << 37.9 << "37";
        QTest::newRow("a whole day") << 5.0 << 86400.5 << "86400";
    }
    void elapsedSecondsRoundDown()
    {
        QFETCH(double, start);
        QFETCH(double, length);
        QFETCH(QString, text);
        Table t;
        t.now = start;
        t.game.Form_Load();
        t.now += length;
        t.playPerfectGame();
        QCOMPARE(t.game.secondsText(), text);
    }

    void pauseEndsAfterHalfASecondAcrossMidnight()
    {
        Table t;
        t.now = 86399.8;
        t.game.pick(1);
        t.game.pick(2);
        t.now = 86400.3;
        QVERIFY(t.game.endPauseIfDue());
    }

    void attemptsSurviveFortyThousandPicks_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("attempts");
        QTest::newRow("C") << QLocale::c() << "20000";
        QTest::newRow("Italian groups thousands") << QLocale(QLocale::Italian, QLocale::Italy) << "20.000";
    }
    void attemptsSurviveFortyThousandPicks()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, attempts);
        QLocale::setDefault(locale);
        Table t;
        // Failed turns on positions 1 and 2 ("a" and "b") until only the pairs remain.
        const int failedTurns = (40000 - 24) / 2;
        for (int i = 0; i < failedTurns; ++i) {
            t.game.pick(1);
            t.game.pick(2);
            t.now += 0.5;
            QVERIFY(t.game.endPauseIfDue());
        }
        t.playPerfectGame();
        QLocale::setDefault(QLocale::c());
        QCOMPARE(t.game.state().ClickCount, 40000);
        QCOMPARE(t.game.attemptsText(), attempts);
    }

    void restartHidesEverythingAndDealsAnew()
    {
        // The first deal takes first letters, the second last letters.
        int deal = 0;
        Table t([&deal]() -> Game::UniformSource {
            const double r = deal++ == 0 ? 0.0 : JustBelowOne;
            return [r] { return r; };
        });
        t.playPerfectGame();
        QVERIFY(t.resultsShown());
        QSignalSpy given(&t.game, &Game::pictureGiven);
        t.now += 100;
        t.game.Command1_Click();

        const auto &s = t.game.state();
        QCOMPARE(s.PairsFound, 0);
        QCOMPARE(s.PicksInTurn, 0);
        QCOMPARE(s.ClickCount, 0);
        QCOMPARE(s.StartTime, t.now);
        QCOMPARE(t.shownCards(), 0);
        QVERIFY(!t.resultsShown());
        QCOMPARE(QByteArray(s.CardLetters.data(), CardCount), QByteArray("nmlihgfedcbanmlihgfedcba"));
        // Every card was given its new face; none keeps one from the last game.
        for (int pos = 1; pos <= CardCount; ++pos)
            QCOMPARE(t.game.pictureHeldBy(gridCellOf(pos)), facePictureOf(s.cardLetter(pos)));
        QCOMPARE(given.size(), 2 * CardCount);
        QCOMPARE(t.game.pictureHeldBy(CentreCell), 0);
    }
};

QTEST_GUILESS_MAIN(GameRulesTest)
#include "game_rules_test.moc"
