#include "recovery/Reader.h"

#include "base/Failure.h"
#include "io/File.h"
#include "recovery/Galois16.h"
#include "recovery/Recovery.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>

namespace zendra::par2 {
namespace {

namespace fs = std::filesystem;

// The bounds: bodies read into memory, all bodies kept, sets followed.
constexpr std::uint64_t kMaxBody = 2 << 20;
constexpr std::uint64_t kMaxKept = 64 << 20;
constexpr std::size_t kMaxSets = 16;
constexpr std::size_t kBuffer = 1 << 20;

struct SetPackets {
    std::optional<Bytes> main;
    std::map<Id16, FileDescription> files;
    std::map<Id16, std::vector<SliceChecksum>> checksums;
    // Every recovery slice found, whatever its length: those of the set's slice size are used,
    // one of another length (a packet cut short with its checksum made again) is skipped alone.
    std::vector<RecoverySliceRef> slices;
};

class Collector {
  public:
    std::map<Id16, SetPackets> sets;
    std::optional<Id16> firstMain; // the set of the first main packet seen
    std::optional<Id16> firstSet;
    std::uint64_t kept = 0;
    // Bytes that may still be read for packets whose hash then fails: without a bound, files of
    // false headers claiming long packets would cost time growing with the square of their size.
    std::uint64_t failureBudget = 0;

    SetPackets* For(const Id16& set) {
        auto found = sets.find(set);
        if (found != sets.end()) return &found->second;
        if (sets.size() >= kMaxSets) return nullptr;
        if (!firstSet) firstSet = set;
        return &sets[set];
    }
    void Body(const Header& header, Bytes body) {
        SetPackets* set = For(header.SetId);
        if (!set || kept + body.size() > kMaxKept) return;
        switch (header.Type) {
        case PacketType::Main:
            // The set ID is the main body's hash: a main packet under another set's ID is false.
            if (set->main || SetIdOf(body) != header.SetId || !DecodeMain(body)) return;
            if (!firstMain) firstMain = header.SetId;
            kept += body.size();
            set->main = std::move(body);
            break;
        case PacketType::FileDescription:
            if (auto file = DecodeFileDescription(body)) {
                if (FileIdOf(file->Hash16k, file->Length, file->Name) != file->FileId) return;
                kept += body.size();
                set->files.emplace(file->FileId, std::move(*file));
            }
            break;
        case PacketType::SliceChecksums:
            if (auto checksums = DecodeSliceChecksums(body)) {
                kept += body.size();
                set->checksums.emplace(checksums->first, std::move(checksums->second));
            }
            break;
        default:
            break;
        }
    }
};

std::uint32_t Get32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Finds the packets of one file: wherever the magic begins, a header whose packet lies inside the
// file and whose hash checks out; after a packet that fails, the search goes on at the next byte.
void ScanFile(const fs::path& path, std::size_t index, Collector& collector) {
    File file = File::OpenForReading(path);
    const std::uint64_t size = file.Size();
    std::vector<std::uint8_t> buffer(kBuffer);
    std::uint64_t bufferAt = 0, bufferEnd = 0; // the file's bytes the buffer holds
    const auto fill = [&](std::uint64_t from) {
        file.Seek(from);
        std::size_t got = 0;
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kBuffer, size - from));
        while (got < want) {
            const std::size_t part = file.Read(buffer.data() + got, want - got);
            if (part == 0) break;
            got += part;
        }
        bufferAt = from;
        bufferEnd = from + got;
    };
    std::uint64_t at = 0;
    while (at + kHeaderSize <= size) {
        if (at < bufferAt || at + kHeaderSize > bufferEnd) fill(at);
        if (at + kHeaderSize > bufferEnd) return; // the file shrank meanwhile
        const std::uint8_t* start = buffer.data() + (at - bufferAt);
        const std::uint8_t* end = buffer.data() + (bufferEnd - bufferAt);
        const auto* found = static_cast<const std::uint8_t*>(
            std::search(start, end, std::begin(kMagic), std::end(kMagic)));
        if (found == end || end - found < static_cast<std::ptrdiff_t>(kHeaderSize)) {
            if (bufferEnd >= size) return;
            at = std::max(at + 1, bufferEnd - kHeaderSize + 1); // a header may straddle the end
            continue;
        }
        at = bufferAt + static_cast<std::uint64_t>(found - buffer.data());
        const auto header = DecodeHeader(found);
        if (!header || header->Length > size - at) {
            ++at;
            continue;
        }
        Md5 md5;
        md5.Update(found + 32, 32);
        const std::uint64_t bodySize = header->Length - kHeaderSize;
        const bool keep = header->Type == PacketType::Main ||
                          header->Type == PacketType::FileDescription ||
                          header->Type == PacketType::SliceChecksums;
        // Other packets (the creator's, optional types) are not needed: not worth reading.
        if ((!keep && header->Type != PacketType::RecoverySlice) || (keep && bodySize > kMaxBody) ||
            bodySize > collector.failureBudget) {
            ++at;
            continue;
        }
        Bytes body;
        std::uint8_t firstWord[4] = {}; // a recovery slice's exponent
        std::uint64_t seen = 0;
        file.ReadRange(at + kHeaderSize, bodySize, [&](const std::uint8_t* bytes, std::size_t n) {
            md5.Update(bytes, n);
            if (keep) body.insert(body.end(), bytes, bytes + n);
            for (std::size_t i = 0; seen + i < 4 && i < n; ++i)
                firstWord[seen + i] = bytes[i];
            seen += n;
        });
        if (seen != bodySize) return; // the file shrank meanwhile
        bufferEnd = bufferAt;         // the buffer must be filled again
        if (md5.Final() != header->Hash) {
            collector.failureBudget -= std::min(collector.failureBudget, bodySize);
            ++at;
            continue;
        }
        if (header->Type == PacketType::RecoverySlice) {
            if (bodySize >= 8)
                if (SetPackets* set = collector.For(header->SetId))
                    set->slices.push_back(RecoverySliceRef{index, at + kHeaderSize + 4,
                                                           bodySize - 4, Get32(firstWord)});
        } else if (keep) {
            collector.Body(*header, std::move(body));
        }
        at += header->Length;
    }
}

} // namespace

