#include "wireframe/scene_painter.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <fstream>
#include <optional>

#include "drawing/svg_writer.h"
#include "drawing/viewport.h"

namespace varlen::gui {
namespace {

QColor ToQt(drawing::Colour c) {
    return {c.r, c.g, c.b};
}

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The top-left corner of a text of the given size relative to its anchor point.
QPointF CornerOffset(drawing::Anchor anchor, QSizeF size) {
    switch (anchor) {
    case drawing::Anchor::TopLeft:
        return {0, 0};
    case drawing::Anchor::BottomLeft:
        return {0, -size.height()};
    case drawing::Anchor::Centre:
        return {-size.width() / 2, -size.height() / 2};
    case drawing::Anchor::BottomCentre:
        return {-size.width() / 2, -size.height()};
    case drawing::Anchor::TopRight:
        return {-size.width(), 0};
    case drawing::Anchor::BottomRight:
        return {-size.width(), -size.height()};
    }
    return {0, 0};
}

void PaintArrow(QPainter& painter, QPointF tip, QPointF direction, double length, double width) {
    const QPointF tail = tip - direction * length;
    painter.drawLine(tail, tip);
    const double head = std::max(6.0, 4 * width);
    const QPointF back = tip - direction * head;
    const QPointF side(-direction.y() * head * 0.45, direction.x() * head * 0.45);
    painter.drawPolygon(QPolygonF{tip, back + side, back - side});
}

void PaintNotes(QPainter& painter, const drawing::Scene& scene, const QRectF& target) {
    QFont font = painter.font();
    font.setPixelSize(12);
    font.setBold(false);
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    for (const drawing::CornerNote& note : scene.notes) {
        double width = 0;
        for (const std::string& line : note.lines)
            width = std::max(width, metrics.horizontalAdvance(Utf8(line)));
        const double swatch = 14;
        const double lineHeight = metrics.height() + 2;
        const double boxWidth = width + swatch + 18;
        const double boxHeight = lineHeight * static_cast<double>(note.lines.size()) + 8;
        const bool right =
            note.corner == drawing::Anchor::TopRight || note.corner == drawing::Anchor::BottomRight;
        const bool top = note.corner == drawing::Anchor::TopLeft || note.corner == drawing::Anchor::TopRight;
        const QRectF box(right ? target.right() - boxWidth - 8 : target.left() + 8,
                         top ? target.top() + 8 : target.bottom() - boxHeight - 8, boxWidth, boxHeight);
        painter.setPen(QPen(QColor(120, 120, 120), 1));
        painter.setBrush(QColor(255, 255, 255, 220));
        painter.drawRect(box);
        for (std::size_t i = 0; i < note.lines.size(); ++i) {
            const double y = box.top() + 4 + lineHeight * static_cast<double>(i);
            double x = box.left() + 6;
            if (i < note.swatches.size() && note.swatches[i]) {
                painter.setPen(Qt::NoPen);
                painter.setBrush(ToQt(*note.swatches[i]));
                painter.drawRect(QRectF(x, y + lineHeight / 2 - 3, swatch - 2, 6));
            }
            x += swatch + 4;
            painter.setPen(Qt::black);
            painter.drawText(QPointF(x, y + metrics.ascent()), Utf8(note.lines[i]));
        }
    }
}

// Room for the notes in a strip under a picture written to a file, where nothing may cover the truss.
int NotesHeight(const drawing::Scene& scene) {
    std::size_t lines = 0;
    for (const drawing::CornerNote& note : scene.notes)
        lines = std::max(lines, note.lines.size());
    return lines == 0 ? 0 : static_cast<int>(lines) * 18 + 24;
}

} // namespace

WorldToScreen::WorldToScreen(const drawing::ViewRect& view, const QRectF& target)
    : m_view(view), m_target(target) {
    const double width = view.x2 - view.x1;
    const double height = view.y2 - view.y1;
    // The view has the target's proportions; the smaller scale keeps all of it in sight if it does not.
    m_scale = std::min(width > 0 ? target.width() / width : 1.0, height > 0 ? target.height() / height : 1.0);
}

QPointF WorldToScreen::Map(drawing::Point world) const {
    return {m_target.left() + (world.x - m_view.x1) * m_scale,
            m_target.top() + (m_view.y2 - world.y) * m_scale};
}

drawing::Point WorldToScreen::Unmap(QPointF screen) const {
    return {m_view.x1 + (screen.x() - m_target.left()) / m_scale,
            m_view.y2 - (screen.y() - m_target.top()) / m_scale};
}

void PrintRotatedText(QPainter& painter, const QString& text, QPointF at, double heightPx,
                      double angleDegrees, drawing::Anchor anchor, bool bold) {
    QFont font = painter.font();
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(heightPx))));
    font.setBold(bold);
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    const QSizeF size(metrics.horizontalAdvance(text), metrics.height());
    painter.save();
    painter.translate(at);
    painter.rotate(-angleDegrees); // anticlockwise on a screen whose y runs down
    painter.drawText(CornerOffset(anchor, size) + QPointF(0, metrics.ascent()), text);
    painter.restore();
}

