// Sweeps every failure of the file layer over an operation (see SweepFaults).
#pragma once

#include "TempDir.h"
#include "engine/Replace.h"
#include "io/FaultHook.h"
#include "io/JobQueue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

namespace zendra::test {

// The folder's files, name by name, bytes and all (a folder in it by its name alone).
inline std::map<std::string, Bytes> Snapshot(const TempDir& dir) {
    std::map<std::string, Bytes> files;
    for (const std::string& name : dir.Names())
        files[name] = std::filesystem::is_directory(dir / name) ? Bytes() : ReadBytes(dir / name);
    return files;
}

// The order a commit's steps must keep, so that a crash at any moment leaves the older files or
// the new ones: each new file (a run's ".tmp") on the disk before it takes its name, and the
// folder's renames on the disk before the journal is marked done, and the mark after it.
inline void ExpectCommitOrder(const std::vector<std::string>& steps) {
    const auto word = [](const std::string& step, int n) {
        std::size_t at = 0;
        for (int i = 0; i < n; ++i)
            at = step.find(' ', at) + 1;
        return step.substr(at, step.find(' ', at) - at);
    };
    std::size_t lastRename = 0, marks = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps[i].rfind("rename ", 0) != 0) continue;
        const std::string from = word(steps[i], 1);
        if (from.ends_with(".tmp")) {
            const bool flushed = std::any_of(steps.begin(), steps.begin() + i, [&](const auto& s) {
                return s == "flush " + from || s == "flush the file system";
            });
            EXPECT_TRUE(flushed) << from << " renamed before it was flushed";
            lastRename = i;
        }
        if (from.ends_with(".undo") && word(steps[i], 2).ends_with(".done")) {
            ++marks;
            EXPECT_TRUE(std::find(steps.begin() + lastRename, steps.begin() + i,
                                  "flush the folder") != steps.begin() + i)
                << "the journal marked done before the renames were flushed";
            EXPECT_TRUE(std::find(steps.begin() + i, steps.end(), "flush the folder") !=
                        steps.end())
                << "the done mark is never flushed";
        }
    }
    EXPECT_EQ(marks, 1u) << "one commit, journalled";
}

// Every write, flush, rename and removal of `run` failed in turn (each sweep ends once the fault
// no longer strikes): the run fails, saying what it could not do (`message`, when given), with the
// folder as `prepare` left it, or succeeds with the folder exactly as a run without faults leaves
// it; either way the next run on `set` removes whatever the fault left behind and never undoes a
// success. The run without faults keeps the commit's order (ExpectCommitOrder) with its flushes
// held up as a slow disk would. Returns how many runs failed.
inline int SweepFaults(const TempDir& dir, const std::filesystem::path& set,
                       const std::function<void()>& prepare, const std::function<bool()>& run,
                       const std::string* message = nullptr) {
    prepare();
    const auto before = Snapshot(dir);
    std::vector<std::string> steps;
    RecordSteps(&steps);
    JobQueue::HoldJobs(std::chrono::milliseconds(5));
    EXPECT_TRUE(run());
    JobQueue::HoldJobs(std::chrono::milliseconds(0));
    RecordSteps(nullptr);
    ExpectCommitOrder(steps);
    const auto after = Snapshot(dir);
    // Under Wine every step costs a server round trip: a part of each sweep is enough there.
    const unsigned most = std::filesystem::path::preferred_separator == '\\' ? 12 : 1000;
    int failed = 0;
    for (const FaultPoint point :
         {FaultPoint::Write, FaultPoint::Flush, FaultPoint::Rename, FaultPoint::Remove}) {
        for (unsigned nth = 1; nth <= most; ++nth) {
            prepare();
            ArmFault(point, nth);
            const bool done = run();
            const bool struck = FaultCalls(point) >= nth;
            ArmFault(point, 0);
            { const Replacement next(set, {}); }
            const std::string where =
                "fault at call " + std::to_string(nth) + " of kind " +
                std::to_string(static_cast<int>(point));
            EXPECT_TRUE(done || struck) << where << ": failed without a fault";
            if (!done && message) {
                EXPECT_NE(message->find("Cannot "), std::string::npos)
                    << where << ": the failure names no step: " << *message;
            }
            EXPECT_EQ(Snapshot(dir), done ? after : before) << where;
            failed += !done;
            if (!struck) break;
        }
    }
    return failed;
}

} // namespace zendra::test
