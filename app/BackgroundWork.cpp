#include "BackgroundWork.h"

#include "TaskbarProgress.h"
#include "Units.h"
#include "io/Worker.h"

#include <optional>

namespace zendra {

namespace {

constexpr wchar_t kClassName[] = L"ZendraBackgroundWork";
// Posted by the worker when it has news; at most one waits in the queue at a time.
constexpr UINT kProgressMessage = WM_APP + 1;
// The worker posts news at most this often (milliseconds): enough for the eye and the bar.
constexpr DWORD kReportInterval = 40;

// Only the user-interface thread runs work, one at a time.
BackgroundWork* running = nullptr;

} // namespace

BackgroundWork::BackgroundWork(HWND owner, std::wstring caption)
    : owner_(owner), window_(std::move(caption)) {
    RegisterClassOnce(kClassName, 0, nullptr);
    // A message-only window: it receives the worker's news and the show timer, and is never seen.
    CreateHandle(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE);
    report_ = [this](std::uint64_t done, std::uint64_t total) { return Report(done, total); };
    showTimer_.Tick.Handle([this] { Appear(); });
    textTimer_.Tick.Handle([this] {
        textTimer_.SetEnabled(false);
        if (Busy() && window_.IsLoaded()) ShowText();
    });
    // The window also asks when it is closed at the end of the work: that is no request.
    window_.CancelRequested.Handle([this] {
        if (Busy()) cancel_ = true;
    });
}

BackgroundWork::~BackgroundWork() noexcept = default;

void BackgroundWork::Run(const Job& job) {
    cancel_ = false;
    done_ = 0;
    total_ = 0;
    reportPosted_ = false;
    lastPost_ = GetTickCount();
    speed_.Start(0, lastPost_);
    lastText_ = lastPost_ - kTextEveryMs;
    shown_ = false;
    job_ = &job;
    const HWND focus = GetFocus();
    // Nonzero: the owner was disabled already, and stays so afterwards.
    const bool ownerWasEnabled = !EnableWindow(owner_, FALSE);
    // The system takes the focus from a disabled window itself but not from a control inside it,
    // where keys typed meanwhile would still arrive (Enter on a focused button starting the work
    // again): it leaves the window until the work has ended.
    const HWND top = GetAncestor(owner_, GA_ROOT);
    if (focus != nullptr && (focus == top || IsChild(top, focus))) SetFocus(nullptr);
    // Destroyed only after `restore` has waited for it; it keeps what the job throws.
    std::optional<Worker> worker;
    {
        // Whichever way this block is left, the worker has ended and the owner takes input again.
        struct Restore {
            BackgroundWork& work;
            bool ownerWasEnabled;
            HWND focus;
            ~Restore() {
                // A worker still running here means this thread left early: it is stopped.
                if (work.Busy() && WaitForSingleObject(work.thread_, 0) == WAIT_TIMEOUT)
                    work.Stop();
                work.End();
                // The owner first, so that the activation passes back to it and not to another
                // program.
                if (ownerWasEnabled) EnableWindow(work.owner_, TRUE);
                if (work.window_.IsLoaded()) work.window_.Unload();
                if (focus && IsWindow(focus)) SetFocus(focus);
                work.job_ = nullptr;
            }
        } restore{*this, ownerWasEnabled, focus};
        // The job hears a cancel through its progress hook, not through the worker's flag.
        worker.emplace([this](const std::atomic<bool>&) { (*job_)(report_); });
        // Without a thread, the worker has run the job already.
        if (const HANDLE thread = worker->ThreadHandle()) {
            thread_ = thread;
            running = this;
            showTimer_.SetEnabled(true);
            Wait(thread);
        }
    }
    worker->Finish();
}

bool BackgroundWork::Report(std::uint64_t done, std::uint64_t total) noexcept {
    done_ = done;
    total_ = total;
    const DWORD now = GetTickCount();
    if (now - lastPost_ >= kReportInterval && !reportPosted_.exchange(true)) {
        lastPost_ = now;
        PostMessageW(Hwnd(), kProgressMessage, 0, 0);
    }
    return !cancel_;
}

void BackgroundWork::Wait(HANDLE thread) {
    bool quit = false;
    WPARAM quitCode = 0;
    // Woken by the end of the worker or by any message; every message is handled at once.
    while (MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) !=
           WAIT_OBJECT_0) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = msg.wParam;
                cancel_ = true;
                continue;
            }
            if (window_.PreTranslate(msg)) continue;
            if (ClosesOwner(msg)) {
                // The owner stays while its work runs: closing it cancels the work instead.
                cancel_ = true;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

bool BackgroundWork::ClosesOwner(const MSG& msg) const noexcept {
    const bool close = msg.message == WM_CLOSE ||
                       (msg.message == WM_SYSCOMMAND && (msg.wParam & 0xFFF0) == SC_CLOSE);
    const HWND top = GetAncestor(owner_, GA_ROOT);
    return close && msg.hwnd && (msg.hwnd == top || IsChild(top, msg.hwnd));
}

BackgroundWork* BackgroundWork::Running() noexcept { return running; }

void BackgroundWork::Stop() noexcept {
    if (!Busy()) return;
    cancel_ = true;
    // The worker never waits for this thread (it only posts), so this wait ends.
    WaitForSingleObject(thread_, INFINITE);
}

void BackgroundWork::End() noexcept {
    thread_ = nullptr;
    running = nullptr;
    showTimer_.SetEnabled(false);
    textTimer_.SetEnabled(false);
    taskbar_.reset();
}

LRESULT BackgroundWork::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kProgressMessage) {
        reportPosted_ = false;
        if (Busy() && window_.IsLoaded()) ShowProgress();
        return 0;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

void BackgroundWork::ShowProgress() {
    const std::uint64_t done = done_, total = total_;
    window_.SetProgress(done, total);
    if (taskbar_) taskbar_->Set(done, total);
    speed_.Add(done, GetTickCount());
    if (GetTickCount() - lastText_ >= kTextEveryMs)
        ShowText();
    else if (!textTimer_.Enabled())
        textTimer_.SetEnabled(true);
}

void BackgroundWork::ShowText() {
    lastText_ = GetTickCount();
    window_.SetText(ProgressText(done_, total_, speed_.BytesPerSecond()));
}

void BackgroundWork::Appear() {
    showTimer_.SetEnabled(false);
    // A request to cancel before the window shows needs no window.
    if (!Busy() || cancel_) return;
    window_.Load();
    // Owned by the owner's top-level window: above it, without a taskbar button of its own.
    const HWND top = GetAncestor(owner_, GA_ROOT);
    SetWindowLongPtrW(window_.Hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(top));
    RECT over{};
    GetWindowRect(top, &over);
    const int left = (over.left + over.right) / 2 * tk::kTwipsPerPixel - window_.Width() / 2;
    const int topEdge = (over.top + over.bottom) / 2 * tk::kTwipsPerPixel - window_.Height() / 2;
    window_.Move(left, topEdge, window_.Width(), window_.Height());
    taskbar_ = std::make_unique<TaskbarProgress>(top);
    ShowProgress();
    window_.Show();
    shown_ = true;
}

} // namespace zendra
