#include "Interrupt.h"

#include <windows.h>

namespace zendra {
namespace {

volatile LONG requested = 0;

// Runs on a thread of its own; a second Ctrl+C goes to the default handler, which ends the program.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    return InterlockedExchange(&requested, 1) == 0;
}

} // namespace

void InstallInterruptHandler() {
    InterlockedExchange(&requested, 0);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool InterruptRequested() {
    return InterlockedCompareExchange(&requested, 0, 0) != 0;
}

} // namespace zendra
