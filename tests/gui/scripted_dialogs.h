// Answers the program's questions from a script and keeps what it was told, so the GUI tests run the
// real windows without a real dialog ever blocking.
#pragma once

#include <QPrinter>
#include <QStringList>
#include <deque>
#include <vector>

#include "app/user_dialogs.h"

namespace varlen::gui::test {

class ScriptedDialogs final : public UserDialogs {
public:
    struct Said {
        QString title, text;
    };

    std::deque<Answer> answers; // Ask: taken in order; Cancel when none is left
    std::deque<std::optional<QString>> inputs;
    std::deque<QString> fileNames; // open and save dialogs; "" when none is left (cancelled)
    std::vector<Said> asked, told;

    Answer Ask(QWidget*, const QString& title, const QString& text, Buttons, Icon) override {
        asked.push_back({title, text});
        if (answers.empty()) return Answer::Cancel;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void Tell(QWidget*, const QString& title, const QString& text, Icon) override {
        told.push_back({title, text});
    }
    std::optional<QString> Input(QWidget*, const QString& title, const QString& prompt) override {
        asked.push_back({title, prompt});
        if (inputs.empty()) return std::nullopt;
        auto next = inputs.front();
        inputs.pop_front();
        return next;
    }
    QString OpenFileName(QWidget*, const QString& title, const QString&, const QString&) override {
        return File(title);
    }
    QString SaveFileName(QWidget*, const QString& title, const QString&, const QString&) override {
        return File(title);
    }
    // Files the program opened for the user to see (reports); `showFiles` says whether that works.
    std::vector<QString> shown;
    bool showFiles = true;
    bool ShowFile(const QString& path) override {
        shown.push_back(path);
        return showFiles;
    }
    // The print dialog: "printed" into the next PDF file named, or cancelled when none is left.
    std::deque<QString> printFiles;
    bool SetUpPrinter(QWidget*, QPrinter& printer) override {
        asked.push_back({"Print", {}});
        if (printFiles.empty()) return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printFiles.front());
        printFiles.pop_front();
        return true;
    }

private:
    QString File(const QString& title) {
        asked.push_back({title, {}});
        if (fileNames.empty()) return {};
        const QString name = fileNames.front();
        fileNames.pop_front();
        return name;
    }
};

} // namespace varlen::gui::test
