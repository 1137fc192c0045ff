#include "document/edit.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <tuple>

#include "project/number_text.h"

namespace varlen::document {
namespace {

namespace mc = project::member_col;
namespace lc = project::load_col;

// The cells of another table that refer to rows of a table, and what they are called in a message.
struct Reference {
    TableId table;
    int column;
    const char* what; // "member", "load"
    const char* role; // "joint i", ...
};

std::vector<Reference> ReferencesTo(TableId table) {
    switch (table) {
    case TableId::Joints:
        return {{TableId::Members, mc::JointI, "member", "joint i"},
                {TableId::Members, mc::JointJ, "member", "joint j"},
                {TableId::Loads, lc::Joint, "load", "joint"}};
    case TableId::Materials:
        return {{TableId::Members, mc::Material, "member", "material"}};
    case TableId::Sections:
        return {{TableId::Members, mc::Section, "member", "cross-section"}};
    case TableId::Members:
    case TableId::Loads:
        return {};
    }
    return {};
}

bool IsShifted(double value, int from) {
    return value >= from && value == std::floor(value);
}

// The tables with a whole-number reference to a row at or after `from`, reported whole, as any of
// their rows may change when the references move.
void ReferenceChanges(const project::Project& project, TableId table, int from, ChangeSet& changes) {
    std::vector<TableId> touched;
    for (const Reference& ref : ReferencesTo(table)) {
        if (std::find(touched.begin(), touched.end(), ref.table) != touched.end()) continue;
        const project::Table& cells = project::TableOf(project, ref.table);
        for (int r = 1; r < cells.RowCount(); ++r)
            if (IsShifted(project::ReadNumber(cells.Cell(r, ref.column)), from)) {
                touched.push_back(ref.table);
                break;
            }
    }
    for (TableId t : touched)
        changes.tables.push_back(
            {t, TableChange::Kind::RowsChanged, 1, project::TableOf(project, t).EntryCount()});
    // The loads of the other cases name joints too.
    if (table == TableId::Joints)
        for (const project::LoadCase& c : project.moreCases)
            for (int r = 1; r < c.loads.RowCount(); ++r)
                if (IsShifted(project::ReadNumber(c.loads.Cell(r, lc::Joint)), from))
                    changes.loadCases = true;
}

// Adds `delta` to every whole-number reference to a row at or after `from`.
void ShiftReferences(project::Project& project, TableId table, int from, int delta) {
    for (const Reference& ref : ReferencesTo(table)) {
        project::Table& cells = project::TableOf(project, ref.table);
        for (int r = 1; r < cells.RowCount(); ++r) {
            const double value = project::ReadNumber(cells.Cell(r, ref.column));
            if (IsShifted(value, from))
                cells.SetCell(r, ref.column, std::to_string(static_cast<long long>(value) + delta));
        }
    }
    if (table != TableId::Joints) return;
    for (project::LoadCase& c : project.moreCases)
        for (int r = 1; r < c.loads.RowCount(); ++r) {
            const double value = project::ReadNumber(c.loads.Cell(r, lc::Joint));
            if (IsShifted(value, from))
                c.loads.SetCell(r, lc::Joint, std::to_string(static_cast<long long>(value) + delta));
        }
}

RowCells CellsOf(const project::Table& table, TableId id, int row) {
    RowCells cells;
    for (int c = FirstDataColumn(id); c < table.ColumnCount(); ++c)
        cells.emplace_back(table.Cell(row, c));
    return cells;
}

std::optional<std::string> NumberOf(const project::Table& table, TableId id, int row) {
    if (id == TableId::Loads) return std::nullopt;
    return std::string(table.Cell(row, 1));
}

void WriteCells(project::Table& table, TableId id, int row, const RowCells& cells,
                const std::optional<std::string>& number) {
    if (id != TableId::Loads) table.SetCell(row, 1, number ? *number : std::to_string(row));
    const int first = FirstDataColumn(id);
    for (int c = first; c < table.ColumnCount(); ++c) {
        const auto i = static_cast<std::size_t>(c - first);
        table.SetCell(row, c, i < cells.size() ? cells[i] : std::string());
    }
}

// A new project's blank row carries no number until it is filled, and keeps none when rows move.
void Renumber(project::Table& table, TableId id, int from) {
    if (id == TableId::Loads) return;
    for (int r = from; r < table.RowCount(); ++r)
        if (!table.Cell(r, 1).empty()) table.SetCell(r, 1, std::to_string(r));
}

std::string& TitleText(project::TitleBlock& title, TitleField field) {
    switch (field) {
    case TitleField::Project:
        return title.project;
    case TitleField::Title:
        return title.title;
    case TitleField::Designer:
        return title.designer;
    case TitleField::Date:
        return title.date;
    case TitleField::DrawingNo:
        return title.drawingNo;
    }
    return title.project;
}

ApplyOutcome NoCase(int loadCase) {
    ApplyOutcome outcome;
    outcome.refusal = "There is no load case " + std::to_string(loadCase) + ".";
    return outcome;
}

ApplyOutcome Refuse(std::string why) {
    ApplyOutcome outcome;
    outcome.refusal = std::move(why);
    return outcome;
}

// Each edit is checked, its changes worked out, `before` told of them (while the project is still as
// it was, so that a view can announce rows about to come or go), and only then carried out.
struct Applier {
    project::Project& project;
    const std::function<void(const ChangeSet&)>& before;

