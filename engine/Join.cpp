#include "engine/Join.h"

#include "base/Failure.h"
#include "engine/Replace.h"
#include "engine/SetReading.h"
#include "io/ProgressPasses.h"
#include "formats/Checksum.h"
#include "formats/Piece.h"
#include "io/AnsiPath.h"
#include "io/File.h"
#include "io/PlatformPath.h"
#include "recovery/Recovery.h"
#include "recovery/Verdict.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace zendra {
namespace {

// Why an index whose classic length is -1 gave no long size: what follows its record.
std::string WhyNoLongSize(const std::vector<std::uint8_t>& bytes, const SplitIndex& index) {
    const std::size_t end = kIndexFixedSize + index.FilePath.size();
    const std::size_t tail = bytes.size() - end;
    if (tail == 0)
        return "its file size is -1, which announces a long-size record, but none follows.";
    if (std::memcmp(bytes.data() + end, kLongSizeMarker, std::min<std::size_t>(tail, 8)) != 0)
        return "its file size is -1, and what follows it is not a long-size record.";
    if (tail < kLongSizeRecordSize) return "its long-size record is cut short.";
    return "its long-size record carries a length that the classic record holds itself, or one "
           "past the largest file size.";
}

SplitIndex ReadIndex(const std::filesystem::path& indexPath) {
    const std::vector<std::uint8_t> bytes = ReadIndexBytes(indexPath);
    const std::string damaged = "The index file \"" + DisplayPath(indexPath) + "\" is damaged: ";
    const auto index = DecodeIndex(bytes);
    if (!index) throw Failure(damaged + "it is shorter than the record it announces.");
    if (index->PieceCount < 1) throw Failure(damaged + "it names no pieces.");
    if (index->FileSize == -1) throw Failure(damaged + WhyNoLongSize(bytes, *index));
    if (index->FileSize < 0) throw Failure(damaged + "its file size is negative.");
    if (static_cast<std::int64_t>(index->FirstNumber) + index->PieceCount - 1 > INT32_MAX)
        throw Failure(damaged + "its piece numbers run past 2,147,483,647.");
    return *index;
}

// Whether an index's name bytes may need another code page's reading to find their pieces: only
// where names are bytes (on Windows the index's text is read as the system's code page).
constexpr bool kReadsCodePages = std::filesystem::path::preferred_separator == '/';

PathText FolderOf(const std::filesystem::path& file) {
    return WithTrailingSeparator(file.parent_path().native());
}

// All pieces come from one folder, so that pieces of two different splits are never mixed: the
// folder the index names if every piece is there, else the index's own folder if every piece is
// there.
std::vector<std::filesystem::path> LocatePieces(const PieceSource& readFrom, const SplitIndex& index,
                                                const RecordedSource& source,
                                                const std::filesystem::path& indexPath) {
    std::vector<PathText> folders;
    if (source.Folder) folders.push_back(*source.Folder);
    const PathText beside = FolderOf(indexPath);
    if (folders.empty() || folders.front() != beside) folders.push_back(beside);
    std::string missing;
    for (const PathText& folder : folders) {
        std::vector<std::filesystem::path> pieces;
        for (std::int32_t k = 0; k < index.PieceCount; ++k) {
            std::filesystem::path piece = PieceName(folder + source.Name, index.FirstNumber + k);
            if (KindOf(readFrom(piece)) == EntryKind::Missing) {
                missing += (missing.empty() ? "\"" : ", nor does \"") + DisplayPath(piece) +
                           (missing.empty() ? "\" does not exist" : "\"");
                break;
            }
            pieces.push_back(std::move(piece));
        }
        if (pieces.size() == static_cast<std::size_t>(index.PieceCount)) return pieces;
    }
    throw Failure("A piece is missing: " + missing + "; nothing was joined.");
}

// The data length of one piece, read as the documented reader reads it: the header and the bytes
// it announces. A trailer that differs or bytes after the record are left to the checksum file or
// the recovery data to judge, and noted for the user.
std::int32_t ReadPieceSize(const std::filesystem::path& location, FileState& state,
                           std::string& note) {
    File piece = File::OpenForReading(location);
    state = piece.State();
    const PieceRead read = ReadPieceShape(piece);
    const std::string name = "\"" + DisplayPath(location) + "\"";
    const std::string bad = "The piece " + name + " is damaged: ";
    switch (read.Shape) {
    case PieceShape::NotAPiece:
        throw Failure(bad + (read.FileSize < kPieceHeaderSize ? "it is too short to be a piece."
                                                              : "its header is not that of a piece."));
    case PieceShape::ShortData:
        throw Failure(bad + "it holds fewer bytes than its header announces.");
    case PieceShape::NoTrailer:
        throw Failure(bad + "its last 4 bytes, which repeat its length, are missing.");
    case PieceShape::TrailerDiffers:
        if (note.empty())
            note = "The piece " + name + " ends in bytes other than its length; its data was "
                   "joined as its header announces.";
        break;
    case PieceShape::BytesAfter:
        if (note.empty())
            note = "The piece " + name + " has bytes after its end; they were not joined.";
        break;
    case PieceShape::WellFormed:
        break;
    }
    piece.Close();
    return static_cast<std::int32_t>(read.DataSize);
}

ByteSink Into(Hash128& hash) {
    return [&hash](const std::uint8_t* bytes, std::size_t count) { hash.Update(bytes, count); };
}

// The checksum lists of the pieces' folder and of the index's, when that differs: each piece file
// and the joined file must have a line, and where both lists have one, the same.
void ReadChecksums(JoinPlan& plan, const std::filesystem::path& indexPath) {
    std::vector<std::filesystem::path> files;
    for (const auto& folder : {FolderOf(plan.Pieces.front().Location), FolderOf(indexPath)}) {
        const std::filesystem::path file = ChecksumName(folder + plan.OutputName.native());
        if (KindOf(file) != EntryKind::Missing &&
            std::find(files.begin(), files.end(), file) == files.end())
            files.push_back(file);
    }
    std::vector<std::string> wanted;
    for (const auto& piece : plan.Pieces)
        wanted.push_back(DisplayPath(piece.Location.filename()));
    wanted.push_back(DisplayPath(plan.OutputName));
    std::vector<std::string> found(wanted.size());
    for (const auto& file : files) {
        const std::string bad = "The checksum file \"" + DisplayPath(file) + "\" ";
        const auto list = DecodeChecksums(ReadSmallFile(file, "a checksum file"));
        if (!list)
            throw Failure(bad + "is damaged: it has no checksum line, starts with a byte-order "
                                "mark, or gives one file two checksums.");
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            const auto line = list->find(wanted[i]);
            if (line == list->end())
                throw Failure(bad + "has no line for \"" + wanted[i] +
                              "\"; it belongs to another split. Nothing was joined.");
            if (!found[i].empty() && found[i] != line->second)
                throw Failure("The checksum files \"" + DisplayPath(files.front()) + "\" and \"" +
                              DisplayPath(file) + "\" disagree about \"" + wanted[i] +
                              "\"; nothing was joined.");
            found[i] = line->second;
        }
    }
    if (files.empty()) return;
    plan.OutputChecksum = found.back();
    found.pop_back();
    plan.PieceChecksums = std::move(found);
    plan.ChecksumFile = files.front();
}

