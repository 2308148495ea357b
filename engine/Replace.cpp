#include "engine/Replace.h"

#include "base/ChecksumLine.h"
#include "base/Failure.h"
#include "io/JobQueue.h"
#include "io/Stop.h"

#include <algorithm>
#include <map>
#include <set>
#include <thread>

namespace zendra {
namespace {

namespace fs = std::filesystem;

constexpr char kPrefix[] = ".zendra-";

// The tag in ".zendra-TAG.lock", ".zendra-TAG-N.tmp", ".zendra-TAG-N.old", ".zendra-TAG.undo":
// empty for a name that is none of the run files.
std::string TagOf(const std::string& name) {
    if (name.rfind(kPrefix, 0) != 0) return {};
    const std::size_t start = sizeof kPrefix - 1;
    const std::size_t end = name.find_first_of("-.", start);
    if (end == std::string::npos || end == start) return {};
    return name.substr(start, end - start);
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The journal lists each set-aside file's name, its final name and the identity of the new file
// renamed there, each field as its length and its bytes, so that any name survives.
std::string Field(const std::string& text) {
    return std::to_string(text.size()) + ":" + text;
}

struct JournalEntry {
    std::string aside, final;
    std::string written; // "volume:index" of the new file, empty when none replaced it
};

std::string Encode(const JournalEntry& entry) {
    return Field(entry.aside) + Field(entry.final) + Field(entry.written) + "\n";
}

std::string IdentityText(const FileIdentity& identity) {
    return std::to_string(identity.volume) + ":" + std::to_string(identity.index);
}

// What could be read of a journal; a record cut short by a crash ends the list.
std::vector<JournalEntry> Decode(const std::string& text) {
    std::vector<JournalEntry> entries;
    std::size_t at = 0;
    const auto field = [&](std::string& into) {
        const std::size_t colon = text.find(':', at);
        if (colon == std::string::npos || colon == at || colon - at > 9) return false;
        const std::string digits = text.substr(at, colon - at);
        if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return false;
        const std::size_t length = std::stoul(digits);
        if (colon + 1 + length > text.size()) return false;
        into = text.substr(colon + 1, length);
        at = colon + 1 + length;
        return true;
    };
    for (;;) {
        JournalEntry entry;
        if (!field(entry.aside) || !field(entry.final) || !field(entry.written) ||
            at >= text.size() || text[at] != '\n')
            return entries;
        ++at;
        entries.push_back(std::move(entry));
    }
}

std::string Plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

struct Mended {
    std::size_t restored = 0;  // older files put back after an unfinished run
    std::size_t discarded = 0; // older files removed after a finished one
    std::size_t removed = 0;   // temporary files of killed runs
    std::vector<std::string> kept;
};

// Mends per a journal a run left: an unfinished replacement ("undo") is rolled back, the new files
// it had renamed into place removed and the older ones put back (one whose name is taken stays);
// after a finished one ("done", the commit point passed) the older files it set aside are removed,
// as that run would have. The journal goes once nothing it lists is left to do.
void RestoreFrom(const fs::path& folder, const fs::path& journal, bool finished, Mended& mended) {
    bool whole = true;
    for (const JournalEntry& entry : Decode(ReadSmallFile(journal, "a journal"))) {
        const fs::path final = folder / PathFromUtf8(entry.final);
        const fs::path aside = folder / PathFromUtf8(entry.aside);
        if (!finished && !entry.written.empty()) {
            const auto now = IdentityOf(final);
            if (now && IdentityText(*now) == entry.written && KindOf(final) == EntryKind::Regular)
                RemoveFileQuietly(final);
        }
        if (entry.aside.empty() || KindOf(aside) == EntryKind::Missing) continue;
        if (finished) {
            if (RemoveFileQuietly(aside))
                ++mended.discarded;
            else
                whole = false;
        } else if (KindOf(final) == EntryKind::Missing) {
            MoveFileOver(aside, final);
            ++mended.restored;
        } else {
            mended.kept.push_back("\"" + DisplayPath(aside) + "\" (the older \"" + entry.final +
                                  "\")");
        }
    }
    if (whole) RemoveFileQuietly(journal);
}

// Whether a tag is a set's lock (see ClaimTag) rather than a run's.
bool IsClaimTag(const std::string& tag) {
    return tag[0] == 's';
}

// The files of runs other than `ownTag` in `folder`, by tag; `claims`, the sets' locks.
std::map<std::string, std::vector<fs::path>> RunFiles(const fs::path& folder,
                                                      const std::string& ownTag,
                                                      std::vector<std::string>* claims = nullptr) {
    std::map<std::string, std::vector<fs::path>> byTag;
    for (const FolderEntry& entry : ListFolder(folder)) {
        const std::string tag = TagOf(DisplayPath(entry.Name));
        if (tag.empty() || tag == ownTag) continue;
        if (!IsClaimTag(tag))
            byTag[tag].push_back((folder.empty() ? fs::path(".") : folder) / entry.Name);
        else if (claims)
            claims->push_back(tag);
    }
    return byTag;
}

// Mends what killed runs left in `folder`: their set-aside files go back, their temporary files
// and locks go.
void CleanUpAfterKilledRuns(const fs::path& folder, const std::string& ownTag,
                            const Notice& notice) {
    Mended mended;
    std::vector<std::string> claims;
    for (const auto& [tag, files] : RunFiles(folder, ownTag, &claims)) {
        // Held, the tag's lock shows that no live run has it (none is still starting with it:
        // a run creates its files only once it holds its lock), and that no other run mends the
        // same files now. It goes last, with the lock.
        const auto killed = RunLock::Claim(folder, tag);
        if (!killed) continue;
        for (const fs::path& file : files) {
            const std::string name = DisplayPath(file.filename());
            // A journal gone since the listing was a run's that ended whole before its lock was
            // free: nothing to mend.
            if ((EndsWith(name, ".undo") || EndsWith(name, ".done")) &&
                KindOf(file) != EntryKind::Missing)
                RestoreFrom(folder, file, EndsWith(name, ".done"), mended);
        }
        for (const fs::path& file : files) {
            const std::string name = DisplayPath(file.filename());
            if (EndsWith(name, ".tmp") && KindOf(file) == EntryKind::Regular &&
                RemoveFileQuietly(file))
                ++mended.removed;
        }
    }
    // A set's lock that a killed run left goes as it is taken (a run claiming that set meanwhile
    // tries again, see ClaimSet).
    for (const std::string& tag : claims)
        RunLock::Claim(folder, tag);
    if (!notice) return;
    const std::string where = " in \"" + DisplayPath(folder) + "\".";
    if (mended.restored)
        notice("Put back " + Plural(mended.restored, "file", "files") +
               " that an interrupted split or join had set aside" + where);
    for (const std::string& file : mended.kept)
        notice("Kept " + file + ", set aside by an interrupted split or join: its name is taken.");
    if (mended.discarded)
        notice("Removed " + Plural(mended.discarded, "older file", "older files") +
               " that a finished split or join had replaced" + where);
    if (mended.removed)
        notice("Removed " + Plural(mended.removed, "temporary file", "temporary files") +
               " left by an interrupted split or join" + where);
}

// The tag of the lock that one run at a time holds while it writes a set: from the set's name,
// letter case folded where the file system folds it.
std::string ClaimTag(const fs::path& set) {
    std::string name = DisplayPath(set.filename());
    if (fs::path::preferred_separator == '\\') name = AsciiLower(name);
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (const unsigned char c : name)
        hash = (hash ^ c) * 1099511628211ull;
    std::uint8_t bytes[8];
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<std::uint8_t>(hash >> (56 - 8 * i));
    return "s" + HexOf(bytes, sizeof bytes);
}

} // namespace

Replacement::Replacement(const fs::path& set, const Notice& notice)
    : folder_(set.parent_path().empty() ? fs::path(".") : set.parent_path()),
      lock_(std::make_shared<RunLock>(folder_)), flusher_(std::make_shared<JobQueue>()) {
    claim_ = ClaimSet(set, false);
    if (!claim_)
        throw Failure("Another split or join is using \"" + DisplayPath(set) +
                      "\" right now; nothing was written. Try again once it has ended.");
    CleanUpAfterKilledRuns(folder_, lock_->Tag(), notice);
}

std::unique_ptr<RunLock> Replacement::ClaimSet(const fs::path& set, bool reading) {
    const fs::path folder = set.parent_path().empty() ? fs::path(".") : set.parent_path();
    // Another run mending the folder holds a killed run's lock of the set only for a moment.
    for (int attempt = 0;; ++attempt) {
        if (auto claim = RunLock::Claim(folder, ClaimTag(set), reading)) return claim;
        if (attempt == 4) return nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void Replacement::MendFolder(const fs::path& folder, const Notice& notice) {
    if (LeftByKilledRuns(folder) == 0) return;
    try {
        CleanUpAfterKilledRuns(folder, {}, notice);
    } catch (const Failure& failure) {
        if (failure.Kind() != FailureKind::Io) throw;
        if (notice)
            notice("\"" + DisplayPath(folder) +
                   "\" holds files that an interrupted split or join left, which cannot be put "
                   "right there: " +
                   failure.what());
    }
}

std::size_t Replacement::LeftByKilledRuns(const fs::path& folder) {
    std::size_t count = 0;
    for (const auto& [tag, files] : RunFiles(folder, {}))
        if (!RunLock::Held(folder, tag))
            count += static_cast<std::size_t>(
                std::count_if(files.begin(), files.end(), [](const fs::path& file) {
                    return !EndsWith(DisplayPath(file.filename()), ".lock");
                }));
    return count;
}

Replacement::~Replacement() {
    if (committed_) return;
    // The flusher's jobs hold new files open, and Windows removes no file held open.
    flusher_->Drop();
    for (const Staged& file : staged_)
        if (!file.temporary.empty()) RemoveTemporaryQuietly(file.temporary, file.written);
}

void Replacement::Settle() {
    flusher_->Wait();
}

void Replacement::Check(const fs::path& final) const {
    CheckWritableName(final);
    if (NameTooLong(final))
        throw Failure("The name \"" + DisplayPath(final.filename()) +
                      "\" is longer than the file system allows; nothing was written.");
    if (HeldOpenElsewhere(final))
        throw Failure("\"" + DisplayPath(final) +
                      "\" is open in another program, so it cannot be replaced; close it "
                      "and try again. Nothing was written.");
    if (!FolderWritable(folder_))
        throw Failure("Cannot write in the folder \"" + DisplayPath(folder_) +
                      "\"; nothing was written.");
}

File Replacement::Create(const fs::path& final) {
    ThrowIfStopRequested();
    // The older file's bytes are of no more use once this one is written: without this, a run
    // over large older files needs as much new memory again as it writes.
    ReleaseCachedBytes(final);
    File file = File::CreateBeside(final, lock_);
    file.WriteBehindOn(flusher_);
    file.StopOnRequest();
    staged_.push_back({final, file.Path(), file.Identity(), {}, false});
    return file;
}

void Replacement::Finish(File& file) {
    // Most often the file made last: looked for from the end.
    const auto found = std::find_if(staged_.rbegin(), staged_.rend(),
                                    [&](const Staged& s) { return s.temporary == file.Path(); });
    // Flushed on the flusher's thread while the next file is written; with many files, once for
    // all of them just before the renames, as one flush per file would cost more than it saves.
    if (found != staged_.rend() && staged_.size() <= kFlushEach) {
        file.FlushBehind();
        found->flushed = true;
    } else {
        file.StartWriteBack(true);
    }
    file.Close();
    if (found != staged_.rend() && KindOf(found->final) == EntryKind::Regular)
        CopyPermissions(found->final, found->temporary);
}

void Replacement::Remove(const fs::path& final) {
    if (std::none_of(staged_.begin(), staged_.end(),
                     [&](const Staged& file) { return file.final == final; }))
        staged_.push_back({final, {}, {}, {}, false});
}

fs::path Replacement::JournalPath(const char* suffix) const {
    return folder_ / (kPrefix + lock_->Tag() + suffix);
}

void Replacement::WriteJournal(const std::string& text, std::vector<StagedName>& flushed) {
    const fs::path undo = JournalPath(".undo");
    File out = File::CreateBeside(undo, lock_);
    journalTemporary_ = out.Path(); // removed by the roll-back, like every new file
    out.WriteAll(text.data(), text.size());
    out.Close();
    flushed.push_back({journalTemporary_, undo});
    FlushFiles(folder_, flushed);
    MoveFileOver(journalTemporary_, undo);
    journalTemporary_.clear();
    FlushFolder(folder_);
}

void Replacement::Commit() {
    // The last moment a stop is heard: from here on the commit finishes (or fails and is undone).
    ThrowIfStopRequested();
    for (const Staged& file : staged_)
        if (KindOf(file.final) != EntryKind::Missing) Check(file.final);
    // The journal first, on the disk before anything moves, so that a run killed midway is rolled
    // back by the next one: it lists the older files set aside and every name a new file takes,
    // with that file's identity, so that the next run removes the new files of a killed first
    // split too, and only those (never a file the user put there since).
    std::string journal;
    for (Staged& file : staged_) {
        if (KindOf(file.final) == EntryKind::Missing) continue;
        file.aside = lock_->NextName(".old");
        journal += Encode({DisplayPath(file.aside.filename()), DisplayPath(file.final.filename()),
                           file.temporary.empty() ? std::string() : IdentityText(file.written)});
    }
    for (const Staged& file : staged_)
        if (file.aside.empty() && !file.temporary.empty())
            journal += Encode({{}, DisplayPath(file.final.filename()), IdentityText(file.written)});
    // Every new file, however it was closed, is on the disk before anything is renamed, and the job
    // thread holds none of them open.
    flusher_->Wait();
    std::vector<StagedName> unflushed;
    for (const Staged& file : staged_)
        if (!file.temporary.empty() && !file.flushed)
            unflushed.push_back({file.temporary, file.final});
    bool marked = false;
    try {
        WriteJournal(journal, unflushed);
        for (Staged& file : staged_) {
            if (file.aside.empty()) continue;
            MoveFileOver(file.final, file.aside, file.final);
        }
        for (Staged& file : staged_) {
            if (file.temporary.empty()) continue;
            MoveFileOver(file.temporary, file.final);
            file.renamed = true;
        }
        FlushFolder(folder_);
        // The commit point: once the journal says done and that is on the disk, no later run
        // undoes this one. Short of it, this run is undone now and fails.
        MoveFileOver(JournalPath(".undo"), JournalPath(".done"), "the run's journal");
        marked = true;
        FlushFolder(folder_);
    } catch (const std::exception&) {
        // A mark that may not be on the disk is taken back before the roll-back; where even that
        // fails the new files stand (the journal says so) and the failure is still reported.
        if (marked) {
            try {
                MoveFileOver(JournalPath(".done"), JournalPath(".undo"), "the run's journal");
            } catch (const std::exception&) {
                committed_ = true;
                throw;
            }
        }
        RollBack();
        throw;
    }
    committed_ = true;
    // An older file that cannot be removed now is removed by the next run in the folder, which
    // finds it in the journal.
    bool whole = true;
    for (const Staged& file : staged_)
        if (!file.aside.empty() && !RemoveFileQuietly(file.aside)) whole = false;
    if (whole) RemoveFileQuietly(JournalPath(".done"));
}

void Replacement::RollBack() noexcept {
    bool whole = true;
    for (auto file = staged_.rbegin(); file != staged_.rend(); ++file) {
        try {
            if (file->renamed) {
                MoveFileOver(file->final, file->temporary);
                file->renamed = false;
            }
            if (!file->aside.empty() && KindOf(file->aside) != EntryKind::Missing)
                MoveFileOver(file->aside, file->final);
        } catch (const std::exception&) {
            whole = false; // the journal stays: the next run in the folder puts it back
        }
    }
    if (!journalTemporary_.empty() && RemoveFileQuietly(journalTemporary_))
        journalTemporary_.clear();
    if (!whole) return;
    // Nothing is left for a journal to mend: a "done" one too, whose mark did not reach the disk.
    RemoveFileQuietly(JournalPath(".undo"));
    RemoveFileQuietly(JournalPath(".done"));
}

} // namespace zendra
