// The DXF reader and import on hostile bytes, in both planes. Beyond surviving them: a refusal names
// a line of the file (or none), and an import makes a project whose members join joints it has and
// which a save writes as a file that opens.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "dxf/dxf_import.h"
#include "fuzz_check.h"
#include "project/number_text.h"
#include "project/project_file.h"

using namespace varlen;

namespace {

void CheckImport(const dxf::Drawing& drawing, dxf::Plane plane) {
    const dxf::ImportOutcome outcome = dxf::ImportDrawing(drawing, plane);
    if (!outcome.project) {
        VARLEN_FUZZ_CHECK(!outcome.problem.message.empty());
        return;
    }
    const project::Project& p = *outcome.project;
    VARLEN_FUZZ_CHECK(outcome.members >= 1);
    VARLEN_FUZZ_CHECK(p.members.EntryCount() == outcome.members);
    VARLEN_FUZZ_CHECK(p.joints.EntryCount() == outcome.joints);
    VARLEN_FUZZ_CHECK(outcome.joints <= 2 * static_cast<int>(drawing.lines.size()));
    for (int m = 1; m <= p.members.EntryCount(); ++m) {
        const double i = project::ReadNumber(p.members.Cell(m, project::member_col::JointI));
        const double j = project::ReadNumber(p.members.Cell(m, project::member_col::JointJ));
        VARLEN_FUZZ_CHECK(i >= 1 && i <= outcome.joints && j >= 1 && j <= outcome.joints && i != j);
    }
    for (int r = 1; r <= p.joints.EntryCount(); ++r) {
        VARLEN_FUZZ_CHECK(project::IsWholeNumber(p.joints.Cell(r, project::joint_col::X)));
        VARLEN_FUZZ_CHECK(project::IsWholeNumber(p.joints.Cell(r, project::joint_col::Y)));
    }
    const std::string written = project::ProjectFileText(p);
    VARLEN_FUZZ_CHECK(project::ParseProjectText(written).project.has_value());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const dxf::DrawingOutcome read = dxf::ReadDrawing(bytes);
    if (!read.drawing) {
        VARLEN_FUZZ_CHECK(!read.problem.message.empty());
        const auto lines = static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n'));
        VARLEN_FUZZ_CHECK(read.problem.line >= 0 && read.problem.line <= lines + 1);
        return 0;
    }
    CheckImport(*read.drawing, dxf::Plane::XY);
    CheckImport(*read.drawing, dxf::Plane::XZ);
    return 0;
}
