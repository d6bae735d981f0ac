#pragma once

#include <QColor>
#include <QPalette>

namespace pairon12 {

// What a colour needs against the ground it lies on to read: text, and lines or marks.
inline constexpr double TextContrast = 4.5;
inline constexpr double LineContrast = 3.0;

// The ratio of the lighter colour's relative luminance to the darker's, each plus 0.05:
// 1 for the same colour, 21 for black on white.
double contrast(const QColor &a, const QColor &b);

// Black or white, whichever stands out more from `ground`.
QColor blackOrWhiteOn(const QColor &ground);

// `colour` itself where it reads at `ratio` against `ground`. Otherwise the colour
// mixed from it toward `towards` just far enough to read; toward black or white instead,
// whichever reads better, where not even `towards` does.
QColor legible(const QColor &colour, const QColor &ground, double ratio, const QColor &towards);
inline QColor legible(const QColor &colour, const QColor &ground, double ratio)
{
    return legible(colour, ground, ratio, colour);
}

// The colour a player's desktop gives greyed text in a palette's role. Windows keeps one of
// its own among its system colours, which a high contrast scheme sets and Qt's palette
// does not carry: Qt mixes the text and its ground there instead.
QColor greyedText(const QPalette &palette, QPalette::ColorRole role);

// The colour of a scroll bar's track. Windows names it among its system colours; other
// desktops name none, and a palette's midlight, a shade set apart from the ground, stands
// in for it.
QColor scrollBarColour(const QPalette &palette);

} // namespace pairon12
