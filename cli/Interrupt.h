// Ctrl+C asks the running split or join to stop; the engine then removes what it wrote.
#pragma once

namespace zendra {

// Installs the handler and forgets an earlier request. A second Ctrl+C ends the program at once.
void InstallInterruptHandler();
bool InterruptRequested();

} // namespace zendra
