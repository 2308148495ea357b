#include "recovery/Combiner.h"

#include "base/Failure.h"
#include "io/File.h"
#include "recovery/Pool.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

namespace zendra::par2 {
namespace {

// The memory bound: the outputs' windows in the kernel's layout, and two batches of source
// windows (one being added to the outputs while the next is read), each as read and in the
// kernel's layout.
constexpr std::uint64_t kOutputBudget = 96ull << 20;
constexpr std::uint64_t kBatchBudget = 32ull << 20;
// A longer slice is made a window at a time.
constexpr std::uint64_t kMaxWindow = 8ull << 20;
// Sources added to the outputs at a time: each batch takes the outputs through memory once, so
// larger batches move fewer bytes (with 16, the outputs' traffic held the arithmetic back).
constexpr std::size_t kMaxBatch = 64;
// The tables of a batch's constants, made while the batch is read, for each of two batches.
constexpr std::uint64_t kTableBudget = 8ull << 20;
// The outputs are worked through in chunks of this much data: every output's chunk in turn gets
// the batch's sources added, their chunks staying in the second-level cache, the output's in the
// first. A thread works through whole chunks, so that the sources come from memory once.
constexpr std::size_t kChunk = 2 << 10;
// Parts of a batch's arithmetic for each thread, small enough that the threads end together
// whichever took the hashing.
constexpr std::size_t kPartsPerThread = 8;

std::size_t RoundUp(std::uint64_t size) {
    return static_cast<std::size_t>((size + kRegionBlock - 1) / kRegionBlock * kRegionBlock);
}

struct Layout {
    std::uint64_t window;   // slice bytes per pass
    std::size_t padded;     // the same, rounded up to whole blocks
    std::size_t stride;     // from one source of a batch to the next
    std::uint32_t perGroup; // outputs made at once
    std::size_t batch;      // sources read at once
};

Layout LayoutFor(std::uint64_t sliceSize, std::uint32_t outputs) {
    const RegionKernel& kernel = BestKernel();
    const std::size_t scale = kernel.WorkScale;
    Layout layout;
    layout.window = std::min(sliceSize, kMaxWindow);
    layout.padded = RoundUp(layout.window);
    // Sources read together must not start at the same offset in a 4 KiB page, or they compete
    // for the same few lines of the first-level cache.
    const std::size_t offset = layout.padded % 4096;
    layout.stride = layout.padded + (offset < 1024 || offset > 3072 ? 1088 : 0);
    layout.perGroup = static_cast<std::uint32_t>(std::clamp<std::uint64_t>(
        kOutputBudget / (scale * layout.padded), 1, std::max<std::uint32_t>(outputs, 1)));
    layout.batch = static_cast<std::size_t>(
        std::clamp<std::uint64_t>(std::min(kBatchBudget / ((1 + scale) * layout.stride),
                                           kTableBudget / (layout.perGroup * kernel.TableSize)),
                                  1, kMaxBatch));
    return layout;
}

// Aligned memory for the vector kernels.
struct Buffer {
    std::unique_ptr<std::uint8_t[]> raw;
    std::uint8_t* data;
    explicit Buffer(std::size_t size) : raw(new std::uint8_t[size + 64]) {
        data = raw.get() + (64 - reinterpret_cast<std::uintptr_t>(raw.get()) % 64) % 64;
    }
};

// Reads source windows, keeping the file of the last one open.
class Reader {
  public:
    explicit Reader(const Combination& combination) : c_(combination) {}
    // The window's real bytes, read into `into`; zeros after them, up to `padded`.
    std::uint64_t Read(const SliceSource& source, std::uint64_t offset, std::uint64_t window,
                       std::uint8_t* into, std::size_t padded) {
        const std::uint64_t real =
            source.Length > offset ? std::min(source.Length - offset, window) : 0;
        if (real > 0) {
            if (!file_ || open_ != source.File) {
                file_.reset();
                file_.emplace(File::OpenForReading(c_.Files[source.File]));
                open_ = source.File;
            }
            file_->Seek(source.Offset + offset);
            std::size_t done = 0;
            while (done < real) {
                const std::size_t got =
                    file_->Read(into + done, static_cast<std::size_t>(real) - done);
                if (got == 0) ThrowChanged(file_->ShownAs());
                done += got;
            }
        }
        std::memset(into + real, 0, padded - static_cast<std::size_t>(real));
        return real;
    }

