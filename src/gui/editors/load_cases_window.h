// frmLoadCases: the load cases and their combinations. Cases are added, renamed and removed here, and
// the joint loads of every case after the first are entered here (the first case's loads are the Joint
// Load editor's); each combination gives each case a factor, or none. Every change is one undo step.
#pragma once

#include <QWidget>

#include "app/document_object.h"
#include "app/user_dialogs.h"
#include "document/load_case_edits.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace varlen::gui {

class LoadCasesWindow final : public QWidget {
    Q_OBJECT
public:
    LoadCasesWindow(DocumentObject& document, UserDialogs& dialogs, QWidget* parent = nullptr);

    // The selected case and combination, 1-based (0 for none).
    [[nodiscard]] int CurrentCase() const;
    [[nodiscard]] int CurrentCombination() const;

public slots:
    void AddCase();
    void AddSelfWeightCase();
    void RenameCase();
    void RemoveCase();
    void AddCaseLoad();
    void RemoveCaseLoad();
    void AddCombination();
    void RenameCombination();
    void RemoveCombination();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Refresh(); // every list and grid from the project, keeping the selections
    void ShowCaseLoads();
    void ShowFactors();
    void CaseLoadEdited(int row, int column);
    void FactorEdited(int row, int column);
    // Applies the action's edit as one undo step, or tells the user why not. True when applied.
    bool Carry(const document::LoadCaseAction& action, const QString& undoText);
    [[nodiscard]] const project::Project& Project() const;

    DocumentObject& m_document;
    UserDialogs& m_dialogs;
    QListWidget* m_cases;
    QPushButton* m_addCase;
    QPushButton* m_addSelfWeight;
    QPushButton* m_renameCase;
    QPushButton* m_removeCase;
    QLabel* m_caseLoadsNote;
    QTableWidget* m_caseLoads;
    QPushButton* m_addLoad;
    QPushButton* m_removeLoad;
    QListWidget* m_combinations;
    QPushButton* m_addCombination;
    QPushButton* m_renameCombination;
    QPushButton* m_removeCombination;
    QTableWidget* m_factors;
    bool m_filling = false; // the grids are being filled by the program, not edited
};

} // namespace varlen::gui
