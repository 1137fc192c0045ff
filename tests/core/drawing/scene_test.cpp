// The picture's contents, checked as items (where a label or a support symbol is, which way an arrow
// points, what a view contains) against the examples and against small trusses worked by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>

#include "analysis/analysis.h"
#include "drawing/scene.h"
#include "model/model.h"
#include "project/project_file.h"
#include "test_support.h"

namespace varlen::drawing {
namespace {

using test::MakeProject;

project::Project Example(const std::string& name) {
    project::ReadOutcome read = project::ReadProjectFile(std::string(VARLEN_EXAMPLES_DIR) + "/" + name);
    EXPECT_TRUE(read.project.has_value()) << name;
    return read.project ? std::move(*read.project) : project::NewProject();
}

template <class Item> std::vector<const Item*> WithRole(const std::vector<Item>& items, Role role) {
    std::vector<const Item*> found;
    for (const Item& item : items)
        if (item.role == role) found.push_back(&item);
    return found;
}

template <class Item> std::vector<const Item*> Of(const std::vector<Item>& items, Role role, int number) {
    std::vector<const Item*> found;
    for (const Item& item : items)
        if (item.role == role && item.item == number) found.push_back(&item);
    return found;
}

double Luminance(Colour c) {
    return 0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b;
}

// ---- World extents and label texts -------------------------------------------------------------------

struct WorldCase {
    const char* name;
    std::vector<test::JointSpec> joints;
    World world;
};

class SceneWorld : public ::testing::TestWithParam<WorldCase> {};

TEST_P(SceneWorld, IsTheJointsWithAMetreAroundThem) {
    const WorldCase& c = GetParam();
    EXPECT_EQ(WorldOf(MakeProject(c.joints, {}, {})), c.world);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SceneWorld,
    ::testing::Values(WorldCase{"SingleJointAtOrigin", {{0, 0}}, {-1, 1, -1, 1}},
                      // The largest X and Y plus 1 are exactly 0, which the window takes as 10.
                      WorldCase{"SingleJointAtMinusOne", {{-1, -1}}, {-2, 10, -2, 10}},
                      WorldCase{"Triangle", {{0, 0}, {4, 0}, {4, 3}}, {-1, 5, -1, 4}},
                      // The first row starts both the minimum and the maximum: a first joint that is not
                      // the smallest must not leave the minimum at 0.
                      WorldCase{"FirstJointNotSmallest", {{5, 7}, {2, 9}, {8, 3}}, {1, 9, 2, 10}},
                      WorldCase{"AllNegative", {{-5, -3}, {-2, -4}}, {-6, -1, -5, -2}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SceneWorld, BlankAndUnreadableCellsCountAsZero) {
    project::Project p = MakeProject({{3, 4}, {6, 8}}, {}, {});
    p.joints.SetCell(1, project::joint_col::X, "");
    p.joints.SetCell(2, project::joint_col::Y, "abc");
    EXPECT_EQ(WorldOf(p), (World{-1, 7, -1, 5}));
    p.joints.SetCell(2, project::joint_col::X, "1e999"); // no finite number: as blank
    EXPECT_EQ(WorldOf(p), (World{-1, 1, -1, 5}));
    // No joint rows at all: one joint at the origin.
    p.joints.SetRowCount(1);
    EXPECT_EQ(WorldOf(p), (World{-1, 1, -1, 1}));
}

TEST(SceneLabels, NumbersArePrintedWithTheSignsBlank) {
    EXPECT_EQ(MemberLabel(12), " 12");
    EXPECT_EQ(MemberLabel(1), " 1");
    EXPECT_EQ(JointLabel(3), " 3 ");
    EXPECT_EQ(JointLabel(100000), " 100000 ");
}

struct EscapementCase {
    const char* name;
    Point a, b;
    int escapement; // tenths of a degree
};

class SceneEscapement : public ::testing::TestWithParam<EscapementCase> {};

// Labels read left to right whichever way the member was entered: a member from right to left gets the
// same angle as one from left to right, never upside down.
TEST_P(SceneEscapement, ReadsLeftToRight) {
    const EscapementCase& c = GetParam();
    EXPECT_EQ(LabelEscapement(c.a, c.b), c.escapement);
}

INSTANTIATE_TEST_SUITE_P(Cases, SceneEscapement,
                         ::testing::Values(EscapementCase{"VerticalUp", {2, 0}, {2, 3}, 900},
                                           EscapementCase{"VerticalDown", {2, 3}, {2, 0}, 900},
                                           EscapementCase{"HorizontalRight", {0, 1}, {4, 1}, 0},
                                           EscapementCase{"HorizontalLeft", {4, 1}, {0, 1}, 0},
                                           EscapementCase{"RisingRight", {0, 0}, {1, 1}, 450},
                                           EscapementCase{"RisingEnteredBackwards", {3, 3}, {1, 1}, 450},
                                           EscapementCase{"Falling", {0, 1}, {1, 0}, -450},
                                           EscapementCase{"FallingBackwards", {1, 0}, {0, 1}, -450},
                                           EscapementCase{"RoofPitch", {0, 0}, {2, 1}, 266},
                                           EscapementCase{"ZeroLength", {1, 1}, {1, 1}, 900}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SceneLabels, ForceTexts) {
    EXPECT_EQ(ForceText(12.5), "12.5");
    EXPECT_EQ(ForceText(-7.0710678), "-7.07");
    EXPECT_EQ(ForceText(40), "40");
    EXPECT_EQ(ForceText(0), "0");
    EXPECT_EQ(ForceText(-0.0), "0");
    EXPECT_EQ(ForceText(0.0012), "0.0012"); // not "0" for a member that carries something
    EXPECT_EQ(ForceText(-1234.567), "-1234.57");
    EXPECT_EQ(ForceText(0.005), "0.01");
}

TEST(SceneLabels, DisplacementScaleIsRound) {
    // 12 mm on a 12 m truss: a tenth is 1.2 m, a factor of 100 exactly.
    EXPECT_DOUBLE_EQ(DisplacementScale(0.012, 12), 100);
    EXPECT_DOUBLE_EQ(DisplacementScale(0.005, 12), 200);   // 240 wanted
    EXPECT_DOUBLE_EQ(DisplacementScale(0.0003, 12), 5000); // 4000 wanted: 5000 is nearer than 2000
    EXPECT_DOUBLE_EQ(DisplacementScale(30, 12), 0.05);     // 0.04 wanted
    EXPECT_DOUBLE_EQ(DisplacementScale(0, 12), 1);         // nothing moves
}

// ---- The model view ----------------------------------------------------------------------------------

// Joints (0,0), (4,0) and (4,3): circles of radius min(6, 5) / 200.
TEST(SceneModel, JointCirclesAndLabelsAtTheJoints) {
    const project::Project p = MakeProject({{0, 0, true, true}, {4, 0, false, true}, {4, 3}},
                                           {{1, 2}, {2, 3}, {3, 1}}, {{3, 5, -10}});
    const Scene s = BuildScene(p, nullptr, View::Model);
    EXPECT_EQ(s.view, View::Model);
    ASSERT_EQ(s.circles.size(), 3u);
    for (const Circle& c : s.circles)
        EXPECT_DOUBLE_EQ(c.radius, 0.025);
    EXPECT_EQ(s.circles[2].centre, (Point{4, 3}));
    const auto labels = Of(s.texts, Role::JointLabel, 3);
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels[0]->text, " 3 ");
    EXPECT_EQ(labels[0]->at, (Point{4, 3}));
    EXPECT_EQ(labels[0]->anchor, Anchor::TopLeft);
    EXPECT_TRUE(labels[0]->bold);

    // Member 2 is vertical: its label at the midpoint, turned a quarter.
    const auto member = Of(s.texts, Role::MemberLabel, 2);
    ASSERT_EQ(member.size(), 1u);
    EXPECT_EQ(member[0]->text, " 2");
    EXPECT_EQ(member[0]->at, (Point{4, 1.5}));
    EXPECT_DOUBLE_EQ(member[0]->angleDegrees, 90);
    EXPECT_EQ(member[0]->colour, kMemberColour);
    // Member 3 runs from (4,3) down to (0,0): it reads left to right, rising.
    EXPECT_NEAR(Of(s.texts, Role::MemberLabel, 3)[0]->angleDegrees, 36.9, 1e-9);
    const auto lines = WithRole(s.lines, Role::Member);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2]->a, (Point{4, 3}));
    EXPECT_EQ(lines[2]->b, (Point{0, 0}));
    EXPECT_EQ(lines[2]->colour, kMemberColour);
    // Two loads on one joint: one arrow per direction, each pointing the way its force acts.
    const auto arrows = WithRole(s.arrows, Role::Load);
    ASSERT_EQ(arrows.size(), 2u);
    EXPECT_EQ(arrows[0]->direction, (Point{1, 0}));
    EXPECT_EQ(arrows[1]->direction, (Point{0, -1}));
    EXPECT_EQ(arrows[1]->tip, (Point{4, 3}));
    const auto values = WithRole(s.texts, Role::LoadLabel);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0]->text, "5 kN");
    EXPECT_EQ(values[1]->text, "10 kN");
    // The downward load's value sits above its tail, not on the truss below the joint.
    EXPECT_GT(values[1]->offsetPx.y, arrows[1]->lengthPx);
}

