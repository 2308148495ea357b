// The shape of every owner of a system handle: kernel handles, CryptoAPI and COM objects
// (SystemHandles_win.h), the engine's files, and the toolkit's windows, GDI objects and icons.
#pragma once

#include <type_traits>
#include <utility>

namespace zendra {

// A move-only owner of one handle; Traits::Close releases it. The empty value is Traits::None()
// where the traits give one (a descriptor's -1), else the handle type's zero. Where the system's
// calls fail with a second value (CreateFile's INVALID_HANDLE_VALUE), Traits::Failed() gives it,
// and it counts as no handle.
template <typename Traits> class UniqueHandle {
  public:
    using Handle = typename Traits::Handle;

    static constexpr Handle None() noexcept {
        if constexpr (requires { Traits::None(); })
            return Traits::None();
        else
            return Handle{};
    }

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
    explicit operator bool() const noexcept { return handle_ != None(); }
    Handle Release() noexcept { return std::exchange(handle_, None()); }
    void Reset(Handle handle = None()) noexcept {
        if constexpr (requires { Traits::Failed(); }) {
            if (handle == Traits::Failed()) handle = None();
        }
        if (handle_ != None() && handle_ != handle) Traits::Close(handle_);
        handle_ = handle;
    }
    // For a call that gives its handle through a pointer: what was held is closed first.
    Handle* Put() noexcept {
        Reset();
        return &handle_;
    }
    // Closes now, for a handle whose close can report a failure (a file's last write): false when
    // the system's close failed, its error then the thread's last one.
    bool Close() noexcept requires
        std::is_same_v<decltype(Traits::Close(std::declval<Handle>())), bool> {
        const Handle handle = Release();
        return handle == None() || Traits::Close(handle);
    }

  private:
    Handle handle_ = None();
};

} // namespace zendra
