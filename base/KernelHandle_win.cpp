#include "base/KernelHandle_win.h"

#include <windows.h>

namespace zendra {

static_assert(sizeof(HANDLE) == sizeof(void*));

bool KernelHandleTraits::Close(void* handle) noexcept {
    return CloseHandle(handle) != 0;
}

} // namespace zendra
