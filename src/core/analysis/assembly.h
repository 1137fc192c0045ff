// The structure stiffness matrix over the free degrees of freedom. Joint n owns DOF 2n-2 (X) and
// 2n-1 (Y), counted from 0 here. A restrained DOF is left out of the equations altogether; that is the
// zero-one method without its unit rows: its displacement is exactly 0 and loads on it are discarded.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/sparse_solver.h"
#include "analysis/structure.h"

namespace varlen::analysis {

struct DofMap {
    std::vector<int> freeIndex; // per DOF: its equation number, or -1 when restrained
    std::vector<int> dofOfFree; // per equation: its DOF
};

// restraint: per joint, bit 0 X restrained, bit 1 Y restrained.
[[nodiscard]] DofMap BoundaryConditions(const std::vector<std::uint8_t>& restraint);

// What each member contributes: its own E A / L times 2^scaleExponent (a power of two, so the scaling
// is exact and the solution only needs the same factor back), or, for `Geometry`, the same unit stiffness for
// every member: the truss's shape and connections alone, which decide whether it can move.
enum class StiffnessKind { Members, Geometry };

// Adds every member's blocks once, into the upper triangle of the free equations (column-major, rows
// ascending in each column, the diagonal last).
[[nodiscard]] SparseMatrix StructuralStiffness(int jointCount, const std::vector<MemberState>& members,
                                               const DofMap& dofs,
                                               StiffnessKind kind = StiffnessKind::Members,
                                               int scaleExponent = 0);

} // namespace varlen::analysis
