// ScanRecovery and RebuildFiles: which slices survive, which recovery slices solve for the rest.
#include "recovery/Recovery.h"

#include "base/Failure.h"
#include "io/File.h"
#include "recovery/Combiner.h"
#include "recovery/Reader.h"
#include "recovery/SliceHasher.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

namespace zendra {
namespace {

using namespace par2;
namespace fs = std::filesystem;

class Meter {
  public:
    Meter(const Progress& progress, std::uint64_t total) : progress_(progress), total_(total) {}
    void Add(std::uint64_t bytes) {
        done_ += bytes;
        if (progress_ && !progress_(std::min(done_, total_), total_))
            throw Failure::Cancelled();
    }
    void SetTotal(std::uint64_t total) { total_ = std::max(total, done_); }
    std::uint64_t Done() const { return done_; }

  private:
    const Progress& progress_;
    std::uint64_t total_;
    std::uint64_t done_ = 0;
};

// Where a name the set records lies: below the folder of the recovery files, never elsewhere.
fs::path LocationOf(const fs::path& folder, const std::string& name) {
    bool plain = name.find('\\') == std::string::npos && name.find(':') == std::string::npos &&
                 name.front() != '/';
    for (std::size_t start = 0; plain && start <= name.size();) {
        const std::size_t end = std::min(name.find('/', start), name.size());
        const std::string part = name.substr(start, end - start);
        plain = !part.empty() && part != "." && part != "..";
        start = end + 1;
    }
    if (!plain)
        throw Failure("The recovery set names a file outside its folder: \"" + name + "\".");
    return folder / PathFromUtf8(name);
}

struct FileCheck {
    fs::path path;
    ProtectedState state = ProtectedState::Intact;
    std::vector<bool> intact; // by slice
    std::uint32_t firstSlice = 0;
    std::uint64_t size = 0; // as found
    bool present = false;
    std::optional<Md5Digest> whole; // of all its bytes, when another file of the set is that long
    bool appended = false;          // its recorded bytes are whole, with more after them
    std::optional<std::size_t> foundIn; // the file of the set that holds its bytes whole
    // Where its intact slices are read: itself, or the file that holds it whole.
    const fs::path& ReadFrom(const std::vector<FileCheck>& files) const {
        return foundIn ? files[*foundIn].path : path;
    }
};

} // namespace

struct RecoveryScan {
    LoadedSet set;
    std::vector<FileCheck> files;
    std::vector<std::uint32_t> missing;                         // slice numbers
    std::vector<std::pair<std::size_t, std::uint64_t>> sliceOf; // slice number -> file, index
};

namespace {

using Checked = RecoveryScan;

// Reads every file the set protects once: its slices' checksums (only slices it holds whole
// count), its MD5, and all of its bytes' MD5 when its length is another file's, so that pieces
// swapped by name are found. Without recovery slices a file is judged by its MD5 alone: their
// checksums could not be used, and a crafted slice size would cost a pad that long.
Checked Check(const fs::path& par2File, const std::vector<std::string>& names, Meter& meter) {
    Checked c{LoadRecoverySet(par2File, names), {}, {}, {}};
    const fs::path folder = par2File.parent_path();
    const std::uint64_t sliceSize = c.set.SliceSize;
    const bool sliced = !c.set.Slices.empty();
    std::vector<std::uint64_t> lengths;
    for (const auto& file : c.set.Files)
        lengths.push_back(file.Length);
    std::sort(lengths.begin(), lengths.end());
    const auto someoneIsThisLong = [&](std::uint64_t size) {
        return std::binary_search(lengths.begin(), lengths.end(), size);
    };
    std::uint64_t total = 0;
    for (std::size_t f = 0; f < c.set.Files.size(); ++f) {
        FileCheck& check = c.files.emplace_back();
        check.path = LocationOf(folder, c.set.Files[f].Name);
        std::error_code error;
        if (KindOf(check.path) != EntryKind::Regular) continue;
        check.size = fs::file_size(check.path, error);
        if (error) continue;
        const std::uint64_t length = c.set.Files[f].Length;
        total += check.size != length && someoneIsThisLong(check.size)
                     ? check.size
                     : std::min(check.size, length);
    }
    meter.SetTotal(total);
    std::uint32_t slice = 0;
    for (std::size_t f = 0; f < c.files.size(); ++f) {
        const FileDescription& want = c.set.Files[f];
        const std::vector<SliceChecksum>& expected = c.set.Checksums[f];
        FileCheck& check = c.files[f];
        check.firstSlice = slice;
        check.intact.assign(expected.size(), false);
        for (std::uint64_t k = 0; k < expected.size(); ++k)
            c.sliceOf.push_back({f, k});
        slice += static_cast<std::uint32_t>(expected.size());
        check.state = ProtectedState::Missing;
        std::optional<File> in;
        if (KindOf(check.path) == EntryKind::Regular) {
            try {
                in.emplace(File::OpenForReading(check.path));
            } catch (const Failure&) { // unreadable: as good as missing
            }
        }
        if (in) {
            check.present = true;
            check.size = in->Size();
            const std::uint64_t recorded = std::min(check.size, want.Length);
            const bool wholeToo = check.size != want.Length && someoneIsThisLong(check.size);
            std::optional<SliceHasher> slices;
            if (sliced) slices.emplace(sliceSize);
            Md5 prefix, all;
            std::uint64_t seen = 0;
            in->ReadRange(0, wholeToo ? check.size : recorded,
                          [&](const std::uint8_t* b, std::size_t n) {
                              const auto part = static_cast<std::size_t>(
                                  std::min<std::uint64_t>(n, recorded - std::min(seen, recorded)));
                              if (part > 0) {
                                  if (slices)
                                      slices->Feed(b, part);
                                  else
                                      prefix.Update(b, part);
                              }
                              if (wholeToo) all.Update(b, n);
                              seen += n;
                              meter.Add(n);
                          });
            if (slices) slices->Finish();
            const Md5Digest hash = slices ? slices->FileHash() : prefix.Final();
            const bool recordedWhole =
                seen >= recorded && check.size >= want.Length && hash == want.Hash;
            check.state = recordedWhole && check.size == want.Length ? ProtectedState::Intact
                                                                     : ProtectedState::Damaged;
            check.appended = recordedWhole && check.size > want.Length;
            if (check.size == want.Length)
                check.whole = hash;
            else if (wholeToo)
                check.whole = all.Final();
            // A slice counts only when the file holds all of its bytes: the zeros that pad a cut
            // slice's checksum could stand for the bytes cut off.
            for (std::size_t k = 0; k < expected.size(); ++k)
                check.intact[k] = recordedWhole || (slices && k < slices->Slices().size() &&
                                                    std::min(want.Length, (k + 1) * sliceSize) <=
                                                        std::min(seen, recorded) &&
                                                    slices->Slices()[k] == expected[k]);
        }
    }
    // Whole files under another name of the set: found by length and MD5, their slices intact.
    for (std::size_t f = 0; f < c.files.size(); ++f) {
        FileCheck& check = c.files[f];
        if (check.state == ProtectedState::Intact || check.appended) continue;
        for (std::size_t g = 0; g < c.files.size(); ++g) {
            if (g != f && c.files[g].size == c.set.Files[f].Length && c.files[g].whole &&
                *c.files[g].whole == c.set.Files[f].Hash) {
                check.foundIn = g;
                check.intact.assign(check.intact.size(), true);
                break;
            }
        }
    }
    for (const FileCheck& check : c.files)
        for (std::size_t k = 0; k < check.intact.size(); ++k)
            if (!check.intact[k])
                c.missing.push_back(check.firstSlice + static_cast<std::uint32_t>(k));
    return c;
}

// Recovery slices whose matrix over the missing slices can be inverted: taken in order of
// exponent, each kept only when independent of those kept before, so that a choice that would be
// singular gives way to the next slices. Returns the indices in set.Slices (fewer than needed
// when no choice works).
std::vector<std::size_t> ChooseSlices(const Checked& c) {
    const std::size_t m = c.missing.size();
    std::vector<std::size_t> chosen;
    std::vector<std::vector<Gf>> basis; // rows in echelon form
    std::vector<std::size_t> pivots;
    for (std::size_t s = 0; s < c.set.Slices.size() && chosen.size() < m; ++s) {
        std::vector<Gf> row(m);
        for (std::size_t j = 0; j < m; ++j)
            row[j] = SliceFactor(c.missing[j], c.set.Slices[s].Exponent);
        for (std::size_t b = 0; b < basis.size(); ++b) {
            const Gf factor = row[pivots[b]];
            if (factor == 0) continue;
            for (std::size_t j = 0; j < m; ++j)
                row[j] ^= GfMultiply(factor, basis[b][j]);
        }
        const auto pivot = std::find_if(row.begin(), row.end(), [](Gf v) { return v != 0; });
        if (pivot == row.end()) continue;
        const Gf inverse = GfInverse(*pivot);
        for (auto& v : row)
            v = GfMultiply(v, inverse);
        pivots.push_back(static_cast<std::size_t>(pivot - row.begin()));
        basis.push_back(std::move(row));
        chosen.push_back(s);
    }
    return chosen;
}

// The inverse of the matrix A[r][j] = constant of missing slice j ^ exponent of chosen slice r.
std::vector<std::vector<Gf>> Invert(const Checked& c, const std::vector<std::size_t>& chosen) {
    const std::size_t m = chosen.size();
    std::vector<std::vector<Gf>> a(m, std::vector<Gf>(2 * m, 0));
    for (std::size_t r = 0; r < m; ++r) {
        for (std::size_t j = 0; j < m; ++j)
            a[r][j] = SliceFactor(c.missing[j], c.set.Slices[chosen[r]].Exponent);
        a[r][m + r] = 1;
    }
    for (std::size_t col = 0; col < m; ++col) {
        std::size_t pivot = col;
        while (pivot < m && a[pivot][col] == 0)
            ++pivot;
        if (pivot == m)
            throw Failure("The recovery slices could not be solved."); // chosen so it is not
        std::swap(a[pivot], a[col]);
        const Gf inverse = GfInverse(a[col][col]);
        for (auto& v : a[col])
            v = GfMultiply(v, inverse);
        for (std::size_t r = 0; r < m; ++r) {
            const Gf factor = a[r][col];
            if (r == col || factor == 0) continue;
            for (std::size_t j = col; j < 2 * m; ++j)
                a[r][j] ^= GfMultiply(factor, a[col][j]);
        }
    }
    std::vector<std::vector<Gf>> inverse;
    for (auto& row : a) {
        inverse.emplace_back(row.begin() + static_cast<std::ptrdiff_t>(m), row.end());
        std::vector<Gf>().swap(row); // memory back as it goes
    }
    return inverse;
}

RecoveryStatus StatusOf(std::shared_ptr<const Checked> scan) {
    const Checked& c = *scan;
    RecoveryStatus status;
    for (std::size_t f = 0; f < c.files.size(); ++f) {
        const FileCheck& check = c.files[f];
        status.Files.push_back({c.set.Files[f].Name, check.state,
                                check.foundIn ? c.set.Files[*check.foundIn].Name : std::string(),
                                check.appended ? check.size - c.set.Files[f].Length : 0});
    }
    status.SlicesAvailable = static_cast<std::uint32_t>(c.set.Slices.size());
    status.SliceSize = c.set.SliceSize;
    const std::size_t m = c.missing.size();
    if (m == 0) {
        status.Repairable = true;
    } else if (m > kMaxMissingSlices) {
        status.SlicesMissing = static_cast<std::uint32_t>(m);
    } else if (m > c.set.Slices.size()) {
        status.SlicesNeeded = static_cast<std::uint32_t>(m - c.set.Slices.size());
    } else {
        const std::size_t rank = ChooseSlices(c).size();
        status.Repairable = rank == m;
        status.SlicesNeeded = static_cast<std::uint32_t>(m - rank);
    }
    status.Scan = std::move(scan);
    return status;
}

// Copies `count` bytes from `from` at `at` to the same place in `out`, showing them to `seen`.
void CopyAt(File& out, File& from, std::uint64_t at, std::uint64_t count, Meter& meter,
            const ByteSink& seen) {
    out.Seek(at);
    out.CopyFrom(
        from, at, count, [&](std::uint64_t n) { meter.Add(n); }, seen);
}

[[noreturn]] void NotRebuilt(const fs::path& path) {
    throw Failure("\"" + DisplayPath(path) +
                  "\" could not be rebuilt: the result does not match its checksum.");
}

// The checksums of one slice of bytes, zero-padded as the set records them.
SliceChecksum ChecksumOf(std::uint64_t sliceSize,
                         const std::function<void(const ByteSink&)>& feed) {
    SliceHasher hasher(sliceSize);
    feed([&](const std::uint8_t* bytes, std::size_t size) { hasher.Feed(bytes, size); });
    hasher.Finish();
    return hasher.Slices().front();
}

} // namespace

bool RecoveryStatus::AllIntact() const {
    return std::all_of(Files.begin(), Files.end(),
                       [](const Entry& entry) { return entry.State == ProtectedState::Intact; });
}

std::string RecoveryStatus::Shortfall() const {
    if (Repairable) return {};
    if (SlicesMissing > 0)
        return std::to_string(SlicesMissing) +
               " slices are lost; this tool rebuilds at most 4,096 lost slices (par2 repair can "
               "rebuild more).";
    return std::to_string(SlicesNeeded) + " more recovery slice" +
           (SlicesNeeded == 1 ? " is" : "s are") + " needed.";
}

std::string RebuiltMessage(std::size_t pieces, bool index) {
    const std::string tail = " rebuilt from the recovery data.";
    if (pieces == 0) return "The index was" + tail;
    const std::string counted = pieces == 1 ? "1 piece" : std::to_string(pieces) + " pieces";
    if (index) return counted + " and the index were" + tail;
    return counted + (pieces == 1 ? " was" : " were") + tail;
}

RecoveryStatus ScanRecovery(const fs::path& par2File, const Progress& progress,
                            const std::vector<std::string>& expected) {
    Meter meter(progress, 0);
    return StatusOf(std::make_shared<const Checked>(Check(par2File, expected, meter)));
}

std::vector<RebuiltFile> RebuildFiles(const fs::path& par2File, const CreateOutput& create,
                                      const Progress& progress) {
    return RebuildFiles(ScanRecovery(par2File, progress), create, progress);
}

std::vector<RebuiltFile> RebuildFiles(const RecoveryStatus& status, const CreateOutput& create,
                                      const Progress& progress, const FinishOutput& finish) {
    if (!status.Scan) return {};
    if (!status.Repairable) throw Failure("The files cannot be rebuilt: " + status.Shortfall());
    const Checked& c = *status.Scan;
    Meter meter(progress, 0);
    const std::size_t m = c.missing.size();
    const std::vector<std::size_t> chosen = m > 0 ? ChooseSlices(c) : std::vector<std::size_t>();
    if (chosen.size() < m) // the files changed since the check
        throw Failure("The files cannot be rebuilt: the recovery slices could not be solved.");
    const std::uint64_t sliceSize = c.set.SliceSize;

    // The rebuilt files, with the slices that survived (or the whole file found) copied in. What
    // is written is checked as it is written (a file the rebuild made may not be readable again
    // until its transaction has flushed it): a copied file by its MD5, every slice by its own.
    std::vector<RebuiltFile> rebuilt;
    std::vector<std::optional<File>> outputs(c.files.size());
    std::uint64_t copied = 0;
    for (std::size_t f = 0; f < c.files.size(); ++f)
        if (c.files[f].state != ProtectedState::Intact) copied += c.set.Files[f].Length;
    meter.SetTotal(copied);
    for (std::size_t f = 0; f < c.files.size(); ++f) {
        const FileCheck& check = c.files[f];
        if (check.state == ProtectedState::Intact) continue;
        outputs[f].emplace(create(check.path));
        rebuilt.push_back({check.path, outputs[f]->Path()});
        const std::uint64_t length = c.set.Files[f].Length;
        if (check.appended || check.foundIn) { // cut back, or put back under its name
            File in = File::OpenForReading(check.ReadFrom(c.files));
            Md5 md5;
            CopyAt(*outputs[f], in, 0, length, meter,
                   [&](const std::uint8_t* bytes, std::size_t size) { md5.Update(bytes, size); });
            if (md5.Final() != c.set.Files[f].Hash) NotRebuilt(check.path);
            continue;
        }
        if (check.state == ProtectedState::Missing) continue;
        File in = File::OpenForReading(check.path);
        for (std::size_t k = 0; k < check.intact.size(); ++k) {
            if (!check.intact[k]) continue;
            const SliceChecksum slice = ChecksumOf(sliceSize, [&](const ByteSink& seen) {
                CopyAt(*outputs[f], in, k * sliceSize, std::min(sliceSize, length - k * sliceSize),
                       meter, seen);
            });
            if (slice != c.set.Checksums[f][k]) NotRebuilt(check.path);
        }
    }

    std::vector<std::optional<SliceHasher>> made(m); // each rebuilt slice's checksums
    if (m > 0) {
        auto inverse = Invert(c, chosen);
        Combination combination;
        combination.SliceSize = sliceSize;
        std::vector<std::uint32_t> knownSlice; // source -> slice number
        for (std::size_t f = 0; f < c.files.size(); ++f) {
            combination.Files.push_back(c.files[f].ReadFrom(c.files));
            for (std::size_t k = 0; k < c.files[f].intact.size(); ++k) {
                if (!c.files[f].intact[k]) continue;
                const std::uint64_t at = k * sliceSize;
                combination.Sources.push_back(
                    {f, at, std::min(sliceSize, c.set.Files[f].Length - at)});
                knownSlice.push_back(c.files[f].firstSlice + static_cast<std::uint32_t>(k));
            }
        }
        for (const std::size_t s : chosen) {
            const RecoverySliceRef& slice = c.set.Slices[s];
            combination.Files.push_back(c.set.ParFiles[slice.File]);
            combination.Sources.push_back(
                {combination.Files.size() - 1, slice.DataOffset, sliceSize});
        }
        combination.Outputs = static_cast<std::uint32_t>(m);
        // Missing slice j = sum over r of inverse[j][r] * (recovery slice r + sum over the known
        // slices i of constant_i ^ exponent_r * slice i): a known slice's coefficient is a sum
        // over r.
        constexpr std::uint32_t kZero = 0xFFFF; // the logarithm of no element: 0 has none
        std::vector<std::vector<std::uint16_t>> logInverse(m, std::vector<std::uint16_t>(m));
        for (std::size_t j = 0; j < m; ++j)
            for (std::size_t r = 0; r < m; ++r)
                logInverse[j][r] =
                    static_cast<std::uint16_t>(inverse[j][r] ? GfLog(inverse[j][r]) : kZero);
        std::vector<std::vector<Gf>>().swap(inverse);
        combination.Coefficients = [&](std::size_t source, std::uint32_t first, std::uint32_t count,
                                       Gf* column) {
            if (source >= knownSlice.size()) {
                const std::size_t r = source - knownSlice.size();
                for (std::uint32_t o = 0; o < count; ++o) {
                    const std::uint32_t log = logInverse[first + o][r];
                    column[o] = log == kZero ? 0 : GfExp(log);
                }
                return;
            }
            std::vector<std::uint32_t> power(m); // log of constant_i ^ exponent_r
            const std::uint64_t n = SliceLog(knownSlice[source]);
            for (std::size_t r = 0; r < m; ++r)
                power[r] = static_cast<std::uint32_t>(n * c.set.Slices[chosen[r]].Exponent % 65535);
            for (std::uint32_t o = 0; o < count; ++o) {
                const std::vector<std::uint16_t>& row = logInverse[first + o];
                Gf sum = 0;
                for (std::size_t r = 0; r < m; ++r)
                    if (row[r] != kZero) sum ^= GfExp(row[r] + power[r]);
                column[o] = sum;
            }
        };
        combination.Made = [&](std::uint32_t j, std::uint64_t offset, const std::uint8_t* bytes,
                               std::size_t size) {
            const auto [f, k] = c.sliceOf[c.missing[j]];
            const std::uint64_t at = k * sliceSize + offset;
            const std::uint64_t length = c.set.Files[f].Length;
            if (at >= length) return;
            const auto real = static_cast<std::size_t>(std::min<std::uint64_t>(size, length - at));
            outputs[f]->Seek(at);
            outputs[f]->WriteAll(bytes, real);
            if (!made[j]) made[j].emplace(sliceSize);
            made[j]->Feed(bytes, real);
        };
        combination.Advanced = [&](std::uint64_t n) { meter.Add(n); };
        meter.SetTotal(meter.Done() + BytesToRead(combination));
        Combine(combination);
    }

    for (std::size_t j = 0; j < m; ++j) {
        const auto [f, k] = c.sliceOf[c.missing[j]];
        made[j]->Finish();
        if (made[j]->Slices().front() != c.set.Checksums[f][k]) NotRebuilt(c.files[f].path);
    }
    for (auto& output : outputs) {
        if (!output) continue;
        if (finish)
            finish(*output);
        else
            output->Close();
    }
    return rebuilt;
}

RebuiltCopies::RebuiltCopies(const fs::path& par2File, const fs::path& folder,
                             const Progress& progress)
    : RebuiltCopies(ScanRecovery(par2File, progress), folder, progress) {}

RebuiltCopies::RebuiltCopies(const RecoveryStatus& status, const fs::path& folder,
                             const Progress& progress)
    : lock_(std::make_shared<RunLock>(folder)) {
    std::vector<std::pair<fs::path, FileIdentity>> made;
    const CreateOutput create = [&](const fs::path& final) {
        // Under one lock held while the copies live: another run in the folder leaves them be.
        File file = File::CreateBeside(folder / final.filename(), lock_);
        made.emplace_back(file.Path(), file.Identity());
        return file;
    };
    try {
        for (auto& file : RebuildFiles(status, create, progress)) {
            const auto found = std::find_if(made.begin(), made.end(),
                                            [&](const auto& m) { return m.first == file.Written; });
            copies_.push_back({std::move(file), found->second});
        }
    } catch (...) {
        for (const auto& [path, identity] : made)
            RemoveTemporaryQuietly(path, identity);
        throw;
    }
}

RebuiltCopies::~RebuiltCopies() {
    for (const auto& copy : copies_)
        RemoveTemporaryQuietly(copy.file.Written, copy.identity);
}

fs::path RebuiltCopies::ReadFrom(const fs::path& path) const {
    std::error_code error;
    for (const auto& copy : copies_)
        if (copy.file.Final == path ||
            fs::weakly_canonical(copy.file.Final, error) == fs::weakly_canonical(path, error))
            return copy.file.Written;
    return path;
}

} // namespace zendra
