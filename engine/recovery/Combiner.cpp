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

// The memory bound: output windows, then a batch of source windows.
constexpr std::uint64_t kOutputBudget = 96ull << 20;
constexpr std::uint64_t kSourceBudget = 32ull << 20;
constexpr std::size_t kMaxBatch = 16;
// Each output is worked through in chunks that stay in the first-level cache while a batch of
// sources is added to them.
constexpr std::size_t kChunk = 16 << 10;
// Outputs whose tables are made at once: 32 x 16 sources x 1 KiB at most.
constexpr std::uint32_t kOutputBlock = 32;

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
    Layout layout;
    layout.window = std::min<std::uint64_t>(sliceSize, kSourceBudget);
    layout.padded = RoundUp(layout.window);
    // Sources read together must not start at the same offset in a 4 KiB page, or they compete
    // for the same few lines of the first-level cache.
    const std::size_t offset = layout.padded % 4096;
    layout.stride = layout.padded + (offset < 1024 || offset > 3072 ? 1088 : 0);
    layout.perGroup = static_cast<std::uint32_t>(std::clamp<std::uint64_t>(
        kOutputBudget / layout.padded, 1, std::max<std::uint32_t>(outputs, 1)));
    layout.batch = static_cast<std::size_t>(
        std::clamp<std::uint64_t>(kSourceBudget / layout.stride, 1, kMaxBatch));
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

} // namespace

bool WholeSlicesSeen(std::uint64_t sliceSize) {
    return sliceSize <= kSourceBudget;
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
    const Layout layout = LayoutFor(c.SliceSize, c.Outputs);
    const bool whole = WholeSlicesSeen(c.SliceSize);
    Buffer outputs(layout.padded * layout.perGroup);
    Buffer read(layout.stride * layout.batch);    // the sources as read
    Buffer sources(layout.stride * layout.batch); // the same in the kernel's layout
    Reader reader(c);
    Pool& pool = Pool::Shared();
    for (std::uint32_t first = 0; first < std::max<std::uint32_t>(c.Outputs, 1);
         first += layout.perGroup) {
        const std::uint32_t count = std::min(layout.perGroup, c.Outputs - first);
        for (std::uint64_t offset = 0; offset < c.SliceSize; offset += layout.window) {
            const std::uint64_t window = std::min(layout.window, c.SliceSize - offset);
            std::memset(outputs.data, 0, layout.padded * count);
            for (std::size_t start = 0; start < c.Sources.size(); start += layout.batch) {
                const std::size_t n = std::min(layout.batch, c.Sources.size() - start);
                std::vector<const std::uint8_t*> pointers(n);
                std::vector<std::uint64_t> real(n);
                for (std::size_t k = 0; k < n; ++k) {
                    std::uint8_t* slice = read.data + k * layout.stride;
                    real[k] =
                        reader.Read(c.Sources[start + k], offset, window, slice, layout.padded);
                    kernel.ToWork(slice, sources.data + k * layout.stride, layout.padded);
                    pointers[k] = sources.data + k * layout.stride;
                }
                std::vector<Gf> factors(static_cast<std::size_t>(count) * n), column(count);
                for (std::size_t k = 0; k < n; ++k) {
                    c.Coefficients(start + k, first, count, column.data());
                    for (std::uint32_t o = 0; o < count; ++o)
                        factors[o * n + k] = column[o];
                }
                // Outputs [from, to) get this batch, a block of outputs at a time (their tables
                // made once), chunk by chunk.
                const auto work = [&](std::uint32_t from, std::uint32_t to) {
                    const std::size_t tableSize = n * kernel.TableSize;
                    Buffer tables(kOutputBlock * tableSize);
                    std::vector<const std::uint8_t*> at(n);
                    for (std::uint32_t block = from; block < to; block += kOutputBlock) {
                        const std::uint32_t end = std::min(to, block + kOutputBlock);
                        for (std::uint32_t o = block; o < end; ++o)
                            for (std::size_t k = 0; k < n; ++k)
                                kernel.Prepare(factors[o * n + k], tables.data +
                                                                       (o - block) * tableSize +
                                                                       k * kernel.TableSize);
                        for (std::size_t chunk = 0; chunk < layout.padded; chunk += kChunk) {
                            const std::size_t size = std::min(kChunk, layout.padded - chunk);
                            for (std::size_t k = 0; k < n; ++k)
                                at[k] = pointers[k] + chunk;
                            for (std::uint32_t o = block; o < end; ++o)
                                kernel.MulAddMany(outputs.data + o * layout.padded + chunk,
                                                  at.data(), tables.data + (o - block) * tableSize,
                                                  n, size);
                        }
                    }
                };
                // The sources' hashes (part 0, when they are taken) beside the arithmetic, its
                // outputs in ranges that the pool's threads and this one take as they come free.
                const bool seeing = first == 0 && whole && c.Seen;
                const auto ranges = static_cast<std::uint32_t>(
                    std::min<std::size_t>(count, pool.Threads() > 1 ? 2 * pool.Threads() : 1));
                pool.Run(ranges + (seeing ? 1 : 0), [&](std::size_t part) {
                    if (seeing && part-- == 0) {
                        for (std::size_t k = 0; k < n; ++k)
                            c.Seen(start + k, read.data + k * layout.stride, real[k]);
                        return;
                    }
                    const auto r = static_cast<std::uint32_t>(part);
                    work(count * r / ranges, count * (r + 1) / ranges);
                });
                std::uint64_t bytes = 0;
                for (const std::uint64_t r : real)
                    bytes += r;
                if (c.Advanced) c.Advanced(bytes);
            }
            for (std::uint32_t o = 0; o < count; ++o) {
                std::uint8_t* bytes = outputs.data + o * layout.padded;
                kernel.FromWork(bytes, layout.padded);
                c.Made(first + o, offset, bytes, static_cast<std::size_t>(window));
            }
        }
        if (c.Outputs == 0) break;
    }
}

} // namespace zendra::par2
