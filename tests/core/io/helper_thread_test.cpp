// A helper thread runs its work beside its starter: on another core whenever the process has one, since
// a scheduler left to choose may keep both on one core, taking turns.
#include <atomic>
#include <sched.h>

#include <gtest/gtest.h>

#include "io/helper_thread.h"

namespace varlen::io {
namespace {

TEST(HelperThread, RunsOnAnotherCoreThanItsStarter) {
    cpu_set_t allowed;
    ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
    if (CPU_COUNT(&allowed) < 2) GTEST_SKIP() << "this process may use one core only";
    cpu_set_t helperCores;
    CPU_ZERO(&helperCores);
    int helperCore = -1;
    const int starterBefore = sched_getcpu();
    int starterAfter = -1;
    {
        HelperThread helper([&] {
            sched_getaffinity(0, sizeof helperCores, &helperCores);
            helperCore = sched_getcpu();
        });
        starterAfter = sched_getcpu();
    }
    // Every core but one, the starter's, and it runs on one of them.
    EXPECT_EQ(CPU_COUNT(&helperCores), CPU_COUNT(&allowed) - 1);
    EXPECT_TRUE(CPU_ISSET(helperCore, &helperCores));
    if (starterBefore == starterAfter) {
        EXPECT_FALSE(CPU_ISSET(starterBefore, &helperCores));
    }
    // The starter keeps every core it had.
    cpu_set_t starterCores;
    ASSERT_EQ(sched_getaffinity(0, sizeof starterCores, &starterCores), 0);
    EXPECT_TRUE(CPU_EQUAL(&starterCores, &allowed));
}

TEST(HelperThread, JoinWaitsForTheWorkOnceAndTheDestructorAfterIt) {
    std::atomic<int> runs{0};
    HelperThread helper([&] { ++runs; });
    helper.Join();
    EXPECT_EQ(runs, 1);
    helper.Join();
    EXPECT_EQ(runs, 1);
}

// Without a thread the work is still done, by whoever joins: the command line's JSON is written after
// the results file rather than lost, and the solver loads at its first use.
TEST(HelperThread, WithoutAThreadTheJoinerDoesTheWork) {
    RefuseHelperThreadsForTesting(true);
    std::atomic<int> runs{0};
    pthread_t ranOn{};
    {
        HelperThread joined([&] {
            ++runs;
            ranOn = pthread_self();
        });
        EXPECT_EQ(runs, 0);
        joined.Join();
        EXPECT_EQ(runs, 1);
        EXPECT_TRUE(pthread_equal(ranOn, pthread_self()));
        joined.Join();
        HelperThread dropped([&] { ++runs; });
    }
    RefuseHelperThreadsForTesting(false);
    EXPECT_EQ(runs, 2);
}

} // namespace
} // namespace varlen::io
