#include "cWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace zendra {
namespace {

constexpr UINT kProbe = WM_APP + 1;

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

bool ClassExists(const std::wstring& name) {
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    return GetClassInfoExW(Instance(), name.c_str(), &info) != FALSE;
}

class Callback : public iWindow {
  public:
    std::function<void(bool&, LRESULT&, HWND, UINT, WPARAM, LPARAM)> react;
    std::vector<UINT> seen;

    void WndProc(bool& bHandled, LRESULT& lReturn, HWND& hWnd, UINT& uMsg, WPARAM& wParam,
                 LPARAM& lParam) noexcept override {
        seen.push_back(uMsg);
        if (react) react(bHandled, lReturn, hWnd, uMsg, wParam, lParam);
    }
    bool Saw(UINT uMsg) const { return std::find(seen.begin(), seen.end(), uMsg) != seen.end(); }
};

// A unique class name per test, so that a failed test leaves nothing registered for the next.
std::wstring ClassName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string("ZendraTest.") + info->name();
    return {name.begin(), name.end()};
}

class WindowTest : public ::testing::Test {
  protected:
    HWND CreateOwn(void* parameter = nullptr) {
        return windows->WindowCreate(0, WS_POPUP, 0, 0, 0, 10, 10, L"own", nullptr, nullptr,
                                     parameter);
    }
    void Register() {
        ASSERT_TRUE(windows->WindowClassRegister(ClassName(), 0x00FFFFFF, 0, nullptr, nullptr,
                                                 nullptr, 0, 0));
    }

    Callback callback;
    std::unique_ptr<cWindow> windows = std::make_unique<cWindow>();
};

// Registration ---------------------------------------------------------------------------------

TEST_F(WindowTest, RegistersTheClassWithASolidBackgroundOfTheColour) {
    windows->Owner(callback);
    ASSERT_TRUE(windows->WindowClassRegister(ClassName(), 0x00336699, CS_DBLCLKS, nullptr, nullptr,
                                             nullptr, 4, 8));
    EXPECT_EQ(windows->Class(), ClassName());
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetClassInfoExW(Instance(), ClassName().c_str(), &info));
    EXPECT_EQ(info.style, static_cast<UINT>(CS_DBLCLKS));
    EXPECT_EQ(info.cbClsExtra, 4);
    EXPECT_EQ(info.cbWndExtra, 8);
    LOGBRUSH brush{};
    ASSERT_NE(GetObjectW(info.hbrBackground, sizeof brush, &brush), 0);
    EXPECT_EQ(brush.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(brush.lbColor, 0x00336699u);
}

TEST_F(WindowTest, EndOfTheObjectUnregistersTheClass) {
    Register();
    windows.reset();
    EXPECT_FALSE(ClassExists(ClassName()));
}

TEST_F(WindowTest, SecondRegistrationIsRefusedAndKeepsTheFirstClass) {
    Register();
    EXPECT_FALSE(
        windows->WindowClassRegister(L"ZendraTest.Other", 0, 0, nullptr, nullptr, nullptr, 0, 0));
    EXPECT_EQ(windows->Class(), ClassName());
    EXPECT_FALSE(ClassExists(L"ZendraTest.Other"));
}

TEST_F(WindowTest, ClassTakenByAnotherObjectFailsAndStaysWithItsOwner) {
    Register();
    {
        cWindow other;
        EXPECT_FALSE(other.WindowClassRegister(ClassName(), 0, 0, nullptr, nullptr, nullptr, 0, 0));
        EXPECT_EQ(other.Class(), ClassName());
        EXPECT_EQ(other.WindowCreate(0, WS_POPUP, 0, 0, 0, 1, 1, L"", nullptr, nullptr, nullptr),
                  nullptr);
    }
    EXPECT_TRUE(ClassExists(ClassName()));
}

// Routing -------------------------------------------------------------------------------------

TEST_F(WindowTest, CreateMessageReachesTheCallbackBeforeWindowCreateReturns) {
    windows->Owner(callback);
    Register();
    windows->AddMsg(WM_CREATE);
    bool returned = false;
    HWND fromCallback = nullptr;
    void* parameter = nullptr;
    callback.react = [&](bool&, LRESULT&, HWND hWnd, UINT uMsg, WPARAM, LPARAM lParam) {
        if (uMsg != WM_CREATE) return;
        EXPECT_FALSE(returned);
        fromCallback = hWnd;
        parameter = reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams;
    };
    int marker = 0;
    const HWND hWnd = CreateOwn(&marker);
    returned = true;
    ASSERT_NE(hWnd, nullptr);
    EXPECT_EQ(fromCallback, hWnd);
    EXPECT_EQ(parameter, &marker);
}

