// Runs a long job on a worker thread while the calling user-interface thread goes on handling its
// messages, so the system never takes the program for hung. The owner window is disabled while
// the job runs (no input reaches it). When the job lasts longer than about half a second, a
// progress window (frmProgress) appears over the owner and the owner's taskbar button shows the
// progress where the system can; its Cancel button, Esc and closing it ask the job to stop: its
// Progress callback then returns false. Short jobs show nothing. The thread is the engine's Worker.
#pragma once

#include "ProgressText.h"
#include "frmProgress.h"
#include "io/Progress.h"

#include "Timer.h"
#include "Window.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zendra {

class TaskbarProgress;

class BackgroundWork : private tk::Window {
  public:
    // The job reports to the Progress it is given (from the worker thread, as often as it likes)
    // and stops early when it returns false.
    using Job = std::function<void(const Progress&)>;
    static constexpr unsigned kShowAfterMs = 500;
    // The progress window's text changes at most this often: readable, and it still moves.
    static constexpr unsigned kTextEveryMs = 250;

    // `owner` is the window the work belongs to; `caption` the progress window's title.
    BackgroundWork(HWND owner, std::wstring caption);
    ~BackgroundWork() noexcept override;

    // Runs the job and returns once it has ended; whatever the job throws comes out here. Call it
    // on the thread of `owner`. A system that refuses a thread gets the job run on this thread,
    // without the progress window. A request to end the program that arrives meanwhile cancels
    // the job and is passed on after it; a request to close the owner cancels the job and is
    // dropped.
    void Run(const Job& job);

    // Whether the user asked to cancel during the last Run. The job's own result says whether it
    // stopped: an engine call that finished before it heard the cancel succeeded.
    bool CancelRequested() const noexcept { return cancel_.load(); }
    // The work running on this thread now, if any: a thread runs one at a time.
    static BackgroundWork* Running() noexcept;
    // Asks the job to stop and waits until it has ended, its clean-up done: for a session that
    // ends while the work runs (the system ends the process once its windows have answered).
    void Stop() noexcept;

    // Whether the progress window appeared during the last Run.
    bool WindowShown() const noexcept { return shown_; }
    frmProgress& ProgressWindow() noexcept { return window_; }

  private:
    bool Report(std::uint64_t done, std::uint64_t total) noexcept;
    // Handles this thread's messages until the worker's thread, `thread`, has ended.
    void Wait(HANDLE thread);
    bool ClosesOwner(const MSG& msg) const noexcept;
    void Appear();
    void ShowProgress();
    void ShowText();
    void End() noexcept;
    // Whether the worker runs now: only then do its news, the show timer and a cancel count.
    bool Busy() const noexcept { return thread_ != nullptr; }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    HWND owner_;
    frmProgress window_;
    tk::Timer showTimer_{*this, kShowAfterMs, false};
    // Shows the text that was held back to keep to kTextEveryMs.
    tk::Timer textTimer_{*this, kTextEveryMs, false};
    SpeedMeter speed_;
    DWORD lastText_ = 0;
    std::unique_ptr<TaskbarProgress> taskbar_;
    const Job* job_ = nullptr;
    HANDLE thread_ = nullptr; // the worker's thread, while it runs (the Worker owns it)
    Progress report_;
    bool shown_ = false;

    // Shared with the worker thread.
    std::atomic<bool> cancel_{false};
    std::atomic<std::uint64_t> done_{0};
    std::atomic<std::uint64_t> total_{0};
    std::atomic<bool> reportPosted_{false};
    DWORD lastPost_ = 0; // the worker's own
};

} // namespace zendra
