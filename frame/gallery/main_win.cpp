#include "FrameGallery.h"

#include <windows.h>

#include <cwchar>

namespace {

zendra::FrameGallery* gallery = nullptr;
int pose = 0;

void CALLBACK NextPose(HWND, UINT, UINT_PTR, DWORD) {
    if (++pose >= gallery->PoseCount()) {
        PostQuitMessage(0);
        return;
    }
    gallery->Pose(pose);
}

} // namespace

// Shows the frame gallery and poses each window in turn, one pose every `seconds` (argument,
// default 3); ends after the last pose.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    zendra::FrameGallery frames;
    gallery = &frames;
    frames.Show();
    frames.Pose(0);
    int seconds = static_cast<int>(std::wcstol(commandLine, nullptr, 10));
    if (seconds <= 0) seconds = 3;
    SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, &NextPose);
    return zendra::tk::Form::RunMessageLoop();
}
