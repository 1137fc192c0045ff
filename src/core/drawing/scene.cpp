#include "drawing/scene.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>
#include <string_view>
#include <unordered_map>

#include "model/model.h"
#include "project/number_text.h"

namespace varlen::drawing {
namespace {

namespace jc = project::joint_col;
namespace mc = project::member_col;
namespace lc = project::load_col;

// Pixel sizes of what does not grow with the zoom.
constexpr double kJointLabelPx = 8;   // 6 pt at 96 dpi, bold
constexpr double kMemberLabelPx = 15; // the label font's height in device units
constexpr double kValueLabelPx = 11;  // load and reaction values
constexpr double kArrowPx = 40;
constexpr double kReactionArrowPx = 50; // longer than a load, so its tail clears the support symbol
constexpr double kLabelGapPx = 3;

// A cell's leading number; a cell that gives no finite number (an overflowing exponent) counts as
// blank, so that one wild cell cannot make the world infinite.
double CellNumber(const project::Table& table, int row, int column) {
    const double value = project::ReadNumber(table.Cell(row, column));
    return std::isfinite(value) ? value : 0.0;
}

// The joints table as points, element 0 for joint 1.
std::vector<Point> JointPoints(const project::Project& project) {
    std::vector<Point> points;
    const int rows = project.joints.EntryCount();
    points.reserve(static_cast<std::size_t>(rows));
    for (int r = 1; r <= rows; ++r)
        points.push_back({CellNumber(project.joints, r, jc::X), CellNumber(project.joints, r, jc::Y)});
    return points;
}

// A reference cell naming a joint that exists: a whole number 1..count; 0 otherwise.
int JointReference(const project::Table& table, int row, int column, int count) {
    const double value = CellNumber(table, row, column);
    if (value < 1 || value > count || value != std::floor(value)) return 0;
    return static_cast<int>(value);
}

struct MemberEnds {
    int member = 0, i = 0, j = 0; // i and j are 0 when the member cannot be drawn
};

std::vector<MemberEnds> MemberJoints(const project::Project& project, int jointCount) {
    std::vector<MemberEnds> ends;
    const int rows = project.members.EntryCount();
    ends.reserve(static_cast<std::size_t>(rows));
    for (int m = 1; m <= rows; ++m) {
        const int i = JointReference(project.members, m, mc::JointI, jointCount);
        const int j = JointReference(project.members, m, mc::JointJ, jointCount);
        if (i != 0 && j != 0) ends.push_back({m, i, j});
    }
    return ends;
}

Point Midpoint(Point a, Point b) {
    return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}

// The rectangle the joints themselves cover (no margins), for sizes relative to the truss.
double TrussSize(const std::vector<Point>& joints) {
    if (joints.empty()) return 0;
    double x1 = joints[0].x, x2 = x1, y1 = joints[0].y, y2 = y1;
    for (const Point& p : joints) {
        x1 = std::min(x1, p.x);
        x2 = std::max(x2, p.x);
        y1 = std::min(y1, p.y);
        y2 = std::max(y2, p.y);
    }
    return std::max(x2 - x1, y2 - y1);
}

// A member's label sits centred on its midpoint, just off the line on the side the text's top faces,
// so it reads along the member without crossing it.
Text MemberLabelText(Point a, Point b, std::string text, Colour colour, int member) {
    const double degrees = LabelEscapement(a, b) / 10.0;
    const double radians = degrees * std::numbers::pi / 180;
    Text t;
    t.at = Midpoint(a, b);
    t.text = std::move(text);
    t.angleDegrees = degrees;
    t.heightPx = kMemberLabelPx;
    t.anchor = Anchor::BottomCentre;
    t.offsetPx = {-std::sin(radians) * 2, std::cos(radians) * 2};
    t.colour = colour;
    t.role = Role::MemberLabel;
    t.item = member;
    return t;
}

std::vector<Point> Rotated(std::vector<Point> outline, bool quarterTurnClockwise) {
    if (quarterTurnClockwise)
        for (Point& p : outline)
            p = {p.y, -p.x};
    return outline;
}

std::vector<Point> Regular(Point centre, double radius, int sides) {
    std::vector<Point> outline;
    for (int k = 0; k < sides; ++k) {
        const double a = 2 * std::numbers::pi * k / sides;
        outline.push_back({centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)});
    }
    return outline;
}

// Support symbols, in pixels about the joint, drawn for a support below the joint; a roller that rolls
// along Y (restrained in X only) is the same symbol turned a quarter so that it stands to the left.
void AddSupport(Scene& scene, Point at, bool fixedX, bool fixedY, int joint) {
    if (!fixedX && !fixedY) return;
    const bool pin = fixedX && fixedY;
    const bool turned = fixedX && !fixedY;
    const std::vector<Point> triangle{{0, 0}, {-9, -15}, {9, -15}};
    if (pin) {
        scene.symbols.push_back({at, triangle, kSupportColour, kSupportColour, Role::Support, joint});
        const std::vector<Point> ground{{-14, -15}, {14, -15}, {14, -18}, {-14, -18}};
        scene.symbols.push_back({at, ground, kSupportColour, kSupportColour, Role::Support, joint});
        return;
    }
    scene.symbols.push_back(
        {at, Rotated(triangle, turned), kSupportColour, std::nullopt, Role::Support, joint});
    for (const double x : {-5.0, 5.0})
        scene.symbols.push_back({at, Rotated(Regular({x, -18}, 3, 10), turned), kSupportColour, std::nullopt,
                                 Role::Support, joint});
    const std::vector<Point> ground{{-14, -21}, {14, -21}, {14, -23}, {-14, -23}};
    scene.symbols.push_back(
        {at, Rotated(ground, turned), kSupportColour, kSupportColour, Role::Support, joint});
}

// An arrow whose tip is at the joint and its value at the tail: above a horizontal arrow's shaft, beyond
// the tail of a vertical one.
void AddForceArrow(Scene& scene, Point at, Point direction, double kN, double lengthPx, Colour colour,
                   Role arrowRole, Role labelRole, int joint) {
    scene.arrows.push_back({at, direction, lengthPx, colour, 1.5, arrowRole, joint});
    Text t;
    t.at = at;
    t.text = ForceText(std::abs(kN)) + " kN";
    t.heightPx = kValueLabelPx;
    t.colour = colour;
    t.role = labelRole;
    t.item = joint;
    if (direction.y == 0) {
        t.anchor = Anchor::BottomCentre;
        t.offsetPx = {-direction.x * lengthPx / 2, kLabelGapPx};
    } else if (direction.y < 0) { // pointing down: the tail is above
        t.anchor = Anchor::BottomCentre;
        t.offsetPx = {0, lengthPx + kLabelGapPx};
    } else {
        t.anchor = Anchor::Centre;
        t.offsetPx = {0, -lengthPx - kLabelGapPx - kValueLabelPx / 2};
    }
    scene.texts.push_back(std::move(t));
}

void AddJoints(Scene& scene, const std::vector<Point>& joints, double radius) {
    for (std::size_t k = 0; k < joints.size(); ++k) {
        const int joint = static_cast<int>(k) + 1;
        scene.circles.push_back({joints[k], radius, kJointColour, Role::Joint, joint});
        Text t;
        t.at = joints[k];
        t.text = JointLabel(joint);
        t.heightPx = kJointLabelPx;
        t.bold = true;
        t.anchor = Anchor::TopLeft;
        t.colour = kJointColour;
        t.role = Role::JointLabel;
        t.item = joint;
        scene.texts.push_back(std::move(t));
    }
}

void AddSupports(Scene& scene, const project::Project& project, const std::vector<Point>& joints) {
    for (std::size_t k = 0; k < joints.size(); ++k) {
        const int joint = static_cast<int>(k) + 1;
        AddSupport(scene, joints[k], model::IsRestraint(CellNumber(project.joints, joint, jc::FixedX)),
                   model::IsRestraint(CellNumber(project.joints, joint, jc::FixedY)), joint);
    }
}

// One arrow per joint and axis for the sum of its load rows: two rows on one joint (a purlin load and a
// fan unit) would otherwise draw their arrows and values on top of each other. With results, the loads
// are those the results are of (a load case or combination other than the first has its own).
void AddLoads(Scene& scene, const project::Project& project, const std::vector<Point>& joints,
              const analysis::Results* results) {
    const int count = static_cast<int>(joints.size());
    std::vector<std::pair<double, double>> sums(joints.size());
    std::vector<bool> seen(joints.size());
    std::vector<int> order; // joints in the order their first load row comes
    for (int r = 1; r <= project.loads.EntryCount(); ++r) {
        const int joint = JointReference(project.loads, r, lc::Joint, count);
        if (joint == 0) continue;
        auto& [fx, fy] = sums[static_cast<std::size_t>(joint) - 1];
        if (!seen[static_cast<std::size_t>(joint) - 1]) {
            seen[static_cast<std::size_t>(joint) - 1] = true;
            order.push_back(joint);
        }
        fx += CellNumber(project.loads, r, lc::Fx);
        fy += CellNumber(project.loads, r, lc::Fy);
    }
    if (results && results->JointCount() == count) {
        // The first case's loaded joints keep their order, so its picture is the one it always was.
        for (int joint = 1; joint <= count; ++joint) {
            sums[static_cast<std::size_t>(joint) - 1] = {results->LoadX(joint), results->LoadY(joint)};
            const bool loaded = results->LoadX(joint) != 0 || results->LoadY(joint) != 0;
            if (loaded && !seen[static_cast<std::size_t>(joint) - 1]) order.push_back(joint);
        }
    }
    for (const int joint : order) {
        const auto [fx, fy] = sums[static_cast<std::size_t>(joint) - 1];
        const Point at = joints[static_cast<std::size_t>(joint) - 1];
        if (fx != 0 && std::isfinite(fx))
            AddForceArrow(scene, at, {fx > 0 ? 1.0 : -1.0, 0}, fx, kArrowPx, kLoadColour, Role::Load,
                          Role::LoadLabel, joint);
        if (fy != 0 && std::isfinite(fy))
            AddForceArrow(scene, at, {0, fy > 0 ? 1.0 : -1.0}, fy, kArrowPx, kLoadColour, Role::Load,
                          Role::LoadLabel, joint);
    }
}

void AddMechanism(Scene& scene, const std::vector<Point>& joints, const MechanismMark& mark) {
    if (mark.joint < 1 || mark.joint > static_cast<int>(joints.size())) return;
    const Point at = joints[static_cast<std::size_t>(mark.joint) - 1];
    const bool alongX = mark.axis != 'Y' && mark.axis != 'y';
    const Point direction = alongX ? Point{1, 0} : Point{0, 1};
    scene.symbols.push_back(
        {at, Regular({0, 0}, 12, 16), kMechanismColour, std::nullopt, Role::Mechanism, mark.joint});
    scene.arrows.push_back({at, direction, 45, kMechanismColour, 2.5, Role::Mechanism, mark.joint});
    Text t;
    t.at = at;
    t.text = alongX ? "moves along X" : "moves along Y";
    t.heightPx = 12;
    t.bold = true;
    t.colour = kMechanismColour;
    t.role = Role::Mechanism;
    t.item = mark.joint;
    // Below a horizontal arrow, where a member's label (written above its line) is not.
    if (alongX) {
        t.anchor = Anchor::TopRight;
        t.offsetPx = {-16, -6};
    } else {
        t.anchor = Anchor::TopLeft;
        t.offsetPx = {16, -24};
    }
    scene.texts.push_back(std::move(t));
}

Colour Mix(Colour a, Colour b, double t) { // t = 0 gives a, 1 gives b
    auto channel = [t](std::uint8_t x, std::uint8_t y) {
        return static_cast<std::uint8_t>(std::lround(x + (y - x) * t));
    };
    return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

// The grey of the same lightness: fading a colour towards it weakens the hue but not the lightness, so
// a weak tension member still prints darker than a strong compression member.
Colour GreyOf(Colour c) {
    const auto y = static_cast<std::uint8_t>(std::lround(0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b));
    return {y, y, y};
}

Colour Darker(Colour c, double t) {
    return Mix(c, Colour{0, 0, 0}, t);
}

void AddModelMembers(Scene& scene, const std::vector<Point>& joints, const std::vector<MemberEnds>& ends,
                     bool labels) {
    for (const MemberEnds& e : ends) {
        const Point a = joints[static_cast<std::size_t>(e.i) - 1],
                    b = joints[static_cast<std::size_t>(e.j) - 1];
        scene.lines.push_back({a, b, kMemberColour, 1, Role::Member, e.member});
        if (labels)
            scene.texts.push_back(MemberLabelText(a, b, MemberLabel(e.member), kMemberColour, e.member));
    }
}

void AddDeflected(Scene& scene, const std::vector<Point>& joints, const std::vector<MemberEnds>& ends,
                  const analysis::Results& results) {
    const int analysed = std::min(static_cast<int>(joints.size()), results.JointCount());
    double largest = 0; // mm
    int largestJoint = 0;
    for (int j = 1; j <= analysed; ++j) {
        const double d = std::hypot(results.Dx(j), results.Dy(j));
        if (std::isfinite(d) && d > largest) {
            largest = d;
            largestJoint = j;
        }
    }
    const double scale = DisplacementScale(largest / 1000, TrussSize(joints));
    // Joints the results do not cover (added since) stay where they are.
    auto moved = [&](int j) {
        const Point p = joints[static_cast<std::size_t>(j) - 1];
        if (j > analysed) return p;
        const double dx = results.Dx(j), dy = results.Dy(j);
        if (!std::isfinite(dx) || !std::isfinite(dy)) return p;
        return Point{p.x + dx / 1000 * scale, p.y + dy / 1000 * scale};
    };
    for (const MemberEnds& e : ends)
        scene.lines.push_back({joints[static_cast<std::size_t>(e.i) - 1],
                               joints[static_cast<std::size_t>(e.j) - 1], kUndeformedColour, 1,
                               Role::Undeformed, e.member});
    for (const MemberEnds& e : ends)
        scene.lines.push_back({moved(e.i), moved(e.j), kDeflectedColour, 2, Role::Deflected, e.member});
    CornerNote note;
    note.lines = {"Displacements x " + project::FormatGeneral(scale),
                  "Largest displacement " + ForceText(largest) + " mm" +
                      (largestJoint ? " (joint " + std::to_string(largestJoint) + ")" : std::string{})};
    note.swatches = {kDeflectedColour, std::nullopt};
    scene.notes.push_back(std::move(note));
}

// The members coloured by the sign of `force(member)` (kN, positive in tension), faded towards grey and
// thinner as it is smaller against the largest, and labelled with it.
template <class Force>
void AddForceMembers(Scene& scene, const std::vector<Point>& joints, const std::vector<MemberEnds>& ends,
                     Force&& force) {
    double largest = 0;
    for (const MemberEnds& e : ends)
        largest = std::max(largest, std::abs(force(e.member)));
    for (const MemberEnds& e : ends) {
        const Point a = joints[static_cast<std::size_t>(e.i) - 1],
                    b = joints[static_cast<std::size_t>(e.j) - 1];
        const double f = force(e.member);
        const double share = largest > 0 ? std::abs(f) / largest : 0;
        // Below a millionth of the largest force a member is as good as unloaded: rounding noise.
        if (share <= 1e-6) {
            scene.lines.push_back({a, b, kZeroForceColour, 1, Role::Member, e.member});
            scene.texts.push_back(MemberLabelText(a, b, "0", Darker(kZeroForceColour, 0.5), e.member));
            continue;
        }
        const Colour full = f > 0 ? kTensionColour : kCompressionColour;
        const Colour colour = Mix(GreyOf(full), full, 0.5 + 0.5 * share);
        scene.lines.push_back({a, b, colour, 1.5 + 3 * share, Role::Member, e.member});
        const Colour text = f > 0 ? kTensionColour : Darker(kCompressionColour, 0.35);
        scene.texts.push_back(MemberLabelText(a, b, ForceText(f), text, e.member));
    }
}

void AddForces(Scene& scene, const std::vector<Point>& joints, const std::vector<MemberEnds>& ends,
               const analysis::Results& results) {
    const int analysed = results.MemberCount();
    AddForceMembers(scene, joints, ends, [&](int member) {
        if (member > analysed) return 0.0;
        const double f = results.AxialForce(member);
        return std::isfinite(f) ? f : 0.0;
    });
    const int supported = std::min(static_cast<int>(joints.size()), results.JointCount());
    double largestReaction = 0;
    for (int j = 1; j <= supported; ++j) {
        const analysis::Reaction r = results.SupportReaction(j);
        if (std::isfinite(r.rx)) largestReaction = std::max(largestReaction, std::abs(r.rx));
        if (std::isfinite(r.ry)) largestReaction = std::max(largestReaction, std::abs(r.ry));
    }
    auto shown = [&](double r) { return std::isfinite(r) && std::abs(r) > 1e-9 * largestReaction; };
    for (int j = 1; j <= supported; ++j) {
        const analysis::Reaction r = results.SupportReaction(j);
        const Point at = joints[static_cast<std::size_t>(j) - 1];
        if (results.IsRestrainedX(j) && shown(r.rx))
            AddForceArrow(scene, at, {r.rx > 0 ? 1.0 : -1.0, 0}, r.rx, kReactionArrowPx, kReactionColour,
                          Role::Reaction, Role::ReactionLabel, j);
        if (results.IsRestrainedY(j) && shown(r.ry))
            AddForceArrow(scene, at, {0, r.ry > 0 ? 1.0 : -1.0}, r.ry, kReactionArrowPx, kReactionColour,
                          Role::Reaction, Role::ReactionLabel, j);
    }
    CornerNote note;
    note.lines = {"Axial force, kN", "Tension", "Compression", "Zero force"};
    note.swatches = {std::nullopt, kTensionColour, kCompressionColour, kZeroForceColour};
    scene.notes.push_back(std::move(note));
}

// Each member's envelope: the larger of its greatest tension and greatest compression over the
// combinations (or the cases), in that one's colour, as wide as it is against the largest of all, and
// labelled with it (both would not fit beside a short member; the Results Summary lists both). No loads:
// an envelope has no one set of them.
void AddEnvelope(Scene& scene, const std::vector<Point>& joints, const std::vector<MemberEnds>& ends,
                 const analysis::LoadCaseResults& envelope) {
    const auto analysed = static_cast<int>(envelope.members.size());
    AddForceMembers(scene, joints, ends, [&](int member) {
        if (member > analysed) return 0.0;
        const analysis::MemberEnvelope& e = envelope.members[static_cast<std::size_t>(member) - 1];
        const double t = e.tension.by != 0 && std::isfinite(e.tension.value) ? e.tension.value : 0.0;
        const double c =
            e.compression.by != 0 && std::isfinite(e.compression.value) ? e.compression.value : 0.0;
        return t >= -c ? t : c;
    });
    CornerNote note;
    note.lines = {"Axial force envelope, kN", "Tension the larger", "Compression the larger", "Zero force"};
    note.swatches = {std::nullopt, kTensionColour, kCompressionColour, kZeroForceColour};
    scene.notes.push_back(std::move(note));
}

// Labels are measured without a font: a character is taken as 0.6 of the text's height wide (0.65 bold),
// which is about right for the sans-serif faces the renderers use, and errs on the wide side.
double TextWidthPx(const Text& t) {
    return static_cast<double>(t.text.size()) * t.heightPx * (t.bold ? 0.65 : 0.6);
}

struct Box {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0; // pixels, y up
};

// A text's rectangle on the screen as it is turned: its centre, the unit vector along its baseline and
// its half width and height (pixels, y up).
struct TurnedBox {
    double cx = 0, cy = 0, ux = 1, uy = 0, halfWidth = 0, halfHeight = 0;

    [[nodiscard]] Box Bounds() const {
        const double ex = std::abs(ux) * halfWidth + std::abs(uy) * halfHeight;
        const double ey = std::abs(uy) * halfWidth + std::abs(ux) * halfHeight;
        return {cx - ex, cy - ey, cx + ex, cy + ey};
    }
    // Separating axes: two rectangles are apart exactly when the projections on one of their four edge
    // directions are. Upright boxes around turned labels would make neighbouring sloping labels clash.
    [[nodiscard]] bool Overlaps(const TurnedBox& o) const {
        const double dx = o.cx - cx, dy = o.cy - cy;
        for (const auto& [ax, ay] :
             {std::pair{ux, uy}, std::pair{-uy, ux}, std::pair{o.ux, o.uy}, std::pair{-o.uy, o.ux}}) {
            const double reachThis =
                halfWidth * std::abs(ux * ax + uy * ay) + halfHeight * std::abs(-uy * ax + ux * ay);
            const double reachOther = o.halfWidth * std::abs(o.ux * ax + o.uy * ay) +
                                      o.halfHeight * std::abs(-o.uy * ax + o.ux * ay);
            if (std::abs(dx * ax + dy * ay) >= reachThis + reachOther) return false;
        }
        return true;
    }
};

// The text's rectangle relative to its point: the anchored rectangle turned and moved.
TurnedBox TextBox(const Text& t) {
    const double w = TextWidthPx(t), h = t.heightPx;
    double centreX = w / 2, centreY = h / 2; // of the unturned text, from its anchor
    switch (t.anchor) {
    case Anchor::TopLeft:
        centreY = -h / 2;
        break;
    case Anchor::BottomLeft:
        break;
    case Anchor::Centre:
        centreX = 0;
        centreY = 0;
        break;
    case Anchor::BottomCentre:
        centreX = 0;
        break;
    case Anchor::TopRight:
        centreX = -w / 2;
        centreY = -h / 2;
        break;
    case Anchor::BottomRight:
        centreX = -w / 2;
        break;
    }
    const double a = t.angleDegrees * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a);
    return {centreX * c - centreY * s + t.offsetPx.x,
            centreX * s + centreY * c + t.offsetPx.y,
            c,
            s,
            w / 2,
            h / 2};
}

// Liang-Barsky: does the segment touch the rectangle?
bool SegmentTouches(Point a, Point b, double x1, double y1, double x2, double y2) {
    double t0 = 0, t1 = 1;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const std::array<double, 4> p{-dx, dx, -dy, dy};
    const std::array<double, 4> q{a.x - x1, x2 - a.x, a.y - y1, y2 - a.y};
    for (std::size_t k = 0; k < 4; ++k) {
        if (p[k] == 0) {
            if (q[k] < 0) return false;
            continue;
        }
        const double r = q[k] / p[k];
        if (p[k] < 0) {
            if (r > t1) return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0) return false;
            t1 = std::min(t1, r);
        }
    }
    return true;
}

