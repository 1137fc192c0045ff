// varlen: the desktop program. "varlen [PROJECT.sma]" opens the project at start.
#include <QApplication>

#include "app/mdi_form.h"
#include "io/runtime_environment.h"

int main(int argc, char** argv) {
    varlen::io::RestartWithSolverEnvironment(argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Varlen");
    QApplication::setApplicationVersion(VARLEN_VERSION);
    varlen::gui::QtUserDialogs dialogs;
    varlen::gui::MDIForm1 window(dialogs);
    window.showMaximized();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) window.OpenPath(arguments.at(1));
    return QApplication::exec();
}
