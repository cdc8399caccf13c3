#include "base/twips.h"

#include "base/numbers.h"

namespace quorvel {

std::optional<PixelRect> WindowPixelGeometry(Twips left,
                                             Twips top,
                                             Twips width,
                                             Twips height,
                                             float twipsPerPixelX,
                                             float twipsPerPixelY) {
    const auto x = RoundToInt32(static_cast<double>(left) / static_cast<double>(twipsPerPixelX));
    const auto tppX = RoundToInt32(twipsPerPixelX);
    const auto tppY = RoundToInt32(twipsPerPixelY);
    const auto roundedTop = RoundToInt32(top);
    const auto roundedWidth = RoundToInt32(width);
    const auto roundedHeight = RoundToInt32(height);
    if (!x || !tppX || !tppY || !roundedTop || !roundedWidth || !roundedHeight) return std::nullopt;
    if (*tppX == 0 || *tppY == 0) return std::nullopt;
    return PixelRect{*x, *roundedTop / *tppY, *roundedWidth / *tppX, *roundedHeight / *tppY};
}

}  // namespace quorvel
