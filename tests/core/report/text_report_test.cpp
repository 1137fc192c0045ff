// The text report against texts written out by hand from the report's layout, the bundled examples read
// from their project files (millimetres there, metres here), and its safe writing.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "project/project_file.h"
#include "report/text_report.h"
#include "test_support.h"

namespace varlen::report {
namespace {

// A two-bar bracket typed as the editors would: a description with a comma, one with a tab.
project::Project Bracket() {
    project::Project p = test::MakeProject({{0, 0, true, true}, {0, 2, true, true}, {1.5, 1, false, false}},
                                           {{1, 3}, {2, 3, 1, 2}}, {{3, 0, -10}}, {205}, {1000, 500.5});
    p.title = {"Footbridge", "Bracket B1", "A. Engineer", "01/02/2026", "VAR/7"};
    p.joints.SetCell(3, project::joint_col::Description, "Tip,\tloaded");
    p.sections.SetCell(2, project::section_col::Description, "50 x 50, S355");
    return p;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start != text.size()) lines.push_back("(unterminated) " + text.substr(start));
    return lines;
}

// Written from the layout, not from the code: a section missing, a tab too many or a lost empty line
// shows as the first line that differs.
TEST(TextReport, SmallProjectLineForLine) {
    const std::string expected = "VARLEN ANALYSIS\r\n"
                                 "\r\n"
                                 "TITLE\r\n"
                                 "\r\n"
                                 "Project:\tFootbridge\r\n"
                                 "Title:\t\tBracket B1\r\n"
                                 "Designer:\tA. Engineer\r\n"
                                 "Date:\t\t01/02/2026\r\n"
                                 "Drawing No:\tVAR/7\r\n"
                                 "\r\n"
                                 "\r\n"
                                 "JOINT CO-ORDINATES AND SUPPORTS\r\n"
                                 "\r\n"
                                 "#\tX\tY\tJD\tFx\tFy\tRD\r\n"
                                 "1\t0\t0\tJoint 1\t1\t1\tNone\r\n"
                                 "2\t0\t2\tJoint 2\t1\t1\tNone\r\n"
                                 "3\t1.5\t1\tTip, loaded\t0\t0\tNone\r\n"
                                 "\r\n"
                                 "\r\n"
                                 "MATERIAL PROPERTIES\r\n"
                                 "\r\n"
                                 "#\tY.Mod\tDescription\r\n"
                                 "1\t205\tSteel\r\n"
                                 "\r\n"
                                 "\r\n"
                                 "\r\n"
                                 "CROSS SECTIONAL PROPERTIES\r\n"
                                 "\r\n"
                                 "#\tArea\t\tDescription\r\n"
                                 "1\t1000\tSection\r\n"
                                 "\r\n"
                                 "2\t500.5\t50 x 50, S355\r\n"
                                 "\r\n"
                                 "\r\n"
                                 "\r\n"
                                 "\r\n";
    const std::string report = TextReport(Bracket(), nullptr, 3);
    const std::vector<std::string> got = Lines(report), want = Lines(expected);
    for (std::size_t i = 0; i < std::min(got.size(), want.size()); ++i)
        ASSERT_EQ(got[i], want[i]) << "line " << i + 1;
    EXPECT_EQ(got.size(), want.size());
    EXPECT_EQ(report, expected);
}

TEST(TextReport, EmptyMaterialsTableKeepsItsHeadingAndGoesOn) {
    project::Project p = Bracket();
    p.materials.SetRowCount(1);
    const std::vector<std::string> lines = Lines(TextReport(p, nullptr, 3));
    const auto at = std::find(lines.begin(), lines.end(), "MATERIAL PROPERTIES");
    ASSERT_NE(at, lines.end());
    const std::vector<std::string> section(at, at + 6);
    EXPECT_EQ(section, (std::vector<std::string>{"MATERIAL PROPERTIES", "", "#\tY.Mod\tDescription", "", "",
                                                 "CROSS SECTIONAL PROPERTIES"}));
}

// A tab typed into any text would add a column; every line of a table keeps its column count.
TEST(TextReport, TabsAndLineEndsInsideTextsBecomeBlanks) {
    project::Project p = Bracket();
    p.title.designer = "A.\tEngineer\r\nChecked";
    p.materials.SetCell(1, project::material_col::Description, "\tS355\t");
    const std::string report = TextReport(p, nullptr, 3);
    const std::vector<std::string> lines = Lines(report);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Designer:\tA. Engineer  Checked"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "1\t205\t S355 "), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "3\t1.5\t1\tTip, loaded\t0\t0\tNone"), lines.end());
    EXPECT_EQ(report.find("\n\n"), std::string::npos); // no bare line end
}

// Each member's four values under "Member  n", as the results windows show them, for a triangle solved by
// hand: 10 kN down at the apex of a 4 m x 2 m triangle, pinned at 1, on a roller at 2. The tie carries
// +5 kN, each support 5 kN up.
TEST(TextReport, ChosenResultSectionsFollowTheTables) {
    const project::Project p =
        test::MakeProject({{0, 0, true, true}, {4, 0, false, true}, {2, 2, false, false}},
                          {{1, 2}, {2, 3}, {3, 1}}, {{3, 0, -10}});
    const analysis::Results r = test::AnalyseOrFail(p);
    ReportSections only;
    only.localForces = only.reactions = true;
    const std::vector<std::string> lines = Lines(TextReport(p, &r, 3, only));
    const auto from = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line); };
    ASSERT_NE(from("LOCAL FORCES (kN)"), lines.end());
    EXPECT_EQ(from("JOINT CO-ORDINATES AND SUPPORTS"), lines.end());
    const auto member1 = from("Member  1");
    ASSERT_NE(member1, lines.end());
    EXPECT_EQ(
        std::vector<std::string>(member1, member1 + 5),
        (std::vector<std::string>{"Member  1", "Joint i - Fx'\t-5.000 E+00", "Joint i - Fy'\t+0.000 E+00",
                                  "Joint j - Fx'\t+5.000 E+00", "Joint j - Fy'\t+0.000 E+00"}));
    const auto reactions = from("SUPPORT REACTIONS (kN)");
    ASSERT_NE(reactions, lines.end());
    // The roller at joint 2 is free in X: no value there, rather than a zero it does not exert.
    EXPECT_EQ(std::vector<std::string>(reactions + 2, reactions + 5),
              (std::vector<std::string>{"#\tRx\t\tRy", "1\t+0.000 E+00\t+5.000 E+00", "2\t\t+5.000 E+00"}));
    ASSERT_NE(from("GLOBAL FORCES / REACTIONS (kN)"), lines.end());
    EXPECT_GT(from("GLOBAL FORCES / REACTIONS (kN)"), reactions);
}

