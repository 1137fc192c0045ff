// What every desktop test case starts from: the main window, made fresh for the case with its questions
// answered by a script, and the moves every test makes with it: find a window, widget or menu item by
// name, press F5 and wait for the analysis. A test class derives from it and calls Start and Stop from
// its init and cleanup slots.
#pragma once

#include <QAction>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "app/mdi_form.h"
#include "scripted_dialogs.h"

namespace varlen::gui::test {

class WindowTest : public QObject {
protected:
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<MDIForm1> m_window;

    void Start() {
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_window = std::make_unique<MDIForm1>(*m_dialogs, false);
        m_window->show();
    }
    // Nothing may be left to ask at the end of a case: the window closes without the question.
    void Stop() {
        m_window->Document().Document().New();
        m_window.reset();
        m_dialogs.reset();
    }

    template <class T = QWidget> T* Find(const QString& name) const {
        T* found = m_window->findChild<T*>(name);
        if (!found) qWarning() << "no object named" << name;
        return found;
    }
    QAction* Menu(const QString& name) const { return Find<QAction>(name); }
    // F5, waiting for the outcome: true when the analysis succeeded.
    bool Analyse() {
        QSignalSpy finished(m_window.get(), &MDIForm1::analysisFinished);
        Menu("mnuAnalysis")->trigger();
        if (finished.count() == 0 && !finished.wait(30000)) return false;
        return finished.last().at(0).toBool();
    }
    // F5 where the outcome does not matter, only that it came.
    void PressF5() {
        QSignalSpy finished(m_window.get(), &MDIForm1::analysisFinished);
        Menu("mnuAnalysis")->trigger();
        QVERIFY(finished.count() > 0 || finished.wait(30000));
    }
};

} // namespace varlen::gui::test
