// The wireframe window driven as a user drives it, offscreen: the picture beside the summary on opening,
// following edits, zoom by menu and by a dragged band, the scroll bars, the analysed views, printing,
// saving, and the batch pictures of `varlen --export-picture`.
#include <QAction>
#include <QImage>
#include <QMdiSubWindow>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

#include "app/mdi_form.h"
#include "drawing/scene.h"
#include "window_test.h"
#include "wireframe/wireframe_window.h"

using varlen::drawing::Role;
using varlen::drawing::View;
using varlen::gui::MDIForm1;
using varlen::gui::WireframeWindow;

namespace {

int Count(const std::vector<varlen::drawing::Line>& lines, Role role) {
    return static_cast<int>(
        std::count_if(lines.begin(), lines.end(), [role](const auto& l) { return l.role == role; }));
}

// Distinct colours in a picture: a blank one has one.
int Colours(const QImage& image) {
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            seen.insert(image.pixel(x, y));
    return static_cast<int>(seen.size());
}

} // namespace

class WireframeWindowTest : public varlen::gui::test::WindowTest {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    WireframeWindow* Picture() const { return m_window->findChild<WireframeWindow*>("frmThumbnail"); }
    QWidget* Viewport() const { return Picture()->findChild<QWidget*>("picViewport"); }
    void OpenRoofTruss() {
        QVERIFY(m_window->OpenPath(VARLEN_EXAMPLES_DIR "/roof_truss.sma"));
        QApplication::processEvents();
    }

private slots:
    void init() {
        Start();
        m_window->resize(1200, 800);
    }
    void cleanup() { Stop(); }

    // Opening shows the truss drawn, whole, beside the member list; the picture is not blank.
    void openingShowsTheTrussBesideTheSummary() {
        OpenRoofTruss();
        QVERIFY(Picture()->isVisible());
        QVERIFY(m_window->findChild<QWidget*>("frmResultsSummary")->isVisible());
        QCOMPARE(Picture()->windowTitle(), QString("Wireframe Model"));
        const auto& scene = Picture()->Scene();
        QCOMPARE(Count(scene.lines, Role::Member), 29);
        QCOMPARE(static_cast<int>(scene.circles.size()), 16);
        const varlen::drawing::ViewRect view = Picture()->Viewport().View();
        const varlen::drawing::World world = Picture()->Viewport().GetWorld();
        // Full scale: the whole width of the truss is in view, its proportions those of the picture.
        QVERIFY(view.x1 <= world.xMin + 1e-9 && view.x2 >= world.xMax - 1e-9);
        const double aspect = Picture()->Viewport().Aspect();
        QVERIFY(qAbs((view.y2 - view.y1) / (view.x2 - view.x1) - aspect) < 1e-9);
        QVERIFY(Colours(Viewport()->grab().toImage()) > 3);
    }

    // An edit of the tables shows at once, without reopening the window.
    void followsEveryEdit() {
        OpenRoofTruss();
        auto& doc = m_window->Document();
        const int joints = static_cast<int>(Picture()->Scene().circles.size());
        const double right = Picture()->Viewport().GetWorld().xMax;
        QVERIFY(doc.Apply(varlen::document::SetRowEdit{varlen::project::TableId::Joints,
                                                       doc.Document().Project().joints.RowCount(),
                                                       {"40", "0", "Far joint", "0", "0", ""}},
                          "Add joint")
                    .applied);
        QCOMPARE(static_cast<int>(Picture()->Scene().circles.size()), joints + 1);
        QCOMPARE(Picture()->Viewport().GetWorld().xMax, 41.0);
        QVERIFY(Picture()->Viewport().GetWorld().xMax > right);
        doc.UndoStack().undo();
        QCOMPARE(static_cast<int>(Picture()->Scene().circles.size()), joints);
    }

