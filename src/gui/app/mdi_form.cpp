#include "app/mdi_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QProgressDialog>
#include <QSplashScreen>
#include <QStatusBar>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <functional>

#include "design/design_window.h"
#include "editors/joint_load_window.h"
#include "editors/joints_window.h"
#include "editors/load_cases_window.h"
#include "editors/materials_window.h"
#include "editors/members_window.h"
#include "editors/sections_window.h"
#include "editors/title_window.h"
#include "results/results_windows.h"
#include "results/summary_window.h"
#include "wireframe/wireframe_window.h"

// The pictures live in the static GUI library; a static library's resources must be registered by hand.
static void RegisterResources() {
    Q_INIT_RESOURCE(resources);
}

namespace varlen::gui {
namespace {

// The x on a child's own title bar: QMdiSubWindow would close (hide) the window inside the frame, and
// showing the frame later would bring back an empty frame. The frame hides instead, as Done hides it.
class FrameCloseBox final : public QObject {
public:
    FrameCloseBox(QMdiSubWindow* frame, std::function<void()> closed)
        : QObject(frame), m_closed(std::move(closed)) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Close) return false;
        event->ignore();
        m_closed();
        return true;
    }

private:
    std::function<void()> m_closed;
};

// Calls back whenever the watched widget changes size.
class ResizeFollower final : public QObject {
public:
    ResizeFollower(QObject* parent, std::function<void()> resized)
        : QObject(parent), m_resized(std::move(resized)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize) m_resized();
        return false;
    }

private:
    std::function<void()> m_resized;
};

void OnCloseBox(QMdiSubWindow* frame, std::function<void()> closed) {
    frame->installEventFilter(new FrameCloseBox(frame, std::move(closed)));
}

QPixmap SplashPicture() {
    QPixmap picture(420, 220);
    picture.fill(QColor("#1f3b5c"));
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor("#9fc3e8"), 3));
    const QPointF bottom[4] = {{40, 170}, {150, 170}, {260, 170}, {370, 170}};
    const QPointF top[2] = {{150, 100}, {260, 100}};
    for (int i = 0; i < 3; ++i)
        p.drawLine(bottom[i], bottom[i + 1]);
    p.drawLine(top[0], top[1]);
    p.drawLine(bottom[0], top[0]);
    p.drawLine(top[1], bottom[3]);
    p.drawLine(bottom[1], top[0]);
    p.drawLine(bottom[2], top[1]);
    p.drawLine(top[0], bottom[2]);
    p.setPen(Qt::white);
    p.setFont(QFont("Sans", 28, QFont::Bold));
    p.drawText(QRect(0, 20, 420, 50), Qt::AlignCenter, "Varlen");
    p.setFont(QFont("Sans", 10));
    p.drawText(QRect(0, 185, 420, 30), Qt::AlignCenter, "Plane truss analysis and BS 449 design");
    return picture;
}

} // namespace

MDIForm1::MDIForm1(UserDialogs& dialogs, bool showSplash, QWidget* parent)
    : QMainWindow(parent), m_dialogs(dialogs), m_temporary(QDir::tempPath() + "/varlen-XXXXXX") {
    RegisterResources();
    setObjectName("MDIForm1");
    m_area = new QMdiArea(this);
    m_area->setObjectName("MDIClient");
    m_area->setBackground(QColor("#5b6f86"));
    setCentralWidget(m_area);
    ShowHide();
    BuildMenus();
    SetCaption("Untitled");
    connect(&m_document, &DocumentObject::resultsChanged, this, &MDIForm1::UpdateMenus);
    connect(&m_document, &DocumentObject::remark, this, [this](const QString& text) { Say(text); });
    connect(&m_analysis, &QFutureWatcher<document::AnalysisRun>::finished, this, &MDIForm1::FinishAnalysis);
    UpdateMenus();
    resize(1200, 800);
    if (showSplash) {
        auto* splash = new QSplashScreen(SplashPicture());
        splash->setAttribute(Qt::WA_DeleteOnClose);
        splash->show();
        QTimer::singleShot(1500, splash, &QSplashScreen::close);
    }
}

MDIForm1::~MDIForm1() {
    // The windows view the document's tables: they go before the document does.
    delete m_area;
}

void MDIForm1::SetCaption(const QString& name) {
    setWindowTitle("Varlen - " + name);
}

