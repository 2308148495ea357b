// ScanRecovery and RebuildFiles: which slices survive, which recovery slices solve for the rest.
#include "Recovery.h"

#include "Combiner.h"
#include "Failure.h"
#include "File.h"
#include "Reader.h"
#include "SliceHasher.h"

#include <algorithm>
#include <optional>

namespace zendra {
namespace {

using namespace par2;
namespace fs = std::filesystem;

// The largest number of missing slices solved at once: its matrix, with the inverse made beside
// it, takes 64 MiB.
constexpr std::size_t kMaxMissing = 4096;

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
};

struct Checked {
    LoadedSet set;
    std::vector<FileCheck> files;
    std::vector<std::uint32_t> missing;                         // slice numbers
    std::vector<std::pair<std::size_t, std::uint64_t>> sliceOf; // slice number -> file, index
};

// `rebuilding`: the check is the first half of a rebuild, for the progress shown.
Checked Check(const fs::path& par2File, Meter& meter, bool rebuilding) {
    Checked c{LoadRecoverySet(par2File), {}, {}, {}};
    const fs::path folder = par2File.parent_path();
    const std::uint64_t sliceSize = c.set.SliceSize;
    std::uint64_t total = 0;
    for (const auto& file : c.set.Files) {
        c.files.push_back({LocationOf(folder, file.Name), {}, {}, 0});
        if (KindOf(c.files.back().path) == EntryKind::Regular) total += file.Length;
    }
    meter.SetTotal(rebuilding ? 2 * total : total);
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
        std::optional<File> in;
        if (KindOf(check.path) == EntryKind::Regular) {
            try {
                in.emplace(File::OpenForReading(check.path));
            } catch (const Failure&) { // unreadable: as good as missing
            }
        }
        if (!in) {
            check.state = ProtectedState::Missing;
        } else {
            const std::uint64_t size = in->Size();
            SliceHasher hasher(sliceSize);
            in->ReadRange(0, std::min(size, want.Length),
                          [&](const std::uint8_t* b, std::size_t n) {
                              hasher.Feed(b, n);
                              meter.Add(n);
                          });
            hasher.Finish();
            const bool whole = size == want.Length && hasher.FileHash() == want.Hash;
            check.state = whole ? ProtectedState::Intact : ProtectedState::Damaged;
            for (std::size_t k = 0; k < expected.size(); ++k)
                check.intact[k] =
                    whole || (k < hasher.Slices().size() && hasher.Slices()[k] == expected[k]);
        }
        for (std::size_t k = 0; k < expected.size(); ++k)
            if (!check.intact[k])
                c.missing.push_back(check.firstSlice + static_cast<std::uint32_t>(k));
    }
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

RecoveryStatus StatusOf(const Checked& c) {
    RecoveryStatus status;
    for (std::size_t f = 0; f < c.files.size(); ++f)
        status.Files.push_back({c.set.Files[f].Name, c.files[f].state});
    status.SlicesAvailable = static_cast<std::uint32_t>(c.set.Slices.size());
    const std::size_t m = c.missing.size();
    if (m == 0) {
        status.Repairable = true;
    } else if (m > c.set.Slices.size()) {
        status.SlicesNeeded = static_cast<std::uint32_t>(m - c.set.Slices.size());
    } else if (m <= kMaxMissing) {
        const std::size_t rank = ChooseSlices(c).size();
        status.Repairable = rank == m;
        status.SlicesNeeded = static_cast<std::uint32_t>(m - rank);
    }
    return status;
}

} // namespace

bool RecoveryStatus::AllIntact() const {
    return std::all_of(Files.begin(), Files.end(),
                       [](const Entry& entry) { return entry.State == ProtectedState::Intact; });
}

std::string RebuiltMessage(std::size_t count) {
    return count == 1 ? "1 piece was rebuilt from the recovery data."
                      : std::to_string(count) + " pieces were rebuilt from the recovery data.";
}

RecoveryStatus ScanRecovery(const fs::path& par2File, const Progress& progress) {
    Meter meter(progress, 0);
    return StatusOf(Check(par2File, meter, false));
}

