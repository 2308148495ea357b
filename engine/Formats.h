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
struct SplitIndex {
    std::int32_t FileSize = 0;
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
inline constexpr std::int64_t kMaxSourceSize = 2147483647;
inline constexpr std::int64_t kMaxPieceCount = 32767;
inline constexpr std::size_t kMaxIndexPathBytes = 65535;

std::vector<std::uint8_t> EncodeIndex(const SplitIndex& index);

// Reads the record from the start of an index file's bytes; what follows it is ignored.
// Returns nothing when the bytes are too short for the record they announce.
std::optional<SplitIndex> DecodeIndex(const std::vector<std::uint8_t>& bytes);

std::array<std::uint8_t, kPieceHeaderSize> EncodePieceHeader(std::uint32_t dataSize);
std::array<std::uint8_t, kPieceTrailerSize> EncodePieceTrailer(std::uint32_t dataSize);

// The data length a piece header announces, or nothing when it is not a one-dimensional
// array with lower bound 1.
std::optional<std::uint32_t> DecodePieceHeader(const std::array<std::uint8_t, kPieceHeaderSize>& header);

// "." and the piece number with at least three digits: ".000", ".042", ".1000".
std::string PieceSuffix(std::int32_t number);

// Plain concatenation onto the source path's own text; nothing is inserted or removed.
std::filesystem::path PieceName(const std::filesystem::path& source, std::int32_t number);
std::filesystem::path IndexName(const std::filesystem::path& source);

} // namespace zendra
