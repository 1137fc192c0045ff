// The truss as a picture: lines, circles, symbols, arrows and texts in world co-ordinates (metres, X to
// the right, Y up), each with its colour and its role, built from the project's tables and, for the
// analysed views, from the results. Painting it is a renderer's affair (QPainter on screen and paper, the
// SVG writer here for files and tests); deciding what is drawn and where lives here, where it is tested.
//
// Two kinds of size: world sizes (a joint circle's radius, a line's ends) grow with the zoom; screen sizes
// (in pixels, `...Px`) do not, so support symbols, arrows and texts stay legible at any magnification.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/load_cases.h"
#include "analysis/results.h"
#include "project/project.h"

namespace varlen::drawing {

struct Point {
    double x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Colour {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

inline constexpr Colour kBackground{0xE0, 0xE0, 0xE0}; // light grey behind the truss on screen
inline constexpr Colour kJointColour{0, 0, 0};         // joint circles and numbers: the foreground
inline constexpr Colour kMemberColour{11, 0, 0};       // member lines and labels: very dark red
inline constexpr Colour kSupportColour{0, 0, 0};
inline constexpr Colour kLoadColour{0, 0x80, 0};        // applied loads: green
inline constexpr Colour kReactionColour{0xA0, 0, 0xA0}; // support reactions: purple
inline constexpr Colour kUndeformedColour{0xA0, 0xA0, 0xA0};
inline constexpr Colour kDeflectedColour{0, 0x40, 0xC0};
// Tension dark blue, compression orange: apart in hue on screen and in lightness (luminance about 60
// against 143) in grey print; a zero-force member is light grey and thin.
inline constexpr Colour kTensionColour{0, 0x40, 0xC0};
inline constexpr Colour kCompressionColour{0xF0, 0x80, 0};
inline constexpr Colour kZeroForceColour{0xB4, 0xB4, 0xB4};
inline constexpr Colour kMechanismColour{0xE0, 0, 0}; // the joint an analysis could not hold

enum class Role : std::uint8_t {
    Joint,         // a joint circle
    JointLabel,    // " 3 "
    Member,        // a member line (the undeformed truss in the model and force views)
    MemberLabel,   // " 12" in the model view, the force in kN in the forces view
    Support,       // pin or roller symbol
    Load,          // an applied load arrow
    LoadLabel,     // its value in kN
    Undeformed,    // the truss before loading, in light lines under the deflected shape
    Deflected,     // the displaced truss
    Reaction,      // a support reaction arrow
    ReactionLabel, // its value in kN
    Mechanism,     // the joint an analysis could not hold, and its free direction
    Note,          // a corner text: the deflection scale, the force legend
};

enum class View : std::uint8_t { Model, Deflected, Forces };

struct Line {
    Point a, b;
    Colour colour;
    double widthPx = 1;
    Role role = Role::Member;
    int item = 0; // the member (or joint) number the line belongs to
};

struct Circle {
    Point centre;
    double radius = 0; // world
    Colour colour;
    Role role = Role::Joint;
    int item = 0;
};

// A closed outline given in pixels about a world point (support symbols): x to the right, y up.
struct Symbol {
    Point at;
    std::vector<Point> outlinePx;
    Colour colour;
    std::optional<Colour> fill;
    Role role = Role::Support;
    int item = 0;
};

// A straight arrow whose tip is at a world point; `direction` is a unit vector (world axes) from the
// tail to the tip; the shaft and head are in pixels.
struct Arrow {
    Point tip;
    Point direction;
    double lengthPx = 40;
    Colour colour;
    double widthPx = 1.5;
    Role role = Role::Load;
    int item = 0;
};

enum class Anchor : std::uint8_t { TopLeft, BottomLeft, Centre, BottomCentre, TopRight, BottomRight };

// A text at a world point, turned `angleDegrees` anticlockwise about it, the anchor saying which of its
// corners (before turning) lies on the point, moved by `offsetPx` (screen pixels, y up) after turning.
struct Text {
    Point at;
    std::string text;
    double angleDegrees = 0;
    double heightPx = 12; // the text's height on screen: the font's pixel size
    bool bold = false;
    Anchor anchor = Anchor::TopLeft;
    Point offsetPx;
    Colour colour;
    Role role = Role::JointLabel;
    int item = 0;
};

// A text pinned to a corner of the view rather than to the world: the scale of the deflections, the
// legend of the force colours.
struct CornerNote {
    std::vector<std::string> lines;
    std::vector<std::optional<Colour>> swatches; // a colour key before a line, or none
    Anchor corner = Anchor::BottomLeft;
};

struct Scene {
    View view = View::Model;
    std::vector<Line> lines;
    std::vector<Circle> circles;
    std::vector<Symbol> symbols;
    std::vector<Arrow> arrows;
    std::vector<Text> texts;
    std::vector<CornerNote> notes;
};

// Where an analysis stopped because the truss could not hold a load: the joint and its free direction.
struct MechanismMark {
    int joint = 0;
    char axis = 'X'; // 'X' or 'Y'
};

// The world rectangle of the truss with a margin of 1 m on every side, as the window takes it: the
// smallest and largest joint co-ordinates of every joint row less and plus 1 (cells read for their leading
// number, a blank cell being 0; no joint rows counts as one joint at the origin); a largest X or Y of
// exactly 0 becomes 10.
struct World {
    double xMin = -1, xMax = 1, yMin = -1, yMax = 1;
    [[nodiscard]] double Width() const { return xMax - xMin; }
    [[nodiscard]] double Height() const { return yMax - yMin; }
    friend bool operator==(const World&, const World&) = default;
};
[[nodiscard]] World WorldOf(const project::Project& project);

// The joint label text " 3 " and the member label text " 12", as the numbers are printed.
[[nodiscard]] std::string JointLabel(int joint);
[[nodiscard]] std::string MemberLabel(int member);
// The angle a member's label is written at, in tenths of a degree between -900 and 900, so that it
// always reads from left to right: 900 for a vertical member.
[[nodiscard]] int LabelEscapement(Point a, Point b);
// A force in kN as the picture writes it: rounded to two decimals without trailing zeros ("12.5",
// "-7.07", "40"), two significant figures below 0.005 ("0.0012") so that a small force is not shown as
// 0; never "-0".
[[nodiscard]] std::string ForceText(double kN);
// The factor the deflected view magnifies displacements by: 1, 2 or 5 times a power of ten, the one
// nearest (on a log scale) to the factor that draws the largest displacement `largestMetres` as a tenth
// of `trussSizeMetres`; 1 when nothing moves.
[[nodiscard]] double DisplacementScale(double largestMetres, double trussSizeMetres);

// The picture of the project in the given view. `results` (null when the project was never analysed or
// the results are out of date) is needed for the deflected and forces views, which fall back to the model
// view without it. `mechanism`, when given, marks the joint an analysis could not hold. Members that name
// a joint beyond the joints table (or no joint) are left out; blank cells count as 0.
//
// Every view draws the joints (circles of radius D / 200, D the smaller side of the world, and their
// numbers, top-left corner on the joint), the support symbols (a filled pin triangle where X and Y are
// restrained, a roller where one is, under the joint or, restrained in X only, to its left) and one load
// arrow per joint and direction for the sum of its load rows, its tip on the joint and its value in kN at
// the tail. Member labels lie centred along the member's midpoint, just above the line.
// - Model: the member lines and their numbers " 12".
// - Deflected: the members in light lines (Undeformed) and displaced (Deflected), magnified by
//   DisplacementScale, and a note "Displacements x 100" / "Largest displacement 9.88 mm (joint 12)".
// - Forces: members in kTensionColour or kCompressionColour, faded towards grey and thinner as the force
//   is smaller, zero-force members kZeroForceColour labelled "0", others their ForceText; the reactions
//   where restrained and not 0; a legend note.
// With `envelope` (and results), the forces view draws each member's greatest tension and compression
// over the combinations instead of one set's forces, without loads or reactions.
[[nodiscard]] Scene BuildScene(const project::Project& project, const analysis::Results* results, View view,
                               const std::optional<MechanismMark>& mechanism = std::nullopt,
                               const analysis::LoadCaseResults* envelope = nullptr);

// The world grown, where it must be, so that every line of the scene lies at least 1 m inside it, as the
// joints do: a deflected shape drawn beyond the joints can then still be scrolled to and shown whole.
[[nodiscard]] World Enclose(World world, const Scene& scene);

// What a view of the scene draws, for a renderer: the items that touch the world rectangle (with
// `marginPx` pixels around it for symbols and texts), and the labels only where they do not crowd each
// other: a member label is dropped where it is longer than its member on screen, and every label is
// dropped when more than `maxLabels` would be drawn.
struct ViewRect {
    double x1 = 0, y1 = 0, x2 = 1, y2 = 1; // world, x1 < x2, y1 < y2
};
struct Visible {
    std::vector<int> lines, circles, symbols, arrows, texts; // indices into the scene's vectors
};
[[nodiscard]] Visible VisibleItems(const Scene& scene, const ViewRect& view, double pixelsPerMetre,
                                   double marginPx = 60, int maxLabels = 3000);

} // namespace varlen::drawing
