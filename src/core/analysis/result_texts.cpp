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

MagnitudeText::MagnitudeText(double value, Digits digits)
    : m_length(digits == Digits::Fifteen ? project::WriteGeneral15(m_text.data(), std::fabs(value))
                                         : project::WriteGeneral(m_text.data(), std::fabs(value))) {}

MemberTexts::MemberTexts(const Results& results, int member)
    : local(results.MemberLocalForce(member)), global(results.MemberGlobalForce(member)),
      axial(local[2], Digits::RoundTrip), globalX(global[0], Digits::RoundTrip),
      globalY(global[1], Digits::RoundTrip) {}

void AppendInteger(std::string& out, int value) {
    // Written from the last digit back; the output appends millions of these.
    char text[12];
    char* p = text + sizeof text;
    // The magnitude as unsigned, so that the most negative int has one too.
    auto rest = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        *--p = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (value < 0) *--p = '-';
    out.append(p, static_cast<std::size_t>(text + sizeof text - p));
}

} // namespace varlen::analysis