// Whether each support symbol lies below, or beside, its joint.
struct SupportSide {
    bool any = false;
    bool filled = false;
    double lowestY = 0, leftmostX = 0, highestY = -1e9, rightmostX = -1e9; // pixels about the joint
};

SupportSide SupportOf(const Scene& s, int joint) {
    SupportSide side;
    for (const Symbol* sym : Of(s.symbols, Role::Support, joint)) {
        side.any = true;
        side.filled = side.filled || sym->fill.has_value();
        for (const Point& p : sym->outlinePx) {
            side.lowestY = std::min(side.lowestY, p.y);
            side.leftmostX = std::min(side.leftmostX, p.x);
            side.highestY = std::max(side.highestY, p.y);
            side.rightmostX = std::max(side.rightmostX, p.x);
        }
    }
    return side;
}

// The roof truss: a pin at eaves A (joint 1), a sliding bearing restrained in Y at eaves B (joint 9),
// purlin loads down at the top chord and both eaves; joint 11 carries a purlin load and a fan unit.
TEST(SceneModel, RoofTrussExample) {
    const project::Project p = Example("roof_truss.sma");
    const Scene s = BuildScene(p, nullptr, View::Model);
    EXPECT_EQ(WithRole(s.lines, Role::Member).size(), 29u);
    EXPECT_EQ(WithRole(s.texts, Role::MemberLabel).size(), 29u);
    EXPECT_EQ(s.circles.size(), 16u);
    EXPECT_EQ(WithRole(s.texts, Role::JointLabel).size(), 16u);
    EXPECT_EQ(s.circles[12].centre, (Point{6, 3})); // U4, the ridge: the file's mm are metres here

    const SupportSide pin = SupportOf(s, 1), roller = SupportOf(s, 9);
    EXPECT_TRUE(pin.any);
    EXPECT_TRUE(roller.any);
    // Below the joint, both of them (a roller rolling along X stands under its joint).
    EXPECT_LE(pin.highestY, 0);
    EXPECT_LE(roller.highestY, 0);
    EXPECT_LT(roller.lowestY, -15);
    for (int j = 2; j <= 16; ++j)
        if (j != 9) {
            EXPECT_FALSE(SupportOf(s, j).any) << j;
        }
    // The pin's triangle is filled; the roller's is not (its ground line is).
    const auto pinSymbols = Of(s.symbols, Role::Support, 1);
    const auto rollerSymbols = Of(s.symbols, Role::Support, 9);
    EXPECT_TRUE(pinSymbols.front()->fill.has_value());
    EXPECT_FALSE(rollerSymbols.front()->fill.has_value());
    EXPECT_GT(rollerSymbols.size(), pinSymbols.size()); // the rollers themselves

    const auto arrows = WithRole(s.arrows, Role::Load);
    ASSERT_EQ(arrows.size(), 9u); // nine loaded joints, two rows on joint 11 as one arrow
    for (const Arrow* a : arrows)
        EXPECT_EQ(a->direction, (Point{0, -1})) << a->item;
    const auto fan = Of(s.texts, Role::LoadLabel, 11);
    ASSERT_EQ(fan.size(), 1u);
    EXPECT_EQ(fan[0]->text, "20.5 kN");
    EXPECT_EQ(Of(s.texts, Role::LoadLabel, 1)[0]->text, "6.25 kN");
}

