#include "Split.h"

#include "AnsiPath.h"
#include "EngineError.h"
#include "File.h"
#include "Formats.h"

#include <vector>

namespace zendra {
namespace {

const char* const kTooSmall = "\xe6\x96\x87\xe4\xbb\xb6\xe5\xa4\xaa\xe5\xb0\x8f\xef\xbc\x81"; // 文件太小！

struct Plan {
    std::int64_t length = 0;
    std::int32_t pieceCount = 0;
    std::string indexText;
};

// Every refusal happens here, before anything is written.
Plan Check(const std::filesystem::path& source, File& input, std::int32_t firstNumber, std::int32_t pieceSize) {
    if (pieceSize < 1) throw EngineError("The piece size must be at least 1 byte.");
    Plan plan;
    const std::uint64_t size = input.Size();
    if (size > static_cast<std::uint64_t>(kMaxSourceSize))
        throw EngineError("\"" + DisplayPath(source) +
                          "\" is larger than 2,147,483,647 bytes; the index file cannot record its size.");
    plan.length = static_cast<std::int64_t>(size);
    if (plan.length <= static_cast<std::int64_t>(pieceSize) + 1) throw EngineError(kTooSmall);
    const std::int64_t count = (plan.length + pieceSize - 1) / pieceSize;
    if (count > kMaxPieceCount)
        throw EngineError("This piece size would make " + std::to_string(count) +
                          " pieces; at most 32,767 are possible. Choose a larger piece size.");
    if (static_cast<std::int64_t>(firstNumber) + count - 1 > INT32_MAX)
        throw EngineError("The piece numbers would run past 2,147,483,647.");
    plan.pieceCount = static_cast<std::int32_t>(count);
    const auto text = ToIndexText(source);
    if (!text)
        throw EngineError("\"" + DisplayPath(source) +
                          "\" has characters that the system's code page cannot store in the index file. "
                          "Rename the file or its folder and try again.");
    if (text->size() > kMaxIndexPathBytes) throw EngineError("The path is too long for the index file.");
    plan.indexText = *text;
    return plan;
}

// `written` learns of the file once it is ours to remove, should the split fail later.
void WritePiece(File& input, const std::filesystem::path& name, std::uint64_t offset, std::uint32_t size,
                const CopyProgress& advanced, std::vector<std::filesystem::path>& written) {
    File piece = File::Open(name, OpenMode::CreateTruncate);
    written.push_back(name);
    const auto header = EncodePieceHeader(size);
    piece.WriteAll(header.data(), header.size());
    piece.CopyFrom(input, offset, size, advanced);
    const auto trailer = EncodePieceTrailer(size);
    piece.WriteAll(trailer.data(), trailer.size());
    piece.Close();
}

} // namespace

bool SplitToPieces(const std::filesystem::path& SourcePath, std::int32_t FirstNumber, std::string& Message,
                   std::int32_t PieceSize, const Progress& progress) {
    std::vector<std::filesystem::path> written;
    try {
        File input = File::Open(SourcePath, OpenMode::Read);
        const Plan plan = Check(SourcePath, input, FirstNumber, PieceSize);
        std::uint64_t done = 0;
        const CopyProgress advanced = [&](std::uint64_t bytes) {
            done += bytes;
            if (progress) progress(done, static_cast<std::uint64_t>(plan.length));
        };
        for (std::int32_t k = 0; k < plan.pieceCount; ++k) {
            const std::int64_t offset = static_cast<std::int64_t>(k) * PieceSize;
            const auto size = static_cast<std::uint32_t>(std::min<std::int64_t>(PieceSize, plan.length - offset));
            WritePiece(input, PieceName(SourcePath, FirstNumber + k), static_cast<std::uint64_t>(offset), size,
                       advanced, written);
        }
        SplitIndex index;
        index.FileSize = static_cast<std::int32_t>(input.Size());
        if (index.FileSize != plan.length)
            throw EngineError("\"" + DisplayPath(SourcePath) + "\" changed while it was being split.");
        index.FilePath = plan.indexText;
        index.PieceCount = static_cast<std::int16_t>(plan.pieceCount);
        index.FirstNumber = FirstNumber;
        input.Close();
        const auto bytes = EncodeIndex(index);
        File out = File::Open(IndexName(SourcePath), OpenMode::CreateTruncate);
        written.push_back(IndexName(SourcePath));
        out.WriteAll(bytes.data(), bytes.size());
        out.Close();
        return true;
    } catch (const std::exception& error) {
        // Pieces already cut over an older split's would no longer match its index: remove both.
        if (!written.empty()) written.push_back(IndexName(SourcePath));
        for (const auto& name : written) RemoveFileQuietly(name);
        Message = error.what();
        return false;
    }
}

} // namespace zendra