    // The magnification items, a band dragged with the mouse, and the scroll bars that follow the view.
    void zoomsAndScrolls() {
        OpenRoofTruss();
        for (int i = 0; i < 3; ++i)
            Menu("mnuZoomIn")->trigger(); // half the width each time, about the centre
        const auto world = Picture()->Viewport().GetWorld();
        auto view = Picture()->Viewport().View();
        QVERIFY(view.x2 - view.x1 < world.Width() / 2);
        auto* h = Picture()->findChild<QScrollBar*>("HScrollBar");
        QVERIFY(h->isVisible());
        QCOMPARE(h->value(), qRound(view.x1 * 100));
        h->setValue(h->maximum()); // the right edge of the view on the world's
        view = Picture()->Viewport().View();
        QCOMPARE(view.x2, world.xMax);
        auto* v = Picture()->findChild<QScrollBar*>("VScrollBar");
        QVERIFY(v->isVisible());
        v->setValue(v->minimum()); // the top of the world
        QCOMPARE(Picture()->Viewport().View().y2, world.yMax);
        // "1/2 Magnification" shows twice as much: the width doubles about the centre.
        const double before = view.x2 - view.x1;
        Menu("mnuScaleMag_20")->trigger();
        view = Picture()->Viewport().View();
        QVERIFY(qAbs((view.x2 - view.x1) - 2 * before) < 1e-9);
        Menu("mnuScaleMag_1")->trigger();
        view = Picture()->Viewport().View();
        QVERIFY(view.x1 <= world.xMin + 1e-9 && view.x2 >= world.xMax - 1e-9);
        QVERIFY(!h->isVisible());

        // The band, dragged from lower right to upper left, becomes the view.
        const double full = view.x2 - view.x1;
        Menu("mnuScaleZoom")->trigger();
        QCOMPARE(Viewport()->cursor().shape(), Qt::CrossCursor);
        const QPoint from(Viewport()->width() * 3 / 5, Viewport()->height() * 3 / 5);
        const QPoint to(Viewport()->width() * 2 / 5, Viewport()->height() * 2 / 5);
        QTest::mousePress(Viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(Viewport(), to);
        QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, to);
        view = Picture()->Viewport().View();
        QVERIFY(view.x2 - view.x1 < 0.4 * full);
        QCOMPARE(Picture()->Viewport().Zoom(), varlen::drawing::Viewport::ZoomState::Idle);
        QCOMPARE(Viewport()->cursor().shape(), Qt::ArrowCursor);
        // Armed, then a magnification item: the band is given up and the pointer is the default again.
        Menu("mnuScaleZoom")->trigger();
        Menu("mnuScaleMag_1")->trigger();
        QCOMPARE(Picture()->Viewport().Zoom(), varlen::drawing::Viewport::ZoomState::Idle);
        QCOMPARE(Viewport()->cursor().shape(), Qt::ArrowCursor);
    }

    // After F5 the deflected shape and the forces can be shown; after an edit they fall back to the model.
    void analysedViewsFollowTheResults() {
        OpenRoofTruss();
        QVERIFY(!Menu("mnuDeflectedShape")->isEnabled());
        QVERIFY(Analyse());
        QVERIFY(Menu("mnuDeflectedShape")->isEnabled());
        Menu("mnuDeflectedShape")->trigger();
        QCOMPARE(Picture()->Scene().view, View::Deflected);
        QCOMPARE(Count(Picture()->Scene().lines, Role::Deflected), 29);
        Menu("mnuAxialForces")->trigger();
        QCOMPARE(Picture()->Scene().view, View::Forces);
        QVERIFY(!Picture()->Scene().notes.empty()); // the legend
        auto& doc = m_window->Document();
        QVERIFY(
            doc.Apply(
                   varlen::document::SetRowEdit{varlen::project::TableId::Loads, 1, {"10", "0", "-20", ""}},
                   "Edit load")
                .applied);
        QCOMPARE(Picture()->Scene().view, View::Model);
        QVERIFY(!Menu("mnuAxialForces")->isEnabled());
        QVERIFY(Analyse());
        QCOMPARE(Picture()->Scene().view, View::Forces); // the choice stands for the next results
    }

    // A truss that cannot hold its load: the picture marks the joint the message names.
    void mechanismIsMarkedAtItsJoint() {
        OpenRoofTruss();
        auto& doc = m_window->Document();
        QVERIFY(doc.Apply(varlen::document::RemoveRowEdit{varlen::project::TableId::Members, 26}, "Remove")
                    .applied);
        m_dialogs->told.clear();
        QVERIFY(!Analyse());
        const auto mark = doc.StopMark();
        QVERIFY(mark.has_value());
        const auto& arrows = Picture()->Scene().arrows;
        QVERIFY(std::any_of(arrows.begin(), arrows.end(), [&](const varlen::drawing::Arrow& a) {
            return a.role == Role::Mechanism && a.item == mark->joint;
        }));
        doc.UndoStack().undo(); // the mark was about the truss before this edit
        QVERIFY(!doc.StopMark());
    }

