// Generated families of trusses that must be refused (mechanisms, however rounding disguises them) and
// of stable trusses that must be solved whatever their proportions, the latter checked against an
// independent dense solve in extended precision. Every family is seeded, so a failure repeats.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include <Eigen/Dense>
#include <gtest/gtest.h>

#include "analysis/analysis.h"

namespace varlen::analysis {
namespace {

// A truss in the engine's own units (mm, kN/mm², mm², kN), each member with its own material and section.
struct Truss {
    struct Bar {
        int i, j;
        double e = 200, a = 1000;
    };
    std::vector<double> x, y;
    std::vector<std::pair<bool, bool>> fixed;
    std::vector<Bar> bars;
    std::vector<model::Load> loads;

    int Joint(double px, double py, bool fx = false, bool fy = false) {
        x.push_back(px), y.push_back(py), fixed.emplace_back(fx, fy);
        return static_cast<int>(x.size());
    }
    void Bar(int i, int j, double e = 200, double a = 1000) { bars.push_back({i, j, e, a}); }

    [[nodiscard]] model::Model Input() const {
        model::Model in;
        for (std::size_t j = 0; j < x.size(); ++j)
            in.joints.push_back({x[j], y[j], fixed[j].first, fixed[j].second});
        for (std::size_t m = 0; m < bars.size(); ++m) {
            in.materials.push_back({bars[m].e});
            in.sections.push_back({bars[m].a, std::nullopt, std::nullopt});
            const double number = static_cast<double>(m + 1);
            in.members.push_back(
                {static_cast<double>(bars[m].i), static_cast<double>(bars[m].j), number, number});
        }
        in.loads = loads;
        return in;
    }
};

double Uniform(std::mt19937_64& random, double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
}
double LogUniform(std::mt19937_64& random, double low, double high) {
    return std::exp(Uniform(random, std::log(low), std::log(high)));
}

// ---------------------------------------------------------------------------------------------------
// Mechanisms

void ExpectMechanism(const Truss& truss, const std::string& what, std::vector<int> movingJoints = {}) {
    const AnalysisOutcome outcome = Analyse(truss.Input());
    ASSERT_FALSE(outcome.results) << what << ": a mechanism was solved (geometric pivot "
                                  << outcome.smallestGeometryPivot << ", energy error " << outcome.energyError
                                  << ")";
    ASSERT_TRUE(outcome.reason == StopReason::Mechanism || outcome.reason == StopReason::Supports)
        << what << ": " << outcome.Message() << "\ngeometric pivot " << outcome.smallestGeometryPivot
        << ", equilibrium " << outcome.equilibriumError << ", energy " << outcome.energyError;
    EXPECT_NE(outcome.causes.back().find("cannot resist load along"), std::string::npos) << what;
    if (!movingJoints.empty()) {
        EXPECT_NE(std::find(movingJoints.begin(), movingJoints.end(), outcome.joint), movingJoints.end())
            << what << ": named joint " << outcome.joint << "\n"
            << outcome.Message();
    }
}

// Two pinned joints A and B and a chain of three bars A-C-D-B (sometimes a fourth, A-B, which joins
// two supports and helps nothing): one degree of freedom whatever the shape, and rounding turns its zero
// pivot into anything from 1e-16 to 1e-11 of the diagonal.
TEST(MechanismFamilies, RandomFourBarLinkagesAreRefused) {
    std::mt19937_64 random(20261206);
    for (int trial = 0; trial < 300; ++trial) {
        Truss t;
        const double scale = LogUniform(random, 100, 20000);
        auto point = [&] {
            return std::pair{Uniform(random, -1, 1) * scale, Uniform(random, -1, 1) * scale};
        };
        const auto [ax, ay] = point();
        const auto [bx, by] = point();
        const auto [cx, cy] = point();
        const auto [dx, dy] = point();
        const int a = t.Joint(ax, ay, true, true), b = t.Joint(bx, by, true, true);
        const int c = t.Joint(cx, cy), d = t.Joint(dx, dy);
        t.Bar(a, c, LogUniform(random, 1, 1000), LogUniform(random, 10, 10000));
        t.Bar(c, d, LogUniform(random, 1, 1000), LogUniform(random, 10, 10000));
        t.Bar(d, b, LogUniform(random, 1, 1000), LogUniform(random, 10, 10000));
        if (trial % 2 == 1) t.Bar(a, b);
        const double angle = Uniform(random, 0, 2 * std::numbers::pi);
        t.loads.push_back(
            {static_cast<double>(trial % 3 == 0 ? c : d), 10 * std::cos(angle), 10 * std::sin(angle)});
        ExpectMechanism(t, "linkage " + std::to_string(trial), {c, d});
    }
}

// A lattice of square panels, each braced by one diagonal but for one whole column of panels, held by
// pins at the two corners of its left edge: the part right of the unbraced column can slide up and down
// on the parallel horizontal bars. It has more members than free directions, so no count tells; turned
// through a random angle so that no bar lies along an axis and rounding disguises the zero pivot.
Truss LatticeWithUnbracedColumn(std::mt19937_64& random, int& unbraced, std::vector<int>& rightPart) {
    const int nx = std::uniform_int_distribution<int>(3, 8)(random);
    const int ny = std::uniform_int_distribution<int>(2, 5)(random);
    unbraced = std::uniform_int_distribution<int>(0, nx - 1)(random);
    const double panel = LogUniform(random, 200, 5000);
    const double angle = Uniform(random, 0, 2 * std::numbers::pi), c = std::cos(angle), s = std::sin(angle);
    const double ox = Uniform(random, -1e5, 1e5), oy = Uniform(random, -1e5, 1e5);
    Truss t;
    auto id = [&](int i, int j) { return j * (nx + 1) + i + 1; };
    for (int j = 0; j <= ny; ++j)
        for (int i = 0; i <= nx; ++i) {
            const double u = i * panel, v = j * panel;
            const bool pinned = i == 0 && (j == 0 || j == ny);
            t.Joint(ox + u * c - v * s, oy + u * s + v * c, pinned, pinned);
            if (i > unbraced) rightPart.push_back(id(i, j));
        }
    for (int j = 0; j <= ny; ++j)
        for (int i = 0; i < nx; ++i)
            t.Bar(id(i, j), id(i + 1, j));
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i <= nx; ++i)
            t.Bar(id(i, j), id(i, j + 1));
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            if (i == unbraced) continue;
            if (random() % 2)
                t.Bar(id(i, j), id(i + 1, j + 1));
            else
                t.Bar(id(i + 1, j), id(i, j + 1));
        }
    return t;
}

