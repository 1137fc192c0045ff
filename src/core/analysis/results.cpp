#include "analysis/results.h"

#include <algorithm>
#include <cmath>

namespace varlen::analysis {

Results::Results(std::shared_ptr<const Structure> structure, std::vector<double> displacement,
                 std::vector<double> appliedLoad)
    : m_structure(std::move(structure)), m_displacement(std::move(displacement)),
      m_load(std::move(appliedLoad)), m_reaction(m_displacement.size(), 0.0) {
    double largest = 0.0;
    for (int m = 1; m <= MemberCount(); ++m)
        largest = std::max(largest, std::abs(EndIForce(Member(m), MemberGlobalDisp(m))));
    m_forceNoise = kForceNoise * largest;
    // A support's reaction balances what the members and the loads put on the joint: the sum of the
    // members' end forces there (forces on the members, global axes) less the load applied at it.
    for (int m = 1; m <= MemberCount(); ++m) {
        const MemberState& s = Member(m);
        const EndVector f = MemberGlobalForce(m);
        const auto i = 2 * static_cast<std::size_t>(s.jointI - 1);
        const auto j = 2 * static_cast<std::size_t>(s.jointJ - 1);
        m_reaction[i] += f[0];
        m_reaction[i + 1] += f[1];
        m_reaction[j] += f[2];
        m_reaction[j + 1] += f[3];
    }
    for (std::size_t d = 0; d < m_reaction.size(); ++d) {
        const bool restrained = (m_structure->Restraints()[d / 2] & (d % 2 == 0 ? 1u : 2u)) != 0;
        m_reaction[d] = restrained ? m_reaction[d] - m_load[d] : 0.0;
    }
}

Results::Results(std::vector<double> displacement, std::vector<MemberState> members,
                 std::vector<double> appliedLoad, std::vector<std::uint8_t> restraint)
    : Results(std::make_shared<const Structure>(std::vector<double>(restraint.size(), 0.0),
                                                std::vector<double>(restraint.size(), 0.0),
                                                std::move(members), std::move(restraint)),
              std::move(displacement), std::move(appliedLoad)) {}

EndVector Results::MemberGlobalDisp(int member) const {
    const MemberState& s = Member(member);
    return {Dx(s.jointI), Dy(s.jointI), Dx(s.jointJ), Dy(s.jointJ)};
}

// Global to member axes: member vector = T x global vector, T = [c s; -s c].
EndVector Results::MemberLocalDisp(int member) const {
    const Rotation t = Member(member).rotation;
    const EndVector g = MemberGlobalDisp(member);
    return {t.c * g[0] + t.s * g[1], -t.s * g[0] + t.c * g[1], t.c * g[2] + t.s * g[3],
            -t.s * g[2] + t.c * g[3]};
}

// The member-axis stiffness k [1 0 -1 0; 0 0 0 0; -1 0 1 0; 0 0 0 0] times the member-axis
// displacements: no force across the member, and the end j force is exactly minus the end i force.
EndVector Results::MemberLocalForce(int member) const {
    const double fi = EndIForce(Member(member), MemberGlobalDisp(member));
    if (!(std::abs(fi) >= m_forceNoise) && std::isfinite(fi)) return {0.0, 0.0, 0.0, 0.0};
    return {fi, 0.0, -fi, 0.0};
}

// Back to global axes with transpose(T).
EndVector Results::MemberGlobalForce(int member) const {
    const Rotation t = Member(member).rotation;
    const EndVector f = MemberLocalForce(member);
    return {t.c * f[0], t.s * f[0], t.c * f[2], t.s * f[2]};
}

int Results::FirstMemberNotFinite() const {
    for (int m = 1; m <= MemberCount(); ++m)
        if (!std::isfinite(AxialForce(m))) return m;
    return 0;
}

int Results::FirstReactionNotFinite(char& axis) const {
    for (std::size_t d = 0; d < m_reaction.size(); ++d) {
        if (std::isfinite(m_reaction[d])) continue;
        axis = d % 2 == 0 ? 'X' : 'Y';
        return static_cast<int>(d / 2) + 1;
    }
    return 0;
}

Reaction Results::SupportReaction(int joint) const {
    const auto d = 2 * static_cast<std::size_t>(joint - 1);
    return {m_reaction[d], m_reaction[d + 1]};
}

} // namespace varlen::analysis
