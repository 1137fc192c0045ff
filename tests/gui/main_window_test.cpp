// The desktop program driven as a user drives it: real windows found by object name, keys typed,
// buttons clicked, questions answered by a script. Runs offscreen.
#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

#include "app/mdi_form.h"
#include "editors/joints_window.h"
#include "editors/title_window.h"
#include "project/project_file.h"
#include "window_test.h"

using varlen::gui::MDIForm1;
using varlen::gui::UserDialogs;
using varlen::gui::test::ScriptedDialogs;

class MainWindowTest : public varlen::gui::test::WindowTest {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    template <class T = QWidget> T* In(const QString& window, const QString& name) const {
        QWidget* w = Find(window);
        return w ? w->findChild<T*>(name) : nullptr;
    }
    void Type(const QString& window, const QString& field, const QString& text) {
        auto* edit = In<QLineEdit>(window, field);
        QVERIFY(edit);
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    void Click(const QString& window, const QString& button) {
        auto* b = In<QPushButton>(window, button);
        QVERIFY2(b, qPrintable(button));
        b->click();
    }
    void Choose(const QString& window, const QString& list, int position) {
        auto* combo = In<QComboBox>(window, list);
        QVERIFY(combo);
        combo->setCurrentIndex(position);
    }
    void AddJoint(const char* x, const char* y, bool fixedX, bool fixedY) {
        Type("frmJoints", "txtXCoord", x);
        Type("frmJoints", "txtYCoord", y);
        In<QCheckBox>("frmJoints", "chkDisplacementsX")->setChecked(fixedX);
        In<QCheckBox>("frmJoints", "chkDisplacementsY")->setChecked(fixedY);
        Click("frmJoints", "cmdAddJoint");
    }
    void AddMember(int i, int j) {
        Choose("frmMembers", "cmbJointi", i - 1);
        Choose("frmMembers", "cmbJointj", j - 1);
        Click("frmMembers", "cmdAddMember");
    }
    bool IsShown(const QString& window) const {
        QWidget* w = Find(window);
        return w && w->isVisibleTo(m_window.get()) && w->parentWidget()->isVisible();
    }
    // The example triangle: pinned at 1, roller at 2, 10 kN down at the apex, entered through the editors.
    // The analysis runs beside the window thread: F5 starts it, and the outcome comes back later.

    void EnterTriangle() {
        Menu("mnuMaterialProperties")->trigger();
        Type("frmMaterialProperties", "txtYoungsModulus", "200");
        Click("frmMaterialProperties", "cmdAddMaterial");
        Menu("mnuCrossSectionalProperties")->trigger();
        Type("frmCrossSectionalProperties", "txtArea", "1000");
        Type("frmCrossSectionalProperties", "txtCrossSectionalDescription", "Plate");
        Click("frmCrossSectionalProperties", "cmdAddCrossSection");
        Menu("mnuJoints")->trigger();
        AddJoint("0", "0", true, true);
        AddJoint("4", "0", false, true);
        AddJoint("2", "2", false, false);
        Menu("mnuMembers")->trigger();
        AddMember(1, 2);
        AddMember(2, 3);
        AddMember(3, 1);
        Menu("mnuJointLoad")->trigger();
        Choose("frmJointLoad", "cmbJoints", 2);
        Type("frmJointLoad", "txtFy", "-10");
        Click("frmJointLoad", "cmdAddJoint");
    }

private slots:
    void init() { Start(); }
    void cleanup() { Stop(); }

    void startsWithMenusGreyedAndWindowsHidden() {
        QCOMPARE(m_window->windowTitle(), QString("Varlen - Untitled"));
        QVERIFY(!Find<QMenu>("mnuOutput")->menuAction()->isEnabled());
        QVERIFY(!Find<QMenu>("mnuPrintUsing")->menuAction()->isEnabled());
        QCOMPARE(Menu("mnuNew")->shortcut(), QKeySequence("Ctrl+N"));
        QCOMPARE(Menu("mnuOpen")->shortcut(), QKeySequence("Ctrl+O"));
        QCOMPARE(Menu("mnuAnalysis")->shortcut(), QKeySequence(Qt::Key_F5));
        QCOMPARE(Menu("mnuSave")->shortcut(), QKeySequence(QKeySequence::Save));
        QCOMPARE(Menu("mnuUndo")->shortcut(), QKeySequence(QKeySequence::Undo));
        QCOMPARE(Menu("mnuResultsSummary")->shortcut(), QKeySequence(Qt::Key_F6));
        Menu("mnuContents")->trigger(); // F1
        QCOMPARE(m_dialogs->told.back().title, QString("Varlen Help"));
        m_dialogs->told.clear();
        QCOMPARE(Menu("mnuAnalysis")->text(), QString("&7 Stiffness Method Structural Analysis"));
        QCOMPARE(Menu("mnuNotepad")->text(), QString("&Text Report..."));
        QCOMPARE(Find<QMenu>("mnuImport")->title(), QString("&Import DXF"));
        QVERIFY(Menu("mnuThumbNail")->isEnabled());
        for (const char* name : {"frmJoints", "frmMaterialProperties", "frmCrossSectionalProperties",
                                 "frmMembers", "frmJointLoad", "frmTitle", "frmCalender"}) {
            QVERIFY2(Find(name), name);
            QVERIFY2(!IsShown(name), name);
        }
    }

    // A whole truss entered through the editors, analysed with F5, saved, reopened and compared.
    void entersAnalysesSavesAndReopensATruss() {
        EnterTriangle();
        const varlen::project::Project entered = m_window->Document().Document().Project();
        QCOMPARE(entered.joints.EntryCount(), 3);
        QCOMPARE(std::string(entered.joints.Cell(2, 6)), std::string("1"));
        QCOMPARE(std::string(entered.members.Cell(3, 3)), std::string("1"));
        QCOMPARE(std::string(entered.loads.Cell(1, 1)), std::string("3"));
        QVERIFY(m_window->Document().Document().Unsaved());

        PressF5(); // as the shortcut test above checks
        QVERIFY2(m_dialogs->told.empty(), m_dialogs->told.empty() ? "" : qPrintable(m_dialogs->told[0].text));
        QVERIFY(m_window->statusBar()->currentMessage().startsWith("Analysed: 3 joints, 3 members in "));
        const varlen::analysis::Results* results = m_window->Document().Document().Results();
        QVERIFY(results);
        QVERIFY(qAbs(results->AxialForce(2) + 7.0710678) < 1e-6);
        QVERIFY(Find<QMenu>("mnuOutput")->menuAction()->isEnabled());
        QVERIFY(Find<QMenu>("mnuPrintUsing")->menuAction()->isEnabled());
        QVERIFY2(IsShown("frmJoints"), "the windows that were open stay open through an analysis");
        QVERIFY2(m_window->Document().Document().Unsaved(), "analysing does not save");
        QVERIFY(QFile::exists(m_window->TemporaryFolder() + "/TempGrid.sma"));
        QVERIFY(QFile::exists(m_window->TemporaryFolder() + "/TempGrid.txt"));

        const QString path = m_dir.filePath("triangle.sma");
        m_dialogs->fileNames = {path};
        Menu("mnuSave")->trigger(); // no name yet: Save runs Save As
        QCOMPARE(m_window->windowTitle(), QString("Varlen - triangle.sma"));
        QVERIFY(!m_window->Document().Document().Unsaved());

        Menu("mnuNew")->trigger();
        QCOMPARE(m_window->Document().Document().Project().joints.EntryCount(), 1);
        QVERIFY(!Find<QMenu>("mnuOutput")->menuAction()->isEnabled());
        m_dialogs->fileNames = {path};
        Menu("mnuOpen")->trigger();
        QCOMPARE(m_window->Document().Document().Project(), entered);
        QVERIFY(m_dialogs->told.empty());
        QVERIFY2(m_window->windowTitle().endsWith("triangle.sma"), qPrintable(m_window->windowTitle()));
        QCOMPARE(In<QLineEdit>("frmJoints", "txtJointNumber")->text(), QString("4"));
    }

    void addButtonCaptionFollowsTheRow() {
        EnterTriangle();
        auto* grid = In<QTableView>("frmJoints", "GridJoints");
        auto* add = In<QPushButton>("frmJoints", "cmdAddJoint");
        grid->setCurrentIndex(grid->model()->index(1, 0));
        QCOMPARE(add->text(), QString("Insert >"));
        grid->setCurrentIndex(grid->model()->index(2, 0));
        QCOMPARE(add->text(), QString("&Add >"));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(1, 1)).center());
        QCOMPARE(add->text(), QString("&Edit >"));
        QCOMPARE(In<QLineEdit>("frmJoints", "txtXCoord")->text(), QString("4"));
        QVERIFY(In<QCheckBox>("frmJoints", "chkDisplacementsY")->isChecked());
        Type("frmJoints", "txtXCoord", "5");
        Click("frmJoints", "cmdAddJoint");
        QCOMPARE(std::string(m_window->Document().Document().Project().joints.Cell(2, 2)), std::string("5"));
        QCOMPARE(m_window->Document().Document().Project().joints.EntryCount(), 3);
    }

    void removingAJointInUseIsRefused() {
        EnterTriangle();
        auto* grid = In<QTableView>("frmJoints", "GridJoints");
        grid->setCurrentIndex(grid->model()->index(0, 0));
        Click("frmJoints", "cmdRemoveJoint");
        QCOMPARE(m_window->Document().Document().Project().joints.EntryCount(), 3);
        QCOMPARE(m_dialogs->told.size(), size_t(1));
        QVERIFY(m_dialogs->told[0].text.contains("member 1 (joint i)"));
        QVERIFY(m_dialogs->told[0].text.contains("member 3 (joint j)"));
    }

    void removingAnUnusedRowAsksFirst() {
        EnterTriangle();
        Menu("mnuMaterialProperties")->trigger();
        Type("frmMaterialProperties", "txtYoungsModulus", "70");
        Click("frmMaterialProperties", "cmdAddMaterial");
        m_dialogs->answers = {UserDialogs::Answer::No, UserDialogs::Answer::Yes};
        Click("frmMaterialProperties", "cmdRemoveMaterial");
        QCOMPARE(m_window->Document().Document().Project().materials.EntryCount(), 2);
        QCOMPARE(m_dialogs->asked.back().text, QString("Click Yes To Remove Current Row."));
        Click("frmMaterialProperties", "cmdRemoveMaterial");
        QCOMPARE(m_window->Document().Document().Project().materials.EntryCount(), 1);
        QCOMPARE(In<QLineEdit>("frmMaterialProperties", "txtMaterialNumber")->text(), QString("2"));
    }

    // The grid models follow edits row by row (inserts, removals, changed rows, whole new tables) and
    // keep the model contract throughout: a count announced after the rows exist, or a removal announced
    // after they are gone, fails the tester. It runs on the loads grid, whose first column is data (the
    // loaded joint); the other grids' "#" column is each row's position, which an insert renumbers on
    // purpose, so there the signals themselves are checked.
    void tableModelsFollowEditsRowByRow() {
        using namespace varlen::document;
        using varlen::project::TableId;
        ProjectDocument& doc = m_window->Document().Document();
        auto* loads = In<QTableView>("frmJointLoad", "GridJointLoad")->model();
        QAbstractItemModelTester tester(loads, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(doc.Apply(SetRowEdit{TableId::Loads, 1, {"1", "0", "-5", "a"}}).applied);
        QVERIFY(doc.Apply(SetRowEdit{TableId::Loads, 2, {"2", "1", "0", "b"}}).applied);
        QVERIFY(doc.Apply(InsertRowEdit{TableId::Loads, 2, {"3", "0", "1", "c"}}).applied);
        QCOMPARE(loads->rowCount(), 3);
        QCOMPARE(loads->index(1, 0).data().toString(), QString("3"));
        QVERIFY(doc.Apply(RemoveRowEdit{TableId::Loads, 1}).applied);
        QCOMPARE(loads->rowCount(), 2);

        auto* joints = In<QTableView>("frmJoints", "GridJoints")->model();
        QSignalSpy resets(joints, &QAbstractItemModel::modelReset);
        QSignalSpy inserted(joints, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(joints, &QAbstractItemModel::rowsRemoved);
        QSignalSpy changed(joints, &QAbstractItemModel::dataChanged);
        QVERIFY(doc.Apply(SetRowEdit{TableId::Joints, 1, {"0", "0", "", "1", "1", ""}}).applied);
        QVERIFY(doc.Apply(SetRowEdit{TableId::Joints, 2, {"4", "0", "", "0", "1", ""}}).applied);
        QVERIFY(doc.Apply(InsertRowEdit{TableId::Joints, 2, {"2", "2", "", "0", "0", ""}}).applied);
        QCOMPARE(joints->rowCount(), 3);
        QCOMPARE(joints->index(2, 0).data().toString(), QString("3"));
        QCOMPARE(joints->index(2, 1).data().toString(), QString("4"));
        QCOMPARE(inserted.count(), 2);
        QCOMPARE(inserted.last().at(1).toInt(), 1); // the second model row, before the old row 2
        QVERIFY(doc.Apply(RemoveRowEdit{TableId::Joints, 1}).applied);
        QCOMPARE(joints->rowCount(), 2);
        QCOMPARE(removed.count(), 1);
        QCOMPARE(resets.count(), 0);
        QVERIFY(changed.count() >= 3);
        QVERIFY(doc.Apply(ReplaceProjectEdit{varlen::project::NewProject()}).applied);
        QCOMPARE(joints->rowCount(), 1);
        QCOMPARE(loads->rowCount(), 0);
    }

    // Every kind of change can be taken back one step at a time, to the very project there was and with
    // nothing unsaved, and brought back again: appends, an insert, an edit, a removal and the title.
    // After an edit the numbers on screen no longer belong to the tables on screen: every results
    // window says so in a bar across its top and greys its numbers, until F5 refreshes them in place.
    void staleResultsAreMarkedUntilF5() {
        EnterTriangle();
        PressF5();
        Menu("mnuLocalForces")->trigger();
        Menu("mnuResultsSummary")->trigger();
        auto* bar = In<QLabel>("frmLocalForces", "lblStale");
        auto* grid = In<QTableWidget>("frmLocalForces", "GridLocalForces");
        QVERIFY(!bar->isVisibleTo(bar->window()) && grid->isEnabled());
        Menu("mnuTitle")->trigger();
        Type("frmTitle", "txtDesigner", "B"); // any edit makes the results stale
        QVERIFY(bar->isVisibleTo(bar->window()));
        QCOMPARE(bar->text(), QString("Results out of date \u2014 press F5 to analyse again"));
        QVERIFY(!grid->isEnabled());
        QVERIFY(In<QLabel>("frmResultsSummary", "lblStale")->isVisibleTo(Find<QWidget>("frmResultsSummary")));
        PressF5();
        QVERIFY(!bar->isVisibleTo(bar->window()) && grid->isEnabled());
        QVERIFY2(IsShown("frmLocalForces"), "refreshed in place, not closed");
        QVERIFY(grid->item(0, 0));
    }

    // A braced lattice of n x n panels pinned along its bottom edge, loaded at the top corner: big
    // enough that its analysis is still running when Cancel is pressed.
    static varlen::project::Project Lattice(int n) {
        varlen::project::Project p = varlen::project::NewProject();
        const int joints = (n + 1) * (n + 1);
        p.joints.SetRowCount(joints + 1);
        for (int j = 0; j <= n; ++j)
            for (int i = 0; i <= n; ++i) {
                const int row = j * (n + 1) + i + 1;
                const std::string fixed = j == 0 ? "1" : "0";
                p.joints.SetRow(row, {"", std::to_string(row), std::to_string(i), std::to_string(j), "",
                                      fixed, fixed, ""});
            }
        p.materials.SetRow(1, {"", "1", "200", "Steel"});
        p.sections.SetRow(1, {"", "1", "1000", "Bar"});
        std::vector<std::pair<int, int>> bars;
        auto id = [n](int i, int j) { return j * (n + 1) + i + 1; };
        for (int j = 0; j <= n; ++j)
            for (int i = 0; i < n; ++i)
                bars.emplace_back(id(i, j), id(i + 1, j));
        for (int j = 0; j < n; ++j)
            for (int i = 0; i <= n; ++i)
                bars.emplace_back(id(i, j), id(i, j + 1));
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i)
                bars.emplace_back(id(i, j), id(i + 1, j + 1));
        p.members.SetRowCount(static_cast<int>(bars.size()) + 1);
        for (std::size_t m = 0; m < bars.size(); ++m)
            p.members.SetRow(static_cast<int>(m) + 1,
                             {"", std::to_string(m + 1), std::to_string(bars[m].first),
                              std::to_string(bars[m].second), "1", "1", ""});
        p.loads.SetRowCount(2);
        p.loads.SetRow(1, {"", std::to_string(joints), "5", "-10", ""});
        return p;
    }

    // F5 runs beside the window; Cancel gives the window back at once and throws the outcome away when
    // it comes: the project and the earlier results stay exactly as they were.
    void cancelledAnalysisLeavesProjectAndResults() {
        varlen::document::ProjectDocument& doc = m_window->Document().Document();
        QVERIFY(doc.Apply(varlen::document::ReplaceProjectEdit{Lattice(446)}).applied); // 199,809 joints
        QVERIFY(m_window->RunAnalysis());
        const varlen::analysis::Results* earlier = doc.Results();
        const double force = earlier->AxialForce(1);
        QVERIFY(doc.Apply(varlen::document::SetRowEdit{varlen::project::TableId::Loads,
                                                       1,
                                                       {std::to_string(447 * 447), "50", "-10", ""}})
                    .applied);
        const varlen::project::Project edited = doc.Project();
        QSignalSpy finished(m_window.get(), &MDIForm1::analysisFinished);
        Menu("mnuAnalysis")->trigger();
        auto* progress = m_window->findChild<QProgressDialog*>("dlgAnalysisProgress");
        QVERIFY(progress);
        QVERIFY(!Find<QMdiArea>("MDIClient")->isEnabled()); // the tables are held still meanwhile
        emit progress->canceled();
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QVERIFY(Find<QMdiArea>("MDIClient")->isEnabled());
        QThreadPool::globalInstance()->waitForDone();
        QApplication::processEvents();
        QVERIFY(doc.Project() == edited);
        QCOMPARE(doc.Results(), earlier);
        QCOMPARE(doc.Results()->AxialForce(1), force);
        QVERIFY(doc.Stale());
        QVERIFY(m_window->statusBar()->currentMessage().startsWith("Analysis cancelled"));
    }

    // A member that joins the same two joints as another is allowed, and the status bar says so.
    void duplicateMemberIsAllowedAndSaid() {
        EnterTriangle();
        Menu("mnuMembers")->trigger();
        AddMember(2, 1);
        QCOMPARE(m_window->Document().Document().Project().members.EntryCount(), 4);
        QCOMPARE(m_window->statusBar()->currentMessage(),
                 QString("Member 4 joins the same joints as member 1."));
    }

    void undoAndRedoEveryKindOfEdit() {
        const varlen::document::ProjectDocument& doc = m_window->Document().Document();
        const varlen::project::Project start = doc.Project();
        QVERIFY(!doc.Unsaved());
        QVERIFY(!Menu("mnuUndo")->isEnabled());
        EnterTriangle();
        Menu("mnuTitle")->trigger();
        Type("frmTitle", "txtDesigner", "A. N. Engineer"); // one step, however many keys
        Menu("mnuJoints")->trigger();
        auto* joints = In<QTableView>("frmJoints", "GridJoints");
        joints->selectRow(1); // row 2: the next add inserts before it
        AddJoint("1", "1", false, false);
        QTest::mouseClick(joints->viewport(), Qt::LeftButton, {},
                          joints->visualRect(joints->model()->index(3, 1)).center());
        AddJoint("2", "3", false, false); // edits row 4
        joints->selectRow(1);
        m_dialogs->answers.push_back(UserDialogs::Answer::Yes);
        Click("frmJoints", "cmdRemoveJoint"); // the inserted joint, used by nothing
        const varlen::project::Project edited = doc.Project();
        QCOMPARE(edited.joints.EntryCount(), 3);
        QCOMPARE(std::string(edited.joints.Cell(3, 3)), std::string("3"));
        QCOMPARE(edited.title.designer, std::string("A. N. Engineer"));

        int steps = 0;
        while (Menu("mnuUndo")->isEnabled() && steps < 100) {
            Menu("mnuUndo")->trigger();
            ++steps;
        }
        QVERIFY(doc.Project() == start);
        QVERIFY2(!doc.Unsaved(), "undone back to the opened state, nothing is unsaved");
        QCOMPARE(In<QLineEdit>("frmTitle", "txtDesigner")->text(), QString("None"));
        QCOMPARE(joints->model()->rowCount(), 1);
        for (int i = 0; i < steps; ++i)
            Menu("mnuRedo")->trigger();
        QVERIFY(doc.Project() == edited);
        QVERIFY(doc.Unsaved());
        QCOMPARE(In<QLineEdit>("frmTitle", "txtDesigner")->text(), QString("A. N. Engineer"));

        // After a save, undoing one step and redoing it comes back to a saved project.
        QTemporaryDir folder;
        m_dialogs->fileNames.push_back(folder.filePath("t.sma"));
        Menu("mnuSave")->trigger();
        QVERIFY(!doc.Unsaved());
        Menu("mnuUndo")->trigger();
        QVERIFY(doc.Unsaved());
        Menu("mnuRedo")->trigger();
        QVERIFY(!doc.Unsaved());
    }

    void keyFiltersDiscardOtherCharacters() {
        Type("frmJoints", "txtXCoord", "12a-b.5e");
        QCOMPARE(In<QLineEdit>("frmJoints", "txtXCoord")->text(), QString("12-.5"));
        Type("frmMaterialProperties", "txtYoungsModulus", "-2e05.5");
        QCOMPARE(In<QLineEdit>("frmMaterialProperties", "txtYoungsModulus")->text(), QString("205.5"));
        Type("frmJoints", "txtJointDescription", "Grid (A), 1/2");
        QCOMPARE(In<QLineEdit>("frmJoints", "txtJointDescription")->text(), QString("Grid A 1/2"));
        Type("frmTitle", "txtProject", "Bay & (north)");
        QCOMPARE(In<QLineEdit>("frmTitle", "txtProject")->text(), QString("Bay  north"));
        // The strut check asks for the radius of gyration in braces: they must survive typing.
        Type("frmCrossSectionalProperties", "txtCrossSectionalDescription", "Plate {9.957} [x]");
        QCOMPARE(In<QLineEdit>("frmCrossSectionalProperties", "txtCrossSectionalDescription")->text(),
                 QString("Plate {9.957} x"));
    }

    void fieldsTurnRedWithFocusAndYellowAfter() {
        Menu("mnuJoints")->trigger();
        auto* x = In<QLineEdit>("frmJoints", "txtXCoord");
        auto* y = In<QLineEdit>("frmJoints", "txtYCoord");
        QApplication::setActiveWindow(m_window.get());
        x->setFocus();
        QApplication::processEvents();
        QCOMPARE(x->palette().color(QPalette::Base), QColor(255, 0, 0));
        y->setFocus();
        QApplication::processEvents();
        QCOMPARE(x->palette().color(QPalette::Base), QColor(255, 255, 0));
    }

    void supportPictureFollowsTheRestraints() {
        auto* joints = Find<varlen::gui::JointsWindow>("frmJoints");
        QVERIFY(joints);
        QCOMPARE(joints->SupportPicture(), QString("Free"));
        In<QCheckBox>("frmJoints", "chkDisplacementsX")->setChecked(true);
        QCOMPARE(joints->SupportPicture(), QString("FixX"));
        In<QCheckBox>("frmJoints", "chkDisplacementsY")->setChecked(true);
        QCOMPARE(joints->SupportPicture(), QString("FixXY"));
    }

    // Closing with changes: Cancel keeps the program open; Yes with a cancelled save dialog too; No closes.
    void closingAsksAboutUnsavedChanges() {
        Type("frmTitle", "txtProject", "Shed");
        QVERIFY(m_window->Document().Document().Unsaved());
        m_dialogs->answers = {UserDialogs::Answer::Cancel};
        QVERIFY(!m_window->close());
        QCOMPARE(m_dialogs->asked.back().text, QString("Save changes to Varlen Analysis?"));
        m_dialogs->answers = {UserDialogs::Answer::Yes};
        QVERIFY(!m_window->close());
        QVERIFY(m_window->Document().Document().Unsaved());
        m_dialogs->answers = {UserDialogs::Answer::No};
        QVERIFY(m_window->close());
    }

    void newWithUnsavedChangesAsksThenActs() {
        Type("frmTitle", "txtProject", "Shed");
        m_dialogs->answers = {UserDialogs::Answer::Cancel};
        Menu("mnuNew")->trigger();
        QCOMPARE(m_window->Document().Document().Project().title.project, std::string("Shed"));
        m_dialogs->answers = {UserDialogs::Answer::No};
        Menu("mnuNew")->trigger();
        QCOMPARE(m_window->Document().Document().Project().title.project, std::string("None"));
        QCOMPARE(In<QLineEdit>("frmTitle", "txtProject")->text(), QString("None"));
    }

    void analysisFailureShowsTheCause() {
        PressF5();
        QCOMPARE(m_window->statusBar()->currentMessage(),
                 QString("Member 1 at end i names joint 0, which is not in the joints table (1 to 1)."));
        QCOMPARE(m_dialogs->told.size(), size_t(1));
        QCOMPARE(m_dialogs->told[0].title, QString("Program Unable to Continue!"));
        QVERIFY(m_dialogs->told[0].text.startsWith(
            "An Error Just Occurred.\nDid you input your structure correctly?"));
        QVERIFY(m_dialogs->told[0].text.contains("Member 1 at end i names joint 0"));
        QVERIFY(!Find<QMenu>("mnuOutput")->menuAction()->isEnabled());
    }

    void damagedFileLeavesEverythingAsItWas() {
        EnterTriangle();
        const varlen::project::Project before = m_window->Document().Document().Project();
        const QString path = m_dir.filePath("bad.sma");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\"a\"\r\n\"b\"\r\n\"c\"\r\n\"d\"\r\n\"e\"\r\nmany\r\n");
        file.close();
        m_dialogs->answers = {UserDialogs::Answer::No};
        m_dialogs->fileNames = {path};
        Menu("mnuOpen")->trigger();
        QCOMPARE(m_window->Document().Document().Project(), before);
        QCOMPARE(m_window->windowTitle(), QString("Varlen - Untitled"));
        QCOMPARE(m_dialogs->told.size(), size_t(1));
        QVERIFY(m_dialogs->told[0].text.contains("line 6"));
    }

    void calculatorAndCatalogueFillTheBoxes() {
        Menu("mnuCrossSectionalProperties")->trigger();
        auto* area = In<QLineEdit>("frmCrossSectionalProperties", "txtArea");
        auto* description = In<QLineEdit>("frmCrossSectionalProperties", "txtCrossSectionalDescription");
        QCOMPARE(area->text(), QString("45.548")); // the window opens with the first square section
        auto* pictures = In<QStackedWidget>("frmCrossSectionalProperties", "Picture1");
        Click("frmCrossSectionalProperties", "cmdPrevious");
        QCOMPARE(pictures->currentIndex(), 4);
        Click("frmCrossSectionalProperties", "cmdNext");
        Click("frmCrossSectionalProperties", "cmdNext");
        QCOMPARE(pictures->currentIndex(), 1);
        m_dialogs->inputs = {QString("10")};
        Click("frmCrossSectionalProperties", "cmdEvaluate");
        QCOMPARE(area->text(), QString("314.1592654"));
        QCOMPARE(description->text(), QString("Circular Section with radius  10"));
        // Cancel at the third prompt of the I section changes nothing.
        Click("frmCrossSectionalProperties", "cmdNext");
        m_dialogs->inputs = {QString("100"), QString("10"), std::nullopt};
        Click("frmCrossSectionalProperties", "cmdEvaluate");
        QCOMPARE(area->text(), QString("314.1592654"));
        auto* shs = In<QComboBox>("frmCrossSectionalProperties", "cmbSHS");
        QCOMPARE(shs->count(), 85);
        QCOMPARE(In<QComboBox>("frmCrossSectionalProperties", "cmbRHS")->count(), 98);
        const int second = shs->findText("100 x 100 x 4.6 x 0.132 kN/m (1722.577){39.370}");
        QVERIFY(second > 0);
        shs->setCurrentIndex(second);
        emit shs->textActivated(shs->currentText());
        QCOMPARE(area->text(), QString("1722.577"));
        Click("frmCrossSectionalProperties", "cmdAddCrossSection");
        QCOMPARE(std::string(m_window->Document().Document().Project().sections.Cell(1, 3)),
                 std::string("100 x 100 x 4.6 x 0.132 kN/m (1722.577){39.370}"));
    }

    void membersListsFollowTheTables() {
        EnterTriangle();
        Menu("mnuMembers")->trigger();
        QCOMPARE(In<QComboBox>("frmMembers", "cmbJointi")->count(), 3);
        QCOMPARE(In<QComboBox>("frmMembers", "cmbMaterialType")->count(), 1);
        QCOMPARE(In<QComboBox>("frmMembers", "cmbCrossSectionType")->count(), 1);
        Choose("frmMembers", "cmbCrossSectionType", 0);
        QCOMPARE(In<QLabel>("frmMembers", "lblCrossSectionDescription")->text(), QString("Plate"));
    }

    void datePickerWritesTheDate() {
        Menu("mnuTitle")->trigger();
        QVERIFY(m_window->windowTitle().size() > 0);
        QVERIFY(Find("frmTitle")->windowTitle().startsWith("Title - "));
        In<QLineEdit>("frmTitle", "txtDate")->setFocus();
        QApplication::setActiveWindow(m_window.get());
        In<QLineEdit>("frmTitle", "txtDate")->setFocus();
        QApplication::processEvents();
        QVERIFY(IsShown("frmCalender"));
        Click("frmCalender", "cmdHideCalender");
        QVERIFY(!IsShown("frmCalender"));
        QCOMPARE(QString::fromStdString(m_window->Document().Document().Project().title.date),
                 QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
        QVERIFY(m_window->Document().Document().Unsaved());
    }

    void resultsWindowsShowTheChosenMember() {
        EnterTriangle();
        QVERIFY(m_window->RunAnalysis());
        Menu("mnuLocalForces")->trigger();
        QVERIFY(IsShown("frmLocalForces"));
        auto* grid = In<QTableWidget>("frmLocalForces", "GridLocalForces");
        auto* list = In<QComboBox>("frmLocalForces", "cmbMemberNumber");
        QCOMPARE(list->count(), 3);
        // It opens on member 1 (horizontal, in tension: end i pulled along -x'), says what the signs mean,
        // and PgDn steps to the next member.
        QCOMPARE(list->currentIndex(), 0);
        QVERIFY(grid->item(0, 0));
        QVERIFY(In<QLabel>("frmLocalForces", "lblConvention")
                    ->text()
                    .contains("in tension the force at joint i is negative"));
        QTest::keyClick(Find<QWidget>("frmLocalForces"), Qt::Key_PageDown);
        QCOMPARE(list->currentIndex(), 1);
        QTest::keyClick(Find<QWidget>("frmLocalForces"), Qt::Key_PageUp);
        QCOMPARE(list->currentIndex(), 0);
        // The description is read from the members table when the member is chosen, edits included.
        (void)m_window->Document().Document().Apply(varlen::document::SetRowEdit{
            varlen::project::TableId::Members, 2, {"2", "3", "1", "1", "Rafter"}});
        list->setCurrentIndex(1);
        QCOMPARE(In<QLabel>("frmLocalForces", "lblMemberD")->text(), QString("Rafter"));
        QCOMPARE(grid->verticalHeaderItem(0)->text(), QString("Joint i - Fx'"));
        QCOMPARE(grid->item(0, 0)->text(), QString("+7.071 E+00")); // compression: end i pushed along +x'
        QCOMPARE(grid->item(1, 0)->text(), QString("+0.000 E+00"));
        QCOMPARE(grid->item(2, 0)->text(), QString("-7.071 E+00"));
        Click("frmLocalForces", "cmdDone");
        QVERIFY(!IsShown("frmLocalForces"));
        Menu("mnuLocalForces")->trigger();
        QCOMPARE(list->currentIndex(), 1); // reopened on the same member
        Menu("mnuGlobalDisplacements")->trigger();
        auto* displacements = In<QTableWidget>("frmGlobalDisplacements", "GridGlobalDisplacements");
        In<QComboBox>("frmGlobalDisplacements", "cmbMemberNumber")->setCurrentIndex(0);
        QCOMPARE(displacements->item(0, 0)->text(), QString("+0.000 E+00"));
    }

    // A re-analysis that stops must not leave the last results on screen as if they were current: the
    // results windows hide and empty, the design window goes, Output and Print Using grey out and the
    // store is empty, until an analysis succeeds again.
    void stoppedReanalysisWithdrawsTheResults() {
        EnterTriangle();
        QVERIFY(m_window->RunAnalysis());
        Menu("mnuLocalForces")->trigger();
        auto* grid = In<QTableWidget>("frmLocalForces", "GridLocalForces");
        auto* list = In<QComboBox>("frmLocalForces", "cmbMemberNumber");
        list->setCurrentIndex(1);
        QCOMPARE(grid->item(0, 0)->text(), QString("+7.071 E+00"));
        Menu("mnuBS449")->trigger();
        QVERIFY(IsShown("frmBS449"));
        QVERIFY(In<QTableWidget>("frmBS449", "GridWeldDesign")->rowCount() > 0);
        m_dialogs->told.clear(); // "Plate" has no radius in braces: the strut check said so

        // Joint 2 loses its roller: the triangle can turn about joint 1.
        Menu("mnuJoints")->trigger();
        auto* joints = In<QTableView>("frmJoints", "GridJoints");
        QTest::mouseClick(joints->viewport(), Qt::LeftButton, {},
                          joints->visualRect(joints->model()->index(1, 1)).center());
        QCOMPARE(In<QPushButton>("frmJoints", "cmdAddJoint")->text(), QString("&Edit >"));
        In<QCheckBox>("frmJoints", "chkDisplacementsY")->setChecked(false);
        Click("frmJoints", "cmdAddJoint");
        QCOMPARE(std::string(m_window->Document().Document().Project().joints.Cell(2, 6)), std::string("0"));
        Menu("mnuLocalForces")->trigger();
        QVERIFY(IsShown("frmLocalForces"));

        PressF5();
        QCOMPARE(m_dialogs->told.size(), size_t(1));
        QCOMPARE(m_dialogs->told[0].title, QString("Program Unable to Continue!"));
        QApplication::processEvents();
        QCOMPARE(m_window->Document().Results(), nullptr);
        QVERIFY(!Find<QMenu>("mnuOutput")->menuAction()->isEnabled());
        QVERIFY(!Find<QMenu>("mnuPrintUsing")->menuAction()->isEnabled());
        for (const char* name : {"frmGlobalDisplacements", "frmLocalForces", "frmReactions"}) {
            QVERIFY2(!IsShown(name), name);
            QCOMPARE(In<QComboBox>(name, "cmbMemberNumber")->count(), 0);
        }
        QVERIFY(!Find("frmBS449") || !IsShown("frmBS449"));
        // Even reached without the menu, the window has nothing to show.
        Menu("mnuLocalForces")->trigger();
        QVERIFY(!grid->item(0, 0));
        QVERIFY(In<QLabel>("frmLocalForces", "lblMemberD")->text().isEmpty());
        list->setCurrentIndex(1);
        QVERIFY(!grid->item(0, 0));
        // The design refuses rather than use the withdrawn forces.
        m_dialogs->told.clear();
        Menu("mnuBS449")->trigger();
        QCOMPARE(In<QTableWidget>("frmBS449", "GridBS449")->rowCount(), 0);
        QCOMPARE(In<QTableWidget>("frmBS449", "GridWeldDesign")->rowCount(), 0);

        // The support back: the next analysis brings results and the menus back.
        m_window->HideChild();
        Menu("mnuJoints")->trigger();
        QTest::mouseClick(joints->viewport(), Qt::LeftButton, {},
                          joints->visualRect(joints->model()->index(1, 1)).center());
        In<QCheckBox>("frmJoints", "chkDisplacementsY")->setChecked(true);
        Click("frmJoints", "cmdAddJoint");
        QVERIFY(m_window->RunAnalysis());
        QVERIFY(m_window->Document().Results());
        QVERIFY(Find<QMenu>("mnuOutput")->menuAction()->isEnabled());
        QCOMPARE(list->count(), 3);
        m_dialogs->told.clear();
    }

    // A change of the places greys Output and hides the results until the next analysis uses them.
    void decimalPlacesTakeEffectAtTheNextAnalysis() {
        EnterTriangle();
        QVERIFY(m_window->RunAnalysis());
        Menu("mnuGlobalForces")->trigger();
        QVERIFY(IsShown("frmReactions"));
        Menu("mnuOptions")->trigger();
        auto* places = In<QLineEdit>("frmOptions", "txtPlaces");
        QCOMPARE(places->text(), QString("3"));
        places->clear();
        QTest::keyClicks(places, "0x");
        QCOMPARE(places->text(), QString("0"));
        QVERIFY(!IsShown("frmReactions"));
        QVERIFY(!Find<QMenu>("mnuOutput")->menuAction()->isEnabled());
        QVERIFY(Find<QMenu>("mnuPrintUsing")->menuAction()->isEnabled());
        QVERIFY(m_window->RunAnalysis());
        QVERIFY(Find<QMenu>("mnuOutput")->menuAction()->isEnabled());
        Menu("mnuGlobalForces")->trigger();
        In<QComboBox>("frmReactions", "cmbMemberNumber")->setCurrentIndex(0);
        QCOMPARE(In<QTableWidget>("frmReactions", "GridReactions")->item(0, 0)->text(), QString("-5. E+00"));
        QTest::keyClicks(places, "25");
        Click("frmOptions", "cmdOptionsOK");
        QCOMPARE(places->text(), QString("10"));
        QVERIFY(!IsShown("frmOptions"));
        // Ten places in a large font make long values: the window widens to show each of them whole.
        QVERIFY(m_window->RunAnalysis());
        Menu("mnuGlobalForces")->trigger();
        auto* grid = In<QTableWidget>("frmReactions", "GridReactions");
        QFont large = grid->font();
        large.setPointSize(28);
        grid->setFont(large);
        In<QComboBox>("frmReactions", "cmbMemberNumber")->setCurrentIndex(1);
        In<QComboBox>("frmReactions", "cmbMemberNumber")->setCurrentIndex(0);
        QApplication::processEvents();
        QCOMPARE(grid->item(0, 0)->text(), QString("-5.0000000000 E+00"));
        QVERIFY(grid->columnWidth(0) > grid->fontMetrics().horizontalAdvance(grid->item(0, 0)->text()));
        QVERIFY(grid->viewport()->width() >= grid->columnWidth(0));
        QVERIFY(grid->viewport()->height() >= 4 * grid->rowHeight(0));
        QVERIFY(grid->rowHeight(0) > grid->fontMetrics().height());
    }

    // The triangle with a catalogue section (its braces carry r) and three decimal places.
    void designWindowChecksEveryMember() {
        EnterTriangle();
        Menu("mnuCrossSectionalProperties")->trigger();
        auto* shs = In<QComboBox>("frmCrossSectionalProperties", "cmbSHS");
        shs->setCurrentIndex(shs->findText(" 25 x  25 x 1.0 x 0.007 kN/m (96.129){9.957}"));
        emit shs->textActivated(shs->currentText());
        auto* grid = In<QTableView>("frmCrossSectionalProperties", "GridCrossSections");
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(0, 1)).center());
        shs->setCurrentIndex(shs->findText(" 25 x  25 x 1.0 x 0.007 kN/m (96.129){9.957}"));
        emit shs->textActivated(shs->currentText());
        Click("frmCrossSectionalProperties", "cmdAddCrossSection"); // edits section 1
        QCOMPARE(std::string(m_window->Document().Document().Project().sections.Cell(1, 2)),
                 std::string("96.129"));
        QVERIFY(m_window->RunAnalysis());
        Menu("mnuBS449")->trigger();
        QVERIFY(m_dialogs->told.empty());
        auto* tension = In<QTableWidget>("frmBS449", "GridBS449");
        auto* compression = In<QTableWidget>("frmBS449", "GridCompressionBS449");
        auto* welds = In<QTableWidget>("frmBS449", "GridWeldDesign");
        QCOMPARE(tension->rowCount(), 1);
        QCOMPARE(tension->item(0, 0)->text(), QString(" 1"));
        QCOMPARE(tension->item(0, 1)->text(), QString("+5.201 E+01")); // 5 kN over 96.129 mm²
        QCOMPARE(tension->item(0, 3)->text(), QString("OK"));
        QCOMPARE(compression->rowCount(), 2);
        QCOMPARE(compression->item(0, 3)->text(), QString("Failed")); // slender: lambda 284
        QCOMPARE(welds->rowCount(), 3);
        // A new stress hides the grid until the check runs again.
        In<QComboBox>("frmBS449", "cmballowablestress")->setCurrentText("215");
        QVERIFY(tension->isHidden());
        Click("frmBS449", "cmdDesignTension");
        QVERIFY(!tension->isHidden());
        QCOMPARE(tension->rowCount(), 1);
        QCOMPARE(tension->horizontalHeaderItem(2)->text(), QString("Required Area"));
        // A slip in a typed stress is refused naming the stress, not read as its leading digits.
        In<QComboBox>("frmBS449", "cmballowablestress")->setCurrentText("215x");
        Click("frmBS449", "cmdDesignTension");
        QCOMPARE(tension->rowCount(), 0);
        QCOMPARE(m_dialogs->told.size(), size_t(1));
        QCOMPARE(
            m_dialogs->told[0].text,
            QString(
                "Changes Occured or Structure has not been analysed or Cross Sectional Properties Has Been "
                "Wrongly Defined! Structure Cannot Be Designed.\nMember 1: the allowable tension stress pt "
                "is 0 N/mm2; it must be a number greater than 0."));
        m_dialogs->told.clear();
    }

    // Edits after the analysis: tension and compression say why they refuse, the welds say nothing.
    void designRefusesWhileResultsAreStale() {
        EnterTriangle();
        QVERIFY(m_window->RunAnalysis());
        Type("frmTitle", "txtProject", "Edited");
        Menu("mnuBS449")->trigger();
        QCOMPARE(m_dialogs->told.size(), size_t(2));
        QCOMPARE(m_dialogs->told[0].title, QString("Please Review Your Structure"));
        QVERIFY(m_dialogs->told[0].text.startsWith("Changes Occured or Structure has not been analysed"));
        QCOMPARE(In<QTableWidget>("frmBS449", "GridBS449")->rowCount(), 0);
        QCOMPARE(In<QTableWidget>("frmBS449", "GridWeldDesign")->rowCount(), 0);
    }

    // A bundled example opened, analysed and designed: every member gets a row somewhere.
    void bundledExampleDesignsCompletely() {
        QVERIFY(m_window->OpenPath(QString(VARLEN_EXAMPLES_DIR) + "/bridge_girder.sma"));
        QVERIFY(m_window->windowTitle().endsWith("bridge_girder.sma"));
        QVERIFY(m_window->RunAnalysis());
        Menu("mnuGlobalDisplacements")->trigger();
        auto* list = In<QComboBox>("frmGlobalDisplacements", "cmbMemberNumber");
        QCOMPARE(list->count(), 25);
        list->setCurrentIndex(24);
        QVERIFY(!In<QLabel>("frmGlobalDisplacements", "lblMemberD")->text().isEmpty());
        Menu("mnuBS449")->trigger();
        QVERIFY(m_dialogs->told.empty());
        const int tension = In<QTableWidget>("frmBS449", "GridBS449")->rowCount();
        const int compression = In<QTableWidget>("frmBS449", "GridCompressionBS449")->rowCount();
        QCOMPARE(tension + compression, 25);
        QCOMPARE(In<QTableWidget>("frmBS449", "GridWeldDesign")->rowCount(), 25);
        Click("frmBS449", "Command1");
        QApplication::processEvents();
        QVERIFY(!Find("frmBS449") || !IsShown("frmBS449"));
    }

    // The temporary files live in this instance's own folder and go with it.
    void temporaryFilesGoWhenTheProgramEnds() {
        ScriptedDialogs dialogs;
        QString folder;
        {
            MDIForm1 other(dialogs, false);
            folder = other.TemporaryFolder();
            QVERIFY(folder.startsWith(QDir::tempPath()));
            QVERIFY(folder != m_window->TemporaryFolder());
            (void)other.Document().Document().Apply(
                varlen::document::ReplaceProjectEdit{m_window->Document().Document().Project()});
            other.RunAnalysis(); // the blank project stops, but the temporary project is written
            QVERIFY(QFile::exists(folder + "/TempGrid.sma"));
        }
        QVERIFY(!QDir(folder).exists());
    }

    void windowsMenuListsTheOpenChildWindows() {
        Menu("mnuJoints")->trigger();
        Menu("mnuMembers")->trigger();
        auto* windows = Find<QMenu>("mnuWindows");
        emit windows->aboutToShow();
        QStringList titles;
        for (QAction* action : windows->actions())
            if (!action->isSeparator()) titles << action->text();
        QCOMPARE(titles, QStringList({"&Tile", "&Cascade", "Close &All", "Joints", "Members"}));
        QVERIFY(windows->actions().last()->isChecked()); // the active window is ticked
        windows->actions().at(4)->trigger();
        QCOMPARE(Find<QMdiArea>("MDIClient")->activeSubWindow()->widget()->objectName(),
                 QString("frmJoints"));
        emit windows->aboutToShow();
        Menu("mnuTile")->trigger();
        const QRect joints = Find<QWidget>("frmJoints")->parentWidget()->geometry();
        const QRect members = Find<QWidget>("frmMembers")->parentWidget()->geometry();
        QVERIFY2(!joints.intersects(members), "tiled windows do not overlap");
        emit windows->aboutToShow();
        Menu("mnuCloseAll")->trigger();
        QVERIFY(!IsShown("frmJoints") && !IsShown("frmMembers"));
    }

    void greetingFollowsTheClock() {
        QCOMPARE(varlen::gui::Greeting(QTime(11, 59, 59)), QString("Good Morning"));
        QCOMPARE(varlen::gui::Greeting(QTime(12, 0, 0)), QString());
        QCOMPARE(varlen::gui::Greeting(QTime(14, 0, 0)), QString("Good Afternoon"));
        QCOMPARE(varlen::gui::Greeting(QTime(15, 0, 0)), QString());
        QCOMPARE(varlen::gui::Greeting(QTime(20, 0, 0)), QString("Good Evening"));
    }
    // The x on a child's own title bar hides it as Done does; the menu brings it back whole, not as an
    // empty frame around a child that the x had hidden inside it.
    void closeBoxHidesAndTheMenuReopensWhole() {
        EnterTriangle();
        const struct {
            const char* menu;
            const char* window;
            const char* grid;
            int rows;
        } children[] = {
            {"mnuTitle", "frmTitle", nullptr, 0},
            {"mnuJoints", "frmJoints", "GridJoints", 3},
            {"mnuMaterialProperties", "frmMaterialProperties", "GridMaterials", 1},
            {"mnuCrossSectionalProperties", "frmCrossSectionalProperties", "GridCrossSections", 1},
            {"mnuMembers", "frmMembers", "GridMembers", 3},
            {"mnuJointLoad", "frmJointLoad", "GridJointLoad", 1},
            {"mnuThumbNail", "frmThumbnail", nullptr, 0},
        };
        for (const auto& child : children) {
            Menu(child.menu)->trigger();
            auto* frame = Find<QMdiSubWindow>(QString(child.window) + "Frame");
            QVERIFY2(frame, child.window);
            frame->close();
            QVERIFY2(!IsShown(child.window), child.window);
            Menu(child.menu)->trigger();
            QVERIFY2(IsShown(child.window), child.window);
            QVERIFY2(Find(child.window)->isVisible(), child.window);
            if (!child.grid) continue;
            auto* grid = In<QTableView>(child.window, child.grid);
            QVERIFY2(grid && grid->isVisible(), child.grid);
            QCOMPARE(grid->model()->rowCount(), child.rows);
        }
    }

    // Closing the date picker by its x is its Cancel: the title block comes back with the focus in the
    // drawing number and the date as it was, and the picker opens whole the next time.
    void datePickerCloseBoxIsCancel() {
        Menu("mnuTitle")->trigger();
        QApplication::setActiveWindow(m_window.get());
        const std::string before = m_window->Document().Document().Project().title.date;
        In<QLineEdit>("frmTitle", "txtDate")->setFocus();
        QApplication::processEvents();
        QVERIFY(IsShown("frmCalender"));
        Find<QMdiSubWindow>("frmCalenderFrame")->close();
        QVERIFY(!IsShown("frmCalender"));
        QVERIFY(IsShown("frmTitle"));
        QCOMPARE(Find("frmTitle")->focusWidget(), In<QWidget>("frmTitle", "txtDrawingNo"));
        QCOMPARE(m_window->Document().Document().Project().title.date, before);
        In<QLineEdit>("frmTitle", "txtDate")->setFocus();
        QApplication::processEvents();
        QVERIFY(IsShown("frmCalender"));
        QVERIFY(In<QWidget>("frmCalender", "Calender")->isVisible());
    }

    // An answer that is not one number is refused with a message and asked again: "abc" once gave an
    // area of 1 and a radius of 0, "1OO" (letter O) a radius of 1.
    void calculatorAsksAgainForAnAnswerThatIsNotANumber() {
        Menu("mnuCrossSectionalProperties")->trigger();
        auto* area = In<QLineEdit>("frmCrossSectionalProperties", "txtArea");
        auto* description = In<QLineEdit>("frmCrossSectionalProperties", "txtCrossSectionalDescription");
        Click("frmCrossSectionalProperties", "cmdNext"); // the circular section
        m_dialogs->inputs = {QString("abc"), QString("1OO"), QString("10")};
        Click("frmCrossSectionalProperties", "cmdEvaluate");
        QCOMPARE(m_dialogs->told.size(), size_t(2));
        QCOMPARE(m_dialogs->told[0].title, QString("Circular Section"));
        QVERIFY2(m_dialogs->told[0].text.startsWith("\"abc\" is not a number."),
                 qPrintable(m_dialogs->told[0].text));
        QVERIFY(m_dialogs->told[1].text.startsWith("\"1OO\" is not a number."));
        QCOMPARE(m_dialogs->asked.size(), size_t(3));
        QCOMPARE(m_dialogs->asked[2].text, QString("Please Enter Radius, r"));
        QCOMPARE(area->text(), QString("314.1592654"));
        QCOMPARE(description->text(), QString("Circular Section with radius  10"));
        // Refused, then cancelled: the boxes stay as they were.
        m_dialogs->inputs = {QString("abc"), std::nullopt};
        Click("frmCrossSectionalProperties", "cmdEvaluate");
        QCOMPARE(area->text(), QString("314.1592654"));
    }

    // The label beside the joint list names the chosen joint as soon as the list is filled, and the
    // joint of the project now open, not of the one before.
    void jointLoadLabelNamesTheChosenJoint() {
        Menu("mnuJoints")->trigger();
        Type("frmJoints", "txtJointDescription", "Left support");
        Click("frmJoints", "cmdAddJoint");
        Menu("mnuJointLoad")->trigger();
        QCOMPARE(In<QLabel>("frmJointLoad", "lblJointD")->text(), QString("Left support"));
        m_dialogs->answers = {UserDialogs::Answer::No};
        Menu("mnuNew")->trigger();
        Menu("mnuJoints")->trigger();
        Type("frmJoints", "txtJointDescription", "Right support");
        Click("frmJoints", "cmdAddJoint");
        Menu("mnuJointLoad")->trigger();
        QCOMPARE(In<QLabel>("frmJointLoad", "lblJointD")->text(), QString("Right support"));
    }

    // A paste drops what typing would: a double quote pasted into a description was shown but saved as
    // another character, so the screen and the file disagreed.
    void pastingPassesTheKeyFilter() {
        Menu("mnuJoints")->trigger();
        QApplication::setActiveWindow(m_window.get());
        auto* description = In<QLineEdit>("frmJoints", "txtJointDescription");
        description->clear();
        description->setFocus();
        QGuiApplication::clipboard()->setText("Ridge \"A\" (north)");
        QTest::keyClick(description, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(description->text(), QString("Ridge A north"));
        auto* x = In<QLineEdit>("frmJoints", "txtXCoord");
        x->clear();
        QGuiApplication::clipboard()->setText("x = -2.5 m");
        QTest::keyClick(x, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(x->text(), QString("-2.5"));
        Click("frmJoints", "cmdAddJoint");
        QCOMPARE(std::string(m_window->Document().Document().Project().joints.Cell(1, 4)),
                 std::string("Ridge A north"));
    }

    // Reopened, the number lists start again from their first entry; after New or Open the
    // cross-section boxes hold the first catalogue row, as a fresh window does.
    void listsAndBoxesStartAfreshWhenReopened() {
        EnterTriangle();
        Menu("mnuMembers")->trigger();
        Choose("frmMembers", "cmbJointi", 2);
        Choose("frmMembers", "cmbMaterialType", 0);
        Click("frmMembers", "cmdDone");
        Menu("mnuMembers")->trigger();
        QCOMPARE(In<QComboBox>("frmMembers", "cmbJointi")->currentIndex(), 0);
        Menu("mnuJointLoad")->trigger();
        QCOMPARE(In<QComboBox>("frmJointLoad", "cmbJoints")->currentIndex(), 2); // as the triangle left it
        Click("frmJointLoad", "cmdDone");
        Menu("mnuJointLoad")->trigger();
        QCOMPARE(In<QComboBox>("frmJointLoad", "cmbJoints")->currentIndex(), 0);

        const QString path = m_dir.filePath("fresh.sma");
        m_dialogs->fileNames = {path};
        Menu("mnuSaveAs")->trigger();
        auto* area = In<QLineEdit>("frmCrossSectionalProperties", "txtArea");
        auto* description = In<QLineEdit>("frmCrossSectionalProperties", "txtCrossSectionalDescription");
        const QString firstRow = In<QComboBox>("frmCrossSectionalProperties", "cmbSHS")->itemText(0);
        for (const char* command : {"mnuNew", "mnuOpen"}) {
            Menu("mnuCrossSectionalProperties")->trigger();
            Type("frmCrossSectionalProperties", "txtArea", "12");
            Type("frmCrossSectionalProperties", "txtCrossSectionalDescription", "Plate");
            m_dialogs->fileNames = {path};
            Menu(command)->trigger();
            QCOMPARE(area->text(), QString("45.548"));
            QCOMPARE(description->text(), firstRow);
        }
    }

    // A number box that holds anything but one complete number is refused by name, and nothing is
    // stored: the leading number used to be taken silently ("20.0.59" as 20).
    void numberBoxesRefuseWhatIsNotANumber() {
        const struct {
            const char* menu;
            const char* window;
            const char* box;
            const char* add;
            const char* text;
            const char* message;
        } cases[] = {
            {"mnuJoints", "frmJoints", "txtXCoord", "cmdAddJoint", "20.0.59",
             "X Co-ordinate: \"20.0.59\" is not a number."},
            {"mnuJoints", "frmJoints", "txtYCoord", "cmdAddJoint", "1,5",
             "Y Co-ordinate: \"1,5\" is not a number."},
            {"mnuMaterialProperties", "frmMaterialProperties", "txtYoungsModulus", "cmdAddMaterial", "12abc",
             "Young's Modulus: \"12abc\" is not a number."},
            {"mnuCrossSectionalProperties", "frmCrossSectionalProperties", "txtArea", "cmdAddCrossSection",
             "1.2.3", "Cross Sectional Area: \"1.2.3\" is not a number."},
            {"mnuJointLoad", "frmJointLoad", "txtFy", "cmdAddJoint", "-1,5", "Fy: \"-1,5\" is not a number."},
        };
        const varlen::project::Project before = m_window->Document().Document().Project();
        for (const auto& c : cases) {
            Menu(c.menu)->trigger();
            In<QLineEdit>(c.window, c.box)->setText(c.text); // a paste or an older text: past the key filter
            m_dialogs->told.clear();
            Click(c.window, c.add);
            QCOMPARE(m_dialogs->told.size(), size_t(1));
            QCOMPARE(m_dialogs->told[0].text, QString(c.message));
            QCOMPARE(In<QLineEdit>(c.window, c.box)->text(), QString(c.text));
            In<QLineEdit>(c.window, c.box)->clear();
        }
        QCOMPARE(m_window->Document().Document().Project(), before);
        QVERIFY(!m_window->Document().Document().Unsaved());
    }

    // After an edit or an insert the fields are blank again and the selection is back at the end, so
    // the next "&Add >" appends instead of inserting where the last change went.
    void afterAnEditTheNextAddAppends() {
        EnterTriangle();
        auto* grid = In<QTableView>("frmJoints", "GridJoints");
        auto* add = In<QPushButton>("frmJoints", "cmdAddJoint");
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(1, 1)).center());
        QCOMPARE(add->text(), QString("&Edit >"));
        QVERIFY(In<QCheckBox>("frmJoints", "chkDisplacementsY")->isChecked());
        Type("frmJoints", "txtXCoord", "5");
        Click("frmJoints", "cmdAddJoint");
        QVERIFY(!In<QCheckBox>("frmJoints", "chkDisplacementsX")->isChecked());
        QVERIFY(!In<QCheckBox>("frmJoints", "chkDisplacementsY")->isChecked());
        QCOMPARE(In<QLineEdit>("frmJoints", "txtXCoord")->text(), QString());
        QCOMPARE(grid->currentIndex().row(), 2);
        AddJoint("6", "1", false, false);
        const varlen::project::Project& p = m_window->Document().Document().Project();
        QCOMPARE(p.joints.EntryCount(), 4);
        QCOMPARE(std::string(p.joints.Cell(2, 2)), std::string("5"));
        QCOMPARE(std::string(p.joints.Cell(4, 2)), std::string("6"));
        // An insert before row 2, then "&Add >" appends behind it all.
        grid->setCurrentIndex(grid->model()->index(1, 0));
        QCOMPARE(add->text(), QString("Insert >"));
        AddJoint("7", "1", true, false);
        QVERIFY(!In<QCheckBox>("frmJoints", "chkDisplacementsX")->isChecked());
        QCOMPARE(add->text(), QString("&Add >"));
        AddJoint("8", "1", false, false);
        QCOMPARE(p.joints.EntryCount(), 6);
        QCOMPARE(std::string(p.joints.Cell(2, 2)), std::string("7"));
        QCOMPARE(std::string(p.joints.Cell(6, 2)), std::string("8"));
    }

    // The summary after F5: fixed-point figures with the analysis's places, columns that sort on the
    // numbers (as text "-7.071" would sort after "5.000"), Ctrl+C that pastes into a spreadsheet with its
    // headings, a CSV that quotes a description with a comma, and the member list shown when a project opens.
    void resultsSummarySortsCopiesAndExports() {
        EnterTriangle();
        PressF5();
        QCOMPARE(Menu("mnuResultsSummary")->shortcut(), QKeySequence(Qt::Key_F6));
        Menu("mnuResultsSummary")->trigger();
        QVERIFY(IsShown("frmResultsSummary"));
        auto* view = In<QTableView>("frmResultsSummary", "GridSummaryMembers");
        QVERIFY(view);
        QAbstractItemModel* model = view->model();
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const auto cell = [model](int row, int column) {
            return model->index(row, column).data().toString();
        };
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(cell(1, 4), QString("-7.071"));
        QCOMPARE(cell(1, 5), QString("C"));
        QCOMPARE(cell(0, 5), QString("T"));
        QCOMPARE(cell(0, 6), QString("5.000")); // 5 kN on 1000 mm²
        QCOMPARE(cell(1, 7), QString("Plate"));

        QHeaderView* header = view->horizontalHeader();
        const QPoint force(header->sectionViewportPosition(4) + header->sectionSize(4) / 2,
                           header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, force);
        QCOMPARE(header->sortIndicatorSection(), 4);
        QCOMPARE(cell(0, 5), QString("C"));
        QCOMPARE(cell(2, 0), QString("1")); // the one tension last when ascending
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, force);
        QCOMPARE(cell(0, 0), QString("1"));

        view->setFocus();
        view->selectAll();
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        const QStringList lines = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0],
                 QString("#\tJoint i\tJoint j\tLength (m)\tAxial force (kN)\tT/C\tStress (N/mm\u00b2)\t"
                         "Section"));
        QCOMPARE(lines[1], QString("1\t1\t2\t4.000\t5.000\tT\t5.000\tPlate"));

        const varlen::document::SetRowEdit section{
            varlen::project::TableId::Sections, 1, {"1000", "Plate, \"A\""}};
        QVERIFY(m_window->Document().Apply(section, "Edit section").applied);
        const QString csv = m_dir.filePath("members.csv");
        m_dialogs->fileNames.push_back(csv);
        Click("frmResultsSummary", "cmdExportCsv");
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList rows = QString::fromUtf8(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[0],
                 QString("#,Joint i,Joint j,Length (m),Axial force (kN),T/C,Stress (N/mm\u00b2),Section"));
        QVERIFY2(rows[1].startsWith("1,1,2,4.000,") && rows[1].endsWith(",\"Plate, \"\"A\"\"\""),
                 qPrintable(rows[1]));

        auto* tabs = In<QTabWidget>("frmResultsSummary", "tabSummary");
        tabs->setCurrentIndex(1);
        QVERIFY(m_window->OpenPath(QString(VARLEN_EXAMPLES_DIR) + "/bridge_girder.sma"));
        QVERIFY(IsShown("frmResultsSummary"));
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(model->rowCount(), 25);
        QCOMPARE(cell(24, 0), QString("25"));
        QVERIFY(cell(24, 4).isEmpty()); // not analysed yet
    }
};

#include "main_window_test.moc"
QTEST_MAIN(MainWindowTest)
