// A truss from a CAD drawing: every distinct end point of the drawing's lines becomes a joint, every
// line a member. Points are matched in the chosen plane's two co-ordinates, to within float noise.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "dxf/dxf_export.h"
#include "dxf/dxf_reader.h"
#include "project/project.h"

namespace varlen::dxf {

// Captions the desktop program shows about an import.
inline constexpr const char* kDrawingFilter = "Drawing Interchange File (*.dxf)";
inline constexpr const char* kOpenDrawingTitle = "Open Drawing Interchange File (Autocad LT 97)";

// Two co-ordinates are one when they differ by no more than this part of the drawing's size.
inline constexpr double kRelativeTolerance = 1e-9;

struct ImportOutcome {
    // A new project whose joints and members are those drawn; every other table as a new project has
    // it. Empty when the drawing was refused.
    std::optional<project::Project> project;
    project::Diagnostic problem; // when refused: the line (0 when not one line) and what is wrong
    std::string message;         // when imported: what was made, converted, left out and doubled
    int joints = 0, members = 0;
};

// The joints and members of a drawing already read.
[[nodiscard]] ImportOutcome ImportDrawing(const Drawing& drawing, Plane plane);
// Reads the text of a DXF file and imports it; nothing is produced unless the whole file reads.
[[nodiscard]] ImportOutcome ImportDXF(std::string_view bytes, Plane plane);
// The same for a file on disk (a folder, device or pipe is refused at once).
[[nodiscard]] ImportOutcome ImportDXFFile(const std::filesystem::path& path, Plane plane);

} // namespace varlen::dxf
