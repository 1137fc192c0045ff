// The results of one analysis, as doubles, for the results windows, the reports, the design and the
// exports. Member end vectors are not stored but formed on request from the joint displacements and
// each member's rotation and stiffness, by the same arithmetic each time, so a million-member truss
// keeps 40 bytes a member instead of 128.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "analysis/stiffness.h"

namespace varlen::analysis {

// Four values in the order end i X, end i Y, end j X, end j Y (global or member axes).
using EndVector = std::array<double, 4>;

struct Reaction {
    double rx = 0.0, ry = 0.0;   // kN, the force the support exerts on the truss; 0 in a free direction
};

// A member force below this fraction of the largest one is rounding noise (a zero-force member comes
// out as 1e-13 kN or so): it is 0 in every output and in the design, so that such a member is never sent
// to the strut check by the sign of noise.
inline constexpr double kForceNoise = 1e-9;

class Results {
public:
    struct MemberState {
        std::int32_t jointI = 0, jointJ = 0;   // 1-based
        Rotation rotation;
        double k = 0.0;                        // E A / L, kN/mm
    };

    // kN on the member at end i along its axis (minus the axial force), from the global displacements
    // of its ends: the one formula every member force comes from. The stretch is formed from the
    // differences of the end displacements, which are exact or nearly so, never from the two ends'
    // displacements along the member taken separately: a stiff member between joints that move far
    // would otherwise get a force that is all rounding (1e-4 kN where 1e-7 is right).
    [[nodiscard]] static double EndIForce(const MemberState& s, const EndVector& globalDisp) {
        const double stretch =
            s.rotation.c * (globalDisp[2] - globalDisp[0]) + s.rotation.s * (globalDisp[3] - globalDisp[1]);
        return -(s.k * stretch);
    }

    Results() = default;
    Results(std::vector<double> displacement, std::vector<MemberState> members, std::vector<double> appliedLoad,
            std::vector<std::uint8_t> restraint);

    [[nodiscard]] int JointCount() const { return static_cast<int>(m_displacement.size() / 2); }
    [[nodiscard]] int MemberCount() const { return static_cast<int>(m_members.size()); }

    // mm along global X and Y; joints and members are numbered from 1.
    [[nodiscard]] double Dx(int joint) const { return m_displacement[2 * static_cast<std::size_t>(joint) - 2]; }
    [[nodiscard]] double Dy(int joint) const { return m_displacement[2 * static_cast<std::size_t>(joint) - 1]; }
    [[nodiscard]] const MemberState& Member(int member) const { return m_members[static_cast<std::size_t>(member) - 1]; }

    [[nodiscard]] EndVector MemberGlobalDisp(int member) const;   // mm, global axes
    [[nodiscard]] EndVector MemberLocalDisp(int member) const;    // mm, member axes
    [[nodiscard]] EndVector MemberLocalForce(int member) const;   // kN on the member, member axes
    [[nodiscard]] EndVector MemberGlobalForce(int member) const;  // kN on the member, global axes
    // kN, positive in tension: the member-axis force at joint j; exactly 0 when it is rounding noise.
    [[nodiscard]] double AxialForce(int member) const { return MemberLocalForce(member)[2]; }
    // The first member whose force, or joint whose reaction, is not a finite number (0 when none).
    [[nodiscard]] int FirstMemberNotFinite() const;
    [[nodiscard]] int FirstReactionNotFinite(char& axis) const;

    [[nodiscard]] bool IsRestrainedX(int joint) const { return (Restraint(joint) & 1u) != 0; }
    [[nodiscard]] bool IsRestrainedY(int joint) const { return (Restraint(joint) & 2u) != 0; }
    [[nodiscard]] bool IsSupported(int joint) const { return Restraint(joint) != 0; }
    [[nodiscard]] Reaction SupportReaction(int joint) const;
    // kN, the sum of the load lines on the joint.
    [[nodiscard]] double LoadX(int joint) const { return m_load[2 * static_cast<std::size_t>(joint) - 2]; }
    [[nodiscard]] double LoadY(int joint) const { return m_load[2 * static_cast<std::size_t>(joint) - 1]; }

private:
    [[nodiscard]] std::uint8_t Restraint(int joint) const { return m_restraint[static_cast<std::size_t>(joint) - 1]; }

    std::vector<double> m_displacement;   // 2 per joint
    std::vector<MemberState> m_members;
    std::vector<double> m_load;           // applied, 2 per joint, before supports discard any
    std::vector<std::uint8_t> m_restraint;   // bit 0: X restrained, bit 1: Y
    std::vector<double> m_reaction;       // 2 per joint; 0 at free directions
    double m_forceNoise = 0.0;            // kN: end forces smaller than this are 0
};

} // namespace varlen::analysis