std::string DamagedPiece(const JoinPlan& plan, std::size_t i) {
    return "The piece \"" + DisplayPath(plan.Pieces[i].Location) +
           "\" is damaged: its checksum does not match the one in \"" +
           DisplayPath(plan.ChecksumFile) + "\".";
}

std::string DamagedWhole(const JoinPlan& plan) {
    return "The pieces join into bytes that do not match the checksum of \"" +
           DisplayPath(plan.OutputName) + "\" in \"" + DisplayPath(plan.ChecksumFile) + "\".";
}

// Opens a piece for reading and makes sure it is the file the plan checked: a piece replaced or
// written since (a split of the same name meanwhile) would mix two splits.
File OpenCheckedPiece(const JoinPlan& plan, std::size_t i) {
    File in = File::OpenForReading(plan.ReadFrom[i]);
    if (in.State() != plan.PieceStates[i])
        throw Failure("The piece \"" + DisplayPath(plan.Pieces[i].Location) +
                      "\" changed after it was checked; nothing was joined. Try again once no "
                      "program writes the pieces.");
    return in;
}

// Reads one piece file whole: its header and trailer (and any bytes after it) into `hash`, its
// data through `copy` (which also shows them to `hash`), and checks the checksum when there is one.
void ReadPiece(const JoinPlan& plan, std::size_t i, File& in, Hash128& hash,
               const std::function<void(File&, std::uint64_t, std::uint64_t)>& copy) {
    const auto size = static_cast<std::uint64_t>(plan.Pieces[i].Size);
    in.ReadRange(0, kPieceHeaderSize, Into(hash));
    copy(in, kPieceHeaderSize, size);
    in.ReadRange(kPieceHeaderSize + size, UINT64_MAX, Into(hash));
}

