#include "RecoveryCommands.h"

#include "Interrupt.h"
#include "base/Failure.h"
#include "engine/Repair.h"
#include "io/File.h"
#include "recovery/Recovery.h"
#include "recovery/Verdict.h"

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

void Print(const SetVerdict& v, bool quiet, std::ostream& out) {
    for (const auto& file : v.Files) {
        if (quiet && file.State == Found::Intact) continue;
        std::string state = FoundText(file.State);
        state.resize(7, ' ');
        out << "  " << state << "  " << file.Name
            << (file.Note.empty() ? "" : "  (" + file.Note + ")") << '\n';
    }
}

void Explain(const SetVerdict& v, std::ostream& err) {
    for (const auto& problem : v.Problems)
        err << "zendra-cli: " << problem << '\n';
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

std::string RecoverySummary(const RecoveryArguments& arguments, const fs::path& source) {
    std::string text = "Recovery data \"" + DisplayPath(RecoveryIndexName(source)) + "\"";
    if (arguments.Pieces) text += ": each recovery file rebuilds one lost piece (and the index)";
    return text + "\n";
}

bool HasRecoveryFiles(const fs::path& index) {
    return FindRecoveryFile(index).has_value();
}

int VerifyWithRecovery(const fs::path& index, bool quiet, std::ostream& out, std::ostream& err,
                       const Progress& progress) {
    SetVerdict v;
    try {
        v = JudgeSet(index, progress);
    } catch (const std::exception& error) {
        return Failed(err, error.what());
    }
    Print(v, quiet, out);
    const std::size_t broken = v.NotIntact();
    switch (v.Outcome) {
    case SetOutcome::Intact:
        if (!quiet) out << "All " << v.Files.size() << " files are intact.\n";
        return kOk;
    case SetOutcome::Repairable:
        out << broken << " of " << v.Files.size()
            << " files are damaged or missing; the recovery data can rebuild them (zendra-cli "
               "repair).\n";
        return kRepairable;
    default:
        out << broken << " of " << v.Files.size()
            << " files are damaged, missing or unknown, and a repair cannot make the set whole.\n";
        Explain(v, err);
        return kFailed;
    }
}

int RepairPieces(const fs::path& index, bool quiet, std::ostream& out, std::ostream& err,
                 const Progress& progress) {
    RepairResult result;
    try {
        result = RepairSet(
            index,
            [&](const std::string& line) {
                if (!quiet) err << "zendra-cli: " << line << '\n';
            },
            progress);
    } catch (const std::exception& error) {
        return Failed(err, error.what());
    }
    const SetVerdict& v = result.Verdict;
    if (v.Outcome == SetOutcome::NotRepairable) {
        Print(v, true, out);
        Explain(v, err);
        err << "zendra-cli: A repair cannot make the set whole; nothing was written.\n";
        return kFailed;
    }
    if (!quiet) {
        if (!result.Written)
            out << "All files are intact; nothing was written.\n";
        else if (result.Pieces > 0 || result.Index)
            out << RebuiltMessage(result.Pieces, result.Index) << '\n';
        if (result.Others > 0)
            out << result.Others << (result.Others == 1 ? " other file was" : " other files were")
                << " rebuilt from the recovery data.\n";
    }
    return kOk;
}

} // namespace zendra
