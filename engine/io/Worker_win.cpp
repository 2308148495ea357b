#include "io/Worker.h"

#include "base/KernelHandle_win.h"

#include <windows.h>

namespace zendra {

struct Worker::Thread {
    KernelHandle handle;
};

namespace {

DWORD WINAPI Start(void* worker) {
    Worker::RunJob(*static_cast<Worker*>(worker));
    return 0;
}

} // namespace

// CreateThread, not std::thread: the runtime behind the latter imports functions XP lacks.
Worker::Worker(Job job) : job_(std::move(job)), thread_(std::make_unique<Thread>()) {
    thread_->handle.Reset(CreateThread(nullptr, 0, Start, this, 0, nullptr));
    if (!thread_->handle) {
        thread_.reset();
        RunHere();
    }
}

Worker::~Worker() {
    stop_ = true;
    Wait();
}

void Worker::Wait() noexcept {
    if (!thread_) return;
    WaitForSingleObject(thread_->handle.Get(), INFINITE);
    thread_.reset();
}

bool Worker::Ended(unsigned milliseconds) noexcept {
    return !thread_ || WaitForSingleObject(thread_->handle.Get(), milliseconds) == WAIT_OBJECT_0;
}

void* Worker::ThreadHandle() const noexcept {
    return thread_ ? thread_->handle.Get() : nullptr;
}

} // namespace zendra