// Checks every piece file and the bytes they join into against the plan's checksums, without
// writing; names every damaged piece.
void CheckPieces(const JoinPlan& plan, const CopyProgress& advanced) {
    Hash128 whole;
    std::string damaged;
    for (std::size_t i = 0; i < plan.Pieces.size(); ++i) {
        File in = OpenCheckedPiece(plan, i);
        Hash128 hash; // of the whole piece file, as xxhsum computes it
        ReadPiece(plan, i, in, hash, [&](File& from, std::uint64_t offset, std::uint64_t count) {
            from.ReadRange(offset, count, [&](const std::uint8_t* bytes, std::size_t got) {
                hash.Update(bytes, got);
                whole.Update(bytes, got);
                advanced(got);
            });
        });
        if (hash.Hex() == plan.PieceChecksums[i]) continue;
        if (!damaged.empty()) damaged += '\n';
        damaged += DamagedPiece(plan, i);
    }
    if (!damaged.empty()) throw Failure(damaged);
    if (whole.Hex() != plan.OutputChecksum) throw Failure(DamagedWhole(plan));
}

void WriteOutput(const JoinPlan& plan, const std::filesystem::path& output,
                 const Progress& progress, const Notice& notice) {
    Replacement replace(output, notice);
    replace.Check(output);
    const auto length = static_cast<std::uint64_t>(plan.Index.FileSize);
    CheckRoom(output.parent_path(), length, length, "The join");
    std::uint64_t done = 0;
    const CopyProgress advanced =
        Reporting(progress, static_cast<std::uint64_t>(plan.Index.FileSize), done);
    advanced(0); // the caller may cancel before the first byte
    File out = replace.Create(output);
    const bool checked = !plan.ChecksumFile.empty();
    // Each checksum is of exactly the bytes written, hashed from the buffer they are written from.
    Hash128 whole;
    for (std::size_t i = 0; i < plan.Pieces.size(); ++i) {
        File in = OpenCheckedPiece(plan, i);
        Hash128 hash;
        ReadPiece(plan, i, in, hash, [&](File& from, std::uint64_t offset, std::uint64_t count) {
            out.CopyFrom(from, offset, count, advanced,
                         checked ? ByteSink([&](const std::uint8_t* bytes, std::size_t got) {
                             hash.Update(bytes, got);
                             whole.Update(bytes, got);
                         })
                                 : ByteSink());
        });
        if (checked && hash.Hex() != plan.PieceChecksums[i])
            throw Failure(DamagedPiece(plan, i) + " Nothing was joined.");
    }
    if (checked && whole.Hex() != plan.OutputChecksum)
        throw Failure(DamagedWhole(plan) + " Nothing was joined.");
    replace.Finish(out);
    advanced(0); // a cancel is heard up to the commit
    replace.Commit();
}

} // namespace

bool ReadJoinPlan(const std::filesystem::path& IndexPath, JoinPlan& Plan, std::string& Message,
                  unsigned CodePage, const PieceSource& Source) {
    try {
        const PieceSource readFrom =
            Source ? Source : [](const std::filesystem::path& piece) { return piece; };
        JoinPlan plan;
        plan.Index = ReadIndex(readFrom(IndexPath)); // a rebuilt copy of a lost or damaged index
        std::vector<std::filesystem::path> locations;
        RecordedSource source;
        const auto read = [&](unsigned codePage) {
            const auto named = FromIndexText(plan.Index.FilePath, codePage);
            if (!named)
                throw Failure("The name in the index file cannot be read in code page " +
                              std::to_string(codePage) + "; nothing was joined.");
            plan.SourcePath = *named;
            source = ReadRecordedSource(plan.SourcePath.native());
            // A crafted index is refused before any of its pieces is looked at.
            if (!IsPlainFileName(source.Name))
                throw Failure("The index names the file \"" +
                              DisplayPath(std::filesystem::path(source.Name)) +
                              "\", which is not a plain file name; nothing was joined.");
            locations = LocatePieces(readFrom, plan.Index, source, IndexPath);
        };
        try {
            read(CodePage);
        } catch (const Failure& missing) {
            // An index written on Windows holds its code page's bytes, while the pieces carry the
            // name Windows gave them in UTF-8: Western Windows' code page is tried next.
            if (CodePage != 0 || IsValidUtf8(plan.Index.FilePath) || !kReadsCodePages) throw;
            try {
                read(1252);
            } catch (const Failure&) {
                throw Failure(std::string(missing.what()) +
                              " The index was written on Windows in a code page other than "
                              "1252 or UTF-8: name it with --codepage N (1251, 936, 932, "
                              "949, ...).");
            }
        }
        plan.OutputName = source.Name;
        std::int64_t total = 0;
        for (auto& location : locations) {
            PieceBuffer piece;
            plan.ReadFrom.push_back(readFrom(location));
            piece.Size =
                ReadPieceSize(plan.ReadFrom.back(), plan.PieceStates.emplace_back(), plan.Note);
            piece.Location = std::move(location);
            total += piece.Size;
            plan.Pieces.push_back(std::move(piece));
        }
        if (total != plan.Index.FileSize)
            throw Failure("The pieces hold " + std::to_string(total) +
                          " bytes but the index file records " +
                          std::to_string(plan.Index.FileSize) + "; nothing was joined.");
        ReadChecksums(plan, IndexPath);
        Plan = std::move(plan);
        return true;
    } catch (const std::exception& error) {
        Message = error.what();
        return false;
    }
}

