#include <gtest/gtest.h>
#include <locale>

#include "project/project_file.h"
#include "test_support.h"

namespace varlen::project {
namespace {

using test::TempDir;

TEST(CreateSMA, NewProjectIsTitleBlockAndOneBlankRecordPerTable) {
    const std::string expected =
        "\"None\"\r\n\"None\"\r\n\"None\"\r\n\"> > > > > > > Click Here  < < < < < < <\"\r\n\"VAR/\"\r\n"
        "1\r\n 0 , 0 ,\"\"\r\n"
        "1\r\n 1 , 0 , 0 ,\"\"\r\n"
        "1\r\n 0 ,\"\"\r\n"
        "1\r\n 0 ,\"\"\r\n"
        "1\r\n 0 , 0 , 0 , 0 ,\"\"\r\n"
        "0\r\n";
    EXPECT_EQ(ProjectFileText(NewProject()), expected);
}

// Metres become millimetres; a negative number has no blank before its sign, the blank after stays.
TEST(CreateSMA, JointRecordIsMillimetresFramedByBlanks) {
    Project p = NewProject();
    p.joints.SetRow(1, {"", "1", "2.5", "-1.2", "Gridline ?? / ??", "1", "0", "Pinned"});
    const std::string text = ProjectFileText(p);
    EXPECT_NE(text.find("\r\n 2500 ,-1200 ,\"Gridline ?? / ??\"\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n 1 , 1 , 0 ,\"Pinned\"\r\n"), std::string::npos) << text;
}

TEST(CreateSMA, QuotesAndLineBreaksCannotBreakTheFile) {
    Project p = NewProject();
    p.title.project = "Bay \"A\"\r\nnorth";
    const std::string text = ProjectFileText(p);
    EXPECT_EQ(text.substr(0, 19), "\"Bay 'A'  north\"\r\n\"");
    const ReadOutcome read = ParseProjectText(text);
    ASSERT_TRUE(read.project) << read.problem.ToString();
    EXPECT_EQ(read.project->title.project, "Bay 'A'  north");
}

// A comma locale must not leak into the file: other programs and other machines read it.
TEST(CreateSMA, DecimalPointWhateverTheLocale) {
    struct CommaPoint : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
    };
    const std::locale old = std::locale::global(std::locale(std::locale::classic(), new CommaPoint));
    Project p = NewProject();
    p.materials.SetRow(1, {"", "1", "205.5", "Steel"});
    const std::string text = ProjectFileText(p);
    std::locale::global(old);
    EXPECT_NE(text.find(" 205.5 ,\"Steel\""), std::string::npos);
}

Project VariedProject() {
    Project p =
        test::MakeProject({{0, 0, true, true}, {2.5, 0, false, true}, {1.25, -1.2}, {0.0105, 123456.789}},
                          {{1, 2}, {2, 3, 1, 2}, {3, 1, 2, 1}, {3, 4}}, {{3, 0, -12.5}, {3, 1.5, -6.25}},
                          {205, 70.5}, {1280, 96.129});
    p.title = {"Bridge, span 2", "Truss", "A. N. Engineer", "06/12/2026", "VAR/017"};
    p.joints.SetCell(2, 4, "L0 eaves, gridline A");
    p.joints.SetCell(3, 7, std::string(300, 'r'));
    p.sections.SetCell(2, 3, " 25 x  25 x 1.0 x 0.007 kN/m (96.129){9.957}");
    p.members.SetCell(1, 6, "caf\xc3\xa9 \xff bytes");
    return p;
}

// Everything the editors hold must come back: cells, texts with commas, bytes, two loads on one joint.
TEST(ProjectFile, RoundTripKeepsEveryCell) {
    TempDir dir;
    const Project original = VariedProject();
    const auto path = dir / "bridge.sma";
    ASSERT_TRUE(CreateSMA(original, path).ok);
    const ReadOutcome read = ReadProjectFile(path);
    ASSERT_TRUE(read.project) << read.problem.ToString();
    EXPECT_EQ(*read.project, original);
    // And writing it again gives the same bytes.
    EXPECT_EQ(ProjectFileText(*read.project), test::ReadFile(path));
}

// Files from before support lines carried their row's number hold joint 0 for a joint never filled in.
TEST(ProjectFile, SupportLineForJointZeroIsDropped) {
    std::string text = ProjectFileText(NewProject());
    text.replace(text.find("1\r\n 1 , 0 , 0 ,"), 16, "1\r\n 0 , 0 , 0 ,");
    const ReadOutcome read = ParseProjectText(text);
    ASSERT_TRUE(read.project) << read.problem.ToString();
    EXPECT_EQ(read.project->joints.EntryCount(), 1);
    EXPECT_EQ(read.project->joints.Cell(1, 5), "");
    EXPECT_EQ(read.project->joints.Cell(1, 6), "");
}

TEST(ProjectFile, CoordinatesComeBackInMetres) {
    const ReadOutcome read = ParseProjectText(
        "\"p\"\r\n\"t\"\r\n\"d\"\r\n\"x\"\r\n\"n\"\r\n1\r\n 2500 ,-1200 ,\"J\"\r\n1\r\n 1 , 1 , 1 ,\"S\"\r\n"
        "0\r\n0\r\n0\r\n0\r\n");
    ASSERT_TRUE(read.project) << read.problem.ToString();
    EXPECT_EQ(read.project->joints.Cell(1, 2), "2.5");
    EXPECT_EQ(read.project->joints.Cell(1, 3), "-1.2");
    EXPECT_EQ(read.project->materials.RowCount(), 1);
    EXPECT_EQ(read.project->loads.RowCount(), 1) << "a loads count of 0 leaves the heading row only";
}

// Files edited by hand or written elsewhere: LF ends, blanks, no leading zero, exponents, empty fields
// (read as 0), text after a closing quote (dropped) and an unquoted text.
TEST(ProjectFile, ReaderAcceptsWhatTheFormatAllows) {
    const ReadOutcome read =
        ParseProjectText("\"p\"\n  \"t\"\nd\n\"x\"\n\"n\"\n 2 \n  .5 ,  -1.5E+3  ,\"a, b\" tail\n,,\"\"\n"
                         "2\n1,1,1,\"\"\n 2 , 0 , 1 , Roller  "
                         "\n1\n2.05e2,\"Steel\"\n1\n1000,\"S\"\n1\n1,2,1,1,\"M\"\n0\n\n\n");
    ASSERT_TRUE(read.project) << read.problem.ToString();
    const Project& p = *read.project;
    EXPECT_EQ(p.title.designer, "d");
    EXPECT_EQ(p.joints.Cell(1, 2), "0.0005");
    EXPECT_EQ(p.joints.Cell(1, 3), "-1.5");
    EXPECT_EQ(p.joints.Cell(1, 4), "a, b");
    EXPECT_EQ(p.joints.Cell(2, 2), "0");
    EXPECT_EQ(p.joints.Cell(2, 7), "Roller");
    EXPECT_EQ(p.materials.Cell(1, 2), "205");
}

struct Damage {
    const char* name;
    std::string bytes;
    int line;
    const char* says;
};

std::string Head() {
    return "\"p\"\r\n\"t\"\r\n\"d\"\r\n\"x\"\r\n\"n\"\r\n";
}
std::string Joints() {
    return "2\r\n 0 , 0 ,\"\"\r\n 1000 , 0 ,\"\"\r\n2\r\n 1 , 1 , 1 ,\"\"\r\n 2 , 0 , 1 ,\"\"\r\n";
}
std::string Rest() {
    return "1\r\n 205 ,\"\"\r\n1\r\n 100 ,\"\"\r\n1\r\n 1 , 2 , 1 , 1 ,\"\"\r\n0\r\n";
}

class DamagedFileTest : public ::testing::TestWithParam<Damage> {};

// A damaged file is refused whole, with the line at fault and what was expected there.
TEST_P(DamagedFileTest, IsRefusedWithLineAndReason) {
    const Damage& d = GetParam();
    ASSERT_TRUE(ParseProjectText(Head() + Joints() + Rest()).project) << "the undamaged file must read";
    const ReadOutcome read = ParseProjectText(d.bytes);
    ASSERT_FALSE(read.project);
    EXPECT_EQ(read.problem.line, d.line) << read.problem.ToString();
    EXPECT_NE(read.problem.message.find(d.says), std::string::npos) << read.problem.ToString();
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedFileTest,
    ::testing::Values(
        Damage{"EmptyFile", "", 1, "title block"},
        Damage{"EndsInsideMembers",
               Head() + Joints() + "1\r\n 205 ,\"\"\r\n1\r\n 100 ,\"\"\r\n3\r\n 1 , 2 , 1 , 1 ,\"\"\r\n", 18,
               "3 were announced, 1 found"},
        Damage{"CountNotANumber", Head() + "two\r\n", 6, "number of joints was expected"},
        Damage{"NegativeCount", Head() + "-1\r\n", 6, "number of joints"},
        Damage{"NumberFieldNotANumber", Head() + "1\r\n 0 , x12 ,\"\"\r\n", 7,
               "the Y of joint 1 is not a number"},
        Damage{"TooFewFields",
               Head() + Joints() + "1\r\n 205 ,\"\"\r\n1\r\n 100 ,\"\"\r\n1\r\n 1 , 2 , 1 ,\"\"\r\n0\r\n", 17,
               "5 fields in all; found 4"},
        Damage{"TooManyFields", Head() + "1\r\n 0 , 0 , 0 ,\"\"\r\n", 7, "3 fields in all"},
        Damage{"SupportsCountDiffers",
               Head() + "2\r\n 0 , 0 ,\"\"\r\n 1000 , 0 ,\"\"\r\n1\r\n 1 , 1 , 1 ,\"\"\r\n" + Rest(), 9,
               "must list every joint"},
        Damage{"SupportNamesNoJoint",
               Head() +
                   "2\r\n 0 , 0 ,\"\"\r\n 1000 , 0 ,\"\"\r\n2\r\n 1 , 1 , 1 ,\"\"\r\n 3 , 0 , 1 ,\"\"\r\n" +
                   Rest(),
               11, "names joint 3"},
        // Found by fuzzing: a joint number beyond int was converted to int before its range was checked.
        Damage{
            "SupportNamesJointBeyondAnyInteger",
            Head() +
                "2\r\n 0 , 0 ,\"\"\r\n 1000 , 0 ,\"\"\r\n2\r\n 1 , 1 , 1 ,\"\"\r\n 4e300 , 0 , 1 ,\"\"\r\n" +
                Rest(),
            11, "names joint 4e300, which is not a joint number from 1 to 2"},
        Damage{"TextAfterTheLoads", Head() + Joints() + Rest() + "extra\r\n", 19, "after the joint loads"},
        Damage{"HugeCount", Head() + "999999999\r\n", 6, "announces 999999999 joints"},
        // A bell and a NUL in the text quoted back are shown escaped, and the NUL does not cut it short.
        Damage{"ControlCharactersQuoted", Head() + "1\r\n 0 , x\a" + std::string(1, '\0') + "y ,\"\"\r\n", 7,
               "\"x\\x07\\x00y\""}),
    [](const ::testing::TestParamInfo<Damage>& info) { return info.param.name; });

TEST(CreateSMA, FailureNamesTheFileAndLeavesNoTrace) {
    TempDir dir;
    const WriteOutcome outcome = CreateSMA(NewProject(), dir / "missing-folder" / "p.sma");
    EXPECT_FALSE(outcome.ok);
    EXPECT_NE(outcome.error.find("missing-folder"), std::string::npos) << outcome.error;
}

// Saving over a project replaces it whole and leaves no temporary file beside it.
TEST(CreateSMA, OverwriteReplacesTheFileWhole) {
    TempDir dir;
    const auto path = dir / "p.sma";
    test::WriteFile(path, std::string(100000, 'x'));
    ASSERT_TRUE(CreateSMA(NewProject(), path).ok);
    EXPECT_EQ(test::ReadFile(path), ProjectFileText(NewProject()));
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        ++files;
    EXPECT_EQ(files, 1);
}

} // namespace
} // namespace varlen::project
