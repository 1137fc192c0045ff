// frmResultsSummary: the core's summary rows (members, joints, equilibrium) in three sortable tables that
// copy to a spreadsheet and export as CSV. The tables are models over the rows, not a widget per cell, so
// 100,000 members scroll and sort at once.
#pragma once

#include <QAbstractTableModel>
#include <QWidget>

#include "app/document_object.h"
#include "app/user_dialogs.h"
#include "report/table_rows.h"

class QSortFilterProxyModel;
class QTabWidget;
class QTableView;

namespace varlen::gui {

// The rows as QVariants and nothing more: display text, the double (or the text) to sort on, numbers
// aligned right.
class SummaryTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    // Numbers sort by value, words by text; an empty cell sorts after every other.
    static constexpr int SortRole = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;
    void SetRows(report::TableRows rows);
    [[nodiscard]] const report::TableRows& Rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    report::TableRows m_rows;
};

class ResultsSummaryWindow final : public QWidget {
    Q_OBJECT
public:
    // The envelope tabs show only when the results have load cases: each member's greatest tension and
    // compression, each support's extremes, over the combinations (or the cases), whichever is chosen.
    enum Tab { MembersTab, JointsTab, EquilibriumTab, EnvelopeTab, SupportEnvelopeTab };

    ResultsSummaryWindow(DocumentObject& document, UserDialogs& dialogs, QWidget* parent = nullptr);

    void ShowTab(Tab tab);
    [[nodiscard]] QTableView* View(Tab tab) const { return m_views[tab]; }
    // The selected cells of the current tab as tab-separated lines under their headings, in the order the
    // table shows them; what Ctrl+C puts on the clipboard.
    [[nodiscard]] QString SelectionText() const;
    // The current tab, every row in the order shown, as CSV; false (and the user told) when it could not
    // be written.
    bool ExportCsv(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Rebuilding 100,000 rows on every edit while hidden would slow the editors: a hidden window only
    // notes that it is out of date and catches up when shown.
    void Changed();
    void Refresh();
    void AskAndExport();

    DocumentObject& m_document;
    UserDialogs& m_dialogs;
    QTabWidget* m_tabs;
    static constexpr int kTabCount = 5;
    SummaryTableModel* m_models[kTabCount];
    QSortFilterProxyModel* m_proxies[kTabCount];
    QTableView* m_views[kTabCount];
    bool m_stale = true;
};

} // namespace varlen::gui
