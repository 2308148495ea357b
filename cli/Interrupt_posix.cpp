#include "Interrupt.h"

#include "io/Stop.h"

#include <csignal>
#include <initializer_list>

namespace zendra {
namespace {

void OnSignal(int signal) {
    RequestStop(signal);
}

} // namespace

void InstallInterruptHandler() {
    ForgetStopRequest();
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND; // the second one acts as if there were no handler
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

bool InterruptRequested() {
    return StopRequested() != 0;
}

int InterruptExitStatus() {
    const int signal = StopRequested();
    return 128 + (signal ? signal : SIGINT);
}

} // namespace zendra
