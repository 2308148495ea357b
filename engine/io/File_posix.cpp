#include "io/File.h"

#include "io/JobQueue.h"

#include "base/Failure.h"
#include "base/SystemText.h"
#include "io/FaultHook.h"
#include "io/Stop.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace zendra {
namespace {

int Fd(std::intptr_t handle) {
    return static_cast<int>(handle);
}

std::string Describe(int error) {
    if (error == EFBIG)
        return "the file system cannot hold a file this large (FAT32 holds at most 4 GiB minus 1 "
               "byte per file)";
    if (error == ENOSPC || error == EDQUOT) return "there is not enough free space on the disk";
    return SystemText(static_cast<unsigned long>(error));
}

[[noreturn]] void Throw(const char* action, const std::filesystem::path& path, int error) {
    throw Failure(std::string("Cannot ") + action + " \"" + DisplayPath(path) +
                      "\": " + Describe(error) + ".",
                  FailureKind::Io);
}

// fdatasync, or the I/O error a test asked for.
int Flushed(int fd) {
    if (!FaultStrikes(FaultPoint::Flush)) return ::fdatasync(fd);
    errno = EIO;
    return -1;
}

[[noreturn]] void ThrowNotRegular(const std::filesystem::path& path, mode_t mode) {
    if (S_ISDIR(mode)) throw Failure("\"" + DisplayPath(path) + "\" is a folder, not a file.");
    throw Failure("\"" + DisplayPath(path) +
                  "\" is not a regular file (a pipe, device or socket).");
}

// Zeros standing in for a hole's bytes, for whoever is shown the bytes copied.
void ShowHole(off_t length, const ByteSink& seen) {
    static const std::uint8_t zeros[1 << 16] = {};
    while (seen && length > 0) {
        const auto count = static_cast<std::size_t>(std::min<off_t>(length, sizeof zeros));
        seen(zeros, count);
        length -= static_cast<off_t>(count);
    }
}

} // namespace

File File::OpenForReading(const std::filesystem::path& path) {
    // Looked at before opening: opening a pipe or a device can block or have effects of its own.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) Throw("open", path, errno);
    if (!S_ISREG(info.st_mode)) ThrowNotRegular(path, info.st_mode);
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) Throw("open", path, errno);
    File file(fd, path, path);
    // The name may have been replaced in between.
    if (::fstat(fd, &info) != 0) file.Fail("open");
    if (!S_ISREG(info.st_mode)) ThrowNotRegular(path, info.st_mode);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return file;
}

File File::CreateBeside(const std::filesystem::path& target, std::shared_ptr<RunLock> lock) {
    if (!lock) lock = std::make_shared<RunLock>(target.parent_path());
    for (unsigned attempt = 0;; ++attempt) {
        const std::filesystem::path temporary = lock->NextName(".tmp");
        const int fd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            File file(fd, temporary, target);
            file.lock_ = std::move(lock);
            return file;
        }
        if ((errno != EEXIST && errno != EINTR) || attempt >= 99) Throw("create", target, errno);
    }
}

bool FileHandleTraits::Close(std::intptr_t handle) noexcept {
    return ::close(Fd(handle)) == 0 || errno == EINTR; // after EINTR the descriptor is closed
}

void File::Fail(const char* action) const {
    Throw(action, shown_, errno);
}

std::uint64_t File::Size() const {
    struct stat info {};
    if (::fstat(Fd(Handle()), &info) != 0) Fail("read the size of");
    return static_cast<std::uint64_t>(info.st_size);
}

FileIdentity File::Identity() const {
    struct stat info {};
    if (::fstat(Fd(Handle()), &info) != 0) Fail("read the identity of");
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

FileState File::State() const {
    struct stat info {};
    if (::fstat(Fd(Handle()), &info) != 0) Fail("read the state of");
    return {{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)},
            static_cast<std::uint64_t>(info.st_size),
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

std::size_t File::Read(void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(Fd(Handle()), buffer, size);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) Fail("read");
    }
}

void File::Seek(std::uint64_t offset) {
    if (::lseek(Fd(Handle()), static_cast<off_t>(offset), SEEK_SET) < 0) Fail("seek in");
}