TEST_F(WindowTest, UnlistedMessagesGetTheDefaultProcessing) {
    windows->Owner(callback);
    Register();
    windows->AddMsg(kProbe);
    const HWND hWnd = CreateOwn();
    ASSERT_NE(hWnd, nullptr);
    SetWindowTextW(hWnd, L"changed");
    wchar_t text[16]{};
    GetWindowTextW(hWnd, text, 16);
    EXPECT_STREQ(text, L"changed");
    EXPECT_FALSE(callback.Saw(WM_SETTEXT));
    EXPECT_EQ(SendMessageW(hWnd, kProbe + 1, 0, 0), 0);
    EXPECT_FALSE(callback.Saw(kProbe + 1));
}

TEST_F(WindowTest, HandledMessageReturnsTheCallbacksResult) {
    windows->Owner(callback);
    Register();
    windows->AddMsg(kProbe);
    windows->AddMsg(WM_SETTEXT);
    callback.react = [](bool& bHandled, LRESULT& lReturn, HWND, UINT uMsg, WPARAM, LPARAM) {
        bHandled = true;
        if (uMsg == kProbe) lReturn = 42;
    };
    const HWND hWnd = CreateOwn();
    EXPECT_EQ(SendMessageW(hWnd, kProbe, 0, 0), 42);
    // WM_SETTEXT handled: the default processing never stores the text.
    SetWindowTextW(hWnd, L"changed");
    wchar_t text[16]{};
    GetWindowTextW(hWnd, text, 16);
    EXPECT_STREQ(text, L"own");
}

TEST_F(WindowTest, TimerMessagesArriveThroughTheTable) {
    windows->Owner(callback);
    Register();
    windows->AddMsg(WM_TIMER);
    const HWND hWnd = CreateOwn();
    SetTimer(hWnd, 1, 10, nullptr);
    MSG msg;
    const DWORD start = GetTickCount();
    while (!callback.Saw(WM_TIMER) && GetTickCount() - start < 2000) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        Sleep(5);
    }
    KillTimer(hWnd, 1);
    EXPECT_TRUE(callback.Saw(WM_TIMER));
}

// Creation ------------------------------------------------------------------------------------

TEST_F(WindowTest, ClassNumbersOneToNineAreStandardClasses) {
    const HWND button =
        windows->WindowCreate(0, WS_POPUP, 1, 0, 0, 10, 10, L"b", nullptr, nullptr, nullptr);
    const HWND label =
        windows->WindowCreate(0, WS_POPUP, 9, 0, 0, 10, 10, L"s", nullptr, nullptr, nullptr);
    ASSERT_NE(button, nullptr);
    ASSERT_NE(label, nullptr);
    wchar_t name[32]{};
    GetClassNameW(button, name, 32);
    EXPECT_EQ(_wcsicmp(name, L"BUTTON"), 0);
    GetClassNameW(label, name, 32);
    EXPECT_EQ(_wcsicmp(name, L"STATIC"), 0);
    EXPECT_EQ(windows->Windows(), (std::vector<HWND>{button, label}));
}

