#include "game.h"

#include <QLocale>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <random>

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
{
    // As the window creates its controls: card pictures and "Ancora" shown until the
    // first deal hides them, and each face picture control holding its own face.
    for (int pos = 1; pos <= CardCount; ++pos)
        m_cardShown[gridCellOf(pos)] = true;
    m_resultsShown[static_cast<std::size_t>(ResultsControl::Command1)] = true;
    for (int c = FirstFacePicture; c < FirstFacePicture + PairCount; ++c)
        m_held[c] = c;
}

void Game::Form_Load()
{
    auto &s = m_state;
    s.StartTime = m_clock();
    s.PairsFound = 0;
    s.PicksInTurn = 0;
    s.ClickCount = 0;
    // A new deal abandons a pause in progress; its cards are hidden below anyway.
    m_pausing = false;
    setResultsShown(false);

    const UniformSource next = m_seeder();
    s.DeckLetters = std::string(FullDeck);
    for (s.DealPos = 1; s.DealPos <= CardCount; ++s.DealPos) {
        s.DeckLength = static_cast<int>(s.DeckLetters.size());
        // The clamp only matters for a source that breaks its promise of [0, 1).
        s.DrawPos = std::clamp(static_cast<int>(std::floor(next() * s.DeckLength)) + 1, 1, s.DeckLength);
        s.DrawnLetter = s.DeckLetters[static_cast<std::size_t>(s.DrawPos - 1)];
        s.DeckLetters = s.DeckLetters.substr(0, static_cast<std::size_t>(s.DrawPos - 1))
                        + s.DeckLetters.substr(static_cast<std::size_t>(s.DrawPos), 50);
        s.CardLetters.at(static_cast<std::size_t>(s.DealPos - 1)) = s.DrawnLetter;
        giveTo(TransferSlot, facePictureOf(s.DrawnLetter));
        giveTo(gridCellOf(s.DealPos), TransferSlot);
    }
    HideAllFaces();
}

void Game::pick(int pos)
{
    // Clicks that cannot be a pick are dropped before they count: one that arrives
    // during the pause, or that reaches a card already face up.
    if (m_pausing || pos < 1 || pos > CardCount || m_cardShown[gridCellOf(pos)])
        return;

    auto &s = m_state;
    ++s.ClickCount;
    ++s.PicksInTurn;
    if (s.PicksInTurn == 1) {
        s.FirstPickPos = pos;
        s.FirstPickLetter = s.cardLetter(pos);
        setCardPictureShown(gridCellOf(pos), true);
    } else {
        s.SecondPickPos = pos;
        s.SecondPickLetter = s.cardLetter(pos);
        setCardPictureShown(gridCellOf(pos), true);
        s.PicksInTurn = 0;
        if (s.SecondPickLetter != s.FirstPickLetter) {
            m_pausing = true;
            s.PauseStart = m_clock();
            emit pauseStarted(PauseLength);
        } else {
            ++s.PairsFound;
        }
    }
    if (s.PairsFound == PairCount)
        showResults();
}

void Game::Command1_Click()
{
    HideAllFaces();
    Form_Load();
}

double Game::pauseRemaining() const
{
    if (!m_pausing)
        return 0;
    return std::max(0.0, m_state.PauseStart + PauseLength - m_clock());
}

bool Game::endPauseIfDue()
{
    if (!m_pausing || m_clock() - m_state.PauseStart < PauseLength)
        return false;
    m_pausing = false;
    HideFailedPair();
    return true;
}

bool Game::cardPictureShown(int cell) const { return cell >= 1 && cell <= GridCells && m_cardShown[cell]; }

bool Game::resultsControlShown(ResultsControl control) const
{
    return m_resultsShown[static_cast<std::size_t>(control)];
}

int Game::pictureHeldBy(int imageControl) const
{
    return imageControl >= 1 && imageControl <= TransferSlot ? m_held[imageControl] : 0;
}

void Game::giveTo(int to, int from)
{
    m_held[to] = m_held[from];
    emit pictureGiven(to, from);
}

void Game::setCardPictureShown(int cell, bool shown)
{
    m_cardShown[cell] = shown;
    emit cardPictureShownChanged(cell, shown);
}

void Game::setResultsShown(bool shown)
{
    for (const auto control : AllResultsControls) {
        m_resultsShown[static_cast<std::size_t>(control)] = shown;
        emit resultsControlShownChanged(control, shown);
    }
}

void Game::HideAllFaces()
{
    for (int pos = 1; pos <= CardCount; ++pos)
        setCardPictureShown(gridCellOf(pos), false);
}

void Game::HideFailedPair()
{
    setCardPictureShown(gridCellOf(m_state.FirstPickPos), false);
    setCardPictureShown(gridCellOf(m_state.SecondPickPos), false);
}

void Game::showResults()
{
    auto &s = m_state;
    s.EndTime = m_clock();
    // Never negative, even if a clock were to step back.
    s.ElapsedSeconds = std::floor(std::max(0.0, s.EndTime - s.StartTime));
    m_secondsText = QString::number(static_cast<qint64>(s.ElapsedSeconds));
    // A game always ends on the second pick of a turn, so the count is even.
    m_attemptsText = QLocale().toString(static_cast<qint64>(s.ClickCount / 2));
    emit resultsTextsChanged(m_secondsText, m_attemptsText);
    setResultsShown(true);
}

} // namespace pairon12