bool IsLabel(Role role) {
    return role == Role::JointLabel || role == Role::MemberLabel || role == Role::LoadLabel ||
           role == Role::ReactionLabel;
}

// Which labels win a place when two would overlap: values of the loads and reactions first, then the
// joint numbers, then the member labels.
int LabelRank(Role role) {
    switch (role) {
    case Role::ReactionLabel:
    case Role::LoadLabel:
        return 0;
    case Role::JointLabel:
        return 1;
    default:
        return 2;
    }
}

} // namespace

Visible VisibleItems(const Scene& scene, const ViewRect& view, double pixelsPerMetre, double marginPx,
                     int maxLabels) {
    Visible visible;
    if (!(pixelsPerMetre > 0) || !std::isfinite(pixelsPerMetre)) return visible;
    const double margin = std::max(0.0, marginPx) / pixelsPerMetre;
    const double x1 = view.x1 - margin, x2 = view.x2 + margin, y1 = view.y1 - margin, y2 = view.y2 + margin;
    auto inside = [&](Point p) { return p.x >= x1 && p.x <= x2 && p.y >= y1 && p.y <= y2; };

    for (std::size_t k = 0; k < scene.lines.size(); ++k) {
        const Line& l = scene.lines[k];
        if (SegmentTouches(l.a, l.b, x1, y1, x2, y2)) visible.lines.push_back(static_cast<int>(k));
    }
    for (std::size_t k = 0; k < scene.circles.size(); ++k) {
        const Circle& c = scene.circles[k];
        if (c.centre.x + c.radius >= x1 && c.centre.x - c.radius <= x2 && c.centre.y + c.radius >= y1 &&
            c.centre.y - c.radius <= y2)
            visible.circles.push_back(static_cast<int>(k));
    }
    for (std::size_t k = 0; k < scene.symbols.size(); ++k)
        if (inside(scene.symbols[k].at)) visible.symbols.push_back(static_cast<int>(k));
    for (std::size_t k = 0; k < scene.arrows.size(); ++k)
        if (inside(scene.arrows[k].tip)) visible.arrows.push_back(static_cast<int>(k));

    // A member label needs its member's length on the screen: the first member line of each number.
    int largestMember = 0;
    for (const Text& t : scene.texts)
        if (t.role == Role::MemberLabel) largestMember = std::max(largestMember, t.item);
    std::vector<int> lineOf(static_cast<std::size_t>(largestMember) + 1, -1);
    for (std::size_t k = 0; k < scene.lines.size(); ++k) {
        const Line& l = scene.lines[k];
        if (l.role == Role::Member && l.item > 0 && l.item <= largestMember &&
            lineOf[static_cast<std::size_t>(l.item)] < 0)
            lineOf[static_cast<std::size_t>(l.item)] = static_cast<int>(k);
    }

    std::vector<int> labels, others;
    for (std::size_t k = 0; k < scene.texts.size(); ++k) {
        const Text& t = scene.texts[k];
        // Generous first cut, without trigonometry: no text reaches further from its point than its
        // width and height plus its offset.
        const double reach =
            (TextWidthPx(t) + t.heightPx + std::abs(t.offsetPx.x) + std::abs(t.offsetPx.y)) / pixelsPerMetre;
        if (t.at.x < x1 - reach || t.at.x > x2 + reach || t.at.y < y1 - reach || t.at.y > y2 + reach)
            continue;
        if (!IsLabel(t.role)) {
            others.push_back(static_cast<int>(k));
            continue;
        }
        if (t.role == Role::MemberLabel && t.item > 0 && t.item <= largestMember) {
            const int line = lineOf[static_cast<std::size_t>(t.item)];
            if (line >= 0) {
                const Line& l = scene.lines[static_cast<std::size_t>(line)];
                const double lengthPx = std::hypot(l.b.x - l.a.x, l.b.y - l.a.y) * pixelsPerMetre;
                if (TextWidthPx(t) > lengthPx) continue;
            }
        }
        labels.push_back(static_cast<int>(k));
    }
    if (static_cast<long long>(labels.size()) > maxLabels) labels.clear();

    // Labels that would overlap a label of higher rank (or an earlier one of the same rank) are dropped,
    // found through a grid of screen cells so that a few thousand labels cost a few thousand look-ups.
    std::stable_sort(labels.begin(), labels.end(), [&](int a, int b) {
        return LabelRank(scene.texts[static_cast<std::size_t>(a)].role) <
               LabelRank(scene.texts[static_cast<std::size_t>(b)].role);
    });
    constexpr double kCellPx = 32;
    std::vector<TurnedBox> kept;
    std::unordered_map<long long, std::vector<int>> taken; // cell -> indices into kept
    auto cell = [&](double px) { return static_cast<long long>(std::floor(px / kCellPx)); };
    auto key = [](long long cx, long long cy) { return cx * 4'000'037LL + cy; };
    const double screenWidth = (view.x2 - view.x1) * pixelsPerMetre;
    const double screenHeight = (view.y2 - view.y1) * pixelsPerMetre;
    for (const int k : labels) {
        const Text& t = scene.texts[static_cast<std::size_t>(k)];
        TurnedBox turned = TextBox(t);
        // Relative to the view's corner, so that a truss far from the origin keeps its precision.
        turned.cx += (t.at.x - view.x1) * pixelsPerMetre;
        turned.cy += (t.at.y - view.y1) * pixelsPerMetre;
        const Box box = turned.Bounds();
        if (box.x2 < -marginPx || box.x1 > screenWidth + marginPx || box.y2 < -marginPx ||
            box.y1 > screenHeight + marginPx)
            continue;
        // A pixel's grace: labels that just touch still read.
        TurnedBox inner = turned;
        inner.halfWidth = std::max(0.0, inner.halfWidth - 1);
        inner.halfHeight = std::max(0.0, inner.halfHeight - 1);
        bool clash = false;
        for (long long cx = cell(box.x1); cx <= cell(box.x2) && !clash; ++cx)
            for (long long cy = cell(box.y1); cy <= cell(box.y2) && !clash; ++cy) {
                const auto found = taken.find(key(cx, cy));
                if (found == taken.end()) continue;
                for (const int other : found->second)
                    if (inner.Overlaps(kept[static_cast<std::size_t>(other)])) {
                        clash = true;
                        break;
                    }
            }
        if (clash) continue;
        for (long long cx = cell(box.x1); cx <= cell(box.x2); ++cx)
            for (long long cy = cell(box.y1); cy <= cell(box.y2); ++cy)
                taken[key(cx, cy)].push_back(static_cast<int>(kept.size()));
        kept.push_back(turned);
        others.push_back(k);
    }
    std::sort(others.begin(), others.end());
    visible.texts = std::move(others);
    return visible;
}