void MDIForm1::Say(const QString& text, bool problem) {
    statusBar()->setStyleSheet(problem ? "QStatusBar { color: #b00000; }" : QString());
    statusBar()->showMessage(text);
}

QAction* MDIForm1::Item(QMenu* menu, const char* name, const char* caption, const QKeySequence& shortcut) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    return action;
}

QMenu* MDIForm1::SubMenu(QMenu* parent, const char* name, const char* caption) {
    QMenu* menu = parent->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(QString(name) + "Action");
    return menu;
}

void MDIForm1::BuildMenus() {
    QMenuBar* bar = menuBar();
    auto top = [&](const char* name, const char* caption) {
        QMenu* menu = bar->addMenu(caption);
        menu->setObjectName(name);
        return menu;
    };
    auto separator = [](QMenu* menu, const char* name) { menu->addSeparator()->setObjectName(name); };

    QMenu* file = top("mnuFile", "&File");
    connect(Item(file, "mnuNew", "&New...", QKeySequence("Ctrl+N")), &QAction::triggered, this,
            &MDIForm1::NewProject);
    connect(Item(file, "mnuOpen", "&Open...", QKeySequence("Ctrl+O")), &QAction::triggered, this,
            &MDIForm1::OpenProject);
    separator(file, "mnuFileSave");
    connect(Item(file, "mnuSave", "&Save", QKeySequence::Save), &QAction::triggered, this,
            &MDIForm1::FileSave);
    connect(Item(file, "mnuSaveAs", "Save &As...", QKeySequence("Ctrl+Shift+S")), &QAction::triggered, this,
            &MDIForm1::FileSaveAs);
    separator(file, "mnuSaveImport");
    QMenu* import = SubMenu(file, "mnuImport", "&Import DXF");
    connect(Item(import, "mnuDXFXY", "DXF (X,Y)..."), &QAction::triggered, this, [this] { ImportDXF("XY"); });
    connect(Item(import, "mnuDXFXZ", "DXF (X,Z)..."), &QAction::triggered, this, [this] { ImportDXF("XZ"); });
    QMenu* exportMenu = SubMenu(file, "mnuExport", "&Export");
    connect(Item(exportMenu, "mnuExportDXFXY", "DXF (X,Y)..."), &QAction::triggered, this,
            [this] { CreateDXF("XY"); });
    connect(Item(exportMenu, "mnuExportDXFXZ", "DXF (X,Z)..."), &QAction::triggered, this,
            [this] { CreateDXF("XZ"); });
    separator(file, "mnuDXFLotus");
    m_printUsing = SubMenu(file, "mnuPrintUsing", "&Print Using");
    connect(Item(m_printUsing, "mnuNotepad", "&Text Report..."), &QAction::triggered, this,
            [this] { ShowPrintOptions(PrintOptionsWindow::Report::Text); });
    connect(Item(m_printUsing, "mnuWord", "&Word Report (.docx)..."), &QAction::triggered, this,
            [this] { ShowPrintOptions(PrintOptionsWindow::Report::Word); });
    separator(file, "mnuPrintExit");
    connect(Item(file, "mnuExit", "E&xit"), &QAction::triggered, this, &QWidget::close);

    // Every change to the project can be taken back, back to the state last saved.
    QMenu* editMenu = top("mnuEdit", "&Edit");
    QAction* undo = Item(editMenu, "mnuUndo", "&Undo", QKeySequence::Undo);
    QAction* redo = Item(editMenu, "mnuRedo", "&Redo");
    redo->setShortcuts({QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")});
    QUndoStack& history = m_document.UndoStack();
    connect(undo, &QAction::triggered, &history, &QUndoStack::undo);
    connect(redo, &QAction::triggered, &history, &QUndoStack::redo);
    undo->setEnabled(false);
    redo->setEnabled(false);
    connect(&history, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(&history, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    connect(&history, &QUndoStack::undoTextChanged, undo,
            [undo](const QString& text) { undo->setStatusTip(text.isEmpty() ? QString() : "Undo " + text); });
    connect(&history, &QUndoStack::redoTextChanged, redo,
            [redo](const QString& text) { redo->setStatusTip(text.isEmpty() ? QString() : "Redo " + text); });

    QMenu* structure = top("mnuStructure", "&Structure");
    const std::pair<const char*, QWidget*> windows[] = {{"mnuTitle", m_title},
                                                        {"mnuJoints", m_joints},
                                                        {"mnuMaterialProperties", m_materials},
                                                        {"mnuCrossSectionalProperties", m_sections},
                                                        {"mnuMembers", m_members}};
    const char* captions[] = {"&1 Title...", "&2 Joints...", "&3 Material Properties...",
                              "&4 Cross Sectional Properties...", "&5 Members..."};
    for (int i = 0; i < 5; ++i) {
        if (i > 0) separator(structure, QString("mnuSepStructure%1").arg(i).toLatin1().constData());
        QWidget* child = windows[i].second;
        connect(Item(structure, windows[i].first, captions[i]), &QAction::triggered, this,
                [this, child] { ShowChild(child); });
    }
    separator(structure, "mnuSepStructure5");
    QMenu* loading = SubMenu(structure, "mnuLoading", "&6 Loading");
    connect(Item(loading, "mnuJointLoad", "&Joint Load..."), &QAction::triggered, this,
            [this] { ShowChild(m_loads); });
    connect(Item(loading, "mnuLoadCases", "Load &Cases..."), &QAction::triggered, this,
            [this] { ShowChild(m_loadCases); });
    separator(structure, "mnuSepStructure6");
    connect(
        Item(structure, "mnuAnalysis", "&7 Stiffness Method Structural Analysis", QKeySequence(Qt::Key_F5)),
        &QAction::triggered, this, &MDIForm1::StartAnalysis);
    separator(structure, "mnuSetpAnalOpt");
    connect(Item(structure, "mnuOptions", "&8 Options..."), &QAction::triggered, this,
            [this] { ShowChild(m_options); });

    QMenu* diagram = top("mnuDiagram", "&Diagram");
    connect(Item(diagram, "mnuThumbNail", "&Wireframe Model..."), &QAction::triggered, this,
            [this] { ShowChild(m_wireframe); });

    m_output = top("mnuOutput", "&Output");
    QMenu* results = SubMenu(m_output, "mnuSAOutput", "Structural Analysis Output");
    connect(Item(results, "mnuGlobalDisplacements", "Global &Displacements..."), &QAction::triggered, this,
            [this] { ShowChild(m_results[0]); });
    separator(results, "mnuGloDispLoForce");
    connect(Item(results, "mnuLocalForces", "Local &Forces..."), &QAction::triggered, this,
            [this] { ShowChild(m_results[1]); });
    separator(results, "mnuLoForceGloForce");
    connect(Item(results, "mnuGlobalForces", "Global Forces/&Reactions..."), &QAction::triggered, this,
            [this] { ShowChild(m_results[2]); });
    connect(Item(m_output, "mnuResultsSummary", "Results &Summary...", QKeySequence(Qt::Key_F6)),
            &QAction::triggered, this, [this] { ShowChild(m_summary); });
    QMenu* design = SubMenu(m_output, "mnuDesignOutput", "&Design Output");
    connect(Item(design, "mnuBS449", "BS449..."), &QAction::triggered, this, &MDIForm1::ShowDesign);

    m_windows = top("mnuWindows", "&Windows");
    connect(m_windows, &QMenu::aboutToShow, this, &MDIForm1::FillWindowsMenu);

    QMenu* help = top("mnuHelp", "&Help");
    connect(
        Item(help, "mnuContents", "&Contents...", QKeySequence::HelpContents), &QAction::triggered, this,
        [this] {
            m_dialogs.Tell(
                this, "Varlen Help",
                "1. Structure: enter the title block, joints (metres, with their supports), materials, "
                "cross-sections (typed, calculated or picked from the catalogue), members and joint loads.\n"
                "2. F5 analyses the truss; the status bar says what it found.\n"
                "3. Output: the Results Summary (F6) shows every member, joint and the equilibrium; the "
                "three results windows show one member's end values; BS449 designs every member.\n"
                "4. Edit undoes and redoes any change (Ctrl+Z, Ctrl+Shift+Z); File saves (Ctrl+S).\n"
                "Units: metres, kN/mm\u00b2, mm\u00b2, kN; displacements in mm.",
                UserDialogs::Icon::Information);
        });

    connect(Item(help, "mnuAbout", "&About Varlen..."), &QAction::triggered, this, [this] {
        m_dialogs.Tell(
            this, "About Varlen",
            QString("Varlen %1\n\nPlane truss analysis by the stiffness method, with member design "
                    "to BS 449 Part 2.\nCo-ordinates in metres, E in kN/mm\u00b2, areas in mm\u00b2, "
                    "forces in kN; displacements in mm.")
                .arg(VARLEN_VERSION),
            UserDialogs::Icon::Information);
    });
}

template <class Window> Window* MDIForm1::AddChild(Window* window) {
    QMdiSubWindow* sub = m_area->addSubWindow(window);
    // Hidden, never destroyed: the windows keep their state for the whole run.
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    sub->setObjectName(window->objectName() + "Frame");
    sub->setWindowTitle(window->windowTitle());
    sub->resize(window->size().expandedTo(window->sizeHint()) + QSize(16, 36));
    sub->hide();
    OnCloseBox(sub, [sub] { sub->hide(); });
    m_frames.push_back(sub);
    return window;
}

QMdiSubWindow* MDIForm1::FrameOf(QWidget* window) {
    return qobject_cast<QMdiSubWindow*>(window->parentWidget());
}

void MDIForm1::ShowHide() {
    m_calendar = AddChild(new CalendarWindow);
    m_sections = AddChild(new SectionsWindow(m_document, m_dialogs));
    m_results[0] = AddChild(new ResultsWindow(m_document, ResultsKind::GlobalDisplacements));
    FrameOf(m_results[0])->move(0, 0);
    m_loads = AddChild(new JointLoadWindow(m_document, m_dialogs));
    m_loadCases = AddChild(new LoadCasesWindow(m_document, m_dialogs));
    m_joints = AddChild(new JointsWindow(m_document, m_dialogs));
    m_results[1] = AddChild(new ResultsWindow(m_document, ResultsKind::LocalForces));
    FrameOf(m_results[1])->move(0, Twips(250));
    m_materials = AddChild(new MaterialsWindow(m_document, m_dialogs));
    m_members = AddChild(new MembersWindow(m_document, m_dialogs));
    m_options = AddChild(new OptionsWindow(m_settings));
    FrameOf(m_options)->move(0, 0);
    m_results[2] = AddChild(new ResultsWindow(m_document, ResultsKind::GlobalForces));
    FrameOf(m_results[2])->move(0, Twips(500));
    m_title = AddChild(new TitleWindow(m_document));
    m_summary = AddChild(new ResultsSummaryWindow(m_document, m_dialogs));
    m_wireframe = AddChild(new WireframeWindow(m_document, m_dialogs));
    m_printOptions = AddChild(new PrintOptionsWindow(m_document, m_dialogs, TemporaryFolder()));
    // The area grew or shrank (the window manager maximising the main window after the project was opened,
    // the status bar appearing): the first look follows it, as long as the engineer has not moved those
    // two windows.
    m_area->viewport()->installEventFilter(new ResizeFollower(this, [this] {
        if (FrameOf(m_wireframe)->geometry() == m_firstLook[0] &&
            FrameOf(m_summary)->geometry() == m_firstLook[1])
            QTimer::singleShot(0, this, &MDIForm1::ArrangeFirstLook);
    }));
    connect(m_wireframe, &WireframeWindow::closeRequested, this, [this] { FrameOf(m_wireframe)->hide(); });
    connect(&m_settings, &Settings::placesChanged, this, &MDIForm1::DisablePlot);
    connect(m_title, &TitleWindow::datePickerWanted, this, &MDIForm1::OpenDatePicker);
    connect(m_calendar, &CalendarWindow::picked, this, [this](const QString& date) {
        FrameOf(m_calendar)->hide();
        ShowChild(m_title);
        m_title->DatePicked(date);
    });
    // The date picker's x is its Cancel.
    OnCloseBox(FrameOf(m_calendar), [this] { emit m_calendar->closed(); });
    connect(m_calendar, &CalendarWindow::closed, this, [this] {
        FrameOf(m_calendar)->hide();
        ShowChild(m_title);
        m_title->DatePickerClosed();
    });
}

void MDIForm1::HideResultsWindows() {
    for (ResultsWindow* window : m_results)
        FrameOf(window)->hide();
}

void MDIForm1::DisablePlot() {
    m_plotDisabled = true;
    HideResultsWindows();
    UpdateMenus();
}

void MDIForm1::DiscardResults() {
    HideResultsWindows();
    if (m_design) {
        m_area->removeSubWindow(m_design);
        m_design->deleteLater();
        m_design = nullptr;
    }
    UpdateMenus();
}

void MDIForm1::OpenDatePicker() {
    FrameOf(m_title)->hide();
    m_calendar->Prepare();
    ShowChild(m_calendar);
}

// Each window brings itself up to date as it is shown (its showEvent), so nothing here depends on which
// window it is.
void MDIForm1::ShowChild(QWidget* window) {
    QMdiSubWindow* sub = FrameOf(window);
    if (!sub) return;
    window->show(); // a frame never shows a child that was hidden inside it
    sub->show();
    sub->setWindowTitle(window->windowTitle());
    sub->raise();
    m_area->setActiveSubWindow(sub);
}

void MDIForm1::HideChild() {
    for (QMdiSubWindow* sub : m_frames)
        sub->hide();
    if (m_design) m_design->hide();
}

void MDIForm1::ShowDesign() {
    if (m_design) {
        m_area->removeSubWindow(m_design);
        m_design->deleteLater();
    }
    auto* window = new DesignWindow(m_document, m_dialogs, m_settings);
    m_design = m_area->addSubWindow(window);
    m_design->setObjectName("frmBS449Frame");
    m_design->setWindowTitle(window->windowTitle());
    m_design->resize(window->size() + QSize(16, 36));
    m_design->move(0, Twips(750));
    QMdiSubWindow* sub = m_design;
    connect(window, &DesignWindow::doneClicked, this, [this, sub] {
        if (m_design != sub) return;
        m_area->removeSubWindow(sub);
        sub->deleteLater();
        m_design = nullptr;
    });
    connect(sub, &QObject::destroyed, this, [this, sub] {
        if (m_design == sub) m_design = nullptr;
    });
    sub->show();
    window->Design();
    window->CompressionDesign();
    window->WeldDesign();
}

void MDIForm1::FillWindowsMenu() {
    m_windows->clear();
    connect(Item(m_windows, "mnuTile", "&Tile"), &QAction::triggered, m_area, &QMdiArea::tileSubWindows);
    connect(Item(m_windows, "mnuCascade", "&Cascade"), &QAction::triggered, m_area,
            &QMdiArea::cascadeSubWindows);
    // The editors are hidden, never closed: closing them all is hiding every child window.
    connect(Item(m_windows, "mnuCloseAll", "Close &All"), &QAction::triggered, this, &MDIForm1::HideChild);
    m_windows->addSeparator();
    for (QMdiSubWindow* sub : m_area->subWindowList()) {
        if (!sub->isVisible()) continue;
        QAction* action = m_windows->addAction(sub->windowTitle());
        action->setCheckable(true);
        action->setChecked(sub == m_area->activeSubWindow());
        connect(action, &QAction::triggered, this, [this, sub] { m_area->setActiveSubWindow(sub); });
    }
    if (m_windows->actions().size() == 4) m_windows->addAction("(no open windows)")->setEnabled(false);
}

void MDIForm1::UpdateMenus() {
    const bool analysed = m_document.Results() != nullptr;
    m_output->menuAction()->setEnabled(analysed && !m_plotDisabled);
    m_output->setEnabled(analysed && !m_plotDisabled);
    m_printUsing->menuAction()->setEnabled(analysed);
}

MDIForm1::Proceed MDIForm1::SaveChanges() {
    if (!m_document.Document().Unsaved()) return Proceed::Go;
    switch (m_dialogs.Ask(this, "Varlen", "Save changes to Varlen Analysis?",
                          UserDialogs::Buttons::YesNoCancel, UserDialogs::Icon::Warning)) {
    case UserDialogs::Answer::Yes:
        return FileSave() ? Proceed::Go : Proceed::Stop;
    case UserDialogs::Answer::No:
        return Proceed::Go;
    case UserDialogs::Answer::Cancel:
        return Proceed::Stop;
    }
    return Proceed::Stop;
}

void MDIForm1::NewProject() {
    if (SaveChanges() == Proceed::Stop) return;
    HideChild();
    m_document.Document().New();
    SetCaption("Untitled");
}

void MDIForm1::OpenProject() {
    if (SaveChanges() == Proceed::Stop) return;
    const QString current = QString::fromStdString(m_document.Document().Path().string());
    const QString path =
        m_dialogs.OpenFileName(this, "Open Stiffness Method Analysis File", kProjectFilter, current);
    if (path.isEmpty()) return;
    OpenPath(path);
}

bool MDIForm1::OpenPath(const QString& path) {
    const std::optional<project::Diagnostic> problem = m_document.Document().Open(path.toStdString());
    if (problem) {
        m_dialogs.Tell(this, "Varlen",
                       QString("The project \"%1\" cannot be opened:\n%2\n\nNothing was changed.")
                           .arg(QDir::toNativeSeparators(path), QString::fromStdString(problem->ToString())),
                       UserDialogs::Icon::Warning);
        return false;
    }
    HideChild();
    SetCaption(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    ShowFirstLook();
    return true;
}

// What was opened or imported, at a glance: the truss drawn across the top, and below it the member list
// whose results F5 fills in. Trusses are mostly wider than tall, so the picture gets the full width.
void MDIForm1::ShowFirstLook() {
    m_summary->ShowTab(ResultsSummaryWindow::MembersTab);
    ShowChild(m_summary);
    ShowChild(m_wireframe);
    ArrangeFirstLook();
    // At start the main window may not have its final size yet: arrange again once it has.
    QTimer::singleShot(0, this, &MDIForm1::ArrangeFirstLook);
}

void MDIForm1::ShowPrintOptions(PrintOptionsWindow::Report report) {
    m_printOptions->Prepare(report);
    ShowChild(m_printOptions);
}

void MDIForm1::ArrangeFirstLook() {
    if (!FrameOf(m_wireframe)->isVisible() || !FrameOf(m_summary)->isVisible()) return;
    const QSize area = m_area->viewport()->size();
    const int pictureHeight = std::max(240, area.height() * 2 / 5);
    FrameOf(m_wireframe)->setGeometry(0, 0, area.width(), pictureHeight);
    FrameOf(m_summary)->setGeometry(0, pictureHeight, area.width(),
                                    std::max(240, area.height() - pictureHeight));
    m_firstLook = {FrameOf(m_wireframe)->geometry(), FrameOf(m_summary)->geometry()};
    m_wireframe->ShowFullScale();
}

bool MDIForm1::FileSave() {
    const std::filesystem::path& path = m_document.Document().Path();
    if (path.empty()) return FileSaveAs();
    const project::WriteOutcome written = m_document.Document().Save(path);
    if (!written.ok) {
        m_dialogs.Tell(this, "Varlen",
                       "The project could not be saved: " + QString::fromStdString(written.error),
                       UserDialogs::Icon::Warning);
        return false;
    }
    m_document.Saved();
    return true;
}

bool MDIForm1::FileSaveAs() {
    const QString current = QString::fromStdString(m_document.Document().Path().string());
    QString path = m_dialogs.SaveFileName(this, "Save Varlen Analysis Project", kSaveFilter, current);
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += ".sma";
    const project::WriteOutcome written = m_document.Document().Save(path.toStdString());
    if (!written.ok) {
        m_dialogs.Tell(this, "Varlen",
                       "The project could not be saved: " + QString::fromStdString(written.error),
                       UserDialogs::Icon::Warning);
        return false;
    }
    m_document.Saved();
    SetCaption(QFileInfo(path).fileName());
    return true;
}

void MDIForm1::StartAnalysis() {
    if (m_running) return;
    document::ProjectDocument& doc = m_document.Document();
    if (!m_temporary.isValid()) {
        m_dialogs.Tell(this, analysis::kAnalysisErrorTitle,
                       QString(analysis::kAnalysisErrorText) +
                           "\nNo temporary folder could be made for the analysis.",
                       UserDialogs::Icon::Critical);
        emit analysisFinished(false);
        return;
    }
    const std::filesystem::path folder = m_temporary.path().toStdString();
    const project::WriteOutcome written = doc.WriteTemporaryProject(folder);
    m_running = true;
    m_analysisClock.start();
    Say("Analysing\u2026");
    // The tables are held still until the outcome is in, so the results describe what is on screen.
    m_area->setEnabled(false);
    menuBar()->setEnabled(false);
    m_progress = new QProgressDialog("Analysing the structure...", "Cancel", 0, 0, this);
    m_progress->setObjectName("dlgAnalysisProgress");
    m_progress->setWindowTitle("Structural Analysis");
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setMinimumDuration(400);
    connect(m_progress, &QProgressDialog::canceled, this, &MDIForm1::CancelAnalysis);
    if (!written.ok) {
        document::AnalysisRun failed;
        failed.fileError = written.error;
        m_analysis.setFuture(QtFuture::makeReadyFuture(std::move(failed)));
        return;
    }
    // The worker gets its own copy of the tables: nothing it reads can change under it.
    // Each step is named in the progress dialog; the worker posts it to the window thread (and the post
    // is dropped if the window has gone).
    auto phase = [this](const char* name) {
        const QString text = QString("Analysing the structure: %1\u2026").arg(name);
        QMetaObject::invokeMethod(
            this,
            [this, text] {
                if (m_progress) m_progress->setLabelText(text);
            },
            Qt::QueuedConnection);
    };
    m_analysis.setFuture(QtConcurrent::run([project = doc.Project(), folder, phase] {
        return document::ProjectDocument::AnalyseProject(project, folder, phase);
    }));
}

bool MDIForm1::RunAnalysis() {
    StartAnalysis();
    if (m_running) {
        m_analysis.waitForFinished();
        FinishAnalysis();
    }
    return m_lastSucceeded;
}

// The solver cannot be stopped part-way, so the run goes on beside the window and its outcome is thrown
// away when it comes: the project and the earlier results stay exactly as they were.
void MDIForm1::CancelAnalysis() {
    if (!m_running) return;
    m_running = false;
    m_progress->deleteLater();
    m_progress = nullptr;
    m_area->setEnabled(true);
    menuBar()->setEnabled(true);
    Say("Analysis cancelled: the project and the earlier results are as they were.");
    m_lastSucceeded = false;
    emit analysisFinished(false);
}

void MDIForm1::FinishAnalysis() {
    if (!m_running) return; // already finished by RunAnalysis, or cancelled
    m_running = false;
    delete m_progress;
    m_progress = nullptr;
    m_area->setEnabled(true);
    menuBar()->setEnabled(true);
    document::ProjectDocument& doc = m_document.Document();
    document::AnalysisRun run = m_analysis.result();
    const int places = m_settings.Places();
    if (run.fileError.empty() && run.outcome.results) {
        m_document.SetResultPlaces(places);
        m_plotDisabled = false;
    }
    // The picture marks the joint the truss could not hold (Accept takes the outcome's results away, not
    // this).
    std::optional<drawing::MechanismMark> mark;
    const bool moves = run.outcome.reason == analysis::StopReason::Mechanism ||
                       run.outcome.reason == analysis::StopReason::Supports;
    if (moves && run.outcome.joint > 0 && (run.outcome.axis == 'X' || run.outcome.axis == 'Y'))
        mark = drawing::MechanismMark{run.outcome.joint, run.outcome.axis};
    doc.Accept(run);
    m_document.SetStopMark(mark);
    m_lastSucceeded = run.succeeded;
    if (!run.succeeded) {
        // The refusal's first line after the two standard ones says what is wrong.
        const QStringList lines = QString::fromStdString(run.Message()).split('\n');
        Say(lines.size() > 2 ? lines.at(2) : lines.last(), true);
        DiscardResults();
        m_dialogs.Tell(this, analysis::kAnalysisErrorTitle, QString::fromStdString(run.Message()),
                       UserDialogs::Icon::Critical);
        emit analysisFinished(false);
        return;
    }
    const analysis::Results* results = doc.Results();
    Say(QString("Analysed: %1 joints, %2 members in %3 s")
            .arg(results->JointCount())
            .arg(results->MemberCount())
            .arg(m_analysisClock.elapsed() / 1000.0, 0, 'f', 2));
    // The windows that were open stay open and show the new numbers in place; an open design window
    // runs its checks again on them.
    if (m_design && m_design->isVisible()) {
        auto* design = static_cast<DesignWindow*>(m_design->widget());
        design->Design();
        design->CompressionDesign();
        design->WeldDesign();
    }
    UpdateMenus();
    emit analysisFinished(true);
}

void MDIForm1::closeEvent(QCloseEvent* event) {
    if (SaveChanges() == Proceed::Stop) {
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace varlen::gui