// The forces of a combination are drawn with its loads, not the first case's: the roof's D+W lifts it.
TEST(SceneForces, ShowsTheLoadsOfTheCombinationDrawn) {
    const project::Project p = Example("roof_truss.sma");
    const analysis::AnalysisOutcome outcome =
        analysis::Analyse(model::BuildModel(p), {analysis::Ordering::Auto, {}, true});
    ASSERT_TRUE(outcome.loadCases) << outcome.Message();
    const analysis::Results& dw = outcome.loadCases->combinations.at(1).results;
    const Scene s = BuildScene(p, &dw, View::Forces);
    // Joint 13, the ridge: 12.5 kN down of dead load, 20 kN up of suction.
    const auto ridge = Of(s.arrows, Role::Load, 13);
    ASSERT_EQ(ridge.size(), 1u);
    EXPECT_EQ(ridge[0]->direction, (Point{0, 1}));
    EXPECT_EQ(Of(s.texts, Role::LoadLabel, 13)[0]->text, "7.5 kN");
    // The first case's picture is what it always was.
    const Scene dead = BuildScene(p, &outcome.loadCases->cases.front().results, View::Forces);
    EXPECT_EQ(Of(dead.texts, Role::LoadLabel, 11)[0]->text, "20.5 kN");
}

// The envelope: each member with its greatest tension and compression over D+I and D+W, no loads.
TEST(SceneForces, EnvelopeLabelsBothExtremes) {
    const project::Project p = Example("roof_truss.sma");
    const analysis::AnalysisOutcome outcome =
        analysis::Analyse(model::BuildModel(p), {analysis::Ordering::Auto, {}, true});
    ASSERT_TRUE(outcome.loadCases) << outcome.Message();
    const Scene s = BuildScene(p, &*outcome.results, View::Forces, std::nullopt, &*outcome.loadCases);
    // Bottom chord L0-L1: 137.3 kN of tension under D+I, 61.5 kN of compression under D+W; rafter U1-U2
    // the other way round.
    EXPECT_EQ(Of(s.texts, Role::MemberLabel, 1)[0]->text, "137.3");
    EXPECT_EQ(Of(s.texts, Role::MemberLabel, 1)[0]->colour, kTensionColour); // the larger governs
    EXPECT_EQ(Of(s.texts, Role::MemberLabel, 10)[0]->text.front(), '-');
    EXPECT_TRUE(WithRole(s.arrows, Role::Load).empty());
    EXPECT_TRUE(WithRole(s.arrows, Role::Reaction).empty());
    ASSERT_EQ(s.notes.size(), 1u);
    EXPECT_EQ(s.notes[0].lines[0], "Axial force envelope, kN");
}

