#include "drawing/viewport.h"

#include <algorithm>
#include <cmath>

namespace varlen::drawing {
namespace {

// One axis of the view kept inside the world: centred on it when the view is the larger (only after
// widening to the picture's proportions), otherwise shifted back to whichever edge it crossed.
void KeepInWorld(double& low, double& high, double size, double worldMin, double worldMax) {
    if (size > worldMax - worldMin) {
        const double centre = (worldMin + worldMax) / 2;
        low = centre - size / 2;
        high = centre + size / 2;
        return;
    }
    if (low < worldMin && high < worldMax) {
        low = worldMin;
        high = worldMin + size;
    }
    if (high > worldMax && low > worldMin) {
        high = worldMax;
        low = worldMax - size;
    }
}

// The largest scroll position allowed either side of 0: the range between two of them still fits the
// 32-bit int a scroll bar holds.
constexpr double kLargestPosition = 1e9;

// Rounded to the nearest whole number, halves to the even neighbour (the current rounding mode, which
// nothing in the program changes from its default).
std::int64_t Position(double value) {
    if (!std::isfinite(value)) return 0;
    return static_cast<std::int64_t>(std::nearbyint(value));
}

bool IsUsable(const World& w) {
    return std::isfinite(w.xMin) && std::isfinite(w.xMax) && std::isfinite(w.yMin) && std::isfinite(w.yMax) &&
           w.xMax > w.xMin && w.yMax > w.yMin;
}

} // namespace

Viewport::Viewport(const World& world) : m_world(IsUsable(world) ? world : World{}) {
    ShowFullScale();
}

void Viewport::SetWorld(const World& world) {
    m_world = IsUsable(world) ? world : World{};
    ApplyView();
}

void Viewport::SetAspect(double heightOverWidth) {
    if (std::isfinite(heightOverWidth) && heightOverWidth > 0) m_aspect = heightOverWidth;
    ApplyView();
}

double Viewport::ScrollScale() const {
    const double largest = std::max(
        {std::abs(m_world.xMin), std::abs(m_world.xMax), std::abs(m_world.yMin), std::abs(m_world.yMax)});
    // A power of ten formed in one step (a quotient below 1), so that 0.001 is the double nearest it.
    int power = 2;
    while (largest * std::pow(10.0, power) > kLargestPosition && power > -300)
        --power;
    return power >= 0 ? std::pow(10.0, power) : 1 / std::pow(10.0, -power);
}

void Viewport::ApplyView() {
    const double worldWidth = m_world.Width(), worldHeight = m_world.Height();
    double w = m_x2 - m_x1, h = m_y2 - m_y1;
    double cx = (m_x1 + m_x2) / 2, cy = (m_y1 + m_y2) / 2;
    // A view that lost its numbers (never expected) starts again from the whole world.
    if (!std::isfinite(w) || !std::isfinite(h) || !std::isfinite(cx) || !std::isfinite(cy)) {
        w = worldWidth;
        h = worldHeight;
        cx = (m_world.xMin + m_world.xMax) / 2;
        cy = (m_world.yMin + m_world.yMax) / 2;
    }

    if (w > worldWidth)
        w = worldWidth;
    else if (w < kMinViewWidth)
        w = kMinViewWidth;
    if (h > worldHeight)
        h = worldHeight;
    else if (h < kMinViewHeight)
        h = kMinViewHeight;

    if (h / w <= m_aspect)
        h = w * m_aspect;
    else
        w = h / m_aspect;

    m_x1 = cx - w / 2;
    m_x2 = cx + w / 2;
    m_y1 = cy - h / 2;
    m_y2 = cy + h / 2;

    KeepInWorld(m_x1, m_x2, w, m_world.xMin, m_world.xMax);
    KeepInWorld(m_y1, m_y2, h, m_world.yMin, m_world.yMax);

    const double s = ScrollScale();
    // A step of 0 would leave the arrows dead where the scale is coarse; one unit is the least.
    m_h.visible = w < worldWidth;
    m_h.minimum = Position(m_world.xMin * s);
    m_h.maximum = Position((m_world.xMax - w) * s);
    m_h.singleStep = std::max<std::int64_t>(1, Position(w / 10 * s));
    m_h.pageStep = std::max<std::int64_t>(1, Position(w * s));
    m_h.value = Position(m_x1 * s);
    m_v.visible = h < worldHeight;
    m_v.minimum = Position(m_world.yMax * s);
    m_v.maximum = Position((m_world.yMin + h) * s);
    m_v.singleStep = std::max<std::int64_t>(1, Position(h / 10 * s));
    m_v.pageStep = std::max<std::int64_t>(1, Position(h * s));
    m_v.value = Position(m_y2 * s);
}

void Viewport::ShowFullScale() {
    m_x1 = m_world.xMin;
    m_x2 = m_world.xMax;
    m_y1 = m_world.yMin;
    m_y2 = m_world.yMax;
    ApplyView();
}

void Viewport::ZoomBy(double factor) {
    if (!std::isfinite(factor) || factor <= 0) return;
    const double f = 1 / factor;
    const double w = (m_x2 - m_x1) * f, h = (m_y2 - m_y1) * f;
    const double cx = (m_x1 + m_x2) / 2, cy = (m_y1 + m_y2) / 2;
    m_x1 = cx - w / 2;
    m_x2 = cx + w / 2;
    m_y1 = cy - h / 2;
    m_y2 = cy + h / 2;
    ApplyView();
}

void Viewport::Magnify(int index) {
    CancelZoom();
    if (index == 1)
        ShowFullScale();
    else if (index >= 10)
        ZoomBy(1.0 / (index / 10));
    else
        ZoomBy(index);
}

// The bar's ends are taken exactly: a position rounded to whole units would otherwise leave a sliver of
// the world beyond the last scroll, or scroll past it.
void Viewport::HScrollView(std::int64_t value) {
    const double w = m_x2 - m_x1;
    if (value <= std::min(m_h.minimum, m_h.maximum))
        m_x1 = m_world.xMin;
    else if (value >= std::max(m_h.minimum, m_h.maximum))
        m_x1 = m_world.xMax - w;
    else
        m_x1 = static_cast<double>(value) / ScrollScale();
    m_x2 = m_x1 + w;
    ApplyView();
}

void Viewport::VScrollView(std::int64_t value) {
    const double h = m_y2 - m_y1;
    // The vertical bar runs downwards: its minimum is the top of the world.
    if (value >= std::max(m_v.minimum, m_v.maximum))
        m_y2 = m_world.yMax;
    else if (value <= std::min(m_v.minimum, m_v.maximum))
        m_y2 = m_world.yMin + h;
    else
        m_y2 = static_cast<double>(value) / ScrollScale();
    m_y1 = m_y2 - h;
    ApplyView();
}

void Viewport::ArmZoom() {
    if (m_zoom == ZoomState::Idle) m_zoom = ZoomState::Armed;
}

void Viewport::CancelZoom() {
    m_zoom = ZoomState::Idle;
}

void Viewport::Press(Point world) {
    if (m_zoom != ZoomState::Armed) return;
    m_band1 = m_band2 = world;
    m_zoom = ZoomState::Dragging;
}

void Viewport::Drag(Point world) {
    if (m_zoom == ZoomState::Dragging) m_band2 = world;
}

void Viewport::Release(Point world) {
    if (m_zoom != ZoomState::Dragging) return;
    m_band2 = world;
    m_zoom = ZoomState::Idle;
    m_x1 = std::min(m_band1.x, m_band2.x);
    m_x2 = std::max(m_band1.x, m_band2.x);
    m_y1 = std::min(m_band1.y, m_band2.y);
    m_y2 = std::max(m_band1.y, m_band2.y);
    ApplyView();
}

} // namespace varlen::drawing
