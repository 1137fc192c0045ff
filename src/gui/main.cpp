// varlen: the desktop program. "varlen [PROJECT.sma]" opens the project at start.
#include <new>

#include <QApplication>

#include "app/mdi_form.h"

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

} // namespace

int main(int argc, char** argv) {
    VarlenApplication app(argc, argv);
    QApplication::setApplicationName("Varlen");
    QApplication::setApplicationVersion(VARLEN_VERSION);
    varlen::gui::QtUserDialogs dialogs;
    app.SetDialogs(&dialogs);
    varlen::gui::MDIForm1 window(dialogs);
    window.showMaximized();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) window.OpenPath(arguments.at(1));
    return QApplication::exec();
}
