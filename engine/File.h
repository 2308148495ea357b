// The engine's thin platform layer: binary files and the few file-system calls it needs.
// Every failure throws EngineError with the platform's description and the file's name.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace zendra {

// Called with the number of bytes just copied.
using CopyProgress = std::function<void(std::uint64_t)>;

enum class OpenMode {
    Read,           // an existing file, for reading only
    CreateTruncate, // creates the file or cuts an existing one to length 0
    CreateNew,      // creates the file only if no file of that name exists
};

class File {
public:
    static File Open(const std::filesystem::path& path, OpenMode mode);

    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File() noexcept;

    std::uint64_t Size() const;
    // Reads up to `size` bytes at the current position; returns how many were read (0 at the end).
    std::size_t Read(void* buffer, std::size_t size);
    void Seek(std::uint64_t offset);
    void WriteAll(const void* data, std::size_t size);
    // Appends `count` bytes of `source`, starting at `sourceOffset`, at this file's position.
    void CopyFrom(File& source, std::uint64_t sourceOffset, std::uint64_t count,
                  const CopyProgress& progress);
    // Closes now and reports a failure that closing reveals.
    void Close();

    const std::filesystem::path& Path() const { return path_; }

private:
    File(std::intptr_t handle, std::filesystem::path path) : handle_(handle), path_(std::move(path)) {}
    void CopyByBuffer(File& source, std::uint64_t sourceOffset, std::uint64_t count,
                      const CopyProgress& progress);
    [[noreturn]] void Fail(const char* action) const;

    std::intptr_t handle_;
    std::filesystem::path path_;
};

bool FileExists(const std::filesystem::path& path);
// Removes a file; a failure is reported by the result, never thrown.
bool RemoveFileQuietly(const std::filesystem::path& path) noexcept;
// Moves `from` over `to`, replacing a file of that name.
void MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to);

// The path as UTF-8 text for messages.
std::string DisplayPath(const std::filesystem::path& path);

} // namespace zendra
