#include "project/project_file.h"

#include <vector>

#include "io/text_file.h"
#include "project/number_text.h"

namespace varlen::project {
namespace {

// The tables hold metres and the file millimetres; the scaling is done on the decimal digits.
constexpr int kMillimetresPerMetreExponent = 3;

void AppendText(std::string& out, std::string_view text) {
    out.push_back('"');
    out += StorableText(text);
    out.push_back('"');
}

void AppendLineEnd(std::string& out) {
    out += "\r\n";
}

void AppendCount(std::string& out, const Table& table) {
    out += std::to_string(table.EntryCount());
    AppendLineEnd(out);
}

// The record line of one table row: numbers from the given columns (scaled), then the text column.
template <std::size_t N>
void AppendRecord(std::string& out, const Table& table, int row, const std::array<int, N>& numberColumns,
                  int scaledColumns, int textColumn) {
    for (std::size_t i = 0; i < N; ++i) {
        double value = ReadNumber(table.Cell(row, numberColumns[i]));
        if (static_cast<int>(i) < scaledColumns)
            value = ScaleByPowerOfTen(value, kMillimetresPerMetreExponent);
        AppendFileNumber(out, value);
        out.push_back(',');
    }
    AppendText(out, table.Cell(row, textColumn));
    AppendLineEnd(out);
}

template <class Emit> void WriteProject(const Project& p, std::string& out, Emit&& flush) {
    for (const std::string* text :
         {&p.title.project, &p.title.title, &p.title.designer, &p.title.date, &p.title.drawingNo}) {
        AppendText(out, *text);
        AppendLineEnd(out);
    }
    AppendCount(out, p.joints);
    for (int r = 1; r <= p.joints.EntryCount(); ++r, flush())
        AppendRecord(out, p.joints, r, std::array{joint_col::X, joint_col::Y}, 2, joint_col::Description);
    // A support line carries its row's own number (equal to column 1 whenever the row was filled), so a
    // joint row never filled in still reads back.
    AppendCount(out, p.joints);
    for (int r = 1; r <= p.joints.EntryCount(); ++r, flush()) {
        AppendFileNumber(out, r);
        out.push_back(',');
        AppendRecord(out, p.joints, r, std::array{joint_col::FixedX, joint_col::FixedY}, 0,
                     joint_col::RestraintDescription);
    }
    AppendCount(out, p.materials);
    for (int r = 1; r <= p.materials.EntryCount(); ++r, flush())
        AppendRecord(out, p.materials, r, std::array{material_col::YoungsModulus}, 0,
                     material_col::Description);
    AppendCount(out, p.sections);
    for (int r = 1; r <= p.sections.EntryCount(); ++r, flush())
        AppendRecord(out, p.sections, r, std::array{section_col::Area}, 0, section_col::Description);
    AppendCount(out, p.members);
    for (int r = 1; r <= p.members.EntryCount(); ++r, flush())
        AppendRecord(
            out, p.members, r,
            std::array{member_col::JointI, member_col::JointJ, member_col::Material, member_col::Section}, 0,
            member_col::Description);
    if (p.HasLoadCaseBlock()) {
        out += std::to_string(p.loads.EntryCount()) + ",";
        AppendText(out, kLoadCasesFollowMark);
        AppendLineEnd(out);
    } else {
        AppendCount(out, p.loads);
    }
    for (int r = 1; r <= p.loads.EntryCount(); ++r, flush())
        AppendRecord(out, p.loads, r, std::array{load_col::Joint, load_col::Fx, load_col::Fy}, 0,
                     load_col::Description);
    if (!p.HasLoadCaseBlock()) return;
    out += std::to_string(p.CaseCount()) + "," + std::to_string(p.combinations.size()) + ",";
    AppendText(out, kLoadCasesMark);
    AppendLineEnd(out);
    for (int c = 1; c <= p.CaseCount(); ++c) {
        const Table& loads = p.CaseLoads(c);
        out += std::to_string(c == 1 ? 0 : loads.EntryCount()) + ",";
        AppendText(out, p.CaseName(c));
        AppendLineEnd(out);
        for (int r = 1; c > 1 && r <= loads.EntryCount(); ++r, flush())
            AppendRecord(out, loads, r, std::array{load_col::Joint, load_col::Fx, load_col::Fy}, 0,
                         load_col::Description);
    }
    for (const Combination& combination : p.combinations) {
        out += std::to_string(combination.factors.EntryCount()) + ",";
        AppendText(out, combination.name);
        AppendLineEnd(out);
        for (int r = 1; r <= combination.factors.EntryCount(); ++r, flush()) {
            // The case's name goes with its number for whoever reads the file; the number is what counts.
            const double loadCase = ReadNumber(combination.factors.Cell(r, factor_col::Case));
            AppendFileNumber(out, loadCase);
            out.push_back(',');
            AppendFileNumber(out, ReadNumber(combination.factors.Cell(r, factor_col::Factor)));
            out.push_back(',');
            const bool named =
                loadCase >= 1 && loadCase <= p.CaseCount() && loadCase == static_cast<int>(loadCase);
            AppendText(out, named ? p.CaseName(static_cast<int>(loadCase)) : std::string());
            AppendLineEnd(out);
        }
    }
}

// Fills new tables from the parser's records exactly as the editors would hold them: numbers in their
// general form, co-ordinates back in metres, restraint codes as written.
class ProjectSink final : public SmaSink {
public:
    Project project = NewProject();

