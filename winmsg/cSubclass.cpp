#include "cSubclass.h"

#include "Window.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace zendra {
namespace {

// One subclassed window: the procedure it had before, and its subclassers, earliest first.
struct SubclassedWindow {
    HWND hWnd;
    WNDPROC previous;
    std::vector<cSubclass*> chain;
};

// Windows belong to the thread that created them, and so do their subclassers.
thread_local std::vector<std::unique_ptr<SubclassedWindow>> subclassedWindows;

// Each listed window carries its entry under this property. Our procedure misses the end of a
// window when other code bypasses it; the property then tells a dead entry (or one whose handle
// the system has given to a new window) from a live one.
constexpr wchar_t kEntryProperty[] = L"Zendra.cSubclass";

bool Alive(const SubclassedWindow& window) noexcept {
    return GetPropW(window.hWnd, kEntryProperty) == &window;
}

SubclassedWindow* Find(HWND hWnd) noexcept {
    for (const auto& window : subclassedWindows)
        if (window->hWnd == hWnd) return window.get();
    return nullptr;
}

WNDPROC CurrentProcedure(HWND hWnd) noexcept {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hWnd, GWLP_WNDPROC));
}

} // namespace

cSubclass::~cSubclass() noexcept {
    // A callback may end this object; the dispatches still on the stack must not touch it.
    for (Frame* frame = frames_; frame; frame = frame->outer)
        frame->ended = true;
    UnSubclass();
}

bool cSubclass::Subclass(HWND hWnd, iSubclass& Owner) noexcept {
    // Attaching elsewhere without detaching would leave the first window routed to this object;
    // the message tables stay as the caller set them.
    Detach();
    owner_ = &Owner;
    ownerLife_ = Owner.Watch();
    if (!IsWindow(hWnd) || GetWindowThreadProcessId(hWnd, nullptr) != GetCurrentThreadId())
        return false;
    ForgetDeadWindows();
    try {
        SubclassedWindow* window = Find(hWnd);
        if (!window) {
            // Everything that can fail comes before the window's procedure is replaced.
            auto fresh = std::make_unique<SubclassedWindow>(SubclassedWindow{hWnd, nullptr, {}});
            fresh->chain.reserve(1);
            subclassedWindows.reserve(subclassedWindows.size() + 1);
            if (!SetPropW(hWnd, kEntryProperty, fresh.get())) return false;
            fresh->previous = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Dispatch)));
            if (!fresh->previous) {
                RemovePropW(hWnd, kEntryProperty);
                return false;
            }
            window = fresh.get();
            subclassedWindows.push_back(std::move(fresh));
        }
        window->chain.push_back(this);
    } catch (...) {
        tk::ReportCurrentException(L"subclassing a window");
        return false;
    }
    hWnd_ = hWnd;
    return true;
}

void cSubclass::UnSubclass() noexcept {
    if (!hWnd_) return;
    before_.Remove(kAllMessages);
    after_.Remove(kAllMessages);
    Detach();
}

void cSubclass::Detach() noexcept {
    SubclassedWindow* window = Find(std::exchange(hWnd_, nullptr));
    if (!window) return;
    std::erase(window->chain, this);
    if (!window->chain.empty() || !Alive(*window)) return;
    // A procedure installed on top of ours still calls ours: then ours stays, passing messages
    // through, until the window ends.
    if (CurrentProcedure(window->hWnd) != &Dispatch) return;
    SetWindowLongPtrW(window->hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(window->previous));
    ForgetWindow(window->hWnd);
}

void cSubclass::ForgetWindow(HWND hWnd) noexcept {
    SubclassedWindow* gone = Find(hWnd);
    if (!gone) return;
    // A handle kept beyond this point could name another window.
    for (cSubclass* subclass : gone->chain)
        subclass->hWnd_ = nullptr;
    if (Alive(*gone)) RemovePropW(hWnd, kEntryProperty);
    std::erase_if(subclassedWindows, [gone](const auto& entry) { return entry.get() == gone; });
}

void cSubclass::ForgetDeadWindows() noexcept {
    for (std::size_t i = subclassedWindows.size(); i-- > 0;)
        if (!Alive(*subclassedWindows[i])) ForgetWindow(subclassedWindows[i]->hWnd);
}

void cSubclass::AddMsg(std::int32_t uMsg, std::int32_t When) {
    TableFor(When).Add(uMsg);
}

void cSubclass::DelMsg(std::int32_t uMsg, std::int32_t When) noexcept {
    TableFor(When).Remove(uMsg);
}

LRESULT cSubclass::CallOrigWndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) const noexcept {
    return hWnd_ ? Forward(hWnd_, Level(), hWnd_, uMsg, wParam, lParam) : 0;
}

std::size_t cSubclass::Level() const noexcept {
    const SubclassedWindow* window = Find(hWnd_);
    if (!window) return 0;
    const auto found = std::find(window->chain.begin(), window->chain.end(), this);
    return found == window->chain.end() ? 0
                                        : static_cast<std::size_t>(found - window->chain.begin());
}

LRESULT CALLBACK cSubclass::Dispatch(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept {
    const SubclassedWindow* window = Find(hWnd);
    if (!window) return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    const LRESULT result = Forward(hWnd, window->chain.size(), hWnd, uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY) ForgetWindow(hWnd);
    return result;
}

LRESULT cSubclass::Forward(HWND window, std::size_t level, HWND hWnd, UINT uMsg, WPARAM wParam,
                           LPARAM lParam) noexcept {
    const SubclassedWindow* subclassed = Find(window);
    if (!subclassed) {
        // Every subclasser left during this message and the procedure is back in place.
        const WNDPROC current = CurrentProcedure(window);
        return current && current != &Dispatch
                   ? CallWindowProcW(current, hWnd, uMsg, wParam, lParam)
                   : DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
    // The cost of an unselected message: a scan of each subclasser's tables, then the procedure.
    for (std::size_t i = std::min(level, subclassed->chain.size()); i-- > 0;) {
        cSubclass* subclass = subclassed->chain[i];
        if (subclass->Selects(uMsg)) return subclass->Route(hWnd, uMsg, wParam, lParam);
    }
    return CallWindowProcW(subclassed->previous, hWnd, uMsg, wParam, lParam);
}

LRESULT cSubclass::Route(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept {
    const HWND window = hWnd_;
    const std::size_t level = Level();
    Frame frame(*this);
    // Leaves the frame list as it was, unless the object has ended meanwhile.
    struct Leave {
        cSubclass& self;
        Frame& frame;
        ~Leave() {
            if (!frame.ended) self.frames_ = frame.outer;
        }
    } leave{*this, frame};

    bool bHandled = false;
    LRESULT lReturn = 0;
    if (before_.Selects(uMsg)) {
        if (ownerLife_.expired()) return DetachOrphaned();
        owner_->Before(bHandled, lReturn, hWnd, uMsg, wParam, lParam);
        if (bHandled) return lReturn;
    }
    // An object that ended in its callback no longer has a place in the chain: the message goes
    // on from the place it had, so the subclassers attached before it still see it.
    lReturn = Forward(window, frame.ended ? level : Level(), hWnd, uMsg, wParam, lParam);
    if (frame.ended || !after_.Selects(uMsg)) return lReturn;
    if (ownerLife_.expired()) return DetachOrphaned();
    owner_->After(lReturn, hWnd, uMsg, wParam, lParam);
    return lReturn;
}

LRESULT cSubclass::DetachOrphaned() noexcept {
    Detach();
    return 0;
}

} // namespace zendra
