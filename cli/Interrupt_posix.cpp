#include "Interrupt.h"

#include <csignal>

namespace zendra {
namespace {

volatile std::sig_atomic_t requested = 0;

void OnInterrupt(int) {
    requested = 1;
}

} // namespace

void InstallInterruptHandler() {
    requested = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested() {
    return requested != 0;
}

} // namespace zendra
