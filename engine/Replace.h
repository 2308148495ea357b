// Files that replace their final names in one folder all together or not at all: the older files
// there are set aside, the new ones renamed into place, and only then are the older ones removed;
// a failure at any step puts every older file back. Every user-visible file the program writes
// takes its name here: split, join, other tools' parts, repair.
#pragma once

#include "io/File.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zendra {

// One line for the user about something a run found and mended (shown, never an error).
using Notice = std::function<void(const std::string&)>;

class Replacement {
  public:
    // Takes this run's lock in the folder of `set`, the name that stands for the files it writes
    // (the index of a split or a repair, the output of a join), and refuses at once, naming it,
    // while another run writes or reads that set (a join reading a split's index holds it too). Before anything else, puts back the files a killed run
    // had set aside there, removes the older files a finished run could not, and removes the
    // temporary files of killed runs, telling `notice` in one line each.
    Replacement(const std::filesystem::path& set, const Notice& notice);
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;
    // Without a Commit, the files made by Create are removed and nothing else is touched.
    ~Replacement();

    // Refuses, naming it, a final name that could not be replaced: a folder, a special or a
    // read-only file, a name longer than the file system takes, a file another program holds open,
    // a folder this process cannot write. Called before any byte is written.
    void Check(const std::filesystem::path& final) const;
    // A new file under a temporary name in the folder, to replace `final` at Commit.
    File Create(const std::filesystem::path& final);
    // Closes a file made by Create, starting its way to the disk, and gives it the permissions of
    // the file it is to replace. Every file made by Create is flushed to the disk at Commit, also
    // one its writer closed itself.
    void Finish(File& file);
    // An older file that Commit removes, set aside like the replaced ones; none is fine, and so is
    // a name a new file replaces anyway.
    void Remove(const std::filesystem::path& final);
    // Waits until the job thread has let go of every file made so far (their flushes done), and
    // reports what failed there: before another reader opens them, as Windows opens no file that
    // a handle holds for writing.
    void Settle();
    // Sets the older files aside, renames the new ones into place, flushes the folder, marks the
    // journal done (the commit point: no later run undoes it), then removes what was set aside.
    // On failure up to the commit point every older file is back and the new ones are gone; an
    // older file that cannot be removed after it is removed by the next run in the folder.
    void Commit();

    // The lock of `set` in its folder: held alone by the run that writes it, shared by runs that
    // only read it; nothing while another run holds it so.
    static std::unique_ptr<RunLock> ClaimSet(const std::filesystem::path& set, bool reading);
    // For a run that only reads in `folder`: mends what killed runs left there, as the
    // constructor does; where the folder cannot be written, tells `notice` so and reads on.
    // Nothing is written where nothing is left to mend.
    static void MendFolder(const std::filesystem::path& folder, const Notice& notice);
    // How many files runs that hold no lock now left in `folder`: looked for without writing.
    static std::size_t LeftByKilledRuns(const std::filesystem::path& folder);

  private:
    struct Staged {
        std::filesystem::path final;
        std::filesystem::path temporary; // empty for a removal
        FileIdentity written;
        std::filesystem::path aside; // where the older file went, once it did
        bool renamed = false;
        bool flushed = false; // by the flusher, once it is waited for
    };
    void RollBack() noexcept;
    void WriteJournal(const std::string& text, std::vector<StagedName>& flushed);
    std::filesystem::path JournalPath(const char* suffix) const;

    std::filesystem::path folder_;
    std::shared_ptr<RunLock> lock_;
    std::unique_ptr<RunLock> claim_;         // the set's, while this run writes it
    std::filesystem::path journalTemporary_; // the journal while it is written
    std::vector<Staged> staged_;
    bool committed_ = false;
    // The new files' write-back and flushes, beside the copy.
    std::shared_ptr<JobQueue> flusher_;
};

} // namespace zendra
