// Routes chosen messages of an existing window to an iSubclass callback, before and after the
// window's previous procedure. Several subclassers may share a window and be attached and removed
// in any order: each window gets one dispatching procedure that runs its subclassers, latest
// first, down to the procedure that was installed before them.
#pragma once

#include "MessageTable.h"
#include "iSubclass.h"

#include <cstdint>
#include <memory>

namespace zendra {

class cSubclass {
  public:
    static constexpr std::int32_t kAllMessages = MessageTable::kAllMessages;
    // The When argument: this value selects the before table, any other the after table.
    static constexpr std::int32_t kBefore = 1;
    static constexpr std::int32_t kAfter = 2;

    cSubclass() noexcept = default;
    cSubclass(const cSubclass&) = delete;
    cSubclass& operator=(const cSubclass&) = delete;
    ~cSubclass() noexcept;

    // Attaches to hWnd, a window of the calling thread (detaching from a previous window first).
    // The callback is watched, not owned: once it has ended, the next selected message detaches
    // and returns 0.
    bool Subclass(HWND hWnd, iSubclass& Owner) noexcept;
    // Detaches; does nothing when not attached.
    void UnSubclass() noexcept;
    void AddMsg(std::int32_t uMsg, std::int32_t When);
    void DelMsg(std::int32_t uMsg, std::int32_t When) noexcept;
    // The previous procedure's result for these values (0 when not attached): lets Before
    // obtain it itself.
    LRESULT CallOrigWndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) const noexcept;

    HWND Window() const noexcept { return hWnd_; }
    const MessageTable& Table(std::int32_t When) const noexcept {
        return When == kBefore ? before_ : after_;
    }

  private:
    // One running dispatch of this object; tells it whether the object ended meanwhile.
    struct Frame {
        explicit Frame(cSubclass& self) noexcept : outer(self.frames_) { self.frames_ = this; }
        bool ended = false;
        Frame* outer;
    };

    static LRESULT CALLBACK Dispatch(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept;
    // Runs the subclassers of `window` below chain position `level`, then the procedure that
    // was there before them.
    static LRESULT Forward(HWND window, std::size_t level, HWND hWnd, UINT uMsg, WPARAM wParam,
                           LPARAM lParam) noexcept;
    bool Selects(UINT uMsg) const noexcept { return before_.Selects(uMsg) || after_.Selects(uMsg); }
    std::size_t Level() const noexcept;
    LRESULT Route(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept;
    void Detach() noexcept;
    // Drops a window's entry, leaving its subclassers detached.
    static void ForgetWindow(HWND hWnd) noexcept;
    // Drops the entries of windows that ended without our procedure seeing it.
    static void ForgetDeadWindows() noexcept;
    LRESULT DetachOrphaned() noexcept;
    MessageTable& TableFor(std::int32_t When) noexcept {
        return When == kBefore ? before_ : after_;
    }

    HWND hWnd_ = nullptr;
    iSubclass* owner_ = nullptr;
    std::weak_ptr<const void> ownerLife_;
    MessageTable before_;
    MessageTable after_;
    Frame* frames_ = nullptr;
};

} // namespace zendra
