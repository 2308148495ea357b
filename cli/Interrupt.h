// Ctrl+C, and the signals a shutdown or a closed terminal sends, ask the running split or join to
// stop; the engine then removes what it wrote.
#pragma once

namespace zendra {

// Installs the handlers and forgets an earlier request. A second Ctrl+C ends the program at once.
void InstallInterruptHandler();
bool InterruptRequested();
// The exit status for the request: 128 and the signal's number (130 for Ctrl+C, 129 for a hang-up,
// 143 for a termination request), as shells report a program a signal ended.
int InterruptExitStatus();
#ifdef _WIN32
// Ends the wait of the handler for Windows' console close, log-off and shutdown, which waits for
// the run to clean up, as the end of the tool's process ends it; for the tests, which run the tool
// in their own process.
void InterruptHandled();
#endif

} // namespace zendra
