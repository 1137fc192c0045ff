#include "editors/editor_window.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <utility>

#include "editors/table_model.h"
#include "project/number_text.h"

namespace varlen::gui {
namespace {

// What one row of each table is called, for the undo history ("Add joint 4").
QString EntryName(editing::TableKind kind) {
    switch (kind) {
    case editing::TableKind::Joints:
        return "joint";
    case editing::TableKind::Materials:
        return "material";
    case editing::TableKind::Sections:
        return "cross-section";
    case editing::TableKind::Members:
        return "member";
    case editing::TableKind::Loads:
        return "load";
    }
    return "row";
}

} // namespace

EditorWindow::EditorWindow(DocumentObject& document, UserDialogs& dialogs, editing::TableKind kind,
                           const EditorNames& names, QWidget* parent)
    : QWidget(parent), m_document(document), m_dialogs(dialogs), m_kind(kind),
      m_editor(document.Document().Project(), kind) {
    setObjectName(names.window);
    auto* outer = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    m_fields = new QGridLayout;
    left->addLayout(m_fields);
    left->addStretch(1);
    outer->addLayout(left, 0);

    auto* buttons = new QVBoxLayout;
    m_add = new QPushButton(editing::CaptionText(editing::AddCaption::Add), this);
    m_add->setObjectName(names.add);
    m_remove = new QPushButton("< &Remove", this);
    m_remove->setObjectName(names.remove);
    m_done = new QPushButton("&Done", this);
    m_done->setObjectName("cmdDone");
    buttons->addStretch(1);
    buttons->addWidget(m_add);
    buttons->addWidget(m_remove);
    buttons->addStretch(2);
    buttons->addWidget(m_done);
    outer->addLayout(buttons, 0);

    m_grid = new QTableView(this);
    m_grid->setObjectName(names.grid);
    m_model = new TableModel(&Editor().Table(), this);
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(20);
    m_grid->horizontalHeader()->setMinimumHeight(Twips(500));
    m_grid->horizontalHeader()->setStretchLastSection(true);
    outer->addWidget(m_grid, 1);

    connect(m_add, &QPushButton::clicked, this, &EditorWindow::AddClicked);
    connect(m_remove, &QPushButton::clicked, this, &EditorWindow::RemoveClicked);
    connect(m_done, &QPushButton::clicked, this, &EditorWindow::DoneClicked);
    connect(m_grid, &QTableView::clicked, this,
            [this](const QModelIndex& index) { GridClicked(index.row()); });
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { CurrentRowChanged(current.row()); });
    connect(&m_document, &DocumentObject::tablesReplaced, this, &EditorWindow::TablesReplaced);
    connect(&m_document, &DocumentObject::tablesAboutToBeReplaced, m_model, &TableModel::BeginReplace);
    connect(&m_document, &DocumentObject::tableAboutToChange, this,
            [this](int table, int kind, int first, int count, int loadCase) {
                if (table == static_cast<int>(m_kind) && loadCase == m_editor.LoadCase())
                    m_model->RowsAboutToChange(kind, first, count);
            });
    connect(&m_document, &DocumentObject::tableChanged, this,
            [this](int table, int kind, int first, int count, int loadCase) {
                if (table != static_cast<int>(m_kind) || loadCase != m_editor.LoadCase()) return;
                m_model->RowsChanged(kind, first, count);
                m_tableChanged = true;
            });
    // The cases set anew (added, removed, undone): the case shown may be another table now, or gone.
    connect(&m_document, &DocumentObject::loadCasesEdited, this, [this](bool replaced) {
        if (replaced && m_editor.LoadCase() > 1) ShowLoadCase(m_editor.LoadCase());
    });
    connect(&m_document, &DocumentObject::tableEdited, this, [this] {
        // An undo or redo may have taken away the row this window was on, or the row it was editing.
        const bool mine = std::exchange(m_tableChanged, false);
        // This window's own add or remove sets its state itself; other tables' edits leave it alone.
        if (m_ownEdit || !mine) return;
        if (m_editor.Follow()) ResetFields(false);
        ShowState();
    });
}

void EditorWindow::ShowLoadCase(int loadCase) {
    m_editor.SetLoadCase(loadCase);
    m_model->SetTable(&m_editor.Table());
    ResetFields(false);
    ShowState();
}

void EditorWindow::Finish(QLineEdit* nextNumberBox, const std::vector<int>& columnWidths) {
    m_nextNumber = nextNumberBox;
    if (m_nextNumber) {
        // The number of the next row follows from the table; typing another would leave blank rows.
        m_nextNumber->setReadOnly(true);
    }
    // The designed widths, widened where a heading would not fit in this font.
    const QFontMetrics metrics(m_grid->horizontalHeader()->font());
    for (std::size_t c = 0; c < columnWidths.size(); ++c) {
        const QString heading =
            m_model->headerData(static_cast<int>(c), Qt::Horizontal, Qt::DisplayRole).toString();
        m_grid->setColumnWidth(static_cast<int>(c),
                               std::max(Twips(columnWidths[c]), metrics.horizontalAdvance(heading) + 16));
    }
    int gridWidth = m_grid->frameWidth() * 2 + 20;
    for (int c = 0; c < m_model->columnCount(); ++c)
        gridWidth += m_grid->columnWidth(c);
    m_grid->setMinimumWidth(std::min(gridWidth, 700));
    ResetFields(false);
    ShowState();
}

