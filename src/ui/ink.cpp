#include "ink.h"

#include <algorithm>
#include <cmath>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace pairon12 {

namespace {

#ifdef Q_OS_WIN
QColor systemColour(int index)
{
    const COLORREF colour = GetSysColor(index);
    return {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
}
#endif

double relativeLuminance(const QColor &colour)
{
    auto linear = [](float channel) {
        return channel <= 0.04045F ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

} // namespace

double contrast(const QColor &a, const QColor &b)
{
    const double one = relativeLuminance(a) + 0.05;
    const double other = relativeLuminance(b) + 0.05;
    return std::max(one, other) / std::min(one, other);
}

QColor blackOrWhiteOn(const QColor &ground)
{
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return contrast(black, ground) > contrast(white, ground) ? black : white;
}

QColor legible(const QColor &colour, const QColor &ground, double ratio, const QColor &towards)
{
    if (contrast(colour, ground) >= ratio)
        return colour;
    const QColor target = contrast(towards, ground) >= ratio ? towards : blackOrWhiteOn(ground);
    // Step by step, not by halving: on the way the mix may cross the ground's own
    // lightness. In whole 8-bit steps, so that what is measured here is what is drawn.
    constexpr int Steps = 255;
    const QColor from = colour.toRgb();
    const QColor to = target.toRgb();
    for (int step = 1; step < Steps; ++step) {
        auto mix = [step](int a, int b) { return a + (b - a) * step / Steps; };
        const QColor mixed(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()));
        if (contrast(mixed, ground) >= ratio)
            return mixed;
    }
    return to;
}

QColor greyedText([[maybe_unused]] const QPalette &palette, [[maybe_unused]] QPalette::ColorRole role)
{
#ifdef Q_OS_WIN
    return systemColour(COLOR_GRAYTEXT);
#else
    return palette.color(QPalette::Disabled, role);
#endif
}

QColor scrollBarColour([[maybe_unused]] const QPalette &palette)
{
#ifdef Q_OS_WIN
    return systemColour(COLOR_SCROLLBAR);
#else
    return palette.color(QPalette::Active, QPalette::Midlight);
#endif
}

} // namespace pairon12
