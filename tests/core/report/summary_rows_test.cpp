// The results summary against a hand-solved triangle: lengths from the joints, forces, stresses from each
// member's own section, reactions only where restrained, and loads that balance the reactions.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "report/summary_rows.h"
#include "test_support.h"

namespace varlen::report {
namespace {

// A 4 m by 2 m triangle with 10 kN down at its apex, pinned at joint 1 and on a roller at joint 2: the
// tie (member 1, section 2 of 500 mm²) carries +5 kN, the rafters (1000 mm²) -7.071 kN, each support
// 5 kN up.
project::Project Triangle() {
    project::Project p = test::MakeProject({{0, 0, true, true}, {4, 0, false, true}, {2, 2, false, false}},
                                           {{1, 2, 1, 2}, {2, 3}, {3, 1}}, {{3, 0, -10}}, {200}, {1000, 500});
    p.sections.SetCell(2, project::section_col::Description, "Tie, 500 mm2");
    return p;
}

std::vector<std::string> Texts(const Row& row) {
    std::vector<std::string> texts;
    for (const Cell& cell : row)
        texts.push_back(cell.text);
    return texts;
}

using Strings = std::vector<std::string>;

TEST(SummaryRows, NumbersFixedPointUnlessTheyWouldNotFit) {
    EXPECT_EQ(SummaryNumberText(-7.0710678, 3), "-7.071");
    EXPECT_EQ(SummaryNumberText(0, 3), "0.000");
    EXPECT_EQ(SummaryNumberText(-0.0, 2), "0.00"); // never "-0.00"
    EXPECT_EQ(SummaryNumberText(12.5, 0), "12");   // printf's rounding of a tie; the text stays fixed
    EXPECT_EQ(SummaryNumberText(0.001, 3), "0.001");
    // Shown in fixed-point these would read 0.000 and lose the value, or run across the column.
    EXPECT_EQ(SummaryNumberText(0.0004, 3), "+4.000 E-04");
    EXPECT_EQ(SummaryNumberText(-2.5e9, 1), "-2.5 E+09");
    const Cell cell = SummaryNumberCell(123.456, 1);
    EXPECT_EQ(cell.text, "123.5");
    EXPECT_EQ(*cell.number, 123.456);
}

TEST(SummaryRows, MembersMatchTheHandSolution) {
    const project::Project p = Triangle();
    const analysis::Results r = test::AnalyseOrFail(p);
    const TableRows table = SummaryMemberRows(p, &r, 3);
    EXPECT_EQ(table.headings, (Strings{"#", "Joint i", "Joint j", "Length (m)", "Axial force (kN)", "T/C",
                                       "Stress (N/mm\u00b2)", "Section"}));
    ASSERT_EQ(table.rows.size(), 3u);
    // A stress from the wrong section (1000 mm² instead of 500) would read 5.000; a length in mm 4000.
    EXPECT_EQ(Texts(table.rows[0]),
              (Strings{"1", "1", "2", "4.000", "5.000", "T", "10.000", "Tie, 500 mm2"}));
    EXPECT_EQ(Texts(table.rows[1]), (Strings{"2", "2", "3", "2.828", "-7.071", "C", "-7.071", "Section"}));
    EXPECT_NEAR(*table.rows[2][3].number, 2 * std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(*table.rows[2][4].number, -5 * std::sqrt(2.0), 1e-9);
    EXPECT_EQ(*table.rows[2][0].number, 3);
    EXPECT_FALSE(table.rows[2][5].number); // the words sort as text
}

TEST(SummaryRows, NeverAnalysedListsMembersAndJointsWithBlankResults) {
    const project::Project p = Triangle();
    const TableRows members = SummaryMemberRows(p, nullptr, 3);
    ASSERT_EQ(members.rows.size(), 3u);
    EXPECT_EQ(Texts(members.rows[1]), (Strings{"2", "2", "3", "2.828", "", "", "", "Section"}));
    EXPECT_FALSE(members.rows[1][4].number);
    const TableRows joints = SummaryJointRows(p, nullptr, 3);
    ASSERT_EQ(joints.rows.size(), 3u);
    EXPECT_EQ(Texts(joints.rows[2]), (Strings{"3", "", "", "", ""}));
    for (const Row& row : SummaryEquilibriumRows(p, nullptr, 3).rows)
        EXPECT_EQ(row[1].text, "");
}

TEST(SummaryRows, MemberAddedAfterTheAnalysisAndBadReferencesStayBlank) {
    project::Project p = Triangle();
    const analysis::Results r = test::AnalyseOrFail(p);
    p.members.SetRowCount(5);
    p.members.SetRow(4, {"", "4", "1", "9", "1", "7", "Brace"}); // joint 9 and section 7 do not exist
    const TableRows table = SummaryMemberRows(p, &r, 2);
    ASSERT_EQ(table.rows.size(), 4u);
    EXPECT_EQ(Texts(table.rows[3]), (Strings{"4", "1", "9", "", "", "", "", ""}));
}

TEST(SummaryRows, ReactionsOnlyInRestrainedDirections) {
    const project::Project p = Triangle();
    const analysis::Results r = test::AnalyseOrFail(p);
    const TableRows table = SummaryJointRows(p, &r, 3);
    EXPECT_EQ(table.headings, (Strings{"#", "dx (mm)", "dy (mm)", "Rx (kN)", "Ry (kN)"}));
    ASSERT_EQ(table.rows.size(), 3u);
    EXPECT_EQ(Texts(table.rows[0]), (Strings{"1", "0.000", "0.000", "0.000", "5.000"}));
    // The roller is free along X: no reaction there, and the joint moves.
    EXPECT_EQ(table.rows[1][3].text, "");
    EXPECT_EQ(table.rows[1][4].text, "5.000");
    EXPECT_GT(*table.rows[1][1].number, 0); // the tie stretches
    EXPECT_EQ(table.rows[2][3].text, "");
    EXPECT_EQ(table.rows[2][4].text, "");
    EXPECT_LT(*table.rows[2][2].number, 0);
}

TEST(SummaryRows, EquilibriumBalancesAndNamesTheExtremes) {
    const project::Project p = Triangle();
    const analysis::Results r = test::AnalyseOrFail(p);
    const TableRows table = SummaryEquilibriumRows(p, &r, 3);
    EXPECT_EQ(table.headings, (Strings{"Quantity", "Value (kN)", "Member"}));
    ASSERT_EQ(table.rows.size(), 8u);
    EXPECT_EQ(Texts(table.rows[1]), (Strings{"Sum of applied loads, Y", "-10.000", ""}));
    EXPECT_EQ(Texts(table.rows[3]), (Strings{"Sum of reactions, Y", "10.000", ""}));
    // The pin's X reaction is rounding (1e-15 kN); shown as it came it would read as a force.
    EXPECT_EQ(table.rows[2][1].text, "0.000");
    // A reaction with the wrong sign would double the load here instead of cancelling it.
    EXPECT_NEAR(*table.rows[5][1].number, 0, 1e-9);
    EXPECT_EQ(Texts(table.rows[6]), (Strings{"Largest tension", "5.000", "1"}));
    EXPECT_EQ(table.rows[7][1].text, "-7.071");
    // The rafters carry the same force to rounding; either may be named.
    EXPECT_TRUE(table.rows[7][2].text == "2" || table.rows[7][2].text == "3");
}

} // namespace
} // namespace varlen::report
