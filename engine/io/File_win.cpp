#include "io/File.h"

#include "base/Failure.h"
#include "base/KernelHandle_win.h"
#include "base/SystemHandles_win.h"
#include "base/SystemText.h"
#include "io/FaultHook.h"
#include "io/JobQueue.h"
#include "io/PlatformPath.h"
#include "io/Stop.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace zendra {
namespace {

HANDLE H(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

std::string Describe(DWORD error) {
    if (error == ERROR_FILE_TOO_LARGE)
        return "the file system cannot hold a file this large (FAT32 holds at most 4 GiB minus 1 "
               "byte per file)";
    if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL)
        return "there is not enough free space on the disk";
    return SystemText(error);
}

[[noreturn]] void Throw(const char* action, const std::filesystem::path& path, DWORD error) {
    throw Failure(std::string("Cannot ") + action + " \"" + DisplayPath(path) +
                      "\": " + Describe(error) + ".",
                  FailureKind::Io);
}

// A test's fault at `point`: the call fails as the system's would, with an I/O error.
bool Struck(FaultPoint point) {
    if (!FaultStrikes(point)) return false;
    SetLastError(ERROR_WRITE_FAULT);
    return true;
}

BOOL Flush(HANDLE handle) {
    return !Struck(FaultPoint::Flush) && FlushFileBuffers(handle);
}

bool ReadInformation(HANDLE handle, BY_HANDLE_FILE_INFORMATION& info) {
    return GetFileInformationByHandle(handle, &info) != 0;
}

FileIdentity IdentityFrom(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber,
            (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// Wine's server frees a removed file's space while every thread of the process waits for it:
// measured, 340-380 ms without a message for a 2 GiB file. Cut shorter by 64 MiB at a time first,
// the longest wait measured 3.5 ms (cut to 0 at once, 50-77 ms).
void EmptyInSteps(HANDLE handle) noexcept {
    constexpr LONGLONG kStep = 64ll << 20;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle, &size)) return;
    while (size.QuadPart > 0) {
        size.QuadPart = std::max<LONGLONG>(0, size.QuadPart - kStep);
        if (!SetFilePointerEx(handle, size, nullptr, FILE_BEGIN) || !SetEndOfFile(handle)) return;
    }
}

} // namespace

File File::OpenForReading(const std::filesystem::path& path) {
    const std::wstring name = SystemName(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw Failure("\"" + DisplayPath(path) + "\" is a folder, not a file.");
    const HANDLE handle =
        CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    // Shared for reading only: no other program writes it while it is read.
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION)
        throw Failure("\"" + DisplayPath(path) +
                      "\" is open for writing in another program; close it and try again.");
    if (handle == INVALID_HANDLE_VALUE) Throw("open", path, GetLastError());
    File file(reinterpret_cast<std::intptr_t>(handle), path, path);
    if (GetFileType(handle) != FILE_TYPE_DISK)
        throw Failure("\"" + DisplayPath(path) + "\" is not a regular file (a pipe or device).");
    return file;
}

File File::CreateBeside(const std::filesystem::path& target, std::shared_ptr<RunLock> lock) {
    if (!lock) lock = std::make_shared<RunLock>(target.parent_path());
    for (unsigned attempt = 0;; ++attempt) {
        const std::filesystem::path temporary = lock->NextName(".tmp");
        const HANDLE handle =
            CreateFileW(SystemName(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            File file(reinterpret_cast<std::intptr_t>(handle), temporary, target);
            file.lock_ = std::move(lock);
            return file;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS || attempt >= 99) Throw("create", target, error);
    }
}

bool FileHandleTraits::Close(std::intptr_t handle) noexcept {
    return CloseHandle(H(handle)) != 0;
}

void File::Fail(const char* action) const {
    Throw(action, shown_, GetLastError());
}

std::uint64_t File::Size() const {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(H(Handle()), &size)) Fail("read the size of");
    return static_cast<std::uint64_t>(size.QuadPart);
}

FileIdentity File::Identity() const {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!ReadInformation(H(Handle()), info)) Fail("read the identity of");
    return IdentityFrom(info);
}

FileState File::State() const {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!ReadInformation(H(Handle()), info)) Fail("read the state of");
    return {IdentityFrom(info),
            (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
            static_cast<std::int64_t>(
                (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                info.ftLastWriteTime.dwLowDateTime)};
}

std::size_t File::Read(void* buffer, std::size_t size) {
    DWORD got = 0;
    if (!ReadFile(H(Handle()), buffer, static_cast<DWORD>(size), &got, nullptr)) Fail("read");
    return got;
}

void File::Seek(std::uint64_t offset) {
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(H(Handle()), position, nullptr, FILE_BEGIN)) Fail("seek in");
}

std::uint64_t File::Position() const {
    LARGE_INTEGER at{};
    if (!SetFilePointerEx(H(Handle()), LARGE_INTEGER{}, &at, FILE_CURRENT)) Fail("seek in");
    return static_cast<std::uint64_t>(at.QuadPart);
}

