// The owner of a Windows kernel handle (a file, a thread, an event) for the engine, the toolkit
// and the program. Windows only; the handle is held as void*, which is what HANDLE is, so that
// engine headers can name it without <windows.h>.
#pragma once

#include "base/UniqueHandle.h"

#include <cstdint>

namespace zendra {

struct KernelHandleTraits {
    using Handle = void*;
    static bool Close(void* handle) noexcept; // CloseHandle, in KernelHandle_win.cpp
    // INVALID_HANDLE_VALUE, what CreateFile gives on failure.
    static void* Failed() noexcept { return reinterpret_cast<void*>(std::intptr_t{-1}); }
};
using KernelHandle = UniqueHandle<KernelHandleTraits>;

} // namespace zendra