    void Title(int index, std::string_view text) override {
        std::string* fields[] = {&project.title.project, &project.title.title, &project.title.designer,
                                 &project.title.date, &project.title.drawingNo};
        fields[index]->assign(text);
    }

    std::optional<std::string> Count(SmaSection section, int count) override {
        switch (section) {
        case SmaSection::Joints:
            m_jointCount = count;
            project.joints.SetRowCount(count + 1);
            break;
        case SmaSection::Supports:
            // Every file this program writes has one support line per joint. A file that differs has
            // been damaged or edited by hand, and cutting or padding the joints table would lose data.
            if (count != m_jointCount)
                return "the supports section must list every joint: " + std::to_string(m_jointCount) +
                       " joints, but " + std::to_string(count) + " support lines";
            break;
        case SmaSection::Materials:
            project.materials.SetRowCount(count + 1);
            break;
        case SmaSection::Sections:
            project.sections.SetRowCount(count + 1);
            break;
        case SmaSection::Members:
            project.members.SetRowCount(count + 1);
            break;
        case SmaSection::Loads:
            project.loads.SetRowCount(count + 1);
            break;
        case SmaSection::Cases:
            project.moreCases.assign(static_cast<std::size_t>(count) - 1, LoadCase{{}, EmptyLoadsTable()});
            break;
        case SmaSection::Combinations:
            project.combinations.assign(static_cast<std::size_t>(count),
                                        Combination{{}, EmptyFactorsTable()});
            break;
        case SmaSection::CaseLoads:
        case SmaSection::Factors:
            break;
        }
        return std::nullopt;
    }

