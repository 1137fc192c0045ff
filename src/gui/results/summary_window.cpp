#include "results/summary_window.h"

#include "report/report_content.h"
#include "results/results_selector.h"

#include "app/stale_bar.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QSaveFile>
#include <QSortFilterProxyModel>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "report/summary_rows.h"

namespace varlen::gui {
namespace {

QString ToQString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A spreadsheet reads a cell with a comma, a quote or a line break only when it is quoted, its quotes
// doubled.
QString CsvField(QString text) {
    if (!text.contains(',') && !text.contains('"') && !text.contains('\n') && !text.contains('\r'))
        return text;
    text.replace('"', "\"\"");
    return '"' + text + '"';
}

// Compares the cells themselves rather than a QVariant made for each comparison, so 100,000 rows sort
// at once: numbers by value before words by text, empty cells last.
class SummarySortModel final : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override {
        const report::Cell* a = CellAt(left);
        const report::Cell* b = CellAt(right);
        if (!a || !b) return b && !a;
        if (a->text.empty() != b->text.empty()) return b->text.empty();
        if (a->number && b->number) return *a->number < *b->number;
        if (a->number.has_value() != b->number.has_value()) return a->number.has_value();
        return a->text < b->text;
    }

private:
    const report::Cell* CellAt(const QModelIndex& index) const {
        const auto& rows = static_cast<const SummaryTableModel*>(sourceModel())->Rows().rows;
        const report::Row& row = rows[static_cast<std::size_t>(index.row())];
        const auto column = static_cast<std::size_t>(index.column());
        return column < row.size() ? &row[column] : nullptr;
    }
};

struct TabText {
    const char* caption;
    const char* grid;
};

const TabText kTabs[] = {
    {"&Members", "GridSummaryMembers"},
    {"&Joints", "GridSummaryJoints"},
    {"&Equilibrium", "GridSummaryEquilibrium"},
    {"En&velope", "GridSummaryEnvelope"},
    {"&Support Envelope", "GridSummarySupportEnvelope"},
};

} // namespace

void SummaryTableModel::SetRows(report::TableRows rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int SummaryTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.rows.size());
}

int SummaryTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.headings.size());
}

QVariant SummaryTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const report::Row& row = m_rows.rows[static_cast<std::size_t>(index.row())];
    if (index.column() >= static_cast<int>(row.size())) return {};
    const report::Cell& cell = row[static_cast<std::size_t>(index.column())];
    switch (role) {
    case Qt::DisplayRole:
        return ToQString(cell.text);
    case SortRole:
        if (cell.number) return *cell.number;
        if (cell.text.empty()) return {};
        return ToQString(cell.text);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(cell.number ? Qt::AlignRight | Qt::AlignVCenter
                                               : Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant SummaryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section < 0 || section >= static_cast<int>(m_rows.headings.size())) return {};
    return ToQString(m_rows.headings[static_cast<std::size_t>(section)]);
}