  private:
    const Combination& c_;
    std::optional<File> file_;
    std::size_t open_ = 0;
};

// A batch of source windows: as read (for the hashes), in the kernel's layout, and the tables of
// the group's constants (output o's for source k at o * n + k).
struct Batch {
    Buffer read, work, tables;
    std::size_t start = 0, n = 0;
    std::vector<std::uint64_t> real;
    Batch(const Layout& layout, const RegionKernel& kernel)
        : read(layout.stride * layout.batch), work(kernel.WorkScale * layout.stride * layout.batch),
          tables(layout.perGroup * layout.batch * kernel.TableSize) {}
};

} // namespace

bool WholeSlicesSeen(std::uint64_t sliceSize) {
    return sliceSize <= kMaxWindow;
}

std::uint64_t BytesToRead(const Combination& c) {
    const Layout layout = LayoutFor(c.SliceSize, c.Outputs);
    std::uint64_t bytes = 0;
    for (const auto& source : c.Sources)
        bytes += source.Length;
    const std::uint64_t groups = (c.Outputs + layout.perGroup - 1) / layout.perGroup;
    return bytes * std::max<std::uint64_t>(groups, 1);
}

void Combine(const Combination& c) {
    const RegionKernel& kernel = BestKernel();
    const std::size_t scale = kernel.WorkScale;
    const Layout layout = LayoutFor(c.SliceSize, c.Outputs);
    const bool whole = WholeSlicesSeen(c.SliceSize);
    Pool& pool = Pool::Shared();
    Buffer outputs(scale * layout.padded * layout.perGroup);
    Batch batches[2] = {{layout, kernel}, {layout, kernel}};
    Reader reader(c);
    // Reads the sources [start, start + n) of a window into `b`, with their tables.
    const auto load = [&](Batch& b, std::size_t start, std::uint64_t offset, std::uint64_t window,
                          std::uint32_t first, std::uint32_t count) {
        b.start = start;
        b.n = std::min(layout.batch, c.Sources.size() - start);
        b.real.resize(b.n);
        for (std::size_t k = 0; k < b.n; ++k) {
            std::uint8_t* slice = b.read.data + k * layout.stride;
            b.real[k] = reader.Read(c.Sources[start + k], offset, window, slice, layout.padded);
            kernel.ToWork(slice, b.work.data + scale * k * layout.stride, layout.padded);
        }
        std::vector<Gf> column(count);
        for (std::size_t k = 0; k < b.n; ++k) {
            c.Coefficients(start + k, first, count, column.data());
            for (std::uint32_t o = 0; o < count; ++o)
                kernel.Prepare(column[o], b.tables.data + (o * b.n + k) * kernel.TableSize);
        }
    };
    const std::size_t chunks = (layout.padded + kChunk - 1) / kChunk;
    for (std::uint32_t first = 0; first < std::max<std::uint32_t>(c.Outputs, 1);
         first += layout.perGroup) {
        const std::uint32_t count = std::min(layout.perGroup, c.Outputs - first);
        // The arithmetic's parts: ranges of chunks, and of outputs where the chunks are few.
        const std::size_t arithmetic = kPartsPerThread * pool.Threads();
        const std::size_t chunkRanges = count == 0 ? 0 : std::min(chunks, arithmetic);
        const std::size_t outputRanges =
            count == 0 ? 0 : std::clamp<std::size_t>(arithmetic / chunkRanges, 1, count);
        // Adds batch `b` to outputs [from, to) in chunks [begin, end).
        const auto work = [&](const Batch& b, std::uint32_t from, std::uint32_t to,
                              std::size_t begin, std::size_t end) {
            std::vector<const std::uint8_t*> at(b.n);
            for (std::size_t chunk = begin * kChunk; chunk < std::min(end * kChunk, layout.padded);
                 chunk += kChunk) {
                const std::size_t size = std::min(kChunk, layout.padded - chunk);
                for (std::size_t k = 0; k < b.n; ++k)
                    at[k] = b.work.data + scale * (k * layout.stride + chunk);
                for (std::uint32_t o = from; o < to; ++o)
                    kernel.MulAddMany(outputs.data + scale * (o * layout.padded + chunk), at.data(),
                                      b.tables.data + o * b.n * kernel.TableSize, b.n, size);
            }
        };
        for (std::uint64_t offset = 0; offset < c.SliceSize; offset += layout.window) {
            const std::uint64_t window = std::min(layout.window, c.SliceSize - offset);
            std::memset(outputs.data, 0, scale * layout.padded * count);
            const bool seeing = first == 0 && whole && c.Seen;
            if (!c.Sources.empty()) load(batches[0], 0, offset, window, first, count);
            for (std::size_t start = 0, i = 0; start < c.Sources.size();
                 start += layout.batch, ++i) {
                const Batch& b = batches[i % 2];
                Batch& next = batches[(i + 1) % 2];
                const bool more = start + layout.batch < c.Sources.size();
                // Parts, the lowest taken first: the next batch's reading, the two halves of this
                // batch's hashing, then the arithmetic, all beside each other on the pool's
                // threads and this one.
                const std::size_t reading = more ? 1 : 0, hashing = seeing ? 2 : 0;
                pool.Run(reading + hashing + chunkRanges * outputRanges, [&](std::size_t part) {
                    if (part < reading) {
                        load(next, start + layout.batch, offset, window, first, count);
                        return;
                    }
                    part -= reading;
                    if (part < hashing) {
                        for (std::size_t k = 0; k < b.n; ++k)
                            c.Seen(static_cast<int>(part), b.start + k,
                                   b.read.data + k * layout.stride, b.real[k]);
                        return;
                    }
                    part -= hashing;
                    const std::size_t r = part / outputRanges, o = part % outputRanges;
                    work(b, static_cast<std::uint32_t>(count * o / outputRanges),
                         static_cast<std::uint32_t>(count * (o + 1) / outputRanges),
                         chunks * r / chunkRanges, chunks * (r + 1) / chunkRanges);
                });
                std::uint64_t bytes = 0;
                for (const std::uint64_t r : b.real)
                    bytes += r;
                if (c.Advanced) c.Advanced(bytes);
            }
            for (std::uint32_t o = 0; o < count; ++o) {
                std::uint8_t* bytes = outputs.data + scale * o * layout.padded;
                kernel.FromWork(bytes, layout.padded);
                c.Made(first + o, offset, bytes, static_cast<std::size_t>(window));
            }
        }
        if (c.Outputs == 0) break;
    }
}

} // namespace zendra::par2
