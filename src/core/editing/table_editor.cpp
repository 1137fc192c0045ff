#include "editing/table_editor.h"

#include <algorithm>
#include <cassert>
#include <tuple>
#include <cmath>

#include "project/number_text.h"

namespace varlen::editing {
namespace {

namespace jc = project::joint_col;
namespace mc = project::member_col;
namespace lc = project::load_col;

enum class Cell { Number, Text, Code };

// How each data column is stored, from the first data column on.
std::vector<Cell> Columns(TableKind kind) {
    switch (kind) {
    case TableKind::Joints: return {Cell::Number, Cell::Number, Cell::Text, Cell::Code, Cell::Code, Cell::Text};
    case TableKind::Materials:
    case TableKind::Sections: return {Cell::Number, Cell::Text};
    case TableKind::Members: return {Cell::Number, Cell::Number, Cell::Number, Cell::Number, Cell::Text};
    case TableKind::Loads: return {Cell::Number, Cell::Number, Cell::Number, Cell::Text};
    }
    return {};
}

std::string Normalised(const std::string& text, Cell cell) {
    switch (cell) {
    case Cell::Text: return text;
    case Cell::Code: return project::ReadNumber(text) == 1 ? "1" : "0";
    case Cell::Number: {
        const double value = project::ReadNumber(text);
        return std::isfinite(value) ? project::FormatGeneral(value) : "0";
    }
    }
    return text;
}

// The tables whose cells refer to rows of `kind`, and which columns.
struct Reference {
    project::Table project::Project::*table;
    int column;
    const char* what;   // "member", "load"
    const char* role;   // "joint i", ...
};

std::vector<Reference> ReferencesTo(TableKind kind) {
    switch (kind) {
    case TableKind::Joints:
        return {{&project::Project::members, mc::JointI, "member", "joint i"},
                {&project::Project::members, mc::JointJ, "member", "joint j"},
                {&project::Project::loads, lc::Joint, "load", "joint"}};
    case TableKind::Materials: return {{&project::Project::members, mc::Material, "member", "material"}};
    case TableKind::Sections: return {{&project::Project::members, mc::Section, "member", "cross-section"}};
    case TableKind::Members:
    case TableKind::Loads: return {};
    }
    return {};
}

} // namespace

const char* CaptionText(AddCaption caption) {
    switch (caption) {
    case AddCaption::Add: return "&Add >";
    case AddCaption::Insert: return "Insert >";
    case AddCaption::Edit: return "&Edit >";
    }
    return "";
}

TableEditor::TableEditor(project::Project& project, TableKind kind) : m_project(project), m_kind(kind) { Reset(); }

const project::Table& TableEditor::Table() const {
    switch (m_kind) {
    case TableKind::Joints: return m_project.joints;
    case TableKind::Materials: return m_project.materials;
    case TableKind::Sections: return m_project.sections;
    case TableKind::Members: return m_project.members;
    case TableKind::Loads: return m_project.loads;
    }
    return m_project.joints;
}

project::Table& TableEditor::MutableTable() { return const_cast<project::Table&>(Table()); }

void TableEditor::Reset() {
    m_currentRow = Table().RowCount() > 1 ? 1 : 0;
    m_caption = AddCaption::Add;
    // A fresh table's blank row is the one the first add fills.
    m_nextNumber = Table().RowCount() > 1 ? Table().RowCount() - 1 : 1;
}

void TableEditor::AfterOpen() {
    m_currentRow = Table().RowCount() - 1;
    m_caption = AddCaption::Add;
    m_nextNumber = Table().RowCount();
}

void TableEditor::SetCurrentRow(int row) {
    if (row < 0 || row >= Table().RowCount()) return;
    m_currentRow = row;
    const int last = Table().RowCount() - 1;
    if (Table().RowCount() > 2) m_caption = row > 1 && row < last ? AddCaption::Insert : AddCaption::Add;
}

ClickOutcome TableEditor::Click(int row) {
    if (row < 1 || row >= Table().RowCount()) return ClickOutcome::Ignored;
    m_currentRow = row;
    if (m_caption != AddCaption::Edit) {
        m_caption = AddCaption::Edit;
        if (HasNextNumber()) m_nextNumber = row;
        return ClickOutcome::LoadRow;
    }
    m_caption = AddCaption::Add;
    m_nextNumber = Table().RowCount();
    return ClickOutcome::LeftEdit;
}

std::vector<std::string> TableEditor::RowFields(int row) const {
    std::vector<std::string> fields;
    for (int c = FirstDataColumn(); c < Table().ColumnCount(); ++c) fields.emplace_back(Table().Cell(row, c));
    return fields;
}

void TableEditor::WriteRow(int row, const std::vector<std::string>& fields) {
    const std::vector<Cell> columns = Columns(m_kind);
    assert(fields.size() == columns.size());
    project::Table& table = MutableTable();
    if (m_kind != TableKind::Loads) table.SetCell(row, 1, std::to_string(row));
    for (std::size_t i = 0; i < columns.size() && i < fields.size(); ++i)
        table.SetCell(row, FirstDataColumn() + static_cast<int>(i), Normalised(fields[i], columns[i]));
    m_currentRow = row;
    m_nextNumber = table.RowCount();
}

AddOutcome TableEditor::Add(const std::vector<std::string>& fields) {
    project::Table& table = MutableTable();
    const int last = table.RowCount() - 1;
    if (m_caption == AddCaption::Edit && m_currentRow >= 1) {
        WriteRow(m_currentRow, fields);
        m_caption = AddCaption::Add;
        return {AddKind::Edited, m_currentRow};
    }
    if (m_currentRow >= last) {
        // The next number is the row to fill: the blank row of a fresh table, otherwise one past the last.
        const int row = std::max(1, std::min(HasNextNumber() ? m_nextNumber : last + 1, last + 1));
        if (row > last) table.SetRowCount(row + 1);
        WriteRow(row, fields);
        m_caption = AddCaption::Add;
        return {AddKind::Appended, row};
    }
    const int row = std::max(m_currentRow, 1);
    table.InsertRow(row);
    if (m_kind != TableKind::Loads)
        for (int r = row + 1; r < table.RowCount(); ++r) table.SetCell(r, 1, std::to_string(r));
    ShiftReferences(row, +1);
    WriteRow(row, fields);
    m_caption = AddCaption::Add;
    return {AddKind::Inserted, row};
}

std::vector<std::string> TableEditor::UsersOf(int row) const {
    // Listed table by table and row by row, so the message reads in the order the tables are shown.
    struct User {
        int table, row, role;
        std::string text;
    };
    std::vector<User> found;
    const std::vector<Reference> references = ReferencesTo(m_kind);
    for (std::size_t i = 0; i < references.size(); ++i) {
        const Reference& ref = references[i];
        const project::Table& table = m_project.*ref.table;
        const int tableOrder = ref.table == &project::Project::members ? 0 : 1;
        for (int r = 1; r < table.RowCount(); ++r) {
            if (project::ReadNumber(table.Cell(r, ref.column)) == row)
                found.push_back({tableOrder, r, static_cast<int>(i),
                                 std::string(ref.what) + " " + std::to_string(r) + " (" + ref.role + ")"});
        }
    }
    std::sort(found.begin(), found.end(), [](const User& a, const User& b) {
        return std::tie(a.table, a.row, a.role) < std::tie(b.table, b.row, b.role);
    });
    std::vector<std::string> users;
    for (User& user : found) users.push_back(std::move(user.text));
    return users;
}

void TableEditor::Remove(int row) {
    project::Table& table = MutableTable();
    if (row < 1 || row >= table.RowCount()) return;
    table.RemoveRow(row);
    if (m_kind != TableKind::Loads)
        for (int r = row; r < table.RowCount(); ++r) table.SetCell(r, 1, std::to_string(r));
    ShiftReferences(row + 1, -1);
    if (HasNextNumber()) m_nextNumber = table.RowCount();
    m_currentRow = std::min(row, table.RowCount() - 1);
    const int last = table.RowCount() - 1;
    m_caption = table.RowCount() > 2 && m_currentRow > 1 && m_currentRow < last ? AddCaption::Insert : AddCaption::Add;
}

void TableEditor::ShiftReferences(int from, int delta) {
    for (const Reference& ref : ReferencesTo(m_kind)) {
        project::Table& table = m_project.*ref.table;
        for (int r = 1; r < table.RowCount(); ++r) {
            const double value = project::ReadNumber(table.Cell(r, ref.column));
            if (value >= from && value == std::floor(value))
                table.SetCell(r, ref.column, std::to_string(static_cast<long long>(value) + delta));
        }
    }
}

bool AcceptsKey(KeyFilter filter, char32_t key) {
    if (key == kBackspace) return true;
    const bool digit = key >= U'0' && key <= U'9';
    switch (filter) {
    case KeyFilter::Description:
        // Braces let the user add a section's radius of gyration, {9.957}, which the strut check
        // reads and tells the user to add when it is missing.
        return digit || (key >= U'A' && key <= U'Z') || (key >= U'a' && key <= U'z') || key == U' ' || key == U'-' ||
               key == U'.' || key == U'/' || key == U'{' || key == U'}';
    case KeyFilter::SignedNumber: return digit || key == U'-' || key == U'.';
    case KeyFilter::UnsignedNumber: return digit || key == U'.';
    case KeyFilter::Digits: return digit;
    }
    return false;
}

} // namespace varlen::editing