TEST(MechanismFamilies, LatticesWithAnUnbracedColumnAreRefused) {
    std::mt19937_64 random(8);
    for (int trial = 0; trial < 150; ++trial) {
        int unbraced = 0;
        std::vector<int> rightPart;
        Truss t = LatticeWithUnbracedColumn(random, unbraced, rightPart);
        const int loaded = rightPart[random() % rightPart.size()];
        t.loads.push_back({static_cast<double>(loaded), Uniform(random, -10, 10), Uniform(random, -10, 10)});
        const int freeDirections = 2 * static_cast<int>(t.x.size()) - 4;
        ASSERT_GT(static_cast<int>(t.bars.size()), freeDirections);
        ExpectMechanism(t,
                        "lattice " + std::to_string(trial) + " unbraced column " + std::to_string(unbraced),
                        rightPart);
    }
}

// The same lattice with no load at all is still a mechanism: a truss is refused for what it is, not
// for how it happens to be loaded.
TEST(MechanismFamilies, UnloadedMechanismIsRefused) {
    std::mt19937_64 random(99);
    for (int trial = 0; trial < 20; ++trial) {
        int unbraced = 0;
        std::vector<int> rightPart;
        const Truss t = LatticeWithUnbracedColumn(random, unbraced, rightPart);
        ExpectMechanism(t, "unloaded lattice " + std::to_string(trial));
    }
}