std::vector<RebuiltFile> RebuildFiles(const fs::path& par2File, const CreateOutput& create,
                                      const Progress& progress) {
    Meter meter(progress, 0);
    const Checked c = Check(par2File, meter, true);
    const std::size_t m = c.missing.size();
    if (m == 0) return {};
    if (m > kMaxMissing)
        throw Failure("Too many slices are missing to rebuild them: " + std::to_string(m) +
                          ".");
    const std::vector<std::size_t> chosen = ChooseSlices(c);
    if (chosen.size() < m) {
        const RecoveryStatus status = StatusOf(c);
        throw Failure("The files cannot be rebuilt: " + std::to_string(status.SlicesNeeded) +
                          " more recovery slices are needed.");
    }
    auto inverse = Invert(c, chosen);
    const std::uint64_t sliceSize = c.set.SliceSize;

    // The rebuilt files, with the slices that survived copied in at their places.
    std::vector<RebuiltFile> rebuilt;
    std::vector<std::optional<File>> outputs(c.files.size());
    for (std::size_t f = 0; f < c.files.size(); ++f) {
        const FileCheck& check = c.files[f];
        if (check.state == ProtectedState::Intact) continue;
        outputs[f].emplace(create(check.path));
        rebuilt.push_back({check.path, outputs[f]->Path()});
        if (check.state == ProtectedState::Missing) continue;
        File in = File::OpenForReading(check.path);
        for (std::size_t k = 0; k < check.intact.size(); ++k) {
            if (!check.intact[k]) continue;
            const std::uint64_t at = k * sliceSize;
            outputs[f]->Seek(at);
            outputs[f]->CopyFrom(in, at, std::min(sliceSize, c.set.Files[f].Length - at),
                                 [&](std::uint64_t n) { meter.Add(n); });
        }
    }

    Combination combination;
    combination.SliceSize = sliceSize;
    std::vector<std::uint32_t> knownSlice; // source -> slice number
    for (std::size_t f = 0; f < c.files.size(); ++f) {
        combination.Files.push_back(c.files[f].path);
        for (std::size_t k = 0; k < c.files[f].intact.size(); ++k) {
            if (!c.files[f].intact[k]) continue;
            const std::uint64_t at = k * sliceSize;
            combination.Sources.push_back({f, at, std::min(sliceSize, c.set.Files[f].Length - at)});
            knownSlice.push_back(c.files[f].firstSlice + static_cast<std::uint32_t>(k));
        }
    }
    for (const std::size_t s : chosen) {
        const RecoverySliceRef& slice = c.set.Slices[s];
        combination.Files.push_back(c.set.ParFiles[slice.File]);
        combination.Sources.push_back({combination.Files.size() - 1, slice.DataOffset, sliceSize});
    }
    combination.Outputs = static_cast<std::uint32_t>(m);
    // Missing slice j = sum over r of inverse[j][r] * (recovery slice r + sum over the known
    // slices i of constant_i ^ exponent_r * slice i): a known slice's coefficient is a sum over r.
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
        outputs[f]->Seek(at);
        outputs[f]->WriteAll(bytes,
                             static_cast<std::size_t>(std::min<std::uint64_t>(size, length - at)));
    };
    combination.Advanced = [&](std::uint64_t n) { meter.Add(n); };
    std::uint64_t rebuiltBytes = 0;
    for (std::size_t f = 0; f < c.files.size(); ++f)
        if (outputs[f]) rebuiltBytes += c.set.Files[f].Length;
    meter.SetTotal(meter.Done() + BytesToRead(combination) + rebuiltBytes);
    Combine(combination);

    // Each rebuilt file is read back and checked before anyone may use it.
    for (std::size_t f = 0; f < c.files.size(); ++f) {
        if (!outputs[f]) continue;
        outputs[f]->Close();
        File check = File::OpenForReading(outputs[f]->Path());
        Md5 md5;
        std::uint64_t size = 0;
        check.ReadRange(0, check.Size(), [&](const std::uint8_t* b, std::size_t n) {
            md5.Update(b, n);
            size += n;
            meter.Add(n);
        });
        if (size != c.set.Files[f].Length || md5.Final() != c.set.Files[f].Hash)
            throw Failure("\"" + DisplayPath(c.files[f].path) +
                              "\" could not be rebuilt: the result does not match its checksum.");
    }
    return rebuilt;
}

RebuiltCopies::RebuiltCopies(const fs::path& par2File, const fs::path& folder,
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
        for (auto& file : RebuildFiles(par2File, create, progress)) {
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
