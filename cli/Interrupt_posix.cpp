#include "Interrupt.h"

#include <csignal>
#include <initializer_list>

namespace zendra {
namespace {

volatile std::sig_atomic_t requested = 0;

void OnSignal(int signal) {
    requested = signal;
}

} // namespace

void InstallInterruptHandler() {
    requested = 0;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND; // the second one acts as if there were no handler
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

bool InterruptRequested() {
    return requested != 0;
}

int InterruptExitStatus() {
    return 128 + (requested ? static_cast<int>(requested) : SIGINT);
}

void InterruptHandled() {}

} // namespace zendra
