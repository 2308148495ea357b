#include "TaskbarProgress.h"

#include <objbase.h>
#include <shobjidl.h>

namespace zendra {

TaskbarProgress::TaskbarProgress(HWND window) noexcept : window_(window) {
    // S_FALSE (already started on this thread) must be balanced too; another threading model
    // started by other code is used as it is.
    comStarted_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    ITaskbarList3* list = nullptr;
    // Before Windows 7 the taskbar object has no such interface: the creation fails.
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(ITaskbarList3), reinterpret_cast<void**>(&list))))
        return;
    if (FAILED(list->HrInit())) {
        list->Release();
        return;
    }
    list_ = list;
    list_->SetProgressState(window_, TBPF_NORMAL);
}

TaskbarProgress::~TaskbarProgress() noexcept {
    if (list_) {
        list_->SetProgressState(window_, TBPF_NOPROGRESS);
        list_->Release();
    }
    if (comStarted_) CoUninitialize();
}

void TaskbarProgress::Set(std::uint64_t done, std::uint64_t total) noexcept {
    if (list_ && total > 0) list_->SetProgressValue(window_, done < total ? done : total, total);
}

} // namespace zendra
