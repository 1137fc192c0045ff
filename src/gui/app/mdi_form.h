// MDIForm1: the main window. It holds the editor windows as MDI children (hidden, never destroyed, so
// their state lives as long as the program), owns the menus and their enabling, the project's life
// cycle (new, open, save, save as, the save-changes question) and the analysis command.
#pragma once

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QMainWindow>
#include <QTemporaryDir>
#include <array>
#include <vector>

#include "app/document_object.h"
#include "app/settings.h"
#include "app/user_dialogs.h"
#include "reports/print_options_window.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QProgressDialog;

namespace varlen::gui {

class CalendarWindow;
class JointLoadWindow;
class LoadCasesWindow;
class JointsWindow;
class MaterialsWindow;
class MembersWindow;
class OptionsWindow;
class ResultsSummaryWindow;
class ResultsWindow;
class SectionsWindow;
class TitleWindow;
class WireframeWindow;

inline constexpr const char* kProjectFilter = "Stiffness Method Analysis File (*.sma)";
inline constexpr const char* kSaveFilter = "Stiffness Method Analysis (*.sma)";

class MDIForm1 final : public QMainWindow {
    Q_OBJECT
public:
    explicit MDIForm1(UserDialogs& dialogs, bool showSplash = true, QWidget* parent = nullptr);
    ~MDIForm1() override;

    [[nodiscard]] DocumentObject& Document() { return m_document; }
    // The folder of this program instance's temporary files; removed when the program ends.
    [[nodiscard]] QString TemporaryFolder() const { return m_temporary.path(); }

    // Opens `path` without a dialog (the command line's project); false when it could not be read.
    bool OpenPath(const QString& path);

public slots:
    void NewProject();
    void OpenProject();
    // True when the project was written.
    bool FileSave();
    bool FileSaveAs();
    // F5: analyses the tables as they stand beside the window thread, which stays live (a progress
    // dialog appears when it takes more than a moment; the tables cannot be edited meanwhile).
    // analysisFinished follows.
    void StartAnalysis();
    // The same, waiting for the outcome (scripts and tests): true when it succeeded.
    bool RunAnalysis();
    // Shows one of the child windows (an editor, a results window, the options), raised and active.
    void ShowChild(QWidget* window);
    // A fresh design window each time: it runs the three checks as it opens.
    void ShowDesign();
    // File > Export: the members as lines of a DXF drawing beside the project, in the X-Y plane, or in
    // the X-Z plane when `plane` is "XZ".
    void CreateDXF(const QString& plane);
    // File > Import: a drawing's lines become the joints and members of the project ("XY": the drawing's
    // X-Y plane; anything else its X-Z plane), after the save-changes question.
    void ImportDXF(const QString& plane);
    void HideChild();

signals:
    void analysisFinished(bool succeeded);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    enum class Proceed { Go, Stop };
    // The analysis has come back: its results are kept or its refusal is shown.
    void FinishAnalysis();
    void CancelAnalysis();
    // The save-changes question when there are unsaved edits: Yes saves (and stops if the save did not
    // happen), No goes on without saving, Cancel stops.
    Proceed SaveChanges();
    void BuildMenus();
    QAction* Item(QMenu* menu, const char* name, const char* caption, const QKeySequence& shortcut = {});
    QMenu* SubMenu(QMenu* parent, const char* name, const char* caption);
    void ShowHide();
    template <class Window> Window* AddChild(Window* window);
    static QMdiSubWindow* FrameOf(QWidget* window);
    void HideResultsWindows();
    void UpdateMenus();
    void FillWindowsMenu();
    void OpenDatePicker();
    // After an open or an import: the truss picture across the top of the area, the member list below it.
    void ShowFirstLook();
    void ArrangeFirstLook();
    // The Print Using items: the options window set for that report.
    void ShowPrintOptions(PrintOptionsWindow::Report report);
    // The decimal places changed: the results shown no longer match them until the next analysis.
    void DisablePlot();
    // A re-analysis stopped: the last results are withdrawn, their windows hidden and emptied, the
    // design window closed, and Output and Print Using greyed until an analysis succeeds.
    void DiscardResults();
    void SetCaption(const QString& name);
    // One line at the foot of the window: what the program is doing or has just done.
    void Say(const QString& text, bool problem = false);

    UserDialogs& m_dialogs;
    DocumentObject m_document;
    Settings m_settings;
    QTemporaryDir m_temporary;
    QMdiArea* m_area = nullptr;
    // The child windows, each in its MDI frame (hidden, never destroyed), in the order they were made.
    std::vector<QMdiSubWindow*> m_frames;
    TitleWindow* m_title = nullptr;
    CalendarWindow* m_calendar = nullptr;
    JointsWindow* m_joints = nullptr;
    MaterialsWindow* m_materials = nullptr;
    SectionsWindow* m_sections = nullptr;
    MembersWindow* m_members = nullptr;
    JointLoadWindow* m_loads = nullptr;
    LoadCasesWindow* m_loadCases = nullptr;
    OptionsWindow* m_options = nullptr;
    std::array<ResultsWindow*, 3> m_results{}; // global displacements, local forces, global forces
    ResultsSummaryWindow* m_summary = nullptr;
    WireframeWindow* m_wireframe = nullptr;
    PrintOptionsWindow* m_printOptions = nullptr;
    std::array<QRect, 2> m_firstLook{}; // where the picture and the summary were put on opening
    QMdiSubWindow* m_design = nullptr;
    bool m_plotDisabled = false;
    QMenu* m_output = nullptr;
    QMenu* m_printUsing = nullptr;
    QMenu* m_windows = nullptr;
    bool m_running = false;
    bool m_lastSucceeded = false;
    QElapsedTimer m_analysisClock;
    QFutureWatcher<document::AnalysisRun> m_analysis;
    QProgressDialog* m_progress = nullptr;
};

} // namespace varlen::gui
