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

void LoadsTable(Lines& out, const project::Table& loads, std::string_view heading) {
    namespace c = project::load_col;
    Section(out, heading, "#\tFx\tFy\tDescription");
    for (int r = 1; r < loads.RowCount(); ++r)
        out.Cells(loads, r, {c::Joint, c::Fx, c::Fy, c::Description});
    out.Empty(2);
}

// Texts and numbers as the rows give them, each text on one line, a tab between cells.
void RowLines(Lines& out, const TableRows& table) {
    for (const Row& row : table.rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c > 0) line += '\t';
            line += OneLineText(row[c].text);
        }
        out.Line(line);
    }
}

void LoadsSection(Lines& out, const project::Project& p) {
    if (!p.HasLoadCases()) {
        LoadsTable(out, p.loads, "JOINT LOADS");
        return;
    }
    for (int c = 1; c <= p.CaseCount(); ++c)
        LoadsTable(out, p.CaseLoads(c), "JOINT LOADS: " + OneLineText(p.CaseName(c)));
    if (p.combinations.empty()) return;
    Section(out, "LOAD COMBINATIONS", "Combination\tLoad case\tFactor");
    RowLines(out, CombinationRows(p));
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

// In the results format, as every other result of this report.
std::string ResultText(const Cell& cell, int places) {
    return cell.number ? project::ResultFormat(*cell.number, places) : std::string();
}

void ReactionsSection(Lines& out, const project::Project& p, const analysis::Results& results, int places) {
    Section(out, "SUPPORT REACTIONS (kN)", "#\tRx\t\tRy");
    for (const Row& row : SupportRows(p, results, places).rows)
        out.Line(row[0].text + "\t" + ResultText(row[1], places) + "\t" + ResultText(row[2], places));
    out.Empty(2);
}

// The forces in the results format, the member or joint numbers and the names as they are. The names'
// column is "By", short enough for a force and its name to keep to the tab stops the heading sets.
void EnvelopeTable(Lines& out, std::string_view heading, std::string_view columnHeads, TableRows table,
                   int places) {
    for (Row& row : table.rows)
        for (std::size_t c = 1; c < row.size(); ++c)
            if (row[c].number) row[c].text = ResultText(row[c], places);
    Section(out, heading, columnHeads);
    RowLines(out, table);
    out.Empty(2);
}

void EnvelopeSections(Lines& out, const analysis::LoadCaseResults& loadCases, int places) {
    const std::string over =
        loadCases.combinations.empty() ? " OVER THE LOAD CASES" : " OVER THE COMBINATIONS";
    EnvelopeTable(out, "MEMBER FORCE ENVELOPE" + over + " (kN)", "#\tTension\t\tBy\tCompression\tBy",
                  MemberEnvelopeRows(loadCases, places), places);
    EnvelopeTable(out, "SUPPORT REACTION ENVELOPE" + over + " (kN)",
                  "#\tReaction\tGreatest\t\tBy\tLeast\t\tBy", ReactionEnvelopeRows(loadCases, places),
                  places);
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
                       const ReportSections& s, const analysis::LoadCaseResults* loadCases) {
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
    if (ReportsLoadCases(loadCases)) EnvelopeSections(out, *loadCases, places);
    ShownCase shown = ChooseShownCase(p, results, loadCases, s.loadCase);
    if (!shown.problem.empty()) shown = ChooseShownCase(p, results, loadCases, {});
    const bool anyResults = s.globalDisplacements || s.localForces || s.reactions;
    if (shown.results && anyResults) {
        const analysis::Results& r = *shown.results;
        if (!shown.name.empty()) {
            out.Line((shown.combination ? "RESULTS OF COMBINATION: " : "RESULTS OF LOAD CASE: ") +
                     OneLineText(shown.name));
            out.Line();
        }
        if (s.globalDisplacements)
            MemberEndsSection(out, "GLOBAL DISPLACEMENTS (mm)", p, r, MemberEnds::GlobalDisplacements,
                              places);
        if (s.localForces) MemberEndsSection(out, "LOCAL FORCES (kN)", p, r, MemberEnds::LocalForces, places);
        if (s.reactions) {
            ReactionsSection(out, p, r, places);
            MemberEndsSection(out, "GLOBAL FORCES / REACTIONS (kN)", p, r, MemberEnds::GlobalForces, places);
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
                                   const ReportSections& sections,
                                   const analysis::LoadCaseResults* loadCases) {
    const ShownCase shown = ChooseShownCase(project, results, loadCases, sections.loadCase);
    if (!shown.problem.empty()) return {false, "cannot write \"" + path.string() + "\": " + shown.problem};
    return WriteReportFile(path, TextReport(project, results, places, sections, loadCases));
}

} // namespace varlen::report
