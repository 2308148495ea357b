// The one hash interface: MD5, SHA-1, SHA-256, SHA-384, SHA-512 (the system's: libmd on Linux,
// CryptoAPI on Windows), CRC-32 (zlib's), xxHash's XXH32, XXH64, XXH3 64-bit and 128-bit, and
// BLAKE2b-512 (Blake2b.cpp), for the checksum file, the recovery data and other tools' check files
// alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zendra {

enum class HashKind {
    Md5,
    Sha1,
    Sha256,
    Sha384,
    Sha512,
    Crc32,
    Xxh128,
    Xxh32,
    Xxh64,
    Xxh3,
    Blake2b
};

// The number of bytes of a digest of this kind, and of the hex digits it is written with.
std::size_t DigestSize(HashKind kind);
inline std::size_t HexDigits(HashKind kind) {
    return 2 * DigestSize(kind);
}

class Hasher {
  public:
    // One hash's running state; the system's hashes implement it in Hash_posix/_win.cpp.
    class State {
      public:
        virtual ~State() = default;
        virtual void Update(const std::uint8_t* data, std::size_t size) = 0;
        // Writes the digest, in the order the tools print it; called once, at the end.
        virtual void Finish(std::uint8_t* digest) = 0;
    };

    // Throws Failure when the system offers no such hash.
    explicit Hasher(HashKind kind);
    Hasher(Hasher&&) noexcept;
    Hasher& operator=(Hasher&&) noexcept;
    ~Hasher();

    void Update(const void* data, std::size_t size);
    // The digest of everything given; the hasher is spent.
    std::vector<std::uint8_t> Finish();
    // The same as the lower-case hex digits the tools print.
    std::string Hex();

  private:
    HashKind kind_;
    std::unique_ptr<State> state_;
};

// The system's MD5 or SHA of `kind`; throws Failure when it has none.
std::unique_ptr<Hasher::State> SystemHash(HashKind kind);

// BLAKE2b with a 64-byte digest, unkeyed (b2sum's default).
std::unique_ptr<Hasher::State> Blake2bHash();

// The IEEE CRC-32 (as zlib and PKZIP compute it) of `size` bytes after a running value `crc`
// (0 to start).
std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size);

} // namespace zendra
