// JudgeSet: the evidence of the recovery data, the checksum file and the index weighed together,
// each file blamed only by evidence that covers it.
#include "recovery/Verdict.h"

#include "base/Failure.h"
#include "formats/Checksum.h"
#include "formats/Formats.h"
#include "formats/Piece.h"
#include "io/File.h"
#include "io/ProgressPasses.h"

#include <algorithm>
#include <map>
#include <optional>

namespace zendra {
namespace {

namespace fs = std::filesystem;
using Role = JudgedFile::Role;

// The index record, or nothing when the file is missing, cannot be read or holds no record.
std::optional<SplitIndex> ReadIndexRecord(const fs::path& path) {
    if (KindOf(path) != EntryKind::Regular) return std::nullopt;
    std::optional<SplitIndex> index;
    try {
        index = DecodeIndex(ReadIndexBytes(path));
    } catch (const Failure& failure) { // an index that cannot be read is judged damaged
        if (failure.Kind() == FailureKind::Cancelled) throw;
        return std::nullopt;
    }
    if (!index || index->PieceCount < 1 || index->FileSize < 0) return std::nullopt;
    return index;
}

// A piece file read for the verdict: the XXH128 of the whole file into `hex`, its data (between
// header and trailer) into `whole`. Returns the data's length, nothing when the file is not a
// well-formed piece by the formats' one piece rule.
std::optional<std::uint64_t> ReadPiece(const fs::path& path, std::string& hex, Hash128& whole,
                                       const CopyProgress& advanced) {
    File in = File::OpenForReading(path);
    const PieceRead shape = ReadPieceShape(in);
    if (!shape.Strict()) return std::nullopt;
    const std::uint64_t length = shape.DataSize;
    Hash128 file;
    std::uint64_t at = 0;
    in.ReadRange(0, shape.FileSize, [&](const std::uint8_t* b, std::size_t n) {
        file.Update(b, n);
        const std::uint64_t from = std::max<std::uint64_t>(at, kPieceHeaderSize);
        const std::uint64_t to = std::min<std::uint64_t>(at + n, kPieceHeaderSize + length);
        if (from < to) whole.Update(b + (from - at), static_cast<std::size_t>(to - from));
        at += n;
        advanced(n);
    });
    hex = file.Hex();
    return length;
}


// Whether `name` is NAME.<digits>, a piece of the split of NAME.
bool LooksLikePiece(const std::string& name, const std::string& source) {
    if (name.size() <= source.size() + 1 || name.compare(0, source.size(), source) != 0 ||
        name[source.size()] != '.')
        return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(source.size()) + 1, name.end(),
                       [](char ch) { return ch >= '0' && ch <= '9'; });
}

// What the progress counts: the bytes the index records, or without a readable index the bytes of
// the pieces beside it (from the folder's listing), so that the passes still make one count.
std::uint64_t ShownLength(const fs::path& index) {
    if (const auto record = ReadIndexRecord(index))
        return static_cast<std::uint64_t>(record->FileSize);
    fs::path base = index;
    base.replace_extension();
    const std::string source = DisplayPath(base.filename());
    std::uint64_t length = 0;
    try {
        for (const FolderEntry& entry : ListFolder(index.parent_path()))
            if (LooksLikePiece(DisplayPath(fs::path(entry.Name)), source)) length += entry.Size;
    } catch (const Failure&) { // the verdict says what cannot be read
    }
    return length;
}

class Judge {
  public:
    Judge(const fs::path& index, const Progress& progress, const RebuildTarget* target)
        : index_(index), passes_(progress, ShownLength(index)), target_(target) {
        v_.Folder = index.parent_path();
        base_ = index;
        if (base_.extension() == ".tpl") base_.replace_extension();
        source_ = DisplayPath(base_.filename());
        indexName_ = DisplayPath(index.filename());
        checksumName_ = DisplayPath(ChecksumName(base_).filename());
    }