    // Print goes through the print dialog (here into a PDF); Save Picture As writes each format.
    void printsAndSavesTheView() {
        OpenRoofTruss();
        const QString pdf = m_dir.filePath("printed.pdf");
        m_dialogs->printFiles.push_back(pdf);
        QCOMPARE(Menu("mnuPrint")->shortcut(), QKeySequence(QKeySequence::Print));
        Menu("mnuPrint")->trigger();
        QVERIFY(QFileInfo(pdf).size() > 1000);
        Menu("mnuPrint")->trigger(); // cancelled: nothing happens, nothing is said
        QVERIFY(m_dialogs->told.empty());
        for (const char* name : {"roof.png", "roof.svg", "roof.pdf"}) {
            m_dialogs->fileNames.push_back(m_dir.filePath(name));
            Menu("mnuSavePicture")->trigger();
            QVERIFY2(QFileInfo(m_dir.filePath(name)).size() > 500, name);
        }
        QVERIFY(Colours(QImage(m_dir.filePath("roof.png"))) > 3);
        m_dialogs->fileNames.push_back(m_dir.filePath("roof.bmp"));
        Menu("mnuSavePicture")->trigger();
        QCOMPARE(m_dialogs->told.size(), std::size_t{1});
        QVERIFY(m_dialogs->told.back().text.contains(".png, .svg or .pdf"));
    }

    // The batch pictures: three views of each example, each non-blank and different from the others; a
    // project that cannot be read, a bad option and an analysis that stops get varlen-cli's statuses.
    void exportPictureFromTheCommandLine() {
        const auto run = [](const QStringList& arguments, QString* errors = nullptr) {
            QProcess process;
            process.start(VARLEN_GUI, arguments);
            process.waitForFinished(60000);
            if (errors) *errors = QString::fromLocal8Bit(process.readAllStandardError());
            return process.exitCode();
        };
        for (const char* example : {"roof_truss", "simple_bridge", "braced_frame", "bridge_girder"}) {
            const QString project = QString(VARLEN_EXAMPLES_DIR "/%1.sma").arg(example);
            QList<QImage> pictures;
            for (const char* view : {"model", "deflected", "forces"}) {
                const QString png = m_dir.filePath(QString("%1-%2.png").arg(example, view));
                QCOMPARE(run({"--export-picture", png, "--view", view, project}), 0);
                pictures << QImage(png);
                QVERIFY2(Colours(pictures.back()) > 3, qPrintable(png));
            }
            QVERIFY(pictures[0] != pictures[1] && pictures[1] != pictures[2] && pictures[0] != pictures[2]);
            const QString svg = m_dir.filePath(QString("%1.svg").arg(example));
            QCOMPARE(run({"--export-picture", svg, project}), 0);
            QVERIFY(QFileInfo(svg).size() > 500);
        }
        QString errors;
        QCOMPARE(run({"--export-picture", m_dir.filePath("x.png"), m_dir.filePath("missing.sma")}, &errors),
                 2);
        QVERIFY(errors.contains("cannot be read"));
        QCOMPARE(run({"--export-picture", m_dir.filePath("x.png"), "--view", "sideways",
                      VARLEN_EXAMPLES_DIR "/roof_truss.sma"}),
                 2);
        // A truss with a member fewer is a mechanism: the forces cannot be drawn, the model can.
        QVERIFY(m_window->OpenPath(VARLEN_EXAMPLES_DIR "/roof_truss.sma"));
        auto& doc = m_window->Document();
        QVERIFY(doc.Apply(varlen::document::RemoveRowEdit{varlen::project::TableId::Members, 26}, "Remove")
                    .applied);
        const QString broken = m_dir.filePath("broken.sma");
        QVERIFY(doc.Document().Save(broken.toStdString()).ok);
        QCOMPARE(run({"--export-picture", m_dir.filePath("f.png"), "--view", "forces", broken}, &errors), 1);
        QVERIFY(!errors.isEmpty());
        QCOMPARE(run({"--export-picture", m_dir.filePath("m.png"), broken}), 0);
    }
};

#include "wireframe_window_test.moc"
QTEST_MAIN(WireframeWindowTest)
