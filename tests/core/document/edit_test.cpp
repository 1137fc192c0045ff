// Edits as values: every edit's inverse restores the project exactly, whatever came before, so undo can
// be a stack of inverses; refused edits change nothing.
#include <random>

#include <gtest/gtest.h>

#include "document/edit.h"
#include "test_support.h"

namespace varlen::document {
namespace {

project::Table CaseLoads(const std::vector<std::vector<std::string>>& rows) {
    project::Table loads = project::EmptyLoadsTable();
    loads.SetRowCount(static_cast<int>(rows.size()) + 1);
    for (int r = 1; r <= static_cast<int>(rows.size()); ++r) {
        std::vector<std::string_view> cells{""};
        for (const std::string& cell : rows[static_cast<std::size_t>(r - 1)])
            cells.push_back(cell);
        loads.SetRow(r, cells);
    }
    return loads;
}

// With a second load case ("Wind") whose loads name joints 4 and 5, and a combination.
project::Project Sample() {
    project::Project p =
        test::MakeProject({{0, 0, true, true}, {4, 0, false, true}, {2, 2}, {6, 2}, {8, 0, false, true}},
                          {{1, 2}, {2, 3}, {3, 1}, {3, 4}, {2, 4, 1, 2}, {4, 5, 2, 1}, {2, 5}},
                          {{3, 0, -10}, {4, 5, 0}}, {205, 70}, {1000, 500});
    p.moreCases.push_back({"Wind", CaseLoads({{"4", "2", "8", "Suction"}, {"5", "0", "3", ""}})});
    project::Combination c{"D+W", project::EmptyFactorsTable()};
    c.factors.SetRowCount(3);
    c.factors.SetRow(1, {"", "1", "1"});
    c.factors.SetRow(2, {"", "2", "1.2"});
    p.combinations.push_back(c);
    return p;
}

// A random edit of any kind, on any table and row, valid or not.
Edit RandomEdit(std::mt19937& random, const project::Project& p) {
    const auto table = static_cast<TableId>(random() % 5);
    // The loads of any case, or of one that is not there.
    const int loadCase = table == TableId::Loads
                             ? 1 + static_cast<int>(random() % static_cast<unsigned>(p.CaseCount() + 1))
                             : 1;
    const project::Table* edited = EditedTable(p, table, loadCase);
    const int rows = edited ? edited->RowCount() : 1;
    const int row = 1 + static_cast<int>(random() % static_cast<unsigned>(rows + 1));
    RowCells cells;
    for (int c = FirstDataColumn(table); c < project::TableOf(p, table).ColumnCount(); ++c)
        cells.push_back(std::to_string(1 + random() % 5));
    switch (random() % 7) {
    case 6: {
        SetLoadCasesEdit cases{"Case " + std::to_string(random() % 3), p.moreCases, p.combinations};
        if (random() % 2)
            cases.moreCases.push_back(
                {"Imposed", CaseLoads({{std::to_string(1 + random() % 5), "0", "-4", ""}})});
        else if (!cases.moreCases.empty())
            cases.moreCases.pop_back();
        return cases;
    }
    case 5:
        return DropLastRowEdit{table, loadCase};
    case 0:
        return SetRowEdit{table, row, cells, std::nullopt, loadCase};
    case 1:
        return InsertRowEdit{table, row, cells, std::nullopt, loadCase};
    case 2:
        return RemoveRowEdit{table, row, loadCase};
    case 3:
        return SetTitleEdit{static_cast<TitleField>(random() % 5), "text " + std::to_string(random() % 100)};
    default:
        return ReplaceProjectEdit{random() % 2 ? project::NewProject() : Sample()};
    }
}

// A mistake in any inverse (a reference shifted one way and not back, a row number left behind, a cell
// lost on removal) leaves the project different after undoing everything.
TEST(Edit, UndoingEveryEditInReverseRestoresTheProjectExactly) {
    std::mt19937 random(42);
    for (int run = 0; run < 200; ++run) {
        // Half the runs start from a new project, whose blank rows carry no number of their own.
        project::Project p = run % 2 ? Sample() : project::NewProject();
        const project::Project original = p;
        std::vector<Edit> inverses;
        for (int step = 0; step < 12; ++step) {
            const project::Project before = p;
            ApplyOutcome outcome = ApplyEdit(p, RandomEdit(random, p));
            if (!outcome.applied) {
                EXPECT_EQ(p, before) << "a refused edit must change nothing";
                continue;
            }
            inverses.push_back(std::move(outcome.inverse));
        }
        for (auto it = inverses.rbegin(); it != inverses.rend(); ++it) {
            ApplyOutcome undone = ApplyEdit(p, *it);
            ASSERT_TRUE(undone.applied) << undone.refusal;
        }
        EXPECT_EQ(p, original) << "run " << run;
    }
}

TEST(Edit, InsertingAJointKeepsMembersAndLoadsOnTheirJoints) {
    project::Project p = Sample();
    const ApplyOutcome outcome =
        ApplyEdit(p, InsertRowEdit{TableId::Joints, 2, {"1", "1", "new", "0", "0", ""}});
    ASSERT_TRUE(outcome.applied);
    EXPECT_EQ(p.joints.Cell(3, 1), "3") << "rows after the insert are renumbered";
    EXPECT_EQ(p.members.Cell(1, 3), "3") << "member 1 still ends at the old joint 2";
    EXPECT_EQ(p.loads.Cell(1, 1), "4");
    // The members and loads tables are reported as changed, so their grids refresh.
    bool membersChanged = false;
    for (const TableChange& c : outcome.changes.tables)
        membersChanged |= c.table == TableId::Members;
    EXPECT_TRUE(membersChanged);
}

// The other cases' loads name joints as the joint loads do: they move with an insert or removal, and
// a joint one of them names cannot be removed.
TEST(Edit, JointsMoveUnderEveryCasesLoads) {
    project::Project p = Sample();
    const ApplyOutcome inserted =
        ApplyEdit(p, InsertRowEdit{TableId::Joints, 2, {"1", "1", "new", "0", "0", ""}});
    ASSERT_TRUE(inserted.applied);
    EXPECT_EQ(p.moreCases[0].loads.Cell(1, 1), "5");
    EXPECT_EQ(p.moreCases[0].loads.Cell(2, 1), "6");
    EXPECT_TRUE(inserted.changes.loadCases);
    ASSERT_TRUE(ApplyEdit(p, inserted.inverse).applied);
    EXPECT_EQ(p, Sample());

    const ApplyOutcome removed = ApplyEdit(p, RemoveRowEdit{TableId::Joints, 5});
    EXPECT_FALSE(removed.applied);
    EXPECT_EQ(removed.refusal,
              "Row 5 is still used by member 6 (joint j), member 7 (joint j), load 2 of case 2 "
              "(joint).");
}

// The joint loads editor edits any case's loads: row edits name the case, and their inverses too.
TEST(Edit, RowEditsOfALaterCasesLoads) {
    project::Project p = Sample();
    const ApplyOutcome added =
        ApplyEdit(p, SetRowEdit{TableId::Loads, 3, {"1", "0", "-2", "Snow"}, std::nullopt, 2});
    ASSERT_TRUE(added.applied) << added.refusal;
    EXPECT_EQ(p.moreCases[0].loads.EntryCount(), 3);
    EXPECT_EQ(p.loads.EntryCount(), 2) << "case 1 is untouched";
    EXPECT_TRUE(added.changes.loadCases);
    ASSERT_EQ(added.changes.tables.size(), 1u);
    EXPECT_EQ(added.changes.tables[0].loadCase, 2);
    ASSERT_TRUE(ApplyEdit(p, added.inverse).applied);
    EXPECT_EQ(p, Sample());
    const ApplyOutcome missing = ApplyEdit(p, RemoveRowEdit{TableId::Loads, 1, 3});
    EXPECT_FALSE(missing.applied);
    EXPECT_EQ(missing.refusal, "There is no load case 3.");
}

TEST(Edit, LoadCasesAreReplacedAndRestoredWhole) {
    project::Project p = Sample();
    SetLoadCasesEdit renamed{"Dead", p.moreCases, {}};
    renamed.moreCases[0].name = "Wind uplift";
    const ApplyOutcome outcome = ApplyEdit(p, renamed);
    ASSERT_TRUE(outcome.applied);
    EXPECT_TRUE(outcome.changes.loadCases);
    EXPECT_TRUE(outcome.changes.tables.empty());
    EXPECT_EQ(p.CaseName(1), "Dead");
    EXPECT_EQ(p.CaseName(2), "Wind uplift");
    EXPECT_TRUE(p.combinations.empty());
    ASSERT_TRUE(ApplyEdit(p, outcome.inverse).applied);
    EXPECT_EQ(p, Sample());
}

TEST(Edit, RemovingARowInUseIsRefusedNamingItsUsers) {
    project::Project p = Sample();
    const project::Project before = p;
    const ApplyOutcome outcome = ApplyEdit(p, RemoveRowEdit{TableId::Materials, 2});
    EXPECT_FALSE(outcome.applied);
    EXPECT_EQ(outcome.refusal, "Row 2 is still used by member 6 (material).");
    EXPECT_EQ(p, before);
}

} // namespace
} // namespace varlen::document
