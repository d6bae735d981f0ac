#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace pairon12 {

inline constexpr int CardCount = 24;
inline constexpr int PairCount = 12;

// One letter for each of the twelve faces. j and k are left out on purpose: the letters
// name the pictures, not the alphabet.
inline constexpr std::string_view FaceLetters = "abcdefghilmn";
static_assert(FaceLetters.size() == PairCount);

// The deck a deal draws from: every letter twice.
inline constexpr std::array<char, CardCount> FaceLettersTwice = [] {
    std::array<char, CardCount> letters{};
    for (std::size_t i = 0; i < letters.size(); ++i)
        letters[i] = FaceLetters[i % PairCount];
    return letters;
}();
inline constexpr std::string_view FullDeck{FaceLettersTwice.data(), CardCount};

// One game's record. Seconds are readings of a monotonic clock, so a game or a pause
// that runs across midnight still measures its true length.
struct BoardState {
    double StartTime = 0;
    int PairsFound = 0;
    int PicksInTurn = 0;
    // Far wider than any game needs: no player clicks often enough to wrap it.
    std::int64_t ClickCount = 0;

    // Positions count from 1, as the cards do: CardLetters[pos - 1].
    std::array<char, CardCount> CardLetters{};
    // Whether the card at a position shows its face: matched, the first pick of the
    // turn, or one of a failed pair still in its pause.
    std::array<bool, CardCount> FaceUp{};

    int FirstPickPos = 0;
    int SecondPickPos = 0;
    char FirstPickLetter = 0;
    char SecondPickLetter = 0;

    double EndTime = 0;
    double ElapsedSeconds = 0;
    double PauseStart = 0;
    bool Pausing = false;
};

} // namespace pairon12