void PaintScene(QPainter& painter, const drawing::Scene& scene, const drawing::ViewRect& view,
                const QRectF& target, drawing::Colour background, const std::optional<QRectF>& notes) {
    painter.save();
    // No clip to the target: symbols, arrows and values at the view's edge reach into the margin around it.
    painter.fillRect(target, ToQt(background));
    const WorldToScreen map(view, target);
    const drawing::Visible visible = drawing::VisibleItems(scene, view, map.PixelsPerMetre());
    // Smoothing tens of thousands of lines costs more than it shows: a truss seen whole at that size is
    // a texture, and zooming in brings the smoothing back.
    painter.setRenderHint(QPainter::Antialiasing, visible.lines.size() < 20000);

    // Lines first, in the order the scene gives them (the undeformed truss under the deflected one).
    for (int i : visible.lines) {
        const drawing::Line& line = scene.lines[static_cast<std::size_t>(i)];
        QPen pen(ToQt(line.colour), line.widthPx);
        painter.setPen(pen);
        painter.drawLine(map.Map(line.a), map.Map(line.b));
    }
    painter.setBrush(Qt::NoBrush);
    for (int i : visible.circles) {
        const drawing::Circle& circle = scene.circles[static_cast<std::size_t>(i)];
        const double r = std::max(1.5, circle.radius * map.PixelsPerMetre());
        painter.setPen(QPen(ToQt(circle.colour), 1));
        painter.drawEllipse(map.Map(circle.centre), r, r);
    }
    for (int i : visible.symbols) {
        const drawing::Symbol& symbol = scene.symbols[static_cast<std::size_t>(i)];
        const QPointF at = map.Map(symbol.at);
        QPolygonF outline;
        for (const drawing::Point& p : symbol.outlinePx)
            outline << at + QPointF(p.x, -p.y);
        painter.setPen(QPen(ToQt(symbol.colour), 1.2));
        painter.setBrush(symbol.fill ? QBrush(ToQt(*symbol.fill)) : QBrush(Qt::NoBrush));
        painter.drawPolygon(outline);
    }
    for (int i : visible.arrows) {
        const drawing::Arrow& arrow = scene.arrows[static_cast<std::size_t>(i)];
        painter.setPen(QPen(ToQt(arrow.colour), arrow.widthPx));
        painter.setBrush(ToQt(arrow.colour));
        PaintArrow(painter, map.Map(arrow.tip), QPointF(arrow.direction.x, -arrow.direction.y),
                   arrow.lengthPx, arrow.widthPx);
    }
    for (int i : visible.texts) {
        const drawing::Text& text = scene.texts[static_cast<std::size_t>(i)];
        painter.setPen(ToQt(text.colour));
        PrintRotatedText(painter, Utf8(text.text),
                         map.Map(text.at) + QPointF(text.offsetPx.x, -text.offsetPx.y), text.heightPx,
                         text.angleDegrees, text.anchor, text.bold);
    }
    PaintNotes(painter, scene, notes.value_or(target));
    painter.restore();
}