fs::path RecoveryBaseOf(const fs::path& par2File) {
    std::string name = DisplayPath(par2File.filename());
    if (name.size() > 5) {
        std::string ending = name.substr(name.size() - 5);
        std::transform(ending.begin(), ending.end(), ending.begin(),
                       [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
        if (ending == ".par2") name.resize(name.size() - 5);
    }
    // .vol<digits>+<digits> or .vol<digits>-<digits>
    const std::size_t vol = name.rfind(".vol");
    if (vol != std::string::npos) {
        const std::string rest = name.substr(vol + 4);
        const std::size_t sign = rest.find_first_of("+-");
        const auto digits = [](const std::string& s) {
            return !s.empty() &&
                   std::all_of(s.begin(), s.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
        };
        if (sign != std::string::npos && digits(rest.substr(0, sign)) &&
            digits(rest.substr(sign + 1)))
            name.resize(vol);
    }
    return par2File.parent_path() / PathFromUtf8(name);
}

LoadedSet LoadRecoverySet(const fs::path& par2File, const std::vector<std::string>& expected) {
    LoadedSet set;
    set.ParFiles.push_back(par2File);
    std::error_code error;
    for (const auto& other : ExistingRecoveryFiles(RecoveryBaseOf(par2File)))
        if (!fs::equivalent(other, par2File, error)) set.ParFiles.push_back(other);
    Collector collector;
    collector.failureBudget = kMaxKept;
    for (const auto& file : set.ParFiles) {
        const std::uintmax_t size = fs::file_size(file, error);
        if (!error) collector.failureBudget += 2 * size;
    }
    for (std::size_t i = 0; i < set.ParFiles.size(); ++i) {
        if (i == 0) {
            ScanFile(set.ParFiles[i], i, collector); // the named file must be readable
        } else {
            try {
                ScanFile(set.ParFiles[i], i, collector);
            } catch (const Failure&) { // an unreadable companion only lacks its packets
            }
        }
    }
    // The set whose files are those expected (recovery files of another split of a same-named
    // file may lie beside them, sorting first): the most expected names, then the most files
    // present at their recorded lengths, then the first main packet found.
    std::optional<Id16> chosen = collector.firstMain ? collector.firstMain : collector.firstSet;
    if (!expected.empty()) {
        std::pair<std::size_t, std::size_t> best{0, 0};
        for (const auto& [id, packets] : collector.sets) {
            const auto main = packets.main ? DecodeMain(*packets.main) : std::nullopt;
            if (!main) continue;
            std::pair<std::size_t, std::size_t> score{0, 0};
            for (const auto& fileId : main->RecoveryFiles) {
                const auto file = packets.files.find(fileId);
                if (file == packets.files.end()) continue;
                if (std::find(expected.begin(), expected.end(), file->second.Name) !=
                    expected.end())
                    ++score.first;
                std::error_code failed;
                const fs::path path = par2File.parent_path() / PathFromUtf8(file->second.Name);
                if (fs::is_regular_file(path, failed) &&
                    fs::file_size(path, failed) == file->second.Length && !failed)
                    ++score.second;
            }
            if (score > best) {
                best = score;
                chosen = id;
            }
        }
    }
    const auto found = chosen ? collector.sets.find(*chosen) : collector.sets.end();
    if (found == collector.sets.end() || !found->second.main)
        throw Failure("\"" + DisplayPath(par2File) + "\" holds no usable recovery set.");
    SetPackets& packets = found->second;
    const MainPacket main = *DecodeMain(*packets.main);
    set.SetId = *chosen;
    set.SliceSize = main.SliceSize;
    // One slice per exponent, of the set's slice size. Refused before any protected file is read
    // when no recovery slice has that size: a crafted slice size would otherwise have each
    // slice's checksum padded to it, for as long as it says.
    std::map<std::uint32_t, RecoverySliceRef> byExponent;
    for (const auto& slice : packets.slices)
        if (slice.Size == main.SliceSize) byExponent.emplace(slice.Exponent % 65535, slice);
    if (!packets.slices.empty() && byExponent.empty())
        throw Failure("The recovery files disagree with themselves: their slice size is " +
                      std::to_string(main.SliceSize) + " bytes, but their recovery slices hold " +
                      std::to_string(packets.slices.front().Size) + ". They cannot be used.");
    std::uint64_t slices = 0;
    for (const auto& id : main.RecoveryFiles) {
        const auto file = packets.files.find(id);
        const auto checksums = packets.checksums.find(id);
        if (file == packets.files.end() || checksums == packets.checksums.end())
            throw Failure("The recovery files lack the description of a protected file.");
        const std::uint64_t count = SliceCount(file->second.Length, main.SliceSize);
        if (checksums->second.size() != count)
            throw Failure("The recovery files do not agree on a protected file's slices.");
        slices += count;
        if (slices > kMaxInputSlices)
            throw Failure("The recovery set has more slices than the format allows.");
        set.Files.push_back(file->second);
        set.Checksums.push_back(checksums->second);
    }
    for (const auto& [exponent, slice] : byExponent)
        set.Slices.push_back(slice);
    return set;
}

} // namespace zendra::par2
