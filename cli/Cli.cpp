#include "Cli.h"

#include "File.h"
#include "Interrupt.h"
#include "Join.h"
#include "RecoveryCommands.h"
#include "Split.h"

#include <charconv>
#include <filesystem>
#include <optional>
#include <ostream>
#include <system_error>

namespace zendra {
namespace {

namespace fs = std::filesystem;

constexpr int kOk = 0, kFailed = 1, kUsage = 2, kInterrupted = 130;
constexpr char kVersion[] = "zendra-cli 1.0 (v22)\n";

const char* const kUsageText =
    "Usage:\n"
    "  zendra-cli split FILE (--size SIZE | --pieces N) [--checksum] [--quiet]\n"
    "      Cuts FILE into pieces (FILE.000, FILE.001, ...) beside it, then writes the index\n"
    "      file FILE.tpl.\n"
    "      --size SIZE   bytes per piece: a number, optionally followed by K, M, G (or KiB, MiB,\n"
    "                    GiB: powers of 1024) or KB, MB, GB (powers of 1000); at most 2147483647\n"
    "      --pieces N    N pieces of one size, the last shorter\n"
    "      --checksum    also writes FILE.xxh128, the XXH128 checksums of FILE and of every\n"
    "                    piece, which every join checks (xxhsum -H2 -c FILE.xxh128 does too)\n"
    "      --recovery P  also writes FILE.par2 and FILE.vol*.par2, recovery data in the PAR 2.0\n"
    "                    format (par2cmdline reads it) of P percent (1-100) of the pieces\n"
    "      --recovery-slices N, --slice-size S   the recovery slices' count and size instead\n"
    "      example: zendra-cli split video.mkv --size 700M\n"
    "  zendra-cli join INDEX.tpl [--output DIR] [--quiet]\n"
    "      Joins the pieces named by INDEX.tpl into DIR (default: the index's folder).\n"
    "      example: zendra-cli join video.mkv.tpl --output /media/stick\n"
    "  zendra-cli verify INDEX.tpl\n"
    "      Checks the pieces against the checksum file beside the index, writing nothing; with\n"
    "      recovery files, tells each piece intact, damaged or missing, and whether a repair\n"
    "      can rebuild them (exit status 3).\n"
    "      example: zendra-cli verify video.mkv.tpl\n"
    "  zendra-cli repair INDEX.tpl\n"
    "      Rebuilds damaged and missing pieces from the recovery files beside the index.\n"
    "  zendra-cli info INDEX.tpl\n"
    "      Shows what the index records and checks its pieces, writing nothing.\n"
    "      example: zendra-cli info video.mkv.tpl\n"
    "Options:\n"
    "  -q, --quiet    print nothing but errors\n"
    "  --             ends the options: what follows is a file name even if it starts with -\n"
    "  -h, --help     this text\n"
    "  --version      the program's version\n"
    "Exit status: 0 done, 1 failed, 2 wrong command line, 3 (verify) damaged but repairable, 130\n"
    "stopped by Ctrl+C (nothing is left behind).\n";

const char* const kSizeForms =
    "--size takes a number of bytes from 1 to 2147483647, optionally followed by K, M, G, KiB, "
    "MiB, GiB "
    "(powers of 1024) or KB, MB, GB (powers of 1000), as in 700M or 100MB";

struct Options {
    std::string command;
    std::vector<std::string> operands;
    std::optional<std::string> size;
    std::optional<std::string> pieces;
    std::optional<std::string> output;
    bool quiet = false;
    bool checksum = false;
    RecoveryArguments recovery;
};

fs::path PathOf(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

// The full path, so that the index records where the pieces lie. A failure is thrown with its
// message, which RunCli reports as a failed operation.
fs::path Absolute(const std::string& utf8) {
    std::error_code error;
    fs::path path = fs::absolute(PathOf(utf8), error);
    if (error) throw std::runtime_error("cannot resolve \"" + utf8 + "\": " + error.message());
    return path.make_preferred();
}

// A folder text that the engine can glue a file name onto.
fs::path FolderWithSeparator(const fs::path& folder) {
    fs::path::string_type text = folder.native();
    if (text.empty()) text.push_back('.');
    if (text.back() != '/' && text.back() != '\\') text.push_back(fs::path::preferred_separator);
    return text;
}

std::optional<std::int64_t> WholeNumber(const std::string& text, std::size_t& used) {
    std::int64_t value = 0;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    if (parsed.ec != std::errc() || parsed.ptr == text.data()) return std::nullopt;
    used = static_cast<std::size_t>(parsed.ptr - text.data());
    return value;
}

// GNU split's size forms: 1000, 64K, 700M, 2G, 100KB, 700MB, 1GB, 64KiB, 700MiB, 1GiB.
std::optional<std::int32_t> ParseSize(const std::string& text) {
    std::size_t used = 0;
    const auto number = WholeNumber(text, used);
    if (!number || text[0] == '-' || text[0] == '+') return std::nullopt;
    const std::string suffix = text.substr(used);
    static const struct {
        const char* suffix;
        std::int64_t factor;
    } units[] = {{"", 1},          {"K", 1 << 10},    {"M", 1 << 20},   {"G", 1 << 30},
                 {"KiB", 1 << 10}, {"MiB", 1 << 20},  {"GiB", 1 << 30}, {"KB", 1000},
                 {"MB", 1000000},  {"GB", 1000000000}};
    for (const auto& unit : units) {
        if (suffix != unit.suffix) continue;
        if (*number < 1 || *number > kMaxPieceSize / unit.factor) return std::nullopt;
        return static_cast<std::int32_t>(*number * unit.factor);
    }
    return std::nullopt;
}

// Collects the command, its operands and options; returns an error text when they are wrong.
std::string Parse(const std::vector<std::string>& args, Options& options) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::optional<std::string>& into, const std::string& name) {
            if (arg.size() > name.size() && arg.compare(0, name.size() + 1, name + "=") == 0) {
                into = arg.substr(name.size() + 1);
                return true;
            }
            if (arg != name) return false;
            if (i + 1 >= args.size()) throw std::invalid_argument(name + " needs a value");
            into = args[++i];
            return true;
        };
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            (options.command.empty() ? options.command : options.operands.emplace_back()) = arg;
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--quiet" || arg == "-q") {
            options.quiet = true;
        } else if (arg == "--checksum") {
            options.checksum = true;
        } else if (value(options.size, "--size") || value(options.pieces, "--pieces") ||
                   value(options.output, "--output") || value(options.output, "-o") ||
                   value(options.recovery.Percent, "--recovery") ||
                   value(options.recovery.Slices, "--recovery-slices") ||
                   value(options.recovery.SliceSize, "--slice-size")) {
        } else {
            return "unknown option " + arg;
        }
    }
    if (options.command.empty()) return "no command given";
    if (options.command != "split" && options.command != "join" && options.command != "info" &&
        options.command != "verify" && options.command != "repair")
        return "unknown command " + options.command;
    if (options.operands.size() != 1) return options.command + " takes exactly one file";
    if (options.operands[0].empty()) return "the file name is empty";
    if (options.command == "split" && !options.size == !options.pieces)
        return "split needs either --size SIZE or --pieces N";
    if (options.command != "split" && (options.size || options.pieces))
        return "--size and --pieces go with split";
    if (options.command != "join" && options.output) return "--output goes with join";
    if (options.command != "split" && options.checksum) return "--checksum goes with split";
    if (options.output && options.output->empty()) return "the output folder is empty";
    if (options.size && !ParseSize(*options.size)) return kSizeForms;
    if (options.command != "split" && options.recovery.Any())
        return "--recovery, --recovery-slices and --slice-size go with split";
    if (const auto problem = CheckRecoveryArguments(options.recovery); !problem.empty())
        return problem;
    return {};
}

