// varlen-cli as a user runs it: exit status, messages on stderr, the files it writes.
#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/wait.h>

#include "cli_runner.h"
#include "test_support.h"

namespace {

using varlen::test::ReadFile;
using varlen::test::TempDir;
using varlen::test::WriteFile;

using varlen::test::CliRun;
using varlen::test::Example;
using varlen::test::RunCli;

const char* kTriangle =
    "\"Triangle\"\r\n\"t\"\r\n\"d\"\r\n\"x\"\r\n\"n\"\r\n3\r\n 0 , 0 ,\"\"\r\n 4000 , 0 ,\"\"\r\n 2000 , "
    "2000 ,\"\"\r\n"
    "3\r\n 1 , 1 , 1 ,\"\"\r\n 2 , 0 , 1 ,\"\"\r\n 3 , 0 , 0 ,\"\"\r\n1\r\n 200 ,\"\"\r\n1\r\n 1000 ,\"\"\r\n"
    "3\r\n 1 , 2 , 1 , 1 ,\"\"\r\n 2 , 3 , 1 , 1 ,\"\"\r\n 3 , 1 , 1 , 1 ,\"\"\r\n1\r\n 3 , 0 ,-10 ,\"\"\r\n";

TEST(CliAnalyse, WritesResultsBesideTheProjectAndPrintsTables) {
    TempDir dir;
    WriteFile(dir / "triangle.sma", kTriangle);
    const CliRun run = RunCli("analyse " + (dir / "triangle.sma").string(), dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Member forces (kN, tension positive)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("-7.071 E+00  compression"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("     1  +0.000 E+00  +5.000 E+00"), std::string::npos) << run.out;
    const std::string results = ReadFile(dir / "triangle.txt");
    EXPECT_EQ(results.rfind("GLOBAL DISPLACEMENTS\r\nMember  1 Joint i (Fx, Fy)\r\n", 0), 0u);
}

TEST(CliAnalyse, JsonToStandardOutputIsTheWholeOutput) {
    TempDir dir;
    WriteFile(dir / "triangle.sma", kTriangle);
    const CliRun run = RunCli("analyse " + (dir / "triangle.sma").string() + " --json - --results " +
                                  (dir / "out.txt").string(),
                              dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json doc = nlohmann::json::parse(run.out);
    EXPECT_EQ(doc["members"].size(), 3u);
    EXPECT_NEAR(doc["members"][0]["axial_force"].get<double>(), 5.0, 1e-12);
    EXPECT_NEAR(doc["reactions"][0]["ry"].get<double>(), 5.0, 1e-12);
    EXPECT_TRUE(std::filesystem::exists(dir / "out.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir / "triangle.txt"));
}

TEST(CliAnalyse, PlacesChangeTheTablesOnly) {
    TempDir dir;
    WriteFile(dir / "t.sma", kTriangle);
    const CliRun run = RunCli("analyse " + (dir / "t.sma").string() + " --places 0", dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("-7. E+00  compression"), std::string::npos) << run.out;
    EXPECT_NE(ReadFile(dir / "t.txt").find("-7.0710678118654"), std::string::npos);
}

struct Refusal {
    const char* name;
    std::string arguments; // {dir} is the test folder
    std::string file;      // written to {dir}/p.sma when not empty
    int status;
    const char* says;
};

class CliRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(CliRefusal, ExitsWithTheStatusAndSaysWhy) {
    TempDir dir;
    const Refusal& r = GetParam();
    if (!r.file.empty()) WriteFile(dir / "p.sma", r.file);
    std::string arguments = r.arguments;
    for (auto at = arguments.find("{dir}"); at != std::string::npos; at = arguments.find("{dir}"))
        arguments.replace(at, 5, dir.Path().string());
    const CliRun run = RunCli(arguments, dir);
    EXPECT_EQ(run.status, r.status) << run.err;
    EXPECT_NE(run.err.find(r.says), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "p.txt")) << "no results file after a refusal";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliRefusal,
    ::testing::Values(
        Refusal{"NoArguments", "", "", 2, "Usage: varlen-cli"},
        Refusal{"UnknownCommand", "solve x.sma", "", 2, "unknown command \"solve\""},
        Refusal{"NoProject", "analyse", "", 2, "analyse needs a project file"},
        Refusal{"BadPlaces", "analyse {dir}/p.sma --places x", kTriangle, 2, "--places takes"},
        Refusal{"UnknownOption", "analyse {dir}/p.sma --fast", kTriangle, 2, "unknown option \"--fast\""},
        Refusal{"MissingFile", "analyse {dir}/none.sma", "", 2, "cannot open"},
        Refusal{"ResultsOverProject", "analyse {dir}/p.sma --results {dir}/p.sma", kTriangle, 2,
                "would overwrite the project"},
        Refusal{"DamagedFile", "analyse {dir}/p.sma", std::string(kTriangle).substr(0, 120), 2, "line "},
        Refusal{"Unstable", "analyse {dir}/p.sma",
                std::string(kTriangle).replace(std::string(kTriangle).find(" 2 , 0 , 1 "), 11, " 2 , 0 , 0 "),
                1,
                "Program Unable to Continue!\nAn Error Just Occurred.\nDid you input your structure "
                "correctly?\n"},
        Refusal{"MissingMaterial", "analyse {dir}/p.sma",
                std::string(kTriangle).replace(std::string(kTriangle).find(" 3 , 1 , 1 , 1 "), 15,
                                               " 3 , 1 , 2 , 1 "),
                1, "Member 3 names material 2, which is not in the materials table (1 to 1)."}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return info.param.name; });

TEST(CliAnalyse, HelpAndVersion) {
    TempDir dir;
    const CliRun help = RunCli("--help", dir);
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("analyse PROJECT.sma"), std::string::npos);
    const CliRun version = RunCli("--version", dir);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("varlen-cli ", 0), 0u);
}

TEST(CliAnalyse, EveryExampleAnalyses) {
    TempDir dir;
    for (const char* name : {"roof_truss", "bridge_girder", "braced_frame", "simple_bridge"}) {
        const CliRun run =
            RunCli("analyse " + Example(name) + " --quiet --results " + (dir / "r.txt").string(), dir);
        EXPECT_EQ(run.status, 0) << name << ": " << run.err;
        EXPECT_TRUE(run.out.empty()) << "--quiet prints nothing";
    }
}

} // namespace
