#include "sections/catalogue.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "project/number_text.h"

namespace varlen::sections {
namespace {

// One designation. The texts, when given, stand in the row as written instead of the worked-out
// weight, area and radius: they come from a maker's table, not from the corner formula.
struct Designation {
    int breadth;                  // mm, the larger side
    int depth;                    // mm
    double thickness;             // mm
    const char* weight = nullptr; // kN/m
    const char* area = nullptr;   // mm²
    const char* radius = nullptr; // mm; never given for a rectangular row (see kRectangular)
};

// clang-format off
const Designation kSquare[] = {
    {12, 12, 1.0, "0.004", "45.548", "4.775"}, {12, 12, 1.2}, {12, 12, 1.6}, {16, 16, 1.0},
    {16, 16, 1.2}, {16, 16, 1.6}, {19, 19, 1.0}, {19, 19, 1.2}, {19, 19, 1.6},
    {25, 25, 1.0, "0.007", "96.129", "9.957"}, {25, 25, 1.2}, {25, 25, 1.6}, {25, 25, 1.8},
    {25, 25, 2.3}, {25, 25, 2.4}, {25, 25, 3.0}, {25, 25, 3.2}, {32, 32, 1.2}, {32, 32, 1.6},
    {32, 32, 1.8}, {32, 32, 2.0}, {32, 32, 2.3}, {32, 32, 2.4}, {32, 32, 3.0}, {32, 32, 3.2},
    {38, 38, 1.2}, {38, 38, 1.6}, {38, 38, 1.8}, {38, 38, 2.0}, {38, 38, 2.3}, {38, 38, 2.4},
    {38, 38, 3.0}, {38, 38, 3.2}, {50, 50, 1.6}, {50, 50, 1.8}, {50, 50, 2.3}, {50, 50, 2.4},
    {50, 50, 3.0}, {50, 50, 3.2}, {50, 50, 4.0}, {50, 50, 4.5}, {50, 50, 4.6}, {65, 65, 2.3},
    {65, 65, 2.4}, {65, 65, 3.0}, {65, 65, 3.2}, {65, 65, 4.0}, {65, 65, 4.5}, {65, 65, 4.6},
    {75, 75, 2.3}, {75, 75, 2.4}, {75, 75, 3.0}, {75, 75, 3.2}, {75, 75, 4.0}, {75, 75, 4.5},
    {75, 75, 4.6}, {75, 75, 5.0}, {75, 75, 6.0}, {90, 90, 3.0}, {90, 90, 3.2}, {90, 90, 4.0},
    {90, 90, 4.5}, {90, 90, 4.6}, {90, 90, 5.0}, {90, 90, 6.0}, {100, 100, 3.2}, {100, 100, 4.0},
    {100, 100, 4.6, "0.130", "1696.771", "39.370"}, {100, 100, 4.6, "0.132", "1722.577", "39.370"},
    {100, 100, 4.8}, {100, 100, 5.0}, {100, 100, 6.0}, {100, 100, 6.4}, {125, 125, 4.5},
    {125, 125, 4.6}, {125, 125, 4.8}, {125, 125, 5.0}, {125, 125, 6.0}, {125, 125, 6.4},
    {150, 150, 4.5}, {150, 150, 4.6}, {150, 150, 4.8}, {150, 150, 5.0}, {150, 150, 6.0},
    {150, 150, 6.4, "0.278", "3606.444", "59.182"},
};

// The braces of every row here hold the minimum radius of gyration worked out from the shape, because
// the strut check reads them and a strut buckles about its weaker axis. Four rows are quoted from the
// maker's list with another radius, which these rows replace (weight and area stand as quoted):
//   " 19 x   9 x 1.0 x 0.004 kN/m (52.452)"    quoted {4.054},  here {3.544}
//   "150 x  75 x 4.6 x 0.148 kN/m (1922.577)"  quoted {54.102}, here {31.018}
//   "150 x  75 x 4.6 x 0.150 kN/m (1954.835)"  quoted {54.102}, here {31.018}
//   "200 x 100 x 6.4 x 0.278 kN/m (3606.444)"  quoted {72.136}, here {41.139}
// The three larger quoted figures are about the major axis (the corner formula gives 53.316 mm for
// 150 x 75 x 4.6 and 70.580 mm for 200 x 100 x 6.4 about it); the 19 x 9 figure is above the minimum
// radius of that shape (3.544). Quoting them would let a strut pass above its buckling capacity.
const Designation kRectangular[] = {
    {19, 9, 1.0, "0.004", "52.452"}, {19, 9, 1.2}, {19, 9, 1.6}, {25, 12, 1.0}, {25, 12, 1.2},
    {25, 12, 1.6}, {32, 16, 1.0}, {32, 16, 1.2}, {32, 16, 1.6}, {38, 19, 1.0}, {38, 19, 1.2},
    {38, 19, 1.6}, {38, 25, 1.0}, {38, 25, 1.2}, {38, 25, 1.6}, {50, 25, 1.0}, {50, 25, 1.2},
    {50, 25, 1.6}, {50, 25, 2.3}, {50, 25, 2.4}, {50, 25, 3.0}, {50, 25, 3.2}, {65, 38, 1.6},
    {65, 38, 2.3}, {65, 38, 2.4}, {65, 38, 3.0}, {65, 38, 3.2}, {75, 38, 1.6}, {75, 38, 1.9},
    {75, 38, 2.3}, {75, 38, 2.4}, {75, 38, 3.0}, {75, 38, 3.2}, {75, 50, 1.9}, {75, 50, 2.3},
    {75, 50, 2.4}, {75, 50, 3.0}, {75, 50, 3.2}, {75, 50, 4.0}, {75, 50, 4.5}, {100, 50, 1.9},
    {100, 50, 2.3}, {100, 50, 2.4}, {100, 50, 3.0}, {100, 50, 3.2}, {100, 50, 4.0}, {100, 50, 4.5},
    {100, 50, 4.6}, {100, 50, 5.0}, {100, 50, 6.0}, {100, 75, 3.0}, {100, 75, 3.2}, {100, 75, 4.0},
    {100, 75, 4.5}, {100, 75, 4.6}, {100, 75, 5.0}, {100, 75, 6.0}, {125, 50, 3.0}, {125, 50, 3.2},
    {125, 50, 4.0}, {125, 50, 4.5}, {125, 50, 4.6}, {125, 50, 5.0}, {125, 50, 6.0}, {125, 75, 3.0},
    {125, 75, 3.2}, {125, 75, 4.0}, {125, 75, 4.5}, {125, 75, 4.6}, {125, 75, 5.0}, {125, 75, 6.0},
    {150, 50, 3.0}, {150, 50, 3.2}, {150, 50, 4.0}, {150, 50, 4.5}, {150, 50, 4.6}, {150, 50, 5.0},
    {150, 50, 6.0}, {150, 50, 6.4}, {150, 75, 3.2}, {150, 75, 4.0},
    {150, 75, 4.6, "0.148", "1922.577"}, {150, 75, 4.6, "0.150", "1954.835"}, {150, 75, 5.0},
    {150, 75, 6.0}, {150, 75, 6.4}, {150, 100, 4.0}, {150, 100, 4.5}, {150, 100, 4.6},
    {150, 100, 5.0}, {150, 100, 6.0}, {150, 100, 6.4}, {200, 100, 4.5}, {200, 100, 4.6},
    {200, 100, 4.8}, {200, 100, 5.0}, {200, 100, 6.0}, {200, 100, 6.4, "0.278", "3606.444"},
};
// clang-format on

struct PlaneProperties {
    double area;
    double secondMoment;
};

// A solid b x d rectangle with four quarter-circle corners of radius r, second moment about the
// centroidal axis parallel to b (mm, mm², mm⁴):
//   A = b d - (4 - pi) r²
//   I = b d³ / 12 - 4 [ (1 - pi/4) r² c² + r³ c / 3 + (1/3 - pi/16) r⁴ ],  c = d/2 - r
// Each corner loses an r x r square less a quarter disc of radius r whose centre lies c from the
// axis: the square gives r [(c + r)³ - c³] / 3 = r² c² + r³ c + r⁴ / 3 and the quarter disc
// pi r² c² / 4 + 2 c r³ / 3 + pi r⁴ / 16 (its first moment about its own centre lines is r³ / 3).
PlaneProperties RoundedRectangle(double b, double d, double r) {
    constexpr double pi = std::numbers::pi;
    const double c = d / 2 - r;
    const double cornerLoss =
        (1 - pi / 4) * r * r * c * c + r * r * r * c / 3 + (1.0 / 3 - pi / 16) * r * r * r * r;
    return {b * d - (4 - pi) * r * r, b * d * d * d / 12 - 4 * cornerLoss};
}

// Self-weight of steel: A in mm² x 1e-6 m²/mm² x 7850 kg/m³ x 9.81 m/s² / 1000 N/kN, in kN/m.
double SelfWeight(double area) {
    return area * 1e-6 * 7850.0 * 9.81 / 1000.0;
}

std::string ThreeDecimals(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

std::string Row(const Designation& d, bool rectangular) {
    const HollowSectionProperties p = RoundedHollowSection(d.breadth, d.depth, d.thickness);
    // A rectangular row's braces always hold the minimum radius of the shape, even where the maker's
    // weight and area stand (see kRectangular for the four rows whose quoted radius this replaces).
    const double radius = std::sqrt((rectangular ? p.secondMomentMinor : p.secondMomentMajor) / p.area);
    const std::string weight = d.weight ? d.weight : ThreeDecimals(SelfWeight(p.area));
    const std::string area = d.area ? d.area : ThreeDecimals(p.area);
    const std::string radiusText = d.radius ? d.radius : ThreeDecimals(radius);
    char head[48];
    std::snprintf(head, sizeof head, "%3d x %3d x %.1f x ", d.breadth, d.depth, d.thickness);
    return head + weight + " kN/m (" + area + "){" + radiusText + "}";
}

template <std::size_t N> std::vector<std::string> Rows(const Designation (&table)[N], bool rectangular) {
    std::vector<std::string> rows;
    rows.reserve(N);
    for (const Designation& d : table)
        rows.push_back(Row(d, rectangular));
    return rows;
}

} // namespace

HollowSectionProperties RoundedHollowSection(double breadth, double depth, double thickness) {
    const double outerRadius = thickness <= 6.0 ? 2.0 * thickness : 2.5 * thickness;
    const double innerRadius = outerRadius - thickness;
    const double innerBreadth = breadth - 2 * thickness;
    const double innerDepth = depth - 2 * thickness;
    // Outer shape less the hole, about each centroidal axis in turn.
    const PlaneProperties outerMajor = RoundedRectangle(breadth, depth, outerRadius);
    const PlaneProperties innerMajor = RoundedRectangle(innerBreadth, innerDepth, innerRadius);
    const PlaneProperties outerOther = RoundedRectangle(depth, breadth, outerRadius);
    const PlaneProperties innerOther = RoundedRectangle(innerDepth, innerBreadth, innerRadius);
    const double aboutBreadth = outerMajor.secondMoment - innerMajor.secondMoment;
    const double aboutDepth = outerOther.secondMoment - innerOther.secondMoment;
    HollowSectionProperties p;
    p.area = outerMajor.area - innerMajor.area;
    p.secondMomentMajor = std::max(aboutBreadth, aboutDepth);
    p.secondMomentMinor = std::min(aboutBreadth, aboutDepth);
    return p;
}

const std::vector<std::string>& SquareHollowSections() {
    static const std::vector<std::string> rows = Rows(kSquare, false);
    return rows;
}

const std::vector<std::string>& RectangularHollowSections() {
    static const std::vector<std::string> rows = Rows(kRectangular, true);
    return rows;
}

std::string_view AreaTextOfRow(std::string_view row) {
    const std::size_t open = row.find('(');
    const std::size_t close = row.find(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) return {};
    return row.substr(open + 1, close - open - 1);
}

std::optional<double> RadiusOfGyration(std::string_view description) {
    const std::size_t close = description.find('}');
    if (close == std::string_view::npos) return std::nullopt;
    const std::size_t open = description.find('{');
    const std::size_t start = open == std::string_view::npos ? 0 : open + 1;
    // ReadNumber stops at the "}" (or at anything else that is not part of a number).
    return project::ReadNumber(description.substr(start));
}

} // namespace varlen::sections
