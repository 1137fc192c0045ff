// varlen-cli dxf-export and dxf-import as a user runs them: the files written, the statuses and the
// messages, and what is left alone when a run is refused.
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

#include "cli_runner.h"
#include "project/project_file.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using varlen::test::CliRun;
using varlen::test::Example;
using varlen::test::kCatalogueTriangle;
using varlen::test::ReadFile;
using varlen::test::RunCli;
using varlen::test::RunCliIn;
using varlen::test::TempDir;
using varlen::test::WriteFile;

varlen::project::Project Read(const fs::path& path) {
    const varlen::project::ReadOutcome read = varlen::project::ReadProjectFile(path);
    EXPECT_TRUE(read.project) << path << ": " << read.problem.ToString();
    return read.project.value_or(varlen::project::NewProject());
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// The roof truss out as a drawing and back in as a project: one LINE a member, and the project made
// from it has the same members between joints at the same places. The drawing is in millimetres and
// says nothing of its units, so the numbers come back as metres: 1000 times the truss.
TEST(CliDxf, ExampleGoesOutAndComesBack) {
    TempDir dir;
    fs::copy_file(Example("roof_truss"), dir / "roof.sma");
    const CliRun out = RunCli("dxf-export " + (dir / "roof.sma").string() + " --plane xy", dir);
    ASSERT_EQ(out.status, 0) << out.err;
    EXPECT_NE(out.out.find("roof.dxf (29 lines in the X-Y plane, in millimetres)"), std::string::npos)
        << out.out;
    const std::string drawing = ReadFile(dir / "roof.dxf");
    EXPECT_EQ(drawing.rfind(" 0 \r\nSECTION\r\n 2 \r\nENTITIES\r\n 0 \r\nLINE\r\n 8 \r\nO\r\n 10 \r\n", 0),
              0u);
    EXPECT_EQ(Count(drawing, "\r\nLINE\r\n"), 29u);

    const CliRun in = RunCli(
        "dxf-import " + (dir / "roof.dxf").string() + " --plane xy -o " + (dir / "back.sma").string(), dir);
    ASSERT_EQ(in.status, 0) << in.err;
    EXPECT_NE(in.out.find("Imported 16 joints and 29 members from 29 lines in the X-Y plane."),
              std::string::npos)
        << in.out;
    EXPECT_NE(in.out.find("if it was drawn in millimetres"), std::string::npos) << in.out;
    const varlen::project::Project roof = Read(dir / "roof.sma"), back = Read(dir / "back.sma");
    ASSERT_EQ(back.members.EntryCount(), roof.members.EntryCount());
    namespace mc = varlen::project::member_col;
    namespace jc = varlen::project::joint_col;
    for (int m = 1; m <= roof.members.EntryCount(); ++m)
        for (int end : {mc::JointI, mc::JointJ}) {
            const int before = std::stoi(std::string(roof.members.Cell(m, end)));
            const int after = std::stoi(std::string(back.members.Cell(m, end)));
            for (int axis : {jc::X, jc::Y})
                EXPECT_DOUBLE_EQ(std::stod(std::string(back.joints.Cell(after, axis))),
                                 1000 * std::stod(std::string(roof.joints.Cell(before, axis))))
                    << "member " << m;
        }
    EXPECT_EQ(back.materials.EntryCount(), 1) << "a new project's one blank material";
    EXPECT_EQ(back.loads.EntryCount(), 0);
}

// X-Z: the truss's Y goes up the drawing's Z, and comes back from there; read as X-Y, the message says
// the drawing does not lie flat.
TEST(CliDxf, UprightPlaneCarriesYInZ) {
    TempDir dir;
    WriteFile(dir / "t.sma", kCatalogueTriangle);
    const CliRun out =
        RunCli("dxf-export " + (dir / "t.sma").string() + " --plane XZ -o " + (dir / "up.dxf").string(), dir);
    ASSERT_EQ(out.status, 0) << out.err;
    // Member 2 runs from joint 2 (4000, 0) to joint 3 (2000, 2000).
    EXPECT_NE(ReadFile(dir / "up.dxf")
                  .find(" 10 \r\n 4000 \r\n 20 \r\n 0 \r\n 30 \r\n 0 \r\n 11 \r\n 2000 \r\n 21 \r\n 0 \r\n "
                        "31 \r\n 2000 \r\n"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "t.dxf"));
    const CliRun flat = RunCli(
        "dxf-import " + (dir / "up.dxf").string() + " --plane xy -o " + (dir / "flat.sma").string(), dir);
    EXPECT_EQ(flat.status, 0) << flat.err;
    EXPECT_NE(flat.out.find("Z runs from 0 m to 2000 m"), std::string::npos) << flat.out;
    const CliRun upright = RunCli(
        "dxf-import " + (dir / "up.dxf").string() + " --plane xz -o " + (dir / "up.sma").string(), dir);
    EXPECT_EQ(upright.status, 0) << upright.err;
    EXPECT_EQ(Read(dir / "up.sma").joints.Cell(3, varlen::project::joint_col::Y), "2000");
}

struct Refusal {
    const char* name;
    const char* arguments; // run in {dir}, which holds t.sma, t.dxf (its drawing), earlier.sma, a link
    int status;
    const char* says;
};
class CliDxfRefusal : public ::testing::TestWithParam<Refusal> {};

// Every refusal leaves every file in the folder as it was.
TEST_P(CliDxfRefusal, ExitsWithTheStatusAndTouchesNothing) {
    TempDir dir;
    WriteFile(dir / "t.sma", kCatalogueTriangle);
    WriteFile(dir / "t.dxf", "earlier drawing");
    WriteFile(dir / "earlier.sma", "earlier project");
    std::string broken = kCatalogueTriangle;
    broken.replace(broken.find(" 2 , 3 , 1 , 2 ,"), 16, " 2 , 9 , 1 , 2 ,");
    WriteFile(dir / "broken.sma", broken);
    WriteFile(dir / "circle.dxf",
              "0\nSECTION\n2\nENTITIES\n0\nCIRCLE\n10\n0\n20\n0\n40\n1\n0\nENDSEC\n0\nEOF\n");
    WriteFile(dir / "damaged.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n0\n20\n0\n11\n4\n21\n");
    WriteFile(dir / "p.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n0\n20\n0\n11\n4\n21\n0\n0\nEOF\n");
    fs::create_symlink("t.sma", dir / "link.dxf");
    std::map<std::string, std::string> before;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        if (entry.path().filename() != "stderr.txt") before[entry.path().filename()] = ReadFile(entry.path());
    const CliRun run = RunCliIn(dir.Path(), GetParam().arguments, dir);
    EXPECT_EQ(run.status, GetParam().status) << run.err;
    EXPECT_NE(run.err.find(GetParam().says), std::string::npos) << run.err;
    std::map<std::string, std::string> after;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        if (entry.path().filename() != "stderr.txt") after[entry.path().filename()] = ReadFile(entry.path());
    EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliDxfRefusal,
    ::testing::Values(
        Refusal{"NoPlane", "dxf-export t.sma", 2,
                "dxf-export needs the drawing's plane: --plane xy or --plane xz"},
        Refusal{"WrongPlane", "dxf-export t.sma --plane yz", 2, "--plane takes xy or xz, not \"yz\""},
        Refusal{"NoProject", "dxf-export --plane xy", 2, "dxf-export needs a project file"},
        Refusal{"TwoProjects", "dxf-export t.sma earlier.sma --plane xy", 2,
                "\"earlier.sma\" is one too many"},
        Refusal{"UnknownOption", "dxf-export t.sma --plane xy --layer O", 2,
                "unknown option \"--layer\" for dxf-export"},
        Refusal{"OutputMissingValue", "dxf-export t.sma --plane xy -o", 2, "-o needs a value"},
        Refusal{"OverTheProject", "dxf-export t.sma --plane xy -o ./t.sma", 2, "would overwrite the project"},
        Refusal{"OverTheProjectThroughALink", "dxf-export t.sma --plane xy -o link.dxf", 2,
                "would overwrite the project"},
        Refusal{"DefaultWouldBeTheProject", "dxf-export link.dxf --plane xy", 2,
                "would overwrite the project"},
        Refusal{"MissingProject", "dxf-export none.sma --plane xy", 2, "cannot read the project"},
        Refusal{"MemberWithoutJoint", "dxf-export broken.sma --plane xy -o t.dxf", 1,
                "the drawing was not written: Member 2 names joint 9, which is not in the joints table (1 to "
                "3)."},
        Refusal{"ImportWithoutOutput", "dxf-import p.dxf --plane xy", 2,
                "dxf-import needs the project to write"},
        Refusal{"ImportWithoutDrawing", "dxf-import --plane xy -o n.sma", 2, "dxf-import needs a drawing"},
        Refusal{"ImportOverTheDrawing", "dxf-import p.dxf --plane xy -o ./p.dxf", 2,
                "would overwrite the drawing"},
        Refusal{"MissingDrawing", "dxf-import none.dxf --plane xy -o earlier.sma", 2,
                "cannot read the drawing"},
        Refusal{"DrawingIsAFolder", "dxf-import . --plane xy -o earlier.sma", 2, "cannot read the drawing"},
        Refusal{"DamagedDrawing", "dxf-import damaged.dxf --plane xy -o earlier.sma", 2,
                "cannot import the drawing \"damaged.dxf\": line 13: group code 21 has no value"},
        Refusal{"NoLines", "dxf-import circle.dxf --plane xy -o earlier.sma", 2,
                "the drawing has no LINE in its ENTITIES section (it holds 1 CIRCLE)"}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return info.param.name; });

// The commands' own help comes from their declarations; the program's help lists all four commands.
TEST(CliDxf, HelpNamesEveryCommandAndOption) {
    TempDir dir;
    const CliRun help = RunCli("--help", dir);
    EXPECT_EQ(help.status, 0);
    for (const char* line : {"  analyse PROJECT.sma", "  design PROJECT.sma",
                             "  dxf-export PROJECT.sma --plane xy|xz [-o FILE.dxf]",
                             "  dxf-import DRAWING.dxf --plane xy|xz -o PROJECT.sma"})
        EXPECT_NE(help.out.find(line), std::string::npos) << line << "\n" << help.out;
    const CliRun own = RunCli("dxf-import --help", dir);
    EXPECT_EQ(own.status, 0);
    EXPECT_EQ(own.out.rfind("Usage: varlen-cli dxf-import DRAWING.dxf --plane xy|xz -o PROJECT.sma\n", 0), 0u)
        << own.out;
    EXPECT_NE(own.out.find("--plane xy|xz"), std::string::npos);
    const CliRun analyse = RunCli("analyze -h", dir);
    EXPECT_EQ(analyse.status, 0);
    EXPECT_NE(analyse.out.find("--ordering auto|amd|metis|nesdis"), std::string::npos) << analyse.out;
    EXPECT_TRUE(analyse.err.empty()) << analyse.err;
}

} // namespace
