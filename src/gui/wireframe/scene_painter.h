// The truss picture painted with QPainter: on the window, on paper and into PNG and PDF files. One
// painting routine for all of them, so what is printed or saved is what the engineer saw.
#pragma once

#include <optional>

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>

#include "drawing/scene.h"

class QPainter;

namespace varlen::gui {

// Where the world rectangle `view` lands on the target rectangle (pixels, y down): one scale for both
// axes, the view's proportions being the target's.
class WorldToScreen {
public:
    WorldToScreen(const drawing::ViewRect& view, const QRectF& target);
    [[nodiscard]] QPointF Map(drawing::Point world) const;
    [[nodiscard]] drawing::Point Unmap(QPointF screen) const;
    [[nodiscard]] double PixelsPerMetre() const { return m_scale; }

private:
    drawing::ViewRect m_view;
    QRectF m_target;
    double m_scale = 1;
};

// A text at a screen point, turned `angleDegrees` anticlockwise about it, the anchor corner (before the
// turn) on the point: the one routine every label is written with.
void PrintRotatedText(QPainter& painter, const QString& text, QPointF at, double heightPx,
                      double angleDegrees, drawing::Anchor anchor = drawing::Anchor::TopLeft,
                      bool bold = false);

// Paints the part of the scene that `view` shows onto `target`, background included; symbols and texts
// near the view's edge may reach a little beyond `target`, so leave a margin round it.
// The notes (scale, legend) go in a corner of `target`, or into `notes` when given.
void PaintScene(QPainter& painter, const drawing::Scene& scene, const drawing::ViewRect& view,
                const QRectF& target, drawing::Colour background = drawing::kBackground,
                const std::optional<QRectF>& notes = std::nullopt);

// The rectangle of the view's proportions (height / width `aspect`) as large as fits `page`, centred on
// it: a picture fitted to paper.
[[nodiscard]] QRectF FitToPage(const QRectF& page, double aspect);

// The view as an image `width` pixels wide, white, with a margin round the truss and the notes in a
// strip under it.
[[nodiscard]] QImage PictureImage(const drawing::Scene& scene, const drawing::ViewRect& view, int width);

// The view that shows the whole truss (and a deflected shape reaching beyond it) in a picture of about
// its own proportions: for pictures drawn without a window.
[[nodiscard]] drawing::ViewRect WholeTruss(const project::Project& project, const drawing::Scene& scene);

// Writes the view as a picture, the format following the extension: ".png" (`width` pixels wide), ".svg",
// ".pdf" (a landscape or portrait A4 page as the view is wide or tall). The error text on failure, empty
// on success.
[[nodiscard]] QString SavePicture(const drawing::Scene& scene, const drawing::ViewRect& view,
                                  const QString& path, int width = 1600);

} // namespace varlen::gui
