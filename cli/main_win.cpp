#include "Cli.h"
#include "Interrupt.h"

#include <windows.h>

#include <io.h>
#include <iostream>

namespace {

std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

} // namespace

// Wide arguments, so that any path the user can type reaches the engine unchanged.
int wmain(int argc, wchar_t** argv) {
    SetConsoleOutputCP(CP_UTF8);
    zendra::InstallInterruptHandler();
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(Utf8(argv[i]));
    const int status = zendra::RunCli(args, std::cout, std::cerr, _isatty(_fileno(stderr)) != 0);
    zendra::InterruptHandled();
    return status;
}
