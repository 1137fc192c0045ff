// The windows' sizes and column widths were designed in twips (1440 to the inch).
#pragma once

namespace varlen::gui {

// Twips to pixels at 96 dots per inch.
inline int Twips(int twips) {
    return twips * 96 / 1440;
}

} // namespace varlen::gui