    SetVerdict Run() {
        ReadRecovery();
        JudgeIndex();
        ReadChecksums();
        JudgePieces();
        CheckWhole();
        JudgeChecksumFile();
        for (const auto& [name, entry] : covered_) // files the recovery data protects besides
            v_.Files.push_back(FromRecovery(*entry, Role::Other));
        Conclude();
        return std::move(v_);
    }

  private:
    fs::path PathOf(const std::string& name) const { return v_.Folder / PathFromUtf8(name); }
    // Where a file's bytes are as a repair leaves them: its rebuilt copy, or itself.
    fs::path AfterRepair(const std::string& name) const {
        const auto found = rebuilt_.find(name);
        return found != rebuilt_.end() ? found->second : PathOf(name);
    }

    void ReadRecovery() {
        const auto recovery = FindRecoveryFile(index_);
        if (!recovery) return;
        v_.HasRecovery = true;
        std::vector<std::string> expected{indexName_};
        if (const auto record = ReadIndexRecord(index_))
            for (std::int32_t k = 0; k < record->PieceCount; ++k)
                expected.push_back(PieceFileName(record->FirstNumber + k));
        // The check of the recovery data, its rebuild and the pieces' checksums each read about
        // the whole set: passes of one progress, which moves through each of them.
        v_.Recovery = ScanRecovery(*recovery, passes_.Next(1.0 / 3), expected);
        for (const auto& entry : v_.Recovery.Files)
            covered_.emplace(entry.Name, &entry);
        if (!v_.Recovery.Repairable || v_.Recovery.AllIntact()) return;
        if (target_) {
            v_.Rebuilt =
                RebuildFiles(v_.Recovery, target_->Create, passes_.Next(0.5), target_->Finish);
            if (target_->Settle) target_->Settle();
            for (const auto& entry : v_.Recovery.Files)
                for (const auto& file : v_.Rebuilt)
                    if (file.Final == PathOf(entry.Name)) rebuilt_[entry.Name] = file.Written;
        } else {
            copies_.emplace(v_.Recovery, fs::temp_directory_path(), passes_.Next(0.5));
            for (const auto& entry : v_.Recovery.Files)
                if (entry.State != ProtectedState::Intact)
                    rebuilt_[entry.Name] = copies_->ReadFrom(PathOf(entry.Name));
        }
    }

    std::string PieceFileName(std::int32_t number) const {
        return DisplayPath(PieceName(base_, number).filename());
    }

    JudgedFile FromRecovery(const RecoveryStatus::Entry& entry, Role role) const {
        JudgedFile judged{entry.Name, role, Found::Intact, false, {}};
        if (entry.State != ProtectedState::Intact) {
            judged.State =
                entry.State == ProtectedState::Damaged ? Found::Damaged : Found::Missing;
            judged.Rebuildable = v_.Recovery.Repairable;
        }
        if (!entry.FoundIn.empty())
            judged.Note = "its bytes are whole in \"" + entry.FoundIn + "\"";
        else if (entry.Extra > 0)
            judged.Note = std::to_string(entry.Extra) + " bytes too many at its end";
        return judged;
    }

    // Taken from the files the recovery data covers, so that each is listed once.
    const RecoveryStatus::Entry* TakeCovered(const std::string& name) {
        const auto found = covered_.find(name);
        if (found == covered_.end()) return nullptr;
        const RecoveryStatus::Entry* entry = found->second;
        covered_.erase(found);
        return entry;
    }

    // Whether a file is there as a repair leaves it: intact, or rebuilt.
    static bool Whole(const JudgedFile& file) {
        return file.State == Found::Intact || file.Rebuildable;
    }

    void Uncovered(JudgedFile& judged, const std::string& what) {
        judged.Note = judged.State == Found::Unknown
                          ? "neither a checksum line nor the recovery data covers it"
                          : "no recovery data covers it";
        v_.Problems.push_back(judged.State == Found::Unknown
                                  ? "Nothing can check " + what + ": " + judged.Note + "."
                                  : what + " is " + FoundText(judged.State) +
                                        ", and no recovery data covers it.");
    }

