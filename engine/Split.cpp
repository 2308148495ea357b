#include "engine/Split.h"

#include "base/Failure.h"
#include "engine/Replace.h"
#include "formats/Checksum.h"
#include "formats/Formats.h"
#include "formats/Piece.h"
#include "io/AnsiPath.h"
#include "io/File.h"
#include "io/PlatformPath.h"

#include <array>
#include <vector>

namespace zendra {
namespace {

struct Plan {
    std::int64_t length = 0;
    std::int32_t pieceCount = 0;
    std::string indexText;
    std::vector<std::filesystem::path> surplus; // an older split's pieces beyond this one's
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

// A name the split writes must be one it can replace, and not another name of the source.
void CheckOutputName(const Replacement& replace, const std::filesystem::path& name,
                     const FileIdentity& source) {
    // First: on Windows the split's own reading of the source would otherwise count as another
    // program holding it open.
    if (IdentityOf(name) == source)
        throw Failure("\"" + DisplayPath(name) +
                      "\" is another name of the file being split (a link to it); "
                      "nothing was written.");
    replace.Check(name);
}

// Whether a file holds exactly one piece: the header, the bytes it announces, the trailer that
// repeats their length, and nothing more.
bool ReadsAsPiece(const std::filesystem::path& name) {
    return KindOf(name) == EntryKind::Regular && ReadPieceShape(name).Strict();
}

// The pieces an older index beside the source names beyond the new split's, which would outlive
// it and be taken for its own: those that read as pieces go with the older index. A file there
// of any other make is the user's and stays.
std::vector<std::filesystem::path> OlderSurplusPieces(const std::filesystem::path& source,
                                                      std::int32_t firstNumber,
                                                      std::int32_t pieceCount) {
    const std::filesystem::path index = IndexName(source);
    if (KindOf(index) != EntryKind::Regular) return {};
    const auto older = DecodeIndex(ReadIndexBytes(index));
    if (!older || older->PieceCount < 1) return {};
    std::vector<std::filesystem::path> surplus;
    for (std::int64_t n = older->FirstNumber;
         n < std::int64_t{older->FirstNumber} + older->PieceCount && n <= INT32_MAX; ++n) {
        if (n >= firstNumber && n < std::int64_t{firstNumber} + pieceCount) continue;
        const std::filesystem::path piece = PieceName(source, static_cast<std::int32_t>(n));
        if (ReadsAsPiece(piece)) surplus.push_back(piece);
    }
    return surplus;
}

// Every refusal happens here, before anything is written.
Plan Check(const std::filesystem::path& source, const File& input, std::int32_t firstNumber,
           std::int32_t pieceSize, const SplitOptions& options, const Replacement& replace) {
    if (pieceSize < 1) throw Failure("The piece size must be at least 1 byte.");
    Plan plan;
    plan.length = static_cast<std::int64_t>(input.Size());
    if (plan.length <= static_cast<std::int64_t>(pieceSize) + 1) throw Failure(TooSmallMessage);
    const std::int64_t count = (plan.length + pieceSize - 1) / pieceSize;
    if (count > kMaxPieceCount)
        throw Failure("This piece size would make " + std::to_string(count) +
                      " pieces; at most 32,767 are possible. Choose a larger piece size.");
    if (static_cast<std::int64_t>(firstNumber) + count - 1 > INT32_MAX)
        throw Failure("The piece numbers would run past 2,147,483,647.");
    plan.pieceCount = static_cast<std::int32_t>(count);
    std::filesystem::path recorded = source;
    const auto text = ToIndexText(recorded.make_preferred());
    if (!text)
        throw Failure(
            "\"" + DisplayPath(source) +
            "\" has characters that the system's code page cannot store in the index file. "
            "Rename the file or its folder and try again.");
    if (text->size() > kMaxIndexPathBytes)
        throw Failure("The path is too long for the index file.");
    if (!IsPlainFileName(ReadRecordedSource(FromIndexText(*text).value_or("").native()).Name))
        throw Failure("\"" + DisplayPath(source) +
                      "\" is not a file name that a join could write back.");
    plan.indexText = *text;
    if (options.WriteChecksums &&
        DisplayPath(source.filename()).find_first_of("\r\n") != std::string::npos)
        throw Failure("\"" + DisplayPath(source) +
                      "\" has a line break in its name, which a checksum file cannot list; "
                      "nothing was written.");
    const FileIdentity identity = input.Identity();
    for (std::int32_t k = 0; k < plan.pieceCount; ++k)
        CheckOutputName(replace, PieceName(source, firstNumber + k), identity);
    CheckOutputName(replace, IndexName(source), identity);
    for (const auto& older : ExistingRecoveryFiles(source))
        CheckOutputName(replace, older, identity);
    plan.surplus = OlderSurplusPieces(source, firstNumber, plan.pieceCount);
    // The new files take their room beside the older ones until the commit. The checksum file's
    // lines are counted at their longest; recovery data, asked for or not, is not counted.
    const std::uint64_t pieces = static_cast<std::uint64_t>(plan.length) +
                                 (kPieceHeaderSize + kPieceTrailerSize) * std::uint64_t(count);
    const std::uint64_t name = source.filename().native().size() * 4 + 8;
    const std::uint64_t small = kIndexFixedSize + kLongSizeRecordSize + text->size() +
                                (options.WriteChecksums ? (count + 1) * (34 + name) : 0);
    CheckRoom(source.parent_path(), pieces + small,
              std::min<std::uint64_t>(pieceSize, plan.length) + kPieceHeaderSize +
                  kPieceTrailerSize,
              "The split");
    for (const auto& older : plan.surplus)
        CheckOutputName(replace, older, identity);
    // Checked whether or not it is written: a split without checksums removes an older one.
    if (options.WriteChecksums || KindOf(ChecksumName(source)) != EntryKind::Missing)
        CheckOutputName(replace, ChecksumName(source), identity);
    return plan;
}

std::string FileNameText(const std::filesystem::path& path) {
    return DisplayPath(path.filename());
}

// Returns where the file lies until the commit.
std::filesystem::path WriteSmallFile(Replacement& replace, const std::filesystem::path& name,
                                     const std::string& text) {
    File out = replace.Create(name);
    out.WriteAll(text.data(), text.size());
    std::filesystem::path written = out.Path();
    replace.Finish(out);
    return written;
}

// Writes one piece file and returns its checksum, of exactly the bytes written; the source's bytes
// also go to `whole`.
std::string WritePiece(Replacement& replace, File& input, const std::filesystem::path& name,
                       Span span, const CopyProgress& advanced, Hash128& whole,
                       std::vector<RecoveryInput>& written) {
    File piece = replace.Create(name);
    written.push_back({FileNameText(name), piece.Path()});
    Hash128 hash;
    const auto header = EncodePieceHeader(span.size);
    hash.Update(header.data(), header.size());
    piece.WriteAll(header.data(), header.size());
    piece.CopyFrom(input, span.offset, span.size, advanced,
                   [&](const std::uint8_t* bytes, std::size_t count) {
                       hash.Update(bytes, count);
                       whole.Update(bytes, count);
                   });
    const auto trailer = EncodePieceTrailer(span.size);
    hash.Update(trailer.data(), trailer.size());
    piece.WriteAll(trailer.data(), trailer.size());
    replace.Finish(piece);
    return hash.Hex();
}

} // namespace

bool SplitToPieces(const std::filesystem::path& SourcePath, std::int32_t FirstNumber,
                   std::string& Message, std::int32_t PieceSize, const Progress& progress,
                   const SplitOptions& options) {
    try {
        File input = File::OpenForReading(SourcePath);
        const FileState before = input.State();
        Replacement replace(IndexName(SourcePath), options.Notice);
        const Plan plan = Check(SourcePath, input, FirstNumber, PieceSize, options, replace);
        std::uint64_t done = 0;
        const CopyProgress advanced =
            Reporting(progress, static_cast<std::uint64_t>(plan.length), done);
        advanced(0); // the caller may cancel before the first byte
        // Each checksum is of the bytes just written, hashed from the buffer they are written from.
        ChecksumList checksums;
        Hash128 whole;
        std::vector<RecoveryInput> written; // what recovery data protects: the pieces and the index
        for (std::int32_t k = 0; k < plan.pieceCount; ++k) {
            const std::filesystem::path name = PieceName(SourcePath, FirstNumber + k);
            checksums[FileNameText(name)] = WritePiece(
                replace, input, name, PieceSpan(plan, PieceSize, k), advanced, whole, written);
        }
        checksums[FileNameText(SourcePath)] = whole.Hex();
        if (input.State() != before)
            throw Failure("\"" + DisplayPath(SourcePath) +
                          "\" changed while it was being split; nothing was written. Split it "
                          "again once no program writes it.");
        input.Close();
        SplitIndex index;
        index.FileSize = plan.length;
        index.FilePath = plan.indexText;
        index.PieceCount = static_cast<std::int16_t>(plan.pieceCount);
        index.FirstNumber = FirstNumber;
        // An older split's checksums would make every join of these pieces fail: without new ones
        // the older file goes, in the same replacement as the rest.
        if (options.WriteChecksums)
            WriteSmallFile(replace, ChecksumName(SourcePath), EncodeChecksums(checksums));
        else
            replace.Remove(ChecksumName(SourcePath));
        const auto bytes = EncodeIndex(index);
        written.push_back({FileNameText(IndexName(SourcePath)),
                           WriteSmallFile(replace, IndexName(SourcePath),
                                          std::string(bytes.begin(), bytes.end()))});
        for (const auto& older : plan.surplus)
            replace.Remove(older);
        // The recovery data and the kit read the pieces back: the job thread lets go of them first.
        if (options.Recovery || options.Extra) replace.Settle();
        if (options.Recovery)
            WriteRecoveryFiles(
                SourcePath, written, *options.Recovery,
                [&](const std::filesystem::path& final) { return replace.Create(final); },
                progress);
        if (options.Extra)
            options.Extra(
                written,
                [&](const std::filesystem::path& final) { return replace.Create(final); },
                [&](std::uint64_t, std::uint64_t) {
                    const auto length = static_cast<std::uint64_t>(plan.length);
                    return !progress || progress(length, length);
                });
        for (const auto& older : ExistingRecoveryFiles(SourcePath))
            replace.Remove(older);
        // Only now do the new files replace what bore their names, all or none, so that a failed
        // or cancelled split leaves an older split of the same file as it was. A cancel is heard
        // up to here.
        advanced(0);
        replace.Commit();
        return true;
    } catch (const std::exception& error) {
        Message = error.what();
        return false;
    }
}

} // namespace zendra
