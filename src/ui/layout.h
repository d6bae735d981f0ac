#pragma once

#include <QRect>

#include <array>
#include <cstdint>

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

// Grid squares are 975 twips on a 960-twip pitch: neighbours share a one-pixel strip.
constexpr QRect cellRect(int cell)
{
    const int row = (cell - 1) / GridSide;
    const int column = (cell - 1) % GridSide;
    return twipsRect(1560 + 960 * column, 1080 + 960 * row, 975, 975);
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

enum class ControlKind : std::uint8_t { Label, Picture, TextBox, Button };

struct ControlSpec {
    ControlKind kind;
    int number;                   // Label26, Image38, Text1, Command1...
    int left, top, width, height; // twips
    QRect rect() const { return twipsRect(left, top, width, height); }
};

// Everything off the grid. The face picture controls and the transfer slot are
// never shown; they only hold pictures.
// clang-format off
inline constexpr std::array<ControlSpec, 19> OffGridControls{{
    {ControlKind::Label, 28, 1560, 360, 2535, 375},
    {ControlKind::TextBox, 1, 4440, 360, 855, 375},
    {ControlKind::Label, 27, 480, 6240, 1455, 375},
    {ControlKind::TextBox, 2, 2280, 6240, 615, 375},
    {ControlKind::Button, 1, 4680, 6360, 1215, 375},
    {ControlKind::Label, 26, 120, 2400, 1215, 1215},
    {ControlKind::Picture, 26, 120, 240, 975, 975},
    {ControlKind::Picture, 27, 120, 240, 975, 975},
    {ControlKind::Picture, 28, 120, 240, 975, 975},
    {ControlKind::Picture, 29, 120, 240, 975, 975},
    {ControlKind::Picture, 30, 120, 240, 975, 975},
    {ControlKind::Picture, 31, 120, 240, 975, 975},
    {ControlKind::Picture, 32, 120, 240, 975, 975},
    {ControlKind::Picture, 33, 120, 360, 975, 975},
    {ControlKind::Picture, 34, 120, 240, 975, 975},
    {ControlKind::Picture, 35, 240, 240, 975, 975},
    {ControlKind::Picture, 36, 120, 240, 975, 975},
    {ControlKind::Picture, 37, 120, 240, 975, 975},
    {ControlKind::Picture, 38, 120, 240, 975, 975},
}};
// clang-format on

// Image26..Image37 hold the faces of the letters "a".."n"; Image38 passes a face on.
inline constexpr int FirstFacePicture = 26;
inline constexpr int TransferSlot = 38;

} // namespace pairon12