void File::WriteAll(const void* data, std::size_t size) {
    if (stoppable_) ThrowIfStopRequested();
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        DWORD put = 0;
        if (Struck(FaultPoint::Write) ||
            !WriteFile(H(Handle()), bytes,
                       static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)), &put, nullptr))
            Fail("write");
        bytes += put;
        size -= put;
    }
}

void File::CopyFrom(File& source, std::uint64_t sourceOffset, std::uint64_t count,
                    const CopyProgress& progress, const ByteSink& seen) {
    CopyByBuffer(source, sourceOffset, count, progress, seen);
}

void File::StartWriteBack(bool) {} // Windows writes behind on its own

void File::FlushBehind() {
    HANDLE copy = nullptr;
    if (!flusher_ || !DuplicateHandle(GetCurrentProcess(), H(Handle()), GetCurrentProcess(), &copy,
                                      0, FALSE, DUPLICATE_SAME_ACCESS)) {
        if (!Flush(H(Handle()))) Fail("write");
        RecordFileStep("flush", path_);
        return;
    }
    const auto held = std::make_shared<KernelHandle>(copy);
    flusher_->Post([held, shown = shown_, path = path_] {
        if (!Flush(held->Get())) Throw("write", shown, GetLastError());
        RecordFileStep("flush", path);
    });
}

void File::Close() {
    // A failed close is a failed write, and is reported.
    if (!handle_.Close()) Throw("write", shown_, GetLastError());
}

namespace {

EntryKind KindOfAttributes(DWORD attributes) {
    // A junction or a link to a folder cannot be replaced by a file: it counts as the folder.
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryKind::Folder;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return EntryKind::Link;
    return attributes & FILE_ATTRIBUTE_DEVICE ? EntryKind::Other : EntryKind::Regular;
}

} // namespace