namespace {

void WriteJoined(const JoinPlan& plan, const std::filesystem::path& outputFolder,
                 const Progress& progress, const JoinOptions& options) {
    const std::filesystem::path output = outputFolder.native() + plan.OutputName.native();
    if (!output.parent_path().empty() && KindOf(output.parent_path()) != EntryKind::Folder)
        throw Failure("Cannot write \"" + DisplayPath(output) + "\": its folder does not exist.");
    if (!options.Replace && KindOf(output) != EntryKind::Missing)
        throw Failure("\"" + DisplayPath(output) + "\" already exists; nothing was joined.");
    WriteOutput(plan, output, progress, options.Notice);
}

} // namespace

bool WriteJoinedFile(const JoinPlan& Plan, const std::filesystem::path& OutputFolder,
                     std::string& Message, const Progress& progress, const JoinOptions& options) {
    try {
        WriteJoined(Plan, OutputFolder, progress, options);
        return true;
    } catch (const std::exception& error) {
        Message = error.what();
        return false;
    }
}

bool VerifyPieces(const JoinPlan& Plan, std::string& Message, const Progress& progress) {
    try {
        if (Plan.ChecksumFile.empty())
            throw Failure(
                "There is no checksum file beside the index to check the pieces against.");
        const auto total = static_cast<std::uint64_t>(Plan.Index.FileSize);
        std::uint64_t done = 0;
        CheckPieces(Plan, Reporting(progress, total, done));
        return true;
    } catch (const std::exception& error) {
        Message = error.what();
        return false;
    }
}

std::optional<std::filesystem::path> JoinOutputName(const std::filesystem::path& IndexPath,
                                                    std::string& Message) {
    try {
        std::optional<SplitIndex> index;
        try {
            index = ReadIndex(IndexPath);
        } catch (const Failure&) {
            // A lost or damaged index that the recovery data rebuilds for the join: named as a
            // split names its index, NAME.tpl for NAME.
            if (!FindRecoveryFile(IndexPath)) throw;
            return std::filesystem::path(IndexPath.filename()).replace_extension();
        }
        const auto named = FromIndexText(index->FilePath);
        const PathText name = ReadRecordedSource(named.value_or("").native()).Name;
        if (!IsPlainFileName(name))
            throw Failure("The index names the file \"" + DisplayPath(std::filesystem::path(name)) +
                          "\", which is not a plain file name; nothing was joined.");
        return std::filesystem::path(name);
    } catch (const std::exception& error) {
        Message = error.what();
        return std::nullopt;
    }
}

namespace {

// The files a join's verdict rebuilds, made beside its output under one lock held while they
// live, so that another run there leaves them be; removed when the join ends.
class RebuiltBeside {
  public:
    explicit RebuiltBeside(const std::filesystem::path& folder)
        : lock_(std::make_shared<RunLock>(folder)), folder_(folder) {}
    RebuiltBeside(const RebuiltBeside&) = delete;
    RebuiltBeside& operator=(const RebuiltBeside&) = delete;
    ~RebuiltBeside() {
        for (const auto& [path, identity] : made_)
            RemoveTemporaryQuietly(path, identity);
    }
    RebuildTarget Target() {
        return {[this](const std::filesystem::path& final) {
                    File file = File::CreateBeside(folder_ / final.filename(), lock_);
                    made_.emplace_back(file.Path(), file.Identity());
                    return file;
                },
                {}, {}};
    }

