// A pin-ended bar's stiffness: axial only, k = E A / L in member axes, turned into global axes.
#pragma once

namespace varlen::analysis {

struct Rotation {
    double c = 1.0; // cosine of the member axis (joint i towards joint j) against global X
    double s = 0.0; // its sine
};

// The symmetric 2 x 2 block K0 = k [c², cs; cs, s²] (kN/mm). A member adds K0 at (i, i) and (j, j)
// and -K0 at (i, j) and (j, i).
struct Block {
    double xx = 0.0, xy = 0.0, yy = 0.0;
};

// E in kN/mm², A in mm², L in mm: k in kN/mm.
[[nodiscard]] inline double LocalStiffness(double youngsModulus, double area, double length) {
    return youngsModulus * area / length;
}

[[nodiscard]] inline Rotation Transformation(double dx, double dy, double length) {
    return {dx / length, dy / length};
}

// transpose(T) x local block x T, of which only the axial term survives; the products keep the
// order of that multiplication, (c k) c, (c k) s, (s k) s.
[[nodiscard]] inline Block GlobalStiffness(double k, Rotation t) {
    return {t.c * k * t.c, t.c * k * t.s, t.s * k * t.s};
}

} // namespace varlen::analysis