EntryKind KindOf(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(SystemName(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return EntryKind::Missing;
    return KindOfAttributes(attributes);
}

std::vector<FolderEntry> ListFolder(const std::filesystem::path& folder) {
    const std::filesystem::path where = folder.empty() ? std::filesystem::path(".") : folder;
    WIN32_FIND_DATAW found{};
    // The listing carries each entry's attributes and size: nothing is opened.
    const UniqueFind listing(FindFirstFileW(SystemName(where / L"*").c_str(), &found));
    std::vector<FolderEntry> entries;
    if (!listing) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return entries; // a drive's empty top folder
        Throw("list the folder", where, error);
    }
    do {
        const std::wstring_view name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        FolderEntry listed{std::wstring(name)};
        listed.Kind = KindOfAttributes(found.dwFileAttributes);
        if (listed.Kind == EntryKind::Regular)
            listed.Size = (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
        entries.push_back(std::move(listed));
    } while (FindNextFileW(listing.Get(), &found));
    if (const DWORD error = GetLastError(); error != ERROR_NO_MORE_FILES)
        Throw("list the folder", where, error);
    return entries;
}

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
    const KernelHandle handle(CreateFileW(
        SystemName(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!handle || !ReadInformation(handle.Get(), info)) return std::nullopt;
    return IdentityFrom(info);
}

bool IsReadOnly(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(SystemName(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

bool RemoveFileQuietly(const std::filesystem::path& path) noexcept {
    try {
        return !Struck(FaultPoint::Remove) && DeleteFileW(SystemName(path).c_str()) != 0;
    } catch (...) {
        return false;
    }
}

std::atomic<bool> hurried = false;

void RemoveTemporariesAtOnce() noexcept {
    hurried = true;
}

bool RemoveTemporaryQuietly(const std::filesystem::path& path,
                            const FileIdentity& identity) noexcept {
    try {
        const std::wstring name = SystemName(path);
        WIN32_FILE_ATTRIBUTE_DATA data{};
        const bool large = !hurried &&
                           GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data) &&
                           (data.nFileSizeHigh != 0 || data.nFileSizeLow >= (64u << 20));
        if (large) {
            // Closed before the removal, which no unshared handle would let through.
            const KernelHandle handle(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr,
                                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                                                  nullptr));
            // Only the file written, under no other name, is emptied: were its removal to fail,
            // nothing of the user's would be left emptied.
            BY_HANDLE_FILE_INFORMATION info{};
            if (handle && ReadInformation(handle.Get(), info) && IdentityFrom(info) == identity &&
                info.nNumberOfLinks == 1 && !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                EmptyInSteps(handle.Get());
        }
        return !Struck(FaultPoint::Remove) && DeleteFileW(name.c_str()) != 0;
    } catch (...) {
        return false;
    }
}

void MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to,
                  const std::filesystem::path& shown) {
    if (Struck(FaultPoint::Rename) ||
        !MoveFileExW(SystemName(from).c_str(), SystemName(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        Throw("replace", shown.empty() ? to : shown, GetLastError());
    RecordFileStep("rename", from, to);
}

void FlushFiles(const std::filesystem::path&, const std::vector<StagedName>& files) {
    for (const auto& file : files) {
        const KernelHandle handle(CreateFileW(SystemName(file.where).c_str(), GENERIC_WRITE, 0,
                                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                              nullptr));
        if (!handle || !Flush(handle.Get())) Throw("write", file.shown, GetLastError());
        RecordFileStep("flush", file.where);
    }
}

void FlushFolder(const std::filesystem::path&) {
    // Each rename was written through to the disk already.
    if (RecordingSteps()) RecordStep("flush the folder");
}

void CopyPermissions(const std::filesystem::path& from, const std::filesystem::path& to) {
    constexpr DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                           FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD attributes = GetFileAttributesW(SystemName(from).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kept) &&
        !SetFileAttributesW(SystemName(to).c_str(), attributes & kept))
        Throw("write", from, GetLastError());
}

void ReleaseCachedBytes(const std::filesystem::path&) noexcept {}

bool FolderWritable(const std::filesystem::path&) {
    return true; // the folder's access list is the system's to apply: a refusal names the file
}

bool NameTooLong(const std::filesystem::path& path) {
    return path.filename().native().size() > 255;
}

bool HeldOpenElsewhere(const std::filesystem::path& path) {
    // Renaming needs the right to delete, which no other program's open handle may share.
    const KernelHandle handle(CreateFileW(SystemName(path).c_str(), DELETE, 0, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return !handle && GetLastError() == ERROR_SHARING_VIOLATION;
}

RunLock::RunLock(const std::filesystem::path& folder) : folder_(folder) {
    for (unsigned attempt = 0;; ++attempt) {
        tag_ = RandomTag();
        path_ = folder_ / FileName(tag_);
        // Created and taken in one step: no sharing, and removed by the system when the process
        // ends however it ends: a lock file that can be opened, or is gone, is a run that is gone.
        const HANDLE handle =
            CreateFileW(SystemName(path_).c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            handle_.Reset(reinterpret_cast<std::intptr_t>(handle));
            WaitBeforeLocking();
            return;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS || attempt >= 99)
            Throw("create a file in", folder_.empty() ? "." : folder_, error);
    }
}

RunLock::RunLock(std::filesystem::path folder, std::string tag, std::intptr_t handle, bool shared)
    : folder_(std::move(folder)), path_(folder_ / FileName(tag)), tag_(std::move(tag)),
      handle_(handle), shared_(shared) {}

std::unique_ptr<RunLock> RunLock::Claim(const std::filesystem::path& folder,
                                        const std::string& tag, bool shared) {
    const std::filesystem::path path = folder / FileName(tag);
    // Readers share the file with each other (and its removal, which the last one's close does);
    // a writer shares it with nobody.
    const DWORD access = (shared ? GENERIC_READ : GENERIC_WRITE) | DELETE;
    const DWORD sharing = shared ? FILE_SHARE_READ | FILE_SHARE_DELETE : 0;
    for (unsigned attempt = 0;; ++attempt) {
        const HANDLE handle =
            CreateFileW(SystemName(path).c_str(), access, sharing, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE)
            return std::unique_ptr<RunLock>(
                new RunLock(folder, tag, reinterpret_cast<std::intptr_t>(handle), shared));
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION) return nullptr;
        // Access is denied to a lock file its last holder closed while the system removes it.
        if (error != ERROR_ACCESS_DENIED || attempt >= 99)
            Throw("create a file in", folder.empty() ? "." : folder, error);
        Sleep(10);
    }
}

RunLock::~RunLock() = default; // the system removes the lock file as its last handle closes

bool RunLock::Held(const std::filesystem::path& folder, const std::string& tag) {
    const std::wstring name = SystemName(folder / FileName(tag));
    if (GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    const KernelHandle handle(CreateFileW(name.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !handle && GetLastError() == ERROR_SHARING_VIOLATION;
}

DiskRoom RoomIn(const std::filesystem::path& folder) {
    std::wstring where = SystemName(folder.empty() ? std::filesystem::current_path() : folder);
    if (!where.empty() && where.back() != L'\\') where += L'\\';
    DiskRoom room;
    ULARGE_INTEGER free{};
    if (GetDiskFreeSpaceExW(where.c_str(), &free, nullptr, nullptr)) room.Free = free.QuadPart;
    wchar_t volume[MAX_PATH + 1] = {};
    wchar_t system[MAX_PATH + 1] = {};
    if (GetVolumePathNameW(where.c_str(), volume, MAX_PATH) &&
        GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, nullptr, system, MAX_PATH) &&
        (lstrcmpiW(system, L"FAT32") == 0 || lstrcmpiW(system, L"FAT") == 0))
        room.LargestFile = 0xFFFFFFFFull;
    return room;
}

} // namespace zendra
