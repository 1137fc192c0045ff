// The rows every front-end shows: checked against hand-solved trusses and the design outcomes, not
// against the formatting code, which has its own tests.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "project/number_text.h"
#include "report/design_tables.h"
#include "report/results_tables.h"
#include "test_support.h"

namespace varlen::report {
namespace {

// A 4 m by 2 m triangle with 10 kN down at its apex, pinned at joint 1 and on a roller at joint 2:
// the tie (member 1) carries +5 kN, the rafters (2 and 3) -7.071 kN, each support 5 kN up.
project::Project Triangle() {
    return test::MakeProject({{0, 0, true, true}, {4, 0, false, true}, {2, 2, false, false}},
                             {{1, 2}, {2, 3}, {3, 1}}, {{3, 0, -10}}, {200}, {1000});
}

std::vector<std::string> Texts(const Row& row) {
    std::vector<std::string> texts;
    for (const Cell& cell : row)
        texts.push_back(cell.text);
    return texts;
}

// Every number cell shows its own value: a cell paired with the wrong value or the wrong places would
// show another text.
void ExpectCellsAgree(const TableRows& table, int places) {
    for (const Row& row : table.rows)
        for (const Cell& cell : row)
            if (cell.number && cell.text.find('E') != std::string::npos) {
                EXPECT_EQ(cell.text, project::ResultFormat(*cell.number, places));
            }
}

TEST(ResultsTables, MemberForcesSayTensionAndCompression) {
    const analysis::Results r = test::AnalyseOrFail(Triangle());
    const TableRows table = MemberForceRows(r, 3);
    EXPECT_EQ(table.title, "Member forces (kN, tension positive)");
    EXPECT_EQ(table.headings, (std::vector<std::string>{"Member", "Joint i", "Joint j", "Axial force", ""}));
    ASSERT_EQ(table.rows.size(), 3u);
    // A sign slip in the force or in the words would swap these.
    EXPECT_EQ(Texts(table.rows[0]), (std::vector<std::string>{"1", "1", "2", "+5.000 E+00", "tension"}));
    EXPECT_EQ(Texts(table.rows[1]), (std::vector<std::string>{"2", "2", "3", "-7.071 E+00", "compression"}));
    EXPECT_NEAR(*table.rows[2][3].number, -5 * std::sqrt(2.0), 1e-9);
    EXPECT_EQ(*table.rows[2][0].number, 3);
    ExpectCellsAgree(table, 3);
}

TEST(ResultsTables, ReactionsOnlyAtSupportsAndTheyBalanceTheLoad) {
    const analysis::Results r = test::AnalyseOrFail(Triangle());
    const TableRows table = SupportReactionRows(r, 2);
    EXPECT_EQ(table.headings, (std::vector<std::string>{"Joint", "Rx", "Ry"}));
    ASSERT_EQ(table.rows.size(), 2u); // joint 3 is free
    EXPECT_EQ(Texts(table.rows[0]), (std::vector<std::string>{"1", "+0.00 E+00", "+5.00 E+00"}));
    EXPECT_EQ(table.rows[1][0].text, "2");
    EXPECT_NEAR(*table.rows[0][2].number + *table.rows[1][2].number, 10, 1e-9);
    ExpectCellsAgree(table, 2);
}

TEST(ResultsTables, JointDisplacementsEveryJointInOrder) {
    const analysis::Results r = test::AnalyseOrFail(Triangle());
    const TableRows table = JointDisplacementRows(r, 0);
    EXPECT_EQ(table.title, "Joint displacements (mm)");
    EXPECT_EQ(table.headings, (std::vector<std::string>{"Joint", "dx", "dy"}));
    ASSERT_EQ(table.rows.size(), 3u);
    EXPECT_EQ(Texts(table.rows[0]), (std::vector<std::string>{"1", "+0. E+00", "+0. E+00"}));
    // Symmetry: the apex moves straight down.
    EXPECT_NEAR(*table.rows[2][1].number, r.Dx(3), 0);
    EXPECT_LT(*table.rows[2][2].number, 0);
    ExpectCellsAgree(table, 0);
}

TEST(ResultsTables, MemberEndsLabelledAsTheWindowsShowThem) {
    const analysis::Results r = test::AnalyseOrFail(Triangle());
    const TableRows local = MemberEndRows(r, MemberEnds::LocalForces, 2, 3);
    EXPECT_EQ(local.title, "Local Forces (kN)");
    ASSERT_EQ(local.rows.size(), 4u);
    EXPECT_EQ(Texts(local.rows[0]), (std::vector<std::string>{"Joint i - Fx'", "+7.071 E+00"}));
    EXPECT_EQ(Texts(local.rows[3]), (std::vector<std::string>{"Joint j - Fy'", "+0.000 E+00"}));
    EXPECT_EQ(*local.rows[2][1].number, r.MemberLocalForce(2)[2]);

    const TableRows displacements = MemberEndRows(r, MemberEnds::GlobalDisplacements, 3, 3);
    EXPECT_EQ(displacements.title, "Global Displacements (mm)");
    EXPECT_EQ(displacements.rows[1][0].text, "Joint i - dy");
    EXPECT_EQ(*displacements.rows[1][1].number, r.Dy(3)); // member 3 runs from joint 3 to joint 1

    const TableRows global = MemberEndRows(r, MemberEnds::GlobalForces, 1, 3);
    EXPECT_EQ(global.title, "Global Forces / Reactions (kN)");
    EXPECT_EQ(global.rows[2][0].text, "Joint j - Fx");
    EXPECT_EQ(global.rows[2][1].text, "+5.000 E+00"); // the tie pulled towards joint 2 along +X
    ExpectCellsAgree(local, 3);
}

TEST(DesignTables, HeadingsMemberTextAndOutcomes) {
    design::TensionOutcome tension;
    tension.rows.push_back({3, -50, 100, 322.58064516129, true, ""});
    tension.rows.push_back({7, -50, 166.666666666667, 322.58064516129, false, ""});
    const TableRows t = TensionRows(tension, 2);
    EXPECT_EQ(t.title, "Design of Tension Members");
    EXPECT_EQ(t.headings, (std::vector<std::string>{"#", "Actual Stress", "Required Area", "Outcome"}));
    EXPECT_EQ(Texts(t.rows[0]), (std::vector<std::string>{" 3", "+1.00 E+02", "+3.23 E+02", "OK"}));
    EXPECT_EQ(Texts(t.rows[1]), (std::vector<std::string>{" 7", "+1.67 E+02", "+3.23 E+02", "Failed"}));
    EXPECT_EQ(*t.rows[1][0].number, 7);
    EXPECT_EQ(*t.rows[1][1].number, 166.666666666667);

    design::CompressionOutcome compression;
    compression.rows.push_back({2, 20, 40, 79.21, 100, true, ""});
    const TableRows c = CompressionRows(compression, 3);
    EXPECT_EQ(c.title, "Design of Compression Members");
    EXPECT_EQ(c.headings, (std::vector<std::string>{"#", "Actual Stress", "Allow. Stress", "Outcome"}));
    EXPECT_EQ(Texts(c.rows[0]), (std::vector<std::string>{" 2", "+4.000 E+01", "+7.921 E+01", "OK"}));

    design::WeldOutcome welds;
    welds.rows.push_back({12, -100, 0.10963, ""});
    const TableRows w = WeldRows(welds, 3);
    EXPECT_EQ(w.title, "Fillet Weld Design");
    EXPECT_EQ(w.headings, (std::vector<std::string>{"#", "Required at Both Ends"}));
    EXPECT_EQ(Texts(w.rows[0]), (std::vector<std::string>{" 12", "+1.096 E-01"}));
    EXPECT_TRUE(WeldRows({}, 3).rows.empty());
}

} // namespace
} // namespace varlen::report
