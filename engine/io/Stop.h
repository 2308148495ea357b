// A request from outside a run to stop every run of the process (Ctrl+C, a signal, the console
// closed, a log-off or a shutdown). Besides the progress callbacks, the file layer hears it at each
// write of a run's new file and the transaction once more just before its commit, so that every
// phase stops, those without a progress callback too, and the commit, once begun, finishes.
#pragma once

namespace zendra {

// Asks every run to stop; `code` (the signal's number) is kept for the exit status. Safe in a
// signal handler and on any thread.
void RequestStop(int code) noexcept;
// The code of the request; 0 while none was made.
int StopRequested() noexcept;
// Forgets a request (a new run of the tool in the same process, as the tests start).
void ForgetStopRequest() noexcept;
// Throws Failure::Cancelled(), the failure that rolls a run back, once a stop was requested.
void ThrowIfStopRequested();

} // namespace zendra
