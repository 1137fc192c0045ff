// The Print Options window driven as a user drives it, offscreen: the Print Using items, the check boxes
// that choose the sections, the refusal while the results are out of date, both reports written to the
// temporary folder and shown, the design tables and pictures in the word report, and Save Report As.
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <zip.h>

#include "app/mdi_form.h"
#include "window_test.h"

using varlen::gui::MDIForm1;

namespace {

// The names and the texts of a .docx package's parts, as a word processor unpacks it.
struct Package {
    QStringList names;
    QString document;
};

Package Unzip(const QString& path) {
    Package package;
    int error = 0;
    zip_t* archive = zip_open(path.toLocal8Bit().constData(), ZIP_RDONLY, &error);
    if (!archive) return package;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        const QString name = zip_get_name(archive, static_cast<zip_uint64_t>(i), 0);
        package.names << name;
        if (name != "word/document.xml") continue;
        zip_stat_t stat;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
        QByteArray bytes(static_cast<qsizetype>(stat.size), '\0');
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        zip_fread(file, bytes.data(), stat.size);
        zip_fclose(file);
        package.document = QString::fromUtf8(bytes);
    }
    zip_close(archive);
    return package;
}

QString Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class PrintOptionsTest : public varlen::gui::test::WindowTest {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QCheckBox* Box(const char* name) const { return Find<QCheckBox>(name); }
    void Click(const char* name) { Find<QPushButton>(name)->click(); }
    QString Temporary(const char* name) const { return QDir(m_window->TemporaryFolder()).filePath(name); }

private slots:
    void init() {
        Start();
        QVERIFY(m_window->OpenPath(VARLEN_EXAMPLES_DIR "/roof_truss.sma"));
    }
    void cleanup() { Stop(); }

    // Each Print Using item opens the window with the sections its report has always held ticked; the
    // bending boxes are greyed, a truss having none.
    void eachReportStartsWithItsOwnSections() {
        QVERIFY(Analyse());
        Menu("mnuNotepad")->trigger();
        QVERIFY(Find("frmPrintOptions")->isVisible());
        QCOMPARE(Find("frmPrintOptions")->windowTitle(), QString("Print Options"));
        QVERIFY(Box("chkJointCoordinates")->isChecked() && Box("chkCrossSectionalProperties")->isChecked());
        QVERIFY(!Box("chkMemberConnectivity")->isChecked() && !Box("chkGlobalDisplacements")->isChecked());
        QVERIFY(Find<QPushButton>("cmdNotepad")->isDefault());
        Menu("mnuWord")->trigger();
        QVERIFY(Box("chkMemberConnectivity")->isChecked() && Box("chkGlobalDisplacements")->isChecked());
        QVERIFY(!Box("chkLocalForces")->isChecked());
        QVERIFY(Find<QPushButton>("cmdWord")->isDefault());
        for (const char* name : {"chkBendingMomentValues", "chkShearForceValues", "chkDeflectionValues"})
            QVERIFY2(!Box(name)->isEnabled(), name);
    }

    // Results that do not belong to the tables on screen are not reported: before F5, and after an edit.
    void refusedWhileTheResultsAreOutOfDate() {
        QVERIFY(!Find<QMenu>("mnuPrintUsing")->menuAction()->isEnabled()); // never analysed
        QVERIFY(Analyse());
        auto& doc = m_window->Document();
        QVERIFY(
            doc.Apply(varlen::document::SetTitleEdit{varlen::document::TitleField::Designer, "A. Checker"},
                      "Designer")
                .applied);
        Menu("mnuNotepad")->trigger();
        Click("cmdNotepad");
        QCOMPARE(m_dialogs->told.size(), std::size_t{1});
        QCOMPARE(m_dialogs->told.back().title, QString("Please Analyse Your Structure"));
        QCOMPARE(m_dialogs->told.back().text,
                 QString("Changes Occured or Structure has not been analysed! Structure Cannot Be Printed."));
        QVERIFY(!QFile::exists(Temporary("Notepad.txt")));
        QVERIFY(m_dialogs->shown.empty());
    }

    // The text report is written to the temporary folder and shown; the boxes choose its sections.
    void textReportFollowsTheBoxes() {
        QVERIFY(Analyse());
        Menu("mnuNotepad")->trigger();
        Click("cmdNotepad");
        QVERIFY(m_dialogs->told.empty());
        QCOMPARE(m_dialogs->shown, std::vector<QString>{Temporary("Notepad.txt")});
        QString text = Read(Temporary("Notepad.txt"));
        QVERIFY(text.startsWith("VARLEN ANALYSIS\r\n\r\nTITLE\r\n"));
        QVERIFY(text.contains("MATERIAL PROPERTIES\r\n"));
        QVERIFY(!text.contains("SUPPORT REACTIONS"));
        Box("chkMaterialProperties")->setChecked(false);
        Box("chkReactions")->setChecked(true);
        Click("cmdNotepad");
        text = Read(Temporary("Notepad.txt"));
        QVERIFY(!text.contains("MATERIAL PROPERTIES"));
        QVERIFY(text.contains("SUPPORT REACTIONS"));
    }

    // The word report holds the pictures, and the BS 449 tables once the design window's checks ran.
    void wordReportHoldsPicturesAndTheDesign() {
        QVERIFY(Analyse());
        Menu("mnuWord")->trigger();
        Click("cmdWord");
        QCOMPARE(m_dialogs->shown, std::vector<QString>{Temporary("Report.docx")});
        Package package = Unzip(Temporary("Report.docx"));
        QVERIFY(package.names.contains("word/document.xml"));
        QCOMPARE(package.names.filter(QRegularExpression("^word/media/.*\\.png$")).size(), 2);
        QVERIFY(package.document.contains("Varlen Analysis"));
        QVERIFY(package.document.contains("Member  29"));
        QVERIFY(!package.document.contains("BS 449"));
        Menu("mnuBS449")->trigger(); // the three checks run as the window opens
        Click("cmdWord");
        package = Unzip(Temporary("Report.docx"));
        QVERIFY(package.document.contains("BS 449"));
    }

    // Save Report As writes either report where the user says; no program is started for it. A report
    // that cannot be written is refused with the file named; a desktop without a viewer gets the path.
    void savesEitherReportWhereTheUserSays() {
        QVERIFY(Analyse());
        Menu("mnuWord")->trigger();
        m_dialogs->fileNames = {m_dir.filePath("calc.docx"), m_dir.filePath("calc.txt"),
                                m_dir.filePath("calc.rtf")};
        Click("cmdSaveReport");
        Click("cmdSaveReport");
        QVERIFY(Unzip(m_dir.filePath("calc.docx")).names.contains("word/document.xml"));
        QVERIFY(Read(m_dir.filePath("calc.txt")).startsWith("VARLEN ANALYSIS"));
        QVERIFY(m_dialogs->shown.empty());
        Click("cmdSaveReport");
        QVERIFY(m_dialogs->told.back().text.contains(".docx or .txt"));
        m_dialogs->fileNames = {m_dir.filePath("no/such/folder/calc.txt")};
        Click("cmdSaveReport");
        QCOMPARE(m_dialogs->told.back().title, QString("Please Analyse Your Structure"));
        QVERIFY(m_dialogs->told.back().text.contains("calc.txt"));
        m_dialogs->showFiles = false;
        Click("cmdNotepad");
        QVERIFY(m_dialogs->told.back().text.contains(Temporary("Notepad.txt")));
    }
};

#include "print_options_test.moc"
QTEST_MAIN(PrintOptionsTest)
