#include "RecoveryCommands.h"

#include "Failure.h"
#include "File.h"
#include "Formats.h"
#include "Interrupt.h"
#include "Recovery.h"

#include <algorithm>
#include <charconv>
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

// Files made under temporary names, renamed over their final names together at the end, or
// removed when anything fails first.
class Staging {
  public:
    ~Staging() {
        for (const auto& file : staged_)
            RemoveTemporaryQuietly(file.temporary, file.identity);
    }
    CreateOutput Create() {
        return [this](const fs::path& final) {
            CheckWritableName(final);
            File file = File::CreateBeside(final);
            staged_.push_back({file.Path(), final, file.Identity()});
            return file;
        };
    }
    void Commit() {
        while (!staged_.empty()) {
            MoveFileOver(staged_.front().temporary, staged_.front().final);
            staged_.erase(staged_.begin());
        }
    }

  private:
    struct Staged {
        fs::path temporary, final;
        FileIdentity identity;
    };
    std::vector<Staged> staged_;
};

const char* StateText(ProtectedState state) {
    switch (state) {
    case ProtectedState::Intact:
        return "intact ";
    case ProtectedState::Damaged:
        return "damaged";
    default:
        return "missing";
    }
}

} // namespace

std::string CheckRecoveryArguments(const RecoveryArguments& arguments) {
    if (arguments.Percent && !Number(*arguments.Percent, 1, 100))
        return "--recovery takes a percentage from 1 to 100";
    if (arguments.Slices && !Number(*arguments.Slices, 1, 32768))
        return "--recovery-slices takes a whole number from 1 to 32768";
    if (arguments.SliceSize) {
        const auto size = Number(*arguments.SliceSize, 4, UINT64_MAX);
        if (!size || *size % 4 != 0) return "--slice-size takes a multiple of 4 bytes";
    }
    if ((arguments.Slices || arguments.SliceSize) && !arguments.Percent && !arguments.Slices)
        return "--slice-size goes with --recovery or --recovery-slices";
    return {};
}

std::optional<RecoveryOptions> RecoveryOptionsOf(const RecoveryArguments& arguments) {
    if (!arguments.Any()) return std::nullopt;
    RecoveryOptions options;
    if (arguments.Percent) options.Percent = std::stoi(*arguments.Percent);
    if (arguments.Slices)
        options.SliceCount = static_cast<std::uint32_t>(std::stoul(*arguments.Slices));
    if (arguments.SliceSize) options.SliceSize = std::stoull(*arguments.SliceSize);
    return options;
}

bool HasRecoveryFiles(const fs::path& index) {
    return KindOf(RecoveryFileForIndex(index)) == EntryKind::Regular;
}

int VerifyWithRecovery(const fs::path& index, bool quiet, std::ostream& out, std::ostream& err,
                       const Progress& progress) {
    RecoveryStatus status;
    try {
        status = ScanRecovery(RecoveryFileForIndex(index), progress);
    } catch (const std::exception& error) {
        return Failed(err, error.what());
    }
    std::sort(status.Files.begin(), status.Files.end(),
              [](const auto& a, const auto& b) { return a.Name < b.Name; });
    std::size_t broken = 0;
    for (const auto& entry : status.Files) {
        if (entry.State != ProtectedState::Intact) ++broken;
        if (!quiet || entry.State != ProtectedState::Intact)
            out << "  " << StateText(entry.State) << "  " << entry.Name << '\n';
    }
    if (broken == 0) {
        if (!quiet) out << "All " << status.Files.size() << " files are intact.\n";
        return kOk;
    }
    if (status.Repairable) {
        out << broken << " of " << status.Files.size()
            << " files are damaged or missing; the recovery data can rebuild them (zendra-cli "
               "repair).\n";
        return kRepairable;
    }
    out << broken << " of " << status.Files.size()
        << " files are damaged or missing, and the recovery data cannot rebuild them: "
        << status.SlicesNeeded << " more recovery slice"
        << (status.SlicesNeeded == 1 ? " is" : "s are") << " needed.\n";
    return kFailed;
}

int RepairPieces(const fs::path& index, bool quiet, std::ostream& out, std::ostream& err,
                 const Progress& progress) {
    std::size_t rebuilt = 0;
    try {
        Staging staging;
        rebuilt = RebuildFiles(RecoveryFileForIndex(index), staging.Create(), progress).size();
        staging.Commit();
    } catch (const std::exception& error) {
        return Failed(err, error.what());
    }
    if (!quiet)
        out << (rebuilt == 0 ? std::string("All files are intact; nothing was written.")
                             : RebuiltMessage(rebuilt))
            << '\n';
    return kOk;
}

} // namespace zendra
