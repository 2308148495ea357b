// The hashes other tools' check files carry, from the platform or packaged libraries: SHA-1,
// SHA-256 and SHA-512 (CryptoAPI on Windows, libmd elsewhere), MD5 and CRC-32 (the recovery
// data's, in recovery/Hashes.h) and XXH3 128-bit.
#pragma once

#include "ChecksumLine.h"

#include <cstddef>
#include <memory>
#include <string>

namespace zendra {

enum class HashKind { Md5, Sha1, Sha256, Sha512, Crc32, Xxh128 };

// The number of hex digits a hash of this kind is written with.
std::size_t HexDigits(HashKind kind);

class Digest {
  public:
    // One hash's running state; the platform's hashes implement it in Digest_posix/_win.cpp.
    class State {
      public:
        virtual ~State() = default;
        virtual void Update(const unsigned char* data, std::size_t size) = 0;
        virtual std::string Hex() = 0; // lower-case; called once, at the end
    };

    explicit Digest(HashKind kind);
    void Update(const void* data, std::size_t size);
    std::string Hex() { return state_->Hex(); }

  private:
    std::unique_ptr<State> state_;
};

// The platform's SHA-1, SHA-256 and SHA-512; throws Failure when the system has none.
std::unique_ptr<Digest::State> PlatformDigest(HashKind kind);

} // namespace zendra