std::uint64_t File::Position() const {
    const off_t at = ::lseek(Fd(Handle()), 0, SEEK_CUR);
    if (at < 0) Fail("seek in");
    return static_cast<std::uint64_t>(at);
}

void File::WriteAll(const void* data, std::size_t size) {
    if (stoppable_) ThrowIfStopRequested();
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t put = FaultStrikes(FaultPoint::Write) ? (errno = EIO, -1)
                                                            : ::write(Fd(Handle()), bytes, size);
        if (put < 0) {
            if (errno == EINTR) continue;
            Fail("write");
        }
        bytes += put;
        size -= static_cast<std::size_t>(put);
    }
}

void File::CopyFrom(File& source, std::uint64_t sourceOffset, std::uint64_t count,
                    const CopyProgress& progress, const ByteSink& seen) {
    // Runs of the source that hold data are copied; holes are skipped here too, so that a sparse
    // file's pieces and its joined copy stay sparse.
    const int in = Fd(source.Handle());
    auto position = static_cast<off_t>(sourceOffset);
    const auto end = static_cast<off_t>(sourceOffset + count);
    bool endsInHole = false;
    while (position < end) {
        off_t data = ::lseek(in, position, SEEK_DATA);
        if (data < 0 &&
            errno == ENXIO) { // only a hole remains, or the file was cut short meanwhile
            if (source.Size() < static_cast<std::uint64_t>(end)) ThrowChanged(source.ShownAs());
            data = end;
        } else if (data < 0) {
            data = position; // a file system that cannot tell holes: all of it is data
        }
        data = std::min(data, end);
        if (data > position) {
            if (::lseek(Fd(Handle()), data - position, SEEK_CUR) < 0) Fail("write");
            ShowHole(data - position, seen);
            if (progress) progress(static_cast<std::uint64_t>(data - position));
            position = data;
            endsInHole = true;
            continue;
        }
        off_t hole = ::lseek(in, position, SEEK_HOLE);
        if (hole <= position) hole = end;
        hole = std::min(hole, end);
        CopyByBuffer(source, static_cast<std::uint64_t>(position),
                     static_cast<std::uint64_t>(hole - position), progress, seen);
        position = hole;
        endsInHole = false;
    }
    if (endsInHole) {
        const off_t length = ::lseek(Fd(Handle()), 0, SEEK_CUR);
        if (length < 0 || ::ftruncate(Fd(Handle()), length) != 0) Fail("write");
    }
}

namespace {

// A file's descriptor for the flusher's thread, closed once its job has run or was dropped.
std::shared_ptr<const int> Duplicate(int fd) {
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) return nullptr;
    return std::shared_ptr<const int>(new int(copy), [](const int* held) {
        ::close(*held);
        delete held;
    });
}

} // namespace

void File::StartWriteBack(bool rest) {
    // In steps of 8 MiB: the disk gets busy early, as a plain copy's write-back by the system
    // would, and the flush before the rename waits for little.
    constexpr off_t kStep = 8 << 20;
    const off_t at = ::lseek(Fd(Handle()), 0, SEEK_CUR);
    const auto from = static_cast<off_t>(writtenBack_);
    if (at <= from || (!rest && at - from < kStep)) return;
    // A hint only: what fails here is met again by the flush. One left out is asked for with the
    // next.
    if (!flusher_) {
        ::sync_file_range(Fd(Handle()), from, at - from, SYNC_FILE_RANGE_WRITE);
    } else if (const auto copy = Duplicate(Fd(Handle()))) {
        if (!flusher_->Hint([copy, from, at] {
                ::sync_file_range(*copy, from, at - from, SYNC_FILE_RANGE_WRITE);
            }))
            return;
    }
    writtenBack_ = static_cast<std::uint64_t>(at);
}

void File::FlushBehind() {
    StartWriteBack(true);
    const auto copy = flusher_ ? Duplicate(Fd(Handle())) : nullptr;
    if (!copy) {
        if (Flushed(Fd(Handle())) != 0) Fail("write");
        RecordFileStep("flush", path_);
        return;
    }
    flusher_->Post([copy, shown = shown_, path = path_] {
        if (Flushed(*copy) != 0) Throw("write", shown, errno);
        RecordFileStep("flush", path);
    });
}

void File::Close() {
    if (!handle_.Close()) Throw("write", shown_, errno);
}