  private:
    std::shared_ptr<RunLock> lock_; // declared first: outlives the copies' removal
    std::filesystem::path folder_;
    std::vector<std::pair<std::filesystem::path, FileIdentity>> made_;
};

// The output's length as the index records it, for the progress; 0 when the index cannot be read
// (the join then fails saying why).
std::uint64_t RecordedLength(const std::filesystem::path& index) {
    try {
        return static_cast<std::uint64_t>(ReadIndex(index).FileSize);
    } catch (const Failure&) {
        return 0;
    }
}

} // namespace

bool JoinPieces(const std::filesystem::path& IndexPath, const std::filesystem::path& OutputFolder,
                std::string& Message, const Progress& progress, const JoinOptions& options,
                JoinPlan* Plan) {
    // Before anything is read: a split killed over this set is put back, and none starts now.
    std::optional<SetReading> reading;
    try {
        reading.emplace(IndexPath, options.Notice);
    } catch (const std::exception& error) {
        Message = error.what();
        return false;
    }
    JoinPlan plan;
    const auto recovery = FindRecoveryFile(IndexPath);
    const bool recoverable = recovery.has_value();
    // The recovery data is consulted only when the index or a piece is missing or damaged, or
    // when no checksum file could tell.
    const bool planned = ReadJoinPlan(IndexPath, plan, Message, options.CodePage);
    ProgressPasses passes(progress, planned ? static_cast<std::uint64_t>(plan.Index.FileSize)
                                        : RecordedLength(IndexPath));
    if (planned && (!recoverable || !plan.ChecksumFile.empty())) {
        try {
            WriteJoined(plan, OutputFolder, passes.Next(1), options);
            if (Plan) *Plan = std::move(plan);
            return true;
        } catch (const std::exception& error) {
            Message = error.what();
            const auto* failure = dynamic_cast<const Failure*>(&error);
            const std::filesystem::path output = OutputFolder.native() + plan.OutputName.native();
            if (!recoverable || (failure && failure->Kind() == FailureKind::Cancelled) ||
                (!options.Replace && KindOf(output) != EntryKind::Missing))
                return false;
        }
    }
    if (!recoverable) return false;
    try {
        // The set's one verdict, what the recovery data rebuilds made beside the output (the
        // user's files stay as they are). A file lost that nothing rebuilds refuses the join with
        // the verdict's reasons; a piece that only nothing can check is joined as it would be
        // without recovery data.
        const std::filesystem::path folder = std::filesystem::path(OutputFolder).parent_path();
        RebuiltBeside copies(folder);
        const SetVerdict verdict = JudgeSet(IndexPath, passes.Next(0.5), copies.Target());
        if (std::any_of(verdict.Files.begin(), verdict.Files.end(), [](const JudgedFile& file) {
                return (file.State == Found::Missing || file.State == Found::Damaged) &&
                       !file.Rebuildable;
            })) {
            Message.clear();
            for (const std::string& problem : verdict.Problems)
                Message += (Message.empty() ? "" : " ") + problem;
            Message += " Nothing was joined.";
            return false;
        }
        const PieceSource rebuilt = [&](const std::filesystem::path& piece) {
            for (const RebuiltFile& file : verdict.Rebuilt)
                if (file.Final.filename() == piece.filename()) return file.Written;
            return piece;
        };
        if (!ReadJoinPlan(IndexPath, plan, Message, options.CodePage, rebuilt) ||
            !WriteJoinedFile(plan, OutputFolder, Message, passes.Next(1), options))
            return false;
        const bool index = std::any_of(verdict.Rebuilt.begin(), verdict.Rebuilt.end(),
                                       [&](const RebuiltFile& file) {
                                           return file.Final.filename() == IndexPath.filename();
                                       });
        const std::size_t pieces = static_cast<std::size_t>(std::count_if(
            verdict.Files.begin(), verdict.Files.end(), [](const JudgedFile& file) {
                return file.Kind == JudgedFile::Role::Piece && file.State != Found::Intact &&
                       file.Rebuildable;
            }));
        if ((pieces > 0 || index) && options.Notice)
            options.Notice(RebuiltMessage(pieces, index));
        if (Plan) *Plan = std::move(plan);
        return true;
    } catch (const std::exception& error) {
        Message = error.what();
        return false;
    }
}

} // namespace zendra
