// varlen-cli report as a user runs it: the text report and the .docx written after the analysis, the load
// case --case names, the refusals of bad usage (status 2) and of a truss the analysis cannot hold
// (status 1, nothing replaced).
#include <gtest/gtest.h>
#include <string>

#include "cli_runner.h"
#include "test_support.h"

namespace {

using varlen::test::CliRun;
using varlen::test::Example;
using varlen::test::kCatalogueTriangle;
using varlen::test::ReadFile;
using varlen::test::RunCli;
using varlen::test::TempDir;
using varlen::test::WriteFile;

// One bar pinned at joint 1, joint 2 free and pulled sideways: a mechanism.
constexpr const char* kSwingingBar =
    "\"Bar\"\r\n\"t\"\r\n\"d\"\r\n\"x\"\r\n\"n\"\r\n2\r\n 0 , 0 ,\"\"\r\n 4000 , 0 "
    ",\"\"\r\n2\r\n 1 , 1 , 1 ,\"\"\r\n 2 , 0 , 0 ,\"\"\r\n1\r\n 200 ,\"\"\r\n1\r\n "
    "100 ,\"\"\r\n1\r\n 1 , 2 , 1 , 1 ,\"\"\r\n1\r\n 2 , 0 ,-10 ,\"\"\r\n";

TEST(CliReport, TextReportOfTheProject) {
    TempDir dir;
    WriteFile(dir / "t.sma", kCatalogueTriangle);
    const auto out = dir / "Notepad.txt";
    const CliRun run = RunCli("report " + (dir / "t.sma").string() + " --text " + out.string(), dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Report: " + out.string() + "\n");
    const std::string text = ReadFile(out);
    EXPECT_EQ(text.rfind("VARLEN ANALYSIS\r\n\r\nTITLE\r\n\r\nProject:\tTriangle\r\n", 0), 0u) << text;
    // The apex, typed in millimetres in the file, in metres as the joints editor shows it.
    EXPECT_NE(text.find("\r\n3\t2\t2\t\t0\t0\t\r\n"), std::string::npos) << text;
}

// The package's central directory names each part in plain bytes: the two pictures are the SVG the core
// draws, and the design tables came from the catalogue sections.
TEST(CliReport, WordReportWithItsPictures) {
    TempDir dir;
    const auto out = dir / "roof.docx";
    const CliRun run =
        RunCli("report " + Example("roof_truss") + " --docx " + out.string() + " --places 2", dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string bytes = ReadFile(out);
    EXPECT_EQ(bytes.rfind("PK\x03\x04", 0), 0u);
    for (const char* part : {"[Content_Types].xml", "word/document.xml", "word/styles.xml",
                             "word/media/picture1.svg", "word/media/picture2.svg"})
        EXPECT_NE(bytes.find(part), std::string::npos) << part;
    EXPECT_EQ(bytes.find(".png"), std::string::npos);
}

TEST(CliReport, StoppedAnalysisWritesNothing) {
    TempDir dir;
    WriteFile(dir / "bar.sma", kSwingingBar);
    WriteFile(dir / "Notepad.txt", "an earlier report");
    const CliRun run =
        RunCli("report " + (dir / "bar.sma").string() + " --text " + (dir / "Notepad.txt").string(), dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Program Unable to Continue!"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(dir / "Notepad.txt"), "an earlier report");
}

TEST(CliReport, UnwritableReportIsNamed) {
    TempDir dir;
    WriteFile(dir / "t.sma", kCatalogueTriangle);
    const auto out = dir / "missing" / "r.docx";
    const CliRun run = RunCli("report " + (dir / "t.sma").string() + " --docx " + out.string(), dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("the report was not written"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(out.string()), std::string::npos) << run.err;
}

struct UsageCase {
    const char* name;
    std::string arguments; // after "report"; {dir} is the test's folder, holding t.sma
    const char* said;
};

class CliReportUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(CliReportUsage, RefusedWithStatus2) {
    TempDir dir;
    WriteFile(dir / "t.sma", kCatalogueTriangle);
    std::string arguments = GetParam().arguments;
    for (std::size_t at; (at = arguments.find("{dir}")) != std::string::npos;)
        arguments.replace(at, 5, dir.Path().string());
    const CliRun run = RunCli("report " + arguments, dir);
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find(GetParam().said), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "r.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, CliReportUsage,
    ::testing::Values(
        UsageCase{"NoReportChosen", "{dir}/t.sma", "--text FILE or --docx FILE"},
        UsageCase{"BothReports", "{dir}/t.sma --text {dir}/r.txt --docx {dir}/r.docx", "not both"},
        UsageCase{"BadPlaces", "{dir}/t.sma --text {dir}/r.txt --places 16", "--places takes"},
        UsageCase{"NoProject", "--text {dir}/r.txt", "report needs a project file"},
        UsageCase{"MissingProject", "{dir}/none.sma --text {dir}/r.txt", "none.sma"},
        UsageCase{"OverTheProject", "{dir}/t.sma --text {dir}/t.sma", "would overwrite the project"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliReport, HelpIsGeneratedFromTheOptions) {
    TempDir dir;
    const CliRun own = RunCli("report --help", dir);
    EXPECT_EQ(own.status, 0);
    for (const char* option : {"--text FILE", "--docx FILE", "--case NAME", "--places N"})
        EXPECT_NE(own.out.find(option), std::string::npos) << own.out;
    const CliRun program = RunCli("--help", dir);
    EXPECT_NE(program.out.find("report PROJECT.sma"), std::string::npos) << program.out;
}

// The roof truss's dead, imposed and wind cases and its D+I and D+W combinations. The text report lists
// the cases and combinations, gives the envelope (bottom chord member 1: +137.3 kN in D+I, -61.5 kN in
// D+W) and then the case or combination --case names, in full under its name. The pinned bearing's
// reactions by hand: dead 56 kN up by moments about the far bearing; wind 12 kN back against its net
// -12 kN along X and 74.5 kN down; D+W their sums.
struct CaseChoice {
    const char* name;
    std::string option;
    const char* heading;
    const char* bearing; // the pinned bearing's line of the support reactions: joint, Rx, Ry
};

class CliReportCase : public ::testing::TestWithParam<CaseChoice> {};

TEST_P(CliReportCase, TextReportGivesTheChosenCaseInFull) {
    TempDir dir;
    const auto out = dir / "roof.txt";
    const CliRun run =
        RunCli("report " + Example("roof_truss") + " --text " + out.string() + " " + GetParam().option, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string text = ReadFile(out);
    for (const char* line : {"JOINT LOADS: Imposed", "D+W\tDead\t1", "\tWind\t1",
                             "1\t+1.373 E+02\tD+I\t-6.150 E+01\tD+W", GetParam().heading})
        EXPECT_NE(text.find(std::string("\r\n") + line + "\r\n"), std::string::npos) << line;
    const std::size_t heading = text.find(GetParam().heading);
    const std::string reactionsHead = "SUPPORT REACTIONS (kN)\r\n\r\n#\tRx\t\tRy\r\n";
    const std::size_t reactions = text.find(reactionsHead);
    ASSERT_NE(reactions, std::string::npos) << text;
    EXPECT_LT(heading, reactions);
    const std::size_t first = reactions + reactionsHead.size();
    EXPECT_EQ(text.substr(first, text.find("\r\n", first) - first), GetParam().bearing);
}

INSTANTIATE_TEST_SUITE_P(
    RoofTruss, CliReportCase,
    ::testing::Values(
        CaseChoice{"FirstCaseByDefault", "", "RESULTS OF LOAD CASE: Dead", "1\t+0.000 E+00\t+5.600 E+01"},
        CaseChoice{"Case", "--case Wind", "RESULTS OF LOAD CASE: Wind", "1\t+1.200 E+01\t-7.450 E+01"},
        CaseChoice{"Combination", "--case D+W", "RESULTS OF COMBINATION: D+W", "1\t+1.200 E+01\t-1.850 E+01"},
        CaseChoice{"OtherCombination", "--case D+I", "RESULTS OF COMBINATION: D+I",
                   "1\t+0.000 E+00\t+7.760 E+01"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliReport, WordReportOfAChosenCombination) {
    TempDir dir;
    const auto out = dir / "roof.docx";
    const CliRun run =
        RunCli("report " + Example("roof_truss") + " --docx " + out.string() + " --case D+W", dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(out).rfind("PK\x03\x04", 0), 0u);
}

// A name that is neither a case nor a combination is refused before anything is written, with the names
// there are, for either report.
TEST(CliReport, UnknownCaseIsRefusedWithTheNames) {
    TempDir dir;
    for (const char* kind : {"--text", "--docx"}) {
        WriteFile(dir / "r.out", "an earlier report");
        const CliRun run = RunCli("report " + Example("roof_truss") + " " + kind + " " +
                                      (dir / "r.out").string() + " --case Snow",
                                  dir);
        EXPECT_EQ(run.status, 2) << kind;
        for (const char* said : {"--case: no load case or combination is named \"Snow\"",
                                 "\"Dead\", \"Imposed\" and \"Wind\"", "\"D+I\" and \"D+W\""})
            EXPECT_NE(run.err.find(said), std::string::npos) << kind << ": " << run.err;
        EXPECT_EQ(ReadFile(dir / "r.out"), "an earlier report") << kind;
    }
}

// Load cases the analysis cannot take are refused as analyse and design refuse them, one cause a line.
TEST(CliReport, BadLoadCasesAreRefused) {
    TempDir dir;
    std::string roof = ReadFile(Example("roof_truss"));
    const std::size_t at = roof.find(" 3 , 1 ,\"Wind\"");
    ASSERT_NE(at, std::string::npos);
    roof.replace(at, 2, " 7");
    WriteFile(dir / "roof.sma", roof);
    const CliRun run =
        RunCli("report " + (dir / "roof.sma").string() + " --text " + (dir / "r.txt").string(), dir);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(
        run.err.find(
            "the load cases cannot be analysed:\nFactor 2 of combination 2 (\"D+W\") names load case 7"),
        std::string::npos)
        << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "r.txt"));
}

// A project of one case has that case alone to name, and naming it changes nothing.
TEST(CliReport, SingleCaseProjectKnowsItsOneCase) {
    TempDir dir;
    const std::string project = Example("bridge_girder");
    ASSERT_EQ(RunCli("report " + project + " --text " + (dir / "a.txt").string(), dir).status, 0);
    ASSERT_EQ(
        RunCli("report " + project + " --text " + (dir / "b.txt").string() + " --case 'Case 1'", dir).status,
        0);
    EXPECT_EQ(ReadFile(dir / "a.txt"), ReadFile(dir / "b.txt"));
    const CliRun run =
        RunCli("report " + project + " --text " + (dir / "c.txt").string() + " --case D+W", dir);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("the only load case is \"Case 1\""), std::string::npos) << run.err;
}

} // namespace
