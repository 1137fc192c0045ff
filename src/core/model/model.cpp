#include "model/model.h"

#include <cctype>
#include <limits>

#include "project/number_text.h"
#include "sections/catalogue.h"

namespace varlen::model {
namespace {

constexpr int kMillimetresPerMetreExponent = 3;

const char* TableName(project::TableId table) {
    switch (table) {
    case project::TableId::Joints:
        return "Joints";
    case project::TableId::Materials:
        return "Materials";
    case project::TableId::Sections:
        return "Cross-sections";
    case project::TableId::Members:
        return "Members";
    case project::TableId::Loads:
        return "Joint loads";
    }
    return "";
}

// Reads every numeric cell of one table, noting the cells that are not one complete number.
class CellReader {
public:
    CellReader(const project::Project& project, project::TableId table, std::vector<CellProblem>& problems)
        : m_table(project::TableOf(project, table)), m_id(table), m_name(TableName(table)),
          m_problems(problems) {}
    // The joint loads of a case after the first.
    CellReader(const project::Project& project, int loadCase, std::vector<CellProblem>& problems)
        : m_table(project.CaseLoads(loadCase)), m_id(project::TableId::Loads),
          m_name("Joint loads of case " + std::to_string(loadCase) + " (" + project.CaseName(loadCase) + ")"),
          m_problems(problems) {}

    double operator()(int row, int column) const {
        const std::string_view text = m_table.Cell(row, column);
        const double value = project::ReadNumber(text);
        if (!project::IsWholeNumber(text))
            m_problems.push_back({m_id, row, column,
                                  m_name + ", row " + std::to_string(row) + ", " + m_table.Heading(column) +
                                      ": \"" + std::string(text) +
                                      "\" is not one complete number; it is read as " +
                                      project::FormatGeneral(value) + "."});
        return value;
    }
    [[nodiscard]] int Rows() const { return m_table.EntryCount(); }
    [[nodiscard]] std::string_view Text(int row, int column) const { return m_table.Cell(row, column); }

private:
    const project::Table& m_table;
    project::TableId m_id;
    std::string m_name;
    std::vector<CellProblem>& m_problems;
};

} // namespace

double Millimetres(double metres) {
    return project::ScaleByPowerOfTen(metres, kMillimetresPerMetreExponent);
}

bool IsRestraint(double code) {
    return code == 1;
}

std::optional<double> WeightPerLength(std::string_view description) {
    const std::size_t unit = description.find("kN/m");
    if (unit == std::string_view::npos) return std::nullopt;
    std::size_t start = unit;
    while (start > 0 && description[start - 1] == ' ')
        --start;
    const std::size_t end = start;
    auto isDigit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    bool digits = false;
    while (start > 0 && (isDigit(description[start - 1]) || description[start - 1] == '.')) {
        digits = digits || isDigit(description[start - 1]);
        --start;
    }
    if (!digits) return std::nullopt;
    if (start > 0 && (description[start - 1] == '-' || description[start - 1] == '+')) --start;
    return project::ReadNumber(description.substr(start, end - start));
}

Section SectionOf(double area, std::string_view description) {
    return {area, sections::RadiusOfGyration(description), WeightPerLength(description)};
}

Model BuildModel(const project::Project& p) {
    using project::TableId;
    namespace jc = project::joint_col;
    namespace mc = project::member_col;
    namespace lc = project::load_col;
    Model model;
    const CellReader joints(p, TableId::Joints, model.problems);
    model.joints.reserve(static_cast<std::size_t>(joints.Rows()));
    for (int r = 1; r <= joints.Rows(); ++r)
        model.joints.push_back({Millimetres(joints(r, jc::X)), Millimetres(joints(r, jc::Y)),
                                IsRestraint(joints(r, jc::FixedX)), IsRestraint(joints(r, jc::FixedY))});
    const CellReader materials(p, TableId::Materials, model.problems);
    for (int r = 1; r <= materials.Rows(); ++r)
        model.materials.push_back({materials(r, project::material_col::YoungsModulus)});
    const CellReader sections(p, TableId::Sections, model.problems);
    for (int r = 1; r <= sections.Rows(); ++r)
        model.sections.push_back(SectionOf(sections(r, project::section_col::Area),
                                           sections.Text(r, project::section_col::Description)));
    const CellReader members(p, TableId::Members, model.problems);
    model.members.reserve(static_cast<std::size_t>(members.Rows()));
    for (int r = 1; r <= members.Rows(); ++r)
        model.members.push_back({members(r, mc::JointI), members(r, mc::JointJ), members(r, mc::Material),
                                 members(r, mc::Section)});
    const CellReader loads(p, TableId::Loads, model.problems);
    model.loads.reserve(static_cast<std::size_t>(loads.Rows()));
    for (int r = 1; r <= loads.Rows(); ++r)
        model.loads.push_back({loads(r, lc::Joint), loads(r, lc::Fx), loads(r, lc::Fy)});
    model.firstCaseName = p.firstCaseName;
    for (int c = 2; c <= p.CaseCount(); ++c) {
        const CellReader caseLoads(p, c, model.problems);
        LoadCase& loadCase = model.moreCases.emplace_back(LoadCase{p.CaseName(c), {}});
        for (int r = 1; r <= caseLoads.Rows(); ++r)
            loadCase.loads.push_back({caseLoads(r, lc::Joint), caseLoads(r, lc::Fx), caseLoads(r, lc::Fy)});
    }
    for (const project::Combination& c : p.combinations) {
        Combination& combination = model.combinations.emplace_back(Combination{c.name, {}});
        for (int r = 1; r <= c.factors.EntryCount(); ++r) {
            const std::string_view factor = c.factors.Cell(r, project::factor_col::Factor);
            combination.factors.push_back({project::ReadNumber(c.factors.Cell(r, project::factor_col::Case)),
                                           project::IsWholeNumber(factor)
                                               ? project::ReadNumber(factor)
                                               : std::numeric_limits<double>::quiet_NaN()});
        }
    }
    return model;
}

} // namespace varlen::model
