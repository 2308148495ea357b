// Makes the file layer fail on purpose, so that tests can make every failure path of an operation
// happen: armed, the Nth write, flush, rename or removal fails as the system's call would with an
// I/O error (or, given something to do instead, does that at that moment and goes on). Disarmed
// (always, outside the tests that arm it) it costs one atomic count per call. It also records, for
// the tests that check their order, the flushes and renames made.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zendra {

enum class FaultPoint { Write, Flush, Rename, Remove };

// Arms `point` so that its `nth` call from now (counting from 1) fails, or calls `instead` (a
// test's signal, a kill) and goes on; 0 disarms it. Counting starts again either way.
void ArmFault(FaultPoint point, unsigned nth, void (*instead)() = nullptr) noexcept;
// How many calls `point` has seen since it was last armed.
unsigned FaultCalls(FaultPoint point) noexcept;
// Called by the file layer before each call of that kind: true when this one is to fail.
bool FaultStrikes(FaultPoint point) noexcept;

// From now on the file layer adds each flush and rename to `steps` ("flush NAME", "flush the
// folder", "flush the file system", "rename FROM TO", names without their folder); nullptr ends it.
void RecordSteps(std::vector<std::string>* steps) noexcept;
// Whether steps are recorded, and the file layer's way to add one.
bool RecordingSteps() noexcept;
void RecordStep(const std::string& step);
// The file layer's step on one file ("flush NAME") or two ("rename FROM TO"), when recording.
void RecordFileStep(const char* what, const std::filesystem::path& path,
                    const std::filesystem::path& to = {});

} // namespace zendra
