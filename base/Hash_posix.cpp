// libmd's MD5, SHA-1 and SHA-2 (Debian's libmd-dev).
#include "base/Hash.h"

#include "base/Failure.h"

#include <sys/types.h>

#include <md5.h>
#include <sha1.h>
#include <sha2.h>

namespace zendra {
namespace {

// One libmd context with its three functions.
template <class Context, void (*Init)(Context*), void (*Add)(Context*, const std::uint8_t*, size_t),
          void (*Final)(std::uint8_t*, Context*)>
class LibmdHash : public Hasher::State {
  public:
    LibmdHash() { Init(&context_); }
    void Update(const std::uint8_t* data, std::size_t size) override { Add(&context_, data, size); }
    void Finish(std::uint8_t* digest) override { Final(digest, &context_); }

  private:
    Context context_;
};

} // namespace

std::unique_ptr<Hasher::State> SystemHash(HashKind kind) {
    switch (kind) {
    case HashKind::Md5:
        return std::make_unique<LibmdHash<MD5_CTX, MD5Init, MD5Update, MD5Final>>();
    case HashKind::Sha1:
        return std::make_unique<LibmdHash<SHA1_CTX, SHA1Init, SHA1Update, SHA1Final>>();
    case HashKind::Sha256:
        return std::make_unique<LibmdHash<SHA2_CTX, SHA256Init, SHA256Update, SHA256Final>>();
    case HashKind::Sha384:
        return std::make_unique<LibmdHash<SHA2_CTX, SHA384Init, SHA384Update, SHA384Final>>();
    case HashKind::Sha512:
        return std::make_unique<LibmdHash<SHA2_CTX, SHA512Init, SHA512Update, SHA512Final>>();
    default:
        break; // CRC-32, the xxHash kinds and BLAKE2b are zlib's, xxHash's and our own
    }
    throw Failure("This system offers no such hash.");
}

} // namespace zendra
