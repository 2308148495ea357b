// libmd's SHA-1 and SHA-2 (Debian's libmd-dev).
#include "Digest.h"

#include <sha1.h>
#include <sha2.h>

namespace zendra {
namespace {

// One libmd context with its three functions.
template <class Context, void (*Init)(Context*), void (*Add)(Context*, const std::uint8_t*, size_t),
          void (*Final)(std::uint8_t*, Context*), std::size_t Bytes>
class LibmdDigest : public Digest::State {
  public:
    LibmdDigest() { Init(&context_); }
    void Update(const unsigned char* data, std::size_t size) override {
        Add(&context_, data, size);
    }
    std::string Hex() override {
        unsigned char bytes[Bytes];
        Final(bytes, &context_);
        return HexOf(bytes, Bytes);
    }

  private:
    Context context_;
};

} // namespace

std::unique_ptr<Digest::State> PlatformDigest(HashKind kind) {
    switch (kind) {
    case HashKind::Sha1:
        return std::make_unique<LibmdDigest<SHA1_CTX, SHA1Init, SHA1Update, SHA1Final, 20>>();
    case HashKind::Sha256:
        return std::make_unique<LibmdDigest<SHA2_CTX, SHA256Init, SHA256Update, SHA256Final, 32>>();
    default:
        return std::make_unique<LibmdDigest<SHA2_CTX, SHA512Init, SHA512Update, SHA512Final, 64>>();
    }
}

} // namespace zendra
