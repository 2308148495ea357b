// WriteRecoveryFiles and the names of a set's files.
#include "recovery/Recovery.h"

#include "base/Failure.h"
#include "recovery/Combiner.h"
#include "recovery/Packets.h"
#include "recovery/SliceHasher.h"

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>

namespace zendra {
namespace {

using namespace par2;
namespace fs = std::filesystem;

constexpr char kCreator[] = "Created by Zendra 1.0 (zendra-cli).";
constexpr std::uint64_t kTargetSlices = 2000; // as par2cmdline aims

struct Protected {
    const RecoveryInput* input = nullptr;
    std::uint64_t length = 0;
    Md5Digest hash16k{};
    Id16 id{};
    std::optional<SliceHasher> hasher;
    FileDescription Description() const {
        return {id, hasher->FileHash(), hash16k, length, input->Name};
    }
};

std::uint64_t TotalSlices(const std::vector<Protected>& files, std::uint64_t sliceSize) {
    std::uint64_t count = 0;
    for (const auto& file : files)
        count += SliceCount(file.length, sliceSize);
    return count;
}

std::uint64_t ChooseSliceSize(const std::vector<Protected>& files, std::uint64_t requested) {
    if (requested != 0) {
        if (requested % 4 != 0 || requested > kMaxSliceSize)
            throw Failure("The slice size must be a multiple of 4 bytes, at most 4 GiB.");
        const std::uint64_t count = TotalSlices(files, requested);
        if (count > kMaxInputSlices)
            throw Failure("This slice size makes " + std::to_string(count) +
                          " slices; at most 32,768 are possible. Choose a larger one.");
        return requested;
    }
    std::uint64_t total = 0, longest = 4;
    for (const auto& file : files) {
        total += file.length;
        longest = std::max(longest, file.length);
    }
    const auto round4 = [](std::uint64_t n) { return std::max<std::uint64_t>(4, (n + 3) / 4 * 4); };
    std::uint64_t low = round4((total + kTargetSlices - 1) / kTargetSlices), high = round4(longest);
    if (TotalSlices(files, low) <= kMaxInputSlices) return low;
    while (high - low > 4) { // many small files: the smallest size that keeps to the limit
        const std::uint64_t middle = round4(low + (high - low) / 2);
        (TotalSlices(files, middle) <= kMaxInputSlices ? high : low) = middle;
    }
    return high;
}

// How many slices of recovery data the options ask for, and how many go in each file but the last.
struct RecoveryPlan {
    std::uint64_t count = 0;
    std::uint64_t perFile = 0; // 0: 1, 2, 4, ... a file
};

// Percent's share, or more for `Pieces` (see RecoveryOptions), spread over files as asked.
RecoveryPlan PlanRecovery(const RecoveryOptions& options, const std::vector<Protected>& files,
                          const RecoveryInput& last, std::uint64_t sliceSize,
                          std::uint64_t inputSlices) {
    const std::uint64_t share = (inputSlices * static_cast<unsigned>(options.Percent) + 50) / 100;
    const std::uint64_t cushion = std::max<std::uint64_t>(1, (inputSlices + 99) / 100);
    std::uint64_t lastSlices = 0;
    std::vector<std::uint64_t> slices; // of every input but the last, largest first
    for (const auto& file : files) {
        const std::uint64_t own = SliceCount(file.length, sliceSize);
        if (file.input == &last)
            lastSlices = own;
        else
            slices.push_back(own);
    }
    std::sort(slices.begin(), slices.end(), std::greater<>());
    const std::uint64_t largest = slices.empty() ? lastSlices : slices.front();
    const bool byPiece = options.Files == RecoveryOptions::Spread::PieceFiles;
    RecoveryPlan plan{share, byPiece ? std::max<std::uint64_t>(1, largest) : 0};
    if (options.SliceCount != 0) {
        plan.count = options.SliceCount;
        return plan;
    }
    if (options.Pieces == 0) return plan;
    const std::uint64_t lost = std::min<std::uint64_t>(options.Pieces, slices.size());
    if (byPiece && options.Percent == 0) { // files of their own: any one of them rebuilds a piece
        const std::uint64_t shares = std::max<std::uint64_t>(1, lost);
        plan.perFile = largest + lastSlices + (cushion + shares - 1) / shares;
        plan.count = shares * plan.perFile;
        return plan;
    }
    std::uint64_t needed = cushion + lastSlices;
    for (std::uint64_t i = 0; i < lost; ++i)
        needed += slices[i];
    plan.count = std::max(share, needed);
    return plan;
}

int Digits(std::uint64_t n) {
    int digits = 1;
    while (n >= 10) {
        n /= 10;
        ++digits;
    }
    return digits;
}

std::string Padded(std::uint64_t n, int width) {
    std::string text = std::to_string(n);
    return std::string(
               static_cast<std::size_t>(std::max<int>(0, width - static_cast<int>(text.size()))),
               '0') +
           text;
}

fs::path WithSuffix(const fs::path& base, const std::string& suffix) {
    return fs::path(base.native() + fs::path(suffix).native());
}

// One NAME.vol file: its slices, where each packet goes, where the set's copies go.
struct Volume {
    fs::path name;
    std::uint32_t first = 0, count = 0;
    std::vector<std::uint64_t> sliceAt; // each recovery slice packet's offset
    std::vector<std::uint64_t> copiesAt;
    std::uint64_t creatorAt = 0;
};

// `perFile` slices a file, the remainder in the last; with none, 1, 2, 4, ... a file.
std::vector<Volume> PlanVolumes(const fs::path& base, std::uint32_t recovery, std::uint64_t perFile,
                                std::uint64_t sliceSize, std::uint64_t setSize) {
    std::vector<Volume> volumes;
    std::uint32_t largest = 0;
    for (std::uint64_t first = 0, size = perFile ? perFile : 1; first < recovery;
         first += size, size *= perFile ? 1 : 2) {
        Volume volume;
        volume.first = static_cast<std::uint32_t>(first);
        volume.count = static_cast<std::uint32_t>(std::min<std::uint64_t>(size, recovery - first));
        largest = std::max(largest, volume.count);
        volumes.push_back(volume);
    }
    for (auto& volume : volumes) {
        volume.name = WithSuffix(base, ".vol" + Padded(volume.first, Digits(recovery)) + "+" +
                                           Padded(volume.count, Digits(largest)) + ".par2");
        // As par2cmdline does: log2(count) + 1 copies of the set's description, between slices.
        std::uint32_t copies = 1;
        while ((2u << (copies - 1)) <= volume.count)
            ++copies;
        std::uint64_t at = 0;
        for (std::uint32_t j = 0; j < volume.count; ++j) {
            volume.sliceAt.push_back(at);
            at += kHeaderSize + 4 + sliceSize;
            if (j < copies) {
                volume.copiesAt.push_back(at);
                at += setSize;
            }
        }
        volume.creatorAt = at;
    }
    return volumes;
}

void WriteAt(File& file, std::uint64_t offset, const void* bytes, std::size_t size) {
    file.Seek(offset);
    file.WriteAll(bytes, size);
}

} // namespace

fs::path RecoveryIndexName(const fs::path& baseName) {
    return WithSuffix(baseName, ".par2");
}

fs::path RecoveryFileForIndex(const fs::path& indexPath) {
    fs::path base = indexPath;
    if (base.extension() == ".tpl") base.replace_extension();
    return RecoveryIndexName(base);
}

std::optional<fs::path> FindRecoveryFile(const fs::path& indexPath) {
    const fs::path main = RecoveryFileForIndex(indexPath);
    if (KindOf(main) == EntryKind::Regular) return main;
    fs::path base = main;
    base.replace_extension();
    for (const auto& file : ExistingRecoveryFiles(base))
        if (KindOf(file) == EntryKind::Regular) return file;
    return std::nullopt;
}

std::vector<fs::path> ExistingRecoveryFiles(const fs::path& baseName) {
    std::vector<fs::path> found;
    const std::string name = DisplayPath(baseName.filename());
    for (const FolderEntry& listed : ListFolder(baseName.parent_path())) {
        const fs::path path(listed.Name);
        const std::string entry = DisplayPath(path);
        if (entry.size() < name.size() + 5 || entry.compare(0, name.size(), name) != 0) continue;
        const std::string rest = entry.substr(name.size());
        std::string ending = rest.substr(rest.size() - 5);
        std::transform(ending.begin(), ending.end(), ending.begin(),
                       [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
        if (ending != ".par2") continue;
        if (rest.size() == 5 || rest.compare(0, 4, ".vol") == 0)
            found.push_back(baseName.parent_path() / path);
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<fs::path> WriteRecoveryFiles(const fs::path& baseName,
                                         const std::vector<RecoveryInput>& inputs,
                                         const RecoveryOptions& options, const CreateOutput& create,
                                         const Progress& progress) {
    if (inputs.empty() || inputs.size() > kMaxFiles)
        throw Failure("Recovery data protects 1 to 32,768 files.");
    if (options.Percent < 0 || options.Percent > 100 ||
        (options.SliceCount == 0 && options.Pieces == 0 && options.Percent == 0))
        throw Failure("The recovery data must be 1 to 100 percent.");
    if (options.SliceCount > kMaxInputSlices)
        throw Failure("At most 32,768 recovery slices are possible.");
    std::set<std::string> names;
    std::vector<Protected> files;
    for (const auto& input : inputs) {
        if (input.Name.empty() || !names.insert(input.Name).second)
            throw Failure("Each protected file needs a name of its own.");
        File in = File::OpenForReading(input.ReadFrom);
        Protected file;
        file.input = &input;
        file.length = in.Size();
        Md5 prefix;
        in.ReadRange(0, kHashedPrefix, [&](const std::uint8_t* bytes, std::size_t size) {
            prefix.Update(bytes, size);
        });
        file.hash16k = prefix.Final();
        file.id = FileIdOf(file.hash16k, file.length, input.Name);
        files.push_back(std::move(file));
    }
    // Slices are numbered in the order of the File IDs.
    std::sort(files.begin(), files.end(),
              [](const Protected& a, const Protected& b) { return IdLess(a.id, b.id); });
    const std::uint64_t sliceSize = ChooseSliceSize(files, options.SliceSize);
    const std::uint64_t inputSlices = TotalSlices(files, sliceSize);
    const RecoveryPlan plan = PlanRecovery(options, files, inputs.back(), sliceSize, inputSlices);
    const auto recovery =
        static_cast<std::uint32_t>(std::clamp<std::uint64_t>(plan.count, 1, kMaxInputSlices));
    MainPacket main{sliceSize, {}, {}};
    for (auto& file : files) {
        main.RecoveryFiles.push_back(file.id);
        file.hasher.emplace(sliceSize);
    }
    const Bytes mainBody = EncodeMain(main);
    const Id16 setId = SetIdOf(mainBody);
    std::uint64_t setSize = kHeaderSize + mainBody.size();
    for (const auto& file : files)
        setSize += 2 * kHeaderSize +
                   EncodeFileDescription({file.id, {}, {}, 0, file.input->Name}).size() + 16 +
                   20 * SliceCount(file.length, sliceSize);

    std::vector<Volume> volumes = PlanVolumes(baseName, recovery, plan.perFile, sliceSize, setSize);
    std::vector<fs::path> written{RecoveryIndexName(baseName)};
    std::vector<File> outputs;
    outputs.push_back(create(written.front()));
    for (const auto& volume : volumes) {
        written.push_back(volume.name);
        outputs.push_back(create(volume.name));
    }

    Combination c;
    c.SliceSize = sliceSize;
    std::vector<std::size_t> fileOfSource;
    for (std::size_t f = 0; f < files.size(); ++f) {
        c.Files.push_back(files[f].input->ReadFrom);
        for (std::uint64_t at = 0; at < files[f].length; at += sliceSize) {
            c.Sources.push_back({f, at, std::min(sliceSize, files[f].length - at)});
            fileOfSource.push_back(f);
        }
    }
    c.Outputs = recovery;
    c.Coefficients = [](std::size_t source, std::uint32_t first, std::uint32_t count, Gf* column) {
        for (std::uint32_t o = 0; o < count; ++o) // recovery slice o has exponent o
            column[o] = SliceFactor(static_cast<std::uint32_t>(source), first + o);
    };
    const bool hashWhileCombining = WholeSlicesSeen(sliceSize);
    std::uint64_t total = BytesToRead(c), done = 0;
    if (!hashWhileCombining)
        for (const auto& file : files)
            total += file.length;
    c.Advanced = [&](std::uint64_t bytes) {
        done += bytes;
        if (progress && !progress(done, total)) throw Failure::Cancelled();
    };
    if (hashWhileCombining) {
        c.Seen = [&](int part, std::size_t source, const std::uint8_t* slice,
                     std::uint64_t length) {
            SliceHasher& hasher = *files[fileOfSource[source]].hasher;
            if (part == 0)
                hasher.FeedFile(slice, static_cast<std::size_t>(length));
            else
                hasher.FeedSlices(slice, static_cast<std::size_t>(length));
        };
    } else {
        for (auto& file : files) {
            File in = File::OpenForReading(file.input->ReadFrom);
            in.ReadRange(0, file.length, [&](const std::uint8_t* bytes, std::size_t size) {
                file.hasher->Feed(bytes, size);
                c.Advanced(size);
            });
        }
    }
    // Where each recovery slice goes, and its packet hash while its windows arrive.
    std::vector<std::pair<std::size_t, std::uint64_t>> sliceAt(recovery);
    for (std::size_t v = 0; v < volumes.size(); ++v)
        for (std::uint32_t j = 0; j < volumes[v].count; ++j)
            sliceAt[volumes[v].first + j] = {v + 1, volumes[v].sliceAt[j]};
    std::map<std::uint32_t, Md5> hashing;
    c.Made = [&](std::uint32_t output, std::uint64_t offset, const std::uint8_t* bytes,
                 std::size_t size) {
        const auto [file, at] = sliceAt[output];
        Md5& md5 = hashing[output];
        if (offset == 0) {
            md5.Update(setId.data(), setId.size());
            md5.Update(TypeBytes(PacketType::RecoverySlice).data(), 16);
            const std::uint8_t exponent[4] = {
                static_cast<std::uint8_t>(output), static_cast<std::uint8_t>(output >> 8),
                static_cast<std::uint8_t>(output >> 16), static_cast<std::uint8_t>(output >> 24)};
            md5.Update(exponent, 4);
            WriteAt(outputs[file], at + kHeaderSize, exponent, 4);
        }
        md5.Update(bytes, size);
        WriteAt(outputs[file], at + kHeaderSize + 4 + offset, bytes, size);
        if (offset + size == sliceSize) {
            const auto header = EncodeHeader(setId, PacketType::RecoverySlice,
                                             kHeaderSize + 4 + sliceSize, md5.Final());
            WriteAt(outputs[file], at, header.data(), header.size());
            hashing.erase(output);
        }
    };
    Combine(c);

    Bytes set = EncodePacket(setId, PacketType::Main, mainBody);
    for (auto& file : files) {
        file.hasher->Finish();
        const Bytes packet = EncodePacket(setId, PacketType::FileDescription,
                                          EncodeFileDescription(file.Description()));
        set.insert(set.end(), packet.begin(), packet.end());
    }
    for (const auto& file : files) {
        const Bytes packet = EncodePacket(setId, PacketType::SliceChecksums,
                                          EncodeSliceChecksums(file.id, file.hasher->Slices()));
        set.insert(set.end(), packet.begin(), packet.end());
    }
    const Bytes creator = EncodePacket(setId, PacketType::Creator, EncodeCreator(kCreator));
    WriteAt(outputs[0], 0, set.data(), set.size());
    outputs[0].WriteAll(creator.data(), creator.size());
    for (std::size_t v = 0; v < volumes.size(); ++v) {
        for (const std::uint64_t at : volumes[v].copiesAt)
            WriteAt(outputs[v + 1], at, set.data(), set.size());
        WriteAt(outputs[v + 1], volumes[v].creatorAt, creator.data(), creator.size());
    }
    for (auto& output : outputs)
        output.Close();
    return written;
}

} // namespace zendra
