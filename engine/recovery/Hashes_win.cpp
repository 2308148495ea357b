// CryptoAPI's MD5 (CALG_MD5 in the base provider, present from Windows XP on).
#include "Hashes.h"

#include "Failure.h"

#include <windows.h>

#include <wincrypt.h> // after windows.h, which it needs

#include <algorithm>

namespace zendra::par2 {

namespace {

struct Provider {
    HCRYPTPROV handle = 0;
    Provider() {
        if (!CryptAcquireContextW(&handle, nullptr, nullptr, PROV_RSA_FULL,
                                  CRYPT_VERIFYCONTEXT | CRYPT_SILENT))
            throw Failure("The system's MD5 service is not available.");
    }
    ~Provider() { CryptReleaseContext(handle, 0); }
};

HCRYPTPROV SharedProvider() {
    static const Provider provider; // one for the program's life: acquiring it is slow
    return provider.handle;
}

} // namespace

struct Md5::State {
    HCRYPTHASH hash = 0;
    ~State() {
        if (hash) CryptDestroyHash(hash);
    }
};

Md5::Md5() : state_(std::make_unique<State>()) {
    if (!CryptCreateHash(SharedProvider(), CALG_MD5, 0, 0, &state_->hash))
        throw Failure("The system's MD5 service is not available.");
}
Md5::Md5(Md5&&) noexcept = default;
Md5& Md5::operator=(Md5&&) noexcept = default;
Md5::~Md5() = default;

void Md5::Update(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const BYTE*>(data);
    while (size > 0) {
        const DWORD part = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        if (!CryptHashData(state_->hash, bytes, part, 0))
            throw Failure("The system's MD5 service failed.");
        bytes += part;
        size -= part;
    }
}

Md5Digest Md5::Final() {
    Md5Digest digest;
    DWORD size = static_cast<DWORD>(digest.size());
    if (!CryptGetHashParam(state_->hash, HP_HASHVAL, digest.data(), &size, 0) || size != 16)
        throw Failure("The system's MD5 service failed.");
    return digest;
}

} // namespace zendra::par2
