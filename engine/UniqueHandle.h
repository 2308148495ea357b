// The one shape of an owner of a system handle: the engine's kernel handles (KernelHandle_win.h)
// and the toolkit's windows, device contexts, GDI objects and icons (toolkit/Handles.h).
#pragma once

#include <utility>

namespace zendra {

// A move-only owner of one handle; Traits::Close releases it. Where the system's calls fail with a
// second value besides null (CreateFile's INVALID_HANDLE_VALUE), Traits::Failed() gives it, and
// it counts as no handle.
template <typename Traits> class UniqueHandle {
  public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept { Reset(handle); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() noexcept { Reset(); }

    Handle Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }
    Handle Release() noexcept { return std::exchange(handle_, nullptr); }
    void Reset(Handle handle = nullptr) noexcept {
        if constexpr (requires { Traits::Failed(); }) {
            if (handle == Traits::Failed()) handle = nullptr;
        }
        if (handle_ != nullptr && handle_ != handle) Traits::Close(handle_);
        handle_ = handle;
    }

  private:
    Handle handle_ = nullptr;
};

} // namespace zendra
