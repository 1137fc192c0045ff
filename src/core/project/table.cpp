#include "project/table.h"

#include <cassert>
#include <cstdint>
#include <cstring>

namespace varlen::project {
namespace {

// Cell encoding: a length byte, or 0xFF followed by a 4-byte little-endian length, then the bytes.
constexpr unsigned char kLongLength = 0xFF;

void AppendCell(std::string& row, std::string_view text) {
    if (text.size() < kLongLength) {
        row.push_back(static_cast<char>(text.size()));
    } else {
        row.push_back(static_cast<char>(kLongLength));
        const auto length = static_cast<std::uint32_t>(text.size());
        for (int shift = 0; shift < 32; shift += 8)
            row.push_back(static_cast<char>((length >> shift) & 0xFF));
    }
    row.append(text);
}

// Finds cell `index` of an encoded row: returns its offset and length.
std::pair<std::size_t, std::size_t> Locate(std::string_view row, int index) {
    std::size_t offset = 0;
    for (int i = 0;; ++i) {
        assert(offset < row.size());
        auto lead = static_cast<unsigned char>(row[offset]);
        std::size_t length = lead;
        std::size_t header = 1;
        if (lead == kLongLength) {
            std::uint32_t value = 0;
            for (int b = 0; b < 4; ++b)
                value |= static_cast<std::uint32_t>(static_cast<unsigned char>(row[offset + 1 + b]))
                         << (8 * b);
            length = value;
            header = 5;
        }
        if (i == index) return {offset + header, length};
        offset += header + length;
    }
}

} // namespace

Table::Table(std::vector<std::string> headings) : m_headings(std::move(headings)) {}

const std::string& Table::Heading(int column) const {
    static const std::string empty;
    return column >= 0 && column < ColumnCount() ? m_headings[static_cast<std::size_t>(column)] : empty;
}

void Table::SetRowCount(int rows) {
    const int dataRows = rows > 1 ? rows - 1 : 0;
    const std::size_t old = m_rows.size();
    m_rows.resize(static_cast<std::size_t>(dataRows));
    for (std::size_t r = old; r < m_rows.size(); ++r)
        m_rows[r] = EncodeRow({}, ColumnCount());
}

bool Table::IsDataCell(int row, int column) const {
    return row >= 1 && row < RowCount() && column >= 0 && column < ColumnCount();
}

std::string_view Table::Cell(int row, int column) const {
    if (row == 0) return Heading(column);
    if (!IsDataCell(row, column)) return {};
    const std::string& encoded = m_rows[static_cast<std::size_t>(row - 1)];
    auto [offset, length] = Locate(encoded, column);
    return std::string_view(encoded).substr(offset, length);
}

void Table::SetCell(int row, int column, std::string_view text) {
    assert(IsDataCell(row, column));
    if (!IsDataCell(row, column)) return;
    std::vector<std::string_view> cells(static_cast<std::size_t>(ColumnCount()));
    // The views point into the old row, so the new one is built before it is replaced.
    for (int c = 0; c < ColumnCount(); ++c)
        cells[static_cast<std::size_t>(c)] = Cell(row, c);
    cells[static_cast<std::size_t>(column)] = text;
    std::string encoded = EncodeRow(cells, ColumnCount());
    m_rows[static_cast<std::size_t>(row - 1)] = std::move(encoded);
}

void Table::SetRow(int row, const std::vector<std::string_view>& cells) {
    assert(row >= 1 && row < RowCount());
    m_rows[static_cast<std::size_t>(row - 1)] = EncodeRow(cells, ColumnCount());
}

void Table::InsertRow(int row) {
    assert(row >= 1 && row <= RowCount());
    m_rows.insert(m_rows.begin() + (row - 1), EncodeRow({}, ColumnCount()));
}

void Table::RemoveRow(int row) {
    assert(row >= 1 && row < RowCount());
    m_rows.erase(m_rows.begin() + (row - 1));
}

std::string Table::EncodeRow(const std::vector<std::string_view>& cells, int columns) {
    std::string row;
    std::size_t size = 0;
    for (int c = 0; c < columns; ++c)
        if (static_cast<std::size_t>(c) < cells.size()) {
            const std::size_t length = cells[static_cast<std::size_t>(c)].size();
            size += (length < kLongLength ? 1 : 5) + length;
        } else {
            size += 1;
        }
    row.reserve(size);
    for (int c = 0; c < columns; ++c)
        AppendCell(row, static_cast<std::size_t>(c) < cells.size() ? cells[static_cast<std::size_t>(c)]
                                                                   : std::string_view{});
    return row;
}

} // namespace varlen::project