// A roller restrained in X rolls along Y: its symbol stands beside the joint, not under it.
TEST(SceneModel, RollerRestrainedInXStandsBesideTheJoint) {
    const Scene s = BuildScene(MakeProject({{0, 0, true, false}, {0, 3, true, true}}, {{1, 2}}, {}), nullptr,
                               View::Model);
    const SupportSide side = SupportOf(s, 1);
    ASSERT_TRUE(side.any);
    EXPECT_LE(side.rightmostX, 0);
    EXPECT_LT(side.leftmostX, -15);
    EXPECT_GT(side.highestY, 5); // spread along Y, the direction it rolls
    // Only exactly 1 restrains: a code of 2 is free.
    project::Project p = MakeProject({{0, 0}, {0, 3}}, {{1, 2}}, {});
    p.joints.SetCell(1, project::joint_col::FixedX, "2");
    p.joints.SetCell(1, project::joint_col::FixedY, "1.0");
    const Scene t = BuildScene(p, nullptr, View::Model);
    const SupportSide roller = SupportOf(t, 1);
    ASSERT_TRUE(roller.any);
    EXPECT_LE(roller.highestY, 0); // restrained in Y only: under the joint
}

// Members and loads that name a joint that is not there are left out; the rest is drawn.
TEST(SceneModel, BadReferencesAreSkipped) {
    project::Project p = MakeProject({{0, 0}, {3, 0}, {3, 2}}, {{1, 2}, {0, 3}, {2, 9}, {2, 3}, {3, 1}},
                                     {{0, 0, -5}, {7, 0, -5}, {3, 0, -5}});
    p.members.SetCell(5, project::member_col::JointJ, "2.5");
    p.members.SetRowCount(p.members.RowCount() + 1); // a blank row
    const Scene s = BuildScene(p, nullptr, View::Model);
    const auto lines = WithRole(s.lines, Role::Member);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]->item, 1);
    EXPECT_EQ(lines[1]->item, 4);
    EXPECT_EQ(WithRole(s.texts, Role::MemberLabel).size(), 2u);
    ASSERT_EQ(s.arrows.size(), 1u);
    EXPECT_EQ(s.arrows[0].item, 3);
}

