// Trusses whose answers are known by hand (statics, virtual work, the classic three-bar problem) or by
// an independent dense elimination, run through the whole engine.
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

#include "analysis/analysis.h"
#include "model/model_file.h"
#include "test_support.h"

namespace varlen::analysis {
namespace {

using test::JointSpec;
using test::LoadSpec;
using test::MemberSpec;

struct Expected {
    int joint;
    double dx, dy; // mm
};
struct ExpectedForce {
    int member;
    double n; // kN, tension positive
};
struct ExpectedReaction {
    int joint;
    double rx, ry;
};

struct HandCase {
    const char* name;
    std::vector<JointSpec> joints;
    std::vector<MemberSpec> members;
    std::vector<LoadSpec> loads;
    std::vector<ExpectedForce> forces;
    std::vector<ExpectedReaction> reactions;
    std::vector<Expected> displacements;
};

class HandCheckedTruss : public ::testing::TestWithParam<HandCase> {};

TEST_P(HandCheckedTruss, MatchesTheHandCalculation) {
    const HandCase& c = GetParam();
    const Results r = test::AnalyseOrFail(test::MakeProject(c.joints, c.members, c.loads));
    ASSERT_EQ(r.MemberCount(), static_cast<int>(c.members.size()));
    for (const ExpectedForce& f : c.forces)
        EXPECT_NEAR(r.AxialForce(f.member), f.n, 1e-4) << "member " << f.member;
    for (const ExpectedReaction& e : c.reactions) {
        EXPECT_NEAR(r.SupportReaction(e.joint).rx, e.rx, 1e-4) << "joint " << e.joint;
        EXPECT_NEAR(r.SupportReaction(e.joint).ry, e.ry, 1e-4) << "joint " << e.joint;
    }
    for (const Expected& d : c.displacements) {
        EXPECT_NEAR(r.Dx(d.joint), d.dx, 1e-6) << "joint " << d.joint;
        EXPECT_NEAR(r.Dy(d.joint), d.dy, 1e-6) << "joint " << d.joint;
    }
}

// E 200 kN/mm², A 1000 mm² throughout: k = 200000 / L(mm) kN/mm.
INSTANTIATE_TEST_SUITE_P(
    Trusses, HandCheckedTruss,
    ::testing::Values(
        // One bar along X, k = 100 kN/mm: 10 kN stretches it 0.1 mm.
        HandCase{"BarAlongX",
                 {{0, 0, true, true}, {2, 0, false, true}},
                 {{1, 2}},
                 {{2, 10, 0}},
                 {{1, 10}},
                 {{1, -10, 0}, {2, 0, 0}},
                 {{1, 0, 0}, {2, 0.1, 0}}},
        // The same bar drawn from right to left: the sense of a member changes nothing.
        HandCase{"BarDrawnBackwards",
                 {{0, 0, true, true}, {2, 0, false, true}},
                 {{2, 1}},
                 {{2, 10, 0}},
                 {{1, 10}},
                 {{1, -10, 0}},
                 {{2, 0.1, 0}}},
        // Loads on a support go straight into it; two load lines on one joint add up.
        HandCase{"LoadsOnSupportAndSplitLoads",
                 {{0, 0, true, true}, {2, 0, false, true}},
                 {{1, 2}},
                 {{2, 4, 0}, {1, 7, -3}, {2, 6, 0}},
                 {{1, 10}},
                 {{1, -17, 3}, {2, 0, 0}},
                 {{2, 0.1, 0}}},
        // Symmetric two-bar truss, 10 kN down at the apex: P / (2 sin 45°) in each bar, compression;
        // by virtual work the apex drops 2 N n L / EA = 0.0707107 mm.
        HandCase{"SymmetricTwoBar",
                 {{0, 0, true, true}, {2, 0, true, true}, {1, 1}},
                 {{1, 3}, {2, 3}},
                 {{3, 0, -10}},
                 {{1, -7.0710678}, {2, -7.0710678}},
                 {{1, 5, 5}, {2, -5, 5}},
                 {{3, 0, -0.0707107}}},
        // Three-panel Pratt truss, 9 m by 3 m, by the method of joints.
        HandCase{"PrattThreePanels",
                 {{0, 0, true, true}, {3, 0}, {6, 0}, {9, 0, false, true}, {3, 3}, {6, 3}},
                 {{1, 2}, {2, 3}, {3, 4}, {5, 6}, {1, 5}, {6, 4}, {2, 5}, {3, 6}, {5, 3}},
                 {{2, 0, -30}, {3, 0, -60}},
                 {{1, 40},
                  {2, 40},
                  {3, 50},
                  {4, -50},
                  {5, -56.568542},
                  {6, -70.710678},
                  {7, 30},
                  {8, 50},
                  {9, 14.142136}},
                 {{1, 0, 40}, {4, 0, 50}},
                 {}},
        // Indeterminate: three bars from supports to one joint, the middle one vertical (L = 1 m), the
        // others at 45°. Compatibility gives N = P / (1 + 2 cos³45°) in the middle and
        // P cos²45° / (1 + 2 cos³45°) in the others; the joint drops N L / EA.
        HandCase{"ThreeBarIndeterminate",
                 {{-1, 1, true, true}, {0, 1, true, true}, {1, 1, true, true}, {0, 0}},
                 {{1, 4}, {2, 4}, {3, 4}},
                 {{4, 0, -100}},
                 {{1, 29.289322}, {2, 58.578644}, {3, 29.289322}},
                 {{1, -20.710678, 20.710678}, {2, 0, 58.578644}, {3, 20.710678, 20.710678}},
                 {{4, 0, -0.29289322}}}),
    [](const ::testing::TestParamInfo<HandCase>& info) { return info.param.name; });

// A joint restrained both ways without members stays solvable; a member between two fixed joints
// carries nothing.
TEST(Analysis, FullyRestrainedJointsGiveExactZeros) {
    const Results r = test::AnalyseOrFail(test::MakeProject(
        {{0, 0, true, true}, {1, 0, true, true}, {5, 5, true, true}}, {{1, 2}}, {{2, 5, 5}}));
    for (double v : r.MemberGlobalDisp(1))
        EXPECT_EQ(v, 0.0);
    for (double v : r.MemberLocalForce(1))
        EXPECT_EQ(v, 0.0);
    EXPECT_EQ(r.Dx(3), 0.0);
    EXPECT_EQ(r.SupportReaction(2).rx, -5.0);
}

// Member axes: a tension member pulls its ends together, so end i's member-axis force is negative and
// end j's positive; there is never a force across the member.
TEST(Analysis, TensionSignsAndNoTransverseForce) {
    const Results r = test::AnalyseOrFail(
        test::MakeProject({{0, 0, true, true}, {3, 4, false, true}}, {{1, 2}}, {{2, 30, 0}}));
    const EndVector local = r.MemberLocalForce(1);
    EXPECT_LT(local[0], 0);
    EXPECT_GT(local[2], 0);
    EXPECT_EQ(local[1], 0.0);
    EXPECT_EQ(local[3], 0.0);
    EXPECT_EQ(local[2], -local[0]);
    // A 3-4-5 bar with the end free along X only: N = Fx / cos = 30 / 0.6.
    EXPECT_NEAR(r.AxialForce(1), 50, 1e-9);
    const EndVector global = r.MemberGlobalForce(1);
    EXPECT_NEAR(global[2], 30, 1e-9);
    EXPECT_NEAR(global[3], 40, 1e-9);
}

// The specified method: the full matrix with every joint's two rows, supports by the zero-one method,
// Gauss-Jordan elimination in DOF order. The sparse solve must agree with it to rounding.
std::vector<double> DenseGaussJordan(const model::Model& in) {
    const std::size_t n = 2 * in.joints.size();
    std::vector<double> k(n * n, 0.0), p(n, 0.0);
    for (const auto& m : in.members) {
        const auto i = static_cast<std::size_t>(m.jointI) - 1, j = static_cast<std::size_t>(m.jointJ) - 1;
        const double dx = in.joints[j].x - in.joints[i].x, dy = in.joints[j].y - in.joints[i].y;
        const double l = std::sqrt(dx * dx + dy * dy), c = dx / l, s = dy / l;
        const double stiffness = in.materials[static_cast<std::size_t>(m.material) - 1].youngsModulus *
                                 in.sections[static_cast<std::size_t>(m.section) - 1].area / l;
        const double block[2][2] = {{c * c * stiffness, c * s * stiffness},
                                    {c * s * stiffness, s * s * stiffness}};
        const std::size_t ends[2] = {i, j};
        for (int a = 0; a < 2; ++a)
            for (int b = 0; b < 2; ++b)
                for (int r = 0; r < 2; ++r)
                    for (int q = 0; q < 2; ++q)
                        k[(2 * ends[a] + r) * n + 2 * ends[b] + q] += (a == b ? 1 : -1) * block[r][q];
    }
    for (const auto& l : in.loads) {
        p[2 * (static_cast<std::size_t>(l.joint) - 1)] += l.fx;
        p[2 * (static_cast<std::size_t>(l.joint) - 1) + 1] += l.fy;
    }
    for (std::size_t joint = 0; joint < in.joints.size(); ++joint) {
        for (std::size_t axis = 0; axis < 2; ++axis) {
            if (!(axis == 0 ? in.joints[joint].fixedX : in.joints[joint].fixedY)) continue;
            const std::size_t d = 2 * joint + axis;
            for (std::size_t r = 0; r < n; ++r)
                k[r * n + d] = k[d * n + r] = 0;
            k[d * n + d] = 1;
            p[d] = 0;
        }
    }
    for (std::size_t i = 0; i < n; ++i) {
        const double pivot = k[i * n + i];
        for (std::size_t j = 0; j < n; ++j)
            k[i * n + j] /= pivot;
        p[i] /= pivot;
        for (std::size_t r = 0; r < n; ++r) {
            if (r == i) continue;
            const double f = k[r * n + i];
            for (std::size_t j = i; j < n; ++j)
                k[r * n + j] -= f * k[i * n + j];
            p[r] -= f * p[i];
        }
    }
    return p;
}

class ExampleProject : public ::testing::TestWithParam<const char*> {};

TEST_P(ExampleProject, AgreesWithDenseEliminationAndBalances) {
    const model::ModelOutcome read =
        model::ReadModelFile(std::string(VARLEN_EXAMPLES_DIR) + "/" + GetParam() + ".sma");
    ASSERT_TRUE(read.model) << read.problem.ToString();
    const model::Model& in = *read.model;
    const AnalysisOutcome outcome = Analyse(in);
    ASSERT_TRUE(outcome.results) << outcome.Message();
    const Results& r = *outcome.results;

    const std::vector<double> dense = DenseGaussJordan(in);
    double largest = 0;
    for (double v : dense)
        largest = std::max(largest, std::fabs(v));
    for (int j = 1; j <= r.JointCount(); ++j) {
        EXPECT_NEAR(r.Dx(j), dense[2 * static_cast<std::size_t>(j) - 2], 1e-10 * largest) << "joint " << j;
        EXPECT_NEAR(r.Dy(j), dense[2 * static_cast<std::size_t>(j) - 1], 1e-10 * largest) << "joint " << j;
    }

    // Reactions balance the loads in both directions and in moment about the origin (kN, kN mm).
    double fx = 0, fy = 0, moment = 0, scale = 0;
    for (const auto& l : in.loads) {
        const auto j = static_cast<std::size_t>(l.joint) - 1;
        fx += l.fx;
        fy += l.fy;
        moment += in.joints[j].x * l.fy - in.joints[j].y * l.fx;
        scale += std::fabs(l.fx) + std::fabs(l.fy);
    }
    for (int j = 1; j <= r.JointCount(); ++j) {
        const Reaction reaction = r.SupportReaction(j);
        fx += reaction.rx;
        fy += reaction.ry;
        moment += in.JointAt(j).x * reaction.ry - in.JointAt(j).y * reaction.rx;
    }
    EXPECT_NEAR(fx, 0, 1e-9 * scale);
    EXPECT_NEAR(fy, 0, 1e-9 * scale);
    EXPECT_NEAR(moment, 0, 1e-9 * scale * 1e5);
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleProject,
                         ::testing::Values("roof_truss", "bridge_girder", "braced_frame", "simple_bridge"));

// The structure keeps the joints where the tables put them, in millimetres, for a drawing; a second
// load vector on it has reactions of its own. A reaction worked out from the first vector's loads, or
// co-ordinates left in metres, shows here.
TEST(Results, LoadVectorsShareOneStructure) {
    const Results first = test::AnalyseOrFail(test::MakeProject(
        {{0, 0, true, true}, {4, 0, false, true}, {2, 1.5}}, {{1, 2}, {2, 3}, {3, 1}}, {{3, 0, -10}}));
    const Structure& structure = first.GetStructure();
    ASSERT_EQ(structure.JointCount(), 3);
    EXPECT_EQ(structure.X(2), 4000);
    EXPECT_EQ(structure.Y(3), 1500);
    EXPECT_TRUE(structure.IsRestrainedY(2) && !structure.IsRestrainedX(2));
    EXPECT_NEAR(first.SupportReaction(1).ry + first.SupportReaction(2).ry, 10, 1e-12);

    // Unloaded but for a load straight into the pinned support: no member strains, the support takes it.
    const Results second(first.SharedStructure(), std::vector<double>(6, 0.0), {3, -7, 0, 0, 0, 0});
    EXPECT_EQ(&second.GetStructure(), &structure);
    EXPECT_EQ(second.AxialForce(1), 0);
    EXPECT_EQ(second.SupportReaction(1).rx, -3);
    EXPECT_EQ(second.SupportReaction(1).ry, 7);
    EXPECT_EQ(second.SupportReaction(2).ry, 0);
    EXPECT_NEAR(first.SupportReaction(1).ry + first.SupportReaction(2).ry, 10, 1e-12);
}

} // namespace
} // namespace varlen::analysis

