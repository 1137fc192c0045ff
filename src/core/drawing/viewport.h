// Which rectangle of the world the wireframe window shows: the view keeps the picture's proportions so
// the truss is never distorted, stays inside the world, is never smaller than 1 m x 1 m, and moves with
// the scroll bars, the magnification items and a rubber band dragged with the mouse.
//
// Scroll positions are whole numbers of world co-ordinate x ScrollScale(): 100 (centimetres) for any
// truss whose world fits a 32-bit scroll range that way, fewer per metre for larger ones, so trusses of
// any size scroll.
#pragma once

#include <cstdint>

#include "drawing/scene.h"

namespace varlen::drawing {

// A scroll bar in scroll units. The horizontal bar runs from the world's left edge (minimum) to the last
// left edge that keeps the view inside (maximum). The vertical bar runs downwards: its minimum is the top
// of the world and its maximum the lowest top edge, so its minimum is the LARGER number; a bar that needs
// minimum <= maximum takes the negated values (or an inverted appearance).
struct ScrollBarState {
    bool visible = false;
    std::int64_t minimum = 0, maximum = 0, singleStep = 0, pageStep = 0, value = 0;
    friend bool operator==(const ScrollBarState&, const ScrollBarState&) = default;
};

class Viewport {
public:
    // The world and the view showing all of it; the aspect (height / width of the picture) starts at 1.
    explicit Viewport(const World& world = {});

    // A new world after the joints moved: the view keeps its place and size as far as the new world
    // lets it (ApplyView), so an edit does not throw away the engineer's zoom.
    void SetWorld(const World& world);
    // The picture's height / width, on every resize; then ApplyView.
    void SetAspect(double heightOverWidth);

    // Normalises the view: clamped to the world size and to the smallest view, widened to the aspect,
    // kept inside the world (centred when larger than it); sets the scroll bars.
    void ApplyView();
    void ShowFullScale();
    // Scales the view about its centre by 1 / factor: 2 shows half the width, 0.5 twice (within the world).
    void ZoomBy(double factor);
    // A magnification item by its index: 1 full scale, 10 or more a factor 1 / (index / 10) (20: 1/2,
    // 40: 1/4), anything else the factor index. Leaves an armed rubber band first.
    void Magnify(int index);
    // Moves the view to a scroll bar's position (in scroll units), keeping its size. A position at or
    // beyond either end of the bar puts the view's edge exactly on the world's, whatever the rounding.
    void HScrollView(std::int64_t value);
    void VScrollView(std::int64_t value);

    // The rubber band: Arm (state 1), Press at a world point (state 2), Drag, Release (the band becomes
    // the view, either corner first; state 0). Presses and drags in other states do nothing. CancelZoom
    // leaves an armed band that has not started (and a drag, which shows nothing changed).
    enum class ZoomState { Idle = 0, Armed = 1, Dragging = 2 };
    void ArmZoom();
    void CancelZoom();
    void Press(Point world);
    void Drag(Point world);
    void Release(Point world);
    [[nodiscard]] ZoomState Zoom() const { return m_zoom; }
    // The band's corners while dragging (world).
    [[nodiscard]] Point BandStart() const { return m_band1; }
    [[nodiscard]] Point BandEnd() const { return m_band2; }

    [[nodiscard]] const World& GetWorld() const { return m_world; }
    [[nodiscard]] ViewRect View() const { return {m_x1, m_y1, m_x2, m_y2}; }
    [[nodiscard]] double Aspect() const { return m_aspect; }
    [[nodiscard]] double ScrollScale() const;
    [[nodiscard]] const ScrollBarState& HorizontalBar() const { return m_h; }
    [[nodiscard]] const ScrollBarState& VerticalBar() const { return m_v; }

    static constexpr double kMinViewWidth = 1, kMinViewHeight = 1;

private:
    World m_world;
    double m_aspect = 1;
    double m_x1 = -1, m_x2 = 1, m_y1 = -1, m_y2 = 1;
    ZoomState m_zoom = ZoomState::Idle;
    Point m_band1, m_band2;
    ScrollBarState m_h, m_v;
};

} // namespace varlen::drawing
