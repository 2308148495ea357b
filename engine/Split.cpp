#include "Split.h"

#include "AnsiPath.h"
#include "Checksum.h"
#include "EngineError.h"
#include "File.h"
#include "Formats.h"
#include "PlatformPath.h"
#include "Worker.h"

#include <atomic>
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

// Where piece k starts in the source and how many bytes it holds: the last one is shorter.
struct Span {
    std::uint64_t offset;
    std::uint32_t size;
};
Span PieceSpan(const Plan& plan, std::int32_t pieceSize, std::int32_t k) {
    const std::int64_t offset = static_cast<std::int64_t>(k) * pieceSize;
    return {static_cast<std::uint64_t>(offset),
            static_cast<std::uint32_t>(std::min<std::int64_t>(pieceSize, plan.length - offset))};
}

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
    FileIdentity written; // known once the file is created
};

std::string FileNameText(const std::filesystem::path& path) {
    return DisplayPath(path.filename());
}

void StageFile(const std::filesystem::path& name, const std::string& text,
               std::vector<Staged>& staged) {
    File out = File::CreateBeside(name);
    staged.push_back({out.Path(), name, {}});
    staged.back().written = out.Identity();
    out.WriteAll(text.data(), text.size());
    out.Close();
}

void WritePiece(File& input, const std::filesystem::path& name, std::uint64_t offset,
                std::uint32_t size, const CopyProgress& advanced, std::vector<Staged>& staged) {
    File piece = File::CreateBeside(name);
    staged.push_back({piece.Path(), name, {}});
    staged.back().written = piece.Identity();
    const auto header = EncodePieceHeader(size);
    piece.WriteAll(header.data(), header.size());
    piece.CopyFrom(input, offset, size, advanced);
    const auto trailer = EncodePieceTrailer(size);
    piece.WriteAll(trailer.data(), trailer.size());
    piece.Close();
}

// The checksums of the files a split writes: every piece file's (header, bytes, trailer) and the
// source's. Reads the source on its own, so that it runs beside the copy; stops once `stop` is set.
ChecksumList HashSplit(const std::filesystem::path& source, const Plan& plan,
                       std::int32_t firstNumber, std::int32_t pieceSize,
                       const std::atomic<bool>& stop) {
    File input = File::OpenForReading(source);
    Hash128 whole;
    ChecksumList list;
    for (std::int32_t k = 0; k < plan.pieceCount; ++k) {
        const auto [offset, size] = PieceSpan(plan, pieceSize, k);
        const auto header = EncodePieceHeader(size);
        const auto trailer = EncodePieceTrailer(size);
        Hash128 piece;
        piece.Update(header.data(), header.size());
        input.ReadRange(offset, size, [&](const std::uint8_t* bytes, std::size_t count) {
            if (stop) throw EngineError(CancelledMessage);
            piece.Update(bytes, count);
            whole.Update(bytes, count);
        });
        piece.Update(trailer.data(), trailer.size());
        list[FileNameText(PieceName(source, firstNumber + k))] = piece.Hex();
    }
    list[FileNameText(source)] = whole.Hex();
    return list;
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
        // Checked whether or not it is written: a split without checksums removes it.
        CheckOutputName(ChecksumName(SourcePath), input.Identity());
        // The checksums are computed beside the copy, on a thread of their own (see WriteOutput
        // in Join.cpp).
        ChecksumList checksums;
        std::optional<Worker> hashing; // a failed or cancelled split ends the hashing too
        if (options.WriteChecksums) {
            if (FileNameText(SourcePath).find_first_of("\r\n") != std::string::npos)
                throw EngineError("\"" + DisplayPath(SourcePath) +
                                  "\" has a line break in its name, which a checksum file cannot "
                                  "list; nothing was written.");
            hashing.emplace([&](const std::atomic<bool>& stop) {
                checksums = HashSplit(SourcePath, plan, FirstNumber, PieceSize, stop);
            });
        }
        std::uint64_t done = 0;
        const CopyProgress advanced =
            Reporting(progress, static_cast<std::uint64_t>(plan.length), done);
        advanced(0); // the caller may cancel before the first byte
        for (std::int32_t k = 0; k < plan.pieceCount; ++k) {
            const auto [offset, size] = PieceSpan(plan, PieceSize, k);
            WritePiece(input, PieceName(SourcePath, FirstNumber + k), offset, size, advanced,
                       staged);
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
        if (hashing) {
            hashing->Finish([&] { advanced(0); }); // the hashing may lag: a cancel still counts
            StageFile(ChecksumName(SourcePath), EncodeChecksums(checksums), staged);
        }
        const auto bytes = EncodeIndex(index);
        StageFile(IndexName(SourcePath), std::string(bytes.begin(), bytes.end()), staged);
        // An older split's checksums would make every join of these pieces fail: removed before
        // anything is replaced, so that when it cannot be, the older split stays whole.
        if (!hashing && KindOf(ChecksumName(SourcePath)) != EntryKind::Missing &&
            !RemoveFileQuietly(ChecksumName(SourcePath)))
            throw EngineError("Cannot remove \"" + DisplayPath(ChecksumName(SourcePath)) +
                              "\", the checksum file of an older split, which these pieces would "
                              "not match (is it open in another program?); nothing was written.");
        // Every piece and the index are complete: only now do they replace what bore their names,
        // so that a failed or cancelled split leaves an older split of the same file as it was.
        for (; moved < staged.size(); ++moved)
            MoveFileOver(staged[moved].temporary, staged[moved].final);
        return true;
    } catch (const std::exception& error) {
        for (std::size_t i = moved; i < staged.size(); ++i)
            RemoveTemporaryQuietly(staged[i].temporary, staged[i].written);
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
