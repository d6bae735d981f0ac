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

// The ratio of the lighter colour's relative luminance to the darker's, each plus 0.05:
// 1 for the same colour, 21 for black on white.
double contrast(const QColor &a, const QColor &b)
{
    const double one = relativeLuminance(a) + 0.05;
    const double other = relativeLuminance(b) + 0.05;
    return std::max(one, other) / std::min(one, other);
}

// What a translucent colour looks like once drawn on `ground`.
QColor over(const QColor &colour, const QColor &ground)
{
    const QColor top = colour.toRgb();
    const QColor bottom = ground.toRgb();
    const int alpha = top.alpha();
    auto mix = [alpha](int a, int b) { return (a * alpha + b * (255 - alpha) + 127) / 255; };
    return {mix(top.red(), bottom.red()), mix(top.green(), bottom.green()), mix(top.blue(), bottom.blue())};
}

QColor blackOrWhiteOn(const QColor &ground)
{
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return contrast(black, ground) > contrast(white, ground) ? black : white;
}

// `colour` itself where it reads at `ratio` against `ground`. Otherwise the colour
// mixed from it toward `towards` just far enough to read; toward black or white instead,
// whichever reads better, where not even `towards` does.
QColor legible(const QColor &colour, const QColor &ground, double ratio, const QColor &towards)
{
    const QColor from = over(colour, ground);
    if (contrast(from, ground) >= ratio)
        return from;
    const QColor towardsDrawn = over(towards, ground);
    const QColor to = contrast(towardsDrawn, ground) >= ratio ? towardsDrawn : blackOrWhiteOn(ground);
    // Step by step, not by halving: on the way the mix may cross the ground's own
    // lightness. In whole 8-bit steps, so that what is measured here is what is drawn.
    constexpr int Steps = 255;
    for (int step = 1; step < Steps; ++step) {
        auto mix = [step](int a, int b) { return a + (b - a) * step / Steps; };
        const QColor mixed(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()));
        if (contrast(mixed, ground) >= ratio)
            return mixed;
    }
    return to;
}

} // namespace

#ifdef Q_OS_WIN
std::optional<HighContrastColours> highContrastColours()
{
    HIGHCONTRASTW scheme{};
    scheme.cbSize = sizeof(scheme);
    if (!SystemParametersInfoW(SPI_GETHIGHCONTRAST, scheme.cbSize, &scheme, 0)
        || (scheme.dwFlags & HCF_HIGHCONTRASTON) == 0)
        return std::nullopt;
    return HighContrastColours{systemColour(COLOR_GRAYTEXT), systemColour(COLOR_SCROLLBAR)};
}
#else
std::optional<HighContrastColours> highContrastColours() { return std::nullopt; }
#endif

Colours coloursFor(const QPalette &palette, const std::optional<HighContrastColours> &highContrast)
{
    Colours colours;
    // Each text measured on the ground Qt pairs it with: button text on the button face,
    // a box's text on its base.
    const QColor ground = over(palette.color(QPalette::Active, QPalette::Button), Qt::black);
    const QColor text = palette.color(QPalette::Active, QPalette::ButtonText);
    colours.ground = ground;
    colours.caption = legible(text, ground, TextContrast, text);
    // Greyed text in a role: the scheme's own under high contrast, else the palette's.
    auto greyed = [&](QPalette::ColorRole role) {
        return highContrast ? highContrast->greyedText : palette.color(QPalette::Disabled, role);
    };
    // A disabled grey often does not read: it is drawn toward the enabled colour until it does.
    colours.greyedCaption = legible(greyed(QPalette::ButtonText), ground, TextContrast, text);
    colours.line = legible(text, ground, LineContrast, text);
    // Dark blue where it reads on the card; else the palette's highlight, made to read.
    const QColor blue(0x1a, 0x3f, 0x9c);
    colours.ring = contrast(blue, ground) >= LineContrast
                       ? blue
                       : legible(palette.color(QPalette::Active, QPalette::Highlight), ground, LineContrast, text);
    colours.ringTone = blackOrWhiteOn(colours.ring);
    // A scroll bar's track, as the results' boxes are, where a high contrast scheme names
    // one; elsewhere the palette's midlight, a shade set apart from the ground, stands in.
    colours.resultsGround =
        over(highContrast ? highContrast->scrollBar : palette.color(QPalette::Active, QPalette::Midlight), ground);
    colours.digits = legible(greyed(QPalette::Text), colours.resultsGround, TextContrast,
                             palette.color(QPalette::Active, QPalette::Text));
    colours.cross = QColor(Qt::red);
    if (contrast(colours.cross, ground) < LineContrast)
        colours.crossOutline = blackOrWhiteOn(ground);
    return colours;
}

} // namespace pairon12