TEST(TextReport, JointColumnsFollowTheTwoJointBoxes) {
    ReportSections coordinates;
    coordinates.jointCoordinates = true;
    ReportSections supports;
    supports.jointSupports = true;
    const std::vector<std::string> a = Lines(TextReport(Bracket(), nullptr, 3, coordinates));
    const std::vector<std::string> b = Lines(TextReport(Bracket(), nullptr, 3, supports));
    EXPECT_EQ(std::vector<std::string>(a.begin() + 11, a.begin() + 15),
              (std::vector<std::string>{"JOINT CO-ORDINATES", "", "#\tX\tY\tJD", "1\t0\t0\tJoint 1"}));
    EXPECT_EQ(std::vector<std::string>(b.begin() + 11, b.begin() + 15),
              (std::vector<std::string>{"JOINT SUPPORTS", "", "#\tFx\tFy\tRD", "1\t1\t1\tNone"}));
}

TEST(TextReport, DefaultsAreTheSectionsEachReportAlwaysHeld) {
    const ReportSections text = TextReportSections(), word = WordReportSections();
    EXPECT_TRUE(text.jointCoordinates && text.jointSupports && text.materialProperties &&
                text.crossSectionalProperties);
    EXPECT_FALSE(text.memberConnectivity || text.loading || text.globalDisplacements || text.localForces ||
                 text.reactions);
    EXPECT_TRUE(word.memberConnectivity && word.loading && word.globalDisplacements && word.jointSupports);
    EXPECT_FALSE(word.localForces || word.reactions);
}

