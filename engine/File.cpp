#include "File.h"

#include "EngineError.h"

#include <vector>

namespace zendra {

void File::CopyByBuffer(File& source, std::uint64_t sourceOffset, std::uint64_t count,
                        const CopyProgress& progress) {
    constexpr std::size_t kChunk = 256 << 10; // fits the cache; larger buffers measured slower
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(count, kChunk)));
    source.Seek(sourceOffset);
    while (count > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(count, buffer.size()));
        const std::size_t got = source.Read(buffer.data(), want);
        if (got == 0) throw EngineError("\"" + DisplayPath(source.Path()) + "\" ended early");
        WriteAll(buffer.data(), got);
        count -= got;
        if (progress) progress(got);
    }
}

std::string DisplayPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace zendra
