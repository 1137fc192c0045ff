// The text report against texts written out by hand from the report's layout, the bundled examples read
// from their project files (millimetres there, metres here), its load cases worked by hand, and its safe
// writing.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "analysis/analysis.h"
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

project::Project ReadExample(const char* name) {
    project::ReadOutcome read =
        project::ReadProjectFile(std::string(VARLEN_EXAMPLES_DIR) + "/" + name + ".sma");
    EXPECT_TRUE(read.project) << read.problem.ToString();
    return read.project ? std::move(*read.project) : project::NewProject();
}

// Every case from one factorisation, the combinations and the envelope, as the command line analyses.
analysis::LoadCaseResults AnalyseCases(const project::Project& project) {
    analysis::AnalysisOutcome outcome =
        analysis::Analyse(model::BuildModel(project), {analysis::Ordering::Auto, {}, true});
    EXPECT_TRUE(outcome.loadCases) << outcome.Message();
    return outcome.loadCases ? std::move(*outcome.loadCases) : analysis::LoadCaseResults{};
}

ReportSections EverySection() {
    ReportSections s;
    s.jointCoordinates = s.jointSupports = s.materialProperties = s.crossSectionalProperties =
        s.memberConnectivity = s.loading = s.globalDisplacements = s.localForces = s.reactions = true;
    return s;
}

// The report of a project of one load case as it was written before load cases came to the reports
// (11,205 bytes), every section chosen: a section moved, a heading added or a load case that leaks into
// a project without any changes a byte here. Results of one case worked out as a set of load cases
// change nothing.
TEST(TextReport, SingleCaseProjectAsBeforeLoadCases) {
    const project::Project p = ReadExample("bridge_girder");
    const analysis::Results results = test::AnalyseOrFail(p);
    const analysis::LoadCaseResults one = AnalyseCases(p);
    ReportSections named = EverySection();
    named.loadCase = p.firstCaseName;
    for (const auto& [sections, loadCases] :
         {std::pair{EverySection(), static_cast<const analysis::LoadCaseResults*>(nullptr)},
          std::pair{EverySection(), &one}, std::pair{named, &one}}) {
        const std::string report = TextReport(p, &results, 3, sections, loadCases);
        EXPECT_EQ(report.size(), 11205u);
        EXPECT_EQ(test::Digest(report), 0xcf52bb418da4a4c3ull);
    }
}

std::vector<std::string> LinesAfter(const std::vector<std::string>& lines, const std::string& heading,
                                    std::size_t count) {
    const auto at = std::find(lines.begin(), lines.end(), heading);
    if (at == lines.end() || static_cast<std::size_t>(lines.end() - at) < count)
        return {"(no " + heading + ")"};
    return {at, at + static_cast<std::ptrdiff_t>(count)};
}

TEST(TextReport, EveryLoadCaseAndCombinationWithTheLoading) {
    const project::Project p = ReadExample("roof_truss");
    const analysis::LoadCaseResults cases = AnalyseCases(p);
    ReportSections loading;
    loading.loading = true;
    const std::vector<std::string> lines = Lines(TextReport(p, &cases.cases[0].results, 3, loading, &cases));
    EXPECT_EQ(LinesAfter(lines, "JOINT LOADS: Dead", 4),
              (std::vector<std::string>{"JOINT LOADS: Dead", "", "#\tFx\tFy\tDescription",
                                        "1\t0\t-6.25\tPurlin load, eaves A"}));
    EXPECT_EQ(LinesAfter(lines, "JOINT LOADS: Imposed", 4)[3], "1\t0\t-2.7\tSnow and access, eaves A");
    EXPECT_EQ(LinesAfter(lines, "JOINT LOADS: Wind", 4)[3], "10\t-12\t24\tSuction, windward slope");
    // The file refers to cases by number; the report by name, the combination's on its first row.
    EXPECT_EQ(LinesAfter(lines, "LOAD COMBINATIONS", 7),
              (std::vector<std::string>{"LOAD COMBINATIONS", "", "Combination\tLoad case\tFactor",
                                        "D+I\tDead\t1", "\tImposed\t1", "D+W\tDead\t1", "\tWind\t1"}));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "JOINT LOADS"), 0);
}

