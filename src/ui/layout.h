#pragma once

#include <QFont>
#include <QRect>

#include <array>
#include <string_view>

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

// Grid squares are 975 twips on a 960-twip pitch: neighbours share a one-pixel strip.
inline constexpr int CellSizeTwips = 975;
inline constexpr int CellPitchTwips = 960;
inline constexpr int GridLeftTwips = 1560;
inline constexpr int GridTopTwips = 1080;

constexpr QRect cellRect(int cell)
{
    const int row = (cell - 1) / 5;
    const int column = (cell - 1) % 5;
    return twipsRect(GridLeftTwips + CellPitchTwips * column, GridTopTwips + CellPitchTwips * row, CellSizeTwips,
                     CellSizeTwips);
}

enum class ControlKind { Label, Picture, TextBox, Button };

struct ControlSpec {
    std::string_view name;
    ControlKind kind;
    int left, top, width, height; // twips
    QRect rect() const { return twipsRect(left, top, width, height); }
};

// Everything off the grid. The face picture controls and the transfer slot are
// never shown; they only hold pictures.
// clang-format off
inline constexpr std::array<ControlSpec, 19> OffGridControls{{
    {"Label28", ControlKind::Label, 1560, 360, 2535, 375},
    {"Text1", ControlKind::TextBox, 4440, 360, 855, 375},
    {"Label27", ControlKind::Label, 480, 6240, 1455, 375},
    {"Text2", ControlKind::TextBox, 2280, 6240, 615, 375},
    {"Command1", ControlKind::Button, 4680, 6360, 1215, 375},
    {"Label26", ControlKind::Label, 120, 2400, 1215, 1215},
    {"Image26", ControlKind::Picture, 120, 240, 975, 975},
    {"Image27", ControlKind::Picture, 120, 240, 975, 975},
    {"Image28", ControlKind::Picture, 120, 240, 975, 975},
    {"Image29", ControlKind::Picture, 120, 240, 975, 975},
    {"Image30", ControlKind::Picture, 120, 240, 975, 975},
    {"Image31", ControlKind::Picture, 120, 240, 975, 975},
    {"Image32", ControlKind::Picture, 120, 240, 975, 975},
    {"Image33", ControlKind::Picture, 120, 360, 975, 975},
    {"Image34", ControlKind::Picture, 120, 240, 975, 975},
    {"Image35", ControlKind::Picture, 240, 240, 975, 975},
    {"Image36", ControlKind::Picture, 120, 240, 975, 975},
    {"Image37", ControlKind::Picture, 120, 240, 975, 975},
    {"Image38", ControlKind::Picture, 120, 240, 975, 975},
}};
// clang-format on

// A bold plain sans-serif face whose metrics fit every caption in its box. Sizes
// are set in pixels at 96 dpi so that text scales with the twips, not the screen.
QFont captionFont(double points);

} // namespace pairon12
