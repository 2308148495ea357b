// CryptoAPI's SHA-1 and SHA-2. SHA-2 needs the RSA-and-AES provider type, which Windows XP
// has from SP3 on, under a provider name of its own there.
#include "Digest.h"

#include "Failure.h"

#include <windows.h>
// after windows.h, whose types it uses
#include <wincrypt.h>

namespace zendra {
namespace {

// XP SP3 has both; the headers show them only when building for SP3 or later, not XP in general.
constexpr ALG_ID kSha256 = ALG_CLASS_HASH | ALG_TYPE_ANY | 12; // ALG_SID_SHA_256
constexpr ALG_ID kSha512 = ALG_CLASS_HASH | ALG_TYPE_ANY | 14; // ALG_SID_SHA_512

class CryptoDigest : public Digest::State {
  public:
    explicit CryptoDigest(ALG_ID algorithm) {
        if (!CryptAcquireContextW(&provider_, nullptr, nullptr, PROV_RSA_AES,
                                  CRYPT_VERIFYCONTEXT) &&
            !CryptAcquireContextW(&provider_, nullptr, MS_ENH_RSA_AES_PROV_XP_W, PROV_RSA_AES,
                                  CRYPT_VERIFYCONTEXT))
            throw Failure("This system offers no provider for the check file's hash.");
        if (!CryptCreateHash(provider_, algorithm, 0, 0, &hash_)) {
            CryptReleaseContext(provider_, 0);
            throw Failure("This system cannot compute the check file's hash.");
        }
    }
    ~CryptoDigest() override {
        CryptDestroyHash(hash_);
        CryptReleaseContext(provider_, 0);
    }
    CryptoDigest(const CryptoDigest&) = delete;
    CryptoDigest& operator=(const CryptoDigest&) = delete;

    void Update(const unsigned char* data, std::size_t size) override {
        while (size > 0) { // CryptHashData takes a 32-bit length
            const DWORD step = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
            if (!CryptHashData(hash_, data, step, 0))
                throw Failure("This system failed to compute the check file's hash.");
            data += step;
            size -= step;
        }
    }
    std::string Hex() override {
        unsigned char bytes[64];
        DWORD size = sizeof bytes;
        if (!CryptGetHashParam(hash_, HP_HASHVAL, bytes, &size, 0))
            throw Failure("This system failed to compute the check file's hash.");
        return HexOf(bytes, size);
    }

  private:
    HCRYPTPROV provider_ = 0;
    HCRYPTHASH hash_ = 0;
};

} // namespace

std::unique_ptr<Digest::State> PlatformDigest(HashKind kind) {
    switch (kind) {
    case HashKind::Sha1:
        return std::make_unique<CryptoDigest>(CALG_SHA1);
    case HashKind::Sha256:
        return std::make_unique<CryptoDigest>(kSha256);
    default:
        return std::make_unique<CryptoDigest>(kSha512);
    }
}

} // namespace zendra
