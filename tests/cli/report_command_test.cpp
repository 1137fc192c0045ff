// varlen-cli report as a user runs it: the text report and the .docx written after the analysis, the
// refusals of bad usage (status 2) and of a truss the analysis cannot hold (status 1, nothing replaced).
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
    for (const char* option : {"--text FILE", "--docx FILE", "--places N"})
        EXPECT_NE(own.out.find(option), std::string::npos) << own.out;
    const CliRun program = RunCli("--help", dir);
    EXPECT_NE(program.out.find("report PROJECT.sma"), std::string::npos) << program.out;
}

} // namespace