    void Announce(const ChangeSet& changes) const {
        if (before) before(changes);
    }

    ApplyOutcome operator()(const SetRowEdit& e) const {
        project::Table* edited = EditedTable(project, e.table, e.loadCase);
        if (!edited) return NoCase(e.loadCase);
        project::Table& table = *edited;
        if (e.row < 1 || e.row > table.RowCount())
            return Refuse("There is no row " + std::to_string(e.row) + ".");
        ApplyOutcome outcome;
        outcome.applied = true;
        const bool append = e.row == table.RowCount();
        outcome.changes.tables.push_back(
            {e.table, append ? TableChange::Kind::RowsInserted : TableChange::Kind::RowsChanged, e.row, 1,
             e.loadCase});
        outcome.changes.loadCases = e.loadCase > 1;
        Announce(outcome.changes);
        if (append) {
            table.SetRowCount(e.row + 1);
            outcome.inverse = DropLastRowEdit{e.table, e.loadCase};
        } else {
            outcome.inverse = SetRowEdit{e.table, e.row, CellsOf(table, e.table, e.row),
                                         NumberOf(table, e.table, e.row), e.loadCase};
        }
        WriteCells(table, e.table, e.row, e.cells, e.number);
        return outcome;
    }

    ApplyOutcome operator()(const InsertRowEdit& e) const {
        project::Table* edited = EditedTable(project, e.table, e.loadCase);
        if (!edited) return NoCase(e.loadCase);
        project::Table& table = *edited;
        if (e.row < 1 || e.row > table.RowCount())
            return Refuse("There is no row " + std::to_string(e.row) + ".");
        ApplyOutcome outcome;
        outcome.applied = true;
        outcome.changes.tables.push_back({e.table, TableChange::Kind::RowsInserted, e.row, 1, e.loadCase});
        outcome.changes.loadCases = e.loadCase > 1;
        // The rows after it, renumbered (as they will stand once the new row is in).
        if (e.table != TableId::Loads && e.row < table.RowCount())
            outcome.changes.tables.push_back(
                {e.table, TableChange::Kind::RowsChanged, e.row + 1, table.RowCount() - e.row});
        ReferenceChanges(project, e.table, e.row, outcome.changes);
        Announce(outcome.changes);
        table.InsertRow(e.row);
        Renumber(table, e.table, e.row + 1);
        WriteCells(table, e.table, e.row, e.cells, e.number);
        ShiftReferences(project, e.table, e.row, +1);
        outcome.inverse = RemoveRowEdit{e.table, e.row, e.loadCase};
        return outcome;
    }

    ApplyOutcome operator()(const RemoveRowEdit& e) const {
        project::Table* edited = EditedTable(project, e.table, e.loadCase);
        if (!edited) return NoCase(e.loadCase);
        project::Table& table = *edited;
        if (e.row < 1 || e.row >= table.RowCount())
            return Refuse("There is no row " + std::to_string(e.row) + ".");
        const std::vector<std::string> users = UsersOf(project, e.table, e.row);
        if (!users.empty()) {
            std::string list;
            for (const std::string& user : users)
                list += (list.empty() ? "" : ", ") + user;
            return Refuse("Row " + std::to_string(e.row) + " is still used by " + list + ".");
        }
        ApplyOutcome outcome;
        outcome.applied = true;
        outcome.changes.tables.push_back({e.table, TableChange::Kind::RowsRemoved, e.row, 1, e.loadCase});
        outcome.changes.loadCases = e.loadCase > 1;
        // The rows after it, renumbered (as they will stand once it is gone).
        if (e.table != TableId::Loads && e.row + 1 < table.RowCount())
            outcome.changes.tables.push_back(
                {e.table, TableChange::Kind::RowsChanged, e.row, table.RowCount() - e.row - 1});
        ReferenceChanges(project, e.table, e.row + 1, outcome.changes);
        Announce(outcome.changes);
        outcome.inverse = InsertRowEdit{e.table, e.row, CellsOf(table, e.table, e.row),
                                        NumberOf(table, e.table, e.row), e.loadCase};
        table.RemoveRow(e.row);
        Renumber(table, e.table, e.row);
        ShiftReferences(project, e.table, e.row + 1, -1);
        return outcome;
    }

