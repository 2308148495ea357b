#include "formats/Piece.h"

#include "formats/Formats.h"
#include "io/File.h"

#include <array>

namespace zendra {

PieceRead ReadPieceShape(File& file) {
    PieceRead read;
    read.FileSize = file.Size();
    std::array<std::uint8_t, kPieceHeaderSize> header{};
    file.Seek(0);
    if (read.FileSize < kPieceHeaderSize || file.Read(header.data(), header.size()) != header.size())
        return read;
    const auto size = DecodePieceHeader(header);
    if (!size || *size > static_cast<std::uint64_t>(kMaxPieceSize)) return read;
    read.DataSize = *size;
    const std::uint64_t record = kPieceHeaderSize + std::uint64_t{*size};
    if (read.FileSize < record) {
        read.Shape = PieceShape::ShortData;
        return read;
    }
    if (read.FileSize < record + kPieceTrailerSize) {
        read.Shape = PieceShape::NoTrailer;
        return read;
    }
    std::array<std::uint8_t, kPieceTrailerSize> trailer{};
    file.Seek(record);
    if (file.Read(trailer.data(), trailer.size()) != trailer.size()) {
        read.Shape = PieceShape::NoTrailer;
        return read;
    }
    if (trailer != EncodePieceTrailer(*size))
        read.Shape = PieceShape::TrailerDiffers;
    else if (read.FileSize > record + kPieceTrailerSize)
        read.Shape = PieceShape::BytesAfter;
    else
        read.Shape = PieceShape::WellFormed;
    return read;
}

PieceRead ReadPieceShape(const std::filesystem::path& path) {
    File file = File::OpenForReading(path);
    return ReadPieceShape(file);
}

} // namespace zendra
