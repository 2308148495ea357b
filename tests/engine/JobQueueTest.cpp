#include "io/JobQueue.h"

#include <gtest/gtest.h>

#include <future>
#include <stdexcept>
#include <string>

namespace zendra {
namespace {

// The commit relies on these: every job has run once Wait returns, in the order posted, and a
// failed flush is never lost to the jobs after it.
TEST(JobQueue, RunsJobsInOrderAndKeepsTheFirstFailure) {
    std::string ran;
    JobQueue flusher;
    flusher.Post([&] { ran += 'a'; });
    flusher.Post([&] { throw std::runtime_error("first"); });
    flusher.Post([&] { throw std::runtime_error("second"); });
    flusher.Post([&] { ran += 'b'; });
    try {
        flusher.Wait();
        FAIL() << "a failed job went unreported";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "first");
    }
    EXPECT_EQ(ran, "ab");
    EXPECT_THROW(flusher.Wait(), std::runtime_error);
}

// A hint to the system holds a file open: behind a slow disk, hints must not pile up.
TEST(JobQueue, LeavesOutAHintWhileAJobWaits) {
    std::promise<void> release;
    std::string ran;
    JobQueue flusher;
    flusher.Post([&, held = release.get_future().share()] {
        held.wait();
        ran += 'a';
    });
    flusher.Post([&] { ran += 'b'; });
    EXPECT_FALSE(flusher.Hint([&] { ran += 'c'; }));
    release.set_value();
    flusher.Wait();
    EXPECT_TRUE(flusher.Hint([&] { ran += 'd'; }));
    flusher.Wait();
    EXPECT_EQ(ran, "abd");
}

// A run that fails ends at once, its flusher with it, whatever was still to flush: this must not
// hang, and the jobs that did run ran whole.
TEST(JobQueue, EndsWithJobsLeft) {
    std::string ran;
    {
        JobQueue flusher;
        for (int i = 0; i < 1000; ++i) flusher.Post([&] { ran += "xy"; });
    }
    EXPECT_EQ(ran.size() % 2, 0u);
}

} // namespace
} // namespace zendra
