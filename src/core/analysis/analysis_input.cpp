#include "analysis/analysis_input.h"

#include <string>

#include "io/text_file.h"
#include "project/number_text.h"

namespace varlen::analysis {
namespace {

using project::SmaRecord;
using project::SmaSection;

constexpr int kMillimetresPerMetreExponent = 3;

// A file's millimetres as they come back after a trip through the tables' metres.
double ThroughMetres(double millimetres) {
    return project::ScaleByPowerOfTen(project::ScaleByPowerOfTen(millimetres, -kMillimetresPerMetreExponent),
                                      kMillimetresPerMetreExponent);
}

class InputSink final : public project::SmaSink {
public:
    explicit InputSink(InputMode mode) : m_mode(mode) {}
    AnalysisInput input;

    void Title(int, std::string_view) override {}

    std::optional<std::string> Count(SmaSection section, int count) override {
        const auto n = static_cast<std::size_t>(count);
        switch (section) {
        case SmaSection::Joints:
            m_jointCount = count;
            input.jointX.reserve(n);
            input.jointY.reserve(n);
            break;
        case SmaSection::Supports:
            if (m_mode == InputMode::ProjectFile && count != m_jointCount)
                return "the supports section must list every joint: " + std::to_string(m_jointCount) +
                       " joints, but " + std::to_string(count) + " support lines";
            input.supports.reserve(n);
            break;
        case SmaSection::Materials: input.youngsModulus.reserve(n); break;
        case SmaSection::Sections: input.sectionArea.reserve(n); break;
        case SmaSection::Members: input.members.reserve(n); break;
        case SmaSection::Loads: input.loads.reserve(n); break;
        }
        return std::nullopt;
    }

    std::optional<std::string> Record(const SmaRecord& r) override {
        switch (r.section) {
        case SmaSection::Joints: InputJoints(r); break;
        case SmaSection::Supports: return InputSupports(r);
        case SmaSection::Materials: input.youngsModulus.push_back(r.numbers[0]); break;
        case SmaSection::Sections: input.sectionArea.push_back(r.numbers[0]); break;
        case SmaSection::Members: InputMembers(r); break;
        case SmaSection::Loads: input.loads.push_back({r.numbers[0], r.numbers[1], r.numbers[2]}); break;
        }
        return std::nullopt;
    }

private:
    void InputJoints(const SmaRecord& r) {
        double x = r.numbers[0], y = r.numbers[1];
        if (m_mode == InputMode::ProjectFile) {
            x = ThroughMetres(x);
            y = ThroughMetres(y);
        }
        input.jointX.push_back(x);
        input.jointY.push_back(y);
    }

    std::optional<std::string> InputSupports(const SmaRecord& r) {
        const double joint = r.numbers[0];
        // Joint 0 names no joint: older files carry it for a joint row never filled in, and opening the
        // file drops the line.
        if (m_mode == InputMode::ProjectFile && joint == 0) return std::nullopt;
        // Opening a project puts each support line into the row of the joint it names, and the
        // temporary file then lists the rows in order; a number naming no row cannot be opened.
        if (m_mode == InputMode::ProjectFile &&
            (joint != static_cast<int>(joint) || joint < 1 || joint > m_jointCount))
            return "support " + std::to_string(r.index) + " names joint " + std::string(r.fields[0]) +
                   ", which is not a joint number from 1 to " + std::to_string(m_jointCount);
        input.supports.push_back({joint, r.numbers[1], r.numbers[2]});
        return std::nullopt;
    }

    void InputMembers(const SmaRecord& r) {
        input.members.push_back({r.numbers[0], r.numbers[1], r.numbers[2], r.numbers[3]});
    }

    InputMode m_mode;
    int m_jointCount = 0;
};

double Number(const project::Table& table, int row, int column) {
    return project::ReadNumber(table.Cell(row, column));
}

} // namespace

InputOutcome InputDataFromText(std::string_view bytes, InputMode mode) {
    InputSink sink(mode);
    if (auto problem = project::ParseSma(bytes, sink)) return {std::nullopt, *problem};
    return {std::move(sink.input), {}};
}

InputOutcome InputData(const std::filesystem::path& path, InputMode mode) {
    io::FileText file = io::ReadWholeFile(path);
    if (!file.bytes) return {std::nullopt, project::Diagnostic{0, file.error}};
    return InputDataFromText(*file.bytes, mode);
}

AnalysisInput BuildAnalysisInput(const project::Project& p) {
    namespace jc = project::joint_col;
    namespace mc = project::member_col;
    namespace lc = project::load_col;
    AnalysisInput in;
    const int joints = p.joints.EntryCount();
    in.jointX.reserve(static_cast<std::size_t>(joints));
    in.jointY.reserve(static_cast<std::size_t>(joints));
    in.supports.reserve(static_cast<std::size_t>(joints));
    for (int r = 1; r <= joints; ++r) {
        in.jointX.push_back(project::ScaleByPowerOfTen(Number(p.joints, r, jc::X), kMillimetresPerMetreExponent));
        in.jointY.push_back(project::ScaleByPowerOfTen(Number(p.joints, r, jc::Y), kMillimetresPerMetreExponent));
        in.supports.push_back({static_cast<double>(r), Number(p.joints, r, jc::FixedX),
                               Number(p.joints, r, jc::FixedY)});
    }
    for (int r = 1; r <= p.materials.EntryCount(); ++r)
        in.youngsModulus.push_back(Number(p.materials, r, project::material_col::YoungsModulus));
    for (int r = 1; r <= p.sections.EntryCount(); ++r)
        in.sectionArea.push_back(Number(p.sections, r, project::section_col::Area));
    for (int r = 1; r <= p.members.EntryCount(); ++r)
        in.members.push_back({Number(p.members, r, mc::JointI), Number(p.members, r, mc::JointJ),
                              Number(p.members, r, mc::Material), Number(p.members, r, mc::Section)});
    for (int r = 1; r <= p.loads.EntryCount(); ++r)
        in.loads.push_back({Number(p.loads, r, lc::Joint), Number(p.loads, r, lc::Fx), Number(p.loads, r, lc::Fy)});
    return in;
}

} // namespace varlen::analysis