// Worked by hand at the eaves joint L0, where bottom chord member 1 meets top chord member 9 (slope 1 in
// 2, sin = 1/sqrt 5): the vertical balance gives N9 = -(Ry - P) sqrt 5 and the horizontal N1 = -Rx -
// 2 N9 / sqrt 5. Under D+I (no sideways load) Ry = 56 + 21.6 kN by moments about L8 and P = 8.95 kN, so
// N1 = 2 x 68.65 = +137.3 kN; under D+W Rx = +12 kN (the wind's net -12 kN along X), Ry = 56 - 74.5 =
// -18.5 kN and P = 6.25 kN, so N9 = +55.34 kN and N1 = -12 - 49.5 = -61.5 kN. A combination named by the
// wrong index, or tension and compression swapped, shows here.
TEST(TextReport, EnvelopeNamesTheGoverningCombinations) {
    const project::Project p = ReadExample("roof_truss");
    const analysis::LoadCaseResults cases = AnalyseCases(p);
    const std::vector<std::string> lines = Lines(TextReport(p, nullptr, 3, TextReportSections(), &cases));
    EXPECT_EQ(LinesAfter(lines, "MEMBER FORCE ENVELOPE OVER THE COMBINATIONS (kN)", 4),
              (std::vector<std::string>{"MEMBER FORCE ENVELOPE OVER THE COMBINATIONS (kN)", "",
                                        "#\tTension\t\tBy\tCompression\tBy",
                                        "1\t+1.373 E+02\tD+I\t-6.150 E+01\tD+W"}));
    // Top chord member 9 the other way round; vertical L1-U1 (member 17) carries nothing in any.
    EXPECT_NE(std::find(lines.begin(), lines.end(), "9\t+5.534 E+01\tD+W\t-1.535 E+02\tD+I"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "17\t\t\t\t"), lines.end());
    // The sliding bearing at L8 is free along X: no Rx row for it.
    EXPECT_EQ(LinesAfter(lines, "SUPPORT REACTION ENVELOPE OVER THE COMBINATIONS (kN)", 6),
              (std::vector<std::string>{
                  "SUPPORT REACTION ENVELOPE OVER THE COMBINATIONS (kN)", "",
                  "#\tReaction\tGreatest\t\tBy\tLeast\t\tBy", "1\tRx\t+1.200 E+01\tD+W\t+0.000 E+00\tD+I",
                  "1\tRy\t+7.760 E+01\tD+I\t-1.850 E+01\tD+W", "9\tRy\t+7.360 E+01\tD+I\t-1.350 E+01\tD+W"}));
}

// Without combinations the envelope is over the cases: dead alone N1 = 2 (56 - 6.25) = +99.5 kN, wind
// alone Ry = -74.5 kN, so N1 = -12 - 2 x 74.5 = -161 kN.
TEST(TextReport, EnvelopeOverTheCasesWithoutCombinations) {
    project::Project p = ReadExample("roof_truss");
    p.combinations.clear();
    const analysis::LoadCaseResults cases = AnalyseCases(p);
    const std::vector<std::string> lines = Lines(TextReport(p, nullptr, 3, TextReportSections(), &cases));
    EXPECT_EQ(LinesAfter(lines, "MEMBER FORCE ENVELOPE OVER THE LOAD CASES (kN)", 4)[3],
              "1\t+9.950 E+01\tDead\t-1.610 E+02\tWind");
}

struct ShownCaseCase {
    const char* name;
    std::string loadCase;
    const char* heading;
    const char* support1; // the pinned bearing's Rx and Ry, worked by hand as above
};