TEST(SceneModel, EmptyProjects) {
    // A new project: one blank joint row (drawn at the origin) and one blank member row (naming joint 0).
    const Scene fresh = BuildScene(project::NewProject(), nullptr, View::Model);
    ASSERT_EQ(fresh.circles.size(), 1u);
    EXPECT_EQ(fresh.circles[0].centre, (Point{0, 0}));
    EXPECT_DOUBLE_EQ(fresh.circles[0].radius, 0.01);
    EXPECT_TRUE(fresh.lines.empty());
    // No rows at all, in every view, with or without results.
    project::Project none = project::NewProject();
    none.joints.SetRowCount(1);
    none.members.SetRowCount(1);
    const analysis::Results empty;
    for (const View view : {View::Model, View::Deflected, View::Forces}) {
        const Scene s = BuildScene(none, &empty, view, MechanismMark{1, 'X'});
        EXPECT_TRUE(s.lines.empty() && s.circles.empty() && s.arrows.empty() && s.symbols.empty());
    }
}

TEST(SceneModel, MechanismMarksTheJointAndItsFreeDirection) {
    const project::Project p = MakeProject({{0, 0, true, true}, {4, 0}, {2, 2}}, {{1, 2}, {2, 3}}, {});
    const Scene s = BuildScene(p, nullptr, View::Model, MechanismMark{2, 'Y'});
    const auto arrows = WithRole(s.arrows, Role::Mechanism);
    ASSERT_EQ(arrows.size(), 1u);
    EXPECT_EQ(arrows[0]->tip, (Point{4, 0}));
    EXPECT_EQ(arrows[0]->direction, (Point{0, 1}));
    EXPECT_EQ(arrows[0]->colour, kMechanismColour);
    const auto texts = WithRole(s.texts, Role::Mechanism);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->text, "moves along Y");
    EXPECT_EQ(BuildScene(p, nullptr, View::Model, MechanismMark{2, 'X'}).arrows.back().direction,
              (Point{1, 0}));
    // A joint that is not in the table marks nothing.
    EXPECT_TRUE(
        WithRole(BuildScene(p, nullptr, View::Model, MechanismMark{4, 'X'}).arrows, Role::Mechanism).empty());
}

// ---- The analysed views ------------------------------------------------------------------------------

TEST(SceneDeflected, WithoutResultsTheModelIsDrawn) {
    const project::Project p = Example("simple_bridge.sma");
    for (const View view : {View::Deflected, View::Forces}) {
        const Scene s = BuildScene(p, nullptr, view);
        EXPECT_EQ(s.view, View::Model);
        EXPECT_TRUE(s.notes.empty());
        EXPECT_EQ(WithRole(s.texts, Role::MemberLabel).front()->text, " 1");
    }
}

class SceneExamples : public ::testing::TestWithParam<const char*> {};

