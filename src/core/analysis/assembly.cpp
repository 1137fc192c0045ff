#include "analysis/assembly.h"

#include <algorithm>
#include <cmath>

namespace varlen::analysis {

DofMap BoundaryConditions(const std::vector<std::uint8_t>& restraint) {
    DofMap map;
    map.freeIndex.assign(2 * restraint.size(), -1);
    map.dofOfFree.reserve(2 * restraint.size());
    for (std::size_t joint = 0; joint < restraint.size(); ++joint) {
        for (std::size_t axis = 0; axis < 2; ++axis) {
            if (restraint[joint] & (1u << axis)) continue;
            const std::size_t dof = 2 * joint + axis;
            map.freeIndex[dof] = static_cast<int>(map.dofOfFree.size());
            map.dofOfFree.push_back(static_cast<int>(dof));
        }
    }
    return map;
}

SparseMatrix StructuralStiffness(int jointCount, const std::vector<MemberState>& members, const DofMap& dofs,
                                 StiffnessKind kind, int scaleExponent) {
    const auto joints = static_cast<std::size_t>(jointCount);
    // Joint-level pattern of the upper triangle: for each column joint a, the joints b < a that share a
    // member with it. Parallel members share one entry.
    std::vector<int> start(joints + 1, 0);
    for (const auto& m : members)
        ++start[static_cast<std::size_t>(std::max(m.jointI, m.jointJ))];
    for (std::size_t a = 0; a < joints; ++a)
        start[a + 1] += start[a]; // start[a+1] = end of column a (1-based a)
    std::vector<int> neighbour(members.size());
    {
        std::vector<int> fill(start.begin(), start.end() - 1);
        for (const auto& m : members) {
            const int a = std::max(m.jointI, m.jointJ) - 1, b = std::min(m.jointI, m.jointJ) - 1;
            neighbour[static_cast<std::size_t>(fill[static_cast<std::size_t>(a)]++)] = b;
        }
    }
    // Sort and deduplicate each column in place, compacting the list.
    std::vector<int> uniqueStart(joints + 1, 0);
    std::size_t write = 0;
    for (std::size_t a = 0; a < joints; ++a) {
        auto first = neighbour.begin() + start[a], last = neighbour.begin() + start[a + 1];
        std::sort(first, last);
        const auto end = std::unique(first, last);
        uniqueStart[a] = static_cast<int>(write);
        for (auto it = first; it != end; ++it)
            neighbour[write++] = *it;
    }
    uniqueStart[joints] = static_cast<int>(write);
    neighbour.resize(write);

    // Sum the blocks: K0 on each end's diagonal block, -K0 on the coupling block.
    std::vector<Block> diagonal(joints);
    std::vector<Block> coupling(write);
    for (const auto& m : members) {
        const Block k0 = GlobalStiffness(
            kind == StiffnessKind::Geometry ? 1.0 : std::ldexp(m.k, scaleExponent), m.rotation);
        for (int end : {m.jointI, m.jointJ}) {
            Block& d = diagonal[static_cast<std::size_t>(end - 1)];
            d.xx += k0.xx;
            d.xy += k0.xy;
            d.yy += k0.yy;
        }
        const int a = std::max(m.jointI, m.jointJ) - 1, b = std::min(m.jointI, m.jointJ) - 1;
        const auto first = neighbour.begin() + uniqueStart[static_cast<std::size_t>(a)];
        const auto last = neighbour.begin() + uniqueStart[static_cast<std::size_t>(a) + 1];
        Block& c = coupling[static_cast<std::size_t>(std::lower_bound(first, last, b) - neighbour.begin())];
        c.xx -= k0.xx;
        c.xy -= k0.xy;
        c.yy -= k0.yy;
    }

    // Lay the free equations out column by column. Equation numbers grow with (joint, axis), so rows
    // come out ascending with the diagonal last.
    const auto n = static_cast<int>(dofs.dofOfFree.size());
    SparseMatrix k(n, n);
    // Written straight into the matrix's arrays: at a million joints a second copy would cost 180 MB.
    std::size_t entries = 0;
    for (int column = 0; column < n; ++column) {
        const int dof = dofs.dofOfFree[static_cast<std::size_t>(column)];
        const std::size_t a = static_cast<std::size_t>(dof) / 2;
        for (int e = uniqueStart[a]; e < uniqueStart[a + 1]; ++e) {
            const int b = neighbour[static_cast<std::size_t>(e)];
            entries += (dofs.freeIndex[2 * static_cast<std::size_t>(b)] >= 0) +
                       (dofs.freeIndex[2 * static_cast<std::size_t>(b) + 1] >= 0);
        }
        entries += (dof % 2 == 1 && dofs.freeIndex[static_cast<std::size_t>(dof) - 1] >= 0) + 1;
    }
    k.resizeNonZeros(static_cast<Eigen::Index>(entries));
    int* outer = k.outerIndexPtr();
    int* inner = k.innerIndexPtr();
    double* values = k.valuePtr();
    int used = 0;
    auto put = [&](int dof, double value) {
        const int row = dofs.freeIndex[static_cast<std::size_t>(dof)];
        if (row < 0) return;
        inner[used] = row;
        values[used] = value;
        ++used;
    };
    outer[0] = 0;
    for (int column = 0; column < n; ++column) {
        const int dof = dofs.dofOfFree[static_cast<std::size_t>(column)];
        const std::size_t a = static_cast<std::size_t>(dof) / 2;
        const bool isY = dof % 2 == 1;
        for (int e = uniqueStart[a]; e < uniqueStart[a + 1]; ++e) {
            const int b = neighbour[static_cast<std::size_t>(e)];
            const Block& c = coupling[static_cast<std::size_t>(e)];
            put(2 * b, isY ? c.xy : c.xx);
            put(2 * b + 1, isY ? c.yy : c.xy);
        }
        const Block& d = diagonal[a];
        if (isY) put(dof - 1, d.xy);
        put(dof, isY ? d.yy : d.xx);
        outer[column + 1] = used;
    }
    return k;
}

} // namespace varlen::analysis
