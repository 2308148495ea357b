// The engine's thin platform layer: binary files and the few file-system calls it needs.
// Every failure throws Failure with the platform's description and the user's file name.
#pragma once

#include "base/UniqueHandle.h"
#include "base/Utf8.h"
#include "io/Progress.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zendra {

// Called with the number of bytes just copied; may throw to stop the copy.
using CopyProgress = std::function<void(std::uint64_t)>;
// The copy's hook into an operation's progress: adds the bytes to `done` and tells `progress`;
// a cancel there is thrown as Failure::Cancelled(), the failure that cleans up.
CopyProgress Reporting(const Progress& progress, std::uint64_t total, std::uint64_t& done);
// Shown bytes read, in order.
using ByteSink = std::function<void(const std::uint8_t*, std::size_t)>;

// The same file has the same identity under every name: hard links, symbolic links, other
// spellings.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

// What a reader saw of a file: the same identity, size and modification time later mean the file
// was not replaced or written meanwhile.
struct FileState {
    FileIdentity identity;
    std::uint64_t size = 0;
    std::int64_t modified = 0; // in the system's own units
    bool operator==(const FileState&) const = default;
};

// What lies at a name; a final symbolic link is reported as such, not followed, unless it leads to
// a folder (or is a junction): that counts as a folder.
enum class EntryKind { Missing, Regular, Link, Folder, Other };

class JobQueue;
class RunLock;

// A file's handle as both systems keep it (a descriptor, or a HANDLE's bits): -1 when none.
struct FileHandleTraits {
    using Handle = std::intptr_t;
    static constexpr std::intptr_t None() noexcept { return -1; }
    static bool Close(std::intptr_t handle) noexcept; // close / CloseHandle
};
using FileHandle = UniqueHandle<FileHandleTraits>;

class File {
  public:
    // An existing regular file, for reading only; anything else is refused at once, unopened.
    static File OpenForReading(const std::filesystem::path& path);
    // A new file under a short fresh name of the run holding `lock` (a run of its own when none)
    // in the folder of `target`, to be moved over `target` once complete, so that an existing name
    // is replaced and never written through. Messages name `target`.
    static File CreateBeside(const std::filesystem::path& target,
                             std::shared_ptr<RunLock> lock = nullptr);

    File(File&& other) noexcept = default;
    File& operator=(File&& other) noexcept = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    std::uint64_t Size() const;
    FileIdentity Identity() const;
    FileState State() const;
    // Reads up to `size` bytes at the current position; returns how many were read (0 at the end).
    std::size_t Read(void* buffer, std::size_t size);
    void Seek(std::uint64_t offset);
    std::uint64_t Position() const;
    void WriteAll(const void* data, std::size_t size);
    // Appends `count` bytes of `source`, starting at `sourceOffset`, at this file's position, and
    // shows `seen` exactly the bytes written, from the buffer they are written from (a hole's zeros
    // too). On Linux, where the source has holes, so does the copy.
    void CopyFrom(File& source, std::uint64_t sourceOffset, std::uint64_t count,
                  const CopyProgress& progress, const ByteSink& seen = {});
    // Shows `sink` the `count` bytes from `offset`, or those up to the end when the file is
    // shorter.
    void ReadRange(std::uint64_t offset, std::uint64_t count, const ByteSink& sink);
    // Asks the system to start writing what was written so far to the disk (every few MiB, or all
    // of it with `rest`), without waiting, so that the flush before the rename (FlushFiles) finds
    // little left to do.
    void StartWriteBack(bool rest = false);
    // The same for all of it, and the file flushed to the disk once written there: on the flusher's
    // thread (done once its Wait returns), or here when it cannot be handed over.
    void FlushBehind();
    // Has the write-back and the flush run on the flusher's thread, not this one.
    void WriteBehindOn(std::shared_ptr<JobQueue> flusher) { flusher_ = std::move(flusher); }
    // Each write from now on first hears a stop request (Stop.h): a run's new file.
    void StopOnRequest() { stoppable_ = true; }
    // Closes now and reports a failure that closing reveals.
    void Close();

