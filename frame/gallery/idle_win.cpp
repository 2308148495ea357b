#include "FrameGallery.h"

#include <windows.h>

#include <cwchar>

namespace {

void CALLBACK End(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); }

} // namespace

// One window with a Leopard title bar, shown and left alone for `seconds` (argument, default 60),
// for measuring what the bar's pollers cost an idle program. With a second argument "inactive"
// another window stays active, so the inactive-look poller runs instead of the hover poller.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    wchar_t* rest = nullptr;
    int seconds = static_cast<int>(std::wcstol(commandLine, &rest, 10));
    if (seconds <= 0) seconds = 60;
    const bool inactive = rest != nullptr && std::wcsstr(rest, L"inactive") != nullptr;

    zendra::FrameWindow window(std::make_unique<zendra::Leopard>(), L"Zendra", 444, 319);
    window.Move(zendra::tk::PixelsToTwips(100), zendra::tk::PixelsToTwips(100),
                window.Width(), window.Height());
    window.Show();
    // A plain window without a bar, so that only the measured bar polls.
    zendra::tk::Form other(L"Other", zendra::tk::PixelsToTwips(200), zendra::tk::PixelsToTwips(120));
    if (inactive) other.Show();
    SetCursorPos(1000, 900); // away from the buttons
    SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, &End);
    return zendra::tk::Form::RunMessageLoop();
}