// A margin of 40 pixels (of `width`) all round, for the arrows, values and symbols that reach beyond the
// joints by a fixed size on screen.
static drawing::ViewRect WithMargin(const drawing::ViewRect& shown, int width) {
    const double margin = 40.0 * (shown.x2 - shown.x1) / std::max(1, width - 80);
    return {shown.x1 - margin, shown.y1 - margin, shown.x2 + margin, shown.y2 + margin};
}

QRectF FitToPage(const QRectF& page, double aspect) {
    aspect = std::max(aspect, 1e-9);
    const double width = std::min(page.width(), page.height() / aspect);
    return {page.center().x() - width / 2, page.center().y() - width * aspect / 2, width, width * aspect};
}

QImage PictureImage(const drawing::Scene& scene, const drawing::ViewRect& shown, int width) {
    const drawing::ViewRect view = WithMargin(shown, width);
    const double aspect = (view.y2 - view.y1) / std::max(1e-300, view.x2 - view.x1);
    const int height = std::max(1, static_cast<int>(std::lround(width * aspect)));
    const int strip = NotesHeight(scene);
    QImage image(width, height + strip, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintScene(painter, scene, view, QRectF(0, 0, width, height), drawing::Colour{255, 255, 255},
               QRectF(0, height, width, strip));
    return image;
}

drawing::ViewRect WholeTruss(const project::Project& project, const drawing::Scene& scene) {
    drawing::Viewport viewport(drawing::Enclose(drawing::WorldOf(project), scene));
    // The truss's own proportions, no wider than 4 : 1 nor taller than 1 : 2.
    const drawing::World& world = viewport.GetWorld();
    viewport.SetAspect(std::clamp(world.Height() / world.Width(), 0.25, 2.0));
    viewport.ShowFullScale();
    return viewport.View();
}

QString SavePicture(const drawing::Scene& scene, const drawing::ViewRect& shown, const QString& path,
                    int width) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    const drawing::ViewRect view = WithMargin(shown, width);
    const double aspect = (view.y2 - view.y1) / std::max(1e-300, view.x2 - view.x1);
    if (suffix == "svg") {
        drawing::SvgOptions options;
        options.view = view;
        options.widthPx = width;
        const std::string svg = drawing::WriteSvg(scene, options);
        std::ofstream out(path.toStdString(), std::ios::binary);
        out << svg;
        out.close();
        if (!out) return QString("The picture could not be written to \"%1\".").arg(path);
        return {};
    }
    if (suffix == "png") {
        if (!PictureImage(scene, shown, width).save(path, "PNG"))
            return QString("The picture could not be written to \"%1\".").arg(path);
        return {};
    }
    if (suffix == "pdf") {
        QPdfWriter pdf(path);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageOrientation(aspect < 1 ? QPageLayout::Landscape : QPageLayout::Portrait);
        pdf.setResolution(150);
        QPainter painter;
        if (!painter.begin(&pdf)) return QString("The picture could not be written to \"%1\".").arg(path);
        const int strip = NotesHeight(scene);
        const QRectF page(0, 0, pdf.width(), pdf.height() - strip);
        const QRectF target = FitToPage(page, aspect); // the notes go under it
        PaintScene(painter, scene, view, target, drawing::Colour{255, 255, 255},
                   QRectF(target.left(), target.bottom(), target.width(), strip));
        painter.end();
        return {};
    }
    return QString("\"%1\" is not a picture Varlen writes: give a name ending in .png, .svg or .pdf.")
        .arg(path);
}

} // namespace varlen::gui