class TextReportShownCase : public ::testing::TestWithParam<ShownCaseCase> {};

TEST_P(TextReportShownCase, ResultsOfTheChosenCaseUnderItsName) {
    const project::Project p = ReadExample("roof_truss");
    const analysis::LoadCaseResults cases = AnalyseCases(p);
    ReportSections s;
    s.reactions = true;
    s.loadCase = GetParam().loadCase;
    const std::vector<std::string> lines = Lines(TextReport(p, &cases.cases[0].results, 3, s, &cases));
    const auto heading = std::find(lines.begin(), lines.end(), GetParam().heading);
    const auto reactions = std::find(lines.begin(), lines.end(), "SUPPORT REACTIONS (kN)");
    ASSERT_NE(reactions, lines.end());
    ASSERT_LT(heading, reactions);
    EXPECT_EQ(reactions[3], GetParam().support1);
    EXPECT_GT(reactions,
              std::find(lines.begin(), lines.end(), "SUPPORT REACTION ENVELOPE OVER THE COMBINATIONS (kN)"));
}

INSTANTIATE_TEST_SUITE_P(
    RoofTruss, TextReportShownCase,
    ::testing::Values(
        ShownCaseCase{"FirstCaseByDefault", "", "RESULTS OF LOAD CASE: Dead", "1\t+0.000 E+00\t+5.600 E+01"},
        ShownCaseCase{"Case", "Imposed", "RESULTS OF LOAD CASE: Imposed", "1\t+0.000 E+00\t+2.160 E+01"},
        ShownCaseCase{"Combination", "D+W", "RESULTS OF COMBINATION: D+W", "1\t+1.200 E+01\t-1.850 E+01"}),
    [](const auto& info) { return std::string(info.param.name); });

// The desktop program reports a project of several cases from the first case's results alone: the
// loading still lists every case, the results say whose they are, and there is no envelope to give.
TEST(TextReport, LoadCasesWithTheFirstCaseResultsAlone) {
    const project::Project p = ReadExample("roof_truss");
    const analysis::Results results = test::AnalyseOrFail(p);
    ReportSections s;
    s.loading = s.reactions = true;
    const std::string report = TextReport(p, &results, 3, s);
    EXPECT_NE(report.find("JOINT LOADS: Wind\r\n"), std::string::npos);
    EXPECT_NE(report.find("RESULTS OF LOAD CASE: Dead\r\n"), std::string::npos);
    EXPECT_EQ(report.find("ENVELOPE"), std::string::npos);
}

TEST(TextReport, UnknownCaseIsRefusedWithTheNames) {
    const project::Project p = ReadExample("roof_truss");
    const analysis::LoadCaseResults cases = AnalyseCases(p);
    test::TempDir dir;
    const auto path = dir / kTextReportFileName;
    test::WriteFile(path, "an earlier report");
    ReportSections s = TextReportSections();
    s.loadCase = "Snow";
    const ReportWriteOutcome written = WriteTextReport(path, p, &cases.cases[0].results, 3, s, &cases);
    EXPECT_FALSE(written.ok);
    EXPECT_NE(written.error.find("\"Snow\""), std::string::npos) << written.error;
    EXPECT_NE(written.error.find("\"Dead\", \"Imposed\" and \"Wind\""), std::string::npos) << written.error;
    EXPECT_NE(written.error.find("\"D+I\" and \"D+W\""), std::string::npos) << written.error;
    EXPECT_EQ(test::ReadFile(path), "an earlier report");
    // Without the results of every case, only the first can be shown.
    s.loadCase = "D+W";
    EXPECT_FALSE(WriteTextReport(path, p, &cases.cases[0].results, 3, s).ok);
    s.loadCase = "Dead";
    EXPECT_TRUE(WriteTextReport(path, p, &cases.cases[0].results, 3, s).ok);
}

} // namespace
} // namespace varlen::report
