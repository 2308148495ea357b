// What a file holds when read as one of Zendra's pieces: the one rule every reader of pieces
// follows, so that they agree on which files are pieces.
#pragma once

#include <cstdint>
#include <filesystem>

namespace zendra {

class File;

enum class PieceShape {
    WellFormed,     // header, the bytes it announces, the trailer repeating their length; no more
    TrailerDiffers, // header and bytes whole, but the last 4 bytes do not repeat the length
    BytesAfter,     // a well-formed piece followed by further bytes
    NoTrailer,      // header and bytes whole, the trailer cut short or missing
    ShortData,      // fewer bytes than the header announces
    NotAPiece,      // too short for a header, or a header no piece has
};

struct PieceRead {
    PieceShape Shape = PieceShape::NotAPiece;
    std::uint32_t DataSize = 0;  // what the header announces (0 for NotAPiece)
    std::uint64_t FileSize = 0;

    // Zendra's own piece, to be taken as one (the split's older pieces, the parts join's
    // look-alikes, the set's verdict).
    bool Strict() const { return Shape == PieceShape::WellFormed; }
    // Readable as the documented reader reads it: the header and the bytes it announces; the
    // trailer and anything after it are not used.
    bool Readable() const {
        return Shape == PieceShape::WellFormed || Shape == PieceShape::TrailerDiffers ||
               Shape == PieceShape::BytesAfter;
    }
};

// Reads the header and the trailer of an open file (its position is left anywhere).
PieceRead ReadPieceShape(File& file);
// The same for the file at a path; a file that cannot be opened is a failure of kind I/O.
PieceRead ReadPieceShape(const std::filesystem::path& path);

} // namespace zendra
