#pragma once

#include <QRect>

#include <array>

namespace pairon12 {

// The window is laid out in twips (1/1440 inch). At 96 dpi a logical pixel is 15
// twips and every figure below divides evenly; Qt's device pixel ratio then scales
// the whole window on denser screens.
inline constexpr int TwipsPerPixel = 15;
inline constexpr int TwipsPerPoint = 20;

constexpr int twipsToPixels(int twips) { return twips / TwipsPerPixel; }

constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

inline constexpr int ClientWidthTwips = 7860;
inline constexpr int ClientHeightTwips = 7005;

// The grid's cells are numbered 1..25 row by row; the centre one holds the "X", and the
// 24 cards fill the others in the same order, so card 13 lies in cell 14.
inline constexpr int GridSide = 5;
inline constexpr int CentreCell = 13;

constexpr int gridCellOf(int pos) { return pos < CentreCell ? pos : pos + 1; }

// A card's square, and every picture control's: 65 pixels a side at 96 dpi. The faces are
// drawn for it, and their light fringe grows with it.
inline constexpr int CardSideTwips = 975;
inline constexpr int CardSide = twipsToPixels(CardSideTwips);

// Neighbouring squares share a one-pixel strip: the grid's pitch is a pixel less than a side.
constexpr QRect cellRect(int cell)
{
    constexpr int pitch = CardSideTwips - TwipsPerPixel;
    const int row = (cell - 1) / GridSide;
    const int column = (cell - 1) % GridSide;
    return twipsRect(1560 + pitch * column, 1080 + pitch * row, CardSideTwips, CardSideTwips);
}

// The card an arrow key reaches from card `pos`, a step of (rows, columns) away: the
// centre holds no card and is stepped over, and at the grid's edge the keyboard stays.
constexpr int neighbourCard(int pos, int rows, int columns)
{
    const int cell = gridCellOf(pos);
    int row = (cell - 1) / GridSide + rows;
    int column = (cell - 1) % GridSide + columns;
    if (row * GridSide + column + 1 == CentreCell) {
        row += rows;
        column += columns;
    }
    if (row < 0 || row >= GridSide || column < 0 || column >= GridSide)
        return pos;
    const int to = row * GridSide + column + 1;
    return to < CentreCell ? to : to - 1;
}

enum class ControlKind { Label, Image, TextBox, Button };

struct ControlSpec {
    ControlKind kind;
    int number;                   // Label26, Image38, Text1, Command1...
    int left, top, width, height; // twips
    QRect rect() const { return twipsRect(left, top, width, height); }
};

// The controls off the grid keep their numbers (Label28, Image38); the code knows them by
// what they are.
inline constexpr int SecondsCaption = 28;   // Label28
inline constexpr int AttemptsCaption = 27;  // Label27
inline constexpr int Instruction = 26;      // Label26
inline constexpr int SecondsBox = 1;        // Text1
inline constexpr int AttemptsBox = 2;       // Text2
inline constexpr int Restart = 1;           // Command1, "Ancora"
inline constexpr int FirstFacePicture = 26; // Image26..Image37 hold the faces of "a".."n"
inline constexpr int TransferSlot = 38;     // Image38 passes a face on

// Everything off the grid. The face picture controls and the transfer slot are
// never shown; they only hold pictures.
// clang-format off
inline constexpr std::array<ControlSpec, 19> OffGridControls{{
    {ControlKind::Label, SecondsCaption, 1560, 360, 2535, 375},
    {ControlKind::TextBox, SecondsBox, 4440, 360, 855, 375},
    {ControlKind::Label, AttemptsCaption, 480, 6240, 1455, 375},
    {ControlKind::TextBox, AttemptsBox, 2280, 6240, 615, 375},
    {ControlKind::Button, Restart, 4680, 6360, 1215, 375},
    {ControlKind::Label, Instruction, 120, 2400, 1215, 1215},
    {ControlKind::Image, FirstFacePicture, 120, 240, CardSideTwips, CardSideTwips},
    {ControlKind::Image, 27, 120, 240, CardSideTwips, CardSideTwips},
    {ControlKind::Image, 28, 120, 240, CardSideTwips, CardSideTwips},
    {ControlKind::Image, 29, 120, 240, CardSideTwips, CardSideTwips},
    {ControlKind::Image, 30, 120, 240, CardSideTwips, CardSideTwips},
    {ControlKind::Image, 31, 120, 240, CardSideTwips, CardSideTwips},
    {ControlKind::Image, 32, 120, 240, CardSideTwips, CardSideTwips},
    {ControlKind::Image, 33, 120, 360, CardSideTwips, CardSideTwips},
    {ControlKind::Image, 34, 120, 240, CardSideTwips, CardSideTwips},
    {ControlKind::Image, 35, 240, 240, CardSideTwips, CardSideTwips},
    {ControlKind::Image, 36, 120, 240, CardSideTwips, CardSideTwips},
    {ControlKind::Image, 37, 120, 240, CardSideTwips, CardSideTwips},
    {ControlKind::Image, TransferSlot, 120, 240, CardSideTwips, CardSideTwips},
}};
// clang-format on

} // namespace pairon12
