// The CLI's last guard against printing a value that is no number. The analysis core refuses overflows
// itself, so these cases are built directly: a results object whose numbers overflowed.
#include <gtest/gtest.h>
#include <limits>

#include "commands.h"
#include "printable_values.h"

namespace varlen::cli {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Joint 1 fixed; members 1 -> 2 and 1 -> 3 along X, joints 2 and 3 pulled 10 mm along X.
analysis::Results TwoBars(double k, double dx2, double dy3 = 0) {
    std::vector<analysis::Results::MemberState> members(2);
    members[0] = {1, 2, {1, 0}, k};
    members[1] = {1, 3, {1, 0}, k};
    return analysis::Results({0, 0, dx2, 0, 10, dy3}, members, std::vector<double>(6, 0.0), {3, 0, 0});
}

TEST(PrintableValues, FiniteResultsPass) { EXPECT_EQ(FirstNonFinite(TwoBars(100, 10)), ""); }

// Each check names the first value at fault, so the user knows what overflowed and where.
TEST(PrintableValues, NamesTheValueThatIsNoNumber) {
    EXPECT_EQ(FirstNonFinite(TwoBars(100, kInf)), "the displacement of joint 2 along X is too large to be represented");
    EXPECT_EQ(FirstNonFinite(TwoBars(100, 10, kNaN)),
              "the displacement of joint 3 along Y could not be worked out (it is not a number)");
    // 1e307 kN/mm x 10 mm overflows the members' forces while every displacement is finite.
    EXPECT_EQ(FirstNonFinite(TwoBars(1e307 * 10, 10)), "the axial force in member 1 is too large to be represented");
    // Each member's force (about 1e308 kN) is finite; their sum at the support is not.
    EXPECT_EQ(FirstNonFinite(TwoBars(1e307, 10)), "the reaction at joint 1 along X is too large to be represented");
}

TEST(PrintableValues, DesignRowsAreChecked) {
    design::TensionOutcome tension;
    design::CompressionOutcome compression;
    design::WeldOutcome welds;
    tension.rows.push_back({1, 5, 52, 32, true});
    compression.rows.push_back({});
    compression.rows.back().member = 2;
    welds.rows.push_back({});
    welds.rows.back().member = 3;
    EXPECT_EQ(FirstNonFinite(tension, compression, welds), "");
    welds.rows.back().length = kInf;
    EXPECT_EQ(FirstNonFinite(tension, compression, welds), "the weld length of member 3 is too large to be represented");
    compression.rows.back().allowableStress = kNaN;
    EXPECT_EQ(FirstNonFinite(tension, compression, welds),
              "the allowable stress of member 2 could not be worked out (it is not a number)");
    tension.rows.back().requiredArea = kInf;
    EXPECT_EQ(FirstNonFinite(tension, compression, welds), "the area required by member 1 is too large to be represented");
}

// Several lines (the title, the standard text, the causes) keep their line ends; all else is escaped.
TEST(PrintableValues, EscapeLinesKeepsLineEnds) {
    constexpr char kMessage[] = "Title\nSection \"a\x07\0b\"\r\nend";
    EXPECT_EQ(EscapeLines(std::string(kMessage, sizeof kMessage - 1)),
              "Title\nSection \"a\\x07\\x00b\"\\x0D\nend");
}

} // namespace
} // namespace varlen::cli
