// The engine's thin platform layer: binary files and the few file-system calls it needs.
// Every failure throws EngineError with the platform's description and the user's file name.
#pragma once

#include "Progress.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace zendra {

// Called with the number of bytes just copied; may throw to stop the copy.
using CopyProgress = std::function<void(std::uint64_t)>;
// The copy's hook into an operation's progress: adds the bytes to `done` and tells `progress`;
// a cancel there is thrown as the EngineError CancelledMessage, the failure that cleans up.
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

// What lies at a name; a final symbolic link is reported as such, not followed, unless it leads to
// a folder (or is a junction): that counts as a folder.
enum class EntryKind { Missing, Regular, Link, Folder, Other };

class File {
  public:
    // An existing regular file, for reading only; anything else is refused at once, unopened.
    static File OpenForReading(const std::filesystem::path& path);
    // A new file under a short fresh name in the folder of `target`, to be moved over `target` once
    // complete, so that an existing name is replaced and never written through. Messages name
    // `target`.
    static File CreateBeside(const std::filesystem::path& target);

    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File() noexcept;

    std::uint64_t Size() const;
    FileIdentity Identity() const;
    // Reads up to `size` bytes at the current position; returns how many were read (0 at the end).
    std::size_t Read(void* buffer, std::size_t size);
    void Seek(std::uint64_t offset);
    void WriteAll(const void* data, std::size_t size);
    // Appends `count` bytes of `source`, starting at `sourceOffset`, at this file's position.
    // On Linux, where the source has holes, so does the copy.
    void CopyFrom(File& source, std::uint64_t sourceOffset, std::uint64_t count,
                  const CopyProgress& progress);
    // Shows `sink` the `count` bytes from `offset`, or those up to the end when the file is
    // shorter.
    void ReadRange(std::uint64_t offset, std::uint64_t count, const ByteSink& sink);
    // Closes now and reports a failure that closing reveals.
    void Close();

    // Where the file really lies, and the name that messages give it.
    const std::filesystem::path& Path() const { return path_; }
    const std::filesystem::path& ShownAs() const { return shown_; }

  private:
    File(std::intptr_t handle, std::filesystem::path path, std::filesystem::path shown)
        : handle_(handle), path_(std::move(path)), shown_(std::move(shown)) {}
    void CopyByBuffer(File& source, std::uint64_t sourceOffset, std::uint64_t count,
                      const CopyProgress& progress);
    [[noreturn]] void Fail(const char* action) const;

    std::intptr_t handle_;
    std::filesystem::path path_;
    std::filesystem::path shown_;
};

EntryKind KindOf(const std::filesystem::path& path);
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
// Moves `from` over `to`, replacing the name `to` (a link there is replaced, not followed).
void MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to);
// A short name, fresh for each attempt, in the folder of `target`: it never grows with the target's
// name.
std::filesystem::path TemporaryNameBeside(const std::filesystem::path& target, unsigned attempt);

// The path as UTF-8 text for messages.
std::string DisplayPath(const std::filesystem::path& path);
// The failure of a source that ends before the bytes a copy expects of it.
[[noreturn]] void ThrowChanged(const std::filesystem::path& source);
// Refuses, naming the file, a name where a file cannot be written in place: a folder, a special
// file, or a read-only file (renaming over it would replace what the user protected; Windows
// refuses that rename, but only once the whole file is written).
void CheckWritableName(const std::filesystem::path& path);

} // namespace zendra
