// The Load Cases window driven as a user drives it: cases and combinations added, loads and factors
// typed into its grids, refusals, undo of every step, and the design of the envelope after F5.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

#include "app/mdi_form.h"
#include "design/bs449.h"
#include "project/number_text.h"
#include "results/summary_window.h"
#include "window_test.h"
#include "wireframe/wireframe_window.h"

using varlen::document::SetRowEdit;
using varlen::project::TableId;

class LoadCasesWindowTest : public varlen::gui::test::WindowTest {
    Q_OBJECT

private:
    const varlen::project::Project& Project() { return m_window->Document().Document().Project(); }
    void Edit(const varlen::document::Edit& edit) {
        QVERIFY(m_window->Document().Apply(edit, "test").applied);
    }
    // A 4 m triangle with catalogue sections, 10 kN down at its apex as case 1.
    void Triangle() {
        Edit(SetRowEdit{TableId::Materials, 1, {"200", "Steel"}});
        Edit(SetRowEdit{
            TableId::Sections, 1, {"1696.771", "100 x 100 x 4.6 x 0.130 kN/m (1696.771){39.370}"}});
        Edit(SetRowEdit{TableId::Joints, 1, {"0", "0", "A", "1", "1", ""}});
        Edit(SetRowEdit{TableId::Joints, 2, {"4", "0", "B", "0", "1", ""}});
        Edit(SetRowEdit{TableId::Joints, 3, {"2", "2", "C", "0", "0", ""}});
        Edit(SetRowEdit{TableId::Members, 1, {"1", "2", "1", "1", ""}});
        Edit(SetRowEdit{TableId::Members, 2, {"2", "3", "1", "1", ""}});
        Edit(SetRowEdit{TableId::Members, 3, {"3", "1", "1", "1", ""}});
        Edit(SetRowEdit{TableId::Loads, 1, {"3", "0", "-10", ""}});
        m_window->Document().UndoStack().clear();
    }
    void Click(const char* name) { Find<QPushButton>(name)->click(); }
    void Type(const char* grid, int row, int column, const QString& text) {
        Find<QTableWidget>(grid)->item(row, column)->setText(text);
    }
    // Wind of 15 kN up at the apex as case 2, and D+W = 1.0 Dead + 1.4 Wind.
    void EnterWindAndCombination() {
        Menu("mnuLoadCases")->trigger();
        m_dialogs->inputs = {QString("Wind"), QString("D+W")};
        Click("cmdAddLoadCase");
        Click("cmdAddCaseLoad");
        Type("GridCaseLoads", 0, 0, "3");
        Type("GridCaseLoads", 0, 2, "15");
        Click("cmdAddCombination");
        Type("GridFactors", 0, 1, "1");
        Type("GridFactors", 1, 1, "1.4");
    }

private slots:
    void init() { Start(); }
    void cleanup() { Stop(); }

    void casesLoadsAndFactorsAreEnteredInItsGrids() {
        Triangle();
        EnterWindAndCombination();
        QCOMPARE(m_dialogs->told.size(), std::size_t{0});
        const varlen::project::Project& p = Project();
        QCOMPARE(p.CaseCount(), 2);
        QCOMPARE(p.CaseName(2), std::string("Wind"));
        QCOMPARE(p.CaseLoads(2).EntryCount(), 1);
        QCOMPARE(std::string(p.CaseLoads(2).Cell(1, 1)), std::string("3"));
        QCOMPARE(std::string(p.CaseLoads(2).Cell(1, 3)), std::string("15"));
        QCOMPARE(p.combinations.size(), std::size_t{1});
        QCOMPARE(p.combinations[0].factors.EntryCount(), 2);
        QCOMPARE(Find<QListWidget>("lstLoadCases")->count(), 2);
        QCOMPARE(Find<QListWidget>("lstCombinations")->item(0)->text(), QString("1  D+W"));
        QVERIFY(m_window->Document().Document().Unsaved());
    }

    // Every step is one undo: back to the project of one case, and forward again.
    void everyStepUndoes() {
        Triangle();
        const varlen::project::Project before = Project();
        EnterWindAndCombination();
        const varlen::project::Project after = Project();
        QUndoStack& history = m_window->Document().UndoStack();
        QCOMPARE(history.count(), 7);
        while (history.canUndo())
            history.undo();
        QVERIFY(Project() == before);
        QCOMPARE(Find<QListWidget>("lstLoadCases")->count(), 1);
        while (history.canRedo())
            history.redo();
        QVERIFY(Project() == after);
        QCOMPARE(Find<QTableWidget>("GridCaseLoads")->rowCount(), 1);
    }

