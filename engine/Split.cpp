#include "Split.h"

#include "AnsiPath.h"
#include "Checksum.h"
#include "EngineError.h"
#include "File.h"
#include "Formats.h"
#include "PlatformPath.h"

#include <optional>
#include <vector>

namespace zendra {
namespace {

const char* const kTooSmall =
    "\xe6\x96\x87\xe4\xbb\xb6\xe5\xa4\xaa\xe5\xb0\x8f\xef\xbc\x81"; // 文件太小！

struct Plan {
    std::int64_t length = 0;
    std::int32_t pieceCount = 0;
    std::string indexText;
};

// A piece or index name must not be a folder or a special file, nor another name of the source.
void CheckOutputName(const std::filesystem::path& name, const FileIdentity& source) {
    CheckWritableName(name);
    if (IdentityOf(name) == source)
        throw EngineError("\"" + DisplayPath(name) +
                          "\" is another name of the file being split (a link to it); "
                          "nothing was written.");
}

// Every refusal happens here, before anything is written.
Plan Check(const std::filesystem::path& source, File& input, std::int32_t firstNumber,
           std::int32_t pieceSize) {
    if (pieceSize < 1) throw EngineError("The piece size must be at least 1 byte.");
    Plan plan;
    plan.length = static_cast<std::int64_t>(input.Size());
    if (plan.length <= static_cast<std::int64_t>(pieceSize) + 1) throw EngineError(kTooSmall);
    const std::int64_t count = (plan.length + pieceSize - 1) / pieceSize;
    if (count > kMaxPieceCount)
        throw EngineError("This piece size would make " + std::to_string(count) +
                          " pieces; at most 32,767 are possible. Choose a larger piece size.");
    if (static_cast<std::int64_t>(firstNumber) + count - 1 > INT32_MAX)
        throw EngineError("The piece numbers would run past 2,147,483,647.");
    plan.pieceCount = static_cast<std::int32_t>(count);
    std::filesystem::path recorded = source;
    const auto text = ToIndexText(recorded.make_preferred());
    if (!text)
        throw EngineError(
            "\"" + DisplayPath(source) +
            "\" has characters that the system's code page cannot store in the index file. "
            "Rename the file or its folder and try again.");
    if (text->size() > kMaxIndexPathBytes)
        throw EngineError("The path is too long for the index file.");
    if (!IsPlainFileName(ReadRecordedSource(FromIndexText(*text).native()).Name))
        throw EngineError("\"" + DisplayPath(source) +
                          "\" is not a file name that a join could write back.");
    plan.indexText = *text;
    const FileIdentity identity = input.Identity();
    for (std::int32_t k = 0; k < plan.pieceCount; ++k)
        CheckOutputName(PieceName(source, firstNumber + k), identity);
    CheckOutputName(IndexName(source), identity);
    return plan;
}

// A file written whole under a temporary name, waiting to replace its final name.
struct Staged {
    std::filesystem::path temporary;
    std::filesystem::path final;
};

// The checksums of a split in the making: the source's, and each finished piece file's.
struct Checksums {
    Hash128 source;
    ChecksumList list;
};

std::string FileNameText(const std::filesystem::path& path) {
    return DisplayPath(path.filename());
}

void StageFile(const std::filesystem::path& name, const std::string& text,
               std::vector<Staged>& staged) {
    File out = File::CreateBeside(name);
    staged.push_back({out.Path(), name});
    out.WriteAll(text.data(), text.size());
    out.Close();
}

void WritePiece(File& input, const std::filesystem::path& name, std::uint64_t offset,
                std::uint32_t size, const CopyProgress& advanced, std::vector<Staged>& staged,
                Checksums* checksums) {
    File piece = File::CreateBeside(name);
    staged.push_back({piece.Path(), name});
    const auto header = EncodePieceHeader(size);
    const auto trailer = EncodePieceTrailer(size);
    Hash128 hash;
    CopySink sink;
    if (checksums) {
        hash.Update(header.data(), header.size());
        sink = [&](const std::uint8_t* bytes, std::size_t count) {
            hash.Update(bytes, count);
            checksums->source.Update(bytes, count);
        };
    }
    piece.WriteAll(header.data(), header.size());
    piece.CopyFrom(input, offset, size, advanced, sink);
    piece.WriteAll(trailer.data(), trailer.size());
    piece.Close();
    if (checksums) {
        hash.Update(trailer.data(), trailer.size());
        checksums->list[FileNameText(name)] = hash.Hex();
    }
}

} // namespace

bool SplitToPieces(const std::filesystem::path& SourcePath, std::int32_t FirstNumber,
                   std::string& Message, std::int32_t PieceSize, const Progress& progress,
                   const SplitOptions& options) {
    std::vector<Staged> staged;
    std::size_t moved = 0;
    try {
        File input = File::OpenForReading(SourcePath);
        const Plan plan = Check(SourcePath, input, FirstNumber, PieceSize);
        std::optional<Checksums> checksums;
        if (options.WriteChecksums) {
            if (FileNameText(SourcePath).find_first_of("\r\n") != std::string::npos)
                throw EngineError("\"" + DisplayPath(SourcePath) +
                                  "\" has a line break in its name, which a checksum file cannot "
                                  "list; nothing was written.");
            CheckOutputName(ChecksumName(SourcePath), input.Identity());
            checksums.emplace();
        }
        const auto total = static_cast<std::uint64_t>(plan.length);
        std::uint64_t done = 0;
        if (progress && !progress(0, total)) throw EngineError(CancelledMessage);
        const CopyProgress advanced = [&](std::uint64_t bytes) {
            done += bytes;
            if (progress && !progress(done, total)) throw EngineError(CancelledMessage);
        };
        for (std::int32_t k = 0; k < plan.pieceCount; ++k) {
            const std::int64_t offset = static_cast<std::int64_t>(k) * PieceSize;
            const auto size =
                static_cast<std::uint32_t>(std::min<std::int64_t>(PieceSize, plan.length - offset));
            WritePiece(input, PieceName(SourcePath, FirstNumber + k),
                       static_cast<std::uint64_t>(offset), size, advanced, staged,
                       checksums ? &*checksums : nullptr);
        }
        SplitIndex index;
        index.FileSize = static_cast<std::int64_t>(input.Size());
        if (index.FileSize != plan.length)
            throw EngineError("\"" + DisplayPath(SourcePath) +
                              "\" changed while it was being split.");
        index.FilePath = plan.indexText;
        index.PieceCount = static_cast<std::int16_t>(plan.pieceCount);
        index.FirstNumber = FirstNumber;
        input.Close();
        if (checksums) {
            checksums->list[FileNameText(SourcePath)] = checksums->source.Hex();
            StageFile(ChecksumName(SourcePath), EncodeChecksums(checksums->list), staged);
        }
        const auto bytes = EncodeIndex(index);
        StageFile(IndexName(SourcePath), std::string(bytes.begin(), bytes.end()), staged);
        // Every piece and the index are complete: only now do they replace what bore their names,
        // so that a failed or cancelled split leaves an older split of the same file as it was.
        for (; moved < staged.size(); ++moved)
            MoveFileOver(staged[moved].temporary, staged[moved].final);
        // An older split's checksums would make every join of these pieces fail.
        if (!checksums && KindOf(ChecksumName(SourcePath)) == EntryKind::Regular)
            RemoveFileQuietly(ChecksumName(SourcePath));
        return true;
    } catch (const std::exception& error) {
        for (std::size_t i = moved; i < staged.size(); ++i)
            RemoveFileQuietly(staged[i].temporary);
        // Pieces already in place would no longer match an older index: remove both.
        if (moved > 0) {
            for (std::size_t i = 0; i < moved; ++i)
                RemoveFileQuietly(staged[i].final);
            RemoveFileQuietly(IndexName(SourcePath));
            RemoveFileQuietly(ChecksumName(SourcePath));
        }
        Message = error.what();
        return false;
    }
}

} // namespace zendra
