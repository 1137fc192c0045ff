// varlen-cli with several load cases: --cases for analyse and design, the JSON's cases, combinations
// and envelope, the self-weight case, and the refusals of a bad cases file.
#include <cmath>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <string>

#include "cli_runner.h"
#include "test_support.h"

namespace {

using nlohmann::json;
using varlen::test::CliRun;
using varlen::test::Example;
using varlen::test::kCatalogueTriangle;
using varlen::test::ReadFile;
using varlen::test::RunCli;
using varlen::test::TempDir;
using varlen::test::WriteFile;

// The triangle's apex: 10 kN down as dead load, 15 kN up as wind, which reverses every member.
constexpr const char* kTriangleCases = R"({
  "cases": [{"name": "Dead", "loads": [[3, 0, -10]]}, {"name": "Wind", "loads": [[3, 0, 15]]}],
  "combinations": [{"name": "1.4D", "factors": {"Dead": 1.4}},
                   {"name": "1.0D+1.4W", "factors": {"Dead": 1.0, "Wind": 1.4}}],
  "self_weight": "SW"})";

struct CasesRun {
    CliRun run;
    json doc;
};

CasesRun AnalyseTriangle(const TempDir& dir, const std::string& cases) {
    WriteFile(dir / "t.sma", kCatalogueTriangle);
    WriteFile(dir / "cases.json", cases);
    CasesRun r{RunCli("analyse " + (dir / "t.sma").string() + " --cases " + (dir / "cases.json").string() +
                          " --json " + (dir / "t.json").string(),
                      dir),
               {}};
    if (r.run.status == 0) r.doc = json::parse(ReadFile(dir / "t.json"));
    return r;
}

TEST(CliLoadCases, JsonCarriesEveryCaseCombinationAndTheEnvelope) {
    TempDir dir;
    const CasesRun r = AnalyseTriangle(dir, kTriangleCases);
    ASSERT_EQ(r.run.status, 0) << r.run.err;
    std::vector<std::string> keys;
    for (const auto& [key, value] : r.doc.items())
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"cases", "combinations", "envelope", "joints", "members",
                                              "reactions"}));
    ASSERT_TRUE(r.doc["cases"].contains("SW"));
    // The tie carries 5 kN per 10 kN at the apex: 7 kN under 1.4D, 5 - 1.4 x 7.5 = -5.5 kN under 1.0D+1.4W.
    const json& tie = r.doc["envelope"]["members"][0];
    EXPECT_NEAR(tie["max_tension"].get<double>(), 7.0, 1e-9);
    EXPECT_EQ(tie["max_tension_by"], "1.4D");
    EXPECT_NEAR(tie["max_compression"].get<double>(), -5.5, 1e-9);
    EXPECT_EQ(tie["max_compression_by"], "1.0D+1.4W");
    EXPECT_NEAR(r.doc["combinations"]["1.0D+1.4W"]["members"][0]["axial_force"].get<double>(), -5.5, 1e-9);
    // The top level is the first case, as the results file.
    EXPECT_EQ(r.doc["members"], r.doc["cases"]["Dead"]["members"]);
    EXPECT_NE(r.run.out.find("Envelope of member forces over the combinations"), std::string::npos)
        << r.run.out;
}

// Self-weight: 0.007 kN/m over the 4 m tie, 0.130 kN/m over the two 2.828 m rafters, all carried down.
TEST(CliLoadCases, SelfWeightIsTheMembersWeight) {
    TempDir dir;
    const CasesRun r = AnalyseTriangle(dir, kTriangleCases);
    ASSERT_EQ(r.run.status, 0) << r.run.err;
    double up = 0;
    for (const json& reaction : r.doc["cases"]["SW"]["reactions"])
        up += reaction["ry"].get<double>();
    EXPECT_NEAR(up, 4 * 0.007 + 2 * std::sqrt(8.0) * 0.130, 1e-12);
}

TEST(CliLoadCases, WithoutCasesTheOutputsAreOneSetOfResults) {
    TempDir dir;
    WriteFile(dir / "t.sma", kCatalogueTriangle);
    const CliRun run = RunCli("analyse " + (dir / "t.sma").string() + " --json -", dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("{\n\"joints\":[\n", 0), 0u) << run.out;
    EXPECT_EQ(run.out.find("cases"), std::string::npos);
    ASSERT_GT(run.out.size(), 5u);
    EXPECT_EQ(run.out.substr(run.out.size() - 5), "\n]\n}\n");
}