World WorldOf(const project::Project& project) {
    const project::Table& joints = project.joints;
    double x1 = CellNumber(joints, 1, jc::X), x2 = x1;
    double y1 = CellNumber(joints, 1, jc::Y), y2 = y1;
    for (int r = 1; r <= joints.EntryCount(); ++r) {
        const double x = CellNumber(joints, r, jc::X), y = CellNumber(joints, r, jc::Y);
        x1 = std::min(x1, x);
        x2 = std::max(x2, x);
        y1 = std::min(y1, y);
        y2 = std::max(y2, y);
    }
    World world{x1 - 1, x2 + 1, y1 - 1, y2 + 1};
    if (world.xMax == 0) world.xMax = 10;
    if (world.yMax == 0) world.yMax = 10;
    return world;
}

World Enclose(World world, const Scene& scene) {
    for (const Line& line : scene.lines)
        for (const Point& p : {line.a, line.b}) {
            if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
            world.xMin = std::min(world.xMin, p.x - 1);
            world.xMax = std::max(world.xMax, p.x + 1);
            world.yMin = std::min(world.yMin, p.y - 1);
            world.yMax = std::max(world.yMax, p.y + 1);
        }
    return world;
}

std::string JointLabel(int joint) {
    return MemberLabel(joint) + " ";
}

