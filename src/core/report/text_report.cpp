#include "report/text_report.h"

#include <algorithm>
#include <initializer_list>

#include "io/text_file.h"
#include "project/number_text.h"
#include "report/report_content.h"
#include "report/results_tables.h"

namespace varlen::report {
namespace {

constexpr const char* kEol = "\r\n";

class Lines {
public:
    void Line(std::string_view text = {}) {
        m_out += text;
        m_out += kEol;
    }
    void Empty(int count) {
        for (int i = 0; i < count; ++i)
            Line();
    }
    // Cells joined by one tab, no tab after the last; a tab or line end inside a cell becomes a blank so
    // that it cannot shift the columns or split the line.
    void Cells(const project::Table& table, int row, std::initializer_list<int> columns) {
        bool first = true;
        for (const int column : columns) {
            if (!first) m_out += '\t';
            first = false;
            m_out += OneLineText(table.Cell(row, column));
        }
        m_out += kEol;
    }
    [[nodiscard]] std::string Take() { return std::move(m_out); }

private:
    std::string m_out;
};

void Section(Lines& out, std::string_view heading, std::string_view columnHeads) {
    out.Line(heading);
    out.Line();
    out.Line(columnHeads);
}

void JointsSection(Lines& out, const project::Project& p, const ReportSections& s) {
    namespace c = project::joint_col;
    if (s.jointCoordinates && s.jointSupports) {
        Section(out, "JOINT CO-ORDINATES AND SUPPORTS", "#\tX\tY\tJD\tFx\tFy\tRD");
        for (int r = 1; r < p.joints.RowCount(); ++r)
            out.Cells(p.joints, r,
                      {c::Number, c::X, c::Y, c::Description, c::FixedX, c::FixedY, c::RestraintDescription});
    } else if (s.jointCoordinates) {
        Section(out, "JOINT CO-ORDINATES", "#\tX\tY\tJD");
        for (int r = 1; r < p.joints.RowCount(); ++r)
            out.Cells(p.joints, r, {c::Number, c::X, c::Y, c::Description});
    } else {
        Section(out, "JOINT SUPPORTS", "#\tFx\tFy\tRD");
        for (int r = 1; r < p.joints.RowCount(); ++r)
            out.Cells(p.joints, r, {c::Number, c::FixedX, c::FixedY, c::RestraintDescription});
    }
    out.Empty(2);
}

// Materials and sections have always been listed with an empty line after each row.
void SpacedSection(Lines& out, const project::Table& table, std::string_view heading,
                   std::string_view columnHeads) {
    Section(out, heading, columnHeads);
    for (int r = 1; r < table.RowCount(); ++r) {
        out.Cells(table, r, {1, 2, 3});
        out.Line();
    }
    out.Empty(2);
}

void MembersSection(Lines& out, const project::Project& p) {
    namespace c = project::member_col;
    Section(out, "MEMBER CONNECTIVITY AND MATERIAL AND CROSS SECTIONAL GROUPS",
            "#\tJoint i\tJoint j\tMat.\tSect.\tDescription");
    for (int r = 1; r < p.members.RowCount(); ++r)
        out.Cells(p.members, r, {c::Number, c::JointI, c::JointJ, c::Material, c::Section, c::Description});
    out.Empty(2);
}

void LoadsSection(Lines& out, const project::Project& p) {
    namespace c = project::load_col;
    Section(out, "JOINT LOADS", "#\tFx\tFy\tDescription");
    for (int r = 1; r < p.loads.RowCount(); ++r)
        out.Cells(p.loads, r, {c::Joint, c::Fx, c::Fy, c::Description});
    out.Empty(2);
}

// Each member as a results window shows it: "Member  3", then the four labelled values.
void MemberEndsSection(Lines& out, std::string_view heading, const project::Project& p,
                       const analysis::Results& results, MemberEnds kind, int places) {
    out.Line(heading);
    out.Line();
    for (int m = 1; m <= ReportedMembers(p, results); ++m) {
        out.Line(MemberHeading(m));
        for (const Row& row : MemberEndRows(results, kind, m, places).rows)
            out.Line(row[0].text + "\t" + row[1].text);
        out.Line();
    }
    out.Empty(2);
}

void ReactionsSection(Lines& out, const project::Project& p, const analysis::Results& results, int places) {
    Section(out, "SUPPORT REACTIONS (kN)", "#\tRx\t\tRy");
    // In the results format, as every other result of this report.
    const auto value = [&](const Cell& cell) {
        return cell.number ? project::ResultFormat(*cell.number, places) : std::string();
    };
    for (const Row& row : SupportRows(p, results, places).rows)
        out.Line(row[0].text + "\t" + value(row[1]) + "\t" + value(row[2]));
    out.Empty(2);
}

} // namespace

ReportSections TextReportSections() {
    ReportSections s;
    s.jointCoordinates = s.jointSupports = s.materialProperties = s.crossSectionalProperties = true;
    return s;
}

ReportSections WordReportSections() {
    ReportSections s = TextReportSections();
    s.memberConnectivity = s.loading = s.globalDisplacements = true;
    return s;
}

std::string TextReport(const project::Project& p, const analysis::Results* results, int places,
                       const ReportSections& s) {
    Lines out;
    out.Line("VARLEN ANALYSIS");
    out.Line();
    out.Line("TITLE");
    out.Line();
    // Tab stops every 8 columns put every value at column 16.
    out.Line("Project:\t" + OneLineText(p.title.project));
    out.Line("Title:\t\t" + OneLineText(p.title.title));
    out.Line("Designer:\t" + OneLineText(p.title.designer));
    out.Line("Date:\t\t" + OneLineText(p.title.date));
    out.Line("Drawing No:\t" + OneLineText(p.title.drawingNo));
    out.Empty(2);

    if (s.jointCoordinates || s.jointSupports) JointsSection(out, p, s);
    if (s.materialProperties) SpacedSection(out, p.materials, "MATERIAL PROPERTIES", "#\tY.Mod\tDescription");
    if (s.crossSectionalProperties)
        SpacedSection(out, p.sections, "CROSS SECTIONAL PROPERTIES", "#\tArea\t\tDescription");
    if (s.memberConnectivity) MembersSection(out, p);
    if (s.loading) LoadsSection(out, p);
    if (results) {
        if (s.globalDisplacements)
            MemberEndsSection(out, "GLOBAL DISPLACEMENTS (mm)", p, *results, MemberEnds::GlobalDisplacements,
                              places);
        if (s.localForces)
            MemberEndsSection(out, "LOCAL FORCES (kN)", p, *results, MemberEnds::LocalForces, places);
        if (s.reactions) {
            ReactionsSection(out, p, *results, places);
            MemberEndsSection(out, "GLOBAL FORCES / REACTIONS (kN)", p, *results, MemberEnds::GlobalForces,
                              places);
        }
    }
    out.Line();
    return out.Take();
}

ReportWriteOutcome WriteReportFile(const std::filesystem::path& path, const std::string& bytes) {
    // A report is made again at will; it need not wait for the disk, only never be left half-written.
    io::AtomicFileWriter writer(path, io::AtomicFileWriter::Durability::NoSync);
    if (writer.IsOpen()) {
        writer.Write(bytes);
        if (writer.Commit()) return {true, {}};
    }
    // The writer names the folder when that is what failed; the user looks for the report by its name.
    const std::string quoted = "\"" + path.string() + "\"";
    if (writer.Error().find(quoted) != std::string::npos) return {false, writer.Error()};
    return {false, "cannot write " + quoted + ": " + writer.Error()};
}

ReportWriteOutcome WriteTextReport(const std::filesystem::path& path, const project::Project& project,
                                   const analysis::Results* results, int places,
                                   const ReportSections& sections) {
    return WriteReportFile(path, TextReport(project, results, places, sections));
}

} // namespace varlen::report
