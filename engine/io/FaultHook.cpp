#include "io/FaultHook.h"

#include "base/Utf8.h"

#include <atomic>
#include <mutex>

namespace zendra {
namespace {

struct Point {
    std::atomic<unsigned> armed{0};
    std::atomic<unsigned> calls{0};
    std::atomic<void (*)()> instead{nullptr};
};
Point points[4];

Point& Of(FaultPoint point) {
    return points[static_cast<int>(point)];
}

std::atomic<std::vector<std::string>*> recorded{nullptr};
std::mutex recording; // the flusher's thread records too

} // namespace

void ArmFault(FaultPoint point, unsigned nth, void (*instead)()) noexcept {
    Of(point).calls = 0;
    Of(point).instead = instead;
    Of(point).armed = nth;
}

unsigned FaultCalls(FaultPoint point) noexcept {
    return Of(point).calls.load();
}

bool FaultStrikes(FaultPoint point) noexcept {
    Point& p = Of(point);
    const unsigned armed = p.armed.load(std::memory_order_relaxed);
    const unsigned call = p.calls.fetch_add(1, std::memory_order_relaxed) + 1;
    if (armed == 0 || call != armed) return false;
    if (const auto instead = p.instead.load()) {
        instead();
        return false;
    }
    return true;
}

void RecordSteps(std::vector<std::string>* steps) noexcept {
    const std::lock_guard lock(recording);
    recorded = steps;
}

bool RecordingSteps() noexcept {
    return recorded.load(std::memory_order_relaxed) != nullptr;
}

void RecordStep(const std::string& step) {
    const std::lock_guard lock(recording);
    if (auto* steps = recorded.load()) steps->push_back(step);
}

void RecordFileStep(const char* what, const std::filesystem::path& path,
                    const std::filesystem::path& to) {
    if (!RecordingSteps()) return;
    std::string step = std::string(what) + " " + DisplayPath(path.filename());
    if (!to.empty()) step += " " + DisplayPath(to.filename());
    RecordStep(step);
}

} // namespace zendra
