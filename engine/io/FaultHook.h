// Makes the file layer fail on purpose, so that tests can make every failure path of an operation
// happen: armed, the Nth write, flush, rename or removal fails as the system's call would with an
// I/O error. Disarmed (always, outside the tests that arm it) it costs one atomic count per call.
#pragma once

namespace zendra {

enum class FaultPoint { Write, Flush, Rename, Remove };

// Arms `point` so that its `nth` call from now (counting from 1) fails; 0 disarms it. Counting
// starts again either way.
void ArmFault(FaultPoint point, unsigned nth) noexcept;
// How many calls `point` has seen since it was last armed.
unsigned FaultCalls(FaultPoint point) noexcept;
// Called by the file layer before each call of that kind: true when this one is to fail.
bool FaultStrikes(FaultPoint point) noexcept;

} // namespace zendra
