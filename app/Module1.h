// The program's shutdown routine.
#pragma once

#include <functional>

namespace zendra {

// Unloads every loaded window, from the last loaded to the first. With `force`, the program then
// ends at once, without further events (it holds no open files between events).
void UnloadAll(bool force) noexcept;

// What ending the program means (by default the process exits with code 1); tests replace it.
void SetProgramEnd(std::function<void()> end);

} // namespace zendra
