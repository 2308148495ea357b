#include "Interrupt.h"

#include "io/File.h"
#include "io/Stop.h"

#include <windows.h>

namespace zendra {
namespace {

HANDLE handled = nullptr; // ends the wait below; lives as long as the process

// Runs on a thread of its own. A second Ctrl+C or Ctrl+Break goes to the default handler, which
// ends the program.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        if (StopRequested() != 0) return FALSE;
        RequestStop(2);
        return TRUE;
    }
    if (event != CTRL_CLOSE_EVENT && event != CTRL_LOGOFF_EVENT && event != CTRL_SHUTDOWN_EVENT)
        return FALSE;
    RemoveTemporariesAtOnce(); // no time to empty a large file in steps first
    RequestStop(15);
    // The system ends the process once this returns, with a status of its own, or after about 5 s.
    // The run is given that long to remove what it wrote: the tool's own end, which ends the
    // process while this still waits, gives the process the run's status.
    WaitForSingleObject(handled, 4500);
    return TRUE;
}

// Installed as the program starts, before its own code runs: a stop from then on is heard (without
// a handler the system's default one would end the program, leaving its status to it).
[[maybe_unused]] const bool installedAtStart = [] {
    handled = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
}();

} // namespace

void InstallInterruptHandler() {
    ForgetStopRequest();
    ResetEvent(handled);
    // Once in the list, even after a change of console (as the tests make), which empties the list
    // on recent Windows.
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool InterruptRequested() {
    return StopRequested() != 0;
}

int InterruptExitStatus() {
    const int signal = StopRequested();
    return 128 + (signal ? signal : 2);
}

void InterruptHandled() {
    SetEvent(handled);
}

} // namespace zendra