    ApplyOutcome operator()(const DropLastRowEdit& e) const {
        project::Table* edited = EditedTable(project, e.table, e.loadCase);
        if (!edited) return NoCase(e.loadCase);
        project::Table& table = *edited;
        const int row = table.RowCount() - 1;
        if (row < 1) return Refuse("The table has no rows.");
        ApplyOutcome outcome;
        outcome.applied = true;
        outcome.changes.tables.push_back({e.table, TableChange::Kind::RowsRemoved, row, 1, e.loadCase});
        outcome.changes.loadCases = e.loadCase > 1;
        Announce(outcome.changes);
        outcome.inverse =
            SetRowEdit{e.table, row, CellsOf(table, e.table, row), NumberOf(table, e.table, row), e.loadCase};
        table.SetRowCount(row);
        return outcome;
    }

    ApplyOutcome operator()(const ReplaceProjectEdit& e) const {
        ApplyOutcome outcome;
        outcome.applied = true;
        outcome.changes.replaced = true;
        outcome.changes.title = true;
        Announce(outcome.changes);
        outcome.inverse = ReplaceProjectEdit{std::move(project)};
        project = e.project;
        return outcome;
    }

    ApplyOutcome operator()(const SetLoadCasesEdit& e) const {
        ApplyOutcome outcome;
        outcome.applied = true;
        outcome.changes.loadCases = true;
        Announce(outcome.changes);
        outcome.inverse = SetLoadCasesEdit{std::move(project.firstCaseName), std::move(project.moreCases),
                                           std::move(project.combinations)};
        project.firstCaseName = e.firstCaseName;
        project.moreCases = e.moreCases;
        project.combinations = e.combinations;
        return outcome;
    }

    ApplyOutcome operator()(const SetTitleEdit& e) const {
        ApplyOutcome outcome;
        outcome.applied = true;
        outcome.changes.title = true;
        Announce(outcome.changes);
        std::string& text = TitleText(project.title, e.field);
        outcome.inverse = SetTitleEdit{e.field, text};
        text = e.text;
        return outcome;
    }
};

} // namespace

project::Table* EditedTable(project::Project& project, TableId table, int loadCase) {
    if (table != TableId::Loads || loadCase == 1) return &project::TableOf(project, table);
    if (loadCase < 2 || loadCase > project.CaseCount()) return nullptr;
    return &project.moreCases[static_cast<std::size_t>(loadCase) - 2].loads;
}

const project::Table* EditedTable(const project::Project& project, TableId table, int loadCase) {
    return EditedTable(const_cast<project::Project&>(project), table, loadCase);
}

ApplyOutcome ApplyEdit(project::Project& project, const Edit& edit,
                       const std::function<void(const ChangeSet&)>& before) {
    return std::visit(Applier{project, before}, edit);
}

std::vector<std::string> UsersOf(const project::Project& project, TableId table, int row) {
    // Listed table by table and row by row, so the message reads in the order the tables are shown.
    struct User {
        int table, row, role;
        std::string text;
    };
    std::vector<User> found;
    const std::vector<Reference> references = ReferencesTo(table);
    for (std::size_t i = 0; i < references.size(); ++i) {
        const Reference& ref = references[i];
        const project::Table& cells = project::TableOf(project, ref.table);
        for (int r = 1; r < cells.RowCount(); ++r) {
            if (project::ReadNumber(cells.Cell(r, ref.column)) == row)
                found.push_back({static_cast<int>(ref.table), r, static_cast<int>(i),
                                 std::string(ref.what) + " " + std::to_string(r) + " (" + ref.role + ")"});
        }
    }
    std::sort(found.begin(), found.end(), [](const User& a, const User& b) {
        return std::tie(a.table, a.row, a.role) < std::tie(b.table, b.row, b.role);
    });
    std::vector<std::string> users;
    for (User& user : found)
        users.push_back(std::move(user.text));
    if (table == TableId::Joints)
        for (int c = 2; c <= project.CaseCount(); ++c) {
            const project::Table& loads = project.CaseLoads(c);
            for (int r = 1; r < loads.RowCount(); ++r)
                if (project::ReadNumber(loads.Cell(r, lc::Joint)) == row)
                    users.push_back("load " + std::to_string(r) + " of case " + std::to_string(c) +
                                    " (joint)");
        }
    return users;
}

} // namespace varlen::document
