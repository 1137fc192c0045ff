// Edits as values: every edit's inverse restores the project exactly, whatever came before, so undo can
// be a stack of inverses; refused edits change nothing.
#include <random>

#include <gtest/gtest.h>

#include "document/edit.h"
#include "test_support.h"

namespace varlen::document {
namespace {

project::Project Sample() {
    return test::MakeProject({{0, 0, true, true}, {4, 0, false, true}, {2, 2}, {6, 2}, {8, 0, false, true}},
                             {{1, 2}, {2, 3}, {3, 1}, {3, 4}, {2, 4, 1, 2}, {4, 5, 2, 1}, {2, 5}},
                             {{3, 0, -10}, {4, 5, 0}}, {205, 70}, {1000, 500});
}

// A random edit of any kind, on any table and row, valid or not.
Edit RandomEdit(std::mt19937& random, const project::Project& p) {
    const auto table = static_cast<TableId>(random() % 5);
    const int rows = project::TableOf(p, table).RowCount();
    const int row = 1 + static_cast<int>(random() % static_cast<unsigned>(rows + 1));
    RowCells cells;
    for (int c = FirstDataColumn(table); c < project::TableOf(p, table).ColumnCount(); ++c)
        cells.push_back(std::to_string(1 + random() % 5));
    switch (random() % 6) {
    case 5:
        return DropLastRowEdit{table};
    case 0:
        return SetRowEdit{table, row, cells};
    case 1:
        return InsertRowEdit{table, row, cells};
    case 2:
        return RemoveRowEdit{table, row};
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
