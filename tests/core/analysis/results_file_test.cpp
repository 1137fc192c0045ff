#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "analysis/result_texts.h"
#include "analysis/results_file.h"
#include "analysis/results_json.h"
#include "test_support.h"

namespace varlen::analysis {
namespace {

// One member along X, joint 1 fixed, joint 2 moved (2.5, -1.25) mm; k = 4 kN/mm gives N = 10 kN.
Results OneMember(int memberCount = 1) {
    std::vector<MemberState> members(static_cast<std::size_t>(memberCount),
                                     MemberState{1, 2, Rotation{1.0, 0.0}, 4.0});
    auto structure =
        std::make_shared<const Structure>(std::vector<double>{0, 1000}, std::vector<double>{0, 0},
                                          std::move(members), std::vector<std::uint8_t>{3, 0});
    return Results(std::move(structure), {0, 0, 2.5, -1.25}, {0, 0, 10, 0});
}

TEST(ResultsFile, LayoutMatchesCharacterForCharacter) {
    const std::string expected = "GLOBAL DISPLACEMENTS\r\n"
                                 "Member  1 Joint i (Fx, Fy)\r\n"
                                 " 0  0 \r\n"
                                 "Member  1     Joint j\r\n"
                                 " 2.5 -1.25 \r\n"
                                 "\r\n"
                                 "LOCAL FORCES\r\n"
                                 "Member  1 at Joint i (Fy, Mx, Mz)\r\n"
                                 "-10  0 \r\n"
                                 " 10  0 \r\n"
                                 "\r\n"
                                 "GLOBAL FORCES / REACTIONS\r\n"
                                 "Member  1 at Joint i (Fy, Mx, Mz)\r\n"
                                 "-10  0 \r\n"
                                 "Member  1 at Joint j (Fy, Mx, Mz)\r\n"
                                 " 10  0 \r\n"
                                 "\r\n";
    EXPECT_EQ(ResultsFileText(OneMember()), expected);
}

// The file shows at most 15 significant digits, as the grids' rounding assumes; 17-digit round-trip
// texts such as 0.30000000000000004 would show the user binary noise. The JSON keeps every bit.
TEST(ResultsFile, NumbersHaveAtMostFifteenSignificantDigits) {
    const double dx = 0.1 + 0.2, dy = -1.0 / 3; // 17 digits to round-trip each
    const Results r({0, 0, dx, dy}, {Results::MemberState{1, 2, Rotation{1.0, 0.0}, 1.0}}, {0, 0, dx, 0},
                    {3, 0});
    const std::string text = ResultsFileText(r);
    EXPECT_NE(text.find("Joint j\r\n 0.3 -0.333333333333333 \r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("LOCAL FORCES\r\nMember  1 at Joint i (Fy, Mx, Mz)\r\n-0.3  0 \r\n 0.3  0 \r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("at Joint j (Fy, Mx, Mz)\r\n 0.3  0 \r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("0.30000000000000004"), std::string::npos);
    EXPECT_EQ(text.find("3333333333333333"), std::string::npos);
    const nlohmann::json doc = nlohmann::json::parse(ResultsJsonText(r));
    EXPECT_EQ(doc["joints"][1]["dx"].get<double>(), dx) << "the JSON keeps full precision";
    EXPECT_EQ(doc["joints"][1]["dy"].get<double>(), dy);
}

TEST(ResultsFile, NoMembersGivesTheThreeHeadings) {
    EXPECT_EQ(ResultsFileText(Results({}, {}, {}, {})),
              "GLOBAL DISPLACEMENTS\r\nLOCAL FORCES\r\nGLOBAL FORCES / REACTIONS\r\n");
}

// "Joint j" starts at the next 14-column print zone: column 15 up to four-digit member numbers.
TEST(ResultsFile, JointJHeadingStandsInThePrintZone) {
    const std::string text = ResultsFileText(OneMember(123456));
    EXPECT_NE(text.find("\r\nMember  999   Joint j\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nMember  9999  Joint j\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nMember  12345 Joint j\r\n"), std::string::npos); // 14 written: column 15 is free
    EXPECT_NE(text.find("\r\nMember  123456" + std::string(14, ' ') + "Joint j\r\n"), std::string::npos);
}

TEST(ResultsFile, PathReplacesTheExtension) {
    EXPECT_EQ(ResultsFilePath("/tmp/TempGrid.sma"), "/tmp/TempGrid.txt");
    EXPECT_EQ(ResultsFilePath("bridge.SMA"), "bridge.txt");
    EXPECT_EQ(ResultsFilePath("dir.v2/bridge"), "dir.v2/bridge.txt") << "a folder's dot is no extension";
}

// Member and joint numbers are written digit by digit; 0 still has one, and the ends of int their
// own.
TEST(ResultsFile, WholeNumbersAreWrittenAsToStringWrites) {
    for (const int value : {0, 7, 10, 298305, 2147483647, -1, -40, -2147483647 - 1}) {
        std::string text = "x";
        AppendInteger(text, value);
        std::string expected = "x"; // appended, which keeps GCC 12's -Wrestrict quiet
        expected += std::to_string(value);
        EXPECT_EQ(text, expected);
    }
}

TEST(ResultsJson, CarriesFullPrecisionInTheDocumentedShape) {
    const Results r = test::AnalyseOrFail(test::MakeProject({{0, 0, true, true}, {2, 0, true, true}, {1, 1}},
                                                            {{1, 3}, {2, 3}}, {{3, 0.3, -10}}));
    const nlohmann::json doc = nlohmann::json::parse(ResultsJsonText(r));
    ASSERT_EQ(doc["joints"].size(), 3u);
    EXPECT_EQ(doc["joints"][2]["joint"], 3);
    EXPECT_EQ(doc["joints"][2]["dy"].get<double>(), r.Dy(3)) << "bit for bit, not rounded";
    ASSERT_EQ(doc["members"].size(), 2u);
    const auto& m = doc["members"][1];
    EXPECT_EQ(m["member"], 2);
    EXPECT_EQ(m["joint_i"], 2);
    EXPECT_EQ(m["joint_j"], 3);
    EXPECT_EQ(m["axial_force"].get<double>(), r.AxialForce(2));
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(m["global_displacements"][k].get<double>(), r.MemberGlobalDisp(2)[k]);
        EXPECT_EQ(m["local_forces"][k].get<double>(), r.MemberLocalForce(2)[k]);
        EXPECT_EQ(m["global_forces"][k].get<double>(), r.MemberGlobalForce(2)[k]);
    }
    ASSERT_EQ(doc["reactions"].size(), 2u) << "only joints with a restrained direction";
    EXPECT_EQ(doc["reactions"][1]["joint"], 2);
    EXPECT_NEAR(doc["reactions"][0]["rx"].get<double>() + doc["reactions"][1]["rx"].get<double>(), -0.3,
                1e-12);
}

TEST(ResultsFile, WriteFailureIsReported) {
    test::TempDir dir;
    const FileOutcome outcome = WriteResultsFile(OneMember(), dir / "no" / "such" / "r.txt");
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(outcome.error.empty());
}

} // namespace
} // namespace varlen::analysis
