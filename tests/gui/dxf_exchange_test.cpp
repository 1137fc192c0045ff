// The File menu's DXF items driven as a user drives them: a CAD drawing imported, completed, analysed
// and exported again; the questions asked, what a damaged drawing leaves alone. Runs offscreen.
#include <QAction>
#include <QMenu>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include "app/mdi_form.h"
#include "dxf/dxf_import.h"
#include "project/project_file.h"
#include "window_test.h"

using varlen::document::SetRowEdit;
using varlen::gui::MDIForm1;
using varlen::gui::UserDialogs;
using varlen::project::TableId;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The 6 m truss drawn by ezdxf in metres, with blocks, a circle, a text and a polyline.
const QString kCadDrawing = QStringLiteral(VARLEN_SOURCE_DIR "/tests/data/dxf/truss_r12.dxf");

} // namespace

class DxfExchangeTest : public varlen::gui::test::WindowTest {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    varlen::document::ProjectDocument& Doc() { return m_window->Document().Document(); }
    bool OutputEnabled() const { return m_window->findChild<QMenu*>("mnuOutput")->menuAction()->isEnabled(); }
    void Edit(const varlen::document::Edit& edit) {
        QVERIFY(m_window->Document().Apply(edit, "test").applied);
    }
    // A saved and analysed project to import over.
    void SavedAnalysedTriangle() {
        Edit(SetRowEdit{TableId::Materials, 1, {"200", "Steel"}});
        Edit(SetRowEdit{TableId::Sections, 1, {"1000", "Plate"}});
        Edit(SetRowEdit{TableId::Joints, 1, {"0", "0", "A", "1", "1", ""}});
        Edit(SetRowEdit{TableId::Joints, 2, {"4", "0", "B", "0", "1", ""}});
        Edit(SetRowEdit{TableId::Joints, 3, {"2", "2", "C", "0", "0", ""}});
        Edit(SetRowEdit{TableId::Members, 1, {"1", "2", "1", "1", ""}});
        Edit(SetRowEdit{TableId::Members, 2, {"2", "3", "1", "1", ""}});
        Edit(SetRowEdit{TableId::Members, 3, {"3", "1", "1", "1", ""}});
        Edit(SetRowEdit{TableId::Loads, 1, {"3", "0", "-10", ""}});
        m_dialogs->fileNames = {m_dir->filePath("triangle.sma")};
        Menu("mnuSaveAs")->trigger();
        PressF5();
        QVERIFY(Doc().Results());
        QVERIFY(!Doc().Unsaved());
        m_dialogs->asked.clear();
        m_dialogs->told.clear();
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        Start();
    }
    void cleanup() { Stop(); }

