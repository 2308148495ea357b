// The packets of a PAR 2.0 file, byte for byte: the 64-byte header and the bodies of the five core
// types. Integers are little-endian; identifiers are MD5 digests.
#pragma once

#include "recovery/Hashes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zendra::par2 {

using Id16 = std::array<std::uint8_t, 16>;
using Bytes = std::vector<std::uint8_t>;

inline constexpr std::size_t kHeaderSize = 64;
inline constexpr std::uint8_t kMagic[8] = {'P', 'A', 'R', '2', 0, 'P', 'K', 'T'};

enum class PacketType { Main, FileDescription, SliceChecksums, RecoverySlice, Creator, Other };
// The 16 type bytes of a core type, and the type a header's bytes name.
std::array<std::uint8_t, 16> TypeBytes(PacketType type);
PacketType TypeOf(const std::uint8_t* typeBytes);

// The header fields a reader checks before the body.
struct Header {
    std::uint64_t Length = 0; // with the header
    Md5Digest Hash{};         // of the bytes from the set ID to the end
    Id16 SetId{};
    PacketType Type = PacketType::Other;
};
// Nothing when the bytes are not a header: no magic, or a length that is not a multiple of 4 of
// at least the header.
std::optional<Header> DecodeHeader(const std::uint8_t* bytes);
// A whole packet: header, then body (a multiple of 4 bytes).
Bytes EncodePacket(const Id16& setId, PacketType type, const Bytes& body);
// The header of a packet whose hash the caller computed (a recovery slice written in parts).
std::array<std::uint8_t, kHeaderSize> EncodeHeader(const Id16& setId, PacketType type,
                                                   std::uint64_t length, const Md5Digest& hash);

struct MainPacket {
    std::uint64_t SliceSize = 0;
    std::vector<Id16> RecoveryFiles; // in slice order (see IdLess)
    std::vector<Id16> OtherFiles;
};
struct FileDescription {
    Id16 FileId{};
    Md5Digest Hash{};
    Md5Digest Hash16k{}; // of the first 16 KiB
    std::uint64_t Length = 0;
    std::string Name; // UTF-8, "/" between folders
};
struct SliceChecksum {
    Md5Digest Hash{};
    std::uint32_t Crc = 0;
    bool operator==(const SliceChecksum&) const = default;
};

inline constexpr std::size_t kHashedPrefix = 16384;
inline constexpr std::uint32_t kMaxFiles = 32768;

// The File ID: MD5 of the first 16 KiB's MD5, the length and the name (unpadded).
Id16 FileIdOf(const Md5Digest& hash16k, std::uint64_t length, const std::string& name);
// The order of the main packet's lists and of the slice numbers: the IDs as little-endian
// 128-bit numbers.
bool IdLess(const Id16& a, const Id16& b);
// The set ID: MD5 of the main packet's body.
Id16 SetIdOf(const Bytes& mainBody);

Bytes EncodeMain(const MainPacket& main);
Bytes EncodeFileDescription(const FileDescription& file);
Bytes EncodeSliceChecksums(const Id16& fileId, const std::vector<SliceChecksum>& slices);
Bytes EncodeCreator(const std::string& text);

std::optional<MainPacket> DecodeMain(const Bytes& body);
std::optional<FileDescription> DecodeFileDescription(const Bytes& body);
std::optional<std::pair<Id16, std::vector<SliceChecksum>>> DecodeSliceChecksums(const Bytes& body);

// How many slices a file of `length` bytes has (any slice size: no sum that could overflow).
inline std::uint64_t SliceCount(std::uint64_t length, std::uint64_t sliceSize) {
    return length / sliceSize + (length % sliceSize != 0);
}

} // namespace zendra::par2