// A joint 0.0001 mm off the straight line of its two bars (what a CAD drawing's rounding produces) can
// only carry a load across the bars by moving a billion times as far: refused whether the bars lie along
// X, along Y or at any angle.
TEST(MechanismFamilies, JointAHairOffTheLineIsRefusedAtAnyAngle) {
    std::mt19937_64 random(1234);
    std::vector<double> angles = {0, 90, 180, 270, 30, 45, 60};
    for (int extra = 0; extra < 60; ++extra)
        angles.push_back(Uniform(random, 0, 360));
    for (double degrees : angles) {
        const double a = degrees * std::numbers::pi / 180;
        const double c = std::abs(degrees - 90) < 1e-9 || std::abs(degrees - 270) < 1e-9 ? 0.0 : std::cos(a);
        const double s = std::abs(degrees) < 1e-9 || std::abs(degrees - 180) < 1e-9 ? 0.0 : std::sin(a);
        const double left = LogUniform(random, 500, 10000), right = LogUniform(random, 500, 10000);
        const double off = 1e-4 * (random() % 2 ? 1 : -1);
        const double ox = Uniform(random, -5e4, 5e4), oy = Uniform(random, -5e4, 5e4);
        Truss t;
        const int p = t.Joint(ox, oy, true, true);
        const int q = t.Joint(ox + left * c - off * s, oy + left * s + off * c);
        const int r = t.Joint(ox + (left + right) * c, oy + (left + right) * s, true, true);
        t.Bar(p, q);
        t.Bar(q, r, LogUniform(random, 50, 500));
        t.loads.push_back({static_cast<double>(q), -5 * s + 1 * c, 5 * c + 1 * s});
        ExpectMechanism(t, "hair off the line at " + std::to_string(degrees) + " degrees", {q});
    }
}

// ---------------------------------------------------------------------------------------------------
// The supports as a whole

struct SupportCase {
    const char* name;
    std::vector<std::pair<bool, bool>> fixed; // for the four joints of a braced square
    const char* sentence;
};

class SupportsAsAWhole : public ::testing::TestWithParam<SupportCase> {};

