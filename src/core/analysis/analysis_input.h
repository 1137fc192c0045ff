// The analysis engine's input: the numbers of a project file, read record by record, before any check.
// References (joint, material and section numbers) are kept as read, as doubles, so that the checks
// can name a member whose joint is 0, 2.5 or beyond the table instead of reading some other row.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "project/project.h"
#include "project/sma_format.h"

namespace varlen::analysis {

struct AnalysisInput {
    struct Support {
        double joint = 0;   // the joint number the line names
        double x = 0;       // restraint codes: exactly 1 means restrained, anything else free
        double y = 0;
    };
    struct Member {
        double jointI = 0, jointJ = 0, material = 0, section = 0;
    };
    struct Load {
        double joint = 0, fx = 0, fy = 0;   // kN along the global axes
    };

    std::vector<double> jointX, jointY;   // mm; element 0 is joint 1
    std::vector<Support> supports;        // in file order
    std::vector<double> youngsModulus;    // kN/mm² by material
    std::vector<double> sectionArea;      // mm² by cross-section
    std::vector<Member> members;
    std::vector<Load> loads;

    [[nodiscard]] int JointCount() const { return static_cast<int>(jointX.size()); }
    [[nodiscard]] int MemberCount() const { return static_cast<int>(members.size()); }
};

enum class InputMode {
    // The temporary file the program itself writes just before an analysis: numbers used as read.
    TemporaryFile,
    // A project file as the desktop program would analyse it after opening it: co-ordinates pass
    // through the tables' metres and the supports must list every joint, exactly as
    // opening the file and writing the temporary file would make them.
    ProjectFile,
};

struct InputOutcome {
    std::optional<AnalysisInput> input;
    project::Diagnostic problem;   // when the file cannot be read: which line and what was expected
};

// Reads a whole file in one pass with growable arrays (no separate counting pass is needed).
[[nodiscard]] InputOutcome InputData(const std::filesystem::path& path, InputMode mode);
[[nodiscard]] InputOutcome InputDataFromText(std::string_view bytes, InputMode mode);

// The numbers the temporary file would carry for this project, without writing it: each cell's numeric
// value, co-ordinates in millimetres, the joints' own numbers on the support lines.
[[nodiscard]] AnalysisInput BuildAnalysisInput(const project::Project& project);

} // namespace varlen::analysis
