#include "KernelHandle_win.h"

#include <windows.h>

namespace zendra {

static_assert(sizeof(HANDLE) == sizeof(void*));

void KernelHandleTraits::Close(void* handle) noexcept {
    CloseHandle(handle);
}

} // namespace zendra
