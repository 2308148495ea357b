#include "Form.h"

#include <algorithm>
#include <string>

namespace zendra::tk {

namespace {

constexpr wchar_t kClassName[] = L"ZendraForm";

std::vector<Form*>& Loaded() {
    static std::vector<Form*> forms;
    return forms;
}

std::function<void()>& LastUnloaded() {
    static std::function<void()> action = [] { PostQuitMessage(0); };
    return action;
}

} // namespace

Form::Form(std::wstring title, int width, int height)
    : title_(std::move(title)) {
    elements_.SetOpaque(true);
    elements_.SetBackColor(SystemColor(COLOR_BTNFACE));
    // Centred on the screen until the form is moved.
    place_ = {std::max(0, (ScreenWidth() - width) / 2), std::max(0, (ScreenHeight() - height) / 2),
              width, height};
}

Form::~Form() noexcept {
    DestroyHandle(); // before the icons it shows go
}

void Form::Load() {
    if (IsLoaded()) return;
    RegisterClassOnce(kClassName, CS_DBLCLKS, nullptr);
    CreateHandle(0, kClassName, title_.c_str(),
                 WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, TwipsToPixels(place_.left),
                 TwipsToPixels(place_.top), TwipsToPixels(place_.width),
                 TwipsToPixels(place_.height), nullptr);
    elements_.Attach(Hwnd());
    elements_.Move(0, 0, place_.width, place_.height);
    if (bigIcon_ || smallIcon_) ShowIcons();
    Loaded().push_back(this);
    CreateControls();
    OnLoad();
}

namespace {

// Hides a window from the screen while it stays shown for the system (DWMWA_CLOAK, Windows 8 and
// later, looked up at run time): elsewhere nothing happens.
void Cloak(HWND window, BOOL cloaked) noexcept {
    using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    static const auto set = [] {
        // From the system's folder only: never a file of that name beside the program.
        wchar_t path[MAX_PATH]{};
        const UINT length = GetSystemDirectoryW(path, MAX_PATH);
        const HMODULE dwm =
            length != 0 && length < MAX_PATH - 12
                ? LoadLibraryW((std::wstring(path, length) + L"\\dwmapi.dll").c_str())
                : nullptr;
        return dwm != nullptr ? reinterpret_cast<SetAttribute>(reinterpret_cast<void*>(
                                    GetProcAddress(dwm, "DwmSetWindowAttribute")))
                              : nullptr;
    }();
    constexpr DWORD kCloak = 13; // DWMWA_CLOAK
    if (set != nullptr) set(window, kCloak, &cloaked, sizeof(cloaked));
}

} // namespace

void Form::Show() {
    Load();
    if (!IsLoaded()) return; // the load step unloaded the form
    const bool first = !IsWindowVisible(Hwnd());
    // The first frame on the screen is the painted window: its controls, which paint only once
    // shown, would otherwise show as black rectangles for a moment.
    if (first) Cloak(Hwnd(), TRUE);
    ShowWindow(Hwnd(), IsIconic(Hwnd()) ? SW_RESTORE : SW_SHOW);
    if (first) {
        RedrawWindow(Hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        Cloak(Hwnd(), FALSE);
    }
    SetForegroundWindow(Hwnd());
}

void Form::Unload() noexcept {
    if (!IsLoaded() || unloading_) return;
    unloading_ = true;
    try {
        OnUnload();
    } catch (...) {
        // The window goes whatever its unload step did.
        ReportCurrentException(L"a form's unload step");
    }
    DestroyHandle();
    unloading_ = false;
}

void Form::OnDestroyed() noexcept {
    auto& forms = Loaded();
    auto found = std::find(forms.begin(), forms.end(), this);
    if (found == forms.end()) return;
    forms.erase(found);
    if (forms.empty() && LastUnloaded()) {
        try {
            LastUnloaded()();
        } catch (...) {
            // Called from the window's destruction, which cannot fail: the program ends anyway.
            ReportCurrentException(L"the last form's unload step");
            PostQuitMessage(0);
        }
    }
}

int Form::Left() const noexcept { return place_.left; }
int Form::Top() const noexcept { return place_.top; }

void Form::Move(int left, int top, int width, int height) {
    place_.Move(Hwnd(), elements_, left, top, width, height);
}

void Form::Minimize() noexcept {
    if (IsLoaded()) ShowWindow(Hwnd(), SW_MINIMIZE);
}

int Form::ScreenWidth() noexcept { return PixelsToTwips(GetSystemMetrics(SM_CXSCREEN)); }
int Form::ScreenHeight() noexcept { return PixelsToTwips(GetSystemMetrics(SM_CYSCREEN)); }

void Form::SetIcon(int resourceId) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    auto load = [&](int metricX, int metricY) {
        return UniqueIcon(static_cast<HICON>(
            LoadImageW(module, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, GetSystemMetrics(metricX),
                       GetSystemMetrics(metricY), LR_DEFAULTCOLOR)));
    };
    // The window lets go of the older icons before they are destroyed.
    UniqueIcon big = load(SM_CXICON, SM_CYICON);
    UniqueIcon little = load(SM_CXSMICON, SM_CYSMICON);
    std::swap(bigIcon_, big);
    std::swap(smallIcon_, little);
    if (IsLoaded()) ShowIcons();
}

void Form::ShowIcons() noexcept {
    SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.Get()));
    SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.Get()));
}

