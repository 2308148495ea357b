#include "io/FaultHook.h"

#include <atomic>

namespace zendra {
namespace {

struct Point {
    std::atomic<unsigned> armed{0};
    std::atomic<unsigned> calls{0};
};
Point points[4];

Point& Of(FaultPoint point) {
    return points[static_cast<int>(point)];
}

} // namespace

void ArmFault(FaultPoint point, unsigned nth) noexcept {
    Of(point).calls = 0;
    Of(point).armed = nth;
}

unsigned FaultCalls(FaultPoint point) noexcept {
    return Of(point).calls.load();
}

bool FaultStrikes(FaultPoint point) noexcept {
    Point& p = Of(point);
    const unsigned armed = p.armed.load(std::memory_order_relaxed);
    const unsigned call = p.calls.fetch_add(1, std::memory_order_relaxed) + 1;
    return armed != 0 && call == armed;
}

} // namespace zendra
