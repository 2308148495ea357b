#include "Interrupt.h"

#include "io/File.h"

#include <windows.h>

namespace zendra {
namespace {

volatile LONG requested = 0;
HANDLE handled = nullptr; // set once the run has cleaned up; lives as long as the process

// Runs on a thread of its own. A second Ctrl+C goes to the default handler, which ends the program.
// Closing the console, logging off and shutting down end the process once this returns, or after
// about 5 s: the run is told to stop and given that long to remove what it wrote.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)
        return InterlockedExchange(&requested, 2) == 0;
    if (event != CTRL_CLOSE_EVENT && event != CTRL_LOGOFF_EVENT && event != CTRL_SHUTDOWN_EVENT)
        return FALSE;
    RemoveTemporariesAtOnce(); // no time to empty a large file in steps first
    InterlockedExchange(&requested, 15);
    if (handled) WaitForSingleObject(handled, 4500);
    return TRUE;
}

} // namespace

void InstallInterruptHandler() {
    InterlockedExchange(&requested, 0);
    if (!handled) handled = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool InterruptRequested() {
    return InterlockedCompareExchange(&requested, 0, 0) != 0;
}

int InterruptExitStatus() {
    const LONG signal = InterlockedCompareExchange(&requested, 0, 0);
    return 128 + (signal ? static_cast<int>(signal) : 2);
}

void InterruptHandled() {
    if (handled) SetEvent(handled);
}

} // namespace zendra
