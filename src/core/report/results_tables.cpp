#include "report/results_tables.h"

namespace varlen::report {
namespace {

struct EndsText {
    const char* title;
    const char* labels[4];
};

const EndsText kEnds[] = {
    {"Global Displacements (mm)", {"Joint i - dx", "Joint i - dy", "Joint j - dx", "Joint j - dy"}},
    {"Local Forces (kN)", {"Joint i - Fx'", "Joint i - Fy'", "Joint j - Fx'", "Joint j - Fy'"}},
    {"Global Forces / Reactions (kN)", {"Joint i - Fx", "Joint i - Fy", "Joint j - Fx", "Joint j - Fy"}},
};

} // namespace

TableRows JointDisplacementRows(const analysis::Results& results, int places) {
    TableRows table{"Joint displacements (mm)", {"Joint", "dx", "dy"}, {}};
    table.rows.reserve(static_cast<std::size_t>(results.JointCount()));
    for (int j = 1; j <= results.JointCount(); ++j)
        table.rows.push_back(
            {WholeCell(j), NumberCell(results.Dx(j), places), NumberCell(results.Dy(j), places)});
    return table;
}

TableRows MemberForceRows(const analysis::Results& results, int places) {
    TableRows table{
        "Member forces (kN, tension positive)", {"Member", "Joint i", "Joint j", "Axial force", ""}, {}};
    table.rows.reserve(static_cast<std::size_t>(results.MemberCount()));
    for (int m = 1; m <= results.MemberCount(); ++m) {
        const analysis::Results::MemberState& s = results.Member(m);
        const double n = results.AxialForce(m);
        table.rows.push_back({WholeCell(m), WholeCell(s.jointI), WholeCell(s.jointJ), NumberCell(n, places),
                              TextCell(n > 0   ? "tension"
                                       : n < 0 ? "compression"
                                               : "")});
    }
    return table;
}

TableRows SupportReactionRows(const analysis::Results& results, int places) {
    TableRows table{"Support reactions (kN)", {"Joint", "Rx", "Ry"}, {}};
    for (int j = 1; j <= results.JointCount(); ++j) {
        if (!results.IsSupported(j)) continue;
        const analysis::Reaction reaction = results.SupportReaction(j);
        table.rows.push_back(
            {WholeCell(j), NumberCell(reaction.rx, places), NumberCell(reaction.ry, places)});
    }
    return table;
}

const char* MemberEndsTitle(MemberEnds kind) {
    return kEnds[static_cast<int>(kind)].title;
}

TableRows MemberEndRows(const analysis::Results& results, MemberEnds kind, int member, int places) {
    analysis::EndVector values{};
    switch (kind) {
    case MemberEnds::GlobalDisplacements:
        values = results.MemberGlobalDisp(member);
        break;
    case MemberEnds::LocalForces:
        values = results.MemberLocalForce(member);
        break;
    case MemberEnds::GlobalForces:
        values = results.MemberGlobalForce(member);
        break;
    }
    const EndsText& text = kEnds[static_cast<int>(kind)];
    TableRows table{text.title, {"", ""}, {}};
    for (std::size_t r = 0; r < values.size(); ++r)
        table.rows.push_back({TextCell(text.labels[r]), NumberCell(values[r], places)});
    return table;
}

} // namespace varlen::report
