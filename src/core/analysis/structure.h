// What an analysis knows of the truss whatever it carries: each member's joints, rotation and stiffness,
// the supports and where the joints are. One Structure is shared by the Results of every load vector
// solved on it.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/stiffness.h"

namespace varlen::analysis {

struct MemberState {
    std::int32_t jointI = 0, jointJ = 0; // 1-based
    Rotation rotation;
    double k = 0.0; // E A / L, kN/mm
};

class Structure {
public:
    Structure() = default;
    // Two co-ordinates and one restraint per joint: x and y in mm, bit 0 X restrained, bit 1 Y.
    Structure(std::vector<double> x, std::vector<double> y, std::vector<MemberState> members,
              std::vector<std::uint8_t> restraint)
        : m_x(std::move(x)), m_y(std::move(y)), m_members(std::move(members)),
          m_restraint(std::move(restraint)) {}

    [[nodiscard]] int JointCount() const { return static_cast<int>(m_restraint.size()); }
    [[nodiscard]] int MemberCount() const { return static_cast<int>(m_members.size()); }
    // Joints and members are numbered from 1.
    [[nodiscard]] const MemberState& Member(int member) const {
        return m_members[static_cast<std::size_t>(member) - 1];
    }
    [[nodiscard]] const std::vector<MemberState>& Members() const { return m_members; }
    [[nodiscard]] double X(int joint) const { return m_x[static_cast<std::size_t>(joint) - 1]; } // mm
    [[nodiscard]] double Y(int joint) const { return m_y[static_cast<std::size_t>(joint) - 1]; } // mm
    [[nodiscard]] std::uint8_t Restraint(int joint) const {
        return m_restraint[static_cast<std::size_t>(joint) - 1];
    }
    [[nodiscard]] const std::vector<std::uint8_t>& Restraints() const { return m_restraint; }
    [[nodiscard]] bool IsRestrainedX(int joint) const { return (Restraint(joint) & 1u) != 0; }
    [[nodiscard]] bool IsRestrainedY(int joint) const { return (Restraint(joint) & 2u) != 0; }
    [[nodiscard]] bool IsSupported(int joint) const { return Restraint(joint) != 0; }

private:
    std::vector<double> m_x, m_y;
    std::vector<MemberState> m_members;
    std::vector<std::uint8_t> m_restraint;
};

} // namespace varlen::analysis
