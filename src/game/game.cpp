#include "game.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <random>
#include <string>

namespace pairon12 {

Game::Clock Game::steadyClock()
{
    return [] {
        using namespace std::chrono;
        return duration<double>(steady_clock::now().time_since_epoch()).count();
    };
}

Game::Seeder Game::freshlySeeded()
{
    return [] {
        // The nanosecond count and a running number keep two deals in the same
        // instant apart even where random_device is a fixed sequence.
        static std::uint64_t deals = 0;
        const auto ticks =
            static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
        std::random_device device;
        std::seed_seq seq{device(), device(), static_cast<unsigned>(ticks), static_cast<unsigned>(ticks >> 32),
                          static_cast<unsigned>(++deals)};
        auto engine = std::make_shared<std::mt19937_64>(seq);
        // 53 random bits over 2^53 can never reach 1, unlike generate_canonical.
        return UniformSource([engine] { return static_cast<double>((*engine)() >> 11) * 0x1.0p-53; });
    };
}

Game::Game(Clock clock, Seeder seeder, QObject *parent)
    : QObject(parent)
    , m_clock(std::move(clock))
    , m_seeder(std::move(seeder))
{}

void Game::deal()
{
    auto &s = m_state;
    s.StartTime = m_clock();
    s.PairsFound = 0;
    s.PicksInTurn = 0;
    s.ClickCount = 0;
    // A new deal abandons a pause in progress along with everything else.
    s.Pausing = false;
    s.FaceUp.fill(false);

    // Drawn without replacement: every arrangement of the deck is equally likely.
    const UniformSource next = m_seeder();
    std::string DeckLetters(FullDeck);
    for (int DealPos = 1; DealPos <= CardCount; ++DealPos) {
        const int DeckLength = static_cast<int>(DeckLetters.size());
        // The clamp only matters for a source that breaks its promise of [0, 1).
        const int DrawPos = std::clamp(static_cast<int>(std::floor(next() * DeckLength)) + 1, 1, DeckLength);
        const char DrawnLetter = DeckLetters[static_cast<std::size_t>(DrawPos - 1)];
        DeckLetters.erase(static_cast<std::size_t>(DrawPos - 1), 1);
        s.CardLetters.at(static_cast<std::size_t>(DealPos - 1)) = DrawnLetter;
        emit dealt(DealPos, DrawnLetter);
    }
}

void Game::pick(int pos)
{
    auto &s = m_state;
    if (s.Pausing || pos < 1 || pos > CardCount || s.FaceUp[static_cast<std::size_t>(pos - 1)])
        return;

    ++s.ClickCount;
    ++s.PicksInTurn;
    const char letter = s.CardLetters[static_cast<std::size_t>(pos - 1)];
    if (s.PicksInTurn == 1) {
        s.FirstPickPos = pos;
        s.FirstPickLetter = letter;
    } else {
        s.SecondPickPos = pos;
        s.SecondPickLetter = letter;
    }
    s.FaceUp[static_cast<std::size_t>(pos - 1)] = true;
    emit turnedUp(pos);
    if (s.PicksInTurn == 2) {
        s.PicksInTurn = 0;
        if (s.SecondPickLetter == s.FirstPickLetter) {
            ++s.PairsFound;
            emit pairFound(s.FirstPickPos, s.SecondPickPos);
        } else {
            s.Pausing = true;
            s.PauseStart = m_clock();
            emit pairFailed(s.FirstPickPos, s.SecondPickPos, PauseLength);
        }
    }
    if (s.PairsFound == PairCount) {
        s.EndTime = m_clock();
        // Never negative, even if a clock were to step back.
        s.ElapsedSeconds = std::floor(std::max(0.0, s.EndTime - s.StartTime));
        // A game always ends on the second pick of a turn, so the count is even.
        emit finished(static_cast<qint64>(s.ElapsedSeconds), s.ClickCount / 2);
    }
}

double Game::endPauseIfDue()
{
    auto &s = m_state;
    if (!s.Pausing)
        return 0;
    const double remaining = s.PauseStart + PauseLength - m_clock();
    if (remaining > 0)
        return remaining;
    s.Pausing = false;
    s.FaceUp[static_cast<std::size_t>(s.FirstPickPos - 1)] = false;
    s.FaceUp[static_cast<std::size_t>(s.SecondPickPos - 1)] = false;
    emit turnedBack(s.FirstPickPos, s.SecondPickPos);
    return 0;
}

} // namespace pairon12
