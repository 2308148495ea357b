#include "TaskbarProgress.h"

#include <objbase.h>
#include <shobjidl.h>

namespace zendra {

TaskbarProgress::TaskbarProgress(HWND window) noexcept : window_(window) {
    // S_FALSE (already started on this thread) must be balanced too; another threading model
    // started by other code is used as it is.
    comStarted_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    ComPtr<ITaskbarList3> list;
    // Before Windows 7 the taskbar object has no such interface: the creation fails.
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(ITaskbarList3), reinterpret_cast<void**>(list.Put()))) ||
        FAILED(list.Get()->HrInit()))
        return;
    list_ = std::move(list);
    list_.Get()->SetProgressState(window_, TBPF_NORMAL);
}

TaskbarProgress::~TaskbarProgress() noexcept {
    if (list_) {
        list_.Get()->SetProgressState(window_, TBPF_NOPROGRESS);
        list_.Reset(); // released while COM is still started on this thread
    }
    if (comStarted_) CoUninitialize();
}

void TaskbarProgress::Set(std::uint64_t done, std::uint64_t total) noexcept {
    if (list_ && total > 0) list_.Get()->SetProgressValue(window_, done < total ? done : total, total);
}

} // namespace zendra