    std::optional<std::string> Record(const SmaRecord& r) override {
        m_cells.clear();
        m_text.clear();
        const std::string index = std::to_string(r.index);
        switch (r.section) {
        case SmaSection::Joints:
            Numbers({ScaleByPowerOfTen(r.numbers[0], -kMillimetresPerMetreExponent),
                     ScaleByPowerOfTen(r.numbers[1], -kMillimetresPerMetreExponent)});
            project.joints.SetRow(r.index, {"", index, m_cells[0], m_cells[1], r.text});
            break;
        case SmaSection::Supports: {
            const double joint = r.numbers[0];
            // Joint 0 is what older files carry for a joint row never filled in: it names no joint.
            if (joint == 0) break;
            // The range first: a number beyond int has no int to compare with (the conversion is undefined).
            if (joint < 1 || joint > m_jointCount || joint != static_cast<int>(joint))
                return "support " + index + " names joint " + std::string(r.fields[0]) +
                       ", which is not a joint number from 1 to " + std::to_string(m_jointCount);
            const int row = static_cast<int>(joint);
            std::vector<std::string_view> cells;
            for (int c = 0; c < joint_col::FixedX; ++c)
                cells.push_back(project.joints.Cell(row, c));
            m_text.assign(cells.begin(), cells.end()); // own the cells before the row is rewritten
            project.joints.SetRow(
                row, {"", m_text[1], m_text[2], m_text[3], m_text[4], r.fields[1], r.fields[2], r.text});
            break;
        }
        case SmaSection::Materials:
            Numbers({r.numbers[0]});
            project.materials.SetRow(r.index, {"", index, m_cells[0], r.text});
            break;
        case SmaSection::Sections:
            Numbers({r.numbers[0]});
            project.sections.SetRow(r.index, {"", index, m_cells[0], r.text});
            break;
        case SmaSection::Members:
            Numbers({r.numbers[0], r.numbers[1], r.numbers[2], r.numbers[3]});
            project.members.SetRow(r.index,
                                   {"", index, m_cells[0], m_cells[1], m_cells[2], m_cells[3], r.text});
            break;
        case SmaSection::Loads:
            Numbers({r.numbers[0], r.numbers[1], r.numbers[2]});
            project.loads.SetRow(r.index, {"", m_cells[0], m_cells[1], m_cells[2], r.text});
            break;
        case SmaSection::Cases:
            if (r.index == 1) {
                project.firstCaseName.assign(r.text);
            } else {
                LoadCase& c = project.moreCases[static_cast<std::size_t>(r.index) - 2];
                c.name.assign(r.text);
                c.loads.SetRowCount(static_cast<int>(r.numbers[0]) + 1);
            }
            break;
        case SmaSection::CaseLoads:
            Numbers({r.numbers[0], r.numbers[1], r.numbers[2]});
            project.moreCases[static_cast<std::size_t>(r.group) - 2].loads.SetRow(
                r.index, {"", m_cells[0], m_cells[1], m_cells[2], r.text});
            break;
        case SmaSection::Combinations: {
            Combination& c = project.combinations[static_cast<std::size_t>(r.index) - 1];
            c.name.assign(r.text);
            c.factors.SetRowCount(static_cast<int>(r.numbers[0]) + 1);
            break;
        }
        case SmaSection::Factors:
            Numbers({r.numbers[0], r.numbers[1]});
            project.combinations[static_cast<std::size_t>(r.group) - 1].factors.SetRow(
                r.index, {"", m_cells[0], m_cells[1]});
            break;
        }
        return std::nullopt;
    }

private:
    void Numbers(std::initializer_list<double> values) {
        for (double v : values)
            m_cells.push_back(FormatGeneral(v));
    }

    int m_jointCount = 0;
    std::vector<std::string> m_cells;
    std::vector<std::string> m_text;
};

} // namespace

std::string ProjectFileText(const Project& project) {
    std::string out;
    WriteProject(project, out, [] {});
    return out;
}

WriteOutcome CreateSMA(const Project& project, const std::filesystem::path& path, bool synced) {
    io::AtomicFileWriter writer(path, synced ? io::AtomicFileWriter::Durability::Sync
                                             : io::AtomicFileWriter::Durability::NoSync);
    if (!writer.IsOpen()) return {false, writer.Error()};
    WriteProject(project, writer.Buffer(), [&] { writer.MaybeFlush(); });
    if (!writer.Commit()) return {false, writer.Error()};
    return {true, {}};
}

ReadOutcome ParseProjectText(std::string_view bytes) {
    ProjectSink sink;
    if (auto problem = ParseSma(bytes, sink)) return {std::nullopt, *problem};
    return {std::move(sink.project), {}};
}

ReadOutcome ReadProjectFile(const std::filesystem::path& path) {
    io::FileText file = io::ReadWholeFile(path);
    if (!file.bytes) return {std::nullopt, Diagnostic{0, file.error}};
    return ParseProjectText(*file.bytes);
}

} // namespace varlen::project
