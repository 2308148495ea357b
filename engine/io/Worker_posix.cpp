#include "io/Worker.h"

#include <pthread.h>
#include <time.h>

namespace zendra {

struct Worker::Thread {
    pthread_t id;
};

namespace {

void* Start(void* worker) {
    Worker::RunJob(*static_cast<Worker*>(worker));
    return nullptr;
}

} // namespace

Worker::Worker(Job job) : job_(std::move(job)), thread_(std::make_unique<Thread>()) {
    if (pthread_create(&thread_->id, nullptr, Start, this) != 0) {
        thread_.reset();
        RunHere();
    }
}

Worker::~Worker() {
    stop_ = true;
    Wait();
}

void Worker::Wait() noexcept {
    if (thread_) pthread_join(thread_->id, nullptr);
    thread_.reset();
}

bool Worker::Ended(unsigned milliseconds) noexcept {
    if (!thread_) return true;
    timespec until{};
    clock_gettime(CLOCK_REALTIME, &until);
    until.tv_nsec += static_cast<long>(milliseconds) * 1000000;
    until.tv_sec += until.tv_nsec / 1000000000;
    until.tv_nsec %= 1000000000;
    if (pthread_timedjoin_np(thread_->id, nullptr, &until) != 0) return false;
    thread_.reset(); // joined: Wait must not join it again
    return true;
}

} // namespace zendra
