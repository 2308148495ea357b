#include "cSubclass.h"

#include <commctrl.h>

#include <utility>

namespace zendra {

cSubclass::~cSubclass() noexcept {
    // A callback may end this object; the dispatches still on the stack must not touch it.
    for (Frame* frame = frames_; frame; frame = frame->outer) frame->ended = true;
    UnSubclass();
}

bool cSubclass::Subclass(HWND hWnd, iSubclass& Owner) noexcept {
    // Attaching elsewhere without detaching would leave the first window routed to this object.
    UnSubclass();
    owner_ = &Owner;
    ownerLife_ = Owner.Watch();
    if (!SetWindowSubclass(hWnd, &Dispatch, reinterpret_cast<UINT_PTR>(this),
                           reinterpret_cast<DWORD_PTR>(this)))
        return false;
    hWnd_ = hWnd;
    return true;
}

void cSubclass::UnSubclass() noexcept {
    if (!hWnd_) return;
    before_.Remove(kAllMessages);
    after_.Remove(kAllMessages);
    RemoveWindowSubclass(std::exchange(hWnd_, nullptr), &Dispatch,
                         reinterpret_cast<UINT_PTR>(this));
}

void cSubclass::AddMsg(std::int32_t uMsg, std::int32_t When) { TableFor(When).Add(uMsg); }

void cSubclass::DelMsg(std::int32_t uMsg, std::int32_t When) noexcept {
    TableFor(When).Remove(uMsg);
}

LRESULT cSubclass::CallOrigWndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) const noexcept {
    return hWnd_ ? DefSubclassProc(hWnd_, uMsg, wParam, lParam) : 0;
}

LRESULT CALLBACK cSubclass::Dispatch(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR self) noexcept {
    auto& object = *reinterpret_cast<cSubclass*>(self);
    // The common case, kept free of allocations and calls into the callback.
    if (!object.before_.Selects(uMsg) && !object.after_.Selects(uMsg) && uMsg != WM_NCDESTROY)
        return DefSubclassProc(hWnd, uMsg, wParam, lParam);
    return object.Route(hWnd, uMsg, wParam, lParam);
}

LRESULT cSubclass::Route(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept {
    Frame frame(*this);
    // On the way out, unless the object has ended meanwhile: leaves the frame list as it was,
    // and detaches from a window that is gone after this message (its handle could later name
    // another window).
    struct Leave {
        cSubclass& self;
        Frame& frame;
        bool lastMessage;
        ~Leave() {
            if (frame.ended) return;
            self.frames_ = frame.outer;
            if (lastMessage) self.UnSubclass();
        }
    } leave{*this, frame, uMsg == WM_NCDESTROY};

    bool bHandled = false;
    LRESULT lReturn = 0;
    if (before_.Selects(uMsg)) {
        if (ownerLife_.expired()) return DetachOrphaned();
        owner_->Before(bHandled, lReturn, hWnd, uMsg, wParam, lParam);
        if (bHandled) return lReturn;
        if (frame.ended) return DefSubclassProc(hWnd, uMsg, wParam, lParam);
    }
    lReturn = DefSubclassProc(hWnd, uMsg, wParam, lParam);
    if (frame.ended) return lReturn;
    if (after_.Selects(uMsg)) {
        if (ownerLife_.expired()) return DetachOrphaned();
        owner_->After(lReturn, hWnd, uMsg, wParam, lParam);
    }
    return lReturn;
}

LRESULT cSubclass::DetachOrphaned() noexcept {
    if (hWnd_)
        RemoveWindowSubclass(std::exchange(hWnd_, nullptr), &Dispatch,
                             reinterpret_cast<UINT_PTR>(this));
    return 0;
}

} // namespace zendra
