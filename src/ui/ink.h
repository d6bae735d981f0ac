#pragma once

#include <QColor>

namespace pairon12 {

// What a colour needs against the ground it lies on to read: text, and lines or marks.
inline constexpr double TextContrast = 4.5;
inline constexpr double LineContrast = 3.0;

// The ratio of the lighter colour's relative luminance to the darker's, each plus 0.05:
// 1 for the same colour, 21 for black on white.
double contrast(const QColor &a, const QColor &b);

// `colour` itself where it reads at `ratio` against `ground`. Otherwise the colour
// mixed from it toward `towards` just far enough to read; toward black or white instead,
// whichever reads better, where not even `towards` does.
QColor legible(const QColor &colour, const QColor &ground, double ratio, const QColor &towards);
inline QColor legible(const QColor &colour, const QColor &ground, double ratio)
{
    return legible(colour, ground, ratio, colour);
}

} // namespace pairon12
