// varlen: the desktop program. "varlen [PROJECT.sma]" opens the project at start;
// "varlen --export-picture FILE.png|.svg|.pdf [--view model|deflected|forces] PROJECT.sma" draws the
// truss into a file and ends without showing a window.
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>

#include <CLI/CLI.hpp>
#include <QApplication>
#include <QIcon>

#include "analysis/analysis.h"
#include "analysis/solver_library.h"
#include "app/mdi_form.h"
#include "drawing/viewport.h"
#include "model/model.h"
#include "project/project_file.h"
#include "wireframe/scene_painter.h"

namespace {

// Running out of memory in any window's handler would otherwise end the program and lose the user's
// unsaved work: the step is abandoned and the user told, and the project stays as it was.
class VarlenApplication : public QApplication {
public:
    using QApplication::QApplication;
    void SetDialogs(varlen::gui::UserDialogs* dialogs) { m_dialogs = dialogs; }
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::bad_alloc&) {
            if (m_dialogs)
                m_dialogs->Tell(activeWindow(), "Varlen",
                                "There is not enough memory to finish that step. It was abandoned; save your "
                                "project under a new name before you go on.",
                                varlen::gui::UserDialogs::Icon::Critical);
        }
        return false;
    }

private:
    varlen::gui::UserDialogs* m_dialogs = nullptr;
};

struct PictureRequest {
    std::string picture, project;
    varlen::drawing::View view = varlen::drawing::View::Model;
};

bool Wanted(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--export-picture") == 0) return true;
    return false;
}

// The batch picture's command line, read as varlen-cli reads its own: -1 when `request` is filled in,
// otherwise the exit status (0 after --help; 2, as varlen-cli gives for a bad option, with the reason).
int ReadPictureRequest(int argc, char** argv, PictureRequest& request) {
    CLI::App line("Draws a project's truss into a picture file without showing a window.", "varlen");
    line.add_option("--export-picture", request.picture, "the picture: FILE.png, FILE.svg or FILE.pdf")
        ->required();
    std::string view = "model";
    line.add_option("--view", view, "what the picture shows")
        ->check(CLI::IsMember({"model", "deflected", "forces"}));
    line.add_option("project", request.project, "the project file (.sma)")->required();
    try {
        line.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return line.exit(error) == 0 ? 0 : 2;
    }
    request.view = view == "forces"      ? varlen::drawing::View::Forces
                   : view == "deflected" ? varlen::drawing::View::Deflected
                                         : varlen::drawing::View::Model;
    return -1;
}

// Exit status as varlen-cli's: 0 drawn, 1 the analysis the view needs stopped (its message on standard
// error), 2 a project that cannot be read, a bad option or a picture that cannot be written.
int ExportPicture(const PictureRequest& request) {
    using namespace varlen;
    const project::ReadOutcome read = project::ReadProjectFile(request.project);
    if (!read.project) {
        std::fprintf(stderr, "varlen: the project \"%s\" cannot be read: %s\n", request.project.c_str(),
                     read.problem.ToString().c_str());
        return 2;
    }
    std::optional<analysis::Results> results;
    if (request.view != drawing::View::Model) {
        analysis::AnalysisOutcome outcome = analysis::Analyse(model::BuildModel(*read.project));
        if (!outcome.results) {
            std::fprintf(stderr, "%s\n", outcome.Message().c_str());
            return 1;
        }
        results = std::move(outcome.results);
    }
    const drawing::Scene scene =
        drawing::BuildScene(*read.project, results ? &*results : nullptr, request.view);
    const QString error = gui::SavePicture(scene, gui::WholeTruss(*read.project, scene),
                                           QString::fromStdString(request.picture));
    if (!error.isEmpty()) {
        std::fprintf(stderr, "varlen: %s\n", error.toLocal8Bit().constData());
        return 2;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // Before any thread of the program's own starts: the load sets the environment for the BLAS while it
    // starts, and putting it back must not race another thread reading it.
    varlen::analysis::StartLoadingSolver();
    varlen::analysis::SettleSolver();
    if (Wanted(argc, argv)) {
        // No window is shown: any machine draws the picture, with or without a display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        PictureRequest request;
        if (const int status = ReadPictureRequest(argc, argv, request); status >= 0) return status;
        QApplication app(argc, argv);
        return ExportPicture(request);
    }
    VarlenApplication app(argc, argv);
    QApplication::setApplicationName("Varlen");
    // The icon the package installs, and the desktop entry's name, so the desktop groups the window with
    // its launcher.
    QApplication::setWindowIcon(QIcon(":/icons/varlen.svg"));
    QGuiApplication::setDesktopFileName("varlen");
    QApplication::setApplicationVersion(VARLEN_VERSION);
    varlen::gui::QtUserDialogs dialogs;
    app.SetDialogs(&dialogs);
    varlen::gui::MDIForm1 window(dialogs);
    window.showMaximized();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) window.OpenPath(arguments.at(1));
    return QApplication::exec();
}
