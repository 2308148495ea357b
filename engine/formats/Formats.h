// The index file, the piece files and their names, byte for byte.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zendra {

// The record behind the index file. FilePath holds the source path in the index's 8-bit form.
// FileSize is the source's length: up to 2,147,483,647 bytes it is the record's own 32-bit field;
// a longer length is written as -1 there and given in full by the long-size record after it.
struct SplitIndex {
    std::int64_t FileSize = 0;
    std::string FilePath;
    std::int16_t PieceCount = 0;
    std::int32_t FirstNumber = 0;
};

// One piece file: where it lies and how many bytes of the source it carries.
struct PieceBuffer {
    std::filesystem::path Location;
    std::int32_t Size = 0;
};

// A piece file is its bytes between a 10-byte array header and the 4-byte Size.
inline constexpr std::size_t kPieceHeaderSize = 10;
inline constexpr std::size_t kPieceTrailerSize = 4;
inline constexpr std::size_t kIndexFixedSize = 12;
inline constexpr std::int64_t kMaxClassicSize = 2147483647;
inline constexpr std::int64_t kMaxPieceSize = 2147483647;
inline constexpr std::int64_t kMaxPieceCount = 32767;
inline constexpr std::size_t kMaxIndexPathBytes = 65535;

// The long-size record that follows the classic one for sources over 2,147,483,647 bytes: these
// 8 marker bytes, then the length as 8 bytes little-endian. Readers of the classic record stop
// before it.
inline constexpr char kLongSizeMarker[] = "ZDR64LEN";
inline constexpr std::size_t kLongSizeRecordSize = 16;

std::vector<std::uint8_t> EncodeIndex(const SplitIndex& index);

// Reads the record from the start of an index file's bytes, and the long-size record when one
// follows it and the classic FileSize is -1; other bytes after the record are ignored.
// Returns nothing when the bytes are too short for the record they announce.
std::optional<SplitIndex> DecodeIndex(const std::vector<std::uint8_t>& bytes);
// The bytes of an index file that a record can take: the record and a long-size record after it;
// further bytes are no index's.
std::vector<std::uint8_t> ReadIndexBytes(const std::filesystem::path& index);

std::array<std::uint8_t, kPieceHeaderSize> EncodePieceHeader(std::uint32_t dataSize);
std::array<std::uint8_t, kPieceTrailerSize> EncodePieceTrailer(std::uint32_t dataSize);

// The data length a piece header announces, or nothing when it is not a one-dimensional
// array with lower bound 1.
std::optional<std::uint32_t>
DecodePieceHeader(const std::array<std::uint8_t, kPieceHeaderSize>& header);

// "." and the piece number with at least three digits: ".000", ".042", ".1000".
std::string PieceSuffix(std::int32_t number);

// Plain concatenation onto the source path's own text; nothing is inserted or removed.
std::filesystem::path PieceName(const std::filesystem::path& source, std::int32_t number);
std::filesystem::path IndexName(const std::filesystem::path& source);

} // namespace zendra
