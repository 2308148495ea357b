#pragma once

#include "engine/Replace.h"
#include "io/Progress.h"
#include "recovery/Recovery.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zendra {

// Cuts SourcePath into pieces of PieceSize bytes named SourcePath.000, .001, ... beside it,
// then writes the index SourcePath.tpl. Each is written under a temporary name and renamed into
// place once all are complete, so an existing name is replaced, never written through. On failure,
// or when `progress` returns false (a cancel), returns false with the
// reason in Message and leaves no piece or index of this call behind.
struct SplitOptions {
    // Also writes NAME.xxh128 beside the index (see Checksum.h): the checksum of the source and of
    // every piece file, which every join then checks. Without it, a checksum file an older split
    // left under that name is removed, and the split fails, writing nothing, when it cannot be.
    bool WriteChecksums = true;
    // Also writes recovery data (NAME.par2, NAME.vol*.par2) for the pieces and the index. Either
    // way an older split's recovery files go, in the same transaction: they never describe the new
    // pieces.
    std::optional<RecoveryOptions> Recovery;
    // Further files written beside the pieces in the same transaction (the self-join kit): shown
    // the pieces and the index as written (their final names, and where they lie until the
    // commit), and given the way to create files that the commit puts in place, and a progress to
    // call while it reads (it shows the split done, and says whether to stop).
    using CreateFile = std::function<File(const std::filesystem::path& finalPath)>;
    std::function<void(const std::vector<RecoveryInput>& written, const CreateFile& create,
                       const Progress& heard)>
        Extra;
    // Told in one line of what the split found and mended first (files a killed run left).
    zendra::Notice Notice;
};

// The message of a source too short to split: it must be longer than a piece and one byte.
inline constexpr char TooSmallMessage[] =
    "The file is too small to split: it must be longer than the piece size and one byte.";

bool SplitToPieces(const std::filesystem::path& SourcePath, std::int32_t FirstNumber,
                   std::string& Message, std::int32_t PieceSize, const Progress& progress = {},
                   const SplitOptions& options = {});

} // namespace zendra
