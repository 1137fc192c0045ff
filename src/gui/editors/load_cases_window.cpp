#include "editors/load_cases_window.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/twips.h"
#include "project/number_text.h"

namespace varlen::gui {
namespace {

constexpr const char* kTitle = "Load Cases";

QString FromStd(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QPushButton* Button(QWidget* owner, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, owner);
    button->setObjectName(name);
    return button;
}

QTableWidget* Grid(QWidget* owner, const char* name, const QStringList& headings) {
    auto* grid = new QTableWidget(0, static_cast<int>(headings.size()), owner);
    grid->setObjectName(name);
    grid->setHorizontalHeaderLabels(headings);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    // Rows as tall as a line of text, as the table editors' grids: more of a case shows at once.
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
    return grid;
}

// A list of names a few lines tall: the grids below it get the room.
QListWidget* NameList(QWidget* owner, const char* name) {
    auto* list = new QListWidget(owner);
    list->setObjectName(name);
    list->setMaximumHeight(list->fontMetrics().height() * 7);
    return list;
}

} // namespace

LoadCasesWindow::LoadCasesWindow(DocumentObject& document, UserDialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_document(document), m_dialogs(dialogs) {
    setObjectName("frmLoadCases");
    setWindowTitle(kTitle);

    auto* cases = new QGroupBox("Load Cases", this);
    m_cases = NameList(cases, "lstLoadCases");
    m_addCase = Button(cases, "cmdAddLoadCase", "&Add...");
    m_addSelfWeight = Button(cases, "cmdAddSelfWeight", "&Self-Weight");
    m_addSelfWeight->setToolTip("A case of the members' own weight, from the weight per length in each "
                                "cross-section's description");
    m_renameCase = Button(cases, "cmdRenameLoadCase", "&Rename...");
    m_removeCase = Button(cases, "cmdRemoveLoadCase", "Re&move");
    m_caseLoadsNote = new QLabel(cases);
    m_caseLoadsNote->setObjectName("lblCaseLoads");
    m_caseLoadsNote->setWordWrap(true);
    m_caseLoads = Grid(cases, "GridCaseLoads", {"Joint", "Fx (kN)", "Fy (kN)", "Joint Load Description"});
    m_addLoad = Button(cases, "cmdAddCaseLoad", "Add &Load");
    m_removeLoad = Button(cases, "cmdRemoveCaseLoad", "Remove L&oad");
    auto* caseLayout = new QGridLayout(cases);
    caseLayout->addWidget(m_cases, 0, 0, 4, 1);
    caseLayout->addWidget(m_addCase, 0, 1);
    caseLayout->addWidget(m_addSelfWeight, 1, 1);
    caseLayout->addWidget(m_renameCase, 2, 1);
    caseLayout->addWidget(m_removeCase, 3, 1, Qt::AlignTop);
    caseLayout->addWidget(m_caseLoadsNote, 4, 0, 1, 2);
    caseLayout->addWidget(m_caseLoads, 5, 0);
    auto* loadButtons = new QVBoxLayout;
    loadButtons->addWidget(m_addLoad);
    loadButtons->addWidget(m_removeLoad);
    loadButtons->addStretch();
    caseLayout->addLayout(loadButtons, 5, 1);
    caseLayout->setRowStretch(5, 1);
    caseLayout->setColumnStretch(0, 1);
    m_caseLoads->setColumnWidth(0, 60);
    m_caseLoads->setColumnWidth(1, 80);
    m_caseLoads->setColumnWidth(2, 80);

    auto* combinations = new QGroupBox("Combinations", this);
    m_combinations = NameList(combinations, "lstCombinations");
    m_addCombination = Button(combinations, "cmdAddCombination", "A&dd...");
    m_renameCombination = Button(combinations, "cmdRenameCombination", "Re&name...");
    m_removeCombination = Button(combinations, "cmdRemoveCombination", "Remo&ve");
    auto* factorsNote =
        new QLabel("Each case's factor in the combination; leave it blank to leave the case out. "
                   "With no combinations, the cases themselves are designed for.",
                   combinations);
    factorsNote->setWordWrap(true);
    m_factors = Grid(combinations, "GridFactors", {"Load Case", "Factor"});
    auto* combinationLayout = new QGridLayout(combinations);
    combinationLayout->addWidget(m_combinations, 0, 0, 3, 1);
    combinationLayout->addWidget(m_addCombination, 0, 1);
    combinationLayout->addWidget(m_renameCombination, 1, 1);
    combinationLayout->addWidget(m_removeCombination, 2, 1, Qt::AlignTop);
    combinationLayout->addWidget(factorsNote, 3, 0, 1, 2);
    combinationLayout->addWidget(m_factors, 4, 0, 1, 2);
    combinationLayout->setRowStretch(4, 1);
    m_factors->setColumnWidth(0, 200);

    auto* done = Button(this, "cmdDone", "&Done");
    connect(done, &QPushButton::clicked, this, [this] {
        if (parentWidget())
            parentWidget()->hide();
        else
            hide();
    });
    auto* layout = new QGridLayout(this);
    layout->addWidget(cases, 0, 0);
    layout->addWidget(combinations, 0, 1);
    layout->setColumnStretch(0, 3);
    layout->setColumnStretch(1, 2);
    layout->addWidget(done, 1, 1, Qt::AlignRight);

    connect(m_addCase, &QPushButton::clicked, this, &LoadCasesWindow::AddCase);
    connect(m_addSelfWeight, &QPushButton::clicked, this, &LoadCasesWindow::AddSelfWeightCase);
    connect(m_renameCase, &QPushButton::clicked, this, &LoadCasesWindow::RenameCase);
    connect(m_removeCase, &QPushButton::clicked, this, &LoadCasesWindow::RemoveCase);
    connect(m_addLoad, &QPushButton::clicked, this, &LoadCasesWindow::AddCaseLoad);
    connect(m_removeLoad, &QPushButton::clicked, this, &LoadCasesWindow::RemoveCaseLoad);
    connect(m_addCombination, &QPushButton::clicked, this, &LoadCasesWindow::AddCombination);
    connect(m_renameCombination, &QPushButton::clicked, this, &LoadCasesWindow::RenameCombination);
    connect(m_removeCombination, &QPushButton::clicked, this, &LoadCasesWindow::RemoveCombination);
    connect(m_cases, &QListWidget::currentRowChanged, this, [this] {
        if (!m_filling) ShowCaseLoads();
    });
    connect(m_combinations, &QListWidget::currentRowChanged, this, [this] {
        if (!m_filling) ShowFactors();
    });
    connect(m_caseLoads, &QTableWidget::cellChanged, this, &LoadCasesWindow::CaseLoadEdited);
    connect(m_factors, &QTableWidget::cellChanged, this, &LoadCasesWindow::FactorEdited);
    // Undo, redo, an open or an inserted joint change what is shown here.
    connect(&m_document, &DocumentObject::loadCasesEdited, this, &LoadCasesWindow::Refresh);
    connect(&m_document, &DocumentObject::tablesReplaced, this, &LoadCasesWindow::Refresh);
    connect(&m_document, &DocumentObject::tableEdited, this, &LoadCasesWindow::Refresh);
    resize(Twips(15600), Twips(7200));
    Refresh();
}

const project::Project& LoadCasesWindow::Project() const {
    return m_document.Document().Project();
}

int LoadCasesWindow::CurrentCase() const {
    return m_cases->currentRow() + 1;
}

int LoadCasesWindow::CurrentCombination() const {
    return m_combinations->currentRow() + 1;
}

void LoadCasesWindow::showEvent(QShowEvent* event) {
    Refresh();
    QWidget::showEvent(event);
}

void LoadCasesWindow::Refresh() {
    // Every edit of any table comes here: a hidden window catches up when it is shown instead, since
    // the first case's loads of a large project would fill the grid on every keystroke.
    if (!isVisible()) return;
    const project::Project& p = Project();
    m_filling = true;
    const int loadCase = std::clamp(CurrentCase(), 1, p.CaseCount());
    m_cases->clear();
    for (int c = 1; c <= p.CaseCount(); ++c)
        m_cases->addItem(QString("%1  %2").arg(c).arg(FromStd(p.CaseName(c))));
    m_cases->setCurrentRow(loadCase - 1);
    const int combination = std::min(CurrentCombination(), static_cast<int>(p.combinations.size()));
    m_combinations->clear();
    for (std::size_t k = 0; k < p.combinations.size(); ++k)
        m_combinations->addItem(QString("%1  %2").arg(k + 1).arg(FromStd(p.combinations[k].name)));
    m_combinations->setCurrentRow(p.combinations.empty() ? -1 : std::max(combination, 1) - 1);
    m_filling = false;
    ShowCaseLoads();
    ShowFactors();
}

void LoadCasesWindow::ShowCaseLoads() {
    const project::Project& p = Project();
    const int loadCase = CurrentCase();
    const bool first = loadCase <= 1;
    m_removeCase->setEnabled(!first);
    m_addLoad->setEnabled(!first);
    m_removeLoad->setEnabled(!first);
    m_caseLoads->setEditTriggers(first ? QAbstractItemView::NoEditTriggers
                                       : QAbstractItemView::AllEditTriggers);
    m_caseLoadsNote->setText(first ? "The loads of case 1 are entered in Structure > Loading > Joint Load."
                                   : QString("The joint loads of case %1:").arg(loadCase));
    m_filling = true;
    const project::Table& loads = p.CaseLoads(std::max(loadCase, 1));
    m_caseLoads->setRowCount(loads.EntryCount());
    for (int r = 1; r <= loads.EntryCount(); ++r)
        for (int c = project::load_col::Joint; c <= project::load_col::Description; ++c)
            m_caseLoads->setItem(r - 1, c - 1, new QTableWidgetItem(FromStd(loads.Cell(r, c))));
    m_filling = false;
}

void LoadCasesWindow::ShowFactors() {
    const project::Project& p = Project();
    const int combination = CurrentCombination();
    m_renameCombination->setEnabled(combination > 0);
    m_removeCombination->setEnabled(combination > 0);
    m_filling = true;
    m_factors->setRowCount(combination > 0 ? p.CaseCount() : 0);
    for (int c = 1; combination > 0 && c <= p.CaseCount(); ++c) {
        auto* name = new QTableWidgetItem(QString("%1  %2").arg(c).arg(FromStd(p.CaseName(c))));
        name->setFlags(name->flags() & ~Qt::ItemIsEditable);
        m_factors->setItem(c - 1, 0, name);
        m_factors->setItem(c - 1, 1, new QTableWidgetItem(FromStd(document::FactorOf(p, combination, c))));
    }
    m_filling = false;
}

bool LoadCasesWindow::Carry(const document::LoadCaseAction& action, const QString& undoText) {
    if (const auto* refusal = std::get_if<std::string>(&action)) {
        m_dialogs.Tell(this, kTitle, FromStd(*refusal), UserDialogs::Icon::Warning);
        Refresh(); // a refused cell edit goes back to what the project holds
        return false;
    }
    (void)m_document.Apply(std::get<document::SetLoadCasesEdit>(action), undoText);
    return true;
}

void LoadCasesWindow::AddCase() {
    const std::optional<QString> name = m_dialogs.Input(this, kTitle, "Name of the new load case:");
    if (!name) return;
    if (Carry(document::AddCase(Project(), name->toStdString()), "Add a load case"))
        m_cases->setCurrentRow(Project().CaseCount() - 1);
}

void LoadCasesWindow::AddSelfWeightCase() {
    const std::optional<QString> name =
        m_dialogs.Input(this, kTitle, "Name of the self-weight case (the members' own weight, downwards):");
    if (!name) return;
    if (Carry(document::AddSelfWeightCase(Project(), name->toStdString()), "Add the self-weight case"))
        m_cases->setCurrentRow(Project().CaseCount() - 1);
}

void LoadCasesWindow::RenameCase() {
    const int loadCase = CurrentCase();
    if (loadCase < 1) return;
    const std::optional<QString> name = m_dialogs.Input(
        this, kTitle,
        QString("New name of load case %1 (%2):").arg(loadCase).arg(FromStd(Project().CaseName(loadCase))));
    if (!name) return;
    (void)Carry(document::RenameCase(Project(), loadCase, name->toStdString()), "Rename a load case");
}

void LoadCasesWindow::RemoveCase() {
    const int loadCase = CurrentCase();
    if (loadCase < 1) return;
    const QString question =
        QString("Remove load case %1 (%2), its loads and its factors in the combinations?")
            .arg(loadCase)
            .arg(FromStd(Project().CaseName(loadCase)));
    if (m_dialogs.Ask(this, kTitle, question, UserDialogs::Buttons::YesNoDefaultNo,
                      UserDialogs::Icon::Question) != UserDialogs::Answer::Yes)
        return;
    (void)Carry(document::RemoveCase(Project(), loadCase), "Remove a load case");
}

void LoadCasesWindow::AddCaseLoad() {
    const int loadCase = CurrentCase();
    if (loadCase < 2) return;
    project::Table loads = Project().CaseLoads(loadCase);
    loads.SetRowCount(loads.RowCount() + 1);
    loads.SetRow(loads.EntryCount(), {"", "1", "0", "0", "None"});
    if (Carry(document::SetCaseLoads(Project(), loadCase, std::move(loads)), "Add a load to a load case")) {
        m_caseLoads->setCurrentCell(m_caseLoads->rowCount() - 1, 0);
        m_caseLoads->setFocus();
    }
}

void LoadCasesWindow::RemoveCaseLoad() {
    const int loadCase = CurrentCase();
    const int row = m_caseLoads->currentRow() + 1;
    if (loadCase < 2 || row < 1) return;
    project::Table loads = Project().CaseLoads(loadCase);
    loads.RemoveRow(row);
    (void)Carry(document::SetCaseLoads(Project(), loadCase, std::move(loads)),
                "Remove a load from a load case");
}

void LoadCasesWindow::CaseLoadEdited(int row, int column) {
    if (m_filling) return;
    const int loadCase = CurrentCase();
    if (loadCase < 2) return;
    const std::string text = m_caseLoads->item(row, column)->text().toStdString();
    const int tableColumn = column + project::load_col::Joint;
    // A joint number or a force is one complete number, as the editors take them.
    if (tableColumn != project::load_col::Description && !project::IsWholeNumber(text)) {
        (void)Carry(std::string("The ") + m_caseLoads->horizontalHeaderItem(column)->text().toStdString() +
                        " of a load must be one number, not \"" + text + "\".",
                    {});
        return;
    }
    project::Table loads = Project().CaseLoads(loadCase);
    loads.SetCell(row + 1, tableColumn, text);
    (void)Carry(document::SetCaseLoads(Project(), loadCase, std::move(loads)),
                "Change a load of a load case");
}

void LoadCasesWindow::AddCombination() {
    const std::optional<QString> name = m_dialogs.Input(this, kTitle, "Name of the new combination:");
    if (!name) return;
    if (Carry(document::AddCombination(Project(), name->toStdString()), "Add a combination"))
        m_combinations->setCurrentRow(static_cast<int>(Project().combinations.size()) - 1);
}

void LoadCasesWindow::RenameCombination() {
    const int combination = CurrentCombination();
    if (combination < 1) return;
    const std::optional<QString> name = m_dialogs.Input(
        this, kTitle,
        QString("New name of combination %1 (%2):")
            .arg(combination)
            .arg(FromStd(Project().combinations[static_cast<std::size_t>(combination) - 1].name)));
    if (!name) return;
    (void)Carry(document::RenameCombination(Project(), combination, name->toStdString()),
                "Rename a combination");
}

void LoadCasesWindow::RemoveCombination() {
    const int combination = CurrentCombination();
    if (combination < 1) return;
    (void)Carry(document::RemoveCombination(Project(), combination), "Remove a combination");
}

void LoadCasesWindow::FactorEdited(int row, int column) {
    if (m_filling || column != 1) return;
    const int combination = CurrentCombination();
    if (combination < 1) return;
    (void)Carry(
        document::SetFactor(Project(), combination, row + 1, m_factors->item(row, 1)->text().toStdString()),
        "Change a factor");
}

} // namespace varlen::gui