// Draws a bar on a terminal; on every call, tells the engine to stop once Ctrl+C was pressed.
class ProgressBar {
  public:
    ProgressBar(std::ostream& err, bool shown) : err_(err), shown_(shown) {}
    ~ProgressBar() {
        if (drawn_) err_ << '\n';
    }
    Progress Callback() {
        return [this](std::uint64_t done, std::uint64_t total) {
            if (InterruptRequested()) return false;
            const int percent = total ? static_cast<int>(done * 100 / total) : 100;
            if (!shown_ || percent == percent_) return true;
            percent_ = percent;
            drawn_ = true;
            const int filled = percent * 40 / 100;
            err_ << "\r[" << std::string(filled, '#') << std::string(40 - filled, ' ') << "] "
                 << percent << "%" << std::flush;
            return true;
        };
    }

  private:
    std::ostream& err_;
    bool shown_;
    bool drawn_ = false;
    int percent_ = -1;
};

int Failed(std::ostream& err, const std::string& message) {
    err << "zendra-cli: " << message << '\n';
    return message == CancelledMessage ? kInterrupted : kFailed;
}

// The piece size that cuts the file into exactly `text` pieces, or a message why none does.
std::int32_t SizeForPieces(const fs::path& source, const std::string& text) {
    std::size_t used = 0;
    const auto count = WholeNumber(text, used);
    if (!count || used != text.size() || *count < 2 || *count > kMaxPieceCount)
        throw std::invalid_argument("--pieces takes a whole number from 2 to 32767");
    std::error_code error;
    const auto length = static_cast<std::int64_t>(fs::file_size(source, error));
    if (error)
        throw std::runtime_error("cannot read the size of \"" + DisplayPath(source) +
                                 "\": " + error.message());
    const std::int64_t size = std::max<std::int64_t>(1, (length + *count - 1) / *count);
    const std::int64_t made = (length + size - 1) / size;
    if (size > kMaxPieceSize)
        throw std::runtime_error("the pieces would be larger than 2147483647 bytes");
    if (made != *count)
        throw std::runtime_error(
            "\"" + DisplayPath(source) + "\" (" + std::to_string(length) +
            " bytes) cannot be cut into " + text + " pieces of one size with a shorter last one; " +
            "pieces of " + std::to_string(size) + " bytes make " + std::to_string(made) + ".");
    return static_cast<std::int32_t>(size);
}

