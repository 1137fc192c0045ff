#include "editors/table_model.h"

namespace varlen::gui {

TableModel::TableModel(const project::Table* table, QObject* parent) : QAbstractTableModel(parent), m_table(table) {}

int TableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_table->EntryCount();
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

void TableModel::Refresh() {
    beginResetModel();
    endResetModel();
}

} // namespace varlen::gui