std::string MemberLabel(int member) {
    return (member < 0 ? "-" : " ") + std::to_string(member < 0 ? -static_cast<long long>(member) : member);
}

int LabelEscapement(Point a, Point b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    if (dx == 0) return 900;
    return static_cast<int>(std::lround(std::atan(dy / dx) * (180 / std::numbers::pi) * 10));
}

std::string ForceText(double kN) {
    if (!std::isfinite(kN)) return kN != kN ? "not a number" : (kN > 0 ? "overflow" : "-overflow");
    std::array<char, 64> buffer{};
    char* const first = buffer.data();
    char* const last = first + buffer.size();
    const double magnitude = std::abs(kN);
    std::to_chars_result written{};
    if (magnitude == 0) return "0";
    if (magnitude < 0.005) {
        written = std::to_chars(first, last, kN, std::chars_format::general, 2);
    } else {
        written = std::to_chars(first, last, kN, std::chars_format::fixed, 2);
        // Trailing zeros and a bare point go: "12.50" -> "12.5", "40.00" -> "40".
        char* end = written.ptr;
        while (end[-1] == '0')
            --end;
        if (end[-1] == '.') --end;
        written.ptr = end;
    }
    std::string text(first, written.ptr);
    if (text == "-0") return "0";
    return text;
}

