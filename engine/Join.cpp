#include "Join.h"

#include "AnsiPath.h"
#include "EngineError.h"
#include "File.h"
#include "PlatformPath.h"

#include <algorithm>
#include <type_traits>

namespace zendra {
namespace {

using PathText = std::filesystem::path::string_type;

PathText Widen(const std::string& ascii) { return PathText(ascii.begin(), ascii.end()); }

SplitIndex ReadIndex(const std::filesystem::path& indexPath) {
    File file = File::Open(indexPath, OpenMode::Read);
    const std::uint64_t size = std::min<std::uint64_t>(file.Size(), kIndexFixedSize + kMaxIndexPathBytes);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    std::size_t got = 0;
    while (got < bytes.size()) {
        const std::size_t n = file.Read(bytes.data() + got, bytes.size() - got);
        if (n == 0) break;
        got += n;
    }
    bytes.resize(got);
    file.Close();
    const std::string damaged = "The index file \"" + DisplayPath(indexPath) + "\" is damaged: ";
    const auto index = DecodeIndex(bytes);
    if (!index) throw EngineError(damaged + "it is shorter than the record it announces.");
    if (index->PieceCount < 1) throw EngineError(damaged + "it names no pieces.");
    if (index->FileSize < 0) throw EngineError(damaged + "its file size is negative.");
    if (static_cast<std::int64_t>(index->FirstNumber) + index->PieceCount - 1 > INT32_MAX)
        throw EngineError(damaged + "its piece numbers run past 2,147,483,647.");
    return *index;
}

std::filesystem::path LocatePiece(const std::filesystem::path& named, const std::filesystem::path& indexPath) {
    if (FileExists(named)) return named;
    const std::filesystem::path beside = indexPath.parent_path() / LastPathSegment(named.native());
    if (FileExists(beside)) return beside;
    throw EngineError("A piece is missing: neither \"" + DisplayPath(named) + "\" nor \"" + DisplayPath(beside) +
                      "\" exists.");
}

std::int32_t ReadPieceSize(const std::filesystem::path& location) {
    File piece = File::Open(location, OpenMode::Read);
    const std::uint64_t fileSize = piece.Size();
    std::array<std::uint8_t, kPieceHeaderSize> header{};
    const std::string bad = "The piece \"" + DisplayPath(location) + "\" is damaged: ";
    if (fileSize < kPieceHeaderSize || piece.Read(header.data(), header.size()) != header.size())
        throw EngineError(bad + "it is too short to be a piece.");
    const auto size = DecodePieceHeader(header);
    if (!size || *size > static_cast<std::uint64_t>(kMaxSourceSize))
        throw EngineError(bad + "its header is not that of a piece.");
    if (fileSize < kPieceHeaderSize + *size + kPieceTrailerSize)
        throw EngineError(bad + "it holds fewer bytes than its header announces.");
    piece.Close();
    return static_cast<std::int32_t>(*size);
}

// The source's name: the last piece's file name without its final "." and number.
PathText OutputNameOf(const std::filesystem::path& lastPiece) {
    PathText name = LastPathSegment(lastPiece.native());
    name.erase(name.rfind('.'));
    const bool control = std::any_of(name.begin(), name.end(), [](auto c) {
        const auto code = static_cast<std::make_unsigned_t<decltype(c)>>(c);
        return code < 0x20 || code == 0x7f;
    });
    if (name.empty() || name == Widen(".") || name == Widen("..") || control ||
        name.find_first_of(Widen("/\\:")) != PathText::npos)
        throw EngineError("The index names the file \"" + DisplayPath(std::filesystem::path(name)) +
                          "\", which is not a plain file name; nothing was joined.");
    return name;
}

void WriteOutput(const JoinPlan& plan, const std::filesystem::path& output, const Progress& progress) {
    std::filesystem::path temporary;
    File out = [&] {
        for (int attempt = 0;; ++attempt) {
            temporary = output.native() + Widen(".zendra-" + std::to_string(attempt) + ".tmp");
            try {
                return File::Open(temporary, OpenMode::CreateNew);
            } catch (const EngineError&) {
                if (attempt >= 99 || !FileExists(temporary)) throw;
            }
        }
    }();
    try {
        std::uint64_t done = 0;
        const CopyProgress advanced = [&](std::uint64_t bytes) {
            done += bytes;
            if (progress) progress(done, static_cast<std::uint64_t>(plan.Index.FileSize));
        };
        for (const auto& piece : plan.Pieces) {
            File in = File::Open(piece.Location, OpenMode::Read);
            out.CopyFrom(in, kPieceHeaderSize, static_cast<std::uint64_t>(piece.Size), advanced);
        }
        out.Close();
        MoveFileOver(temporary, output);
    } catch (...) {
        { File closing = std::move(out); } // Windows cannot remove a file that is still open
        RemoveFileQuietly(temporary);
        throw;
    }
}

} // namespace

bool ReadJoinPlan(const std::filesystem::path& IndexPath, JoinPlan& Plan, std::string& Message) {
    try {
        JoinPlan plan;
        plan.Index = ReadIndex(IndexPath);
        plan.SourcePath = FromIndexText(plan.Index.FilePath);
        // A crafted index is refused before any of its pieces is looked at.
        plan.OutputName =
            OutputNameOf(PieceName(plan.SourcePath, plan.Index.FirstNumber + plan.Index.PieceCount - 1));
        std::int64_t total = 0;
        for (std::int32_t k = 0; k < plan.Index.PieceCount; ++k) {
            PieceBuffer piece;
            piece.Location = LocatePiece(PieceName(plan.SourcePath, plan.Index.FirstNumber + k), IndexPath);
            piece.Size = ReadPieceSize(piece.Location);
            total += piece.Size;
            plan.Pieces.push_back(piece);
        }
        if (total != plan.Index.FileSize)
            throw EngineError("The pieces hold " + std::to_string(total) + " bytes but the index file records " +
                              std::to_string(plan.Index.FileSize) + "; nothing was joined.");
        Plan = std::move(plan);
        return true;
    } catch (const std::exception& error) {
        Message = error.what();
        return false;
    }
}

bool WriteJoinedFile(const JoinPlan& Plan, const std::filesystem::path& OutputFolder, std::string& Message,
                     const Progress& progress) {
    try {
        WriteOutput(Plan, OutputFolder.native() + Plan.OutputName.native(), progress);
        return true;
    } catch (const std::exception& error) {
        Message = error.what();
        return false;
    }
}

bool JoinPieces(const std::filesystem::path& IndexPath, const std::filesystem::path& OutputFolder,
                std::string& Message, const Progress& progress) {
    JoinPlan plan;
    return ReadJoinPlan(IndexPath, plan, Message) && WriteJoinedFile(plan, OutputFolder, Message, progress);
}

} // namespace zendra
