// Every way a run stops: the message names the member, load or joint and the reason, and
// no results come out.
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

#include "analysis/analysis.h"
#include "test_support.h"

namespace varlen::analysis {
namespace {

using test::JointSpec;

// A sound triangle: pinned at 1, roller at 2, loaded at 3.
project::Project Triangle() {
    return test::MakeProject({{0, 0, true, true}, {4, 0, false, true}, {2, 2}}, {{1, 2}, {2, 3}, {3, 1}},
                             {{3, 0, -10}}, {205, 70}, {1000, 500});
}

struct StopCase {
    const char* name;
    std::function<void(project::Project&)> damage;
    const char* cause;
};

class AnalysisStop : public ::testing::TestWithParam<StopCase> {};

TEST_P(AnalysisStop, NamesTheCulpritAndGivesNoResults) {
    project::Project p = Triangle();
    ASSERT_TRUE(Analyse(model::BuildModel(p)).results) << "the undamaged triangle must solve";
    GetParam().damage(p);
    const AnalysisOutcome outcome = Analyse(model::BuildModel(p));
    EXPECT_FALSE(outcome.results);
    ASSERT_FALSE(outcome.causes.empty());
    EXPECT_NE(outcome.Message().find(GetParam().cause), std::string::npos) << outcome.Message();
    EXPECT_EQ(
        outcome.Message().rfind("An Error Just Occurred.\nDid you input your structure correctly?\n", 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, AnalysisStop,
    ::testing::Values(
        StopCase{"JointZero", [](auto& p) { p.members.SetCell(2, 3, "0"); },
                 "Member 2 at end j names joint 0, which is not in the joints table (1 to 3)."},
        StopCase{"JointBeyondTable", [](auto& p) { p.members.SetCell(1, 2, "4"); },
                 "Member 1 at end i names joint 4, which is not in the joints table (1 to 3)."},
        StopCase{"JointNotWhole", [](auto& p) { p.members.SetCell(1, 2, "2.5"); },
                 "Member 1 at end i names joint 2.5"},
        StopCase{"MaterialZero", [](auto& p) { p.members.SetCell(3, 4, "0"); },
                 "Member 3 names material 0, which is not in the materials table (1 to 2)."},
        StopCase{"SectionBeyondTable", [](auto& p) { p.members.SetCell(3, 5, "3"); },
                 "Member 3 names cross-section 3, which is not in the cross-sections table (1 to 2)."},
        StopCase{"ZeroModulus", [](auto& p) { p.materials.SetCell(1, 2, ""); },
                 "Member 1 uses material 1, whose Young's modulus is 0: it must be a number greater than 0."},
        StopCase{"NegativeArea", [](auto& p) { p.sections.SetCell(1, 2, "-5"); },
                 "whose area is -5: it must be a number greater than 0."},
        StopCase{"ZeroLength", [](auto& p) { p.joints.SetCell(3, 2, "0"), p.joints.SetCell(3, 3, "0"); },
                 "Member 3 has zero length: joints 3 and 1 are at the same point."},
        StopCase{"LoadOnMissingJoint", [](auto& p) { p.loads.SetCell(1, 1, "9"); },
                 "Load 1 names joint 9, which is not in the joints table (1 to 3)."},
        StopCase{"NoMaterials", [](auto& p) { p.materials.SetRowCount(1); },
                 "materials table (which is empty)"},
        // A joint without members that is not fully restrained.
        StopCase{"LooseJoint",
                 [](auto& p) {
                     p.joints.SetRowCount(5);
                     p.joints.SetRow(4, {"", "4", "9", "9", "", "0", "1", ""});
                 },
                 "Joint 4 cannot resist load along X: the truss is unstable there."},
        // The roller's joint 2 free along X with one horizontal and one inclined member is stable, but
        // take the inclined member away and joint 3 hangs from a single bar.
        StopCase{"HangingJoint", [](auto& p) { p.members.SetCell(2, 3, "1"), p.members.SetCell(2, 2, "2"); },
                 "cannot resist load along"},
        // Nothing stops the truss sliding along X.
        StopCase{"NoHorizontalSupport", [](auto& p) { p.joints.SetCell(1, 5, "0"); },
                 "cannot resist load along X"},
        // A restraint code other than exactly 1 is free.
        StopCase{"RestraintCodeTwo", [](auto& p) { p.joints.SetCell(1, 5, "2"); },
                 "cannot resist load along X"}),
    [](const ::testing::TestParamInfo<StopCase>& info) { return info.param.name; });

TEST(AnalysisStop, NewProjectStopsOnItsBlankMember) {
    const AnalysisOutcome outcome = Analyse(model::BuildModel(project::NewProject()));
    ASSERT_FALSE(outcome.results);
    // Both ends are blank: each is named once, by its end.
    EXPECT_NE(outcome.Message().find("Member 1 at end i names joint 0"), std::string::npos)
        << outcome.Message();
    EXPECT_NE(outcome.Message().find("Member 1 at end j names joint 0"), std::string::npos)
        << outcome.Message();
    EXPECT_NE(
        outcome.Message().find("Member 1 names material 0, which is not in the materials table (1 to 1)."),
        std::string::npos);
}

// Two collinear members meeting at a free joint leave it no stiffness across them: an exact zero.
TEST(AnalysisStop, CollinearMembersAtAFreeJoint) {
    const AnalysisOutcome outcome = Analyse(model::BuildModel(
        test::MakeProject({{0, 0, true, true}, {1, 0}, {2, 0, true, true}}, {{1, 2}, {2, 3}}, {{2, 0, -1}})));
    ASSERT_FALSE(outcome.results);
    EXPECT_EQ(outcome.causes.back(), "Joint 2 cannot resist load along Y: the truss is unstable there.");
}

// A parallelogram without a diagonal, turned so that no member lies along an axis: rounding turns its
// zero pivot into a tiny one, and the huge "displacements" that follow must never be reported.
TEST(AnalysisStop, MechanismDisturbedByRoundingIsStillAMechanism) {
    for (double degrees : {17.0, 30.0, 45.0, 61.3}) {
        const double a = degrees * std::acos(-1.0) / 180, c = std::cos(a), s = std::sin(a);
        auto at = [&](double x, double y) { return JointSpec{3 * (x * c - y * s), 3 * (x * s + y * c)}; };
        std::vector<JointSpec> joints = {at(0, 0), at(1, 0), at(1.3, 1), at(0.3, 1)};
        joints[0].fixedX = joints[0].fixedY = joints[1].fixedX = joints[1].fixedY = true;
        const AnalysisOutcome outcome = Analyse(model::BuildModel(
            test::MakeProject(joints, {{1, 2}, {2, 3}, {3, 4}, {4, 1}}, {{3, 1, 1}, {4, 0, -2}})));
        EXPECT_FALSE(outcome.results)
            << degrees << " degrees: smallest pivot " << outcome.smallestRelativePivot;
        ASSERT_FALSE(outcome.causes.empty());
        EXPECT_NE(outcome.causes.back().find("the truss is unstable there."), std::string::npos);
    }
}

TEST(AnalysisStop, ManyFaultsAreSummarised) {
    std::vector<test::MemberSpec> members(30, test::MemberSpec{0, 1});
    const AnalysisOutcome outcome =
        Analyse(model::BuildModel(test::MakeProject({{0, 0, true, true}}, members, {})));
    ASSERT_EQ(outcome.causes.size(), 21u);
    EXPECT_EQ(outcome.causes.back(), "... and 10 more problems of these kinds.");
}

// A stiff truss with a very soft member is not a mechanism: the pivot test must not refuse it.
TEST(AnalysisStop, IllConditionedButStableTrussSolves) {
    const AnalysisOutcome outcome = Analyse(model::BuildModel(test::MakeProject(
        {{0, 0, true, true}, {4, 0, false, true}, {2, 0.02}, {2, -3}},
        {{1, 3, 1, 1}, {3, 2, 1, 1}, {1, 2, 1, 1}, {3, 4, 2, 2}, {1, 4, 1, 1}, {4, 2, 1, 1}}, {{3, 0, -1}},
        {210, 0.01}, {10000, 10})));
    EXPECT_TRUE(outcome.results) << outcome.Message();
}

TEST(Analysis, EmptyProjectRunsToTheEnd) {
    const AnalysisOutcome outcome = Analyse(model::Model{});
    ASSERT_TRUE(outcome.results);
    EXPECT_EQ(outcome.results->MemberCount(), 0);
}

} // namespace
} // namespace varlen::analysis