void EditorWindow::ShowState() {
    m_add->setText(editing::CaptionText(Editor().Caption()));
    m_remove->setEnabled(Editor().CanRemove());
    if (m_nextNumber) m_nextNumber->setText(QString::number(Editor().NextNumber()));
    SelectCurrentRow();
}

void EditorWindow::SelectCurrentRow() {
    const int row = Editor().CurrentRow();
    m_selecting = true;
    if (row >= 1) {
        const QModelIndex index = m_model->index(TableModel::ToModelRow(row), 0);
        m_grid->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
        m_grid->scrollTo(index);
    } else {
        m_grid->selectionModel()->clear();
    }
    m_selecting = false;
}

bool EditorWindow::NumbersAreWhole() {
    for (const NumberBox& number : NumberBoxes()) {
        const QString text = number.box->text();
        if (project::IsWholeNumber(text.toStdString())) continue;
        m_dialogs.Tell(this, windowTitle(), QString("%1: \"%2\" is not a number.").arg(number.name, text),
                       UserDialogs::Icon::Warning);
        number.box->setFocus();
        number.box->selectAll();
        return false;
    }
    return true;
}

void EditorWindow::AddClicked() {
    if (!NumbersAreWhole()) return;
    m_ownEdit = true;
    const editing::AddOutcome outcome = Editor().Add(m_document.Document(), ReadFields());
    m_ownEdit = false;
    const char* verb = outcome.kind == editing::AddKind::Edited     ? "Edit"
                       : outcome.kind == editing::AddKind::Inserted ? "Insert"
                                                                    : "Add";
    m_document.Record(outcome.inverse, QString("%1 %2 %3").arg(verb, EntryName(m_kind)).arg(outcome.row));
    Added(outcome.row);
    // Back to the end: the next "&Add >" appends rather than inserting again where the last one went.
    Editor().SetCurrentRow(Editor().Table().RowCount() - 1);
    ResetFields(true);
    ShowState();
    if (outcome.kind != editing::AddKind::Edited && FirstField()) FirstField()->setFocus();
}

void EditorWindow::RemoveClicked() {
    const int row = Editor().CurrentRow();
    if (row < 1) return;
    const std::vector<std::string> users = Editor().UsersOf(row);
    if (!users.empty()) {
        QString list;
        for (const std::string& user : users)
            list += "\n" + QString::fromStdString(user);
        m_dialogs.Tell(
            this, "Remove Whole Row",
            QString("Row %1 is still used and cannot be removed. Change or remove these first:").arg(row) +
                list,
            UserDialogs::Icon::Warning);
        return;
    }
    if (m_dialogs.Ask(this, "Remove Whole Row", "Click Yes To Remove Current Row.",
                      UserDialogs::Buttons::YesNoDefaultNo,
                      UserDialogs::Icon::Critical) != UserDialogs::Answer::Yes)
        return;
    m_ownEdit = true;
    std::optional<document::Edit> inverse = Editor().Remove(m_document.Document(), row);
    m_ownEdit = false;
    if (inverse)
        m_document.Record(std::move(*inverse), QString("Remove %1 %2").arg(EntryName(m_kind)).arg(row));
    ShowState();
}

void EditorWindow::DoneClicked() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->hide();
    else
        hide();
}

void EditorWindow::GridClicked(int modelRow) {
    switch (Editor().Click(TableModel::ToTableRow(modelRow))) {
    case editing::ClickOutcome::LoadRow:
        LoadFields(Editor().RowFields(TableModel::ToTableRow(modelRow)));
        break;
    case editing::ClickOutcome::LeftEdit:
        ResetFields(false);
        break;
    case editing::ClickOutcome::Ignored:
        break;
    }
    ShowState();
}

void EditorWindow::CurrentRowChanged(int modelRow) {
    if (m_selecting || modelRow < 0) return;
    Editor().SetCurrentRow(TableModel::ToTableRow(modelRow));
    m_add->setText(editing::CaptionText(Editor().Caption()));
}

void EditorWindow::TablesReplaced(bool opened) {
    // A new project: the loads editor starts on the joint loads table again.
    if (m_editor.LoadCase() != 1) m_editor.SetLoadCase(1);
    opened ? m_editor.AfterOpen() : m_editor.Reset();
    m_model->EndReplace(&m_editor.Table());
    ResetFields(false);
    ShowState();
}

} // namespace varlen::gui
