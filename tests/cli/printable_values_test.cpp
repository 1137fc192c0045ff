// The CLI's last guard against printing a value that is no number. The analysis core refuses overflows
// itself, so the overflowed values are set directly.
#include <array>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

#include "commands.h"
#include "printable_values.h"
#include "test_support.h"

namespace varlen::cli {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Values as analysis::Results gives them, set directly: joint displacements, member end forces and
// reactions, each of which may have overflowed.
struct FakeResults {
    std::vector<std::array<double, 2>> displacement{{0, 0}, {10, 0}, {10, 0}};
    std::vector<analysis::EndVector> localForce{{-5, 0, 5, 0}, {-5, 0, 5, 0}};
    std::vector<analysis::EndVector> globalForce{{-5, 0, 5, 0}, {-5, 0, 5, 0}};
    std::vector<analysis::Reaction> reaction{{-10, 0}, {}, {}};

    int JointCount() const { return static_cast<int>(displacement.size()); }
    int MemberCount() const { return static_cast<int>(localForce.size()); }
    double Dx(int j) const { return displacement[j - 1][0]; }
    double Dy(int j) const { return displacement[j - 1][1]; }
    analysis::EndVector MemberLocalForce(int m) const { return localForce[m - 1]; }
    analysis::EndVector MemberGlobalForce(int m) const { return globalForce[m - 1]; }
    bool IsSupported(int j) const { return j == 1; }
    analysis::Reaction SupportReaction(int j) const { return reaction[j - 1]; }
};

TEST(PrintableValues, FiniteResultsPass) {
    EXPECT_EQ(FirstNonFinite(FakeResults{}), "");
}

// Each check names the first value at fault, so the user knows what overflowed and where.
TEST(PrintableValues, NamesTheValueThatIsNoNumber) {
    FakeResults r;
    r.reaction[0].rx = -kInf;
    EXPECT_EQ(FirstNonFinite(r), "the reaction at joint 1 along X is too large to be represented");
    r.globalForce[1][3] = kInf;
    EXPECT_EQ(FirstNonFinite(r), "the force at end j of member 2 along Y is too large to be represented");
    r.localForce[1][2] = kNaN;
    EXPECT_EQ(FirstNonFinite(r), "the axial force in member 2 could not be worked out (it is not a number)");
    r.displacement[2][1] = kNaN;
    EXPECT_EQ(FirstNonFinite(r),
              "the displacement of joint 3 along Y could not be worked out (it is not a number)");
    r.displacement[1][0] = kInf;
    EXPECT_EQ(FirstNonFinite(r), "the displacement of joint 2 along X is too large to be represented");
}

// The CLI hands the real results over: a finite analysis passes.
TEST(PrintableValues, AnalysedTrussPasses) {
    const project::Project p = test::MakeProject({{0, 0, true, true}, {4, 0, false, true}, {2, 2}},
                                                 {{1, 2}, {2, 3}, {3, 1}}, {{3, 0, -10}});
    EXPECT_EQ(FirstNonFinite(test::AnalyseOrFail(p)), "");
}

TEST(PrintableValues, DesignRowsAreChecked) {
    design::TensionOutcome tension;
    design::CompressionOutcome compression;
    design::WeldOutcome welds;
    tension.rows.push_back({1, 5, 52, 32, true, ""});
    compression.rows.push_back({});
    compression.rows.back().member = 2;
    welds.rows.push_back({});
    welds.rows.back().member = 3;
    EXPECT_EQ(FirstNonFinite(tension, compression, welds), "");
    welds.rows.back().length = kInf;
    EXPECT_EQ(FirstNonFinite(tension, compression, welds),
              "the weld length of member 3 is too large to be represented");
    compression.rows.back().allowableStress = kNaN;
    EXPECT_EQ(FirstNonFinite(tension, compression, welds),
              "the allowable stress of member 2 could not be worked out (it is not a number)");
    tension.rows.back().requiredArea = kInf;
    EXPECT_EQ(FirstNonFinite(tension, compression, welds),
              "the area required by member 1 is too large to be represented");
}

// Several lines (the title, the standard text, the causes) keep their line ends; all else is escaped.
TEST(PrintableValues, EscapeLinesKeepsLineEnds) {
    constexpr char kMessage[] = "Title\nSection \"a\x07\0b\"\r\nend";
    EXPECT_EQ(EscapeLines(std::string(kMessage, sizeof kMessage - 1)),
              "Title\nSection \"a\\x07\\x00b\"\\x0D\nend");
}

} // namespace
} // namespace varlen::cli