// The deflected shape: the undeformed truss under it; a pinned joint does not move; the largest
// displacement drawn is about a tenth of the truss.
TEST_P(SceneExamples, DeflectedShapeIsATenthOfTheTruss) {
    const project::Project p = Example(GetParam());
    const analysis::Results r = test::AnalyseOrFail(p);
    const Scene s = BuildScene(p, &r, View::Deflected);
    EXPECT_EQ(s.view, View::Deflected);
    const auto before = WithRole(s.lines, Role::Undeformed), after = WithRole(s.lines, Role::Deflected);
    ASSERT_EQ(before.size(), after.size());
    ASSERT_EQ(before.size(), static_cast<std::size_t>(p.members.EntryCount()));
    double largest = 0;
    for (std::size_t k = 0; k < before.size(); ++k) {
        largest =
            std::max(largest, std::hypot(after[k]->a.x - before[k]->a.x, after[k]->a.y - before[k]->a.y));
        largest =
            std::max(largest, std::hypot(after[k]->b.x - before[k]->b.x, after[k]->b.y - before[k]->b.y));
    }
    const World w = WorldOf(p);
    const double size = std::max(w.Width(), w.Height()) - 2;
    EXPECT_GT(largest, 0.06 * size);
    EXPECT_LT(largest, 0.16 * size);
    // The world grown for the shape holds every displaced end a metre inside, and never shrinks.
    const World grown = Enclose(w, s);
    EXPECT_LE(grown.xMin, w.xMin);
    EXPECT_GE(grown.yMax, w.yMax);
    for (const Line* line : after)
        for (const Point& end : {line->a, line->b}) {
            EXPECT_GE(end.x, grown.xMin + 1 - 1e-12);
            EXPECT_LE(end.x, grown.xMax - 1 + 1e-12);
            EXPECT_GE(end.y, grown.yMin + 1 - 1e-12);
            EXPECT_LE(end.y, grown.yMax - 1 + 1e-12);
        }
    EXPECT_EQ(Enclose(w, BuildScene(p, nullptr, View::Model)), w); // the model already lies inside
    // A pinned joint does not move: a deflection read from the wrong joint, or in the wrong units for
    // one axis, would move it.
    const model::Model m = model::BuildModel(p);
    int pinnedEnds = 0;
    for (std::size_t k = 0; k < before.size(); ++k) {
        const model::Member& member = m.MemberAt(before[k]->item);
        const model::Joint& i = m.JointAt(static_cast<int>(member.jointI));
        const model::Joint& j = m.JointAt(static_cast<int>(member.jointJ));
        if (i.fixedX && i.fixedY) {
            ++pinnedEnds;
            EXPECT_EQ(after[k]->a, before[k]->a) << before[k]->item;
        }
        if (j.fixedX && j.fixedY) {
            ++pinnedEnds;
            EXPECT_EQ(after[k]->b, before[k]->b) << before[k]->item;
        }
    }
    EXPECT_GT(pinnedEnds, 0);
    ASSERT_EQ(s.notes.size(), 1u);
    EXPECT_EQ(s.notes[0].lines[0].rfind("Displacements x ", 0), 0u) << s.notes[0].lines[0];
    // Member labels would hide the shape; the joints stay numbered.
    EXPECT_TRUE(WithRole(s.texts, Role::MemberLabel).empty());
    EXPECT_FALSE(WithRole(s.texts, Role::JointLabel).empty());
}

// Every example: members in tension drawn in one colour, in compression in another that differs in
// lightness too, each labelled with its force; the reactions balance the loads.
TEST_P(SceneExamples, ForcesInTwoColoursAndReactionsThatBalance) {
    const project::Project p = Example(GetParam());
    const analysis::Results r = test::AnalyseOrFail(p);
    const Scene s = BuildScene(p, &r, View::Forces);
    EXPECT_EQ(s.view, View::Forces);
    int tension = 0, compression = 0;
    for (const Line* l : WithRole(s.lines, Role::Member)) {
        const double f = r.AxialForce(l->item);
        const auto label = Of(s.texts, Role::MemberLabel, l->item);
        ASSERT_EQ(label.size(), 1u);
        EXPECT_EQ(label[0]->text, ForceText(f));
        if (f > 0) {
            ++tension;
            EXPECT_GT(l->colour.b, l->colour.r) << l->item;
            EXPECT_LT(Luminance(l->colour), 100) << l->item;
        } else if (f < 0) {
            ++compression;
            EXPECT_GT(l->colour.r, l->colour.b) << l->item;
            EXPECT_GT(Luminance(l->colour), 110) << l->item;
        }
    }
    EXPECT_GT(tension, 0);
    EXPECT_GT(compression, 0);
    // Sum of reaction arrows, signed by direction, against the sum of the loads.
    double rx = 0, ry = 0;
    for (const Arrow* a : WithRole(s.arrows, Role::Reaction)) {
        const analysis::Reaction reaction = r.SupportReaction(a->item);
        rx += a->direction.x * std::abs(reaction.rx);
        ry += a->direction.y * std::abs(reaction.ry);
    }
    double fx = 0, fy = 0;
    for (int j = 1; j <= r.JointCount(); ++j) {
        fx += r.LoadX(j);
        fy += r.LoadY(j);
    }
    EXPECT_NEAR(rx, -fx, 1e-6 * (1 + std::abs(fx)));
    EXPECT_NEAR(ry, -fy, 1e-6 * (1 + std::abs(fy)));
    ASSERT_EQ(s.notes.size(), 1u);
    EXPECT_EQ(s.notes[0].lines,
              (std::vector<std::string>{"Axial force, kN", "Tension", "Compression", "Zero force"}));
}

