// Sweeps every failure of the file layer over an operation (see SweepFaults).
#pragma once

#include "TempDir.h"
#include "engine/Replace.h"
#include "io/FaultHook.h"

#include <gtest/gtest.h>

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

// Every write, flush, rename and removal of `run` failed in turn (each sweep ends once the fault
// no longer strikes): the run fails with the folder as `prepare` left it, or succeeds with the
// folder as a run without faults leaves it; either way the next run on `set` removes whatever the
// fault left behind and never undoes a success. Returns how many runs failed.
inline int SweepFaults(const TempDir& dir, const std::filesystem::path& set,
                const std::function<void()>& prepare, const std::function<bool()>& run) {
    prepare();
    const auto before = Snapshot(dir);
    EXPECT_TRUE(run());
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
            EXPECT_EQ(Snapshot(dir), done ? after : before)
                << "fault at call " << nth << " of kind " << static_cast<int>(point);
            failed += !done;
            if (!struck) break;
        }
    }
    return failed;
}

} // namespace zendra::test