    // Where the file really lies, and the name that messages give it.
    const std::filesystem::path& Path() const { return path_; }
    const std::filesystem::path& ShownAs() const { return shown_; }

  private:
    File(std::intptr_t handle, std::filesystem::path path, std::filesystem::path shown)
        : handle_(handle), path_(std::move(path)), shown_(std::move(shown)) {}
    std::intptr_t Handle() const { return handle_.Get(); }
    void CopyByBuffer(File& source, std::uint64_t sourceOffset, std::uint64_t count,
                      const CopyProgress& progress, const ByteSink& seen);
    [[noreturn]] void Fail(const char* action) const;

    FileHandle handle_;
    std::filesystem::path path_;
    std::filesystem::path shown_;
    std::shared_ptr<RunLock> lock_; // held while the file is written under the run's name
    std::uint64_t writtenBack_ = 0;  // how far the system was asked to write it to the disk
    std::shared_ptr<JobQueue> flusher_;
    bool stoppable_ = false;
};

// Up to this many new files are flushed one by one; more, all at once where the system can.
constexpr std::size_t kFlushEach = 64;

EntryKind KindOf(const std::filesystem::path& path);

// What the disk of a folder can take: the bytes free to this process, and the largest file its
// file system holds (4 GiB − 1 byte on FAT; no limit known elsewhere). What the system cannot
// tell stays at its largest, so that nothing is refused on a guess.
struct DiskRoom {
    std::uint64_t Free = UINT64_MAX;
    std::uint64_t LargestFile = UINT64_MAX;
};
DiskRoom RoomIn(const std::filesystem::path& folder);
// Refuses, before anything is written, new files that will not fit in `folder`: `total` bytes in
// all, the largest of them `largest` bytes. `what` names the run ("The split", "The join").
void CheckRoom(const std::filesystem::path& folder, std::uint64_t total, std::uint64_t largest,
               const std::string& what);
// The identity of the file a name leads to, links followed; nothing when none can be read.
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path);
// Whether the user keeps an existing file from being written: read-only on Windows, without write
// permission for this process elsewhere.
bool IsReadOnly(const std::filesystem::path& path);
// Removes a file; a failure is reported by the result, never thrown.
bool RemoveFileQuietly(const std::filesystem::path& path) noexcept;
// Removes a temporary file the engine wrote, known by the identity it had then: on Windows it is
// emptied first (see File_win.cpp), which a file put under its name meanwhile, or one that has
// other names, never is. A failure is reported by the result, never thrown.
bool RemoveTemporaryQuietly(const std::filesystem::path& path,
                            const FileIdentity& identity) noexcept;
// From now on, temporary files are removed at once, never emptied first: the system is about to
// end the process (Windows' logoff and shutdown).
void RemoveTemporariesAtOnce() noexcept;
// Moves `from` over `to`, replacing the name `to` (a link there is replaced, not followed). On
// Windows the rename reaches the disk before it returns. A failure names `shown`, else `to`.
void MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to,
                  const std::filesystem::path& shown = {});
