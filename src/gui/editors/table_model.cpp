#include "editors/table_model.h"

#include "document/edit.h"

namespace varlen::gui {

TableModel::TableModel(const project::Table* table, QObject* parent)
    : QAbstractTableModel(parent), m_table(table), m_rows(table->EntryCount()) {}

int TableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_table->ColumnCount() - 1;
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) {
        const std::string_view cell = m_table->Cell(ToTableRow(index.row()), index.column() + 1);
        return QString::fromUtf8(cell.data(), static_cast<qsizetype>(cell.size()));
    }
    if (role == Qt::TextAlignmentRole && index.column() == 0) return int(Qt::AlignCenter);
    return {};
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    return QString::fromStdString(m_table->Heading(section + 1));
}

void TableModel::EndReplace(const project::Table* table) {
    if (table) m_table = table;
    m_rows = m_table->EntryCount();
    endResetModel();
}

void TableModel::RowsAboutToChange(int kind, int first, int count) {
    using Kind = document::TableChange::Kind;
    const int from = ToModelRow(first), to = ToModelRow(first + count - 1);
    if (static_cast<Kind>(kind) == Kind::RowsInserted) beginInsertRows({}, from, to);
    if (static_cast<Kind>(kind) == Kind::RowsRemoved) beginRemoveRows({}, from, to);
}

void TableModel::RowsChanged(int kind, int first, int count) {
    using Kind = document::TableChange::Kind;
    switch (static_cast<Kind>(kind)) {
    case Kind::RowsInserted:
        m_rows += count;
        endInsertRows();
        break;
    case Kind::RowsRemoved:
        m_rows -= count;
        endRemoveRows();
        break;
    case Kind::RowsChanged:
        if (count > 0)
            emit dataChanged(index(ToModelRow(first), 0),
                             index(ToModelRow(first + count - 1), columnCount() - 1));
        break;
    }
    if (m_rows != m_table->EntryCount()) { // never show rows the table does not have
        beginResetModel();
        m_rows = m_table->EntryCount();
        endResetModel();
    }
}

void TableModel::SetTable(const project::Table* table) {
    beginResetModel();
    m_table = table;
    m_rows = m_table->EntryCount();
    endResetModel();
}

} // namespace varlen::gui
