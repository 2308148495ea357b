#include "File.h"

#include "EngineError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zendra {
namespace {

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

[[noreturn]] void Throw(const char* action, const std::filesystem::path& path, int error) {
    throw EngineError(std::string("Cannot ") + action + " \"" + DisplayPath(path) + "\": " +
                      std::strerror(error));
}

int Flags(OpenMode mode) {
    switch (mode) {
    case OpenMode::Read: return O_RDONLY;
    case OpenMode::CreateTruncate: return O_WRONLY | O_CREAT | O_TRUNC;
    case OpenMode::CreateNew: return O_WRONLY | O_CREAT | O_EXCL;
    }
    return O_RDONLY;
}

} // namespace

File File::Open(const std::filesystem::path& path, OpenMode mode) {
    int fd;
    do {
        fd = ::open(path.c_str(), Flags(mode) | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) Throw(mode == OpenMode::Read ? "open" : "create", path, errno);
    File file(fd, path);
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) Throw("open", path, EISDIR);
    return file;
}

File::File(File&& other) noexcept : handle_(other.handle_), path_(std::move(other.path_)) { other.handle_ = -1; }

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (handle_ >= 0) ::close(Fd(handle_));
        handle_ = other.handle_;
        path_ = std::move(other.path_);
        other.handle_ = -1;
    }
    return *this;
}

File::~File() noexcept {
    if (handle_ >= 0) ::close(Fd(handle_));
}

void File::Fail(const char* action) const { Throw(action, path_, errno); }

std::uint64_t File::Size() const {
    struct stat info {};
    if (::fstat(Fd(handle_), &info) != 0) Fail("read the size of");
    return static_cast<std::uint64_t>(info.st_size);
}

std::size_t File::Read(void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(Fd(handle_), buffer, size);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) Fail("read");
    }
}

void File::Seek(std::uint64_t offset) {
    if (::lseek(Fd(handle_), static_cast<off_t>(offset), SEEK_SET) < 0) Fail("seek in");
}

void File::WriteAll(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t put = ::write(Fd(handle_), bytes, size);
        if (put < 0) {
            if (errno == EINTR) continue;
            Fail("write");
        }
        bytes += put;
        size -= static_cast<std::size_t>(put);
    }
}

void File::CopyFrom(File& source, std::uint64_t sourceOffset, std::uint64_t count,
                    const CopyProgress& progress) {
    // The kernel copies without passing the bytes through this process; file systems
    // or kernels that cannot do it fall back to a plain buffered copy.
    constexpr std::uint64_t kChunk = 64ull << 20;
    off_t in = static_cast<off_t>(sourceOffset);
    while (count > 0) {
        const ssize_t copied = ::copy_file_range(Fd(source.handle_), &in, Fd(handle_), nullptr,
                                                 static_cast<std::size_t>(std::min(count, kChunk)), 0);
        if (copied > 0) {
            count -= static_cast<std::uint64_t>(copied);
            if (progress) progress(static_cast<std::uint64_t>(copied));
            continue;
        }
        if (copied == 0) throw EngineError("\"" + DisplayPath(source.Path()) + "\" ended early");
        if (errno == EINTR) continue;
        if (errno == ENOSYS || errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP ||
            errno == EBADF || errno == EPERM) {
            CopyByBuffer(source, static_cast<std::uint64_t>(in), count, progress);
            return;
        }
        Fail("write");
    }
}

void File::Close() {
    const int fd = Fd(handle_);
    handle_ = -1;
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) Fail("close");
}

bool FileExists(const std::filesystem::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool RemoveFileQuietly(const std::filesystem::path& path) noexcept { return ::unlink(path.c_str()) == 0; }

void MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) Throw("replace", to, errno);
}

} // namespace zendra