// A file where it lies now (under a temporary name) and the user's name for it, which messages
// give.
struct StagedName {
    std::filesystem::path where;
    std::filesystem::path shown;
};
// Writes the given closed files of a folder to the disk (many small ones on Linux by flushing the
// folder's whole file system at once: a flush each cost minutes for 32,767 pieces).
void FlushFiles(const std::filesystem::path& folder, const std::vector<StagedName>& files);
// Writes a folder's list of names to the disk (the renames in it); nothing to do on Windows.
void FlushFolder(const std::filesystem::path& folder);
// Gives `to` the permission bits (on Windows the attributes) of `from`, which it is to replace.
void CopyPermissions(const std::filesystem::path& from, const std::filesystem::path& to);
// Lets the system drop the memory it holds of an existing file's bytes when a new file is about to
// replace it, so that the new file's bytes reuse that memory as an overwrite in place would. A
// hint: a failure changes nothing, and on Windows there is none to give.
void ReleaseCachedBytes(const std::filesystem::path& path) noexcept;
// The whole of a small file (a checksum or check file, a journal, the program the kit carries),
// read as text: one over 64 MiB is refused, naming it as `what` ("the checksum file"), never cut.
std::string ReadSmallFile(const std::filesystem::path& path, const char* what);
// An entry of a folder as the listing gives it, no file opened: a plan over 100,000 parts reads
// their sizes here (on Windows each opening costs a round trip to the system).
struct FolderEntry {
    std::filesystem::path::string_type Name; // without the folder: no path is parsed per entry
    EntryKind Kind = EntryKind::Other;         // as KindOf tells it
    std::uint64_t Size = 0;                    // a regular file's; 0 for the other kinds
};
// The entries of a folder (an empty path is the current one); a folder that cannot be listed is a
// failure naming it, never an empty folder.
std::vector<FolderEntry> ListFolder(const std::filesystem::path& folder);
// Whether this process may create and rename files in a folder.
bool FolderWritable(const std::filesystem::path& folder);
// Whether a file name (no folder) is longer than the folder's file system allows.
bool NameTooLong(const std::filesystem::path& path);
// Whether another program holds the file open so that it cannot be renamed or removed (Windows);
// never on Linux, where an open file can always be renamed.
bool HeldOpenElsewhere(const std::filesystem::path& path);

// Six fresh hex digits naming a run's files.
std::string RandomTag();

// A lock that only a live run holds, one per run and folder: files of the run's that lie in the
// folder while no run holds their lock were left by a run that was killed. A lock counts only once
// it is taken on the file that bears its name: another run that takes a lock file it finds free
// (the run of that tag is gone, or has not locked it yet) may remove it, and a run whose file was
// removed so tries another tag.
class RunLock {
  public:
    // Takes a fresh lock in `folder`; its tag names the run's files there.
    explicit RunLock(const std::filesystem::path& folder);
    // Takes the lock of `tag` in `folder`, which one run at a time holds (or, `shared`, any number
    // of runs that only read, while no run holds it alone); nothing while another run holds it so.
    // Taken on a killed run's tag, it keeps every other run from mending the same files at once.
    static std::unique_ptr<RunLock> Claim(const std::filesystem::path& folder,
                                          const std::string& tag, bool shared = false);
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;
    // Removes the lock file, unless other runs still share it.
    ~RunLock();
    const std::string& Tag() const { return tag_; }
    const std::filesystem::path& Folder() const { return folder_; }
    // A short name of this run's, fresh each call, in the folder: ".zendra-TAG-N" and `suffix`.
    // It never grows with the names of the files it stands in for.
    std::filesystem::path NextName(const char* suffix);
    // Whether a run holds the lock of `tag` in `folder` now: a look that writes nothing (a run
    // starting with that tag meanwhile may have to take another).
    static bool Held(const std::filesystem::path& folder, const std::string& tag);
    // The lock file's name for a tag.
    static std::string FileName(const std::string& tag) { return ".zendra-" + tag + ".lock"; }
    // For tests: each fresh lock waits this long between creating its file and locking it, the
    // moment another run could take it for a killed run's; zero ends it.
    static void HoldBeforeLocking(std::chrono::milliseconds hold) noexcept;

  private:
    RunLock(std::filesystem::path folder, std::string tag, std::intptr_t handle, bool shared);
    static void WaitBeforeLocking() noexcept;
    std::filesystem::path folder_;
    std::filesystem::path path_;
    std::string tag_;
    FileHandle handle_;
    bool shared_ = false;
    std::atomic<unsigned> count_ = 0;
};

// The failure of a source that ends before the bytes a copy expects of it.
[[noreturn]] void ThrowChanged(const std::filesystem::path& source);
// Refuses, naming the file, a name where a file cannot be written in place: a folder, a special
// file, or a read-only file (renaming over it would replace what the user protected; Windows
// refuses that rename, but only once the whole file is written).
void CheckWritableName(const std::filesystem::path& path);

} // namespace zendra