    // The CAD drawing comes in as the 6 m truss; the engineer adds what a drawing cannot carry, analyses,
    // saves and exports it standing in X-Z.
    void importAnalyseAndExportAgain() {
        m_dialogs->fileNames = {kCadDrawing};
        Menu("mnuDXFXY")->trigger();
        QCOMPARE(m_dialogs->asked.size(), std::size_t(1)); // no unsaved changes: only the file dialog
        QCOMPARE(m_dialogs->asked[0].title, QString("Open Drawing Interchange File (Autocad LT 97)"));
        QCOMPARE(m_dialogs->told.size(), std::size_t(1));
        QCOMPARE(m_dialogs->told[0].title, QString("DXF Import"));
        // As after an open, the drawing is seen: the picture across the top, the member list below.
        QVERIFY(Find("frmThumbnail")->isVisible());
        QVERIFY(Find("frmResultsSummary")->isVisible());
        QVERIFY2(m_dialogs->told[0].text.startsWith(
                     "Imported 6 joints and 9 members from 9 lines in the X-Y plane."),
                 qPrintable(m_dialogs->told[0].text));
        QVERIFY(m_dialogs->told[0].text.contains("2 INSERT, 1 CIRCLE, 1 TEXT, 1 POLYLINE"));
        QVERIFY(m_window->statusBar()->currentMessage().startsWith("Imported 6 joints"));
        const varlen::project::Project& p = Doc().Project();
        QCOMPARE(p.joints.EntryCount(), 6);
        QCOMPARE(p.members.EntryCount(), 9);
        QCOMPARE(std::string(p.joints.Cell(4, varlen::project::joint_col::X)), std::string("6"));
        QVERIFY2(Doc().Unsaved(), "an import is an edit to save");
        QCOMPARE(m_window->windowTitle(), QString("Varlen - Untitled"));

        // Pinned at joint 1, on a roller at joint 4, 10 kN down at joint 5 (2, 1.5).
        Edit(SetRowEdit{TableId::Materials, 1, {"200", "Steel"}});
        Edit(SetRowEdit{TableId::Sections, 1, {"1000", "Plate"}});
        Edit(SetRowEdit{TableId::Joints, 1, {"0", "0", "Pin", "1", "1", ""}});
        Edit(SetRowEdit{TableId::Joints, 4, {"6", "0", "Roller", "0", "1", ""}});
        Edit(SetRowEdit{TableId::Loads, 1, {"5", "0", "-10", "Purlin"}});
        PressF5();
        QVERIFY2(m_dialogs->told.size() == 1, qPrintable(m_dialogs->told.back().text));
        const varlen::analysis::Results* results = Doc().Results();
        QVERIFY(results);
        // By hand: R1 = 10 x 4 / 6 = 6.667 kN; at joint 1 the rafter (3-4-5 slope) carries 6.667 / 0.6 =
        // 11.111 kN of compression and the tie 11.111 x 0.8 = 8.889 kN of tension.
        QVERIFY(qAbs(results->AxialForce(1) - 80.0 / 9) < 1e-6);
        QVERIFY(qAbs(results->AxialForce(4) + 100.0 / 9) < 1e-6);
        QVERIFY(OutputEnabled());

        m_dialogs->fileNames = {m_dir->filePath("roof.sma")};
        Menu("mnuSaveAs")->trigger();
        Menu("mnuExportDXFXZ")->trigger();
        QVERIFY2(m_dialogs->told.size() == 1, qPrintable(m_dialogs->told.back().text));
        const QByteArray drawing = ReadAll(m_dir->filePath("roof.dxf"));
        QCOMPARE(drawing.count("\r\nLINE\r\n"), 9);
        // Member 4 from joint 1 to joint 5, in millimetres, the truss's Y up the drawing's Z.
        QVERIFY(drawing.contains(
            " 10 \r\n 0 \r\n 20 \r\n 0 \r\n 30 \r\n 0 \r\n 11 \r\n 2000 \r\n 21 \r\n 0 \r\n 31 \r\n "
            "1500 \r\n"));
        QVERIFY(m_window->statusBar()->currentMessage().startsWith(
            "Exported 9 members as lines in the X-Z plane"));
    }

    void exportBeforeTheProjectHasANameSaysSo() {
        Edit(SetRowEdit{TableId::Joints, 1, {"0", "0", "", "0", "0", ""}});
        Menu("mnuExportDXFXY")->trigger();
        QCOMPARE(m_dialogs->told.size(), std::size_t(1));
        QCOMPARE(m_dialogs->told[0].title, QString("You Currently Cannot Export DXF "));
        QCOMPARE(m_dialogs->told[0].text, QString("Save or Open A Grid File First."));
        QVERIFY(QDir(m_dir->path()).entryList(QDir::Files).isEmpty());
    }

    // The original exported the file as last saved; the drawing shows the tables on screen.
    void exportCarriesUnsavedEdits() {
        SavedAnalysedTriangle();
        Edit(SetRowEdit{TableId::Joints, 3, {"2", "2.5", "C", "0", "0", ""}});
        Menu("mnuExportDXFXY")->trigger();
        QVERIFY(m_dialogs->told.empty());
        const QByteArray drawing = ReadAll(m_dir->filePath("triangle.dxf"));
        QVERIFY2(drawing.contains(" 11 \r\n 2000 \r\n 21 \r\n 2500 \r\n 31 \r\n 0 \r\n"),
                 drawing.constData());
        QVERIFY2(Doc().Unsaved(), "exporting does not save the project");
    }

