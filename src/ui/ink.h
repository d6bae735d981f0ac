#pragma once

#include <QColor>
#include <QPalette>

#include <optional>

namespace pairon12 {

// What a colour needs against the ground it lies on to read: text, and lines or marks.
inline constexpr double TextContrast = 4.5;
inline constexpr double LineContrast = 3.0;

// The player's colours as the game draws them, each made to read on the ground it is
// drawn on: the palette's own where it reads there, else the nearest colour that does.
// All opaque, so that what was measured is what is drawn.
struct Colours {
    // Of the window, the captions and the cards: the button face.
    QColor ground;
    QColor caption;
    QColor greyedCaption;
    // The cards' borders and the X's.
    QColor line;
    // The keyboard's ring around a card, and its second tone inside, which shows it on
    // any face.
    QColor ring;
    QColor ringTone;
    QColor resultsGround;
    // The results' digits, greyed as the boxes are disabled.
    QColor digits;
    // Always pure red; outlined in black or white where red does not read on the ground,
    // with no outline (an invalid colour) where it does.
    QColor cross;
    QColor crossOutline;
};

// Two colours of a Windows high contrast scheme that Qt's palette does not carry: greyed
// text (Qt mixes the text and its ground instead) and a scroll bar's track.
struct HighContrastColours {
    QColor greyedText;
    QColor scrollBar;
};

// The scheme's two where Windows has a high contrast scheme on. Nowhere else: in Windows'
// light and dark modes the system colours are left at the classic ones, which dark mode
// does not touch, and the palette is the player's.
std::optional<HighContrastColours> highContrastColours();

// Made anew whenever the palette changes, from the palette and, under a high contrast
// scheme, its two colours.
Colours coloursFor(const QPalette &palette, const std::optional<HighContrastColours> &highContrast);

} // namespace pairon12