double DisplacementScale(double largestMetres, double trussSizeMetres) {
    if (!(largestMetres > 0) || !std::isfinite(largestMetres)) return 1;
    const double size = trussSizeMetres > 0 ? trussSizeMetres : 1;
    const double wanted = size / 10 / largestMetres;
    if (!std::isfinite(wanted) || wanted <= 0) return 1;
    const double decade = std::floor(std::log10(wanted));
    double best = 1, bestDistance = INFINITY;
    for (const double d : {decade - 1, decade, decade + 1}) {
        for (const double step : {1.0, 2.0, 5.0}) {
            // A power of ten below 1 divides, so that 5 / 1000 is the double that prints as 0.005.
            const double candidate = d < 0 ? step / std::pow(10.0, -d) : step * std::pow(10.0, d);
            const double distance = std::abs(std::log(candidate / wanted));
            if (distance < bestDistance) {
                bestDistance = distance;
                best = candidate;
            }
        }
    }
    return best;
}

Scene BuildScene(const project::Project& project, const analysis::Results* results, View view,
                 const std::optional<MechanismMark>& mechanism, const analysis::LoadCaseResults* envelope) {
    Scene scene;
    scene.view = results ? view : View::Model;
    const std::vector<Point> joints = JointPoints(project);
    const std::vector<MemberEnds> ends = MemberJoints(project, static_cast<int>(joints.size()));
    const World world = WorldOf(project);
    const double radius = std::min(world.Width(), world.Height()) / 200;

    switch (scene.view) {
    case View::Model:
        AddModelMembers(scene, joints, ends, true);
        break;
    case View::Deflected:
        AddDeflected(scene, joints, ends, *results);
        break;
    case View::Forces:
        if (envelope)
            AddEnvelope(scene, joints, ends, *envelope);
        else
            AddForces(scene, joints, ends, *results);
        break;
    }
    AddJoints(scene, joints, radius);
    AddSupports(scene, project, joints);
    if (!(envelope && scene.view == View::Forces))
        AddLoads(scene, project, joints, scene.view == View::Model ? nullptr : results);
    if (mechanism) AddMechanism(scene, joints, *mechanism);
    return scene;
}

} // namespace varlen::drawing
