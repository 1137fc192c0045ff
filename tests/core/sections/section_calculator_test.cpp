#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

#include "sections/section_calculator.h"
#include "test_support.h"

namespace varlen::sections {
namespace {

TEST(SectionShapes, TitlesAndPromptsInOrder) {
    const auto& shapes = SectionShapes();
    EXPECT_STREQ(shapes[0].title, "Circular Hollow Section");
    EXPECT_STREQ(shapes[1].title, "Circular Section");
    EXPECT_STREQ(shapes[2].title, "I Section");
    EXPECT_STREQ(shapes[3].title, "Rectangular Section");
    EXPECT_STREQ(shapes[4].title, "Rectangular Hollow Section");
    const std::vector<std::size_t> counts = {2, 1, 4, 2, 4};
    for (std::size_t i = 0; i < shapes.size(); ++i)
        EXPECT_EQ(shapes[i].prompts.size(), counts[i]) << i;
    EXPECT_STREQ(shapes[2].prompts[1], "Please Enter Thickness of Flange, tf");
    EXPECT_STREQ(shapes[2].prompts[3], "Please Enter Depth of Section, h");
    EXPECT_STREQ(shapes[3].prompts[1], "Please Enter Depth of Section, d");
    EXPECT_STREQ(shapes[4].prompts[2], "Please Enter Thickness of Flange, Tf");
    EXPECT_STREQ(shapes[4].prompts[3], "Please Enter Thickness of Web, Tw");
}

struct SectionCase {
    int shape;
    std::vector<std::string> answers;
    const char* areaText;
    const char* description;
};

class EvaluateSectionTest : public ::testing::TestWithParam<SectionCase> {};

TEST_P(EvaluateSectionTest, GivesAreaAndDescription) {
    const SectionCase& c = GetParam();
    const std::optional<SectionResult> result = EvaluateSection(c.shape, c.answers);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->areaText, c.areaText);
    EXPECT_EQ(result->description, c.description);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, EvaluateSectionTest,
    ::testing::Values(
        // pi is 3.141592654: pi x 100 shows its ten digits, not the binary tail of the product.
        SectionCase{1, {"10"}, "314.1592654", "Circular Section with radius  10"},
        SectionCase{0, {"100", "5"}, "3063.05283765", "CHS Section with r and t of 100, 5"},
        // A wall as thick as the radius is the full circle; thicker cancels to 0 and becomes 1.
        SectionCase{0, {"10", "10"}, "314.1592654", "CHS Section with r and t of 10, 10"},
        SectionCase{0, {"10", "20"}, "1", "CHS Section with r and t of 10, 20"},
        SectionCase{3, {"100", "50"}, "5000", "Rectangular Section with b and h of 100, 50"},
        SectionCase{3, {"-2", "3"}, "1", "Rectangular Section with b and h of-2, 3"},
        SectionCase{3, {"0", "3"}, "1", "Rectangular Section with b and h of 0, 3"},
        // Answers are read as numbers and written back in general form.
        SectionCase{3, {" 2.50 ", "4e1"}, "100", "Rectangular Section with b and h of 2.5, 40"},
        SectionCase{4, {"100", "50", "5", "4"}, "1320", "RHS Section with b, h, tf and tw of 100, 50, 5, 4"},
        // Prompts ask bf, tf, tw, h; the description lists bf, h, tf, tw.
        SectionCase{
            2, {"200", "10", "6", "300"}, "5680", "I Section with bf, h, tf and tw of 200, 300, 10, 6"},
        SectionCase{1, {"0.1"}, "0.03141592654", "Circular Section with radius  0.1"}),
    [](const auto& info) { return test::CaseName(info.index, info.param.description); });

TEST(EvaluateSection, CancelledOrMismatchedAnswersGiveNothing) {
    EXPECT_FALSE(EvaluateSection(4, {"100", "50", "", "4"}).has_value());
    EXPECT_FALSE(EvaluateSection(3, {"100"}).has_value());
    EXPECT_FALSE(EvaluateSection(3, {"100", "50", "1"}).has_value());
    EXPECT_FALSE(EvaluateSection(5, {"1"}).has_value());
    EXPECT_FALSE(EvaluateSection(-1, {"1"}).has_value());
}

// Reading only the leading number took "abc" as 0 (an area of 1, a radius of 0) and "1OO" as 1.
TEST(EvaluateSection, AnswersThatAreNotOneNumberGiveNothing) {
    for (const char* answer : {"abc", "1OO", "20.0.59", "1,5", "12abc", " ", "\t"}) {
        EXPECT_FALSE(IsDimensionAnswer(answer)) << answer;
        EXPECT_FALSE(EvaluateSection(1, {answer}).has_value()) << answer;
        EXPECT_FALSE(EvaluateSection(3, {"100", answer}).has_value()) << answer;
    }
    for (const char* answer : {"100", " 2.50 ", "4e1", "-2", ".5"})
        EXPECT_TRUE(IsDimensionAnswer(answer)) << answer;
}

TEST(FormatFifteenDigits, RoundsAwayTheBinaryTail) {
    EXPECT_EQ(FormatFifteenDigits(0.1 + 0.2), "0.3");
    EXPECT_EQ(FormatFifteenDigits(3.141592654 * 100), "314.1592654");
    EXPECT_EQ(FormatFifteenDigits(123456789.123456789), "123456789.123457");
    EXPECT_EQ(FormatFifteenDigits(-2.5e20), "-2.5E+20");
    EXPECT_EQ(FormatFifteenDigits(1), "1");
}

TEST(NextPicture, WrapsRoundTheFiveShapes) {
    EXPECT_EQ(NextPicture(0, 1), 1);
    EXPECT_EQ(NextPicture(3, 1), 4);
    EXPECT_EQ(NextPicture(4, 1), 0);
    EXPECT_EQ(NextPicture(0, -1), 4);
    EXPECT_EQ(NextPicture(2, -1), 1);
}

} // namespace
} // namespace varlen::sections
