#pragma once

#include <array>

namespace pairon12 {

// The program's icon, drawn at build time: premultiplied ARGB, one word a pixel.
struct BakedIcon {
    int side;
    const unsigned int *pixels;
};

extern const std::array<BakedIcon, 4> BakedIcons;

} // namespace pairon12
