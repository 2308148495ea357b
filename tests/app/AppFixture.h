// A main window driven with faked message boxes, dialog, settings store and type library, on a
// real (or faked) file system, in a temporary folder of its own.
#pragma once

#include "../toolkit/FakeServices.h"
#include "AppServices.h"
#include "Form1.h"
#include "Module1.h"
#include "TestSupport.h"
#include "base/KernelHandle_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace zendra::test {

// Points this program's import slots that hold `from` at `to`.
inline void SwapImport(FARPROC from, FARPROC to) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const DWORD imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); dll->Name; ++dll)
        for (auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
             slot->u1.Function; ++slot) {
            if (slot->u1.Function != reinterpret_cast<decltype(slot->u1.Function)>(from)) continue;
            DWORD was = 0;
            VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), PAGE_READWRITE, &was);
            slot->u1.Function = reinterpret_cast<decltype(slot->u1.Function)>(to);
            VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), was, &was);
        }
}

// Holds the worker of a split or join inside its progress hook, which asks for the tick count at
// every report: the `call`-th time a thread other than this one asks, it waits until released
// (10 s at most). Works by swapping this program's import of GetTickCount while it lives.
class HeldWorker {
  public:
    explicit HeldWorker(int call) : at_(call), ui_(GetCurrentThreadId()) {
        real = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount");
        held = this;
        SwapImport(real, reinterpret_cast<FARPROC>(&Hook));
    }
    HeldWorker(const HeldWorker&) = delete;
    HeldWorker& operator=(const HeldWorker&) = delete;
    ~HeldWorker() {
        SwapImport(reinterpret_cast<FARPROC>(&Hook), real);
        Release();
        held = nullptr;
    }
    // On the thread that drives the test: whether the worker got there (within 10 s).
    bool WaitHeld() const { return WaitForSingleObject(reached_.Get(), 10000) == WAIT_OBJECT_0; }
    void Release() const { SetEvent(release_.Get()); }

  private:
    static DWORD WINAPI Hook() {
        HeldWorker* self = held;
        if (self != nullptr && self->ui_ != GetCurrentThreadId() && ++self->calls_ == self->at_) {
            SetEvent(self->reached_.Get());
            WaitForSingleObject(self->release_.Get(), 10000);
        }
        return reinterpret_cast<DWORD(WINAPI*)()>(real)();
    }
    static inline std::atomic<HeldWorker*> held{nullptr};
    static inline FARPROC real = nullptr;
    const int at_;
    const DWORD ui_;
    std::atomic<int> calls_{0};
    KernelHandle reached_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    KernelHandle release_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

class FakeTypeLibrary : public ITypeLibrary {
public:
    void Register(const std::wstring& path) override {
        calls.push_back(path);
        if (fail) throw Failure("Error loading type library", FailureKind::Io);
    }
    std::vector<std::wstring> calls;
    bool fail = false;
};

// A box that lets a field change while it waits (as a window left enabled did).
class RetypingBox : public tk::FakeMessageBox {
public:
  tk::MsgResult Show(const std::wstring& text, tk::MsgButtons buttons, tk::MsgIcon icon,
                     const std::wstring& title, tk::MsgDefault focused) override {
      if (field != nullptr) field->SetText(retyped);
      return FakeMessageBox::Show(text, buttons, icon, title, focused);
  }
    tk::TextBox* field = nullptr;
    std::wstring retyped;
};

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        tk::Form::SetOnLastUnloaded([this] { ++lastUnloads; });
        SetProgramEnd([this] { ++programEnds; });
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        dir = std::filesystem::path(temp) /
              (L"zendra-app-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(counter++));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        // The main window lower-cases chosen paths; keep the folder's text as it will show.
        folder = Lower(dir.wstring()) + L"\\";
    }

    void TearDown() override {
        if (form) {
            form->aboutWindow.Unload();
            form->Unload();
            form.reset();
        }
        Pump(10);
        std::error_code ignored;
        for (auto& entry : std::filesystem::recursive_directory_iterator(dir, ignored))
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::filesystem::remove_all(dir, ignored);
        tk::Form::SetOnLastUnloaded([] { PostQuitMessage(0); });
    }

    // Loads and shows the main window on the real file system (or the given one).
    void Start(tk::IFileSystem* files = nullptr) {
        services = std::make_unique<AppServices>(
            AppServices{messages, dialog, files != nullptr ? *files : *realFiles, settings, typeLibrary});
        form = std::make_unique<Form1>(*services);
        ASSERT_TRUE(form->Initialize());
        form->Show();
        Pump(30);
    }

    static std::wstring Lower(std::wstring text) {
        CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
        return text;
    }

    std::wstring Write(const std::wstring& name, const std::string& bytes) {
        std::ofstream(std::filesystem::path(folder + name), std::ios::binary) << bytes;
        return folder + name;
    }
    bool Exists(const std::wstring& path) const { return std::filesystem::exists(path); }
    static std::string Read(const std::wstring& path) {
        std::ifstream in(std::filesystem::path(path), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // The texts of the message boxes shown so far.
    std::vector<std::wstring> Said() const {
        std::vector<std::wstring> texts;
        for (const auto& call : messages.calls) texts.push_back(call.text);
        return texts;
    }
    // The piece list's rows after the header.
    std::vector<std::wstring> Rows() const {
        std::vector<std::wstring> rows;
        for (int i = 1; i <= form->ListView2.RowCount(); ++i) rows.push_back(form->ListView2.Row(i).Caption());
        return rows;
    }

    // A real click (posted press and release) in the middle of a control's window.
    static void Press(const tk::Control& control) {
        RECT r{};
        GetClientRect(control.Hwnd(), &r);
        const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
        PostMessageW(control.Hwnd(), WM_MOUSEMOVE, 0, at);
        PostMessageW(control.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(control.Hwnd(), WM_LBUTTONUP, 0, at);
        Pump(30);
    }
    // Typed characters, as the keyboard would send them.
    static void Type(const tk::TextBox& box, const std::wstring& text) {
        for (wchar_t c : text) PostMessageW(box.Hwnd(), WM_CHAR, c, 1);
        Pump(20);
    }
    void SetOption(const std::wstring& key, const std::wstring& value) {
        settings.values[appName + L"\\Options\\" + key] = value;
    }

    TestClock clock; // outlives the window's timers; used by the tests that call clock.Use()
    tk::FakeMessageBox messages;
    tk::FakeFileDialog dialog;
    tk::FakeSettingsStore settings;
    FakeTypeLibrary typeLibrary;
    tk::FakeFileSystem fakeFiles; // for Start: it must outlive the window, which closes in TearDown
    std::unique_ptr<tk::IFileSystem> realFiles = tk::MakeWin32FileSystem();
    // The settings' application name: the executable's base name (a faked file system is given
    // the same).
    std::wstring appName = realFiles->ExecutableBaseName();
    std::unique_ptr<AppServices> services;
    std::unique_ptr<Form1> form;
    std::filesystem::path dir;
    std::wstring folder; // with its trailing "\", lower case
    int lastUnloads = 0;
    int programEnds = 0;
    static inline int counter = 0;
};

} // namespace zendra::test
