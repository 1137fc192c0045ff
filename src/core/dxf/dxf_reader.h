// A DXF file read as what it is: a sequence of pairs of lines, a group code and its value. Only the
// LINE entities of the ENTITIES section are taken, each with its own end points; everything else is
// passed over, and the entities passed over are counted by kind so the user hears what was left out.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "project/sma_format.h"

namespace varlen::dxf {

struct DrawnLine {
    std::array<double, 3> start{}; // X, Y, Z in the drawing's units (codes 10, 20, 30)
    std::array<double, 3> end{};   // codes 11, 21, 31
    int line = 0;                  // the file line of the entity's "LINE"
};

struct Drawing {
    std::vector<DrawnLine> lines; // model-space LINE entities of the ENTITIES section, in file order
    // Entities of the ENTITIES section that are not taken, by kind in order of first appearance
    // ("CIRCLE", "LWPOLYLINE", "LINE in paper space"), with their counts. The vertices and attributes
    // that belong to a polyline or a block reference count with it, not on their own.
    std::vector<std::pair<std::string, int>> leftOut;
    std::optional<int> units; // the header's $INSUNITS, when it has one
    bool hasEntities = false; // the file has an ENTITIES section
};

struct DrawingOutcome {
    std::optional<Drawing> drawing; // empty when the file is damaged
    project::Diagnostic problem;    // the line and what is wrong there
};

// Reads the whole text (LF or CR LF line ends; codes may carry blanks around them). A file that is not
// a sequence of code and value lines, or whose LINE has a co-ordinate that is not a number or lacks one,
// is refused at the line at fault. Reading stops at the EOF marker; a file that ends without one keeps
// every entity read up to its end.
[[nodiscard]] DrawingOutcome ReadDrawing(std::string_view bytes);

} // namespace varlen::dxf