ResultsSummaryWindow::ResultsSummaryWindow(DocumentObject& document, UserDialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_document(document), m_dialogs(dialogs) {
    setObjectName("frmResultsSummary");
    setWindowTitle("Results Summary");
    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName("tabSummary");
    for (int t = 0; t < kTabCount; ++t) {
        m_models[t] = new SummaryTableModel(this);
        m_proxies[t] = new SummarySortModel(this);
        m_proxies[t]->setSourceModel(m_models[t]);
        m_proxies[t]->setSortRole(SummaryTableModel::SortRole);
        auto* view = new QTableView(m_tabs);
        view->setObjectName(kTabs[t].grid);
        view->setModel(m_proxies[t]);
        // Unsorted until a heading is clicked: the rows stay in member and joint order.
        view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
        view->setSortingEnabled(true);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->verticalHeader()->hide();
        // One fixed row height lets the view place 100,000 rows without measuring any.
        view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
        view->horizontalHeader()->setStretchLastSection(true);
        view->horizontalHeader()->setDefaultSectionSize(110);
        view->installEventFilter(this);
        m_views[t] = view;
        m_tabs->addTab(view, kTabs[t].caption);
    }
    layout->addWidget(new StaleBar(document, m_tabs, this));
    layout->addWidget(new ResultsSelector(document, this), 0, Qt::AlignLeft);
    layout->addWidget(m_tabs);
    auto* buttons = new QHBoxLayout;
    auto* exportButton = new QPushButton("E&xport CSV...", this);
    exportButton->setObjectName("cmdExportCsv");
    auto* done = new QPushButton("&Done", this);
    done->setObjectName("cmdDone");
    buttons->addWidget(exportButton);
    buttons->addStretch(1);
    buttons->addWidget(done);
    layout->addLayout(buttons);
    connect(exportButton, &QPushButton::clicked, this, &ResultsSummaryWindow::AskAndExport);
    connect(done, &QPushButton::clicked, this, [this] { parentWidget() ? parentWidget()->hide() : hide(); });
    connect(&m_document, &DocumentObject::resultsChanged, this, &ResultsSummaryWindow::Changed);
    connect(&m_document, &DocumentObject::tableEdited, this, &ResultsSummaryWindow::Changed);
    connect(&m_document, &DocumentObject::tablesReplaced, this, &ResultsSummaryWindow::Changed);
    resize(980, 460);
}

void ResultsSummaryWindow::ShowTab(Tab tab) {
    m_tabs->setCurrentIndex(tab);
}

void ResultsSummaryWindow::showEvent(QShowEvent* event) {
    if (m_stale) Refresh();
    QWidget::showEvent(event);
}

void ResultsSummaryWindow::Changed() {
    m_stale = true;
    if (isVisible()) Refresh();
}

void ResultsSummaryWindow::Refresh() {
    m_stale = false;
    const project::Project& project = m_document.Document().Project();
    const analysis::Results* results = m_document.Results();
    const int places = m_document.ResultPlaces();
    m_models[MembersTab]->SetRows(report::SummaryMemberRows(project, results, places));
    m_models[JointsTab]->SetRows(report::SummaryJointRows(project, results, places));
    m_models[EquilibriumTab]->SetRows(report::SummaryEquilibriumRows(project, results, places));
    // The envelope is of the analysis, whichever case or combination the other tabs show.
    const analysis::LoadCaseResults* envelope = m_document.Document().LoadCases();
    const bool current = envelope && results;
    m_models[EnvelopeTab]->SetRows(current ? report::MemberEnvelopeRows(*envelope, places)
                                           : report::TableRows{});
    m_models[SupportEnvelopeTab]->SetRows(current ? report::ReactionEnvelopeRows(*envelope, places)
                                                  : report::TableRows{});
    m_tabs->setTabVisible(EnvelopeTab, current);
    m_tabs->setTabVisible(SupportEnvelopeTab, current);
    // Columns as wide as what they hold, so the whole member row fits; measuring reads every row, so a
    // very large table keeps the default widths and stays quick.
    for (QTableView* view : m_views)
        if (view->model()->rowCount() <= 5000) view->resizeColumnsToContents();
}

bool ResultsSummaryWindow::eventFilter(QObject* watched, QEvent* event) {
    // The view's own Ctrl+C copies one cell without its heading; a main-window shortcut on the same keys
    // would take the key before the view: the override claims it for the table.
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy)) {
            event->accept();
            if (event->type() == QEvent::KeyPress) QApplication::clipboard()->setText(SelectionText());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QString ResultsSummaryWindow::SelectionText() const {
    const QTableView* view = m_views[m_tabs->currentIndex()];
    const QAbstractItemModel* model = view->model();
    // The cells of the rows and columns the selection touches, so a rectangle pastes as one; the ranges
    // rather than the indexes, which for 100,000 rows would be a million objects.
    std::vector<char> rows(static_cast<std::size_t>(model->rowCount()), 0);
    std::vector<int> columns;
    for (const QItemSelectionRange& range : view->selectionModel()->selection()) {
        std::fill(rows.begin() + range.top(), rows.begin() + range.bottom() + 1, 1);
        for (int c = range.left(); c <= range.right(); ++c)
            columns.push_back(c);
    }
    std::sort(columns.begin(), columns.end());
    columns.erase(std::unique(columns.begin(), columns.end()), columns.end());
    if (columns.empty()) return {};
    QStringList cells;
    for (int c : columns)
        cells << model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    QString text = cells.join('\t') + '\n';
    for (int r = 0; r < model->rowCount(); ++r) {
        if (!rows[static_cast<std::size_t>(r)]) continue;
        cells.clear();
        for (int c : columns)
            cells << model->index(r, c).data(Qt::DisplayRole).toString();
        text += cells.join('\t') + '\n';
    }
    return text;
}

void ResultsSummaryWindow::AskAndExport() {
    const QString current = QString::fromStdString(m_document.Document().Path().string());
    const QString path =
        m_dialogs.SaveFileName(this, "Export CSV", "Comma-separated values (*.csv)", current);
    if (!path.isEmpty()) ExportCsv(path);
}

bool ResultsSummaryWindow::ExportCsv(const QString& path) {
    const QAbstractItemModel* model = m_views[m_tabs->currentIndex()]->model();
    QString text;
    QStringList cells;
    for (int c = 0; c < model->columnCount(); ++c)
        cells << CsvField(model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
    text += cells.join(',') + "\r\n";
    for (int r = 0; r < model->rowCount(); ++r) {
        cells.clear();
        for (int c = 0; c < model->columnCount(); ++c)
            cells << CsvField(model->index(r, c).data(Qt::DisplayRole).toString());
        text += cells.join(',') + "\r\n";
    }
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        m_dialogs.Tell(
            this, "Export CSV",
            QString("\"%1\" could not be written: %2").arg(QFileInfo(path).fileName(), file.errorString()),
            UserDialogs::Icon::Warning);
        return false;
    }
    return true;
}

} // namespace varlen::gui
