// Every question and message the program puts to the user goes through this interface, so that tests
// can answer them and the windows never block on a real dialog there.
#pragma once

#include <QString>
#include <optional>

class QPrinter;
class QWidget;

namespace varlen::gui {

class UserDialogs {
public:
    enum class Answer { Yes, No, Cancel };
    enum class Icon { Information, Warning, Critical, Question };
    enum class Buttons { YesNoCancel, YesNoDefaultNo };

    virtual ~UserDialogs() = default;
    virtual Answer Ask(QWidget* parent, const QString& title, const QString& text, Buttons buttons,
                       Icon icon) = 0;
    virtual void Tell(QWidget* parent, const QString& title, const QString& text, Icon icon) = 0;
    // The text typed, or nothing when the user cancelled.
    virtual std::optional<QString> Input(QWidget* parent, const QString& title, const QString& prompt) = 0;
    // A file name, or an empty text when the user cancelled. `current` is the project's path.
    virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& current) = 0;
    virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& current) = 0;
    // The system print dialog: the printer and its settings chosen, or false when the user cancelled.
    virtual bool SetUpPrinter(QWidget* parent, QPrinter& printer) = 0;
    // Opens a file the program wrote (a report) in the desktop's own program for its type; false when
    // none could be started.
    virtual bool ShowFile(const QString& path) = 0;
};

// The real dialogs.
class QtUserDialogs final : public UserDialogs {
public:
    Answer Ask(QWidget* parent, const QString& title, const QString& text, Buttons buttons,
               Icon icon) override;
    void Tell(QWidget* parent, const QString& title, const QString& text, Icon icon) override;
    std::optional<QString> Input(QWidget* parent, const QString& title, const QString& prompt) override;
    QString OpenFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& current) override;
    QString SaveFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& current) override;
    bool SetUpPrinter(QWidget* parent, QPrinter& printer) override;
    bool ShowFile(const QString& path) override;
};

} // namespace varlen::gui
