#include "Worker.h"

#include <pthread.h>

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
        RunJob(*this);
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

} // namespace zendra
