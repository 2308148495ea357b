#include "BackgroundWork.h"
#include "TaskbarProgress.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <shlwapi.h>

#include <atomic>
#include <chrono>
#include <stdexcept>

using namespace zendra;

namespace {

using Clock = std::chrono::steady_clock;
using test::Since;

// A real click, without pumping: the work's own loop delivers it.
void ClickCentre(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
}

struct BackgroundWorkTest : ::testing::Test {
    void SetUp() override {
        tk::Form::SetOnLastUnloaded([] {});
        owner.Load();
        owner.CreateControl(button, 300, 300, 1500, 345);
        button.Click.Handle([this] { ++ownerClicks; });
        owner.Show();
        test::Pump(50);
        work = std::make_unique<BackgroundWork>(owner.Hwnd(), L"Splitting...");
        current = this;
    }
    // A job of `ms` milliseconds that reports every 10 ms and stops when told to.
    BackgroundWork::Job Sleeper(int ms) {
        return [this, ms](const Progress& progress) {
            const auto began = Clock::now();
            for (int i = 0; Since(began) < ms; ++i) {
                if (!progress(static_cast<std::uint64_t>(i), 1000)) return;
                Sleep(10);
            }
            finished = true;
        };
    }
    // `action` runs on the user-interface thread every 20 ms while the work runs.
    void RunWith(const BackgroundWork::Job& job, std::function<void(int elapsed)> action) {
        finished = false;
        onTick = std::move(action);
        start = Clock::now();
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, &Tick);
        work->Run(job);
        KillTimer(nullptr, timer);
        ranFor = Since(start);
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        current->onTick(Since(current->start));
    }
    bool WindowShown() {
        const HWND w = work->ProgressWindow().Hwnd();
        return w && IsWindowVisible(w);
    }

    static inline BackgroundWorkTest* current = nullptr;
    test::HostForm owner{6000, 4500, RGB(255, 255, 255)};
    aquaBtn button{L"cmdSplit"};
    std::unique_ptr<BackgroundWork> work;
    std::function<void(int)> onTick;
    Clock::time_point start;
    std::atomic<bool> finished{false};
    int ownerClicks = 0;
    int ranFor = 0;
};

TEST_F(BackgroundWorkTest, ShortWorkShowsNothingAndLeavesTheOwnerAsItWas) {
    SetFocus(button.Hwnd());
    bool ownerDisabled = false;
    RunWith(Sleeper(150), [&](int) { ownerDisabled = !IsWindowEnabled(owner.Hwnd()); });
    EXPECT_TRUE(finished);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_FALSE(work->WindowShown());
    EXPECT_FALSE(work->CancelRequested());
    EXPECT_TRUE(IsWindowEnabled(owner.Hwnd()));
    EXPECT_EQ(GetFocus(), button.Hwnd());
    EXPECT_THROW(work->Run([](const Progress&) { throw std::runtime_error("disk gone"); }),
                 std::runtime_error);
    EXPECT_TRUE(IsWindowEnabled(owner.Hwnd()));
}

TEST_F(BackgroundWorkTest, LongWorkShowsItsProgressOverTheDisabledOwnerWhichTakesNoInput) {
    int firstShown = -1;
    HWND windowOwner = nullptr;
    std::wstring bytes;
    // Another thread measures how long the user-interface thread takes to answer meanwhile.
    const int slowest = test::SlowestReply(owner.Hwnd(), [&] {
        RunWith(Sleeper(1500), [&](int elapsed) {
            if (!WindowShown()) return;
            if (firstShown < 0) {
                firstShown = elapsed;
                windowOwner = GetWindow(work->ProgressWindow().Hwnd(), GW_OWNER);
                ClickCentre(button.Hwnd()); // the owner's button, beside the window
            }
            bytes = work->ProgressWindow().lblBytes.Caption();
        });
    });
    EXPECT_TRUE(finished);
    EXPECT_GE(firstShown, 450);
    EXPECT_LE(firstShown, 800);
    EXPECT_EQ(windowOwner, owner.Hwnd());
    // By then the speed and the time left are known.
    EXPECT_NE(bytes.find(L" of "), std::wstring::npos) << bytes.c_str();
    EXPECT_NE(bytes.find(L"/s, about "), std::wstring::npos) << bytes.c_str();
    EXPECT_EQ(ownerClicks, 0);
    EXPECT_LT(slowest, 100);
    EXPECT_FALSE(work->ProgressWindow().IsLoaded());
    test::ClickAt(button.Hwnd(), 40, 10); // input reaches the owner again
    EXPECT_EQ(ownerClicks, 1);
    // Where the system has it (Windows 7, 6.1, and later) the taskbar button shows progress.
    if (LOBYTE(GetVersion()) * 10 + HIBYTE(LOWORD(GetVersion())) >= 61) {
        EXPECT_TRUE(TaskbarProgress(owner.Hwnd()).Available());
    }
}

