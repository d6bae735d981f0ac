#pragma once

#include <QColor>
#include <QPalette>

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

// Made anew whenever the palette changes: from the palette, and on Windows from the
// system colours that Qt's palette does not carry (greyed text, the scroll bar's track).
Colours coloursFor(const QPalette &palette);

} // namespace pairon12
