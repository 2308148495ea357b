#include "cWindow.h"

#include "Handles.h"
#include "Window.h"

#include <algorithm>
#include <vector>

namespace zendra {
namespace {

HINSTANCE Instance() noexcept {
    return GetModuleHandleW(nullptr);
}

// Which object a registered class belongs to. All windows of a class live on the thread that
// runs the user interface; the list holds one entry per live cWindow class.
struct ClassOwner {
    ATOM atom;
    cWindow* object;
};
thread_local std::vector<ClassOwner> classOwners;

// Classes whose object ended while one of their windows was still being destroyed (a callback
// may end the object then): the system keeps such a class until it is asked again.
thread_local std::vector<ATOM> classesLeftOver;

void UnregisterLeftOverClasses() noexcept {
    std::erase_if(classesLeftOver, [](ATOM atom) {
        return UnregisterClassW(MAKEINTATOM(atom), Instance()) != FALSE;
    });
}

cWindow* ObjectOfClass(ATOM atom) noexcept {
    for (const auto& entry : classOwners)
        if (entry.atom == atom) return entry.object;
    return nullptr;
}

const wchar_t* StandardClassName(int number) noexcept {
    static constexpr const wchar_t* names[] = {L"BUTTON",         L"COMBOBOX",  L"EDIT",
                                               L"LISTBOX",        L"MDICLIENT", L"RichEdit",
                                               L"RICHEDIT_CLASS", L"SCROLLBAR", L"STATIC"};
    return number >= 1 && number <= 9 ? names[number - 1] : nullptr;
}

} // namespace

cWindow::~cWindow() noexcept {
    // A callback may end this object while it destroys a window: those calls must not touch it.
    for (Destruction* frame = destroying_; frame; frame = frame->outer)
        frame->ended = true;
    destroying_ = nullptr;
    // The messages of the destruction reach no callback.
    table_.Remove(kAllMessages);
    while (!record_.empty()) {
        const HWND hWnd = record_.back();
        record_.pop_back();
        Destroy(hWnd);
    }
    if (atom_) {
        if (!UnregisterClassW(MAKEINTATOM(atom_), Instance())) {
            try {
                classesLeftOver.push_back(atom_);
            } catch (...) {
                tk::ReportCurrentException(L"a window class left registered");
            }
        }
        std::erase_if(classOwners,
                      [this](const ClassOwner& entry) { return entry.object == this; });
    }
}

void cWindow::Owner(iWindow& NewOwner) noexcept {
    owner_ = &NewOwner;
    ownerLife_ = NewOwner.Watch();
}

bool cWindow::WindowClassRegister(const std::wstring& sClass, COLORREF colBackground, UINT Style,
                                  HCURSOR hCursor, HICON hIcon, HICON hIconSm, int cbClassExtra,
                                  int cbWndExtra) {
    if (atom_) return false;
    UnregisterLeftOverClasses();
    className_ = sClass;
    classOwners.reserve(classOwners.size() + 1);
    tk::UniqueBrush background(CreateSolidBrush(colBackground));
    WNDCLASSEXW record{};
    record.cbSize = sizeof record;
    record.style = Style;
    record.lpfnWndProc = &ClassProc;
    record.cbClsExtra = cbClassExtra;
    record.cbWndExtra = cbWndExtra;
    record.hInstance = Instance();
    record.hIcon = hIcon;
    record.hCursor = hCursor;
    record.hbrBackground = background.Get();
    record.lpszMenuName = nullptr;
    record.lpszClassName = className_.c_str();
    record.hIconSm = hIconSm;
    atom_ = RegisterClassExW(&record);
    if (!atom_) return false;
    // The class owns its brush from now on and frees it when it is unregistered.
    background.Release();
    classOwners.push_back({atom_, this});
    return true;
}

HWND cWindow::WindowCreate(DWORD dwExStyle, DWORD dwStyle, int Class, int x, int y, int nWidth,
                           int nHeight, const std::wstring& sCaption, HWND hWndParent, HMENU hMenu,
                           void* lParam) {
    const wchar_t* className = nullptr;
    if (Class == 0)
        className = atom_ ? MAKEINTATOM(atom_) : nullptr;
    else
        className = StandardClassName(Class);
    if (!className) return nullptr;
    // Room first, so that recording a created window cannot fail.
    record_.reserve(record_.size() + 1);
    const HWND hWnd = CreateWindowExW(dwExStyle, className, sCaption.c_str(), dwStyle, x, y, nWidth,
                                      nHeight, hWndParent, hMenu, Instance(), lParam);
    if (hWnd) record_.push_back(hWnd);
    return hWnd;
}

bool cWindow::WindowDestroy(HWND hWnd) noexcept {
    const auto found = std::find(record_.begin(), record_.end(), hWnd);
    if (found == record_.end()) return false;
    record_.erase(found);
    Destroy(hWnd);
    return true;
}

LRESULT cWindow::CallDefWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept {
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK cWindow::ClassProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept {
    cWindow* self = ObjectOfClass(static_cast<ATOM>(GetClassWord(hWnd, GCW_ATOM)));
    if (!self) return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY) self->Forget(hWnd);
    if (!self->owner_ || self->ownerLife_.expired())
        return self->Orphaned(hWnd, uMsg, wParam, lParam);
    if (!self->table_.Selects(uMsg)) return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    bool bHandled = false;
    LRESULT lReturn = 0;
    self->owner_->WndProc(bHandled, lReturn, hWnd, uMsg, wParam, lParam);
    // The callback may have ended this object (a fade ends its own window's object): `self` is
    // not used past this point.
    return bHandled ? lReturn : DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

LRESULT cWindow::Orphaned(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept {
    // A window without its callback ends itself. During creation, refusing WM_NCCREATE makes the
    // creation fail cleanly; messages of a destruction already under way take their usual path.
    if (uMsg == WM_NCCREATE) return FALSE;
    if (uMsg == WM_GETMINMAXINFO || uMsg == WM_DESTROY || uMsg == WM_NCDESTROY || Destroying(hWnd))
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    Forget(hWnd);
    Destroy(hWnd);
    return 0;
}

void cWindow::Destroy(HWND hWnd) noexcept {
    Destruction frame{hWnd, false, destroying_};
    destroying_ = &frame;
    DestroyWindow(hWnd);
    if (!frame.ended) destroying_ = frame.outer;
}

bool cWindow::Destroying(HWND hWnd) const noexcept {
    for (const Destruction* frame = destroying_; frame; frame = frame->outer)
        if (frame->hWnd == hWnd) return true;
    return false;
}

void cWindow::Forget(HWND hWnd) noexcept {
    std::erase(record_, hWnd);
}

} // namespace zendra