    // The index: by the recovery data, else by holding a record (its record is checked against
    // the pieces' lengths in CheckWhole).
    void JudgeIndex() {
        record_ = ReadIndexRecord(AfterRepair(indexName_));
        if (const auto* entry = TakeCovered(indexName_)) {
            v_.Files.push_back(FromRecovery(*entry, Role::Index));
            indexCovered_ = true;
            if (!Whole(v_.Files.back())) record_.reset();
        } else {
            JudgedFile judged{indexName_, Role::Index, Found::Intact, false, {}};
            if (!record_) {
                judged.State =
                    KindOf(index_) == EntryKind::Missing ? Found::Missing : Found::Damaged;
                Uncovered(judged, "The index \"" + indexName_ + "\"");
            }
            v_.Files.push_back(std::move(judged));
        }
    }

    // The checksum file as a repair leaves it. A file that cannot be read stops the verdict as
    // the failure of kind I/O it is: nothing about the set may be decided without it.
    void ReadChecksums() {
        const fs::path path = AfterRepair(checksumName_);
        checksumPresent_ = KindOf(PathOf(checksumName_)) != EntryKind::Missing;
        const auto found = covered_.find(checksumName_);
        if (found != covered_.end() && found->second->State != ProtectedState::Intact &&
            !v_.Recovery.Repairable)
            return; // damaged, and not rebuilt: its lines are no evidence
        if (KindOf(path) == EntryKind::Missing) return;
        list_ = DecodeChecksums(ReadSmallFile(path, "the checksum file"));
        if (!list_) checksumProblems_.push_back("it holds no checksum line");
    }

    void JudgePieces() {
        std::vector<std::string> pieces;
        if (record_) {
            for (std::int32_t k = 0; k < record_->PieceCount; ++k)
                pieces.push_back(PieceFileName(record_->FirstNumber + k));
        } else { // an index lost for good: the pieces the recovery data covers
            for (const auto& [name, entry] : covered_)
                if (LooksLikePiece(name, source_)) pieces.push_back(name);
        }
        const Progress pass = passes_.Next(1);
        const std::uint64_t total = record_ ? static_cast<std::uint64_t>(record_->FileSize) : 0;
        std::uint64_t read = 0;
        const CopyProgress advanced = [&](std::uint64_t count) {
            read += count;
            if (pass && !pass(read, std::max<std::uint64_t>(read, total)))
                throw Failure::Cancelled();
        };
        for (const std::string& name : pieces) {
            const auto* entry = TakeCovered(name);
            JudgedFile judged{name, Role::Piece, Found::Intact, false, {}};
            if (entry)
                judged = FromRecovery(*entry, Role::Piece);
            else if (KindOf(PathOf(name)) != EntryKind::Regular)
                judged.State = Found::Missing;
            const auto line = list_ ? list_->find(name) : ChecksumList::const_iterator();
            const bool hasLine = list_ && line != list_->end();
            if (!entry && judged.State == Found::Intact && !hasLine) judged.State = Found::Unknown;
            if (list_ && !hasLine) checksumProblems_.push_back("it has no line for \"" + name + "\"");
            std::optional<std::uint64_t> length;
            if (Whole(judged)) {
                std::string hex;
                length = ReadPiece(AfterRepair(name), hex, whole_, advanced);
                if (!length && !entry) judged.State = Found::Damaged;
                if (hasLine && hex != line->second) {
                    if (!entry)
                        judged.State = Found::Damaged;
                    else
                        checksumProblems_.push_back(
                            "its line for \"" + name + "\" does not match the piece" +
                            (judged.Rebuildable ? " the recovery data rebuilds"
                                                : ", which the recovery data shows intact"));
                }
            }
            if (!Whole(judged) || !length)
                allRead_ = false;
            else
                joined_ += *length;
            if (!entry && judged.State != Found::Intact) Uncovered(judged, "\"" + name + "\"");
            v_.Files.push_back(std::move(judged));
        }
    }

