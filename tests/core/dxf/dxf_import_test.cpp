// The DXF reader and the import against drawings written by hand, group code by group code: the forms
// CAD programs write, the entities they mix in, their float noise and units, and damage.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>

#include "dxf/dxf_import.h"
#include "project/number_text.h"
#include "test_support.h"

namespace varlen {
namespace {

using dxf::Plane;
namespace jc = project::joint_col;
namespace mc = project::member_col;

// A drawing from (code, value) pairs, laid out as `eol` and `pad` say.
struct Pairs {
    std::vector<std::pair<int, std::string>> items;
    Pairs& operator()(int code, std::string value) {
        items.emplace_back(code, std::move(value));
        return *this;
    }
    Pairs& Line(std::string x1, std::string y1, std::string z1, std::string x2, std::string y2,
                std::string z2) {
        return (*this)(0, "LINE")(8, "0")(10, x1)(20, y1)(30, z1)(11, x2)(21, y2)(31, z2);
    }
    Pairs& Line(double x1, double y1, double x2, double y2) {
        return Line(Num(x1), Num(y1), "0", Num(x2), Num(y2), "0");
    }
    [[nodiscard]] std::string Text(const std::string& eol = "\n", const std::string& pad = "") const {
        std::string out;
        for (const auto& [code, value] : items)
            out += pad + std::to_string(code) + eol + value + eol;
        return out;
    }
    static std::string Num(double v) { return project::FormatGeneral(v); }
};

Pairs Entities() {
    return Pairs()(0, "SECTION")(2, "ENTITIES");
}
std::string Closed(Pairs pairs) {
    return pairs(0, "ENDSEC")(0, "EOF").Text();
}

dxf::ImportOutcome Import(const std::string& text, Plane plane = Plane::XY) {
    dxf::ImportOutcome outcome = dxf::ImportDXF(text, plane);
    EXPECT_TRUE(outcome.project) << outcome.problem.ToString();
    return outcome;
}

std::vector<std::string> Row(const project::Table& table, int row) {
    std::vector<std::string> cells;
    for (int c = 1; c < table.ColumnCount(); ++c)
        cells.emplace_back(table.Cell(row, c));
    return cells;
}

// "1-2" for each member, in order.
std::vector<std::string> Ends(const project::Project& p) {
    std::vector<std::string> ends;
    for (int m = 1; m <= p.members.EntryCount(); ++m)
        ends.push_back(std::string(p.members.Cell(m, mc::JointI)) + "-" +
                       std::string(p.members.Cell(m, mc::JointJ)));
    return ends;
}
// "x,y" for each joint, in order.
std::vector<std::string> Points(const project::Project& p) {
    std::vector<std::string> points;
    for (int j = 1; j <= p.joints.EntryCount(); ++j)
        points.push_back(std::string(p.joints.Cell(j, jc::X)) + "," + std::string(p.joints.Cell(j, jc::Y)));
    return points;
}

struct PlaneCase {
    const char* name;
    Plane plane;
    std::string drawing;
};
class DxfTwoLines : public ::testing::TestWithParam<PlaneCase> {};

// Two lines (0,0)-(4,0) and (4,0)-(4,3), drawn flat or standing in X-Z: three joints, two members, every
// cell as an editor would hold it, and nothing else of a new project changed.
TEST_P(DxfTwoLines, BecomeThreeJointsAndTwoMembers) {
    const dxf::ImportOutcome out = Import(GetParam().drawing, GetParam().plane);
    ASSERT_TRUE(out.project);
    const project::Project& p = *out.project;
    ASSERT_EQ(p.joints.EntryCount(), 3);
    EXPECT_EQ(Row(p.joints, 1),
              (std::vector<std::string>{"1", "0", "0", "Gridline ?\?/?\?", "0", "0", "None"}));
    EXPECT_EQ(Row(p.joints, 2),
              (std::vector<std::string>{"2", "4", "0", "Gridline ?\?/?\?", "0", "0", "None"}));
    EXPECT_EQ(Row(p.joints, 3),
              (std::vector<std::string>{"3", "4", "3", "Gridline ?\?/?\?", "0", "0", "None"}));
    ASSERT_EQ(p.members.EntryCount(), 2);
    EXPECT_EQ(Row(p.members, 1), (std::vector<std::string>{"1", "1", "2", "1", "1", "None"}));
    EXPECT_EQ(Row(p.members, 2), (std::vector<std::string>{"2", "2", "3", "1", "1", "None"}));
    const project::Project fresh = project::NewProject();
    EXPECT_EQ(p.title, fresh.title);
    EXPECT_EQ(p.materials, fresh.materials);
    EXPECT_EQ(p.sections, fresh.sections);
    EXPECT_EQ(p.loads, fresh.loads);
    EXPECT_EQ(out.joints, 3);
    EXPECT_EQ(out.members, 2);
    EXPECT_EQ(out.message.rfind("Imported 3 joints and 2 members from 2 lines", 0), 0u) << out.message;
}

INSTANTIATE_TEST_SUITE_P(
    Planes, DxfTwoLines,
    ::testing::Values(PlaneCase{"XY", Plane::XY,
                                Closed(Entities().Line("0", "0", "0", "4", "0", "0").Line("4", "0", "0", "4", "3", "0"))},
                      PlaneCase{"XZ", Plane::XZ,
                                Closed(Entities().Line("0", "0", "0", "4", "0", "0").Line("4", "0", "0", "4", "0", "3"))},
                      // CAD programs pad codes, end lines with CR LF, and write 4 as 4.0.
                      PlaneCase{"PaddedCodesCrLf", Plane::XY,
                                Entities()
                                    .Line("0.0", "0.0", "0.0", "4.0", "0.0", "0.0")
                                    .Line("4.0", "0.0", "0.0", "4.0", "3.0", "0.0")(0, "ENDSEC")(0, "EOF")
                                    .Text("\r\n", "  ")},
                      // The original lost the last LINE of a file that ends right after it.
                      PlaneCase{"EndsAfterLastLine", Plane::XY,
                                Entities().Line("0", "0", "0", "4", "0", "0").Line("4", "0", "0", "4", "3", "0").Text()},
                      PlaneCase{"EndsWithoutLineEnd", Plane::XY,
                                [] {
                                    std::string t = Entities()
                                                        .Line("0", "0", "0", "4", "0", "0")
                                                        .Line("4", "0", "0", "4", "3", "0")
                                                        .Text("\r\n");
                                    return t.substr(0, t.size() - 2);
                                }()}),
    [](const ::testing::TestParamInfo<PlaneCase>& info) { return info.param.name; });

// Points are one joint when they differ by at most 1e-9 of the drawing's size (CAD float noise), not
// otherwise; the original compared exactly and split joints over the last bit.
TEST(DxfImport, FloatNoiseJoinsPointsAndRealGapsDoNot) {
    const dxf::ImportOutcome noisy = Import(Closed(Entities()
                                                       .Line(0, 0, 4, 0)
                                                       .Line(4.000000000001, 1e-12, 4, 3)
                                                       .Line(3.9999999999999996, 3.0000000000000004, 0, 0)));
    EXPECT_EQ(Points(*noisy.project), (std::vector<std::string>{"0,0", "4,0", "4,3"}));
    EXPECT_EQ(Ends(*noisy.project), (std::vector<std::string>{"1-2", "2-3", "3-1"}));

    // 1e-7 m on a 4 m drawing is a gap someone drew.
    const dxf::ImportOutcome apart = Import(Closed(Entities().Line(0, 0, 4, 0).Line(4.0000001, 0, 4, 3)));
    EXPECT_EQ(Points(*apart.project), (std::vector<std::string>{"0,0", "4,0", "4.0000001,0", "4,3"}));
    EXPECT_EQ(Ends(*apart.project), (std::vector<std::string>{"1-2", "3-4"}));
}

// The tolerance follows the drawing's size, not its distance from the origin or its units.
TEST(DxfImport, ToleranceScalesWithTheDrawing) {
    const double far = 1e6; // a site grid: co-ordinates in the millions, a truss 40 m long
    const dxf::ImportOutcome site = Import(
        Closed(Entities().Line(far, far, far + 40, far).Line(far + 40 + 1e-9, far, far + 20, far + 10)));
    EXPECT_EQ(site.project->joints.EntryCount(), 3);
    const dxf::ImportOutcome tiny =
        Import(Closed(Entities().Line(0, 0, 4e-6, 0).Line(4e-6, 0, 4.1e-6, 3e-6)));
    EXPECT_EQ(tiny.project->joints.EntryCount(), 3);
}

// Every copy of a point is drawn with its own noise of up to 0.4e-9 of the drawing's size, so any two
// copies are within the tolerance of each other. Thousands of them fall either side of the joint
// search's cell edges: a neighbouring cell left unsearched would split a joint in two.
TEST(DxfImport, NoiseWithinTheToleranceNeverSplitsAJoint) {
    constexpr int kSide = 100; // points 1 m apart, a drawing 99 m across
    std::mt19937 random(3);
    std::uniform_real_distribution<double> noise(-0.4e-9 * (kSide - 1), 0.4e-9 * (kSide - 1));
    Pairs drawing = Entities();
    auto line = [&](int i1, int j1, int i2, int j2) {
        drawing.Line(i1 + noise(random), j1 + noise(random), i2 + noise(random), j2 + noise(random));
    };
    for (int j = 0; j < kSide; ++j)
        for (int i = 0; i + 1 < kSide; ++i) {
            line(i, j, i + 1, j);
            line(j, i, j, i + 1);
        }
    const dxf::ImportOutcome out = Import(Closed(drawing));
    EXPECT_EQ(out.joints, kSide * kSide);
    EXPECT_EQ(out.members, 2 * kSide * (kSide - 1));
    EXPECT_EQ(out.message.find("Drawn twice"), std::string::npos);
}

// Matching in the plane's two co-ordinates only: the original compared all three in its member step,
// and a point off the plane got a member with no joint at that end.
TEST(DxfImport, PointsOffThePlaneStillJoinAndTheMessageSaysSo) {
    const dxf::ImportOutcome out =
        Import(Closed(Entities().Line("0", "0", "0", "4", "0", "0").Line("4", "0", "2.5", "4", "3", "0")));
    EXPECT_EQ(Ends(*out.project), (std::vector<std::string>{"1-2", "2-3"}));
    EXPECT_NE(out.message.find("not all lie in one X-Y plane: Z runs from 0 m to 2.5 m"), std::string::npos)
        << out.message;
    const dxf::ImportOutcome upright = Import(
        Closed(Entities().Line("0", "7", "0", "4", "7", "0").Line("4", "7", "0", "4", "7", "3")), Plane::XZ);
    EXPECT_EQ(upright.message.find("not all lie"), std::string::npos) << "a constant Y is one X-Z plane";
}

// A line whose ends are one point makes no member and no joint (the original made a member from a joint
// to itself, which no analysis can take); a line drawn twice stays two members, both named.
TEST(DxfImport, ZeroLengthSkippedAndDoublesNamed) {
    // Each LINE takes 16 lines of the file; the k-th says "LINE" on line 6 + 16 (k - 1).
    const Pairs drawing = Entities()
                              .Line(0, 0, 4, 0)
                              .Line(9, 9, 9, 9) // nowhere near the truss
                              .Line(4, 0, 4, 3)
                              .Line(4, 3, 4, 3)
                              .Line(0, 0, 4, 0)  // member 1 again
                              .Line(4, 3, 4, 0); // member 2 drawn backwards
    const dxf::ImportOutcome out = Import(Closed(drawing));
    EXPECT_EQ(Points(*out.project), (std::vector<std::string>{"0,0", "4,0", "4,3"}));
    EXPECT_EQ(Ends(*out.project), (std::vector<std::string>{"1-2", "2-3", "1-2", "3-2"}));
    EXPECT_NE(out.message.find("Imported 3 joints and 4 members from 6 lines"), std::string::npos)
        << out.message;
    EXPECT_NE(
        out.message.find("Skipped 2 lines of zero length (both ends one point): the LINEs at lines 22, 54."),
        std::string::npos)
        << out.message;
    EXPECT_NE(out.message.find(
                  "members 1 and 3 both join joints 1 and 2; members 2 and 4 both join joints 2 and 3"),
              std::string::npos)
        << out.message;
}

// Only LINEs of the ENTITIES section are members. A block's lines, a polyline's vertices (codes 10 and
// 20 too), a circle's centre and a text's insertion point are not, and each kind is counted once.
TEST(DxfImport, OnlyEntitiesLinesAreReadAndTheRestIsCounted) {
    Pairs drawing;
    drawing(0, "SECTION")(2, "BLOCKS")(0, "BLOCK")(2, "NUT")(10, "0")(20, "0")(30, "0");
    drawing.Line(50, 50, 60, 60);
    drawing(0, "ENDBLK")(0, "ENDSEC");
    drawing(0, "SECTION")(2, "ENTITIES");
    drawing(0, "CIRCLE")(8, "0")(10, "100")(20, "100")(30, "0")(40, "5");
    drawing.Line(0, 0, 4, 0);
    drawing(0, "LWPOLYLINE")(8, "0")(90, "2")(10, "7")(20, "7")(10, "8")(20, "8");
    drawing(0, "POLYLINE")(8, "0")(66, "1")(10, "0")(20, "0")(30, "0");
    drawing(0, "VERTEX")(8, "0")(10, "20")(20, "20")(30, "0")(0, "VERTEX")(8, "0")(10, "30")(20, "20")(30,
                                                                                                       "0");
    drawing(0, "SEQEND");
    drawing.Line(4, 0, 4, 3);
    drawing(0, "TEXT")(8, "0")(10, "1")(20, "1")(30, "0")(40, "0.2")(1, "Truss A");
    drawing(0, "INSERT")(8, "0")(2, "NUT")(10, "4")(20, "3")(30, "0");
    drawing(0, "CIRCLE")(8, "0")(10, "0")(20, "0")(30, "0")(40, "1");
    drawing(0, "LINE")(8, "0")(67, "1")(10, "0")(20, "0")(30, "0")(11, "297")(21, "0")(31, "0");
    const dxf::ImportOutcome out = Import(Closed(drawing));
    EXPECT_EQ(Points(*out.project), (std::vector<std::string>{"0,0", "4,0", "4,3"}));
    EXPECT_EQ(Ends(*out.project), (std::vector<std::string>{"1-2", "2-3"}));
    EXPECT_NE(out.message.find(
                  "Left out, as only LINE entities become members: 2 CIRCLE, 1 LWPOLYLINE, 1 POLYLINE, "
                  "1 TEXT, 1 INSERT, 1 LINE in paper space."),
              std::string::npos)
        << out.message;

    // The original read the codes 10 .. 31 of any entity after the first LINE as a further line.
    const dxf::ImportOutcome mixed = Import(Closed(Entities().Line(0, 0, 4, 0)(0, "CIRCLE")(10, "4")(20, "0")(
        30, "0")(40, "1")(11, "9")(21, "9")(31, "9")));
    EXPECT_EQ(mixed.project->members.EntryCount(), 1);
}

struct UnitCase {
    const char* name;
    const char* insunits; // nullptr: no header at all
    const char* x;        // the far end's X as drawn
    const char* metres;   // the joint's X as imported
    const char* said;     // in the message
};
class DxfUnits : public ::testing::TestWithParam<UnitCase> {};

TEST_P(DxfUnits, CoordinatesComeInMetres) {
    Pairs drawing;
    if (GetParam().insunits)
        drawing(0, "SECTION")(2, "HEADER")(9, "$ACADVER")(1, "AC1015")(9, "$INSUNITS")(
            70, GetParam().insunits)(9, "$EXTMIN")(10, "0")(20, "0")(30, "0")(0, "ENDSEC");
    drawing(0, "SECTION")(2, "ENTITIES")
        .Line("0", "0", "0", GetParam().x, "0", "0")
        .Line(GetParam().x, "0", "0", "0", GetParam().x, "0");
    const dxf::ImportOutcome out = Import(Closed(drawing));
    EXPECT_EQ(out.project->joints.Cell(2, jc::X), GetParam().metres);
    EXPECT_EQ(out.project->joints.Cell(3, jc::Y), GetParam().metres);
    EXPECT_NE(out.message.find(GetParam().said), std::string::npos) << out.message;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DxfUnits,
    ::testing::Values(UnitCase{"Millimetres", "4", "2500.5", "2.5005",
                               "Drawing units: millimetres, converted to metres."},
                      UnitCase{"Centimetres", "5", "1234.5", "12.345", "centimetres, converted to metres"},
                      UnitCase{"Metres", "6", "2.5", "2.5", "Drawing units: metres."},
                      UnitCase{"Unitless", "0", "2.5", "2.5", "no units (taken as metres)"},
                      UnitCase{"NoHeader", nullptr, "2.5", "2.5", "no units (taken as metres)"},
                      UnitCase{"Inches", "1", "100", "2.54", "inches, converted to metres"},
                      UnitCase{"Unknown", "13", "2.5", "2.5",
                               "a unit Varlen does not convert (taken as metres) ($INSUNITS 13)"}),
    [](const ::testing::TestParamInfo<UnitCase>& info) { return info.param.name; });

// 1e306 feet times 3048 overflowed before the scaling by 10^-4 brought it back, so the line's
// co-ordinates were infinite (and the joint search's cell numbers undefined); converted the other way
// round they are 3.048e305 m, a number.
TEST(DxfImport, FeetNearTheLargestNumberConvertWithoutOverflow) {
    Pairs drawing = Pairs()(0, "SECTION")(2, "HEADER")(9, "$INSUNITS")(70, "2")(0, "ENDSEC");
    drawing(0, "SECTION")(2, "ENTITIES").Line("1e306", "0", "0", "0", "5", "5");
    for (Plane plane : {Plane::XY, Plane::XZ}) {
        const dxf::ImportOutcome out = Import(Closed(drawing), plane);
        ASSERT_TRUE(out.project);
        EXPECT_NEAR(project::ReadNumber(out.project->joints.Cell(1, jc::X)), 3.048e305, 1e291);
    }
}

struct Damage {
    const char* name;
    std::string text;
    int line; // 0: the whole file
    const char* says;
};
class DxfDamage : public ::testing::TestWithParam<Damage> {};

// A damaged or unusable file is refused whole, with the line at fault; nothing is imported from it.
TEST_P(DxfDamage, IsRefusedAtItsLine) {
    const dxf::ImportOutcome out = dxf::ImportDXF(GetParam().text, Plane::XY);
    EXPECT_FALSE(out.project);
    EXPECT_EQ(out.problem.line, GetParam().line) << out.problem.ToString();
    EXPECT_NE(out.problem.message.find(GetParam().says), std::string::npos) << out.problem.message;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DxfDamage,
    ::testing::Values(
        Damage{"CoordinateNotANumber",
               Closed(Entities().Line(0, 0, 4, 0).Line("4", "0", "0", "4", "3,5", "0")), 34,
               "the LINE that starts at line 22 has \"3,5\" for the Y of its end point (group code 21), "
               "which is no "
               "number"},
        Damage{"EmptyCoordinate", Closed(Entities().Line("0", "", "0", "4", "0", "0")), 12,
               "for the Y of its start point"},
        Damage{"InfiniteCoordinate", Closed(Entities().Line("0", "0", "0", "1e999", "0", "0")), 16,
               "which is no number"},
        Damage{"CodeWithoutValue", Entities().Line(0, 0, 4, 0).Text() + "  0\n", 21,
               "group code 0 has no value"},
        Damage{"CodeNotANumber", Entities().Text() + "LINE\n0\n", 5,
               "a group code (a whole number) was expected here, not \"LINE\""},
        Damage{"LineWithoutEnd", Closed(Entities()(0, "LINE")(8, "0")(10, "0")(20, "0")(30, "0")), 6,
               "the LINE that starts here has no value for the X of its end point (group code 11)"},
        Damage{"UnitsNotANumber",
               Closed(Pairs()(0, "SECTION")(2, "HEADER")(9, "$INSUNITS")(70, "mm")(0, "ENDSEC")), 8,
               "$INSUNITS takes a whole number"},
        Damage{"SectionWithoutName", Closed(Pairs()(0, "SECTION")(0, "LINE")), 3, "a section's name"},
        Damage{"Binary", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22), 1, "binary DXF"},
        Damage{"Empty", "\n\n", 0, "the file is empty"},
        Damage{"NoEntities", Closed(Pairs()(0, "SECTION")(2, "HEADER")(9, "$INSUNITS")(70, "4")(0, "ENDSEC")),
               0, "the drawing has no ENTITIES section"},
        Damage{"NoLine", Closed(Entities()(0, "CIRCLE")(10, "0")(20, "0")(40, "1")(0, "TEXT")(1, "A")), 0,
               "the drawing has no LINE in its ENTITIES section (it holds 1 CIRCLE, 1 TEXT); only LINE "
               "entities"},
        Damage{"OnlyZeroLength", Closed(Entities().Line(1, 1, 1, 1)), 0,
               "every LINE in the drawing has zero length"},
        // An infinite co-ordinate made the tolerance infinite and a cell number NaN.
        Damage{"BeyondTheLargestNumberInMetres",
               Closed(Pairs()(0, "SECTION")(2, "HEADER")(9, "$INSUNITS")(70, "7")(0, "ENDSEC")(0, "SECTION")(
                          2, "ENTITIES")
                          .Line(0, 0, 4, 0)
                          .Line("1e306", "0", "0", "1e306", "5", "0")),
               32, "lies beyond the largest number Varlen holds once its kilometres are converted"}),
    [](const ::testing::TestParamInfo<Damage>& info) { return info.param.name; });

// A 100,000-line drawing: a lattice of 50,000 squares, their sides drawn in a shuffled order with
// float noise on every point. Every shared corner must come out as one joint, so a fault in the grid
// search (a neighbour cell missed, a tolerance test the wrong way) shows as a wrong count. The time is
// recorded, not judged: a loaded test machine must not fail it.
TEST(DxfImport, HundredThousandLinesMakeTheLatticeQuickly) {
    constexpr int kColumns = 250, kRows = 200; // (251 x 201) joints
    struct Segment {
        double x1, y1, x2, y2;
    };
    std::vector<Segment> segments;
    for (int r = 0; r <= kRows; ++r)
        for (int c = 0; c < kColumns; ++c)
            segments.push_back({c * 0.3, r * 0.3, (c + 1) * 0.3, r * 0.3});
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c <= kColumns; ++c)
            segments.push_back({c * 0.3, r * 0.3, c * 0.3, (r + 1) * 0.3});
    std::shuffle(segments.begin(), segments.end(), std::mt19937(12));
    const int lines = static_cast<int>(segments.size());
    ASSERT_EQ(lines, (kRows + 1) * kColumns + kRows * (kColumns + 1)); // 100,450 lines
    std::string text = Entities().Text();
    text.reserve(segments.size() * 120);
    const auto noise = [](std::size_t i) { return (static_cast<int>(i % 7) - 3) * 1e-13; };
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const Segment& s = segments[i];
        text += "0\nLINE\n8\n0\n10\n" + Pairs::Num(s.x1 + noise(i)) + "\n20\n" +
                Pairs::Num(s.y1 - noise(i + 1)) + "\n30\n0\n11\n" + Pairs::Num(s.x2 - noise(i + 2)) +
                "\n21\n" + Pairs::Num(s.y2 + noise(i + 3)) + "\n31\n0\n";
    }
    const auto start = std::chrono::steady_clock::now();
    const dxf::ImportOutcome out = dxf::ImportDXF(text, Plane::XY);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_TRUE(out.project) << out.problem.ToString();
    EXPECT_EQ(out.joints, (kColumns + 1) * (kRows + 1));
    EXPECT_EQ(out.members, lines);
    EXPECT_EQ(out.message.find("Drawn twice"), std::string::npos);
    RecordProperty("import_seconds", std::to_string(seconds));
    std::printf("100,450-line drawing (%.1f MB) imported in %.3f s\n", text.size() / 1e6, seconds);
}

} // namespace
} // namespace varlen
