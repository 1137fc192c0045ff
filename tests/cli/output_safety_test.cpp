// varlen-cli's outputs never lie: options outside their physical range, outputs that would overwrite
// the project or each other, unreadable project paths, failed writes (files and standard output) and
// lack of memory all end with a non-zero status and a message, and leave every existing file as it was.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <unistd.h>

#include "cli_runner.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using varlen::test::CliRun;
using varlen::test::kCatalogueTriangle;
using varlen::test::ReadFile;
using varlen::test::RunCli;
using varlen::test::RunCliIn;
using varlen::test::RunShell;
using varlen::test::TempDir;
using varlen::test::WriteFile;

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

std::string WithDir(std::string text, const TempDir& dir) {
    for (auto at = text.find("{dir}"); at != std::string::npos; at = text.find("{dir}"))
        text.replace(at, 5, dir.Path().string());
    return text;
}

// Every entry of the folder (but the runner's stderr.txt): a file's bytes, a link's target.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).string();
        if (name == "stderr.txt") continue;
        if (entry.is_symlink())
            entries[name] = "link to " + fs::read_symlink(entry.path()).string();
        else if (entry.is_regular_file())
            entries[name] = ReadFile(entry.path());
        else
            entries[name] = "folder";
    }
    return entries;
}

// A folder with the project p.sma, earlier outputs r.txt, j.json and p.txt, and links to them.
void FillFolder(const TempDir& dir) {
    WriteFile(dir / "p.sma", kCatalogueTriangle);
    WriteFile(dir / "r.txt", "earlier results");
    WriteFile(dir / "j.json", "earlier json");
    WriteFile(dir / "p.txt", "earlier default results");
    fs::create_directory(dir / "sub");
    fs::create_symlink(dir / "r.txt", dir / "link-r.txt");
    fs::create_symlink("p.sma", dir / "link-p.txt"); // relative, as users make them
    fs::create_symlink(dir / "new.txt", dir / "dangling.txt");
    fs::create_hard_link(dir / "r.txt", dir / "hard-r.txt");
    fs::create_hard_link(dir / "p.sma", dir / "hard-p.txt");
}

struct Collision {
    const char* name;
    const char* arguments; // run from {dir}; {dir} is its absolute path
    const char* says;
};

class CliCollision : public ::testing::TestWithParam<Collision> {};

// Whatever the spelling, a second name for a file already being written (or for the project) would
// destroy it: the run is refused before anything is written.
TEST_P(CliCollision, IsRefusedBeforeAnythingIsWritten) {
    TempDir dir;
    FillFolder(dir);
    const auto before = Snapshot(dir.Path());
    const CliRun run = RunCliIn(dir.Path(), WithDir(GetParam().arguments, dir), dir);
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find(GetParam().says), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_EQ(Snapshot(dir.Path()), before) << "a refusal must leave every file as it was";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliCollision,
    ::testing::Values(
        Collision{"RelativeAndDotted", "analyse p.sma --results r.txt --json ./r.txt", "both be written"},
        Collision{"RelativeAndAbsolute", "analyse p.sma --results r.txt --json {dir}/r.txt",
                  "both be written"},
        Collision{"ThroughParent", "analyse p.sma --results {dir}/r.txt --json {dir}/sub/../r.txt",
                  "both be written"},
        Collision{"SymbolicLink", "analyse p.sma --results r.txt --json link-r.txt", "both be written"},
        Collision{"HardLink", "analyse p.sma --results r.txt --json hard-r.txt", "both be written"},
        Collision{"NotYetWritten", "analyse p.sma --results new.txt --json ./sub/../new.txt",
                  "both be written"},
        Collision{"DanglingLinkToTheOther", "analyse p.sma --results dangling.txt --json new.txt",
                  "both be written"},
        Collision{"JsonOverDefaultResults", "analyse p.sma --json ./p.txt", "both be written"},
        Collision{"ResultsOverProject", "analyse p.sma --results ./sub/../p.sma", "overwrite the project"},
        Collision{"ResultsThroughLinkToProject", "analyse p.sma --results link-p.txt",
                  "overwrite the project"},
        Collision{"JsonThroughHardLinkToProject", "analyse p.sma --results r.txt --json hard-p.txt",
                  "overwrite the project"},
        Collision{"ProjectNamedThroughLink", "analyse link-p.txt --results r.txt --json {dir}/p.sma",
                  "overwrite the project"},
        Collision{"DesignJsonOverProject", "design p.sma --json link-p.txt", "overwrite the project"},
        Collision{"DesignJsonHardLinkToProject", "design ./p.sma --json hard-p.txt",
                  "overwrite the project"}),
    [](const ::testing::TestParamInfo<Collision>& info) { return info.param.name; });

