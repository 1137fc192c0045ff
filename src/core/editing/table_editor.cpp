#include "editing/table_editor.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <tuple>

#include "document/project_document.h"
#include "project/number_text.h"

namespace varlen::editing {
namespace {

enum class Cell { Number, Text, Code };

// How each data column is stored, from the first data column on.
std::vector<Cell> Columns(TableKind kind) {
    switch (kind) {
    case TableKind::Joints:
        return {Cell::Number, Cell::Number, Cell::Text, Cell::Code, Cell::Code, Cell::Text};
    case TableKind::Materials:
    case TableKind::Sections:
        return {Cell::Number, Cell::Text};
    case TableKind::Members:
        return {Cell::Number, Cell::Number, Cell::Number, Cell::Number, Cell::Text};
    case TableKind::Loads:
        return {Cell::Number, Cell::Number, Cell::Number, Cell::Text};
    }
    return {};
}

std::string Normalised(const std::string& text, Cell cell) {
    switch (cell) {
    case Cell::Text:
        return text;
    case Cell::Code:
        return project::ReadNumber(text) == 1 ? "1" : "0";
    case Cell::Number: {
        const double value = project::ReadNumber(text);
        return std::isfinite(value) ? project::FormatGeneral(value) : "0";
    }
    }
    return text;
}

} // namespace

const char* CaptionText(AddCaption caption) {
    switch (caption) {
    case AddCaption::Add:
        return "&Add >";
    case AddCaption::Insert:
        return "Insert >";
    case AddCaption::Edit:
        return "&Edit >";
    }
    return "";
}

TableEditor::TableEditor(const project::Project& project, TableKind kind) : m_project(project), m_kind(kind) {
    Reset();
}

const project::Table& TableEditor::Table() const {
    const project::Table* table = document::EditedTable(m_project, m_kind, m_loadCase);
    return table ? *table : project::TableOf(m_project, m_kind);
}

void TableEditor::SetLoadCase(int loadCase) {
    m_loadCase = document::EditedTable(m_project, m_kind, loadCase) ? loadCase : 1;
    Reset();
}

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

bool TableEditor::Follow() {
    const project::Table& table = Table();
    const int last = table.RowCount() - 1;
    m_currentRow = std::clamp(m_currentRow, last >= 1 ? 1 : 0, last);
    // A table back to its one blank row (the first add undone) fills that row again.
    bool blank = last == 1;
    for (int c = FirstDataColumn(); blank && c < table.ColumnCount(); ++c)
        blank = table.Cell(1, c).empty();
    if (HasNextNumber()) m_nextNumber = blank ? 1 : table.RowCount();
    if (m_caption != AddCaption::Edit) return false;
    m_caption = AddCaption::Add;
    return true;
}

std::vector<std::string> TableEditor::RowFields(int row) const {
    std::vector<std::string> fields;
    for (int c = FirstDataColumn(); c < Table().ColumnCount(); ++c)
        fields.emplace_back(Table().Cell(row, c));
    return fields;
}

AddOutcome TableEditor::Add(document::ProjectDocument& document, const std::vector<std::string>& fields) {
    const std::vector<Cell> columns = Columns(m_kind);
    assert(fields.size() == columns.size());
    document::RowCells cells;
    for (std::size_t i = 0; i < columns.size(); ++i)
        cells.push_back(Normalised(i < fields.size() ? fields[i] : "", columns[i]));

    AddOutcome outcome;
    const int last = Table().RowCount() - 1;
    if (m_caption == AddCaption::Edit && m_currentRow >= 1) {
        outcome.kind = AddKind::Edited;
        outcome.row = m_currentRow;
        outcome.edit = document::SetRowEdit{m_kind, m_currentRow, std::move(cells), std::nullopt, m_loadCase};
    } else if (m_currentRow >= last) {
        // The next number is the row to fill: the blank row of a fresh table, otherwise one past the last.
        outcome.kind = AddKind::Appended;
        outcome.row = std::max(1, std::min(HasNextNumber() ? m_nextNumber : last + 1, last + 1));
        outcome.edit = document::SetRowEdit{m_kind, outcome.row, std::move(cells), std::nullopt, m_loadCase};
    } else {
        outcome.kind = AddKind::Inserted;
        outcome.row = std::max(m_currentRow, 1);
        outcome.edit =
            document::InsertRowEdit{m_kind, outcome.row, std::move(cells), std::nullopt, m_loadCase};
    }
    document::ApplyOutcome applied = document.Apply(outcome.edit);
    outcome.inverse = std::move(applied.inverse);
    m_currentRow = outcome.row;
    m_nextNumber = Table().RowCount();
    m_caption = AddCaption::Add;
    return outcome;
}

std::vector<std::string> TableEditor::UsersOf(int row) const {
    return document::UsersOf(m_project, m_kind, row);
}

std::optional<document::Edit> TableEditor::Remove(document::ProjectDocument& document, int row) {
    if (row < 1 || row >= Table().RowCount()) return std::nullopt;
    document::ApplyOutcome applied = document.Apply(document::RemoveRowEdit{m_kind, row, m_loadCase});
    if (!applied.applied) return std::nullopt;
    const project::Table& table = Table();
    if (HasNextNumber()) m_nextNumber = table.RowCount();
    m_currentRow = std::min(row, table.RowCount() - 1);
    const int last = table.RowCount() - 1;
    m_caption = table.RowCount() > 2 && m_currentRow > 1 && m_currentRow < last ? AddCaption::Insert
                                                                                : AddCaption::Add;
    return std::move(applied.inverse);
}

int RowReference(std::string_view cell) {
    const double value = project::ReadNumber(cell);
    return value >= 1 && value <= 1e9 && value == std::floor(value) ? static_cast<int>(value) : 0;
}

bool IsFixed(std::string_view cell) {
    return project::ReadNumber(cell) == 1;
}

bool AcceptsKey(KeyFilter filter, char32_t key) {
    if (key == kBackspace) return true;
    const bool digit = key >= U'0' && key <= U'9';
    switch (filter) {
    case KeyFilter::Description:
        // Braces let the user add a section's radius of gyration, {9.957}, which the strut check
        // reads and tells the user to add when it is missing.
        return digit || (key >= U'A' && key <= U'Z') || (key >= U'a' && key <= U'z') || key == U' ' ||
               key == U'-' || key == U'.' || key == U'/' || key == U'{' || key == U'}';
    case KeyFilter::SignedNumber:
        return digit || key == U'-' || key == U'.';
    case KeyFilter::UnsignedNumber:
        return digit || key == U'.';
    case KeyFilter::Digits:
        return digit;
    }
    return false;
}

} // namespace varlen::editing
