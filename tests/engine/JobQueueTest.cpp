#include "io/JobQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#endif

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
    std::promise<void> started, release;
    std::string ran;
    JobQueue flusher;
    flusher.Post([&, held = release.get_future().share()] {
        started.set_value();
        held.wait();
        ran += 'a';
    });
    // One job running and one waiting behind it: the one waiting is enough to leave a hint out.
    started.get_future().wait();
    flusher.Post([&] { ran += 'b'; });
    EXPECT_FALSE(flusher.Hint([&] { ran += 'c'; }));
    release.set_value();
    flusher.Wait();
    EXPECT_TRUE(flusher.Hint([&] { ran += 'd'; }));
    flusher.Wait();
    EXPECT_EQ(ran, "abd");
}

// What a job held (a file's handle) is let go before Wait or Drop returns, however long the job
// keeps it: the renames and removals that follow must find no file open. Each is called while a
// job runs (a slow disk's flush, kept running until let go) and must not return before it ends;
// the pause before letting go only gives a queue that returned early the time to show it.
TEST(JobQueue, WaitAndDropReturnOnlyOnceTheJobHasLetGo) {
    JobQueue flusher;
    for (const bool drop : {false, true}) {
        std::promise<void> started, release;
        std::shared_future<void> released = release.get_future().share();
        auto handle = std::make_shared<int>(0);
        const std::weak_ptr<int> held = handle;
        flusher.Post([&started, released, handle] {
            started.set_value();
            released.wait();
        });
        handle.reset();
        started.get_future().wait();
        std::atomic<bool> returned = false;
        std::thread caller([&] {
            if (drop)
                flusher.Drop();
            else
                flusher.Wait();
            returned = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(returned) << (drop ? "Drop" : "Wait") << " returned while the job ran";
        release.set_value();
        caller.join();
        EXPECT_TRUE(held.expired()) << (drop ? "Drop" : "Wait") << " returned holding its file";
    }
}

#ifndef _WIN32
// Where the system gives no thread, the jobs run as they are posted, and a failed one is still
// reported by Wait. The test runs again in a fresh process (no thread stacks kept from earlier
// tests to reuse) whose address space has no room for a thread's stack.
TEST(JobQueue, WithoutAThreadJobsRunAsPostedAndAFailureIsStillReported) {
    if (std::getenv("ZENDRA_TEST_NO_THREAD") == nullptr) {
        const pid_t child = fork();
        if (child == 0) {
            setenv("ZENDRA_TEST_NO_THREAD", "1", 1);
            execl("/proc/self/exe", "engine_tests", "--gtest_filter=JobQueue.WithoutAThread*",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        return;
    }
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t room = static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE) + (4 << 20);
    const rlimit limit{room, room};
    ASSERT_EQ(setrlimit(RLIMIT_AS, &limit), 0);
    std::string ran;
    JobQueue flusher;
    flusher.Post([&] { ran += 'a'; });
    ASSERT_EQ(ran, "a") << "the job ran on a thread of its own";
    flusher.Post([] { throw std::runtime_error("failed"); });
    flusher.Post([&] { ran += 'b'; });
    EXPECT_THROW(flusher.Wait(), std::runtime_error);
    EXPECT_EQ(ran, "ab");
}
#endif

// A run that fails ends at once, its flusher with it, whatever was still to flush: this must not
// hang, and the jobs that did run ran whole.
TEST(JobQueue, EndsWithJobsLeft) {
    std::string ran;
    {
        JobQueue flusher;
        for (int i = 0; i < 1000; ++i)
            flusher.Post([&] { ran += "xy"; });
    }
    EXPECT_EQ(ran.size() % 2, 0u);
}

} // namespace
} // namespace zendra