// Two outputs thrown away together are no collision.
TEST(CliOutputs, BothOutputsMayGoToDevNull) {
    TempDir dir;
    WriteFile(dir / "p.sma", kCatalogueTriangle);
    const CliRun run =
        RunCli("analyse " + (dir / "p.sma").string() + " --results /dev/null --json /dev/null", dir);
    EXPECT_EQ(run.status, 0) << run.err;
}

struct FailedOutput {
    const char* name;
    const char* arguments; // after "analyse {dir}/p.sma"
    const char* says;
};

class CliFailedOutput : public ::testing::TestWithParam<FailedOutput> {};

// One output that cannot be written (a full device standing in for a full disk) keeps the other from
// being replaced too, and leaves no temporary file behind.
TEST_P(CliFailedOutput, ReplacesNoOutput) {
    TempDir dir;
    FillFolder(dir);
    const auto before = Snapshot(dir.Path());
    const CliRun run = RunShell(std::string(VARLEN_CLI) + " analyse " + (dir / "p.sma").string() + " " +
                                    WithDir(GetParam().arguments, dir),
                                dir);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find(GetParam().says), std::string::npos) << run.err;
    EXPECT_EQ(Snapshot(dir.Path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliFailedOutput,
    ::testing::Values(
        FailedOutput{"ResultsFails", "--results /dev/full --json {dir}/j.json",
                     "results file could not be written"},
        FailedOutput{"JsonFails", "--results {dir}/r.txt --json /dev/full",
                     "JSON results could not be written"},
        FailedOutput{"DefaultResultsKeptWhenJsonFails", "--json /dev/full",
                     "JSON results could not be written"},
        FailedOutput{"ResultsFolderMissing", "--results {dir}/none/r.txt --json {dir}/j.json",
                     "results file could not be written"},
        FailedOutput{"ResultsIsAFolder", "--results {dir}/sub --json {dir}/j.json", "is a folder"},
        FailedOutput{"TablesToFullOutput", "--results {dir}/r.txt --json {dir}/j.json > /dev/full",
                     "standard output could not be written"},
        FailedOutput{"JsonToFullOutput", "--results {dir}/r.txt --json - > /dev/full",
                     "could not be written to standard output"}),
    [](const ::testing::TestParamInfo<FailedOutput>& info) { return info.param.name; });

// With the JSON bound for standard output, a results file that fails means no JSON either.
TEST(CliOutputs, NoJsonPrintedWhenTheResultsFileFails) {
    TempDir dir;
    WriteFile(dir / "p.sma", kCatalogueTriangle);
    const CliRun run = RunCli("analyse " + (dir / "p.sma").string() + " --results /dev/full --json -", dir);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
}

// The success case of the same machinery: both outputs replaced, a link stays a link, nothing stray.
TEST(CliOutputs, SuccessReplacesBothAndLeavesNothingElse) {
    TempDir dir;
    FillFolder(dir);
    const CliRun run = RunCliIn(dir.Path(), "analyse p.sma --results link-r.txt --json j.json --quiet", dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(dir / "link-r.txt"));
    EXPECT_EQ(ReadFile(dir / "r.txt").rfind("GLOBAL DISPLACEMENTS\r\n", 0), 0u);
    EXPECT_EQ(ReadFile(dir / "hard-r.txt"), "earlier results") << "rename replaces r.txt, not its other name";
    EXPECT_EQ(nlohmann::json::parse(ReadFile(dir / "j.json"))["members"].size(), 3u);
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        EXPECT_NE(entry.path().filename().string().front(), '.') << "stray " << entry.path();
    struct stat info {};
    ASSERT_EQ(::stat((dir / "j.json").c_str(), &info), 0);
    EXPECT_NE(info.st_mode & 0044, 0u) << "an output gets the usual permissions, not a temporary file's";
}

struct StandardOutputCase {
    const char* name;
    const char* arguments; // {p} is the project
};

class CliFullStandardOutput : public ::testing::TestWithParam<StandardOutputCase> {};

// A full disk or a closed pipe on standard output must not pass for success.
TEST_P(CliFullStandardOutput, ExitsOneAndSaysSo) {
    TempDir dir;
    WriteFile(dir / "p.sma", kCatalogueTriangle);
    std::string arguments = GetParam().arguments;
    if (const auto at = arguments.find("{p}"); at != std::string::npos)
        arguments.replace(at, 3, (dir / "p.sma").string());
    const CliRun run = RunCli(arguments + " --results " + (dir / "r.txt").string() + " > /dev/full", dir);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("standard output"), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(Cases, CliFullStandardOutput,
                         ::testing::Values(StandardOutputCase{"AnalyseTables", "analyse {p}"},
                                           StandardOutputCase{"AnalyseJson", "analyse {p} --json -"},
                                           StandardOutputCase{"Help", "--help"}),
                         [](const ::testing::TestParamInfo<StandardOutputCase>& info) {
                             return info.param.name;
                         });

// design has no --results; the same with its own options.
TEST(CliOutputs, DesignToFullStandardOutputExitsOneAndWritesNoJson) {
    TempDir dir;
    WriteFile(dir / "p.sma", kCatalogueTriangle);
    for (const std::string& options :
         {std::string(), std::string(" --json -"), " --json " + (dir / "d.json").string()}) {
        const CliRun run = RunCli("design " + (dir / "p.sma").string() + options + " > /dev/full", dir);
        EXPECT_EQ(run.status, 1) << options << ": " << run.err;
        EXPECT_NE(run.err.find("standard output"), std::string::npos) << run.err;
    }
    EXPECT_FALSE(fs::exists(dir / "d.json")) << "the JSON goes with the tables or not at all";
}

struct BadOption {
    const char* name;
    const char* options; // {p} is the project
    const char* says;
};

class CliOptionRange : public ::testing::TestWithParam<BadOption> {};

// Values no steel, weld or display has; tiny values that are not normal doubles overflow any division.
TEST_P(CliOptionRange, IsRefusedWithTheRange) {
    TempDir dir;
    WriteFile(dir / "p.sma", kCatalogueTriangle);
    std::string arguments = GetParam().options;
    arguments.replace(arguments.find("{p}"), 3, (dir / "p.sma").string());
    const CliRun run = RunCli(arguments + " --results " + (dir / "r.txt").string(), dir);
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find(GetParam().says), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_FALSE(fs::exists(dir / "r.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliOptionRange,
    ::testing::Values(BadOption{"PtAbove2000", "design {p} --pt 2000.5", "above 0 and at most 2000"},
                      BadOption{"YsZero", "design {p} --ys 0", "above 0 and at most 2000"},
                      BadOption{"PwHuge", "design {p} --pw 1e300", "above 0 and at most 2000"},
                      BadOption{"LegAbove100", "design {p} --leg 101",
                                "--leg takes a weld leg in mm, a number "
                                "above 0 and at most 100"},
                      BadOption{"PtDenormal", "design {p} --pt 1e-308", "too small to compute with"},
                      BadOption{"LegSmallestDenormal", "design {p} --leg 4e-324",
                                "too small to compute with"},
                      BadOption{"PtNan", "design {p} --pt nan", "--pt takes"},
                      BadOption{"YsInf", "design {p} --ys inf", "--ys takes"},
                      BadOption{"PwMinusInf", "design {p} --pw -inf", "--pw takes"},
                      BadOption{"PtTrailingText", "design {p} --pt 155abc", "--pt takes"},
                      BadOption{"LegOverflowingText", "design {p} --leg 1e999", "--leg takes"},
                      BadOption{"DesignPlaces16", "design {p} --places 16", "from 0 to 15"},
                      BadOption{"AnalysePlaces16", "analyse {p} --places 16", "from 0 to 15"},
                      BadOption{"AnalysePlacesNegative", "analyse {p} --places -1", "from 0 to 15"},
                      BadOption{"AnalysePlacesHuge", "analyse {p} --places 99", "from 0 to 15"}),
    [](const ::testing::TestParamInfo<BadOption>& info) { return info.param.name; });

// The ends of the ranges are values like any other.
TEST(CliOutputs, RangeLimitsAreAccepted) {
    TempDir dir;
    WriteFile(dir / "p.sma", kCatalogueTriangle);
    const CliRun design = RunCli(
        "design " + (dir / "p.sma").string() + " --pt 2000 --ys 2000 --pw 2000 --leg 100 --places 15", dir);
    EXPECT_EQ(design.status, 0) << design.err;
    EXPECT_NE(design.out.find("+2.500000000000000 E+00"), std::string::npos) << design.out; // 5000 N / 2000
    const CliRun analyse = RunCli("analyse " + (dir / "p.sma").string() + " --places 0 --quiet", dir);
    EXPECT_EQ(analyse.status, 0) << analyse.err;
}

// Parameters that are normal numbers but tiny overflow the divisions they enter: the run stops (by the
// design core or by the CLI's last check), and no table or JSON carries inf, nan, null or a false 0. A
// tiny yield stress only makes every strut fail: a result, printed as finite numbers.
TEST(CliOutputs, TinyParametersNeverPrintNonNumbers) {
    TempDir dir;
    WriteFile(dir / "p.sma", kCatalogueTriangle);
    const std::pair<const char*, bool> cases[] = {
        {"--pt 3e-308", true}, {"--leg 1e-300 --pw 1e-300", true}, {"--ys 1e-300", false}};
    for (const auto& [options, stops] : cases) {
        const CliRun tables = RunCli("design " + (dir / "p.sma").string() + " " + options, dir);
        EXPECT_EQ(tables.status != 0, stops) << options << ": " << tables.err;
        for (const char* word : {"inf", "nan", "INF", "NAN"})
            EXPECT_EQ(tables.out.find(word), std::string::npos) << options << "\n" << tables.out;
        const CliRun json = RunCli("design " + (dir / "p.sma").string() + " " + options + " --json -", dir);
        EXPECT_EQ(json.status != 0, stops) << options << ": " << json.err;
        if (json.out.empty()) continue; // stopped before the JSON
        const nlohmann::json doc = nlohmann::json::parse(json.out);
        for (const char* table : {"tension", "compression", "welds"})
            for (const auto& row : doc[table])
                for (const auto& [key, value] : row.items())
                    EXPECT_FALSE(value.is_null()) << options << ": " << table << " " << key;
    }
}

struct UnreadableProject {
    const char* name;
    const char* says;
};

class CliUnreadableProject : public ::testing::TestWithParam<UnreadableProject> {};

// Refused at once, by either command: a pipe is never waited on (the run is bounded by timeout, which
// would end it with status 124), /dev/zero is never read, a huge file is never loaded.
TEST_P(CliUnreadableProject, IsRefusedAtOnce) {
    TempDir dir;
    std::string project = "/dev/zero";
    const std::string kind = GetParam().name;
    if (kind == "Folder") project = dir.Path().string();
    if (kind == "Pipe") {
        project = (dir / "pipe.sma").string();
        ASSERT_EQ(::mkfifo(project.c_str(), 0600), 0);
    }
    if (kind == "Over2GiB") {
        project = (dir / "huge.sma").string();
        WriteFile(project, kCatalogueTriangle);
        fs::resize_file(project, (std::uintmax_t{5} << 30) / 2); // 2.5 GiB, sparse: no disk is used
    }
    for (const char* command : {"analyse", "design"}) {
        const CliRun run = RunShell("timeout 20 " + std::string(VARLEN_CLI) + " " + command + " " + project +
                                        " --json " + (dir / "j.json").string(),
                                    dir);
        EXPECT_EQ(run.status, 2) << command << ": " << run.err;
        EXPECT_NE(run.err.find(GetParam().says), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(dir / "j.json"));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CliUnreadableProject,
                         ::testing::Values(UnreadableProject{"Folder", "is a folder, not a file"},
                                           UnreadableProject{"Device", "is a device, not a file"},
                                           UnreadableProject{"Pipe", "is a named pipe, not a file"},
                                           UnreadableProject{"Over2GiB", "is larger than 2 GiB"}),
                         [](const ::testing::TestParamInfo<UnreadableProject>& info) {
                             return info.param.name;
                         });

// A strip of n square panels, each with a diagonal: 2 (n + 1) joints, 4 n + 1 members, about 160 bytes a
// panel. Simply supported, loaded at the far top corner.
std::string StripTruss(int panels) {
    std::string text = "\"Strip\"\r\n\"t\"\r\n\"d\"\r\n\"x\"\r\n\"n\"\r\n";
    // Appended piece by piece, which keeps GCC 12's -Wrestrict quiet.
    const auto add = [&](std::initializer_list<std::string_view> pieces) {
        for (std::string_view piece : pieces)
            text += piece;
    };
    const int joints = 2 * (panels + 1);
    add({std::to_string(joints), "\r\n"});
    for (int i = 0; i <= panels; ++i) {
        const std::string x = std::to_string(1000 * i);
        add({" ", x, " , 0 ,\"\"\r\n ", x, " , 1000 ,\"\"\r\n"});
    }
    add({std::to_string(joints), "\r\n"});
    for (int j = 1; j <= joints; ++j)
        add({" ", std::to_string(j),
             j == 1            ? " , 1 , 1"
             : j == joints - 1 ? " , 0 , 1"
                               : " , 0 , 0",
             " ,\"\"\r\n"});
    add({"1\r\n 200 ,\"\"\r\n1\r\n 1000 ,\"\"\r\n", std::to_string(4 * panels + 1), "\r\n"});
    const auto member = [&](int i, int j) {
        add({" ", std::to_string(i), " , ", std::to_string(j), " , 1 , 1 ,\"\"\r\n"});
    };
    for (int p = 0; p < panels; ++p) {
        const int a = 2 * p + 1;
        member(a, a + 2);
        member(a + 1, a + 3);
        member(a, a + 3);
        member(a, a + 1);
    }
    member(joints - 1, joints);
    add({"1\r\n ", std::to_string(joints), " , 0 ,-10 ,\"\"\r\n"});
    return text;
}

// A reader that leaves early (| head) is a failed write like any other: status 1, and the results file
// that was to go with the JSON is not replaced. The JSON (about 2 MB) is far more than a pipe holds.
TEST(CliOutputs, ReaderThatLeavesEarlyFailsTheRun) {
    TempDir dir;
    WriteFile(dir / "big.sma", StripTruss(5000));
    WriteFile(dir / "r.txt", "earlier results");
    const CliRun run =
        RunShell("(" + std::string(VARLEN_CLI) + " analyse " + (dir / "big.sma").string() + " --results " +
                     (dir / "r.txt").string() + " --json - 2>" + (dir / "cli-err.txt").string() +
                     "; echo $? >" + (dir / "status").string() + ") | head -c 1 >/dev/null",
                 dir);
    EXPECT_EQ(ReadFile(dir / "status"), "1\n") << ReadFile(dir / "cli-err.txt");
    EXPECT_NE(ReadFile(dir / "cli-err.txt").find("standard output"), std::string::npos);
    EXPECT_EQ(ReadFile(dir / "r.txt"), "earlier results");
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        EXPECT_NE(entry.path().filename().string().front(), '.') << "stray " << entry.path();
}

// Under an address-space limit far below what the run needs, lack of memory is reported (status 1), not
// an abort. OpenBLAS's own threads spin forever when they cannot get their buffers, so they are turned
// off, and the limits stop the run before the factorisation calls the BLAS; timeout bounds the rest.
TEST(CliOutputs, LackOfMemoryIsReportedNotAborted) {
    TempDir dir;
    WriteFile(dir / "big.sma", StripTruss(200000)); // 32 MB; its analysis peaks near 400 MB
    for (const char* command : {"analyse", "design"}) {
        for (int limitMiB : {80, 140}) {
            const CliRun run = RunShell("ulimit -v " + std::to_string(limitMiB * 1024) +
                                            "; OPENBLAS_NUM_THREADS=1 exec timeout -s KILL 60 " + VARLEN_CLI +
                                            " " + command + " " + (dir / "big.sma").string() + " --json " +
                                            (dir / "big.json").string(),
                                        dir);
            EXPECT_EQ(run.status, 1) << command << " under " << limitMiB << " MiB: " << run.err;
            EXPECT_NE(run.err.find("not enough memory"), std::string::npos) << run.err;
            EXPECT_FALSE(fs::exists(dir / "big.json"));
            EXPECT_FALSE(fs::exists(dir / "big.txt"));
        }
    }
}

// A text quoted from the file shows its control characters as \xHH, and a NUL does not cut the message.
TEST(CliOutputs, QuotedFileTextIsEscapedWhole) {
    TempDir dir;
    WriteFile(dir / "p.sma",
              Replaced(kCatalogueTriangle, " 4000 , 0 ,", std::string(" 40\x07\x1b[2J\0tail , 0 ,", 15)));
    const CliRun run = RunCli("analyse " + (dir / "p.sma").string(), dir);
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find("40\\x07\\x1B[2J\\x00tail"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\x07'), std::string::npos);
    EXPECT_EQ(run.err.find('\0'), std::string::npos);
}

// The design's refusal quotes the section's description: escaped on standard error and in the JSON.
TEST(CliOutputs, DesignRefusalQuotesTheDescriptionEscaped) {
    TempDir dir;
    WriteFile(dir / "p.sma", Replaced(kCatalogueTriangle, "100 x 100 x 4.6 x 0.130 kN/m (1696.771){39.370}",
                                      std::string("SHS\x1b]0;x\x07\0end", 13)));
    const CliRun run =
        RunCli("design " + (dir / "p.sma").string() + " --json " + (dir / "d.json").string(), dir);
    EXPECT_EQ(run.status, 1) << run.err;
    const std::string shown = "SHS\\x1B]0;x\\x07\\x00end";
    EXPECT_NE(run.err.find(shown), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\x1b'), std::string::npos);
    const nlohmann::json doc = nlohmann::json::parse(ReadFile(dir / "d.json"));
    EXPECT_NE(doc["error"].get<std::string>().find(shown), std::string::npos) << doc["error"];
}

} // namespace