TEST_P(SupportsAsAWhole, SayTheSupportsCannotHoldTheTruss) {
    Truss t;
    const auto& f = GetParam().fixed;
    t.Joint(0, 0, f[0].first, f[0].second), t.Joint(3000, 0, f[1].first, f[1].second);
    t.Joint(3000, 3000, f[2].first, f[2].second), t.Joint(0, 3000, f[3].first, f[3].second);
    t.Bar(1, 2), t.Bar(2, 3), t.Bar(3, 4), t.Bar(4, 1), t.Bar(1, 3);
    t.loads.push_back({3, 10, -10});
    const AnalysisOutcome outcome = Analyse(t.Input());
    ASSERT_FALSE(outcome.results);
    EXPECT_EQ(outcome.reason, StopReason::Supports);
    ASSERT_EQ(outcome.causes.size(), 2u) << outcome.Message();
    EXPECT_EQ(outcome.causes[0], GetParam().sentence);
    EXPECT_NE(outcome.causes[1].find("cannot resist load along"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Trusses, SupportsAsAWhole,
    ::testing::Values(
        SupportCase{"NothingAlongX",
                    {{false, true}, {false, true}, {false, false}, {false, false}},
                    "The supports as a whole cannot stop the truss moving: nothing restrains it along X."},
        SupportCase{"NothingAlongY",
                    {{true, false}, {false, false}, {false, false}, {true, false}},
                    "The supports as a whole cannot stop the truss moving: nothing restrains it along Y."},
        SupportCase{"OnePinOnly",
                    {{true, true}, {false, false}, {false, false}, {false, false}},
                    "The supports as a whole cannot stop the truss moving: every support acts along a line "
                    "through joint 1, so the truss can turn about it."},
        // A roller at joint 2 restraining X acts along y = 0, through the pin at joint 1.
        SupportCase{"RollerInLineWithThePin",
                    {{true, true}, {true, false}, {false, false}, {false, false}},
                    "The supports as a whole cannot stop the truss moving: every support acts along a line "
                    "through joint 1, so the truss can turn about it."},
        // X restrained along y = 0 at joint 1, Y along x = 3000 at joint 3: both lines pass through joint 2.
        SupportCase{"LinesMeetAtAnotherJoint",
                    {{true, false}, {false, false}, {false, true}, {false, false}},
                    "The supports as a whole cannot stop the truss moving: every support acts along a line "
                    "through joint 2, so the truss can turn about it."}),
    [](const ::testing::TestParamInfo<SupportCase>& info) { return info.param.name; });

TEST(SupportsAsAWhole, LinesMeetingAwayFromAnyJointNameThePointInMetres) {
    Truss t;
    t.Joint(0, 0, true, false), t.Joint(5000, 0), t.Joint(2000, 2000, false, true);
    t.Bar(1, 2), t.Bar(2, 3), t.Bar(3, 1);
    const AnalysisOutcome outcome = Analyse(t.Input());
    ASSERT_EQ(outcome.reason, StopReason::Supports) << outcome.Message();
    EXPECT_EQ(outcome.causes[0],
              "The supports as a whole cannot stop the truss moving: every support acts along a "
              "line through the point (2 m, 0 m), so the truss can turn about it.");
    // Joint 2 is farthest from the point and moves across the line to it, along Y.
    EXPECT_EQ(outcome.causes[1], "Joint 2 cannot resist load along Y: the truss is unstable there.");
}

// ---------------------------------------------------------------------------------------------------
// Stable trusses of any proportions

// Displacements (mm) of every joint by an assembly and dense LU solve of our own, in extended precision.
std::vector<long double> DenseDisplacements(const Truss& t) {
    using Matrix = Eigen::Matrix<long double, Eigen::Dynamic, Eigen::Dynamic>;
    using Vector = Eigen::Matrix<long double, Eigen::Dynamic, 1>;
    const auto n = static_cast<Eigen::Index>(2 * t.x.size());
    Matrix k = Matrix::Zero(n, n);
    Vector f = Vector::Zero(n);
    for (const auto& b : t.bars) {
        const long double dx = t.x[b.j - 1] - static_cast<long double>(t.x[b.i - 1]);
        const long double dy = t.y[b.j - 1] - static_cast<long double>(t.y[b.i - 1]);
        const long double length = std::sqrt(dx * dx + dy * dy);
        const long double axial[4] = {-dx / length, -dy / length, dx / length, dy / length};
        const Eigen::Index dof[4] = {2 * (b.i - 1), 2 * (b.i - 1) + 1, 2 * (b.j - 1), 2 * (b.j - 1) + 1};
        const long double stiffness = static_cast<long double>(b.e) * b.a / length;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                k(dof[r], dof[c]) += stiffness * axial[r] * axial[c];
    }
    for (const auto& l : t.loads) {
        f[2 * (static_cast<Eigen::Index>(l.joint) - 1)] += l.fx;
        f[2 * (static_cast<Eigen::Index>(l.joint) - 1) + 1] += l.fy;
    }
    for (std::size_t j = 0; j < t.x.size(); ++j)
        for (int axis = 0; axis < 2; ++axis) {
            if (!(axis == 0 ? t.fixed[j].first : t.fixed[j].second)) continue;
            const auto d = static_cast<Eigen::Index>(2 * j) + axis;
            k.row(d).setZero(), k.col(d).setZero();
            k(d, d) = 1, f[d] = 0;
        }
    const Vector x = k.fullPivLu().solve(f);
    return {x.data(), x.data() + n};
}

// A Henneberg truss: each new joint is tied by two bars, not in line, to two joints already placed, so
// the whole is stable however the joints lie; a few extra bars make it indeterminate. Bar lengths differ
// by up to `lengthRatio`; E A by up to `stiffnessRatio`.
Truss HennebergTruss(std::mt19937_64& random, int joints, double lengthRatio, double stiffnessRatio) {
    Truss t;
    t.Joint(0, 0, true, true);
    t.Joint(1000, Uniform(random, -300, 300), false, true);
    t.Bar(1, 2);
    const double spread = std::sqrt(lengthRatio);
    while (static_cast<int>(t.x.size()) < joints) {
        const int n = static_cast<int>(t.x.size());
        // The last joint or the one before it, and the joint before that: two joints already tied.
        const int a = n > 2 ? n - static_cast<int>(random() % 2) : n, b = a - 1;
        const double base = std::hypot(t.x[b - 1] - t.x[a - 1], t.y[b - 1] - t.y[a - 1]);
        // The new joint at a distance from a that may be far smaller or larger than the base, in a
        // direction that keeps the two new bars at least 20 degrees from being in line.
        const double r = base * LogUniform(random, 1 / spread, spread);
        const double angle = Uniform(random, 0, 2 * std::numbers::pi);
        const double px = t.x[a - 1] + r * std::cos(angle), py = t.y[a - 1] + r * std::sin(angle);
        const double ux = px - t.x[a - 1], uy = py - t.y[a - 1], vx = px - t.x[b - 1], vy = py - t.y[b - 1];
        const double sine = std::abs(ux * vy - uy * vx) / (std::hypot(ux, uy) * std::hypot(vx, vy));
        // Every bar between 1000 mm / spread and 1000 mm x spread, so the lengths differ by lengthRatio.
        const double shortest = std::min(std::hypot(ux, uy), std::hypot(vx, vy));
        const double longest = std::max(std::hypot(ux, uy), std::hypot(vx, vy));
        if (sine < std::sin(20 * std::numbers::pi / 180) || shortest < 1000 / spread ||
            longest > 1000 * spread)
            continue;
        const int p = t.Joint(px, py);
        t.Bar(a, p), t.Bar(b, p);
    }
    for (int extra = 0; extra < joints / 4; ++extra) {
        const int i = 1 + static_cast<int>(random() % t.x.size()),
                  j = 1 + static_cast<int>(random() % t.x.size());
        const double length = std::hypot(t.x[i - 1] - t.x[j - 1], t.y[i - 1] - t.y[j - 1]);
        if (i != j && length > 1000 / spread && length < 1000 * spread) t.Bar(i, j);
    }
    for (auto& bar : t.bars) {
        const double ea =
            200.0 * 1000.0 * LogUniform(random, 1 / std::sqrt(stiffnessRatio), std::sqrt(stiffnessRatio));
        if (random() % 2)
            bar.e = ea / bar.a; // moduli differing
        else
            bar.a = ea / bar.e; // or areas
    }
    for (int l = 0; l < 3; ++l)
        t.loads.push_back({static_cast<double>(2 + random() % (t.x.size() - 1)), Uniform(random, -20, 20),
                           Uniform(random, -20, 20)});
    return t;
}

struct Proportions {
    const char* name;
    double lengthRatio, stiffnessRatio;
};

class StableFamilies : public ::testing::TestWithParam<Proportions> {};

// A stable truss is never refused for its proportions, and what is reported is what an exact solve
// gives: displacements to a millionth of the largest, member forces to a hundred-thousandth (a stiff
// member's force is a difference of large displacements, which double precision holds to about that).
TEST_P(StableFamilies, SolveAndAgreeWithAnIndependentDenseSolve) {
    std::mt19937_64 random(77);
    for (int trial = 0; trial < 60; ++trial) {
        const Truss t =
            HennebergTruss(random, 8 + trial % 25, GetParam().lengthRatio, GetParam().stiffnessRatio);
        const AnalysisOutcome outcome = Analyse(t.Input());
        ASSERT_TRUE(outcome.results) << "trial " << trial << ": " << outcome.Message() << "\ngeometric pivot "
                                     << outcome.smallestGeometryPivot << ", equilibrium "
                                     << outcome.equilibriumError << ", energy " << outcome.energyError;
        const std::vector<long double> exact = DenseDisplacements(t);

        long double largestX = 0, largestN = 0;
        std::vector<long double> exactN;
        for (const auto& b : t.bars) {
            const long double dx = t.x[b.j - 1] - static_cast<long double>(t.x[b.i - 1]);
            const long double dy = t.y[b.j - 1] - static_cast<long double>(t.y[b.i - 1]);
            const long double length = std::sqrt(dx * dx + dy * dy);
            const long double stretch = (dx * (exact[2 * b.j - 2] - exact[2 * b.i - 2]) +
                                         dy * (exact[2 * b.j - 1] - exact[2 * b.i - 1])) /
                                        length;
            exactN.push_back(static_cast<long double>(b.e) * b.a / length * stretch);
            largestN = std::max(largestN, std::abs(exactN.back()));
        }
        for (long double v : exact)
            largestX = std::max(largestX, std::abs(v));
        const Results& r = *outcome.results;
        for (int j = 1; j <= r.JointCount(); ++j) {
            EXPECT_NEAR(r.Dx(j), static_cast<double>(exact[2 * j - 2]), 1e-6 * static_cast<double>(largestX))
                << trial;
            EXPECT_NEAR(r.Dy(j), static_cast<double>(exact[2 * j - 1]), 1e-6 * static_cast<double>(largestX))
                << trial;
        }
        for (int m = 1; m <= r.MemberCount(); ++m)
            EXPECT_NEAR(r.AxialForce(m), static_cast<double>(exactN[m - 1]),
                        1e-5 * static_cast<double>(largestN))
                << "trial " << trial << " member " << m;
    }
}

INSTANTIATE_TEST_SUITE_P(Trusses, StableFamilies,
                         ::testing::Values(Proportions{"Ordinary", 10, 10},
                                           Proportions{"Stiffnesses1e8", 10, 1e8},
                                           Proportions{"Lengths1e4", 1e4, 10}, Proportions{"Both", 1e4, 1e8}),
                         [](const ::testing::TestParamInfo<Proportions>& info) { return info.param.name; });

// A determinate chain along X (rollers keep it in line) whose two moduli differ by 1e12: the soft bar
// carries the load to the support, the stiff one hangs on. Not a mechanism, whatever the rounding.
TEST(StableTrusses, DeterminateChainWithModuliApartBy1e12IsNotCalledUnstable) {
    for (bool stiffFirst : {true, false}) {
        Truss t;
        t.Joint(0, 0, true, true), t.Joint(1000, 0, false, true), t.Joint(2000, 0, false, true);
        t.Bar(1, 2, stiffFirst ? 2e8 : 2e-4), t.Bar(2, 3, stiffFirst ? 2e-4 : 2e8);
        t.loads.push_back({3, 5, 0});
        const AnalysisOutcome outcome = Analyse(t.Input());
        EXPECT_NE(outcome.reason, StopReason::Mechanism) << outcome.Message();
        EXPECT_EQ(outcome.Message().find("unstable"), std::string::npos) << outcome.Message();
        if (outcome.results) {
            // Right to the tolerance every answer is held to: 1e-5 of the largest force.
            EXPECT_NEAR(outcome.results->AxialForce(1), 5, 5e-5);
            EXPECT_NEAR(outcome.results->AxialForce(2), 5, 5e-5);
        } else {
            EXPECT_EQ(outcome.reason, StopReason::Unreliable);
            EXPECT_NE(outcome.Message().find("cannot be solved reliably"), std::string::npos);
        }
    }
}

// Stiffnesses so far apart that double precision holds no answer: a chain along X whose soft bar lets
// the joints move 1e20 times as far as the stiff bar stretches, so the stiff bar's stretch is lost in
// the last digit of its ends' displacements. Refused as unreliable, naming the two extreme members,
// never as unstable.
TEST(StableTrusses, HopelessStiffnessRatioIsRefusedAsUnreliableNamingTheMembers) {
    Truss t;
    t.Joint(0, 0, true, true), t.Joint(1000, 0, false, true), t.Joint(2000, 0, false, true);
    t.Bar(1, 2, 2e-8), t.Bar(2, 3, 2e12);
    t.loads.push_back({3, 5, 0});
    const AnalysisOutcome outcome = Analyse(t.Input());
    ASSERT_FALSE(outcome.results);
    EXPECT_EQ(outcome.reason, StopReason::Unreliable) << outcome.Message();
    EXPECT_EQ(outcome.Message().find("unstable"), std::string::npos);
    EXPECT_NE(outcome.Message().find("cannot be solved reliably"), std::string::npos) << outcome.Message();
    EXPECT_NE(outcome.Message().find("(member 1)"), std::string::npos) << outcome.Message();
    EXPECT_NE(outcome.Message().find("(member 2)"), std::string::npos) << outcome.Message();
    EXPECT_EQ(outcome.members, (std::vector<int>{1, 2}));
}

// ---------------------------------------------------------------------------------------------------
// Outputs that never lie

// The vertical of a loaded Warren-like triangle pair carries nothing; rounding would make it +-1e-13
// kN, and the sign of noise would send it to the strut check. It is exactly zero.
TEST(ResultsNoise, AZeroForceMemberIsExactlyZero) {
    Truss t;
    const double c = std::cos(0.3), s = std::sin(0.3);
    auto at = [&](double u, double v) { return std::pair{u * c - v * s, u * s + v * c}; };
    auto add = [&](double u, double v, bool fx = false, bool fy = false) {
        const auto [px, py] = at(u, v);
        return t.Joint(px, py, fx, fy);
    };
    const int a = add(0, 0, true, true), b = add(3000, 0, true, true), m = add(1500, 0),
              top = add(1500, 1700);
    t.Bar(a, m), t.Bar(m, b), t.Bar(m, top), t.Bar(a, top), t.Bar(top, b);
    t.loads.push_back({static_cast<double>(top), 3 * -s, -10 * c});
    const AnalysisOutcome outcome = Analyse(t.Input());
    ASSERT_TRUE(outcome.results) << outcome.Message();
    // Members 1 and 2 lie between supports and carry nothing either; member 3 is the idle vertical.
    for (int member : {1, 2, 3}) {
        EXPECT_EQ(outcome.results->AxialForce(member), 0.0) << member;
        for (double v : outcome.results->MemberGlobalForce(member))
            EXPECT_EQ(v, 0.0) << member;
    }
    EXPECT_NE(outcome.results->AxialForce(4), 0.0);
}

// A progress display hears every step once, in order.
TEST(AnalysisPhases, AreToldInOrder) {
    Truss t;
    t.Joint(0, 0, true, true), t.Joint(3000, 0, false, true), t.Joint(1500, 2000);
    t.Bar(1, 2), t.Bar(2, 3), t.Bar(3, 1);
    t.loads.push_back({3, 0, -10});
    std::vector<std::string> heard;
    AnalysisOptions options;
    options.onPhase = [&](AnalysisPhase phase) { heard.emplace_back(PhaseName(phase)); };
    ASSERT_TRUE(Analyse(t.Input(), options).results);
    EXPECT_EQ(heard, (std::vector<std::string>{"assembling", "ordering", "factorising", "solving"}));
}

TEST(Overflow, ModulusOf1eMinus307IsRefusedAsTooSoftNotForMemory) {
    Truss t;
    t.Joint(0, 0, true, true), t.Joint(3000, 0, false, true), t.Joint(1500, 2000);
    t.Bar(1, 2, 1e-307), t.Bar(2, 3, 1e-307), t.Bar(3, 1, 1e-307);
    t.loads.push_back({3, 0, -10});
    const AnalysisOutcome outcome = Analyse(t.Input());
    ASSERT_FALSE(outcome.results);
    EXPECT_EQ(outcome.reason, StopReason::Overflow) << outcome.Message();
    EXPECT_EQ(outcome.Message().find("memory"), std::string::npos);
    EXPECT_NE(outcome.Message().find("is too large to be represented"), std::string::npos)
        << outcome.Message();
    EXPECT_NE(outcome.Message().find("member 1 has E A / L"), std::string::npos) << outcome.Message();
}

} // namespace
} // namespace varlen::analysis
