// The scene as an SVG document, without Qt: the batch pictures, the reports and the tests see the same
// drawing the window paints.
#pragma once

#include <string>

#include "drawing/scene.h"

namespace varlen::drawing {

struct SvgOptions {
    ViewRect view;      // the world rectangle drawn (the caller keeps the picture's proportions)
    int widthPx = 1200; // the picture's size; the height follows the view's proportions, plus a strip
                        // under the picture for the scene's notes when it has any
    Colour background{255, 255, 255};
};

[[nodiscard]] std::string WriteSvg(const Scene& scene, const SvgOptions& options);

} // namespace varlen::drawing