    // With unsaved changes the question comes first: Cancel stops before the file dialog, No goes on
    // without saving, Yes saves and goes on. Undo takes an import back.
    void unsavedChangesAreAskedAboutFirst() {
        SavedAnalysedTriangle();
        Edit(SetRowEdit{TableId::Joints, 3, {"2", "3", "C", "0", "0", ""}});
        const varlen::project::Project edited = Doc().Project();

        m_dialogs->answers = {UserDialogs::Answer::Cancel};
        m_dialogs->fileNames = {kCadDrawing};
        Menu("mnuDXFXZ")->trigger();
        QCOMPARE(m_dialogs->asked.size(), std::size_t(1));
        QCOMPARE(m_dialogs->asked[0].text, QString("Save changes to Varlen Analysis?"));
        QCOMPARE(Doc().Project(), edited);

        m_dialogs->asked.clear();
        m_dialogs->answers = {UserDialogs::Answer::No};
        Menu("mnuDXFXY")->trigger();
        QCOMPARE(m_dialogs->asked.size(), std::size_t(2)); // the question, then the file dialog
        QCOMPARE(Doc().Project().members.EntryCount(), 9);
        QVERIFY2(!Doc().Results() && !OutputEnabled(), "the old results go with the old truss");
        QCOMPARE(Doc().Path().filename().string(), std::string("triangle.sma"));
        QVERIFY2(!ReadAll(m_dir->filePath("triangle.sma")).contains(" 3000 "), "No does not save");

        Menu("mnuUndo")->trigger();
        QCOMPARE(Doc().Project(), edited);

        m_dialogs->answers = {UserDialogs::Answer::Yes};
        m_dialogs->fileNames = {kCadDrawing};
        Menu("mnuDXFXY")->trigger();
        QVERIFY2(ReadAll(m_dir->filePath("triangle.sma")).contains(" 3000 "), "Yes saves the edit first");
        QCOMPARE(Doc().Project().members.EntryCount(), 9);
        QVERIFY(Doc().Unsaved());
    }

    // A damaged drawing is refused with its line; the project, its results and its flags stay as they were.
    void damagedDrawingChangesNothing() {
        SavedAnalysedTriangle();
        const varlen::project::Project before = Doc().Project();
        const QString damaged = m_dir->filePath("damaged.dxf");
        QByteArray bytes = ReadAll(kCadDrawing);
        // The first LINE of the ENTITIES section (a LINE in BLOCKS is never read, damaged or not).
        const qsizetype at = bytes.indexOf("\nLINE\n", bytes.indexOf("\nENTITIES\n"));
        QVERIFY(at > 0);
        const qsizetype x = bytes.indexOf("\n 10\n", at) + 5; // the first LINE's start X
        bytes.insert(bytes.indexOf('\n', x), "abc");
        WriteAll(damaged, bytes);
        const int line = static_cast<int>(bytes.left(x).count('\n')) + 1;

        m_dialogs->fileNames = {damaged};
        Menu("mnuDXFXY")->trigger();
        QCOMPARE(m_dialogs->told.size(), std::size_t(1));
        QVERIFY2(m_dialogs->told[0].text.contains(QString("line %1: the LINE that starts at line").arg(line)),
                 qPrintable(m_dialogs->told[0].text));
        QVERIFY(m_dialogs->told[0].text.endsWith("Nothing was changed."));
        QCOMPARE(Doc().Project(), before);
        QVERIFY(Doc().Results());
        QVERIFY(OutputEnabled());
        QVERIFY(!Doc().Unsaved());

        m_dialogs->told.clear();
        m_dialogs->fileNames.clear(); // the file dialog cancelled
        Menu("mnuDXFXZ")->trigger();
        QVERIFY(m_dialogs->told.empty());
        QCOMPARE(Doc().Project(), before);
    }
};

QTEST_MAIN(DxfExchangeTest)
#include "dxf_exchange_test.moc"