void Form::CreateControl(Control& control, int left, int top, int width, int height,
                         HWND container) {
    auto stored = design_.find(control.Name());
    if (stored != design_.end()) control.ReadProperties(stored->second);
    control.Create(container != nullptr ? container : Hwnd(), left, top, width, height);
}

const std::vector<Form*>& Form::LoadedForms() noexcept { return Loaded(); }

void Form::SetOnLastUnloaded(std::function<void()> action) { LastUnloaded() = std::move(action); }

int Form::RunMessageLoop() {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

bool Form::FocusNext(HWND from, bool backwards) noexcept {
    const auto count = static_cast<int>(tabOrder_.size());
    if (count == 0) return false;
    const auto found = std::find(tabOrder_.begin(), tabOrder_.end(), from);
    int at = found == tabOrder_.end() ? (backwards ? count : -1)
                                      : static_cast<int>(found - tabOrder_.begin());
    for (int step = 0; step < count; ++step) {
        at = (at + (backwards ? count - 1 : 1)) % count;
        const HWND next = tabOrder_[static_cast<std::size_t>(at)];
        if (IsWindowVisible(next) && IsWindowEnabled(next)) {
            SetFocus(next);
            // A text field entered by the keyboard has its text selected, as in a dialog.
            wchar_t className[8]{};
            GetClassNameW(next, className, 8);
            if (lstrcmpiW(className, L"Edit") == 0) SendMessageW(next, EM_SETSEL, 0, -1);
            return true;
        }
    }
    return false;
}

bool Form::OnDialogKey(HWND from, WPARAM key) {
    if (key != VK_TAB || GetKeyState(VK_CONTROL) < 0) return false;
    return FocusNext(from, GetKeyState(VK_SHIFT) < 0);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kDialogKeyMessage:
        return OnDialogKey(reinterpret_cast<HWND>(lParam), wParam) ? 1 : 0;
    case WM_KEYDOWN:
        // Keys that reach the form itself: nothing inside it has the focus.
        if (wParam == VK_TAB || wParam == VK_RETURN || wParam == VK_ESCAPE) {
            ShowKeyboardCues();
            if (OnDialogKey(Hwnd(), wParam)) return 0;
        }
        return DefaultProc(message, wParam, lParam);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        BufferedPaint paint(Hwnd());
        elements_.PaintAll(paint.Dc());
        return 0;
    }
    case WM_PRINTCLIENT:
        elements_.PaintAll(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_CLOSE:
        Unload();
        return 0;
    case WM_MOVE: {
        if (IsIconic(Hwnd())) return 0; // a minimised window parks far off the screen
        RECT r{};
        GetWindowRect(Hwnd(), &r);
        place_.left = PixelsToTwips(r.left);
        place_.top = PixelsToTwips(r.top);
        return 0;
    }
    default:
        if (elements_.HandleMouse(message, wParam, lParam)) return 0;
        return DefaultProc(message, wParam, lParam);
    }
}

} // namespace zendra::tk
