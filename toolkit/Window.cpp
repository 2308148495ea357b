#include "Window.h"

#include "Timer.h"
#include "base/Utf8.h"

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>

namespace zendra::tk {

void ReportLostFailure(const std::wstring& what) noexcept {
    try {
        OutputDebugStringW((L"Zendra: " + what + L"\n").c_str());
    } catch (...) {
        // Even the words could not be put together (no memory): the fixed ones still go out.
        OutputDebugStringW(L"Zendra: a failure was lost\n");
    }
}

void ReportCurrentException(const wchar_t* where) noexcept {
    try {
        throw;
    } catch (const std::exception& error) {
        ReportLostFailure(std::wstring(where) + L": " + WideFromUtf8(error.what()));
    } catch (...) {
        // Not one of ours or the library's: it has no words to write, only its place.
        ReportLostFailure(std::wstring(where) + L": an unknown exception");
    }
}

namespace {
bool keyboardUsed = false;
}

bool PassDialogKey(HWND child, WPARAM key) noexcept {
    ShowKeyboardCues();
    const HWND top = GetAncestor(child, GA_ROOT);
    return top != nullptr &&
           SendMessageW(top, kDialogKeyMessage, key, reinterpret_cast<LPARAM>(child)) != 0;
}

bool KeyboardCuesShown() noexcept {
    BOOL always = FALSE;
    return keyboardUsed || (SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &always, 0) && always);
}

void ShowKeyboardCues() noexcept {
    keyboardUsed = true;
}

Window::~Window() noexcept {
    for (Timer* timer : timers_) timer->owner_ = nullptr;
    if (hwnd_) {
        // The derived part is gone already: later messages must not reach HandleMessage.
        SetWindowLongPtrW(hwnd_.Get(), GWLP_USERDATA, 0);
        hwnd_.Reset();
    }
}

void Window::RegisterClassOnce(const wchar_t* className, UINT style, HCURSOR cursor) {
    static std::set<std::wstring> registered;
    if (registered.count(className) != 0) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = &Window::Thunk;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = cursor != nullptr ? cursor : LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        FailToMake("a window class");
    registered.insert(className);
}

void Window::CreateHandle(DWORD exStyle, const wchar_t* className, const wchar_t* title,
                          DWORD style, int x, int y, int width, int height, HWND parent) {
    if (hwnd_) throw std::logic_error("window already created");
    HWND hwnd = CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent,
                                nullptr, GetModuleHandleW(nullptr), this);
    if (hwnd == nullptr) FailToMake("a window");
    hwnd_.Reset(hwnd);
    for (Timer* timer : timers_) timer->Apply();
}

void Window::DestroyHandle() noexcept {
    if (hwnd_) DestroyWindow(hwnd_.Get()); // WM_NCDESTROY releases hwnd_
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultProc(message, wParam, lParam);
}

LRESULT Window::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return DefWindowProcW(Hwnd(), message, wParam, lParam);
}

void Window::DispatchTimer(WPARAM id) {
    // Copy: a tick handler may stop or destroy other timers.
    const auto timers = timers_;
    for (Timer* timer : timers) {
        if (reinterpret_cast<WPARAM>(timer) == id &&
            std::find(timers_.begin(), timers_.end(), timer) != timers_.end()) {
            timer->Fire();
            return;
        }
    }
}

LRESULT CALLBACK Window::Thunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        // Messages sent during creation already need the handle.
        self->hwnd_.Reset(hwnd);
    }
    if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_.Release();
        for (Timer* timer : self->timers_) timer->running_ = false;
        self->OnDestroyed();
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    try {
        if (message == WM_TIMER) {
            self->DispatchTimer(wParam);
            return 0;
        }
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the system's call of a window procedure. A failing handler
        // skips the rest of its work and the message loop goes on; a handler of the user's action
        // shows its own failure before this (the program's forms wrap each one), so what comes
        // here is a step of painting or layout with nobody to tell.
        ReportCurrentException(L"a window's message handler failed");
        return 0;
    }
}

} // namespace zendra::tk
