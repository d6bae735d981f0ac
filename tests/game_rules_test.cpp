#include "game.h"

#include <QLocale>
#include <QTest>

#include <cmath>
#include <set>

using namespace pairon12;

class GameRulesTest : public QObject
{
    Q_OBJECT

private slots:
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
                ++seen[p].at(FaceLetters.find(letters[p]));
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

    void attemptsSurviveFortyThousandPicks()
    {
        QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
        double now = 0;
        // Every draw takes the deck's first letter: card p + 12 is card p's partner.
        Game game([&now] { return now; }, [] { return Game::UniformSource([] { return 0.0; }); });
        game.Form_Load();
        for (int pick = 0; pick < 40000 - 24; ++pick, now += 0.5, game.endPauseIfDue())
            game.pick(1 + pick % 2);
        for (int pick = 0; pick < 24; ++pick)
            game.pick(1 + pick / 2 + (pick % 2) * 12);
        QLocale::setDefault(QLocale::c());
        QCOMPARE(game.attemptsText(), QStringLiteral("20.000"));
    }
};

QTEST_GUILESS_MAIN(GameRulesTest)
#include "game_rules_test.moc"
