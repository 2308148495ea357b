#include "io/File.h"

#include "base/Failure.h"
#include "base/SystemText.h"
#include "base/Utf8.h"
#include "io/CopyBuffer.h"
#include "io/JobQueue.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <random>
#include <thread>
#include <vector>

namespace zendra {

void File::CopyByBuffer(File& source, std::uint64_t sourceOffset, std::uint64_t count,
                        const CopyProgress& progress, const ByteSink& seen) {
    // The copy where no faster one applies: small runs, and Windows. 1 MiB measured faster than
    // 256 KiB and 4 MiB, and gives the progress (and so a cancel) a say often enough.
    constexpr std::size_t kChunk = 1 << 20;
    // From 8 MiB on, the bytes are shown to `seen` (the hashing) on a thread of their own while
    // they are written; below, the thread costs more than it saves. Reading on another thread
    // measured slower: the hashing then fetched every byte from the other core.
    constexpr std::uint64_t kBesideFrom = 8 << 20;
    CopyBuffer buffer(static_cast<std::size_t>(std::min<std::uint64_t>(count, kChunk)),
                      sourceOffset, Position());
    std::optional<JobQueue> beside; // ends before the buffer it reads
    if (seen && count >= kBesideFrom) beside.emplace();
    source.Seek(sourceOffset);
    while (count > 0) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(count, buffer.size()));
        const std::size_t got = source.Read(buffer.data(), want);
        if (got == 0) ThrowChanged(source.ShownAs());
        if (beside)
            beside->Post([&seen, bytes = buffer.data(), got] { seen(bytes, got); });
        else if (seen)
            seen(buffer.data(), got);
        WriteAll(buffer.data(), got);
        if (beside) beside->Wait();
        StartWriteBack();
        count -= got;
        if (progress) progress(got);
    }
}

std::string ReadSmallFile(const std::filesystem::path& path, const char* what) {
    constexpr std::uint64_t kLimit = 64 << 20;
    File file = File::OpenForReading(path);
    if (file.Size() > kLimit)
        throw Failure("\"" + DisplayPath(path) + "\" is over 64 MiB, too large for " + what +
                      "; nothing was written.");
    std::string text;
    file.ReadRange(0, kLimit, [&](const std::uint8_t* bytes, std::size_t count) {
        text.append(reinterpret_cast<const char*>(bytes), count);
    });
    return text;
}

void File::ReadRange(std::uint64_t offset, std::uint64_t count, const ByteSink& sink) {
    CopyBuffer buffer(static_cast<std::size_t>(std::min<std::uint64_t>(count, 1 << 20)), offset,
                      offset);
    Seek(offset);
    while (count > 0) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(count, buffer.size()));
        const std::size_t got = Read(buffer.data(), want);
        if (got == 0) return;
        sink(buffer.data(), got);
        count -= got;
    }
}

CopyProgress Reporting(const Progress& progress, std::uint64_t total, std::uint64_t& done) {
    return [&progress, total, &done](std::uint64_t bytes) {
        done += bytes;
        if (progress && !progress(done, total)) throw Failure::Cancelled();
    };
}

void ThrowChanged(const std::filesystem::path& source) {
    throw Failure("\"" + DisplayPath(source) +
                  "\" ended early: it was changed while it was being read.");
}

void CheckWritableName(const std::filesystem::path& path) {
    const EntryKind kind = KindOf(path);
    if (kind == EntryKind::Folder)
        throw Failure("\"" + DisplayPath(path) + "\" is a folder; nothing was written.");
    if (kind == EntryKind::Other)
        throw Failure("\"" + DisplayPath(path) +
                      "\" is not a regular file (a pipe, device or socket); nothing was written.");
    if (kind == EntryKind::Regular && IsReadOnly(path))
        throw Failure("\"" + DisplayPath(path) + "\" is read-only; nothing was written.");
}

std::string RandomTag() {
    static std::atomic<unsigned> counter = 0; // runs may start on any thread
    const auto clock = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    std::random_device device;
    char tag[16];
    std::snprintf(tag, sizeof tag, "%06llx",
                  (clock ^ (static_cast<unsigned long long>(++counter) << 20) ^ device()) &
                      0xFFFFFF);
    return tag;
}

namespace {

std::atomic<std::chrono::milliseconds::rep> heldBeforeLocking{0};

} // namespace

void RunLock::HoldBeforeLocking(std::chrono::milliseconds hold) noexcept {
    heldBeforeLocking = hold.count();
}

void RunLock::WaitBeforeLocking() noexcept {
    if (const auto hold = heldBeforeLocking.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(hold));
}

std::filesystem::path RunLock::NextName(const char* suffix) {
    const std::string name = ".zendra-" + tag_ + "-" + std::to_string(++count_) + suffix;
    return folder_ / std::filesystem::path(name);
}

void CheckRoom(const std::filesystem::path& folder, std::uint64_t total, std::uint64_t largest,
               const std::string& what) {
    const DiskRoom room = RoomIn(folder);
    const std::string where = "\"" + DisplayPath(folder.empty() ? "." : folder) + "\"";
    if (largest > room.LargestFile)
        throw Failure(what + " would write a file of " + std::to_string(largest) +
                      " bytes, but the file system of " + where + " holds files of at most " +
                      std::to_string(room.LargestFile) +
                      " bytes (FAT); nothing was written. Choose a folder on another disk.");
    if (total > room.Free)
        throw Failure(what + " needs " + std::to_string(total) + " bytes on the disk of " +
                      where + ", but " + std::to_string(room.Free) +
                      " are free; nothing was written. Free some space or choose another "
                      "folder.");
}

} // namespace zendra