TEST_F(WindowTest, FailedCreationsReturnZeroAndLeaveNoRecord) {
    windows->Owner(callback);
    EXPECT_EQ(windows->WindowCreate(0, WS_POPUP, 10, 0, 0, 1, 1, L"", nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(windows->WindowCreate(0, WS_POPUP, -1, 0, 0, 1, 1, L"", nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(CreateOwn(), nullptr); // class 0 before any registration
    EXPECT_TRUE(windows->Windows().empty());
}

TEST_F(WindowTest, CreationWithoutAnOwnerFails) {
    Register();
    EXPECT_EQ(CreateOwn(), nullptr);
    EXPECT_TRUE(windows->Windows().empty());
}

// Destruction ---------------------------------------------------------------------------------

TEST_F(WindowTest, WindowDestroySucceedsOnceForItsOwnWindowsOnly) {
    windows->Owner(callback);
    Register();
    const HWND hWnd = CreateOwn();
    ASSERT_NE(hWnd, nullptr);
    HWND foreign = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                   Instance(), nullptr);
    EXPECT_FALSE(windows->WindowDestroy(foreign));
    EXPECT_TRUE(IsWindow(foreign));
    DestroyWindow(foreign);
    EXPECT_TRUE(windows->WindowDestroy(hWnd));
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_FALSE(windows->WindowDestroy(hWnd));
}

TEST_F(WindowTest, WindowDestroyedByOtherMeansDropsOutOfTheRecord) {
    windows->Owner(callback);
    Register();
    const HWND hWnd = CreateOwn();
    DestroyWindow(hWnd);
    EXPECT_TRUE(windows->Windows().empty());
    EXPECT_FALSE(windows->WindowDestroy(hWnd));
}

// Records the windows destroyed on this thread, in order.
std::vector<HWND>* destroyedWindows = nullptr;
LRESULT CALLBACK RecordDestruction(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_DESTROYWND && destroyedWindows)
        destroyedWindows->push_back(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(WindowTest, EndOfTheObjectDestroysItsWindowsLastCreatedFirstWithoutCallbacks) {
    windows->Owner(callback);
    Register();
    windows->AddMsg(cWindow::kAllMessages);
    const HWND first = CreateOwn();
    const HWND button =
        windows->WindowCreate(0, WS_POPUP, 1, 0, 0, 10, 10, L"b", nullptr, nullptr, nullptr);
    const HWND last = CreateOwn();
    std::vector<HWND> order;
    destroyedWindows = &order;
    HHOOK hook = SetWindowsHookExW(WH_CBT, &RecordDestruction, nullptr, GetCurrentThreadId());
    callback.seen.clear();
    windows.reset();
    UnhookWindowsHookEx(hook);
    destroyedWindows = nullptr;
    // The system may destroy helper windows of its own (an input method window) meanwhile.
    std::erase_if(order, [&](HWND h) { return h != first && h != button && h != last; });
    EXPECT_EQ(order, (std::vector<HWND>{last, button, first}));
    EXPECT_FALSE(IsWindow(first));
    EXPECT_FALSE(IsWindow(last));
    EXPECT_TRUE(callback.seen.empty());
}

TEST_F(WindowTest, WindowWhoseOwnerHasEndedDestroysItself) {
    auto owner = std::make_unique<Callback>();
    windows->Owner(*owner);
    Register();
    windows->AddMsg(kProbe);
    const HWND hWnd = CreateOwn();
    ASSERT_NE(hWnd, nullptr);
    owner.reset();
    EXPECT_EQ(SendMessageW(hWnd, kProbe, 0, 0), 0);
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_TRUE(windows->Windows().empty());
}

TEST_F(WindowTest, CallbackMayEndTheObjectOfItsOwnWindow) {
    windows->Owner(callback);
    Register();
    windows->AddMsg(kProbe);
    const HWND hWnd = CreateOwn();
    callback.react = [this](bool&, LRESULT&, HWND, UINT, WPARAM, LPARAM) { windows.reset(); };
    EXPECT_EQ(SendMessageW(hWnd, kProbe, 0, 0), 0);
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_FALSE(ClassExists(ClassName()));
}

TEST_F(WindowTest, CallbackMayEndTheObjectWhileItDestroysTheWindow) {
    // The object lives in storage that the test overwrites when it ends: a later write shows.
    alignas(cWindow) std::byte storage[sizeof(cWindow)];
    auto* object = new (storage) cWindow;
    object->Owner(callback);
    ASSERT_TRUE(object->WindowClassRegister(ClassName(), 0, 0, nullptr, nullptr, nullptr, 0, 0));
    object->AddMsg(WM_DESTROY);
    const HWND hWnd =
        object->WindowCreate(0, WS_POPUP, 0, 0, 0, 10, 10, L"own", nullptr, nullptr, nullptr);
    callback.react = [&](bool&, LRESULT&, HWND, UINT uMsg, WPARAM, LPARAM) {
        if (uMsg != WM_DESTROY) return;
        object->~cWindow();
        std::memset(storage, 0xA5, sizeof storage);
    };
    EXPECT_TRUE(object->WindowDestroy(hWnd));
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_TRUE(std::all_of(std::begin(storage), std::end(storage),
                            [](std::byte b) { return b == std::byte{0xA5}; }));
    // The class, kept by the system while its window was still there, can be registered again.
    cWindow next;
    EXPECT_TRUE(next.WindowClassRegister(ClassName(), 0, 0, nullptr, nullptr, nullptr, 0, 0));
}

TEST_F(WindowTest, CallDefWndProcIsTheDefaultProcessing) {
    windows->Owner(callback);
    Register();
    const HWND hWnd = CreateOwn();
    EXPECT_EQ(cWindow::CallDefWndProc(hWnd, WM_GETTEXTLENGTH, 0, 0), 3);
}

} // namespace
} // namespace zendra