    // The index's length against its pieces', then the checksum file's line for the whole. A
    // disagreement in length blames the index alone: the pieces it names are not the split's.
    void CheckWhole() {
        if (!record_ || !allRead_) return;
        if (joined_ != static_cast<std::uint64_t>(record_->FileSize)) {
            JudgedFile& indexFile = v_.Files.front();
            const std::string note = "it records " + std::to_string(record_->FileSize) +
                                     " bytes, its pieces hold " + std::to_string(joined_);
            if (!indexCovered_) {
                indexFile.State = Found::Damaged;
                indexFile.Note = note;
            }
            v_.Problems.push_back("The index \"" + indexName_ +
                                  "\" does not agree with its pieces: " + note + ".");
            return;
        }
        if (!list_) return;
        const auto line = list_->find(source_);
        if (line == list_->end())
            checksumProblems_.push_back("it has no line for \"" + source_ + "\"");
        else if (line->second != whole_.Hex())
            checksumProblems_.push_back("its line for \"" + source_ +
                                        "\" does not match the pieces joined");
    }

    void JudgeChecksumFile() {
        JudgedFile judged{checksumName_, Role::Checksum, Found::Intact, false, {}};
        if (const auto* entry = TakeCovered(checksumName_))
            judged = FromRecovery(*entry, Role::Checksum);
        else if (!checksumPresent_)
            return; // none was written: the pieces are checked by the recovery data alone
        else if (!checksumProblems_.empty())
            judged.State = Found::Damaged;
        if (!checksumProblems_.empty()) {
            judged.Note = checksumProblems_.front();
            for (const auto& problem : checksumProblems_)
                v_.Problems.push_back("The checksum file \"" + checksumName_ +
                                      "\" is damaged: " + problem + ".");
        }
        v_.Files.push_back(std::move(judged));
    }

    void Conclude() {
        if (v_.HasRecovery && !v_.Recovery.Repairable) {
            v_.Problems.push_back("The recovery data cannot rebuild what is lost: " +
                                  v_.Recovery.Shortfall());
            v_.SlicesNeeded = v_.Recovery.SlicesNeeded;
            v_.BytesNeeded = std::uint64_t{v_.SlicesNeeded} * v_.Recovery.SliceSize;
        }
        if (!v_.Problems.empty())
            v_.Outcome = SetOutcome::NotRepairable;
        else
            v_.Outcome = v_.NotIntact() > 0 ? SetOutcome::Repairable : SetOutcome::Intact;
    }

    const fs::path index_;
    ProgressPasses passes_;
    const RebuildTarget* target_;
    SetVerdict v_;
    fs::path base_;
    std::string source_, indexName_, checksumName_;
    std::map<std::string, const RecoveryStatus::Entry*> covered_;
    std::map<std::string, fs::path> rebuilt_;
    std::optional<RebuiltCopies> copies_;
    std::optional<SplitIndex> record_;
    bool indexCovered_ = false;
    bool checksumPresent_ = false;
    std::optional<ChecksumList> list_;
    std::vector<std::string> checksumProblems_;
    Hash128 whole_;
    std::uint64_t joined_ = 0;
    bool allRead_ = true; // every piece whole and well formed: the lengths and the whole checked
};

} // namespace

std::size_t SetVerdict::NotIntact() const {
    return static_cast<std::size_t>(std::count_if(
        Files.begin(), Files.end(), [](const JudgedFile& f) { return f.State != Found::Intact; }));
}

const char* FoundText(Found state) {
    switch (state) {
    case Found::Intact:
        return "intact";
    case Found::Damaged:
        return "damaged";
    case Found::Missing:
        return "missing";
    default:
        return "unknown";
    }
}

SetVerdict JudgeSet(const fs::path& index, const Progress& progress) {
    return Judge(index, progress, nullptr).Run();
}

SetVerdict JudgeSet(const fs::path& index, const Progress& progress, const RebuildTarget& target) {
    return Judge(index, progress, &target).Run();
}

} // namespace zendra
