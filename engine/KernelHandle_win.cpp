#include "KernelHandle_win.h"

#include <windows.h>

namespace zendra {

void KernelHandle::Reset(void* handle) noexcept {
    if (handle == INVALID_HANDLE_VALUE) handle = nullptr;
    if (handle_ != nullptr && handle_ != handle) CloseHandle(handle_);
    handle_ = handle;
}

bool KernelHandle::Close() noexcept {
    void* const handle = Release();
    return handle == nullptr || CloseHandle(handle) != 0;
}

} // namespace zendra
