#include "report/summary_rows.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "model/model.h"
#include "project/number_text.h"

namespace varlen::report {
namespace {

// Places beyond what a double holds only pad with zeros; the clamp keeps the text in the buffer.
constexpr int kMostPlaces = 30;

Cell Blank() {
    return {std::string(), std::nullopt};
}

// The 1-based row a reference names, or 0 when it names none (0, 2.5, beyond the table).
int RowOf(double reference, int count) {
    if (!(reference >= 1) || reference > count || reference != std::floor(reference)) return 0;
    return static_cast<int>(reference);
}

// A reference as read: its digits when it names a row, else the text it was read as, so a bad
// reference shows what to fix.
Cell ReferenceCell(double reference) {
    if (reference == std::floor(reference) && std::abs(reference) < 1e9)
        return WholeCell(static_cast<int>(reference));
    return {project::FormatGeneral(reference), reference};
}

std::string Text(std::string_view text) {
    return std::string(text);
}

// The reactions as the summary shows them: a reaction below kForceNoise of the largest load or reaction
// is rounding left by the solve (a roller's -1.8e-15 kN), which would otherwise show as a real force.
class Reactions {
public:
    explicit Reactions(const analysis::Results& results) : m_results(results) {
        for (int j = 1; j <= results.JointCount(); ++j) {
            const analysis::Reaction r = results.SupportReaction(j);
            m_noise = std::max({m_noise, std::abs(results.LoadX(j)), std::abs(results.LoadY(j)),
                                std::abs(r.rx), std::abs(r.ry)});
        }
        m_noise *= analysis::kForceNoise;
    }
    [[nodiscard]] analysis::Reaction At(int joint) const {
        analysis::Reaction r = m_results.SupportReaction(joint);
        if (std::abs(r.rx) < m_noise) r.rx = 0;
        if (std::abs(r.ry) < m_noise) r.ry = 0;
        return r;
    }

private:
    const analysis::Results& m_results;
    double m_noise = 0; // kN
};

} // namespace

std::string SummaryNumberText(double value, int places) {
    places = std::clamp(places, 0, kMostPlaces);
    if (!std::isfinite(value) || std::abs(value) >= 1e9 ||
        (value != 0 && std::abs(value) < std::pow(10.0, -places)))
        return project::ResultFormat(value, places);
    char buffer[64];
    // -0 and values that round to zero are not possible here except exact zeros, shown unsigned.
    const int length = std::snprintf(buffer, sizeof buffer, "%.*f", places, value == 0 ? 0.0 : value);
    return std::string(buffer, static_cast<std::size_t>(length));
}

Cell SummaryNumberCell(double value, int places) {
    return {SummaryNumberText(value, places), value};
}

TableRows SummaryMemberRows(const project::Project& project, const analysis::Results* results, int places) {
    TableRows table{"Members",
                    {"#", "Joint i", "Joint j", "Length (m)", "Axial force (kN)", "T/C",
                     "Stress (N/mm\u00b2)", "Section"},
                    {}};
    const model::Model model = model::BuildModel(project);
    const int analysed = results ? results->MemberCount() : 0;
    table.rows.reserve(model.members.size());
    for (int m = 1; m <= model.MemberCount(); ++m) {
        const model::Member& member = model.MemberAt(m);
        const int i = RowOf(member.jointI, model.JointCount());
        const int j = RowOf(member.jointJ, model.JointCount());
        const int section = RowOf(member.section, static_cast<int>(model.sections.size()));
        Row row{WholeCell(m), ReferenceCell(member.jointI), ReferenceCell(member.jointJ)};
        if (i && j) {
            const model::Joint& a = model.JointAt(i);
            const model::Joint& b = model.JointAt(j);
            row.push_back(SummaryNumberCell(std::hypot(b.x - a.x, b.y - a.y) / 1000.0, places));
        } else {
            row.push_back(Blank());
        }
        if (m <= analysed) {
            const double force = results->AxialForce(m);
            row.push_back(SummaryNumberCell(force, places));
            row.push_back(TextCell(force > 0 ? "T" : force < 0 ? "C" : ""));
            const double area = section ? model.SectionAt(section).area : 0;
            // kN over mm² is kN/mm²; x 1000 gives N/mm².
            row.push_back(area > 0 ? SummaryNumberCell(force * 1000.0 / area, places) : Blank());
        } else {
            row.insert(row.end(), {Blank(), Blank(), Blank()});
        }
        row.push_back(section
                          ? TextCell(Text(project.sections.Cell(section, project::section_col::Description)))
                          : Blank());
        table.rows.push_back(std::move(row));
    }
    return table;
}

TableRows SummaryJointRows(const project::Project& project, const analysis::Results* results, int places) {
    TableRows table{"Joints", {"#", "dx (mm)", "dy (mm)", "Rx (kN)", "Ry (kN)"}, {}};
    // The joints are only listed here: their count is all that is needed, not a model read from every cell.
    const int joints = project.joints.EntryCount();
    const int analysed = results ? results->JointCount() : 0;
    const std::optional<Reactions> reactions = results ? std::optional<Reactions>(*results) : std::nullopt;
    table.rows.reserve(static_cast<std::size_t>(joints));
    for (int j = 1; j <= joints; ++j) {
        if (j > analysed) {
            table.rows.push_back({WholeCell(j), Blank(), Blank(), Blank(), Blank()});
            continue;
        }
        const analysis::Reaction reaction = reactions->At(j);
        table.rows.push_back({WholeCell(j), SummaryNumberCell(results->Dx(j), places),
                              SummaryNumberCell(results->Dy(j), places),
                              results->IsRestrainedX(j) ? SummaryNumberCell(reaction.rx, places) : Blank(),
                              results->IsRestrainedY(j) ? SummaryNumberCell(reaction.ry, places) : Blank()});
    }
    return table;
}

TableRows SummaryEquilibriumRows(const project::Project&, const analysis::Results* results, int places) {
    TableRows table{"Equilibrium", {"Quantity", "Value (kN)", "Member"}, {}};
    const char* labels[] = {"Sum of applied loads, X",
                            "Sum of applied loads, Y",
                            "Sum of reactions, X",
                            "Sum of reactions, Y",
                            "Difference (loads + reactions), X",
                            "Difference (loads + reactions), Y",
                            "Largest tension",
                            "Largest compression"};
    if (!results) {
        for (const char* label : labels)
            table.rows.push_back({TextCell(label), Blank(), Blank()});
        return table;
    }
    // Long double: a million loads summed in double could leave rounding that looks like imbalance.
    long double loadX = 0, loadY = 0, reactionX = 0, reactionY = 0;
    const Reactions reactions(*results);
    for (int j = 1; j <= results->JointCount(); ++j) {
        loadX += results->LoadX(j);
        loadY += results->LoadY(j);
        if (!results->IsSupported(j)) continue;
        const analysis::Reaction reaction = reactions.At(j);
        reactionX += reaction.rx;
        reactionY += reaction.ry;
    }
    int tension = 0, compression = 0;
    double most = 0, least = 0;
    for (int m = 1; m <= results->MemberCount(); ++m) {
        const double force = results->AxialForce(m);
        if (force > most) {
            most = force;
            tension = m;
        }
        if (force < least) {
            least = force;
            compression = m;
        }
    }
    const double sums[] = {static_cast<double>(loadX),
                           static_cast<double>(loadY),
                           static_cast<double>(reactionX),
                           static_cast<double>(reactionY),
                           static_cast<double>(loadX + reactionX),
                           static_cast<double>(loadY + reactionY)};
    for (int r = 0; r < 6; ++r)
        table.rows.push_back({TextCell(labels[r]), SummaryNumberCell(sums[r], places), Blank()});
    table.rows.push_back({TextCell(labels[6]), tension ? SummaryNumberCell(most, places) : Blank(),
                          tension ? WholeCell(tension) : Blank()});
    table.rows.push_back({TextCell(labels[7]), compression ? SummaryNumberCell(least, places) : Blank(),
                          compression ? WholeCell(compression) : Blank()});
    return table;
}

} // namespace varlen::report
