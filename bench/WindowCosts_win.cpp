// Measures what a split costs the window it runs in (run by bench/window-costs.sh under Wine): how
// long after the start its progress window appears, and how fast the user-interface thread answers
// another thread's messages meanwhile. Usage: window_costs [folder] [rounds] [GiB]
#include "BackgroundWork.h"
#include "TestSupport.h"
#include "engine/Split.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

using namespace zendra;
using Clock = std::chrono::steady_clock;

namespace {

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

BackgroundWork* watched = nullptr;
Clock::time_point started;
double shownAt = -1;

// The progress window's first appearance, polled on the user-interface thread (by a timer that
// Wine ticks every 10 ms at best: the figure has that grain).
void CALLBACK WatchWindow(HWND, UINT, UINT_PTR, DWORD) {
    if (shownAt < 0 && watched->WindowShown()) shownAt = MsSince(started);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::filesystem::path folder =
        argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path();
    const int rounds = argc > 2 ? std::stoi(argv[2]) : 3;
    const unsigned long long gib = argc > 3 ? std::stoull(argv[3]) : 2;
    tk::Form::SetOnLastUnloaded([] {});
    test::HostForm owner;
    owner.Show();
    test::Pump(100);
    const std::filesystem::path source = folder / L"window-costs.bin";
    std::ofstream(source, std::ios::binary).close();
    std::filesystem::resize_file(source, gib << 30); // sparse: only the pieces take room
    std::printf("split of %llu GiB (sparse) in pieces of 256 MiB, in a window\n", gib);
    for (int round = 1; round <= rounds; ++round) {
        BackgroundWork work(owner.Hwnd(), L"Splitting...");
        watched = &work;
        shownAt = -1;
        std::vector<double> replies;
        std::atomic<bool> asking{true}, ended{false};
        // Another thread asks the window for an answer every 5 ms while the split runs.
        std::thread prober([&] {
            for (DWORD_PTR result = 0; asking; Sleep(5)) {
                const auto at = Clock::now();
                if (SendMessageTimeoutW(owner.Hwnd(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result))
                    replies.push_back(MsSince(at));
            }
            ended = true;
        });
        std::string message;
        started = Clock::now();
        const UINT_PTR timer = SetTimer(nullptr, 0, 1, &WatchWindow);
        work.Run([&](const Progress& progress) {
            SplitToPieces(source, 0, message, 256 << 20, progress);
        });
        KillTimer(nullptr, timer);
        const double took = MsSince(started);
        asking = false;
        test::PumpUntil([&] { return ended.load(); }); // answers the prober's last question
        prober.join();
        std::sort(replies.begin(), replies.end());
        const double median = replies.empty() ? 0 : replies[replies.size() / 2];
        const double slowest = replies.empty() ? 0 : replies.back();
        std::printf(
            "  round %d: %.0f ms, progress window after %.0f ms, %zu replies: median %.2f ms, "
            "slowest %.1f ms\n",
            round, took, shownAt, replies.size(), median, slowest);
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().filename().wstring().starts_with(L"window-costs.bin."))
                std::filesystem::remove(entry.path());
    }
    std::filesystem::remove(source);
    owner.Unload();
    return 0;
}
