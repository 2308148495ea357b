#include "Gallery.h"

#include <windows.h>

#include <cwchar>

namespace {

void CALLBACK EndGallery(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); }

} // namespace

// Shows the gallery; with a number of seconds as argument, ends by itself after that time.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    zendra::Gallery gallery;
    gallery.Show();
    gallery.Pose();
    const int seconds = static_cast<int>(std::wcstol(commandLine, nullptr, 10));
    if (seconds > 0) SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, &EndGallery);
    return zendra::tk::Form::RunMessageLoop();
}