namespace {

// The kind of an entry whose own (not followed) mode is `mode`.
EntryKind KindOfMode(const std::filesystem::path& path, mode_t mode) {
    // A link to a folder counts as the folder, as on Windows, where no file can replace one.
    struct stat info {};
    if (S_ISLNK(mode)) // the path is made only for links
        return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? EntryKind::Folder
                                                                         : EntryKind::Link;
    if (S_ISDIR(mode)) return EntryKind::Folder;
    return S_ISREG(mode) ? EntryKind::Regular : EntryKind::Other;
}

} // namespace

EntryKind KindOf(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return EntryKind::Missing;
    return KindOfMode(path, info.st_mode);
}

std::vector<FolderEntry> ListFolder(const std::filesystem::path& folder) {
    const std::filesystem::path where = folder.empty() ? std::filesystem::path(".") : folder;
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(where.c_str()), ::closedir);
    if (!listing) Throw("list the folder", where, errno);
    std::vector<FolderEntry> entries;
    for (;;) {
        errno = 0; // readdir's end and its failure differ only by errno, which fstatat may set
        const dirent* entry = ::readdir(listing.get());
        if (!entry) break;
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        FolderEntry listed{std::string(name)};
        struct stat info {};
        // An entry gone since the listing read it is left out, as a later listing would.
        if (::fstatat(::dirfd(listing.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        listed.Kind = KindOfMode(where / name, info.st_mode);
        if (listed.Kind == EntryKind::Regular)
            listed.Size = static_cast<std::uint64_t>(info.st_size);
        entries.push_back(std::move(listed));
    }
    if (errno != 0) Throw("list the folder", where, errno);
    return entries;
}

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                        static_cast<std::uint64_t>(info.st_ino)};
}

bool IsReadOnly(const std::filesystem::path& path) {
    return ::access(path.c_str(), W_OK) != 0 && errno == EACCES;
}

bool RemoveFileQuietly(const std::filesystem::path& path) noexcept {
    return !FaultStrikes(FaultPoint::Remove) && ::unlink(path.c_str()) == 0;
}

void RemoveTemporariesAtOnce() noexcept {} // never emptied first here

bool RemoveTemporaryQuietly(const std::filesystem::path& path, const FileIdentity&) noexcept {
    return RemoveFileQuietly(path); // the other threads go on while Linux frees the space
}

void MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to,
                  const std::filesystem::path& shown) {
    if (FaultStrikes(FaultPoint::Rename) ? (errno = EIO, true)
                                         : ::rename(from.c_str(), to.c_str()) != 0)
        Throw("replace", shown.empty() ? to : shown, errno);
    RecordFileStep("rename", from, to);
}

void FlushFiles(const std::filesystem::path& folder, const std::vector<StagedName>& files) {
    if (files.empty()) return;
    if (files.size() <= kFlushEach) {
        for (const auto& file : files) {
            const int fd = ::open(file.where.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
            if (fd < 0) Throw("write", file.shown, errno);
            const bool flushed = Flushed(fd) == 0;
            const int error = errno;
            ::close(fd);
            if (!flushed) Throw("write", file.shown, error);
            RecordFileStep("flush", file.where);
        }
        return;
    }
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) Throw("write in the folder", folder, errno);
    const bool flushed = !FaultStrikes(FaultPoint::Flush) && ::syncfs(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!flushed) Throw("write in the folder", folder, error);
    if (RecordingSteps()) RecordStep("flush the file system");
}

void FlushFolder(const std::filesystem::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) Throw("write in the folder", folder, errno);
    // Some file systems cannot (EINVAL).
    const bool flushed = FaultStrikes(FaultPoint::Flush) ? (errno = EIO, false)
                                                         : ::fsync(fd) == 0 || errno == EINVAL;
    const int error = errno;
    ::close(fd);
    if (!flushed) Throw("write in the folder", folder, error);
    if (RecordingSteps()) RecordStep("flush the folder");
}

void CopyPermissions(const std::filesystem::path& from, const std::filesystem::path& to) {
    struct stat info {};
    if (::stat(from.c_str(), &info) == 0 && ::chmod(to.c_str(), info.st_mode & 07777) != 0)
        Throw("write", from, errno);
}

