#include "dxf/dxf_export.h"

#include <vector>

#include "io/text_file.h"
#include "model/model.h"
#include "project/number_text.h"
#include "project/references.h"

namespace varlen::dxf {
namespace {

// A group code as a line-oriented print writes an integer: a blank in place of the sign, the digits,
// a blank. Readers trim the code line, so the padding is harmless and keeps the layout CAD programs
// have always been given.
void AppendCode(std::string& out, int code) {
    out += ' ';
    out += std::to_string(code);
    out += " \r\n";
}

void AppendText(std::string& out, int code, const char* text) {
    AppendCode(out, code);
    out += text;
    out += "\r\n";
}

void AppendNumber(std::string& out, int code, double value) {
    AppendCode(out, code);
    project::AppendFileNumber(out, value);
    out += "\r\n";
}

struct Point {
    double x = 0, y = 0, z = 0; // mm
};

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

} // namespace

std::optional<std::string> DxfText(const project::Project& project, Plane plane, std::string& error,
                                   int* lines) {
    namespace jc = project::joint_col;
    namespace mc = project::member_col;
    const project::Table& joints = project.joints;
    const project::Table& members = project.members;
    std::vector<Point> points;
    points.reserve(static_cast<std::size_t>(joints.EntryCount()));
    for (int r = 1; r <= joints.EntryCount(); ++r) {
        const double x = model::Millimetres(project::ReadNumber(joints.Cell(r, jc::X)));
        const double y = model::Millimetres(project::ReadNumber(joints.Cell(r, jc::Y)));
        points.push_back(plane == Plane::XZ ? Point{x, 0, y} : Point{x, y, 0});
    }

    std::string out;
    out.reserve(64 + static_cast<std::size_t>(members.EntryCount()) * 160);
    AppendText(out, 0, "SECTION");
    AppendText(out, 2, "ENTITIES");
    int written = 0;
    for (int r = 1; r <= members.EntryCount(); ++r) {
        const std::string_view i = members.Cell(r, mc::JointI), j = members.Cell(r, mc::JointJ);
        if (IsBlank(i) && IsBlank(j)) continue;
        const double ends[2] = {project::ReadNumber(i), project::ReadNumber(j)};
        for (double end : ends)
            if (!project::IsRow(end, points.size())) {
                error =
                    project::NotInTable("Member " + std::to_string(r), "joint", end, "joints", points.size());
                return std::nullopt;
            }
        const Point& a = points[static_cast<std::size_t>(ends[0]) - 1];
        const Point& b = points[static_cast<std::size_t>(ends[1]) - 1];
        AppendText(out, 0, "LINE");
        AppendText(out, 8, "O");
        AppendNumber(out, 10, a.x);
        AppendNumber(out, 20, a.y);
        AppendNumber(out, 30, a.z);
        AppendNumber(out, 11, b.x);
        AppendNumber(out, 21, b.y);
        AppendNumber(out, 31, b.z);
        ++written;
    }
    AppendText(out, 0, "ENDSEC");
    AppendText(out, 0, "EOF");
    if (lines) *lines = written;
    return out;
}

ExportOutcome CreateDXF(const project::Project& project, Plane plane, const std::filesystem::path& path) {
    ExportOutcome outcome;
    const std::optional<std::string> text = DxfText(project, plane, outcome.error, &outcome.lines);
    if (!text) return outcome;
    io::AtomicFileWriter writer(path, io::AtomicFileWriter::Durability::NoSync);
    if (writer.IsOpen()) writer.Write(*text);
    if (!writer.IsOpen() || !writer.Commit()) {
        outcome.error = writer.Error();
        return outcome;
    }
    outcome.ok = true;
    return outcome;
}

std::filesystem::path DxfPathFor(const std::filesystem::path& project) {
    if (project.empty()) return {};
    std::filesystem::path drawing = project;
    drawing.replace_extension(".dxf");
    if (drawing == project) return {};
    return drawing;
}

} // namespace varlen::dxf
