// Number texts of the results, worked out once and copied where they repeat: a joint's displacement
// appears in the block of every member that meets there, a member's end j force is its end i force
// with the sign turned. At a million members this is most of the output's cost.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/results.h"

namespace varlen::analysis {

// How many digits the texts carry: every digit it takes to read back the same double (the JSON), or at
// most 15 significant digits, as a general conversion shows them (the results file).
enum class Digits { RoundTrip, Fifteen };

// The digits of |value| in general format, and whether value is negative (so -0 is not).
struct SignedDigits {
    std::string_view digits;
    bool negative = false;
};

class ResultTexts {
public:
    explicit ResultTexts(const Results& results, Digits digits = Digits::RoundTrip);

    [[nodiscard]] SignedDigits Dx(int joint) const { return Joint(2 * static_cast<std::size_t>(joint) - 2); }
    [[nodiscard]] SignedDigits Dy(int joint) const { return Joint(2 * static_cast<std::size_t>(joint) - 1); }

private:
    [[nodiscard]] SignedDigits Joint(std::size_t dof) const;

    const Results& m_results;
    std::string m_arena;
    std::vector<std::uint32_t> m_end; // end of each DOF's digits in the arena
    std::vector<std::uint8_t> m_negative;
};

// The digits of |value|, kept with it.
class MagnitudeText {
public:
    MagnitudeText(double value, Digits digits);
    [[nodiscard]] std::string_view Text() const { return {m_text.data(), m_length}; }
    [[nodiscard]] SignedDigits Signed(bool negative) const { return {Text(), negative}; }

private:
    std::array<char, 32> m_text{};
    std::size_t m_length = 0;
};

// One member's texts for the JSON: the digits of |N| (local forces are -N, 0, N, 0) and of the global
// end i components (end j's are their negatives); each value's own sign goes with them. The results
// file prints these in two sections and formats, in each, only the ones it prints.
struct MemberTexts {
    MemberTexts(const Results& results, int member);
    EndVector local, global;
    MagnitudeText axial, globalX, globalY;
};

// The digits of a whole number (member and joint numbers), without the double conversion.
void AppendInteger(std::string& out, int value);

// " 2.5 " / "-2.5 ": the file framing of a value from its digits.
inline void AppendFramed(std::string& out, std::string_view digits, bool negative) {
    out.push_back(negative ? '-' : ' ');
    out.append(digits);
    out.push_back(' ');
}
// "2.5" / "-2.5": JSON and plain text.
inline void AppendPlain(std::string& out, std::string_view digits, bool negative) {
    if (negative) out.push_back('-');
    out.append(digits);
}

} // namespace varlen::analysis