INSTANTIATE_TEST_SUITE_P(Examples, SceneExamples,
                         ::testing::Values("simple_bridge.sma", "roof_truss.sma", "bridge_girder.sma",
                                           "braced_frame.sma"),
                         [](const auto& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

// A triangle on a tie split at its middle, the split joint held by a vertical hanger: the hanger carries
// nothing, the tie 5 kN, the rafters -7.071 kN, each support 5 kN up and no horizontal reaction.
TEST(SceneForces, ZeroForceMemberIsGreyAndReactionsOnlyWhereTheyAct) {
    const project::Project p = MakeProject({{0, 0, true, true}, {4, 0, false, true}, {2, 2}, {2, 0}},
                                           {{1, 4}, {4, 2}, {2, 3}, {3, 1}, {4, 3}}, {{3, 0, -10}});
    const analysis::Results r = test::AnalyseOrFail(p);
    const Scene s = BuildScene(p, &r, View::Forces);
    const Line* hanger = Of(s.lines, Role::Member, 5)[0];
    EXPECT_EQ(hanger->colour, kZeroForceColour);
    EXPECT_EQ(Of(s.texts, Role::MemberLabel, 5)[0]->text, "0");
    EXPECT_EQ(Of(s.texts, Role::MemberLabel, 1)[0]->text, "5");
    EXPECT_EQ(Of(s.texts, Role::MemberLabel, 3)[0]->text, "-7.07");
    // The tie and the rafters carry comparable forces: the rafters' larger one is drawn wider.
    EXPECT_GT(Of(s.lines, Role::Member, 3)[0]->widthPx, Of(s.lines, Role::Member, 1)[0]->widthPx);
    EXPECT_GT(Of(s.lines, Role::Member, 1)[0]->widthPx, hanger->widthPx);
    const auto reactions = WithRole(s.arrows, Role::Reaction);
    ASSERT_EQ(reactions.size(), 2u); // no horizontal reaction at the pin: there is no horizontal load
    for (const Arrow* a : reactions) {
        EXPECT_EQ(a->direction, (Point{0, 1}));
        EXPECT_EQ(Of(s.texts, Role::ReactionLabel, a->item)[0]->text, "5 kN");
    }
    EXPECT_EQ(reactions[0]->tip, (Point{0, 0}));
    EXPECT_EQ(reactions[1]->tip, (Point{4, 0}));
}

// Results from before a joint and a member were added: the new ones are drawn, unmoved and unloaded.
TEST(SceneForces, ResultsShorterThanTheTables) {
    const project::Project small = MakeProject({{0, 0, true, true}, {4, 0, false, true}, {2, 2}},
                                               {{1, 2}, {2, 3}, {3, 1}}, {{3, 0, -10}});
    const analysis::Results r = test::AnalyseOrFail(small);
    const project::Project grown = MakeProject({{0, 0, true, true}, {4, 0, false, true}, {2, 2}, {6, 2}},
                                               {{1, 2}, {2, 3}, {3, 1}, {3, 4}}, {{3, 0, -10}});
    const Scene d = BuildScene(grown, &r, View::Deflected);
    const Line* added = Of(d.lines, Role::Deflected, 4)[0];
    EXPECT_EQ(added->b, (Point{6, 2}));
    EXPECT_NE(added->a, (Point{2, 2})); // its other end is joint 3, which did move
    const Scene f = BuildScene(grown, &r, View::Forces);
    EXPECT_EQ(Of(f.lines, Role::Member, 4)[0]->colour, kZeroForceColour);
}

} // namespace
} // namespace varlen::drawing