    void badNamesAndFactorsAreRefused() {
        Triangle();
        EnterWindAndCombination();
        const varlen::project::Project before = Project();
        m_dialogs->inputs = {QString("Wind"), QString("  ")};
        Click("cmdAddLoadCase");
        Click("cmdAddCombination");
        Type("GridFactors", 1, 1, "1.4x");
        Type("GridCaseLoads", 0, 2, "fifteen");
        QVERIFY(Project() == before);
        QCOMPARE(m_dialogs->told.size(), std::size_t{4});
        QCOMPARE(m_dialogs->told[0].text, QString("Load case 2 is already named \"Wind\"."));
        QCOMPARE(m_dialogs->told[1].text, QString("A load case or combination needs a name."));
        QCOMPARE(m_dialogs->told[2].text,
                 QString("The factor of \"Wind\" must be one number, not \"1.4x\"."));
        // The refused cell shows what the project holds again.
        QCOMPARE(Find<QTableWidget>("GridFactors")->item(1, 1)->text(), QString("1.4"));
        QCOMPARE(Find<QTableWidget>("GridCaseLoads")->item(0, 2)->text(), QString("15"));
        // Case 1 holds the joint loads table and cannot go.
        Find<QListWidget>("lstLoadCases")->setCurrentRow(0);
        QVERIFY(!Find<QPushButton>("cmdRemoveLoadCase")->isEnabled());
    }

    // The self-weight case from the section's 0.130 kN/m: 0.130 x (4 + 2 x 2.828) kN in all, downwards.
    void theSelfWeightCaseIsMadeFromTheSections() {
        Triangle();
        Menu("mnuLoadCases")->trigger();
        m_dialogs->inputs = {QString("SW")};
        Click("cmdAddSelfWeight");
        QCOMPARE(m_dialogs->told.size(), std::size_t{0});
        QCOMPARE(Project().CaseName(2), std::string("SW"));
        double total = 0;
        for (int r = 1; r <= Project().CaseLoads(2).EntryCount(); ++r)
            total +=
                varlen::project::ReadNumber(Project().CaseLoads(2).Cell(r, varlen::project::load_col::Fy));
        QVERIFY(std::abs(total + 0.130 * (4 + 2 * std::sqrt(8.0))) < 1e-12);
        QCOMPARE(Find<QTableWidget>("GridCaseLoads")->rowCount(), 3);
    }

    // A joint inserted before the apex moves the wind load with it.
    void aJointInsertedMovesEveryCasesLoads() {
        Triangle();
        EnterWindAndCombination();
        Edit(varlen::document::InsertRowEdit{TableId::Joints, 3, {"3", "3", "D", "0", "0", ""}});
        QCOMPARE(std::string(Project().CaseLoads(2).Cell(1, 1)), std::string("4"));
        QCOMPARE(Find<QTableWidget>("GridCaseLoads")->item(0, 0)->text(), QString("4"));
    }

    // After F5 the design window designs each member for the worst combination.
    void theDesignIsForTheEnvelope() {
        Triangle();
        EnterWindAndCombination();
        QVERIFY(Analyse());
        const varlen::analysis::LoadCaseResults* cases = m_window->Document().Document().LoadCases();
        QVERIFY(cases != nullptr);
        QCOMPARE(cases->combinations.size(), std::size_t{1});
        // Dead puts the tie in tension (5 kN); D+W in compression (5 - 1.4 x 7.5 = -5.5 kN).
        QCOMPARE(cases->NameOf(cases->members[0].tension), std::string());
        QCOMPARE(cases->NameOf(cases->members[0].compression), std::string("D+W"));
        QVERIFY(std::abs(cases->members[0].compression.value + 5.5) < 1e-9);
        const auto& doc = m_window->Document().Document();
        const varlen::design::CompressionOutcome struts = varlen::design::CompressionDesign(
            doc.Project(), doc.Results(), doc.Stale(), 250, doc.LoadCases());
        QVERIFY(struts.Complete());
        QCOMPARE(struts.rows.front().member, 1);
        QCOMPARE(struts.rows.front().by, std::string("D+W"));
    }

