// The one owner of a Windows kernel handle (a file, a thread, an event) for the engine, the
// toolkit and the program: closed once, when its owner ends or is given another. Windows only; the
// handle is held as void*, which is what HANDLE is, so that this header, like every engine header,
// does without <windows.h>.
#pragma once

#include <utility>

namespace zendra {

class KernelHandle {
  public:
    KernelHandle() noexcept = default;
    // Takes `handle` over; both failure values of the system's calls (null, and the invalid handle
    // that CreateFile gives) count as no handle.
    explicit KernelHandle(void* handle) noexcept { Reset(handle); }
    KernelHandle(KernelHandle&& other) noexcept : handle_(other.Release()) {}
    KernelHandle& operator=(KernelHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;
    ~KernelHandle() noexcept { Reset(); }

    void* Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }
    void* Release() noexcept { return std::exchange(handle_, nullptr); }
    void Reset(void* handle = nullptr) noexcept;
    // Closes the handle now; false when the system reports a failure (for a file written to, data
    // that could not be written).
    bool Close() noexcept;

  private:
    void* handle_ = nullptr;
};

} // namespace zendra