int Split(const Options& options, std::ostream& out, std::ostream& err, bool showProgress) {
    const fs::path source = Absolute(options.operands[0]);
    const std::int32_t size =
        options.size ? *ParseSize(*options.size) : SizeForPieces(source, *options.pieces);
    std::string message;
    bool done;
    {
        ProgressBar bar(err, showProgress);
        SplitOptions splitOptions;
        splitOptions.WriteChecksums = options.checksum;
        done = SplitToPieces(source, 0, message, size, bar.Callback(), splitOptions);
    }
    if (!done) return Failed(err, message);
    if (!options.quiet)
        out << "Split \"" << DisplayPath(source) << "\"; index \"" << DisplayPath(IndexName(source))
            << "\"\n";
    ProgressBar recoveryBar(err, showProgress);
    return AddRecoveryData(source, 0, size, options.recovery, options.quiet, out, err,
                           recoveryBar.Callback());
}

int Join(const Options& options, std::ostream& out, std::ostream& err, bool showProgress) {
    const fs::path index = Absolute(options.operands[0]);
    const fs::path folder =
        FolderWithSeparator(options.output ? Absolute(*options.output) : index.parent_path());
    std::string message;
    JoinPlan plan;
    bool done;
    {
        ProgressBar bar(err, showProgress);
        done = ReadJoinPlan(index, plan, message) &&
               WriteJoinedFile(plan, folder, message, bar.Callback());
    }
    if (!done) return Failed(err, message);
    if (!options.quiet)
        out << "Joined into \"" << DisplayPath(folder.native() + plan.OutputName.native())
            << "\"\n";
    return kOk;
}

int Info(const Options& options, std::ostream& out, std::ostream& err) {
    const fs::path index = PathOf(options.operands[0]);
    JoinPlan plan;
    std::string message;
    if (!ReadJoinPlan(index, plan, message)) return Failed(err, message);
    out << "Index:       " << DisplayPath(index) << '\n'
        << "Source:      " << DisplayPath(plan.SourcePath) << '\n'
        << "File size:   " << plan.Index.FileSize << " bytes"
        << (plan.Index.FileSize > kMaxClassicSize ? " (from the index's long-size record)" : "")
        << '\n'
        << "Pieces:      " << plan.Index.PieceCount << ", numbered from " << plan.Index.FirstNumber
        << '\n'
        << "Joins into:  " << DisplayPath(plan.OutputName) << '\n';
    for (const auto& piece : plan.Pieces)
        out << "  " << piece.Size << " bytes  " << DisplayPath(piece.Location) << '\n';
    if (!plan.ChecksumFile.empty())
        out << "Checksums:   " << DisplayPath(plan.ChecksumFile) << '\n';
    out << "All pieces are present and complete.\n";
    return kOk;
}

int Verify(const Options& options, std::ostream& out, std::ostream& err, bool showProgress) {
    const fs::path index = PathOf(options.operands[0]);
    JoinPlan plan;
    std::string message;
    bool done;
    {
        ProgressBar bar(err, showProgress);
        done = ReadJoinPlan(index, plan, message) && VerifyPieces(plan, message, bar.Callback());
        if (!done && HasRecoveryFiles(index))
            return VerifyWithRecovery(index, options.quiet, out, err, bar.Callback());
    }
    if (!done) return Failed(err, message);
    if (!options.quiet)
        out << "All " << plan.Pieces.size() << " pieces match \"" << DisplayPath(plan.ChecksumFile)
            << "\".\n";
    return kOk;
}

} // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           bool terminal) {
    try {
        for (const auto& arg : args) {
            if (arg == "--") break;
            if (arg == "--help" || arg == "-h") {
                out << kUsageText;
                return kOk;
            }
            if (arg == "--version") {
                out << kVersion;
                return kOk;
            }
        }
        Options options;
        std::string problem;
        try {
            problem = Parse(args, options);
        } catch (const std::invalid_argument& wrong) {
            problem = wrong.what();
        }
        if (!problem.empty()) {
            // As the GNU tools do: the mistake and where to read more, not the whole help.
            err << "zendra-cli: " << problem
                << "\nTry 'zendra-cli --help' for the commands, options and examples.\n";
            return kUsage;
        }
        const bool showProgress = terminal && !options.quiet;
        try {
            if (options.command == "split") return Split(options, out, err, showProgress);
            if (options.command == "join") return Join(options, out, err, showProgress);
            if (options.command == "verify") return Verify(options, out, err, showProgress);
            if (options.command == "repair") {
                ProgressBar bar(err, showProgress);
                return RepairPieces(PathOf(options.operands[0]), options.quiet, out, err,
                                    bar.Callback());
            }
            return Info(options, out, err);
        } catch (const std::invalid_argument& wrong) {
            err << "zendra-cli: " << wrong.what() << '\n';
            return kUsage;
        }
    } catch (const std::exception& error) {
        return Failed(err, error.what());
    }
}

} // namespace zendra
