// The truss's members as LINE entities of a DXF file, for a CAD drawing of the truss lying in the X-Y
// plane or standing upright in the X-Z plane. The file is the smallest that CAD programs read: one
// ENTITIES section, no header, tables or blocks, every line on layer "O".
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "project/project.h"

namespace varlen::dxf {

// The plane the truss's X and Y become in the drawing: X-Y as drawn, or X-Z with the truss's Y upward
// along the drawing's Z.
enum class Plane { XY, XZ };

// Captions and messages the desktop program shows about an export.
inline constexpr const char* kCannotExportTitle = "You Currently Cannot Export DXF ";
inline constexpr const char* kCannotExportText = "Save or Open A Grid File First.";

struct ExportOutcome {
    bool ok = false;
    std::string error; // for the user: the member at fault or the file that could not be written
    int lines = 0;     // LINE entities written, one a member
};

// The drawing's text for the tables as they stand: co-ordinates in millimetres, as the project file
// holds them, members in table order; CR LF line ends. Nothing when a member names a joint that is not
// in the joints table, with the member in `error`. A member row never filled in (every cell blank,
// as a new project's first row) is no member and draws nothing.
[[nodiscard]] std::optional<std::string> DxfText(const project::Project& project, Plane plane,
                                                 std::string& error, int* lines = nullptr);

// Writes DxfText to `path`, whole or not at all: a failure leaves any earlier file as it was.
[[nodiscard]] ExportOutcome CreateDXF(const project::Project& project, Plane plane,
                                      const std::filesystem::path& path);

// Where the drawing of the project saved at `project` goes: beside it, the extension replaced by ".dxf".
// Empty when that would be the project file itself (a project named "x.dxf").
[[nodiscard]] std::filesystem::path DxfPathFor(const std::filesystem::path& project);

} // namespace varlen::dxf
