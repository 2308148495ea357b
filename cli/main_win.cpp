#include "Cli.h"
#include "io/AnsiPath.h"
#include "io/File.h"

#include <windows.h>

#include <iostream>
#include <streambuf>
#include <string>

namespace {

// The tool's UTF-8 text on a standard handle: to a console as UTF-16 through WriteConsoleW (a
// console before Windows 8 counts UTF-8 writes in characters, cutting accented names, and the
// console's code page is left as the user had it); redirected, as the UTF-8 bytes themselves.
class HandleBuffer : public std::streambuf {
  public:
    explicit HandleBuffer(DWORD which) : handle_(GetStdHandle(which)) {
        DWORD mode = 0;
        console_ = GetConsoleMode(handle_, &mode) != 0;
    }
    ~HandleBuffer() override { sync(); }
    bool IsConsole() const { return console_; }

  protected:
    int overflow(int c) override {
        if (c != traits_type::eof()) pending_.push_back(static_cast<char>(c));
        if (c == '\n' || c == '\r' || pending_.size() >= 4096) sync();
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        if (pending_.find_first_of("\r\n") != std::string::npos || pending_.size() >= 4096) sync();
        return count;
    }
    int sync() override {
        if (pending_.empty()) return 0;
        // A character cut at the buffer's end waits for its other bytes.
        std::size_t whole = pending_.size(), lead = whole;
        while (lead > 0 && (Byte(lead - 1) & 0xC0) == 0x80)
            --lead;
        if (lead > 0 && Byte(lead - 1) >= 0xC0 && whole - (lead - 1) < Length(Byte(lead - 1)))
            whole = lead - 1;
        const std::string text = pending_.substr(0, whole);
        pending_.erase(0, whole);
        DWORD written = 0;
        if (!console_)
            return WriteFile(handle_, text.data(), static_cast<DWORD>(text.size()), &written,
                             nullptr)
                       ? 0
                       : -1;
        const std::wstring wide = zendra::WideFromUtf8(text);
        return WriteConsoleW(handle_, wide.data(), static_cast<DWORD>(wide.size()), &written,
                             nullptr)
                   ? 0
                   : -1;
    }

  private:
    unsigned char Byte(std::size_t at) const { return static_cast<unsigned char>(pending_[at]); }
    static std::size_t Length(unsigned char lead) { return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2; }
    HANDLE handle_;
    bool console_ = false;
    std::string pending_;
};

} // namespace

// Wide arguments, so that any path the user can type reaches the engine unchanged.
// The console's stop handler is installed before this runs (Interrupt_win.cpp), and a stop heard
// since is kept. A console close, log-off or shutdown's handler still waits for the run when this
// returns: the process ends with the run's status (were the handler to return first, the system
// would end it with a status of its own).
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(zendra::DisplayPath(std::filesystem::path(argv[i])));
    HandleBuffer outBuffer(STD_OUTPUT_HANDLE), errBuffer(STD_ERROR_HANDLE);
    std::ostream out(&outBuffer), err(&errBuffer);
    const int status = zendra::RunCli(args, out, err, errBuffer.IsConsole());
    out.flush();
    err.flush();
    return status;
}
