// The row-editing rules the five table editors share: append, insert, edit and remove, the add
// button's caption as the editor's mode, the next-number box, and references kept whole when rows move.
// The windows bind these to widgets; nothing here knows about them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/edit.h"
#include "project/project.h"

namespace varlen::document {
class ProjectDocument;
}

namespace varlen::editing {

using TableKind = project::TableId;

// "&Add >" and "Insert >" both mean a new row (which of the two the add does depends on the current
// row, not on the caption); "&Edit >" means a row was picked for editing.
enum class AddCaption { Add, Insert, Edit };
[[nodiscard]] const char* CaptionText(AddCaption caption);

enum class AddKind { Appended, Inserted, Edited };
struct AddOutcome {
    AddKind kind = AddKind::Appended;
    int row = 0;         // the row written, now current and selected
    document::Edit edit; // what was applied, and what undoes it
    document::Edit inverse;
};

// What a click on a row does: in new-row mode it loads the row into the fields; in edit mode it leaves
// edit mode without writing.
enum class ClickOutcome { LoadRow, LeftEdit, Ignored };

// One editor window's state over one table: its current row, its mode and its next number. It reads
// the project and changes it only through the document, as edits.
class TableEditor {
public:
    TableEditor(const project::Project& project, TableKind kind);

    // The state of a freshly loaded window: row 1 current (the heading for an empty table), new-row mode.
    void Reset();
    // After a project was opened: the last row current and the next number one past it.
    void AfterOpen();

    [[nodiscard]] const project::Table& Table() const;
    // The loads editor works on one load case's joint loads at a time (1, the joint loads table, until
    // another is chosen; back to 1 when the case is not there). Choosing one starts afresh on it.
    void SetLoadCase(int loadCase);
    [[nodiscard]] int LoadCase() const { return m_loadCase; }
    [[nodiscard]] int CurrentRow() const { return m_currentRow; }
    [[nodiscard]] AddCaption Caption() const { return m_caption; }
    // The number the next appended row gets (none for the loads table, whose rows carry joint numbers).
    [[nodiscard]] int NextNumber() const { return m_nextNumber; }
    [[nodiscard]] bool HasNextNumber() const { return m_kind != TableKind::Loads; }
    [[nodiscard]] bool CanRemove() const { return Table().RowCount() >= 2; }

    // The user moved to another row: with more than one entry the caption becomes "Insert >" strictly
    // inside the table and "&Add >" on its first or last row (which also leaves edit mode).
    void SetCurrentRow(int row);
    ClickOutcome Click(int row);

    // The table changed by other means than this editor (an undo or redo): the current row is kept
    // within the table and edit mode left, since the row being edited may be another now. True when
    // edit mode was left.
    bool Follow();

    // The data cells of a row, in column order from the first data column (column 2; column 1 for loads).
    [[nodiscard]] std::vector<std::string> RowFields(int row) const;

    // Writes `fields` (same order as RowFields; numbers are normalised, so "2.50" becomes "2.5" and ""
    // becomes "0") through the document, by the mode: overwrite in edit mode, append when the current
    // row is the last, otherwise insert before the current row. Rows that move keep every reference to
    // them whole.
    AddOutcome Add(document::ProjectDocument& document, const std::vector<std::string>& fields);

    // Members and loads that still use the row (empty for members and loads): a row in use cannot be
    // removed, or the members would silently join other joints.
    [[nodiscard]] std::vector<std::string> UsersOf(int row) const;
    // Removes the row through the document (refused while in use); rows below move up with their
    // references. The inverse edit comes back, or nothing when refused.
    std::optional<document::Edit> Remove(document::ProjectDocument& document, int row);

private:
    [[nodiscard]] int FirstDataColumn() const { return document::FirstDataColumn(m_kind); }

    const project::Project& m_project;
    TableKind m_kind;
    int m_loadCase = 1;
    int m_currentRow = 1;
    AddCaption m_caption = AddCaption::Add;
    int m_nextNumber = 1;
};

// A cell read back into an editor's fields: a reference as the row it names (0 when it names none, as
// a blank, 2.5 or text would), a restraint code as fixed or free (exactly 1 is fixed).
[[nodiscard]] int RowReference(std::string_view cell);
[[nodiscard]] bool IsFixed(std::string_view cell);

// Key filters of the entry fields: each typed character is let through or discarded. Descriptions
// take letters, digits, blank, "-", ".", "/" and the braces of a radius of gyration ("{9.957}").
enum class KeyFilter { Description, SignedNumber, UnsignedNumber, Digits };
[[nodiscard]] bool AcceptsKey(KeyFilter filter, char32_t key);
inline constexpr char32_t kBackspace = 8;

} // namespace varlen::editing