namespace varlen::analysis {
namespace {

// A lattice large enough for the ordering to split the joint graph and order its halves side by side
// must give the same displacements as the plain AMD ordering; a wrong joining of the halves' orders
// would leave joints out or twice, which CHOLMOD refuses or which changes nothing but the answer. And
// the same truss must give the same answer to the last digit every time: METIS draws its random numbers
// from one state for the whole process, and two halves ordered at once in two threads took turns at it.
TEST(SparseOrdering, SplitMetisOrderingAgreesWithAmdAndRepeatsItself) {
    constexpr int n = 230; // 52,900 joints: above the size where the ordering splits
    model::Model in;
    for (int row = 0; row < n; ++row)
        for (int col = 0; col < n; ++col)
            in.joints.push_back({1000.0 * col, 1000.0 * row, row == 0, row == 0});
    in.materials = {{205}};
    in.sections = {{1000, std::nullopt, std::nullopt}};
    auto id = [](int row, int col) { return static_cast<double>(row * n + col + 1); };
    for (int row = 0; row < n; ++row)
        for (int col = 0; col < n; ++col) {
            if (col + 1 < n) in.members.push_back({id(row, col), id(row, col + 1), 1, 1});
            if (row + 1 < n) in.members.push_back({id(row, col), id(row + 1, col), 1, 1});
            if (row + 1 < n && col + 1 < n) in.members.push_back({id(row, col), id(row + 1, col + 1), 1, 1});
        }
    for (int col = 0; col < n; ++col)
        in.loads.push_back({id(n - 1, col), 1, -10});
    const AnalysisOutcome metis = Analyse(in, {Ordering::Metis});
    const AnalysisOutcome amd = Analyse(in, {Ordering::Amd});
    ASSERT_TRUE(metis.results && amd.results) << metis.Message() << amd.Message();
    double largest = 0;
    for (int j = 1; j <= n * n; ++j)
        largest = std::max(largest, std::fabs(amd.results->Dy(j)));
    for (int j = 1; j <= n * n; j += 97) {
        EXPECT_NEAR(metis.results->Dx(j), amd.results->Dx(j), 1e-9 * largest) << j;
        EXPECT_NEAR(metis.results->Dy(j), amd.results->Dy(j), 1e-9 * largest) << j;
    }
    const AnalysisOutcome again = Analyse(in, {Ordering::Metis});
    ASSERT_TRUE(again.results) << again.Message();
    int differing = 0;
    for (int j = 1; j <= n * n; ++j)
        if (again.results->Dx(j) != metis.results->Dx(j) || again.results->Dy(j) != metis.results->Dy(j))
            ++differing;
    EXPECT_EQ(differing, 0) << "joints whose displacements changed between two analyses of one truss";
}

} // namespace
} // namespace varlen::analysis
