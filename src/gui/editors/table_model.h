// A view of one project table for a QTableView: cells are read on demand, so a table of 100,000 rows
// opens and scrolls at once. Column 0 of the table (the row header, which stores nothing) is not shown;
// the "#" column carries the numbers.
#pragma once

#include <QAbstractTableModel>

#include "project/table.h"

namespace varlen::gui {

class TableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TableModel(const project::Table* table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Rows changed, inserted or removed (a document::TableChange kind, table rows): announced before
    // the document changes them and confirmed after, so the view is told exactly which and its selection
    // and scroll position survive an edit.
    void RowsAboutToChange(int kind, int first, int count);
    void RowsChanged(int kind, int first, int count);
    // Another table to show (the loads of another load case); the view starts again on it.
    void SetTable(const project::Table* table);
    // Every table is about to be replaced / has been.
    void BeginReplace() { beginResetModel(); }
    void EndReplace(const project::Table* table = nullptr); // and the table to show from now on
    // Model row of a table row (table rows start at 1) and back.
    static int ToModelRow(int tableRow) { return tableRow - 1; }
    static int ToTableRow(int modelRow) { return modelRow + 1; }

private:
    const project::Table* m_table;
    int m_rows = 0; // as the view last heard: inserts and removals count once they are confirmed
};

} // namespace varlen::gui