    // The joint loads editor works on the case chosen in its selector, with undo, and goes back to the
    // first case when the one it shows is removed.
    void theJointLoadEditorEditsTheChosenCase() {
        Triangle();
        EnterWindAndCombination();
        Menu("mnuJointLoad")->trigger();
        // The joints editor's widgets share some of these names: look inside the loads editor.
        auto* loads = Find("frmJointLoad");
        auto* cases = loads->findChild<QComboBox*>("cboLoadCase");
        QCOMPARE(cases->count(), 2);
        QCOMPARE(cases->itemText(1), QString("2  Wind"));
        auto* grid = loads->findChild<QTableView*>("GridJointLoad");
        QCOMPARE(grid->model()->rowCount(), 1); // case 1: the apex load
        cases->setCurrentIndex(1);
        emit cases->activated(1);
        QCOMPARE(grid->model()->rowCount(), 1); // case 2: the wind at the apex
        QCOMPARE(grid->model()->index(0, 2).data().toString(), QString("15"));
        loads->findChild<QComboBox*>("cmbJoints")->setCurrentIndex(1);
        loads->findChild<QLineEdit*>("txtFx")->setText("3");
        loads->findChild<QLineEdit*>("txtFy")->setText("0");
        loads->findChild<QPushButton*>("cmdAddJoint")->click();
        QCOMPARE(Project().CaseLoads(2).EntryCount(), 2);
        QCOMPARE(std::string(Project().CaseLoads(2).Cell(2, 1)), std::string("2"));
        QCOMPARE(Project().loads.EntryCount(), 1);
        QCOMPARE(grid->model()->rowCount(), 2);
        // The Load Cases window shows the new load too.
        QCOMPARE(Find<QTableWidget>("GridCaseLoads")->rowCount(), 2);
        m_window->Document().UndoStack().undo();
        QCOMPARE(Project().CaseLoads(2).EntryCount(), 1);
        QCOMPARE(grid->model()->rowCount(), 1);
        // Removing the case shown puts the editor back on case 1.
        m_dialogs->answers = {varlen::gui::UserDialogs::Answer::Yes};
        Find<QListWidget>("lstLoadCases")->setCurrentRow(1);
        Click("cmdRemoveLoadCase");
        QCOMPARE(Project().CaseCount(), 1);
        QCOMPARE(cases->count(), 1);
        QCOMPARE(cases->currentIndex(), 0);
        QCOMPARE(grid->model()->rowCount(), 1);
        QCOMPARE(grid->model()->index(0, 2).data().toString(), QString("-10"));
    }

    // Each results window has a selector; choosing a combination in one shows it in all.
    void everyResultsWindowShowsTheChosenCombination() {
        Triangle();
        const QList<QComboBox*> selectors = m_window->findChildren<QComboBox*>("cboResults");
        QVERIFY(selectors.size() >= 3); // the per-member windows, the summary and the picture
        QVERIFY(Analyse());
        for (QComboBox* selector : selectors)
            QCOMPARE(selector->count(), 0); // one set of results: nothing to choose
        EnterWindAndCombination();
        QVERIFY(Analyse());
        for (QComboBox* selector : selectors) {
            QCOMPARE(selector->count(), 3);
            QCOMPARE(selector->itemText(2), QString("Combination: D+W"));
        }
        QVERIFY(std::abs(m_window->Document().Results()->AxialForce(1) - 5.0) < 1e-9);
        selectors.front()->setCurrentIndex(2);
        QVERIFY(std::abs(m_window->Document().Results()->AxialForce(1) + 5.5) < 1e-9);
        for (QComboBox* selector : selectors)
            QCOMPARE(selector->currentIndex(), 2);
        // The summary's envelope tab: the tie's worst compression is under D+W, and it is never in tension.
        Menu("mnuResultsSummary")->trigger();
        auto* envelope = Find<QTableView>("GridSummaryEnvelope");
        auto* tabs = Find<QTabWidget>("tabSummary");
        QVERIFY(tabs->isTabVisible(varlen::gui::ResultsSummaryWindow::EnvelopeTab));
        QCOMPARE(envelope->model()->rowCount(), 3);
        QCOMPARE(envelope->model()->index(0, 1).data().toString(), QString());
        QCOMPARE(envelope->model()->index(0, 3).data().toString(), QString("-5.500"));
        QCOMPARE(envelope->model()->index(0, 4).data().toString(), QString("D+W"));
        // The picture's envelope: the tie labelled with its greatest tension (Dead alone is not a
        // combination: none) and compression.
        auto* picture = m_window->findChild<varlen::gui::WireframeWindow*>("frmThumbnail");
        QAction* envelopeView = Menu("mnuAxialForceEnvelope");
        QVERIFY(envelopeView->isEnabled());
        envelopeView->trigger();
        bool labelled = false;
        for (const varlen::drawing::Text& text : picture->Scene().texts)
            if (text.role == varlen::drawing::Role::MemberLabel && text.item == 1)
                labelled = text.text == "-5.5";
        QVERIFY(labelled);
        // A re-analysis keeps the choice.
        QVERIFY(Analyse());
        QVERIFY(std::abs(m_window->Document().Results()->AxialForce(1) + 5.5) < 1e-9);
    }
};

QTEST_MAIN(LoadCasesWindowTest)
#include "load_cases_window_test.moc"
