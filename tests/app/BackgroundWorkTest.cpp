#include "BackgroundWork.h"
#include "AppFixture.h"
#include "TaskbarProgress.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <shlwapi.h>

#include <atomic>
#include <stdexcept>

using namespace zendra;

namespace {

HANDLE WINAPI NoThread(SECURITY_ATTRIBUTES*, SIZE_T, LPTHREAD_START_ROUTINE, void*, DWORD, DWORD*) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

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
        clock.Use();
        work = std::make_unique<BackgroundWork>(owner.Hwnd(), L"Splitting...");
    }
    // A job held inside its progress hook: it reports 1 of 2 bytes, runs `meanwhile` on its own
    // thread while the user-interface thread handles its messages, then reports 2 of 2.
    BackgroundWork::Job Held(std::function<void()> meanwhile) {
        return [this, meanwhile](const Progress& progress) {
            if (!progress(1, 2)) return;
            meanwhile();
            if (progress(2, 2)) finished = true;
        };
    }
    bool WindowShown() {
        const HWND w = work->ProgressWindow().Hwnd();
        return w && IsWindowVisible(w);
    }

    test::TestClock clock; // outlives every timer of the test
    test::HostForm owner{6000, 4500, RGB(255, 255, 255)};
    aquaBtn button{L"cmdSplit"};
    std::unique_ptr<BackgroundWork> work;
    test::OnWindowThread ui;
    std::atomic<bool> finished{false};
    int ownerClicks = 0;
};

TEST_F(BackgroundWorkTest, ShortWorkShowsNothingAndLeavesTheOwnerAsItWas) {
    SetFocus(button.Hwnd());
    bool ownerDisabled = false;
    work->Run(Held([&] { ui.Run([&] { ownerDisabled = !IsWindowEnabled(owner.Hwnd()); }); }));
    clock.Advance(BackgroundWork::kShowAfterMs); // the delay ends after the work: nothing shows
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

TEST_F(BackgroundWorkTest, WithoutAThreadTheJobRunsHereWithoutTheWindowAndItsFailureComesOut) {
    const FARPROC real = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CreateThread");
    // Through void (*)(), which stands for any function type.
    const auto refused = reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&NoThread));
    test::SwapImport(real, refused);
    DWORD ranOn = 0;
    work->Run([&](const Progress& progress) {
        ranOn = GetCurrentThreadId();
        clock.Advance(BackgroundWork::kShowAfterMs);
        progress(1, 2);
    });
    const bool disabledAfter = !IsWindowEnabled(owner.Hwnd());
    EXPECT_THROW(work->Run([](const Progress&) { throw std::runtime_error("disk gone"); }),
                 std::runtime_error);
    test::SwapImport(refused, real);
    EXPECT_EQ(ranOn, GetCurrentThreadId());
    EXPECT_FALSE(work->WindowShown());
    EXPECT_FALSE(disabledAfter);
    EXPECT_TRUE(IsWindowEnabled(owner.Hwnd()));
}

TEST_F(BackgroundWorkTest,
       WorkPastItsDelayShowsItsProgressOverTheOwnerWhichAnswersButTakesNoInput) {
    bool answered = false, shownEarly = true, clickHandled = false;
    HWND shown = nullptr, windowOwner = nullptr;
    std::wstring bytes;
    work->Run(Held([&] {
        // Another thread's message is answered while the work runs.
        DWORD_PTR result = 0;
        answered =
            SendMessageTimeoutW(owner.Hwnd(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result) != 0;
        ui.Run([&] {
            clock.Advance(BackgroundWork::kShowAfterMs - 1);
            shownEarly = WindowShown();
            clock.Advance(1);
            if (WindowShown()) shown = work->ProgressWindow().Hwnd();
            windowOwner = GetWindow(shown, GW_OWNER);
            bytes = work->ProgressWindow().lblBytes.Caption();
        });
        ClickCentre(button.Hwnd()); // the owner's button, beside the window
        // Handled (and dropped) by the work's own loop before the work ends.
        clickHandled = test::WaitUntil([&] {
            DWORD pending = QS_INPUT;
            ui.Run([&] { pending = HIWORD(GetQueueStatus(QS_INPUT)); });
            return pending == 0;
        });
    }));
    EXPECT_TRUE(finished);
    EXPECT_TRUE(answered);
    EXPECT_FALSE(shownEarly);
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(work->WindowShown());
    EXPECT_EQ(windowOwner, owner.Hwnd());
    EXPECT_NE(bytes.find(L"1 bytes of 2 bytes"), std::wstring::npos) << bytes.c_str();
    EXPECT_TRUE(clickHandled);
    EXPECT_EQ(ownerClicks, 0);
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
        bool heard = false;
        work->Run(Held([&] {
            ui.Run([&] {
                clock.Advance(BackgroundWork::kShowAfterMs); // the window appears
                way(work->ProgressWindow());
            });
            // The work hears the request at its next report.
            heard = test::WaitUntil([&] { return work->CancelRequested(); });
        }));
        EXPECT_TRUE(heard);
        EXPECT_FALSE(finished);
        EXPECT_FALSE(work->ProgressWindow().IsLoaded());
        EXPECT_TRUE(owner.IsLoaded());
    }
}

TEST_F(BackgroundWorkTest, RequestToEndTheProgramCancelsAndIsPassedOn) {
    work->Run(Held([&] {
        ui.Run([] { PostQuitMessage(3); });
        test::WaitUntil([&] { return work->CancelRequested(); });
    }));
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
