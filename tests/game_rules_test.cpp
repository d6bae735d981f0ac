#include "game.h"

#include <QLocale>
#include <QTest>

#include <cmath>
#include <numeric>
#include <set>

using namespace pairon12;

namespace {

struct Table {
    double now = 1000.0;
    double r = 0; // every draw of every deal
    Game game{[this] { return now; }, [this] { return Game::UniformSource([this] { return r; }); }};
    Table() { game.Form_Load(); }
};

} // namespace

class GameRulesTest : public QObject
{
    Q_OBJECT

private slots:
    void drawsNearOneTakeTheDeckLastLetter()
    {
        Table t;
        t.r = std::nextafter(1.0, 0.0);
        t.game.Form_Load();
        QCOMPARE(QByteArray(t.game.state().CardLetters.data(), CardCount), QByteArray("nmlihgfedcbanmlihgfedcba"));
        for (int pos = 1; pos <= CardCount; ++pos)
            QCOMPARE(t.game.pictureHeldBy(gridCellOf(pos)), facePictureOf(t.game.state().cardLetter(pos)));
    }

    void seededDealsAreUniformAndNeverRepeat()
    {
        const int deals = 12000;
        Game game(Game::steadyClock());
        std::array<std::array<int, PairCount>, CardCount> seen{};
        std::set<std::string> arrangements;
        for (int d = 0; d < deals; ++d) {
            game.Form_Load();
            const auto &letters = game.state().CardLetters;
            arrangements.emplace(letters.begin(), letters.end());
            for (int p = 0; p < CardCount; ++p)
                ++seen[p][FaceLetters.find(letters[p])];
        }
        QCOMPARE(arrangements.size(), std::size_t(deals));
        // Each letter lands on each card one deal in twelve: chi-square over 264
        // degrees of freedom, mean 264 and deviation about 23, loosely bounded.
        double chi2 = 0;
        for (const auto &card : seen) {
            QCOMPARE(std::accumulate(card.begin(), card.end(), 0), deals);
            for (int n : card)
                chi2 += std::pow(n - deals / 12.0, 2) / (deals / 12.0);
        }
        QVERIFY2(chi2 > 150 && chi2 < 400, qPrintable(QString::number(chi2)));
    }

    void failedPairHoldsAtLeastHalfASecondAndTakesNoPicks()
    {
        Table t;
        t.game.pick(12);
        t.game.pick(13);
        for (int pos : {0, 5, 25})
            t.game.pick(pos);
        t.now += 0.499;
        QVERIFY(!t.game.endPauseIfDue() && t.game.cardPictureShown(12) && t.game.cardPictureShown(14));
        t.now += 0.001;
        QVERIFY(t.game.endPauseIfDue() && !t.game.cardPictureShown(12) && !t.game.cardPictureShown(14));
        QCOMPARE(t.game.state().ClickCount, 2);
    }

    void attemptsSurviveFortyThousandPicks()
    {
        QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
        Table t;
        for (int turn = 0; turn < (40000 - 24) / 2; ++turn) {
            t.game.pick(1);
            t.game.pick(2);
            t.now += 0.5;
            t.game.endPauseIfDue();
        }
        for (int p = 1; p <= 12; ++p) {
            t.game.pick(p);
            t.game.pick(p + 12);
        }
        QLocale::setDefault(QLocale::c());
        QCOMPARE(t.game.attemptsText(), QStringLiteral("20.000"));
    }
};

QTEST_GUILESS_MAIN(GameRulesTest)
#include "game_rules_test.moc"
