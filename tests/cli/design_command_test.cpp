// varlen-cli design as a user runs it: the three tables, the JSON, the stop at a strut whose section gives
// no radius of gyration, and the refusals of bad options.
#include <array>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "cli_runner.h"
#include "test_support.h"

namespace {

using varlen::test::ReadFile;
using varlen::test::TempDir;
using varlen::test::WriteFile;

using varlen::test::CliRun;
using varlen::test::Example;
using varlen::test::kCatalogueTriangle;
using varlen::test::RunCli;

constexpr const char* kStandardText =
    "Changes Occured or Structure has not been analysed or Cross Sectional Properties "
    "Has Been Wrongly Defined! Structure Cannot Be Designed.";

TEST(CliDesign, PrintsTheThreeTables) {
    TempDir dir;
    WriteFile(dir / "t.sma", kCatalogueTriangle);
    const CliRun run = RunCli("design " + (dir / "t.sma").string(), dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;
    // Tie: 5000 N / 96.129 mm² = 52.01 N/mm², 5000 / 155 = 32.26 mm².
    EXPECT_NE(run.out.find("Design of Tension Members\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" #  Actual Stress  Required Area  Outcome\n"
                           " 1  +5.201 E+01    +3.226 E+01    OK\n"),
              std::string::npos)
        << run.out;
    // Rafters: 7071 N / 1696.771 mm² = 4.167 N/mm²; slenderness 2828.4 / 39.37 = 71.84, pc 113.3.
    EXPECT_NE(run.out.find("Design of Compression Members\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" #  Actual Stress  Allow. Stress  Outcome\n"
                           " 2  +4.167 E+00    +1.133 E+02    OK\n"
                           " 3  +4.167 E+00    +1.133 E+02    OK\n"),
              std::string::npos)
        << run.out;
    // Welds, leg 4 mm, pw 215 N/mm²: q = 608.1 N/mm; 5 / 608.1 = 0.00822 m, 7.071 / 608.1 = 0.01163 m.
    EXPECT_NE(run.out.find("Fillet Weld Design\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("metres"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" #  Required at Both Ends\n"
                           " 1  +8.222 E-03\n"
                           " 2  +1.163 E-02\n"
                           " 3  +1.163 E-02\n"),
              std::string::npos)
        << run.out;
}

TEST(CliDesign, OptionsChangeTheChecksAndPlacesTheRendering) {
    TempDir dir;
    WriteFile(dir / "t.sma", kCatalogueTriangle);
    const CliRun run = RunCli("design " + (dir / "t.sma").string() + " --pt 50 --leg 8 --places 1", dir);
    ASSERT_EQ(run.status, 0) << run.err; // a member that fails its check is a result, not an error
    EXPECT_NE(run.out.find(" 1  +5.2 E+01      +1.0 E+02      Failed\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" 1  +4.1 E-03\n"), std::string::npos) << run.out;
}

TEST(CliDesign, JsonHasTheRowsInFullPrecision) {
    TempDir dir;
    WriteFile(dir / "t.sma", kCatalogueTriangle);
    const CliRun run = RunCli("design " + (dir / "t.sma").string() + " --json -", dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::ordered_json doc = nlohmann::ordered_json::parse(run.out); // the JSON alone
    ASSERT_EQ(doc["tension"].size(), 1u);
    EXPECT_EQ(doc["tension"][0]["member"], 1);
    EXPECT_NEAR(doc["tension"][0]["actual_stress"].get<double>(), 5000 / 96.129, 1e-9);
    EXPECT_NEAR(doc["tension"][0]["required_area"].get<double>(), 5000 / 155.0, 1e-9);
    EXPECT_EQ(doc["tension"][0]["outcome"], "OK");
    ASSERT_EQ(doc["compression"].size(), 2u);
    EXPECT_EQ(doc["compression"][1]["member"], 3);
    EXPECT_NEAR(doc["compression"][1]["actual_stress"].get<double>(), 5000 * std::sqrt(2.0) / 1696.771, 1e-9);
    EXPECT_NEAR(doc["compression"][1]["slenderness"].get<double>(), 2000 * std::sqrt(2.0) / 39.37, 1e-9);
    EXPECT_GT(doc["compression"][1]["allowable_stress"].get<double>(), 100);
    EXPECT_EQ(doc["compression"][1]["outcome"], "OK");
    ASSERT_EQ(doc["welds"].size(), 3u);
    EXPECT_NEAR(doc["welds"][0]["length"].get<double>(), 5 / (4 * 0.707106781 * 215), 1e-12);
    EXPECT_TRUE(doc["error"].is_null());
    std::vector<std::string> keys;
    for (auto it = doc.begin(); it != doc.end(); ++it)
        keys.push_back(it.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"tension", "compression", "welds", "error"}));
}

// Every example designs: each section's description carries its radius of gyration in braces.
TEST(CliDesign, EveryExampleDesigns) {
    TempDir dir;
    for (const char* name : {"roof_truss", "bridge_girder", "braced_frame", "simple_bridge"}) {
        const CliRun run = RunCli("design " + Example(name), dir);
        EXPECT_EQ(run.status, 0) << name << ": " << run.err;
        EXPECT_NE(run.out.find("Design of Compression Members"), std::string::npos) << name;
    }
}

// A section without a radius of gyration in braces: the strut check stops at the first member in
// compression, the other two checks run to the end.
TEST(CliDesign, SectionWithoutRadiusStopsAtTheFirstStrutAndNamesIt) {
    TempDir dir;
    std::string project = ReadFile(Example("simple_bridge"));
    const std::string withRadius = "SHS 100x100x5.0 (1840){38.4}";
    ASSERT_NE(project.find(withRadius), std::string::npos);
    project.replace(project.find(withRadius), withRadius.size(), "SHS 100x100x5.0");
    WriteFile(dir / "p.sma", project);
    const CliRun run =
        RunCli("design " + (dir / "p.sma").string() + " --json " + (dir / "d.json").string(), dir);
    EXPECT_EQ(run.status, 1);
    const std::string cause =
        "Member 4 uses cross-section 1 (\"SHS 100x100x5.0\"), whose description gives no radius of gyration "
        "in "
        "braces, such as {9.957}: pick the section from the catalogue or add its radius of gyration.";
    EXPECT_EQ(run.err, std::string("Please Review Your Structure\n") + kStandardText + "\n" + cause + "\n");
    EXPECT_NE(run.out.find("Design of Tension Members"), std::string::npos);
    EXPECT_NE(run.out.find("(The check stopped here"), std::string::npos) << run.out;
    const nlohmann::json doc = nlohmann::json::parse(ReadFile(dir / "d.json"));
    ASSERT_EQ(doc["tension"].size(), 6u); // the bottom chord, the verticals and the diagonal
    EXPECT_EQ(doc["tension"][3]["member"], 7);
    EXPECT_EQ(doc["compression"].size(), 0u);
    EXPECT_EQ(doc["welds"].size(), 9u);
    EXPECT_EQ(doc["error"], std::string(kStandardText) + "\n" + cause);
}

TEST(CliDesign, StopsWithTheRowsBeforeTheMemberAtFault) {
    // Rafter 3 gets a section with no braces; rafter 2 is designed first.
    std::string text = kCatalogueTriangle;
    const std::string rafter3 = " 3 , 1 , 1 , 2 ,";
    text.replace(text.find(rafter3), rafter3.size(), " 3 , 1 , 1 , 3 ,");
    const std::string sections = "2\r\n 96.129";
    text.replace(text.find(sections), sections.size(), "3\r\n 96.129");
    const std::string lastSection = "{39.370}\"\r\n";
    text.insert(text.find(lastSection) + lastSection.size(), " 1696.771 ,\"Unknown hollow section\"\r\n");
    TempDir dir;
    WriteFile(dir / "t.sma", text);
    const CliRun run = RunCli("design " + (dir / "t.sma").string() + " --json -", dir);
    EXPECT_EQ(run.status, 1);
    const nlohmann::json doc = nlohmann::json::parse(run.out);
    ASSERT_EQ(doc["compression"].size(), 1u);
    EXPECT_EQ(doc["compression"][0]["member"], 2);
    EXPECT_NE(
        doc["error"].get<std::string>().find("\nMember 3 uses cross-section 3 (\"Unknown hollow section\")"),
        std::string::npos);
    EXPECT_NE(run.err.find("Please Review Your Structure\n"), std::string::npos);
}

TEST(CliDesign, AnalysisThatStopsIsReported) {
    std::string text = kCatalogueTriangle;
    text.replace(text.find(" 2 , 0 , 1 "), 11, " 2 , 0 , 0 ");
    TempDir dir;
    WriteFile(dir / "t.sma", text);
    const CliRun run = RunCli("design " + (dir / "t.sma").string(), dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("Program Unable to Continue!\n", 0), 0u) << run.err;
    EXPECT_TRUE(run.out.empty());
}

struct BadDesignOption {
    const char* name;
    const char* options;
    const char* says;
};

class CliDesignRefusal : public ::testing::TestWithParam<BadDesignOption> {};

TEST_P(CliDesignRefusal, ExitsWithUsageStatus) {
    TempDir dir;
    WriteFile(dir / "t.sma", kCatalogueTriangle);
    std::string arguments = GetParam().options;
    if (const auto at = arguments.find("{p}"); at != std::string::npos)
        arguments.replace(at, 3, (dir / "t.sma").string());
    const CliRun run = RunCli(arguments, dir);
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find(GetParam().says), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliDesignRefusal,
    ::testing::Values(BadDesignOption{"NoProject", "design", "design needs a project file"},
                      BadDesignOption{"ZeroPt", "design {p} --pt 0", "--pt takes"},
                      BadDesignOption{"NegativeYs", "design {p} --ys -250", "--ys takes"},
                      BadDesignOption{"WordLeg", "design {p} --leg six", "--leg takes"},
                      BadDesignOption{"TrailingTextPw", "design {p} --pw 215x", "--pw takes"},
                      BadDesignOption{"MissingValue", "design {p} --pw", "--pw needs a value"},
                      BadDesignOption{"BadPlaces", "design {p} --places x", "--places takes"},
                      BadDesignOption{"UnknownOption", "design {p} --fast", "unknown option \"--fast\""},
                      BadDesignOption{"TwoProjects", "design {p} other.sma", "one too many"},
                      BadDesignOption{"MissingFile", "design /nonexistent/none.sma",
                                      "cannot read the project"}),
    [](const ::testing::TestParamInfo<BadDesignOption>& info) { return info.param.name; });

TEST(CliDesign, HelpNamesTheCommand) {
    TempDir dir;
    const CliRun help = RunCli("--help", dir);
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("design PROJECT.sma"), std::string::npos);
}

} // namespace
