// What a view draws: culling by the view with a margin in pixels, labels dropped where they would not
// read, and a 100,000-member truss picked over in milliseconds.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "drawing/scene.h"
#include "project/project_file.h"
#include "test_support.h"

namespace varlen::drawing {
namespace {

bool Has(const std::vector<int>& indices, int k) {
    return std::find(indices.begin(), indices.end(), k) != indices.end();
}

std::vector<Role> RolesOf(const Scene& s, const std::vector<int>& texts) {
    std::vector<Role> roles;
    for (const int k : texts)
        roles.push_back(s.texts[static_cast<std::size_t>(k)].role);
    return roles;
}

// The view is X 0..10, Y 0..10.
TEST(SceneVisible, CullsByTheViewWithAMarginInPixels) {
    Scene s;
    s.lines.push_back({{1, 1}, {2, 2}, kMemberColour, 1, Role::Member, 1});      // inside
    s.lines.push_back({{-5, 5}, {15, 5}, kMemberColour, 1, Role::Member, 2});    // across, both ends out
    s.lines.push_back({{-20, -1}, {30, -1}, kMemberColour, 1, Role::Member, 3}); // below, within margin
    s.lines.push_back({{-20, -9}, {30, -9}, kMemberColour, 1, Role::Member, 4}); // far below
    // Its box covers the view's corner region but the line passes outside it: a box test would keep it.
    s.lines.push_back({{8, -20}, {30, 14}, kMemberColour, 1, Role::Member, 5});
    s.circles.push_back({{10.5, 5}, 0.6, kJointColour, Role::Joint, 1}); // its rim reaches in
    s.circles.push_back({{20, 5}, 0.6, kJointColour, Role::Joint, 2});
    s.symbols.push_back(
        {{5, -5}, {{0, 0}, {-9, -15}, {9, -15}}, kSupportColour, std::nullopt, Role::Support, 1});
    s.arrows.push_back({{15, 5}, {1, 0}, 40, kLoadColour, 1.5, Role::Load, 1});

    // 10 px a metre: a 60 px margin is 6 m, reaching the symbol 5 m below and the arrow 5 m beyond.
    const Visible wide = VisibleItems(s, {0, 0, 10, 10}, 10, 60);
    EXPECT_EQ(wide.lines, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(wide.circles, (std::vector<int>{0}));
    EXPECT_EQ(wide.symbols, (std::vector<int>{0}));
    EXPECT_EQ(wide.arrows, (std::vector<int>{0}));
    // 100 px a metre: the same 60 px are 0.6 m, and both are off the picture.
    const Visible close = VisibleItems(s, {0, 0, 10, 10}, 100, 60);
    EXPECT_EQ(close.lines, (std::vector<int>{0, 1}));
    EXPECT_TRUE(close.symbols.empty());
    EXPECT_TRUE(close.arrows.empty());
}

project::Project Roof() {
    project::ReadOutcome read =
        project::ReadProjectFile(std::string(VARLEN_EXAMPLES_DIR) + "/roof_truss.sma");
    EXPECT_TRUE(read.project);
    return read.project ? std::move(*read.project) : project::NewProject();
}

// The roof truss (12 m by 3 m, panels of 1.5 m) at a readable scale keeps every label; shown 40 px
// across, its member labels are longer than the members and go, the joint numbers too where they would
// overlap.
TEST(SceneVisible, LabelsGoWhereTheyWouldNotRead) {
    const Scene s = BuildScene(Roof(), nullptr, View::Model, MechanismMark{13, 'X'});
    const ViewRect all{-1, -5, 13, 9};
    const Visible readable = VisibleItems(s, all, 80);
    EXPECT_EQ(readable.texts.size(), s.texts.size());

    const Visible tiny = VisibleItems(s, all, 3);
    const std::vector<Role> roles = RolesOf(s, tiny.texts);
    EXPECT_EQ(std::count(roles.begin(), roles.end(), Role::MemberLabel), 0);
    EXPECT_LT(std::count(roles.begin(), roles.end(), Role::JointLabel), 16);
    // The mechanism's words are not a label to thin out.
    EXPECT_EQ(std::count(roles.begin(), roles.end(), Role::Mechanism), 1);

    // More labels than allowed: none at all, rather than a random few.
    const Visible crowded = VisibleItems(s, all, 80, 60, 20);
    EXPECT_EQ(RolesOf(s, crowded.texts), (std::vector<Role>{Role::Mechanism}));
    EXPECT_EQ(crowded.lines.size(), 29u);
    // Zoomed on the left eaves, fewer than 20 labels are in view and they come back.
    const Visible eaves = VisibleItems(s, {-1, -1, 2, 1}, 200, 60, 20);
    EXPECT_FALSE(eaves.texts.empty());
    EXPECT_TRUE(Has(eaves.texts, 0)); // member 1's label, on the bottom chord from 0 to 1.5 m
    EXPECT_LT(eaves.lines.size(), 29u);
}

// Two joints at one place: the second number would print over the first.
TEST(SceneVisible, OverlappingLabelsKeepTheFirst) {
    const Scene s = BuildScene(test::MakeProject({{0, 0}, {0, 0}, {5, 0}}, {}, {}), nullptr, View::Model);
    const Visible v = VisibleItems(s, {-1, -1, 6, 6}, 50);
    std::vector<int> joints;
    for (const int k : v.texts)
        joints.push_back(s.texts[static_cast<std::size_t>(k)].item);
    EXPECT_EQ(joints, (std::vector<int>{1, 3}));
}

// A lattice of 100,000 members with their labels: every paint asks for its visible items, so this must
// take a few milliseconds, zoomed out (every line, no label) and zoomed in (a corner).
TEST(SceneVisible, HundredThousandMembersQuickly) {
    Scene s;
    constexpr int kSide = 224; // joints a side: 2 x 224 x 223 = 99,904 members
    int member = 0;
    for (int i = 0; i < kSide; ++i)
        for (int j = 0; j < kSide; ++j) {
            const Point p{i * 1.0, j * 1.0};
            s.circles.push_back({p, 0.01, kJointColour, Role::Joint, i * kSide + j + 1});
            for (const Point q : {Point{p.x + 1, p.y}, Point{p.x, p.y + 1}}) {
                if (q.x >= kSide || q.y >= kSide) continue;
                ++member;
                s.lines.push_back({p, q, kMemberColour, 1, Role::Member, member});
                Text t;
                t.at = {(p.x + q.x) / 2, (p.y + q.y) / 2};
                t.text = MemberLabel(member);
                t.heightPx = 15;
                t.anchor = Anchor::BottomCentre;
                t.role = Role::MemberLabel;
                t.item = member;
                s.texts.push_back(t);
            }
        }
    ASSERT_GT(member, 99'000);
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const Visible all = VisibleItems(s, {-1, -1, kSide, kSide}, 4);
    const auto middle = Clock::now();
    const Visible corner = VisibleItems(s, {-1, -1, 9, 5}, 100);
    const auto end = Clock::now();
    const double fullMs = std::chrono::duration<double, std::milli>(middle - start).count();
    const double cornerMs = std::chrono::duration<double, std::milli>(end - middle).count();
    RecordProperty("full_ms", std::to_string(fullMs));
    RecordProperty("corner_ms", std::to_string(cornerMs));
    std::printf("visible items of %d members: %.1f ms all, %.1f ms a corner\n", member, fullMs, cornerMs);
    EXPECT_EQ(all.lines.size(), s.lines.size());
    EXPECT_TRUE(all.texts.empty()); // 4 px a metre: no label fits its member
    EXPECT_LT(corner.lines.size(), 200u);
    EXPECT_FALSE(corner.texts.empty());
    // Generous for an unoptimised build on a busy machine; an optimised one takes a few milliseconds.
    EXPECT_LT(fullMs + cornerMs, 500);
}

} // namespace
} // namespace varlen::drawing
