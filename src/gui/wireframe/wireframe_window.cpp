#include "wireframe/wireframe_window.h"

#include "results/results_selector.h"

#include <QActionGroup>
#include <QGridLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <limits>

#include "app/document_object.h"
#include "app/user_dialogs.h"
#include "wireframe/scene_painter.h"

namespace varlen::gui {
namespace {

// Scroll positions fit a QScrollBar: the viewport keeps them within 32 bits for any truss.
int Clamp(std::int64_t value) {
    return static_cast<int>(
        std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

WireframeWindow::WireframeWindow(DocumentObject& document, UserDialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_document(document), m_dialogs(dialogs) {
    setObjectName("frmThumbnail");
    setWindowTitle("Wireframe Model");
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    auto* bar = new QMenuBar(this);
    outer->setMenuBar(bar);
    auto* grid = new QGridLayout;
    grid->setSpacing(2);
    m_picture = new QWidget(this);
    m_picture->setObjectName("picViewport");
    m_picture->setAttribute(Qt::WA_OpaquePaintEvent);
    m_picture->setMouseTracking(true);
    m_picture->setMinimumSize(120, 90);
    m_picture->installEventFilter(this);
    m_hBar = new QScrollBar(Qt::Horizontal, this);
    m_hBar->setObjectName("HScrollBar");
    m_vBar = new QScrollBar(Qt::Vertical, this);
    m_vBar->setObjectName("VScrollBar");
    grid->addWidget(m_picture, 0, 0);
    grid->addWidget(m_vBar, 0, 1);
    grid->addWidget(m_hBar, 1, 0);
    // Which case or combination the deflected shape and the forces are of.
    outer->addWidget(new ResultsSelector(document, this), 0, Qt::AlignLeft);
    outer->addLayout(grid);
    BuildMenus(bar);

    connect(m_hBar, &QScrollBar::valueChanged, this, &WireframeWindow::HScrollView);
    connect(m_vBar, &QScrollBar::valueChanged, this, &WireframeWindow::VScrollView);
    connect(&m_document, &DocumentObject::tableEdited, this, &WireframeWindow::Invalidate);
    connect(&m_document, &DocumentObject::resultsChanged, this, &WireframeWindow::Invalidate);
    // Saving changes the flags too; only results going out of date or coming back change the picture.
    connect(&m_document, &DocumentObject::flagsChanged, this, [this] {
        if (m_document.Document().Stale() != m_stale) Invalidate();
    });
    connect(&m_document, &DocumentObject::stopMarkChanged, this, &WireframeWindow::Invalidate);
    // Another project: its own world, seen whole, in the plain model view.
    connect(&m_document, &DocumentObject::tablesReplaced, this, [this] {
        m_chosen = drawing::View::Model;
        m_model->setChecked(true);
        Rebuild();
        m_viewport.ShowFullScale();
        ApplyView();
    });
    Rebuild();
    m_viewport.ShowFullScale();
    resize(560, 420);
}

void WireframeWindow::BuildMenus(QMenuBar* bar) {
    const auto item = [this](QMenu* menu, const char* name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        return action;
    };
    QMenu* file = bar->addMenu("&File");
    file->setObjectName("mnuFile");
    QAction* print = item(file, "mnuPrint", "Print Wireframe Model");
    print->setShortcut(QKeySequence::Print);
    print->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(print, &QAction::triggered, this, &WireframeWindow::PrintPicture);
    connect(item(file, "mnuSavePicture", "Save Picture &As..."), &QAction::triggered, this,
            &WireframeWindow::SavePictureAs);
    file->addSeparator();
    connect(item(file, "mnuClose", "&Close"), &QAction::triggered, this, &WireframeWindow::closeRequested);

    QMenu* diagram = bar->addMenu("&Diagram");
    diagram->setObjectName("mnuScale");
    connect(item(diagram, "mnuScaleZoom", "&Zoom"), &QAction::triggered, this, [this] {
        m_viewport.ArmZoom();
        m_picture->setCursor(Qt::CrossCursor);
    });
    // One array of magnification items: the index says the step (1 full scale, 20 a half, 40 a quarter).
    for (const auto& [index, caption] : {std::pair{1, "Full  Scale"}, std::pair{20, "1/2 Magnification"},
                                         std::pair{40, "1/4 Magnification"}}) {
        QAction* action = diagram->addAction(caption);
        action->setObjectName(QString("mnuScaleMag_%1").arg(index));
        connect(action, &QAction::triggered, this, [this, index = index] {
            m_picture->unsetCursor();
            m_viewport.Magnify(index);
            ApplyView();
        });
    }
    // The magnification items only ever show more of the world; zooming in is the band's, or these.
    QAction* in = item(diagram, "mnuZoomIn", "Zoom &In");
    in->setShortcut(QKeySequence::ZoomIn);
    in->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(in, &QAction::triggered, this, [this] { ZoomBy(2); });
    QAction* out = item(diagram, "mnuZoomOut", "Zoom &Out");
    out->setShortcut(QKeySequence::ZoomOut);
    out->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(out, &QAction::triggered, this, [this] { ZoomBy(0.5); });
    diagram->addSeparator();
    auto* views = new QActionGroup(this);
    const auto viewItem = [&](const char* name, const char* caption, drawing::View view) {
        QAction* action = item(diagram, name, caption);
        action->setCheckable(true);
        views->addAction(action);
        connect(action, &QAction::triggered, this, [this, view] { ChooseView(view); });
        return action;
    };
    m_model = viewItem("mnuModelView", "&Model", drawing::View::Model);
    m_deflected = viewItem("mnuDeflectedShape", "Deflected Shape", drawing::View::Deflected);
    m_forces = viewItem("mnuAxialForces", "Axial Forces", drawing::View::Forces);
    // With load cases: every member's greatest tension and compression, whatever set is chosen.
    m_envelope = item(diagram, "mnuAxialForceEnvelope", "Axial Force &Envelope");
    m_envelope->setCheckable(true);
    views->addAction(m_envelope);
    connect(m_envelope, &QAction::triggered, this, [this] {
        m_showEnvelope = true;
        m_chosen = drawing::View::Forces;
        Invalidate();
    });
    m_model->setChecked(true);
}

const drawing::Scene& WireframeWindow::Scene() {
    if (m_dirty) Rebuild();
    return m_scene;
}

void WireframeWindow::ChooseView(drawing::View view) {
    m_chosen = view;
    m_showEnvelope = false;
    (view == drawing::View::Model       ? m_model
     : view == drawing::View::Deflected ? m_deflected
                                        : m_forces)
        ->setChecked(true);
    Invalidate();
}

void WireframeWindow::Invalidate() {
    m_dirty = true;
    m_stale = m_document.Document().Stale();
    const bool current = !m_stale && m_document.Results();
    m_deflected->setEnabled(current);
    m_forces->setEnabled(current);
    m_envelope->setEnabled(current && m_document.Document().LoadCases());
    m_envelope->setVisible(m_document.Document().LoadCases() != nullptr);
    if (m_showEnvelope && !m_envelope->isEnabled()) {
        // No envelope now (one case again, or no results): the forces of the set shown instead.
        m_showEnvelope = false;
        m_forces->setChecked(true);
    }
    // Building a scene of a large truss takes a moment: a hidden window waits until it is shown.
    if (isVisible()) m_picture->update();
}

void WireframeWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_dirty) m_picture->update();
}

void WireframeWindow::Rebuild() {
    m_dirty = false;
    const document::ProjectDocument& doc = m_document.Document();
    // Results that no longer match the tables are not drawn: the picture falls back to the model.
    const analysis::Results* results = doc.Stale() ? nullptr : m_document.Results();
    m_scene = drawing::BuildScene(doc.Project(), results, m_chosen, m_document.StopMark(),
                                  m_showEnvelope && results ? doc.LoadCases() : nullptr);
    const drawing::World world = drawing::Enclose(drawing::WorldOf(doc.Project()), m_scene);
    if (!(world == m_viewport.GetWorld())) {
        m_viewport.SetWorld(world);
        ApplyView();
    }
}

void WireframeWindow::ApplyView() {
    m_viewport.ApplyView();
    m_updating = true;
    const drawing::ScrollBarState& h = m_viewport.HorizontalBar();
    m_hBar->setVisible(h.visible);
    m_hBar->setRange(Clamp(h.minimum), Clamp(h.maximum));
    m_hBar->setSingleStep(std::max(1, Clamp(h.singleStep)));
    m_hBar->setPageStep(std::max(1, Clamp(h.pageStep)));
    m_hBar->setValue(Clamp(h.value));
    // The vertical bar runs from the top of the world down: a QScrollBar counts downwards from its
    // minimum, so it holds the positions negated.
    const drawing::ScrollBarState& v = m_viewport.VerticalBar();
    m_vBar->setVisible(v.visible);
    m_vBar->setRange(Clamp(-v.minimum), Clamp(-v.maximum));
    m_vBar->setSingleStep(std::max(1, Clamp(v.singleStep)));
    m_vBar->setPageStep(std::max(1, Clamp(v.pageStep)));
    m_vBar->setValue(Clamp(-v.value));
    m_updating = false;
    m_picture->update();
}

void WireframeWindow::HScrollView(int value) {
    if (m_updating) return;
    m_viewport.HScrollView(value);
    ApplyView();
}

void WireframeWindow::VScrollView(int value) {
    if (m_updating) return;
    m_viewport.VScrollView(-static_cast<std::int64_t>(value));
    ApplyView();
}

void WireframeWindow::ShowFullScale() {
    m_viewport.ShowFullScale();
    ApplyView();
}

void WireframeWindow::ZoomBy(double factor) {
    m_viewport.ZoomBy(factor);
    ApplyView();
}

void WireframeWindow::CancelZoom() {
    m_viewport.CancelZoom();
    m_picture->unsetCursor();
    m_picture->update();
}

void WireframeWindow::DrawWireframe(QPainter& painter, const QRectF& target, bool onPaper) {
    const drawing::ViewRect view = m_viewport.View();
    PaintScene(painter, Scene(), view, target,
               onPaper ? drawing::Colour{255, 255, 255} : drawing::kBackground);
}

// The world's view is drawn inside a margin of the picture box: arrows, load values and support symbols
// reach beyond the joints by a fixed number of pixels, and the view's 1 m margin may be far fewer.
QRectF WireframeWindow::PictureRect() const {
    const double margin = std::min(36.0, 0.1 * std::min(m_picture->width(), m_picture->height()));
    return QRectF(m_picture->rect()).adjusted(margin, margin, -margin, -margin);
}

bool WireframeWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_picture) return QWidget::eventFilter(watched, event);
    const QRectF area = PictureRect();
    const WorldToScreen map(m_viewport.View(), area);
    switch (event->type()) {
    case QEvent::Paint: {
        QPainter painter(m_picture);
        painter.fillRect(m_picture->rect(),
                         QColor(drawing::kBackground.r, drawing::kBackground.g, drawing::kBackground.b));
        DrawWireframe(painter, area, false);
        if (m_viewport.Zoom() == drawing::Viewport::ZoomState::Dragging) {
            painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(
                QRectF(map.Map(m_viewport.BandStart()), map.Map(m_viewport.BandEnd())).normalized());
        }
        return true;
    }
    case QEvent::Resize:
        if (area.width() > 0) m_viewport.SetAspect(area.height() / area.width());
        ApplyView();
        return false;
    case QEvent::MouseButtonPress:
        if (m_viewport.Zoom() == drawing::Viewport::ZoomState::Armed) {
            m_viewport.Press(map.Unmap(static_cast<QMouseEvent*>(event)->position()));
            m_picture->update();
            return true;
        }
        return false;
    case QEvent::MouseMove:
        if (m_viewport.Zoom() == drawing::Viewport::ZoomState::Dragging) {
            m_viewport.Drag(map.Unmap(static_cast<QMouseEvent*>(event)->position()));
            m_picture->update();
            return true;
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (m_viewport.Zoom() == drawing::Viewport::ZoomState::Dragging) {
            m_viewport.Release(map.Unmap(static_cast<QMouseEvent*>(event)->position()));
            m_picture->unsetCursor();
            ApplyView();
            return true;
        }
        return false;
    case QEvent::Wheel: {
        // Ctrl+wheel zooms about the centre in steps of a quarter; the wheel alone scrolls up and down.
        auto* wheel = static_cast<QWheelEvent*>(event);
        const int steps = wheel->angleDelta().y() / 120;
        if (steps == 0) return false;
        if (wheel->modifiers() & Qt::ControlModifier) {
            ZoomBy(steps > 0 ? 1.25 : 0.8);
        } else if (m_vBar->isVisible()) {
            m_vBar->setValue(m_vBar->value() - steps * m_vBar->singleStep());
        }
        return true;
    }
    default:
        return false;
    }
}

void WireframeWindow::PrintPicture() {
    CancelZoom();
    QPrinter printer(QPrinter::HighResolution);
    const drawing::ViewRect view = m_viewport.View();
    printer.setPageOrientation(view.y2 - view.y1 < view.x2 - view.x1 ? QPageLayout::Landscape
                                                                     : QPageLayout::Portrait);
    if (!m_dialogs.SetUpPrinter(this, printer)) return;
    QPainter painter;
    if (!painter.begin(&printer)) {
        m_dialogs.Tell(this, "Print Wireframe Model",
                       "The printer could not be started; nothing was printed.", UserDialogs::Icon::Warning);
        return;
    }
    // The current view fitted to the page, its proportions kept, on white paper.
    const QRectF page(QPointF(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
    const QRectF target = FitToPage(page, (view.y2 - view.y1) / (view.x2 - view.x1));
    // Pixel sizes of symbols and texts are screen pixels: on paper they keep their size relative to the page.
    const double scale = target.width() / std::max(1, m_picture->width());
    painter.scale(scale, scale);
    DrawWireframe(painter, QRectF(target.topLeft() / scale, target.size() / scale), true);
    painter.end();
}

void WireframeWindow::SavePictureAs() {
    CancelZoom();
    const QString path = m_dialogs.SaveFileName(
        this, "Save Picture As", "PNG picture (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)", QString());
    if (path.isEmpty()) return;
    const QString error =
        SavePicture(Scene(), m_viewport.View(), path, std::max(800, m_picture->width() * 2));
    if (!error.isEmpty()) m_dialogs.Tell(this, "Save Picture As", error, UserDialogs::Icon::Warning);
}

} // namespace varlen::gui
