// varlen-cli on generated mechanisms: every one exits 1 naming a joint and a direction, and leaves the
// project and the results of an earlier run exactly as they were. The same trusses braced are analysed.
#include <cmath>
#include <numbers>
#include <random>

#include <gtest/gtest.h>

#include "cli_runner.h"
#include "project/project_file.h"

namespace varlen::test {
namespace {

// Four-bar linkages (pinned at two joints, three bars between them) with a random load on a free joint;
// `braced` adds the diagonal that makes each a stable triangle pair.
project::Project Linkage(std::mt19937& random, bool braced) {
    std::uniform_real_distribution<double> coordinate(-5, 5), force(-20, 20);
    std::vector<JointSpec> joints = {{coordinate(random), coordinate(random), true, true},
                                     {coordinate(random), coordinate(random), true, true},
                                     {coordinate(random), coordinate(random)},
                                     {coordinate(random), coordinate(random)}};
    std::vector<MemberSpec> members = {{1, 3}, {3, 4}, {4, 2}};
    if (braced) members.push_back({1, 4});
    return MakeProject(joints, members,
                       {{3, force(random), force(random)}, {4, force(random), force(random)}});
}

// A braced lattice turned through a random angle, with or without one column of panels left unbraced.
project::Project Lattice(std::mt19937& random, bool braced) {
    const int nx = 5, ny = 3;
    const double angle = std::uniform_real_distribution<double>(0, 2 * std::numbers::pi)(random);
    const int unbraced = static_cast<int>(random() % nx);
    std::vector<JointSpec> joints;
    for (int j = 0; j <= ny; ++j)
        for (int i = 0; i <= nx; ++i) {
            const bool pinned = i == 0 && (j == 0 || j == ny);
            joints.push_back({2.5 * (i * std::cos(angle) - j * std::sin(angle)),
                              2.5 * (i * std::sin(angle) + j * std::cos(angle)), pinned, pinned});
        }
    auto id = [&](int i, int j) { return j * (nx + 1) + i + 1; };
    std::vector<MemberSpec> members;
    for (int j = 0; j <= ny; ++j)
        for (int i = 0; i < nx; ++i)
            members.push_back({id(i, j), id(i + 1, j)});
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i <= nx; ++i)
            members.push_back({id(i, j), id(i, j + 1)});
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i)
            if (braced || i != unbraced) members.push_back({id(i, j), id(i + 1, j + 1)});
    return MakeProject(joints, members, {{id(nx, ny), 3, -10}});
}

TEST(CliMechanisms, AreRefusedWithExitOneAndTouchNothing) {
    std::mt19937 random(2026);
    TempDir dir;
    const auto project = dir / "truss.sma";
    const auto results = dir / "truss.txt";
    int refused = 0, analysed = 0;
    for (int trial = 0; trial < 40; ++trial) {
        const bool braced = trial % 4 == 3;
        const project::Project p = trial % 2 ? Lattice(random, braced) : Linkage(random, braced);
        ASSERT_TRUE(project::CreateSMA(p, project).ok);
        WriteFile(results, "results of an earlier run\r\n");
        const std::string before = ReadFile(project);
        const CliRun run = RunCli("analyse " + project.string() + " --quiet", dir);
        if (braced) {
            EXPECT_EQ(run.status, 0) << "trial " << trial << ": " << run.err;
            ++analysed;
            continue;
        }
        EXPECT_EQ(run.status, 1) << "trial " << trial << ": " << run.err;
        EXPECT_NE(run.err.find("cannot resist load along"), std::string::npos) << run.err;
        EXPECT_EQ(ReadFile(project), before);
        EXPECT_EQ(ReadFile(results), "results of an earlier run\r\n") << "trial " << trial;
        ++refused;
    }
    EXPECT_EQ(refused, 30);
    EXPECT_EQ(analysed, 10);
}

} // namespace
} // namespace varlen::test
