// How the desktop program copes with a large project: opening it with the editors shown, analysing it,
// jumping through the members grid, the results window on the last member, and the wireframe picture:
// building its scene, painting it whole, zoomed in and scrolled. Runs the real windows
// offscreen:  QT_QPA_PLATFORM=offscreen varlen_desktop_timings PROJECT.sma
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTableView>
#include <cstdio>

#include "app/mdi_form.h"
#include "app/user_dialogs.h"
#include "wireframe/wireframe_window.h"

namespace {

// Nothing is asked of a person here: questions are declined and messages printed.
class QuietDialogs final : public varlen::gui::UserDialogs {
public:
    Answer Ask(QWidget*, const QString&, const QString&, Buttons, Icon) override { return Answer::No; }
    void Tell(QWidget*, const QString& title, const QString& text, Icon) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    }
    std::optional<QString> Input(QWidget*, const QString&, const QString&) override { return std::nullopt; }
    QString OpenFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    bool SetUpPrinter(QWidget*, QPrinter&) override { return false; }
    bool ShowFile(const QString&) override { return false; }
};

template <class T> T* Find(QObject* root, const char* name) {
    T* found = root->findChild<T*>(name);
    if (!found) {
        std::fprintf(stderr, "no %s in the main window\n", name);
        std::exit(2);
    }
    return found;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: varlen_desktop_timings PROJECT.sma\n");
        return 2;
    }
    QuietDialogs dialogs;
    varlen::gui::MDIForm1 window(dialogs, false);
    window.show();
    QElapsedTimer timer;
    timer.start();
    if (!window.OpenPath(argv[1])) return 1;
    Find<QAction>(&window, "mnuJoints")->trigger();
    Find<QAction>(&window, "mnuMembers")->trigger();
    QApplication::processEvents();
    const qint64 open = timer.restart();
    if (!window.RunAnalysis()) return 1;
    const qint64 analyse = timer.restart();
    Find<QAction>(&window, "mnuMembers")->trigger();
    auto* grid = Find<QTableView>(&window, "GridMembers");
    for (int step = 0; step < 50; ++step) {
        grid->scrollTo(grid->model()->index(step * grid->model()->rowCount() / 50, 0));
        QApplication::processEvents();
    }
    grid->scrollToBottom();
    QApplication::processEvents();
    const qint64 scroll = timer.restart();
    Find<QAction>(&window, "mnuLocalForces")->trigger();
    QComboBox* members = nullptr;
    for (QComboBox* list : window.findChildren<QComboBox*>("cmbMemberNumber"))
        if (list->isVisible()) members = list;
    if (!members) return 2;
    members->setCurrentIndex(grid->model()->rowCount() - 1);
    QApplication::processEvents();
    const qint64 results = timer.restart();
    std::printf("open and show editors %lld ms, analyse %lld ms, 51 jumps through the members grid %lld ms, "
                "results window on the last member %lld ms\n",
                open, analyse, scroll, results);

    // The picture: a scene built afresh (as after an edit), then painted as the window paints it.
    auto* picture = Find<varlen::gui::WireframeWindow>(&window, "frmThumbnail");
    auto* viewport = Find<QWidget>(picture, "picViewport");
    Find<QAction>(&window, "mnuThumbNail")->trigger();
    Find<QAction>(picture, "mnuAxialForces")->trigger();
    timer.restart();
    const auto lines = picture->Scene().lines.size();
    const qint64 scene = timer.restart();
    const auto paint = [&] {
        QElapsedTimer one;
        one.start();
        viewport->repaint();
        return one.nsecsElapsed() / 1e6;
    };
    const double whole = paint();
    for (int i = 0; i < 4; ++i)
        Find<QAction>(picture, "mnuZoomIn")->trigger();
    const double zoomed = paint();
    auto* bar = Find<QScrollBar>(picture, "HScrollBar");
    double scrolled = 0;
    for (int step = 1; step <= 20; ++step) {
        bar->setValue(bar->minimum() + (bar->maximum() - bar->minimum()) * step / 20);
        scrolled += paint();
    }
    std::printf("picture of %zu lines: scene %lld ms, paint whole %.1f ms, zoomed in 16 times %.1f ms, "
                "20 scroll steps %.1f ms each\n",
                lines, scene, whole, zoomed, scrolled / 20);

    // The design window runs its three checks over every member as it opens.
    timer.restart();
    Find<QAction>(&window, "mnuBS449")->trigger();
    QApplication::processEvents();
    const qint64 design = timer.restart();
    // One edit as the engineer makes it: every open window follows (the summary, the picture, the grids).
    auto& document = window.Document();
    const int last = document.Document().Project().joints.RowCount();
    (void)document.Apply(varlen::document::SetRowEdit{varlen::project::TableId::Joints,
                                                      last,
                                                      {"0", "-1", "Extra joint", "0", "0", ""}},
                         "Add joint");
    QApplication::processEvents();
    viewport->repaint();
    const qint64 edit = timer.restart();
    document.UndoStack().undo();
    QApplication::processEvents();
    viewport->repaint();
    const qint64 undo = timer.restart();
    std::printf("design window with its three checks %lld ms, an edit followed by every window %lld ms, "
                "its undo %lld ms\n",
                design, edit, undo);
    return 0;
}
