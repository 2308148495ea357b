#include "TargetWindow.h"

namespace zendra::test {
namespace {

constexpr wchar_t kClassName[] = L"ZendraTestTarget";

bool IsTestMessage(UINT uMsg) {
    return uMsg >= WM_APP && uMsg < WM_APP + 256;
}

} // namespace

std::string Entry(const char* who, UINT uMsg, WPARAM wParam) {
    return std::string(who) + " " + std::to_string(uMsg - WM_APP) + " w" + std::to_string(wParam);
}

WNDPROC TargetWindow::Procedure() {
    return &Proc;
}

TargetWindow::TargetWindow() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc); // fails harmlessly once the class exists
    hWnd_ = CreateWindowExW(0, kClassName, L"target", WS_OVERLAPPEDWINDOW, 10, 10, 200, 150,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(hWnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TargetWindow::~TargetWindow() {
    if (IsWindow(hWnd_)) DestroyWindow(hWnd_);
}

LRESULT CALLBACK TargetWindow::Proc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (IsTestMessage(uMsg)) {
        if (auto* self = reinterpret_cast<TargetWindow*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA)))
            self->log.push_back(Entry("proc", uMsg, wParam));
        return ResultFor(uMsg, wParam);
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

} // namespace zendra::test
