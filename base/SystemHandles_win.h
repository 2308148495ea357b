// Owners of the Windows objects that are not kernel handles: a folder listing, a CryptoAPI provider
// and hash, and a COM interface. Windows only.
#pragma once

#include "base/UniqueHandle.h"

#include <windows.h>

#include <wincrypt.h>

namespace zendra {

// A listing from FindFirstFile, which fails as INVALID_HANDLE_VALUE, not null.
struct FindTraits {
    using Handle = HANDLE;
    static void Close(HANDLE find) noexcept { FindClose(find); }
    static HANDLE Failed() noexcept { return INVALID_HANDLE_VALUE; }
};
using UniqueFind = UniqueHandle<FindTraits>;

struct CryptoProviderTraits {
    using Handle = HCRYPTPROV;
    static void Close(HCRYPTPROV provider) noexcept { CryptReleaseContext(provider, 0); }
};
using CryptoProvider = UniqueHandle<CryptoProviderTraits>;

struct CryptoHashTraits {
    using Handle = HCRYPTHASH;
    static void Close(HCRYPTHASH hash) noexcept { CryptDestroyHash(hash); }
};
using CryptoHash = UniqueHandle<CryptoHashTraits>;

template <typename Interface> struct ComTraits {
    using Handle = Interface*;
    static void Close(Interface* object) noexcept { object->Release(); }
};
// Filled by CoCreateInstance and the like through Put().
template <typename Interface> using ComPtr = UniqueHandle<ComTraits<Interface>>;

} // namespace zendra
