#include "Digest.h"

#include "Checksum.h"
#include "Hashes.h"

namespace zendra {
namespace {

// MD5 and CRC-32 are the recovery data's own.
class Md5 : public Digest::State {
  public:
    void Update(const unsigned char* data, std::size_t size) override { md5_.Update(data, size); }
    std::string Hex() override {
        const par2::Md5Digest bytes = md5_.Final();
        return HexOf(bytes.data(), bytes.size());
    }

  private:
    par2::Md5 md5_;
};

class Crc32 : public Digest::State {
  public:
    void Update(const unsigned char* data, std::size_t size) override {
        crc_ = par2::Crc32(crc_, data, size);
    }
    std::string Hex() override {
        const unsigned char bytes[4] = {
            static_cast<unsigned char>(crc_ >> 24), static_cast<unsigned char>(crc_ >> 16),
            static_cast<unsigned char>(crc_ >> 8), static_cast<unsigned char>(crc_)};
        return HexOf(bytes, 4);
    }

  private:
    std::uint32_t crc_ = 0;
};

class Xxh128 : public Digest::State {
  public:
    void Update(const unsigned char* data, std::size_t size) override { hash_.Update(data, size); }
    std::string Hex() override { return hash_.Hex(); }

  private:
    Hash128 hash_;
};

} // namespace

std::size_t HexDigits(HashKind kind) {
    switch (kind) {
    case HashKind::Md5:
    case HashKind::Xxh128:
        return 32;
    case HashKind::Sha1:
        return 40;
    case HashKind::Sha256:
        return 64;
    case HashKind::Sha512:
        return 128;
    case HashKind::Crc32:
        break;
    }
    return 8;
}

Digest::Digest(HashKind kind) {
    if (kind == HashKind::Md5)
        state_ = std::make_unique<Md5>();
    else if (kind == HashKind::Crc32)
        state_ = std::make_unique<Crc32>();
    else if (kind == HashKind::Xxh128)
        state_ = std::make_unique<Xxh128>();
    else
        state_ = PlatformDigest(kind);
}

void Digest::Update(const void* data, std::size_t size) {
    state_->Update(static_cast<const unsigned char*>(data), size);
}

} // namespace zendra