// The examples read from their files: the line count follows from the tables (11 title lines, each table
// its heading, empty line, column heads and closing empty lines, materials and sections an empty line
// after each row, one last empty line), and a joint line converts the file's millimetres to metres.
struct ExampleCase {
    const char* name;
    int joints, materials, sections;
    const char* jointLine;
    const char* projectLine;
};

class TextReportExample : public ::testing::TestWithParam<ExampleCase> {};

TEST_P(TextReportExample, TablesAsTheEditorsShowThem) {
    const ExampleCase& c = GetParam();
    const project::ReadOutcome read =
        project::ReadProjectFile(std::string(VARLEN_EXAMPLES_DIR) + "/" + c.name + ".sma");
    ASSERT_TRUE(read.project) << read.problem.ToString();
    const std::vector<std::string> lines = Lines(TextReport(*read.project, nullptr, 3));
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(27 + c.joints + 2 * c.materials + 2 * c.sections));
    EXPECT_EQ(lines[4], c.projectLine);
    EXPECT_NE(std::find(lines.begin(), lines.end(), c.jointLine), lines.end()) << c.jointLine;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, TextReportExample,
    ::testing::Values(
        ExampleCase{"roof_truss", 16, 1, 3,
                    "9\t12\t0\tL8 eaves, gridline B\t0\t1\tSliding bearing gridline B",
                    "Project:\tWarehouse extension Hall 2"},
        ExampleCase{"simple_bridge", 6, 1, 1, "2\t3\t0\tBottom node 1\t0\t0\tFree",
                    "Project:\tFarm access bridge Lower Mill"},
        ExampleCase{"braced_frame", 9, 2, 3, "1\t0\t0\tGridline A / ground\t1\t1\tPinned base, gridline A",
                    "Project:\tOffice block Eastgate Phase 1"},
        ExampleCase{"bridge_girder", 14, 1, 3,
                    "1\t0\t0\tL0 deck level, abutment West\t1\t1\tPinned bearing, West abutment",
                    "Project:\tRiverside footbridge Millbrook"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextReport, WrittenWholeOverAnEarlierReport) {
    test::TempDir dir;
    const auto path = dir / kTextReportFileName;
    test::WriteFile(path, "an earlier report");
    const ReportWriteOutcome written = WriteTextReport(path, Bracket(), nullptr, 3);
    ASSERT_TRUE(written.ok) << written.error;
    EXPECT_EQ(test::ReadFile(path), TextReport(Bracket(), nullptr, 3));
    // Nothing is left beside it: the temporary file was renamed, not copied.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(TextReport, FailureNamesTheFileAndLeavesNothingHalfWritten) {
    test::TempDir dir;
    const auto folder = dir / "reports";
    std::filesystem::create_directory(folder);
    // A folder where the report should go cannot be replaced by a file.
    const ReportWriteOutcome onFolder = WriteTextReport(folder, Bracket(), nullptr, 3);
    EXPECT_FALSE(onFolder.ok);
    EXPECT_NE(onFolder.error.find(folder.string()), std::string::npos) << onFolder.error;
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    const auto missing = dir / "no such folder" / kTextReportFileName;
    const ReportWriteOutcome inMissing = WriteTextReport(missing, Bracket(), nullptr, 3);
    EXPECT_FALSE(inMissing.ok);
    EXPECT_NE(inMissing.error.find("no such folder"), std::string::npos) << inMissing.error;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

} // namespace
} // namespace varlen::report
