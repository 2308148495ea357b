// The real program started as a process: with its type library beside it, without it, and with a
// file of that name that is no type library.
#include "TestSupport.h"
#include "base/KernelHandle_win.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace zendra::test {

namespace {

namespace fs = std::filesystem;

struct Found {
    DWORD pid;
    const wchar_t* className;
    HWND window = nullptr;
};

BOOL CALLBACK FindWindowOf(HWND window, LPARAM data) {
    auto* found = reinterpret_cast<Found*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (pid == found->pid && IsWindowVisible(window) && std::wstring(name) == found->className) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

HWND WindowOf(DWORD pid, const wchar_t* className) {
    Found found{pid, className};
    EnumWindows(&FindWindowOf, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

class StartUp : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        built = fs::path(self).parent_path() / ".." / ".." / "app";
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        dir = fs::path(temp) / (L"zendra-start-" + std::to_wstring(GetCurrentProcessId()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        // Its own name, so that its settings do not mix with the program's.
        exe = dir / (appName + L".exe");
        fs::copy_file(built / "Zendra.exe", exe);
    }
    void TearDown() override {
        if (running && WaitForSingleObject(running.Get(), 0) == WAIT_TIMEOUT)
            TerminateProcess(running.Get(), 9);
        const std::wstring settings = L"Software\\VB and VBA Program Settings\\" + appName;
        RegDeleteKeyW(HKEY_CURRENT_USER, (settings + L"\\Options").c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, settings.c_str());
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    void Launch() {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        std::wstring command = L"\"" + exe.wstring() + L"\"";
        ASSERT_TRUE(CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   dir.c_str(), &startup, &process));
        running.Reset(process.hProcess);
        mainThread.Reset(process.hThread);
    }
    HWND WaitForWindow(const wchar_t* className) {
        HWND window = nullptr;
        PumpUntil([&] { return (window = WindowOf(process.dwProcessId, className)) != nullptr; }, 15000);
        return window;
    }
    DWORD WaitForExit() {
        if (WaitForSingleObject(running.Get(), 10000) != WAIT_OBJECT_0) return 0xFFFFFFFF;
        DWORD code = 0;
        GetExitCodeProcess(running.Get(), &code);
        return code;
    }

    std::wstring appName = L"ZendraStartTest";
    fs::path built, dir, exe;
    PROCESS_INFORMATION process{};
    // The handles CreateProcess gives in `process`.
    zendra::KernelHandle running, mainThread;
};

TEST_F(StartUp, WithoutTheTypeLibraryOnlyTheMessageShowsAndTheProcessEnds) {
    Launch();
    HWND box = WaitForWindow(L"#32770");
    ASSERT_NE(box, nullptr);
    wchar_t text[128] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 128);
    EXPECT_STREQ(text, L"Can't find WinSubHook.tlb");
    GetWindowTextW(box, text, 128);
    EXPECT_STREQ(text, L"Zendra");
    EXPECT_EQ(WindowOf(process.dwProcessId, L"ZendraForm"), nullptr);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WaitForExit(), 1u);
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, (L"Software\\VB and VBA Program Settings\\" + appName).c_str(),
                            0, KEY_READ, &key),
              ERROR_SUCCESS);
}

TEST_F(StartUp, WithTheTypeLibraryTheMainWindowShowsAndClosingEndsTheProcess) {
    fs::copy_file(built / "WinSubHook.tlb", dir / "WinSubHook.tlb");
    Launch();
    HWND main = WaitForWindow(L"ZendraForm");
    ASSERT_NE(main, nullptr);
    wchar_t title[64] = {};
    GetWindowTextW(main, title, 64);
    EXPECT_STREQ(title, L"Zendra");
    EXPECT_EQ(WindowOf(process.dwProcessId, L"#32770"), nullptr);
    // Registered: the library is known under its identifier.
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, L"TypeLib\\{A84767D6-AA22-4F64-8F89-D170B67978C3}", 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
    if (key != nullptr) RegCloseKey(key);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(), 0u);
    // Closing saved the options under the executable's own name.
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER,
                            (L"Software\\VB and VBA Program Settings\\" + appName + L"\\Options").c_str(), 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
    if (key != nullptr) RegCloseKey(key);
}

TEST_F(StartUp, LogoffSavesTheOptionsAndEndsTheProgram) {
    fs::copy_file(built / "WinSubHook.tlb", dir / "WinSubHook.tlb");
    Launch();
    HWND main = WaitForWindow(L"ZendraForm");
    ASSERT_NE(main, nullptr);
    const std::wstring options = L"Software\\VB and VBA Program Settings\\" + appName + L"\\Options";
    HKEY key = nullptr;
    EXPECT_TRUE(SendMessageW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, options.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    if (key != nullptr) RegCloseKey(key);
    SendMessageW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(WaitForExit(), 0u);
}

TEST_F(StartUp, AFileOfThatNameThatIsNoTypeLibraryDoesNotStopTheProgram) {
    std::ofstream(dir / "WinSubHook.tlb", std::ios::binary) << "not a type library";
    Launch();
    HWND main = WaitForWindow(L"ZendraForm");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(WindowOf(process.dwProcessId, L"#32770"), nullptr);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(), 0u);
}

} // namespace

} // namespace zendra::test
