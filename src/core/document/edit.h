// Every change to a project is an Edit: a value that says what to change, applied in one place, which
// checks it, carries it out with every consequence (rows renumbered, references shifted), and gives
// back the edit that undoes it and a change set naming the table and rows touched.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "project/project.h"

namespace varlen::document {

using project::TableId;

// The cells of one data row from the first data column on (column 2, column 1 in the loads table, whose
// first column holds the loaded joint): the row's own number in column 1 is the document's to write.
using RowCells = std::vector<std::string>;

struct SetRowEdit {
    TableId table = TableId::Joints;
    int row = 1; // 1..RowCount(); RowCount() adds a row at the end
    RowCells cells;
    // Column 1 as it stood, when an undo must put back even a never-numbered blank row; otherwise the
    // row's own number.
    std::optional<std::string> number{};
    int loadCase = 1; // for the loads table: whose joint loads (1 is the joint loads table itself)
};
// A new row before `row` (RowCount() appends): the rows after it move down and every reference to them
// (members to joints, materials and sections; loads to joints) moves with them.
struct InsertRowEdit {
    TableId table = TableId::Joints;
    int row = 1;
    RowCells cells;
    std::optional<std::string> number{}; // as for SetRowEdit
    int loadCase = 1;                    // as for SetRowEdit
};
// Refused while a member or load still refers to the row: it would silently join other joints.
struct RemoveRowEdit {
    TableId table = TableId::Joints;
    int row = 1;
    int loadCase = 1; // as for SetRowEdit
};
// Drops the last row, touching no reference: the inverse of adding a row at the end, which shifted
// none (a reference to a joint not yet made, as a file may hold, stays as it was).
struct DropLastRowEdit {
    TableId table = TableId::Joints;
    int loadCase = 1; // as for SetRowEdit
};
// A whole project at once: New, Open, a DXF import.
struct ReplaceProjectEdit {
    project::Project project;
};
enum class TitleField { Project, Title, Designer, Date, DrawingNo };
struct SetTitleEdit {
    TitleField field = TitleField::Project;
    std::string text;
};

// The load cases after the first, the first one's name and the combinations, all at once: the load
// cases editor's add, rename, remove and factors, each undone as a whole.
struct SetLoadCasesEdit {
    std::string firstCaseName = project::kFirstCaseName;
    std::vector<project::LoadCase> moreCases;
    std::vector<project::Combination> combinations;
};

using Edit = std::variant<SetRowEdit, InsertRowEdit, RemoveRowEdit, DropLastRowEdit, ReplaceProjectEdit,
                          SetTitleEdit, SetLoadCasesEdit>;

// What an edit touched, for the windows to follow row by row instead of starting again.
struct TableChange {
    enum class Kind { RowsChanged, RowsInserted, RowsRemoved };
    TableId table = TableId::Joints;
    Kind kind = Kind::RowsChanged;
    int first = 1; // rows first .. first + count - 1 (before removal, for RowsRemoved)
    int count = 1;
    int loadCase = 1; // of the loads table: whose joint loads
};
struct ChangeSet {
    std::vector<TableChange> tables;
    bool replaced = false; // every table and the title block are new
    bool title = false;
    bool loadCases = false; // a case after the first, a case's name or a combination
};

struct ApplyOutcome {
    bool applied = false;
    std::string refusal; // why not, in words for the user
    Edit inverse;        // applying it restores the project exactly
    ChangeSet changes;
};

// Applies `edit` to `project`. A refused edit changes nothing. `before`, when given, hears the changes
// just before they are made (a view announces rows about to come or go while they still stand).
[[nodiscard]] ApplyOutcome ApplyEdit(project::Project& project, const Edit& edit,
                                     const std::function<void(const ChangeSet&)>& before = {});

// Members and loads that refer to the row, "member 3 (joint i)", table by table and row by row, then
// the loads of the cases after the first ("load 2 of case 3 (joint)"): a row in use cannot be removed.
[[nodiscard]] std::vector<std::string> UsersOf(const project::Project& project, TableId table, int row);

// The table an edit of `table` works on: for the loads table, the joint loads of `loadCase` (1 is the
// joint loads table itself); nothing when there is no such case.
[[nodiscard]] project::Table* EditedTable(project::Project& project, TableId table, int loadCase);
[[nodiscard]] const project::Table* EditedTable(const project::Project& project, TableId table, int loadCase);

// The first data column of a table (1 for loads, whose rows carry no number of their own).
[[nodiscard]] inline int FirstDataColumn(TableId table) {
    return table == TableId::Loads ? 1 : 2;
}

} // namespace varlen::document
