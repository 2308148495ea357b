// CryptoAPI's MD5, SHA-1 and SHA-2 through one provider of the RSA-and-AES type, which every
// system from Windows XP SP3 on has (XP names it "... (Prototype)").
#include "base/Hash.h"

#include "base/Failure.h"
#include "base/SystemHandles_win.h"

#include <algorithm>

namespace zendra {
namespace {

// XP SP3 has both; the headers show them only when building for SP3 or later, not XP in general.
constexpr ALG_ID kSha256 = ALG_CLASS_HASH | ALG_TYPE_ANY | 12; // ALG_SID_SHA_256
constexpr ALG_ID kSha384 = ALG_CLASS_HASH | ALG_TYPE_ANY | 13; // ALG_SID_SHA_384
constexpr ALG_ID kSha512 = ALG_CLASS_HASH | ALG_TYPE_ANY | 14; // ALG_SID_SHA_512

// One for the program's life: acquiring a provider is slow. None where the system has none.
HCRYPTPROV SharedProvider() {
    static const CryptoProvider provider = [] {
        CryptoProvider acquired;
        if (!CryptAcquireContextW(acquired.Put(), nullptr, nullptr, PROV_RSA_AES,
                                  CRYPT_VERIFYCONTEXT | CRYPT_SILENT))
            CryptAcquireContextW(acquired.Put(), nullptr, MS_ENH_RSA_AES_PROV_XP_W, PROV_RSA_AES,
                                 CRYPT_VERIFYCONTEXT | CRYPT_SILENT);
        return acquired;
    }();
    return provider.Get();
}

class CryptoHashState : public Hasher::State {
  public:
    explicit CryptoHashState(ALG_ID algorithm) {
        if (!SharedProvider() || !CryptCreateHash(SharedProvider(), algorithm, 0, 0, hash_.Put()))
            throw Failure("This system cannot compute the hash it needs here.");
    }
    void Update(const std::uint8_t* data, std::size_t size) override {
        while (size > 0) { // CryptHashData takes a 32-bit length
            const DWORD step = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
            if (!CryptHashData(hash_.Get(), data, step, 0))
                throw Failure("This system failed to compute a hash.");
            data += step;
            size -= step;
        }
    }
    void Finish(std::uint8_t* digest) override {
        BYTE bytes[64];
        DWORD size = sizeof bytes;
        if (!CryptGetHashParam(hash_.Get(), HP_HASHVAL, bytes, &size, 0))
            throw Failure("This system failed to compute a hash.");
        std::copy(bytes, bytes + size, digest);
    }

  private:
    CryptoHash hash_;
};

} // namespace

std::unique_ptr<Hasher::State> SystemHash(HashKind kind) {
    switch (kind) {
    case HashKind::Md5:
        return std::make_unique<CryptoHashState>(CALG_MD5);
    case HashKind::Sha1:
        return std::make_unique<CryptoHashState>(CALG_SHA1);
    case HashKind::Sha256:
        return std::make_unique<CryptoHashState>(kSha256);
    case HashKind::Sha384:
        return std::make_unique<CryptoHashState>(kSha384);
    case HashKind::Sha512:
        return std::make_unique<CryptoHashState>(kSha512);
    default:
        break; // CRC-32, the xxHash kinds and BLAKE2b are zlib's, xxHash's and our own
    }
    throw Failure("This system offers no such hash.");
}

} // namespace zendra