TEST_F(BackgroundWorkTest, CancelButtonEscClosingTheWindowOrTheOwnerStopTheWork) {
    const std::function<void(frmProgress&)> ways[] = {
        [](frmProgress& window) { ClickCentre(window.cmdCancel.Hwnd()); },
        [](frmProgress& window) {
            SetForegroundWindow(window.Hwnd());
            keybd_event(VK_ESCAPE, 0, 0, 0);
            keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
        },
        [](frmProgress& window) { PostMessageW(window.Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); },
        [this](frmProgress&) { PostMessageW(owner.Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }};
    for (const auto& way : ways) {
        int askedAt = -1;
        RunWith(Sleeper(5000), [&](int elapsed) {
            if (askedAt < 0 && WindowShown()) {
                askedAt = elapsed;
                way(work->ProgressWindow());
            }
        });
        EXPECT_FALSE(finished);
        EXPECT_TRUE(work->CancelRequested());
        EXPECT_LT(ranFor - askedAt, 400);
        EXPECT_FALSE(work->ProgressWindow().IsLoaded());
        EXPECT_TRUE(owner.IsLoaded());
    }
}

TEST_F(BackgroundWorkTest, RequestToEndTheProgramCancelsAndIsPassedOn) {
    RunWith(Sleeper(5000), [](int) { PostQuitMessage(3); });
    EXPECT_FALSE(finished);
    EXPECT_TRUE(work->CancelRequested());
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

} // namespace

namespace zendra {

TEST(ProgressText, SizesAsTheSystemFormatsThemWithSpeedAndTimeLeft) {
    const auto size = [](std::uint64_t bytes) {
        wchar_t text[64]{};
        StrFormatByteSizeW(static_cast<LONGLONG>(bytes), text, 64);
        return std::wstring(text);
    };
    const std::uint64_t gb = 1ull << 30, mb = 1ull << 20;
    const std::wstring of = size(gb) + L" of " + size(4 * gb);
    EXPECT_EQ(ProgressText(gb, 4 * gb, 0), of); // no speed yet
    EXPECT_EQ(ProgressText(gb, 4 * gb, 100.0 * mb),
              of + L", " + size(100 * mb) + L"/s, about 31 s left");
    EXPECT_EQ(ProgressText(gb, 4 * gb, 0.5 * mb),
              of + L", " + size(mb / 2) + L"/s, about 1 h 42 min left");
    EXPECT_EQ(ProgressText(gb, 4 * gb, 8.0 * mb),
              of + L", " + size(8 * mb) + L"/s, about 6 min left");
    EXPECT_EQ(ProgressText(4 * gb, 4 * gb, 8.0 * mb), L"Finishing\u2026");

    // The speed follows the reports, smoothed; the tick count may wrap meanwhile.
    SpeedMeter meter;
    meter.Start(0, 4000000000u);
    meter.Add(50 * mb, 4000000000u + 500);
    meter.Add(50 * mb, 4000000000u + 1000); // stalled
    EXPECT_DOUBLE_EQ(meter.BytesPerSecond(), 70.0 * mb);
}

} // namespace zendra