void ReleaseCachedBytes(const std::filesystem::path& path) noexcept {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

bool FolderWritable(const std::filesystem::path& folder) {
    return ::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) == 0;
}

bool NameTooLong(const std::filesystem::path& path) {
    const std::filesystem::path folder = path.parent_path();
    const long most = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    return path.filename().native().size() > static_cast<std::size_t>(most > 0 ? most : 255);
}

bool HeldOpenElsewhere(const std::filesystem::path&) {
    return false; // an open file can be renamed and removed on Linux
}

namespace {

// Locks a lock file's descriptor and confirms that the file still bears its name: a run that took
// it for a killed run's lock may have removed it meanwhile. False when another run holds it or the
// name went; other failures are thrown.
bool LockedAtName(int fd, const std::filesystem::path& path, bool shared) {
    if (::flock(fd, (shared ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) return false;
        Throw("lock", path, errno);
    }
    struct stat held {
    }, named{};
    return ::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

} // namespace

RunLock::RunLock(const std::filesystem::path& folder) : folder_(folder) {
    for (unsigned attempt = 0;; ++attempt) {
        tag_ = RandomTag();
        path_ = folder_ / FileName(tag_);
        const int fd =
            ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            if ((errno != EEXIST && errno != EINTR) || attempt >= 99)
                Throw("create a file in", folder_.empty() ? "." : folder_, errno);
            continue;
        }
        FileHandle created(fd);
        WaitBeforeLocking();
        // Released by the system when the process ends however it ends: a lock that can be
        // taken is a run that is gone (or, as here, one that has not locked it yet: its files
        // come only once it has, so nothing of it is lost when the other run removes the file).
        if (LockedAtName(fd, path_, false)) {
            handle_ = std::move(created);
            return;
        }
        if (attempt >= 99) Throw("lock", path_, EAGAIN);
    }
}

RunLock::RunLock(std::filesystem::path folder, std::string tag, std::intptr_t handle, bool shared)
    : folder_(std::move(folder)), path_(folder_ / FileName(tag)), tag_(std::move(tag)),
      handle_(handle), shared_(shared) {}

std::unique_ptr<RunLock> RunLock::Claim(const std::filesystem::path& folder, const std::string& tag,
                                        bool shared) {
    const std::filesystem::path path = folder / FileName(tag);
    for (unsigned attempt = 0;; ++attempt) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) Throw("create a file in", folder.empty() ? "." : folder, errno);
        FileHandle opened(fd);
        if (LockedAtName(fd, path, shared))
            return std::unique_ptr<RunLock>(new RunLock(folder, tag, opened.Release(), shared));
        // Held by another run, or removed by its last holder between the open and the lock.
        struct stat named {};
        if (::lstat(path.c_str(), &named) == 0) {
            struct stat held {};
            if (::fstat(fd, &held) == 0 && held.st_dev == named.st_dev &&
                held.st_ino == named.st_ino)
                return nullptr;
        }
        if (attempt >= 99) Throw("lock", path, EAGAIN);
    }
}

RunLock::~RunLock() {
    // Removed before its descriptor, and so its lock, goes; a shared lock only by its last holder,
    // who alone can hold it whole.
    if (!shared_ || ::flock(Fd(handle_.Get()), LOCK_EX | LOCK_NB) == 0) ::unlink(path_.c_str());
}

bool RunLock::Held(const std::filesystem::path& folder, const std::string& tag) {
    const std::filesystem::path path = folder / FileName(tag);
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno != ENOENT && errno != ELOOP; // cannot tell: treat it as alive
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

DiskRoom RoomIn(const std::filesystem::path& folder) {
    const std::filesystem::path where = folder.empty() ? "." : folder;
    DiskRoom room;
    struct statvfs space {};
    if (::statvfs(where.c_str(), &space) == 0)
        room.Free = static_cast<std::uint64_t>(space.f_bavail) * space.f_frsize;
    struct statfs system {};
    constexpr long kFat = 0x4d44; // MSDOS_SUPER_MAGIC: vfat and msdos
    if (::statfs(where.c_str(), &system) == 0 && static_cast<long>(system.f_type) == kFat)
        room.LargestFile = 0xFFFFFFFFull;
    return room;
}

} // namespace zendra