TEST(CliLoadCases, DesignNamesTheGoverningCombination) {
    TempDir dir;
    WriteFile(dir / "t.sma", kCatalogueTriangle);
    WriteFile(dir / "cases.json", kTriangleCases);
    const CliRun run = RunCli("design " + (dir / "t.sma").string() + " --cases " +
                                  (dir / "cases.json").string() + " --json " + (dir / "d.json").string(),
                              dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const json doc = json::parse(ReadFile(dir / "d.json"));
    // Every member is both: the tie is checked in tension under 1.4D and as a strut under the wind.
    ASSERT_EQ(doc["tension"].size(), 3u);
    ASSERT_EQ(doc["compression"].size(), 3u);
    EXPECT_EQ(doc["tension"][0]["member"], 1);
    EXPECT_EQ(doc["tension"][0]["governing"], "1.4D");
    EXPECT_EQ(doc["compression"][0]["member"], 1);
    EXPECT_EQ(doc["compression"][0]["governing"], "1.0D+1.4W");
    EXPECT_EQ(doc["welds"][0]["governing"], "1.4D"); // 7 kN against 5.5
    EXPECT_NE(run.out.find("Outcome  Combination\n"), std::string::npos) << run.out;
}

struct BadCasesFile {
    const char* name;
    const char* text;
    const char* words;
};

class CliBadCasesFile : public ::testing::TestWithParam<BadCasesFile> {};

TEST_P(CliBadCasesFile, IsRefusedWithExit2AndNothingWritten) {
    TempDir dir;
    const CasesRun r = AnalyseTriangle(dir, GetParam().text);
    EXPECT_EQ(r.run.status, 2) << r.run.err;
    EXPECT_NE(r.run.err.find(GetParam().words), std::string::npos) << r.run.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "t.json"));
    EXPECT_FALSE(std::filesystem::exists(dir / "t.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliBadCasesFile,
    ::testing::Values(
        BadCasesFile{"NotJson", "{\"cases\": [", "is not a JSON document"},
        BadCasesFile{"UnknownCase",
                     R"({"cases": [{"name": "D", "loads": [[3, 0, -1]]}],
                         "combinations": [{"name": "C", "factors": {"Imposed": 1}}]})",
                     "names the load case \"Imposed\", which is not one of the cases (D)"},
        BadCasesFile{"CaseWithoutLoads", R"({"cases": [{"name": "D", "loads": []}]})",
                     "(\"D\") has no loads"},
        BadCasesFile{
            "NameTwice",
            R"({"cases": [{"name": "D", "loads": [[3, 0, -1]]}, {"name": "D", "loads": [[3, 0, 1]]}]})",
            "the name \"D\" is given to two load cases"},
        BadCasesFile{"CombinationNamedAsCase",
                     R"({"cases": [{"name": "D", "loads": [[3, 0, -1]]}],
                         "combinations": [{"name": "D", "factors": {"D": 1}}]})",
                     "\"D\" is already the name of a load case"},
        BadCasesFile{"FactorBeyondDouble",
                     R"({"cases": [{"name": "D", "loads": [[3, 0, -1]]}],
                         "combinations": [{"name": "C", "factors": {"D": 1e999}}]})",
                     "is not a JSON document"},
        BadCasesFile{"FactorNotANumber",
                     R"({"cases": [{"name": "D", "loads": [[3, 0, -1]]}],
                         "combinations": [{"name": "C", "factors": {"D": "1.4"}}]})",
                     "must be a number"},
        BadCasesFile{"LoadNotATriple", R"({"cases": [{"name": "D", "loads": [[3, 0]]}]})",
                     "cases[0].loads[0] must be [joint, fx, fy]"},
        BadCasesFile{"UnknownKey", R"({"cases": [], "combos": []})", "\"combos\" is not a key"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliLoadCases, SelfWeightWithoutWeightsIsRefused) {
    TempDir dir;
    std::string project = kCatalogueTriangle;
    const std::string weight = "0.130 kN/m ";
    project.replace(project.find(weight), weight.size(), "");
    WriteFile(dir / "t.sma", project);
    WriteFile(dir / "cases.json", R"({"cases": [], "self_weight": "SW"})");
    const CliRun run =
        RunCli("design " + (dir / "t.sma").string() + " --cases " + (dir / "cases.json").string(), dir);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("Member 2: its cross-section 2 states no weight per length"), std::string::npos)
        << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
}

} // namespace
