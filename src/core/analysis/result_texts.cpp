#include "analysis/result_texts.h"

#include <cmath>

#include "project/number_text.h"

namespace varlen::analysis {

ResultTexts::ResultTexts(const Results& results) : m_results(results) {
    const std::size_t dofs = 2 * static_cast<std::size_t>(results.JointCount());
    m_end.reserve(dofs);
    m_negative.reserve(dofs);
    m_arena.reserve(dofs * 20);
    for (int j = 1; j <= results.JointCount(); ++j) {
        for (double value : {results.Dx(j), results.Dy(j)}) {
            project::AppendGeneral(m_arena, std::fabs(value));
            m_end.push_back(static_cast<std::uint32_t>(m_arena.size()));
            m_negative.push_back(value < 0);
        }
    }
}

SignedDigits ResultTexts::Joint(std::size_t dof) const {
    const std::size_t begin = dof == 0 ? 0 : m_end[dof - 1];
    return {std::string_view(m_arena).substr(begin, m_end[dof] - begin), m_negative[dof] != 0};
}

MemberTexts::MemberTexts(const Results& results, int member)
    : local(results.MemberLocalForce(member)), global(results.MemberGlobalForce(member)) {
    project::AppendGeneral(axial, std::fabs(local[2]));
    project::AppendGeneral(globalX, std::fabs(global[0]));
    project::AppendGeneral(globalY, std::fabs(global[1]));
}

} // namespace varlen::analysis
