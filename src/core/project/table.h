// A table of text cells with one heading row (row 0) and one row-header column (column 0): the model's
// joints, materials, sections, members and loads tables, and any grid of results.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace varlen::project {

class Table {
public:
    // `headings` names every column, column 0 included; the column count is their number.
    explicit Table(std::vector<std::string> headings = {});

    [[nodiscard]] int RowCount() const { return static_cast<int>(m_rows.size()) + 1; }
    [[nodiscard]] int EntryCount() const { return static_cast<int>(m_rows.size()); }
    [[nodiscard]] int ColumnCount() const { return static_cast<int>(m_headings.size()); }
    [[nodiscard]] const std::string& Heading(int column) const;

    // Rows that remain keep their cells; added rows start empty; shrinking drops the last rows.
    // A table always keeps its heading row, so a count below 1 is taken as 1.
    void SetRowCount(int rows);

    // Row 0 is the heading row (its cells are the headings). Reading outside the table gives "".
    [[nodiscard]] std::string_view Cell(int row, int column) const;
    // Writing row 0 or outside the table is a bug in the caller.
    void SetCell(int row, int column, std::string_view text);
    // Writes a whole data row at once (cells beyond `cells` become empty); the reader's fast path.
    void SetRow(int row, const std::vector<std::string_view>& cells);

    // Inserts an empty data row before `row` (1..RowCount(); RowCount() appends) / removes data row `row`.
    void InsertRow(int row);
    void RemoveRow(int row);

    friend bool operator==(const Table&, const Table&) = default;

private:
    // A data row is one string of length-prefixed cells, not a vector of strings: a million-row table
    // then costs one allocation a row, not one a cell.
    static std::string EncodeRow(const std::vector<std::string_view>& cells, int columns);
    [[nodiscard]] bool IsDataCell(int row, int column) const;

    std::vector<std::string> m_headings;
    std::vector<std::string> m_rows; // m_rows[r - 1] holds data row r
};

} // namespace varlen::project
