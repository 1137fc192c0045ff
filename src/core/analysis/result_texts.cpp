#include "analysis/result_texts.h"

#include <charconv>
#include <cmath>

#include "project/number_text.h"

namespace varlen::analysis {

ResultTexts::ResultTexts(const Results& results, Digits digits) : m_results(results) {
    const std::size_t dofs = 2 * static_cast<std::size_t>(results.JointCount());
    m_end.reserve(dofs);
    m_negative.reserve(dofs);
    m_arena.reserve(dofs * 20);
    for (int j = 1; j <= results.JointCount(); ++j) {
        for (double value : {results.Dx(j), results.Dy(j)}) {
            if (digits == Digits::Fifteen)
                project::AppendGeneral15(m_arena, std::fabs(value));
            else
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

MemberTexts::MemberTexts(const Results& results, int member, Digits precision)
    : local(results.MemberLocalForce(member)), global(results.MemberGlobalForce(member)) {
    char* next = m_storage.data();
    auto digits = [&](double magnitude) {
        const std::size_t length = precision == Digits::Fifteen ? project::WriteGeneral15(next, magnitude)
                                                                : project::WriteGeneral(next, magnitude);
        const std::string_view text(next, length);
        next += length;
        return text;
    };
    axial = digits(std::fabs(local[2]));
    globalX = digits(std::fabs(global[0]));
    globalY = digits(std::fabs(global[1]));
}

void AppendInteger(std::string& out, int value) {
    char text[16];
    auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    (void)ec;
    out.append(text, end);
}

} // namespace varlen::analysis
