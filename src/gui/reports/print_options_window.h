// frmPrintOptions, "Print Options": which sections a report holds, and the buttons that write the text
// report ("Notepad.txt") or the word report ("Report.docx") into the program's temporary folder and open
// it in the desktop's program for its type, or save either where the engineer chooses.
#pragma once

#include <QString>
#include <QWidget>
#include <array>

#include "report/text_report.h"

class QCheckBox;
class QPushButton;

namespace varlen::gui {

class DocumentObject;
class UserDialogs;

class PrintOptionsWindow final : public QWidget {
    Q_OBJECT
public:
    enum class Report { Text, Word };

    PrintOptionsWindow(DocumentObject& document, UserDialogs& dialogs, QString temporaryFolder,
                       QWidget* parent = nullptr);

    // The Print Using items: the boxes ticked for the sections that report holds, its button the default.
    void Prepare(Report report);
    [[nodiscard]] report::ReportSections Sections() const;

public slots:
    // Writes the report and opens it; false when refused or not written (the user was told why).
    bool WriteTextReport();
    bool WriteWordReport();
    void SaveReportAs();

private:
    // The refusal while the results do not belong to the tables on screen.
    [[nodiscard]] bool ResultsAreCurrent();
    bool Write(Report report, const QString& path, bool show);
    void Refuse(const QString& cause = {});

    DocumentObject& m_document;
    UserDialogs& m_dialogs;
    QString m_temporary;
    std::array<QCheckBox*, 9> m_boxes{}; // in the order of report::ReportSections
    QPushButton* m_notepad = nullptr;
    QPushButton* m_word = nullptr;
};

} // namespace varlen::gui
