#include "RecoveryCommands.h"

#include "Interrupt.h"
#include "base/Failure.h"
#include "engine/Replace.h"
#include "formats/Checksum.h"
#include "formats/Formats.h"
#include "io/File.h"
#include "recovery/Recovery.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <map>
#include <ostream>
#include <vector>

namespace zendra {
namespace {

namespace fs = std::filesystem;

constexpr int kOk = 0, kFailed = 1, kRepairable = 3;

std::optional<std::uint64_t> Number(const std::string& text, std::uint64_t low,
                                    std::uint64_t high) {
    std::uint64_t value = 0;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    if (parsed.ec != std::errc() || parsed.ptr != text.data() + text.size() || value < low ||
        value > high)
        return std::nullopt;
    return value;
}

int Failed(std::ostream& err, const std::string& message) {
    err << "zendra-cli: " << message << '\n';
    return InterruptRequested() ? InterruptExitStatus() : kFailed;
}

enum class State { Intact, Damaged, Missing, Unknown };

const char* StateText(State state) {
    switch (state) {
    case State::Intact:
        return "intact ";
    case State::Damaged:
        return "damaged";
    case State::Missing:
        return "missing";
    default:
        return "unknown";
    }
}

State FromRecovery(ProtectedState state) {
    return state == ProtectedState::Intact    ? State::Intact
           : state == ProtectedState::Damaged ? State::Damaged
                                              : State::Missing;
}

struct Judged {
    std::string name;
    State state = State::Intact;
    std::string note;
};

// What every file the set needs is found to be, and what keeps a repair from making it whole.
struct Verdict {
    RecoveryStatus status;
    std::vector<Judged> files;
    std::vector<std::string> problems; // beyond what the recovery data can rebuild
    fs::path folder;
    std::string indexName;
    int Exit() const {
        if (!problems.empty() || !status.Repairable) return kFailed;
        return status.AllIntact() ? kOk : kRepairable;
    }
};

std::optional<SplitIndex> ReadIndexRecord(const fs::path& path) {
    if (KindOf(path) != EntryKind::Regular) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    try {
        File file = File::OpenForReading(path);
        file.ReadRange(
            0, kIndexFixedSize + kMaxIndexPathBytes + kLongSizeRecordSize,
            [&](const std::uint8_t* b, std::size_t n) { bytes.insert(bytes.end(), b, b + n); });
    } catch (const Failure&) { // unreadable: judged missing
        return std::nullopt;
    }
    auto index = DecodeIndex(bytes);
    if (!index || index->PieceCount < 1 || index->FileSize < 0) return std::nullopt;
    return index;
}

// A piece file read as a join reads it: the XXH128 of the whole file into `hex` (when asked), its
// data (between header and trailer) into `whole`. Returns the data's length, nothing when the
// file is not a well-formed piece.
std::optional<std::uint64_t> ReadPiece(const fs::path& path, std::string* hex, Hash128& whole,
                                       const Progress& progress) {
    File in = File::OpenForReading(path);
    const std::uint64_t size = in.Size();
    std::array<std::uint8_t, kPieceHeaderSize> header{};
    if (size < kPieceHeaderSize || in.Read(header.data(), header.size()) != header.size())
        return std::nullopt;
    const auto length = DecodePieceHeader(header);
    if (!length || size < kPieceHeaderSize + *length + kPieceTrailerSize) return std::nullopt;
    if (!hex) return *length;
    Hash128 file;
    std::uint64_t at = 0;
    in.ReadRange(0, size, [&](const std::uint8_t* b, std::size_t n) {
        file.Update(b, n);
        const std::uint64_t from = std::max<std::uint64_t>(at, kPieceHeaderSize);
        const std::uint64_t to = std::min<std::uint64_t>(at + n, kPieceHeaderSize + *length);
        if (from < to) whole.Update(b + (from - at), static_cast<std::size_t>(to - from));
        at += n;
        // The bar stays full while the checksums are read: a cancel is still heard.
        if (progress && !progress(1, 1)) throw Failure::Cancelled();
    });
    *hex = file.Hex();
    return *length;
}

Verdict Judge(const fs::path& index, const Progress& progress) {
    Verdict v;
    const auto recovery = FindRecoveryFile(index);
    if (!recovery)
        throw Failure("There are no recovery files beside \"" + DisplayPath(index) +
                      "\" (NAME.par2 or NAME.vol*.par2).");
    v.status = ScanRecovery(*recovery, progress);
    v.folder = index.parent_path();
    v.indexName = DisplayPath(index.filename());
    fs::path base = index;
    if (base.extension() == ".tpl") base.replace_extension();
    std::map<std::string, const RecoveryStatus::Entry*> covered;
    for (const auto& entry : v.status.Files)
        covered[entry.Name] = &entry;
    const auto fromRecovery = [&](const RecoveryStatus::Entry& entry) {
        Judged judged{entry.Name, FromRecovery(entry.State), {}};
        if (!entry.FoundIn.empty())
            judged.note = "its bytes are whole in \"" + entry.FoundIn + "\"";
        else if (entry.Extra > 0)
            judged.note = std::to_string(entry.Extra) + " bytes too many at its end";
        return judged;
    };

    // The index: by the recovery data, else by its record agreeing with the pieces (below).
    std::optional<SplitIndex> record = ReadIndexRecord(index);
    const auto indexEntry = covered.find(v.indexName);
    if (indexEntry != covered.end()) {
        v.files.push_back(fromRecovery(*indexEntry->second));
        if (v.files.back().state != State::Intact) record.reset();
        covered.erase(indexEntry);
    } else if (record) {
        v.files.push_back({v.indexName, State::Intact, {}});
    } else {
        const bool present = KindOf(index) != EntryKind::Missing;
        v.files.push_back(
            {v.indexName, present ? State::Damaged : State::Missing, "no recovery data covers it"});
        v.problems.push_back("The index \"" + v.indexName + "\" is " +
                             (present ? "damaged" : "missing") +
                             ", and no recovery data covers it.");
    }

    // The pieces: those the index names, else (an index the recovery data rebuilds) those the
    // recovery data covers.
    std::vector<std::string> pieces;
    if (record) {
        for (std::int32_t k = 0; k < record->PieceCount; ++k)
            pieces.push_back(DisplayPath(PieceName(base, record->FirstNumber + k).filename()));
    } else {
        for (const auto& [name, entry] : covered)
            pieces.push_back(name);
    }
    const fs::path checksumPath = ChecksumName(base);
    const std::string checksumName = DisplayPath(checksumPath.filename());
    std::optional<ChecksumList> list;
    std::vector<std::string> checksumProblems;
    if (KindOf(checksumPath) != EntryKind::Missing) {
        std::string text;
        try {
            File file = File::OpenForReading(checksumPath);
            file.ReadRange(0, 64 << 20, [&](const std::uint8_t* b, std::size_t n) {
                text.append(reinterpret_cast<const char*>(b), n);
            });
            list = DecodeChecksums(text);
            if (!list) checksumProblems.push_back("it holds no checksum line, or is damaged");
        } catch (const Failure& failure) {
            if (failure.Kind() == FailureKind::Cancelled) throw;
            checksumProblems.push_back("it cannot be read");
        }
    }
    Hash128 whole;
    std::uint64_t joined = 0;
    bool allRead = true; // every piece intact and well formed: the lengths and the whole checked
    for (const std::string& name : pieces) {
        const fs::path path = v.folder / PathFromUtf8(name);
        const auto entry = covered.find(name);
        const bool byRecovery = entry != covered.end();
        Judged judged{name, State::Intact, {}};
        if (byRecovery) {
            judged = fromRecovery(*entry->second);
            covered.erase(entry);
        } else if (KindOf(path) != EntryKind::Regular) {
            judged.state = State::Missing;
        }
        const auto line = list ? list->find(name) : ChecksumList::const_iterator();
        if (!byRecovery && judged.state == State::Intact && (!list || line == list->end()))
            judged.state = State::Unknown;
        if (list && line == list->end())
            checksumProblems.push_back("it has no line for \"" + name +
                                       "\": it belongs to another split");
        std::optional<std::uint64_t> length;
        if (judged.state == State::Intact) {
            std::string hex;
            length = ReadPiece(path, list ? &hex : nullptr, whole, progress);
            if (list && line != list->end() && hex != line->second) {
                if (byRecovery)
                    checksumProblems.push_back("its line for \"" + name +
                                               "\" does not match the piece, which the recovery "
                                               "data shows intact");
                else
                    judged.state = State::Damaged;
            }
        }
        if (judged.state != State::Intact || !length)
            allRead = false;
        else
            joined += *length;
        if (!byRecovery && judged.state != State::Intact) {
            judged.note = judged.state == State::Unknown
                              ? "neither a checksum line nor the recovery data covers it"
                              : "no recovery data covers it";
            v.problems.push_back(judged.state == State::Unknown
                                     ? "Nothing can check \"" + name + "\": " + judged.note + "."
                                     : "\"" + name + "\" is " + StateText(judged.state) +
                                           ", and no recovery data covers it.");
        }
        v.files.push_back(std::move(judged));
    }
    if (record && allRead && joined != static_cast<std::uint64_t>(record->FileSize)) {
        v.files.front().state = State::Damaged;
        v.files.front().note = "it records " + std::to_string(record->FileSize) +
                               " bytes, its pieces hold " + std::to_string(joined);
        v.problems.push_back("The index \"" + v.indexName +
                             "\" does not agree with its pieces: " + v.files.front().note + ".");
    }
    if (list && allRead) {
        const std::string source = DisplayPath(base.filename());
        const auto line = list->find(source);
        if (line == list->end())
            checksumProblems.push_back("it has no line for \"" + source + "\"");
        else if (line->second != whole.Hex())
            checksumProblems.push_back("its line for \"" + source +
                                       "\" does not match the pieces joined");
    }
    if (KindOf(checksumPath) != EntryKind::Missing) {
        Judged judged{checksumName, State::Intact, {}};
        if (!checksumProblems.empty()) {
            judged.state = State::Damaged;
            judged.note = checksumProblems.front();
            for (const auto& problem : checksumProblems)
                v.problems.push_back("The checksum file \"" + checksumName +
                                     "\" is wrong: " + problem + ".");
        }
        v.files.push_back(std::move(judged));
    }
    // Files the recovery data covers besides (a set par2cmdline made with extra files).
    for (const auto& [name, entry] : covered)
        v.files.push_back(fromRecovery(*entry));
    return v;
}

void Print(const Verdict& v, bool quiet, std::ostream& out) {
    for (const auto& file : v.files)
        if (!quiet || file.state != State::Intact)
            out << "  " << StateText(file.state) << "  " << file.name
                << (file.note.empty() ? "" : "  (" + file.note + ")") << '\n';
}

} // namespace

std::string CheckRecoveryArguments(const RecoveryArguments& arguments) {
    if (arguments.Percent && !Number(*arguments.Percent, 1, 100))
        return "--recovery takes a percentage from 1 to 100";
    if (arguments.Pieces && !Number(*arguments.Pieces, 1, 32767))
        return "--recovery-pieces takes a whole number from 1 to 32767";
    if (arguments.Slices && !Number(*arguments.Slices, 1, 32768))
        return "--recovery-slices takes a whole number from 1 to 32768";
    if (arguments.SliceSize) {
        const auto size = Number(*arguments.SliceSize, 4, kMaxSliceSize);
        if (!size || *size % 4 != 0)
            return "--slice-size takes a multiple of 4 bytes from 4 to 4294967296";
    }
    if (arguments.Pieces && (arguments.Percent || arguments.Slices))
        return "--recovery-pieces excludes --recovery and --recovery-slices";
    if (arguments.SliceSize && !arguments.Percent && !arguments.Slices && !arguments.Pieces)
        return "--slice-size goes with --recovery, --recovery-pieces or --recovery-slices";
    return {};
}

std::optional<RecoveryOptions> RecoveryOptionsOf(const RecoveryArguments& arguments) {
    if (!arguments.Any()) return std::nullopt;
    RecoveryOptions options;
    if (arguments.Percent) options.Percent = std::stoi(*arguments.Percent);
    if (arguments.Pieces) {
        options.Percent = 0;
        options.Pieces = static_cast<std::uint32_t>(std::stoul(*arguments.Pieces));
    }
    if (arguments.Slices)
        options.SliceCount = static_cast<std::uint32_t>(std::stoul(*arguments.Slices));
    if (arguments.SliceSize) options.SliceSize = std::stoull(*arguments.SliceSize);
    return options;
}

bool HasRecoveryFiles(const fs::path& index) {
    return FindRecoveryFile(index).has_value();
}

int VerifyWithRecovery(const fs::path& index, bool quiet, std::ostream& out, std::ostream& err,
                       const Progress& progress) {
    Verdict v;
    try {
        v = Judge(index, progress);
    } catch (const std::exception& error) {
        return Failed(err, error.what());
    }
    Print(v, quiet, out);
    const std::size_t broken = static_cast<std::size_t>(std::count_if(
        v.files.begin(), v.files.end(), [](const Judged& f) { return f.state != State::Intact; }));
    const int exit = v.Exit();
    if (exit == kOk) {
        if (!quiet) out << "All " << v.files.size() << " files are intact.\n";
        return kOk;
    }
    if (exit == kRepairable) {
        out << broken << " of " << v.files.size()
            << " files are damaged or missing; the recovery data can rebuild them (zendra-cli "
               "repair).\n";
        return kRepairable;
    }
    if (!v.status.Repairable)
        out << broken << " of " << v.files.size()
            << " files are damaged or missing, and the recovery data cannot rebuild them: "
            << v.status.Shortfall() << '\n';
    else
        out << broken << " of " << v.files.size()
            << " files are damaged, missing or unknown, and a repair cannot make the set whole.\n";
    for (const auto& problem : v.problems)
        err << "zendra-cli: " << problem << '\n';
    return kFailed;
}

int RepairPieces(const fs::path& index, bool quiet, std::ostream& out, std::ostream& err,
                 const Progress& progress) {
    std::size_t pieces = 0, indexRebuilt = 0;
    Verdict v;
    try {
        // First, as every command that writes there: what a killed run left in the folder is
        // mended before the set is judged.
        Replacement replace(index, [&](const std::string& line) {
            if (!quiet) err << "zendra-cli: " << line << '\n';
        });
        v = Judge(index, progress);
        if (!v.status.Repairable)
            throw Failure("The files cannot be rebuilt: " + v.status.Shortfall() +
                          " Nothing was written.");
        if (!v.status.AllIntact()) {
            for (const auto& entry : v.status.Files)
                if (entry.State != ProtectedState::Intact)
                    replace.Check(v.folder / PathFromUtf8(entry.Name));
            const auto rebuilt = RebuildFiles(
                v.status, [&](const fs::path& final) { return replace.Create(final); }, progress,
                [&](File& file) { replace.Finish(file); });
            replace.Commit();
            for (const auto& file : rebuilt)
                (DisplayPath(file.Final.filename()) == v.indexName ? indexRebuilt : pieces) += 1;
        }
    } catch (const std::exception& error) {
        return Failed(err, error.what());
    }
    if (!quiet)
        out << (pieces + indexRebuilt > 0 ? RebuiltMessage(pieces, indexRebuilt > 0)
                : v.problems.empty()      ? "All files are intact; nothing was written."
                                          : "The recovery data has nothing to rebuild; nothing was "
                                            "written.")
            << '\n';
    for (const auto& problem : v.problems)
        err << "zendra-cli: " << problem << '\n';
    return v.problems.empty() ? kOk : kFailed;
}

} // namespace zendra
