// The results of one load vector, as doubles, for the results windows, the reports, the design and the
// exports: the displacements, the loads applied and the reactions, over a Structure that the results of
// other load vectors may share. Member end vectors are not stored but formed on request from the joint
// displacements and each member's rotation and stiffness, by the same arithmetic each time, so a
// million-member truss keeps 40 bytes a member instead of 128.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "analysis/structure.h"

namespace varlen::analysis {

// Four values in the order end i X, end i Y, end j X, end j Y (global or member axes).
using EndVector = std::array<double, 4>;

struct Reaction {
    double rx = 0.0, ry = 0.0; // kN, the force the support exerts on the truss; 0 in a free direction
};

// A member force below this fraction of the largest one is rounding noise (a zero-force member comes
// out as 1e-13 kN or so): it is 0 in every output and in the design, so that such a member is never sent
// to the strut check by the sign of noise.
inline constexpr double kForceNoise = 1e-9;

class Results {
public:
    using MemberState = analysis::MemberState;

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
    // Two displacements (mm) and two applied loads (kN) per joint of the structure.
    Results(std::shared_ptr<const Structure> structure, std::vector<double> displacement,
            std::vector<double> appliedLoad);

    // The same over a structure known only by its members and restraints (one per joint), its joints all
    // at the origin: results formed by hand, in tests and tools.
    Results(std::vector<double> displacement, std::vector<MemberState> members,
            std::vector<double> appliedLoad, std::vector<std::uint8_t> restraint);

    [[nodiscard]] const Structure& GetStructure() const { return *m_structure; }
    [[nodiscard]] const std::shared_ptr<const Structure>& SharedStructure() const { return m_structure; }
    [[nodiscard]] int JointCount() const { return m_structure->JointCount(); }
    [[nodiscard]] int MemberCount() const { return m_structure->MemberCount(); }

    // mm along global X and Y; joints and members are numbered from 1.
    [[nodiscard]] double Dx(int joint) const {
        return m_displacement[2 * static_cast<std::size_t>(joint) - 2];
    }
    [[nodiscard]] double Dy(int joint) const {
        return m_displacement[2 * static_cast<std::size_t>(joint) - 1];
    }
    [[nodiscard]] const MemberState& Member(int member) const { return m_structure->Member(member); }

    [[nodiscard]] EndVector MemberGlobalDisp(int member) const;  // mm, global axes
    [[nodiscard]] EndVector MemberLocalDisp(int member) const;   // mm, member axes
    [[nodiscard]] EndVector MemberLocalForce(int member) const;  // kN on the member, member axes
    [[nodiscard]] EndVector MemberGlobalForce(int member) const; // kN on the member, global axes
    // kN, positive in tension: the member-axis force at joint j; exactly 0 when it is rounding noise.
    [[nodiscard]] double AxialForce(int member) const { return MemberLocalForce(member)[2]; }
    // The first member whose force, or joint whose reaction, is not a finite number (0 when none).
    [[nodiscard]] int FirstMemberNotFinite() const;
    [[nodiscard]] int FirstReactionNotFinite(char& axis) const;

    [[nodiscard]] bool IsRestrainedX(int joint) const { return m_structure->IsRestrainedX(joint); }
    [[nodiscard]] bool IsRestrainedY(int joint) const { return m_structure->IsRestrainedY(joint); }
    [[nodiscard]] bool IsSupported(int joint) const { return m_structure->IsSupported(joint); }
    [[nodiscard]] Reaction SupportReaction(int joint) const;
    // kN, the sum of the load lines on the joint.
    [[nodiscard]] double LoadX(int joint) const { return m_load[2 * static_cast<std::size_t>(joint) - 2]; }
    [[nodiscard]] double LoadY(int joint) const { return m_load[2 * static_cast<std::size_t>(joint) - 1]; }

private:
    std::shared_ptr<const Structure> m_structure = std::make_shared<const Structure>();
    std::vector<double> m_displacement; // 2 per joint
    std::vector<double> m_load;         // applied, 2 per joint, before supports discard any
    std::vector<double> m_reaction;     // 2 per joint; 0 at free directions
    double m_forceNoise = 0.0;          // kN: end forces smaller than this are 0
};

} // namespace varlen::analysis
