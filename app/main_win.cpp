// Zendra: cuts a file into numbered pieces with an index file and joins them back.
#include "AppServices.h"
#include "Form1.h"
#include "base/Utf8.h"

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

// The arguments after the program's own name, split as the C runtime does.
std::vector<std::wstring> Arguments() {
    int count = 0;
    LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> arguments;
    if (list == nullptr) return arguments;
    for (int i = 1; i < count; ++i)
        arguments.emplace_back(list[i]);
    LocalFree(list);
    return arguments;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace zendra;
    try {
        tk::BoxOwner owner;
        auto messages = tk::MakeWin32MessageBox(owner);
        auto dialog = tk::MakeWin32FileDialog(owner);
        auto files = tk::MakeWin32FileSystem();
        auto settings = tk::MakeWin32SettingsStore();
        auto typeLibrary = MakeWin32TypeLibrary();
        AppServices services{*messages, *dialog, *files, *settings, *typeLibrary, &owner};
        Form1 main(services);
        if (!main.Initialize()) return 1;
        main.Show();
        main.OpenArguments(Arguments());
        return tk::Form::RunMessageLoop();
    } catch (const std::exception& error) {
        MessageBoxW(nullptr, WideFromUtf8(error.what()).c_str(), L"Zendra", MB_OK | MB_ICONERROR);
        return 1;
    }
}
