#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pairon12 {

inline constexpr int CardCount = 24;
inline constexpr int GridSide = 5;
inline constexpr int GridCells = GridSide * GridSide;
inline constexpr int CentreCell = 13;
inline constexpr int PairCount = 12;

// j and k are left out on purpose: the letters name the pictures, not the alphabet.
inline constexpr std::string_view FaceLetters = "abcdefghilmn";
inline constexpr std::string_view FullDeck = "abcdefghilmnabcdefghilmn";

// Picture controls are numbered as the window numbers them: Image1..Image25 sit on
// the grid, Image26..Image37 hold the faces "a".."n", Image38 passes a face on.
inline constexpr int FirstFacePicture = 26;
inline constexpr int TransferSlot = 38;

// Cards are counted row by row, skipping the centre cell, which holds the "X".
constexpr int gridCellOf(int pos) { return pos <= CentreCell - 1 ? pos : pos + 1; }

// 0 for the centre cell and for anything off the grid: no card lives there.
constexpr int cardPositionOf(int cell)
{
    if (cell < 1 || cell > GridCells || cell == CentreCell)
        return 0;
    return cell < CentreCell ? cell : cell - 1;
}

// The cell an arrow key reaches from `cell`, a step of (rows, columns) away: the
// centre holds no card and is stepped over, and at the grid's edge the focus stays.
constexpr int neighbourCell(int cell, int rows, int columns)
{
    int row = (cell - 1) / GridSide + rows;
    int column = (cell - 1) % GridSide + columns;
    if (row * GridSide + column + 1 == CentreCell) {
        row += rows;
        column += columns;
    }
    if (row < 0 || row >= GridSide || column < 0 || column >= GridSide)
        return cell;
    return row * GridSide + column + 1;
}

// The face picture control holding a letter's face, or 0 for a letter that has none.
constexpr int facePictureOf(char letter)
{
    const auto i = FaceLetters.find(letter);
    return i == std::string_view::npos ? 0 : FirstFacePicture + static_cast<int>(i);
}

// The controls of the results panel, in the order in which a deal hides them
// and the end of a game shows them.
enum class ResultsControl { Text1, Text2, Label27, Label28, Command1 };
inline constexpr std::array AllResultsControls = {ResultsControl::Text1, ResultsControl::Text2, ResultsControl::Label27,
                                                  ResultsControl::Label28, ResultsControl::Command1};

// One game's record. Seconds are readings of a monotonic clock, so a game or a pause
// that runs across midnight still measures its true length.
struct BoardState {
    double StartTime = 0;
    int PairsFound = 0;
    int PicksInTurn = 0;
    // 64 bits: a player who keeps clicking for hours must still read the right count.
    std::int64_t ClickCount = 0;

    std::string DeckLetters;
    int DealPos = 0;
    int DeckLength = 0;
    int DrawPos = 0;
    char DrawnLetter = 0;

    std::array<char, CardCount> CardLetters{};

    int FirstPickPos = 0;
    int SecondPickPos = 0;
    char FirstPickLetter = 0;
    char SecondPickLetter = 0;

    double EndTime = 0;
    double ElapsedSeconds = 0;
    double PauseStart = 0;

    // Positions count from 1, as the cards do.
    char cardLetter(int pos) const { return CardLetters.at(static_cast<std::size_t>(pos - 1)); }
};

} // namespace pairon12
