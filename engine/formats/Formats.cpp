#include "formats/Formats.h"

#include "io/File.h"

#include <algorithm>
#include <cstdio>

namespace zendra {
namespace {

void PutLE(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint32_t GetLE(const std::uint8_t* in, int bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<std::uint32_t>(in[i]) << (8 * i);
    return value;
}

template <std::size_t N> std::array<std::uint8_t, N> ToArray(const std::vector<std::uint8_t>& v) {
    std::array<std::uint8_t, N> out{};
    for (std::size_t i = 0; i < N; ++i)
        out[i] = v[i];
    return out;
}

} // namespace

std::vector<std::uint8_t> EncodeIndex(const SplitIndex& index) {
    const bool isLong = index.FileSize > kMaxClassicSize;
    std::vector<std::uint8_t> out;
    out.reserve(kIndexFixedSize + index.FilePath.size() + kLongSizeRecordSize);
    PutLE(out, isLong ? 0xFFFFFFFFu : static_cast<std::uint32_t>(index.FileSize), 4);
    PutLE(out, static_cast<std::uint32_t>(index.FilePath.size()), 2);
    out.insert(out.end(), index.FilePath.begin(), index.FilePath.end());
    PutLE(out, static_cast<std::uint16_t>(index.PieceCount), 2);
    PutLE(out, static_cast<std::uint32_t>(index.FirstNumber), 4);
    if (isLong) {
        out.insert(out.end(), kLongSizeMarker, kLongSizeMarker + 8);
        const auto length = static_cast<std::uint64_t>(index.FileSize);
        PutLE(out, static_cast<std::uint32_t>(length), 4);
        PutLE(out, static_cast<std::uint32_t>(length >> 32), 4);
    }
    return out;
}

std::optional<SplitIndex> DecodeIndex(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 6) return std::nullopt;
    const std::size_t pathBytes = GetLE(bytes.data() + 4, 2);
    if (bytes.size() < kIndexFixedSize + pathBytes) return std::nullopt;
    SplitIndex index;
    index.FileSize = static_cast<std::int32_t>(GetLE(bytes.data(), 4));
    const std::uint8_t* extra = bytes.data() + kIndexFixedSize + pathBytes;
    index.FilePath.assign(bytes.begin() + 6,
                          bytes.begin() + 6 + static_cast<std::ptrdiff_t>(pathBytes));
    index.PieceCount = static_cast<std::int16_t>(GetLE(bytes.data() + 6 + pathBytes, 2));
    index.FirstNumber = static_cast<std::int32_t>(GetLE(bytes.data() + 8 + pathBytes, 4));
    // Only -1 in the classic field announces the long size, so a stray tail is never taken for one.
    if (index.FileSize == -1 && bytes.size() >= kIndexFixedSize + pathBytes + kLongSizeRecordSize &&
        std::equal(kLongSizeMarker, kLongSizeMarker + 8, extra)) {
        const std::uint64_t length =
            GetLE(extra + 8, 4) | static_cast<std::uint64_t>(GetLE(extra + 12, 4)) << 32;
        if (length > static_cast<std::uint64_t>(kMaxClassicSize) &&
            length <= static_cast<std::uint64_t>(INT64_MAX))
            index.FileSize = static_cast<std::int64_t>(length);
    }
    return index;
}

std::array<std::uint8_t, kPieceHeaderSize> EncodePieceHeader(std::uint32_t dataSize) {
    std::vector<std::uint8_t> out;
    PutLE(out, 1, 2);
    PutLE(out, dataSize, 4);
    PutLE(out, 1, 4);
    return ToArray<kPieceHeaderSize>(out);
}

std::array<std::uint8_t, kPieceTrailerSize> EncodePieceTrailer(std::uint32_t dataSize) {
    std::vector<std::uint8_t> out;
    PutLE(out, dataSize, 4);
    return ToArray<kPieceTrailerSize>(out);
}

std::optional<std::uint32_t>
DecodePieceHeader(const std::array<std::uint8_t, kPieceHeaderSize>& header) {
    if (GetLE(header.data(), 2) != 1 || GetLE(header.data() + 6, 4) != 1) return std::nullopt;
    return GetLE(header.data() + 2, 4);
}

std::string PieceSuffix(std::int32_t number) {
    // The digits are padded, the sign stands in front of them: -1 gives ".-001".
    char text[24];
    const long long value = number;
    std::snprintf(text, sizeof text, value < 0 ? ".-%03lld" : ".%03lld",
                  value < 0 ? -value : value);
    return text;
}

std::filesystem::path PieceName(const std::filesystem::path& source, std::int32_t number) {
    const std::string suffix = PieceSuffix(number);
    return source.native() + std::filesystem::path::string_type(suffix.begin(), suffix.end());
}

std::filesystem::path IndexName(const std::filesystem::path& source) {
    const std::string suffix = ".tpl";
    return source.native() + std::filesystem::path::string_type(suffix.begin(), suffix.end());
}

std::vector<std::uint8_t> ReadIndexBytes(const std::filesystem::path& index) {
    std::vector<std::uint8_t> bytes;
    File::OpenForReading(index).ReadRange(
        0, kIndexFixedSize + kMaxIndexPathBytes + kLongSizeRecordSize,
        [&](const std::uint8_t* data, std::size_t count) {
            bytes.insert(bytes.end(), data, data + count);
        });
    return bytes;
}

} // namespace zendra
