#include "Cli.h"

#include "Interrupt.h"
#include "PartsCommand.h"
#include "RecoveryCommands.h"
#include "engine/Join.h"
#include "engine/Replace.h"
#include "engine/Split.h"
#include "io/File.h"
#include "io/PlatformPath.h"
#include "parts/JoinRequest.h"

#include <charconv>
#include <filesystem>
#include <optional>
#include <ostream>
#include <system_error>

namespace zendra {
namespace {

namespace fs = std::filesystem;

constexpr int kOk = 0, kFailed = 1, kUsage = 2;
constexpr char kVersion[] = "zendra-cli 1.0 (v22)\n";

const char* const kUsageText =
    "Usage:\n"
    "  zendra-cli split FILE (--size SIZE | --pieces N) [--no-checksum]\n"
    "                  [--recovery P | --recovery-pieces N] [--self-join] [--quiet]\n"
    "      Cuts FILE into pieces (FILE.000, FILE.001, ...) beside it, then writes the index\n"
    "      file FILE.tpl and FILE.xxh128, the XXH128 checksums of FILE and of every piece, which\n"
    "      every join checks (xxhsum -H2 -c FILE.xxh128 does too).\n"
    "      --size SIZE     bytes per piece: a number, optionally followed by b (512), K or k, M or\n"
    "                      m, G (or KiB, MiB, GiB: powers of 1024) or KB, MB, GB (powers of\n"
    "                      1000); at most 2147483647\n"
    "      --pieces N      N pieces of one size, the last shorter\n"
    "      --no-checksum   writes no checksum file (and removes an older split's)\n"
    "      --self-join     also writes FILE.join.sh and FILE.join.exe, which rebuild FILE\n"
    "                      where nothing is installed (sh, or Windows)\n"
    "      --recovery P    also writes FILE.par2 and FILE.vol*.par2, recovery data in the PAR\n"
    "                      2.0 format (par2cmdline reads it) of P percent (1-100) of the pieces,\n"
    "                      one piece's worth to a file\n"
    "      --recovery-pieces N   N recovery files besides FILE.par2: each rebuilds one lost\n"
    "                      piece (and the index), with a share of 1 % more\n"
    "      --recovery-slices N, --slice-size S   the recovery slices' count and size instead\n"
    "      example: zendra-cli split video.mkv --size 700M\n"
    "  zendra-cli join INDEX.tpl [--output DIR] [--force] [--quiet]\n"
    "      Joins the pieces named by INDEX.tpl into DIR (default: the index's folder).\n"
    "      --force         replaces an existing file of the output's name\n"
    "      --codepage N    the Windows code page of the name in an index written on Windows\n"
    "                      (default: UTF-8, else 1252)\n"
    "  zendra-cli join PART [--name NAME] [--first PART] [--last PART] [--output DIR] [--force]\n"
    "      Joins other tools' parts: NAME.001 (7-Zip), PREFIXaa, PREFIX00 or hex PREFIX00 (GNU\n"
    "      split, of any width, with or without an additional suffix), given any one of them.\n"
    "      A set starts where its tool starts one (aa, 00, or .001); any other start needs\n"
    "      --first or a check file that names the parts. Checked with the check files beside\n"
    "      them: NAME.sha256, .sha512, .sha384, .sha1, .md5, .b2, .xxh32, .xxh64, .xxh3,\n"
    "      .xxh128, .sfv, .crc, SHA256SUMS and the like, tagged or not. One that names the parts\n"
    "      decides the set; without one, every file named like a part that is not joined (before\n"
    "      the first, after a gap or past the last) is refused by name, as is a part after a\n"
    "      shorter one. Split zip archives (.z01 ... .zip) are not parts: open the .zip with an\n"
    "      archive tool.\n"
    "      --name NAME     the joined file's name (needed for GNU split's default prefix x)\n"
    "      --first PART    the set's first part, where its tool does not start sets\n"
    "      --last PART     the set's last part: files named like parts after it are left alone\n"
    "      example: zendra-cli join video.mkv.tpl --output /media/stick\n"
    "  zendra-cli verify INDEX.tpl\n"
    "      Checks the pieces against the checksum file beside the index, writing nothing; with\n"
    "      recovery files, tells the index, each piece and the checksum file intact, damaged,\n"
    "      missing or unknown, and whether a repair can rebuild them (exit status 3).\n"
    "      example: zendra-cli verify video.mkv.tpl\n"
    "  zendra-cli repair INDEX.tpl\n"
    "      Rebuilds damaged and missing pieces from the recovery files beside the index.\n"
    "  zendra-cli info INDEX.tpl\n"
    "      Shows what the index records and checks its pieces, writing nothing.\n"
    "  zendra-cli info PART [--name NAME] [--first PART] [--last PART]\n"
    "      Shows the set of other tools' parts that a join would read (its naming, first and\n"
    "      last part, check files) and why it would refuse it, writing nothing.\n"
    "      example: zendra-cli info video.mkv.tpl\n"
    "Options:\n"
    "  -q, --quiet    print nothing but errors\n"
    "  --             ends the options: what follows is a file name even if it starts with -\n"
    "  -h, --help     this text\n"
    "  --version      the program's version\n"
    "Exit status: 0 done, 1 failed, 2 wrong command line, 3 (verify) damaged but repairable, 130\n"
    "stopped by Ctrl+C, 129 and 143 by a closed terminal or a termination request (nothing is\n"
    "left behind).\n";

const char* const kSizeForms =
    "--size takes a number of bytes from 1 to 2147483647, optionally followed by b (512 bytes), "
    "K, k, M, m, G, KiB, MiB, GiB (powers of 1024) or KB, MB, GB (powers of 1000), as in 700M, "
    "64k or 100MB";

struct Options {
    std::string command;
    std::vector<std::string> operands;
    std::optional<std::string> size;
    std::optional<std::string> pieces;
    std::optional<std::string> output;
    std::optional<std::string> codepage;
    bool quiet = false;
    bool noChecksum = false;
    bool checksum = false;
    bool force = false;
    bool selfJoin = false;
    std::optional<std::string> name;
    std::optional<std::string> first;
    std::optional<std::string> last;
    RecoveryArguments recovery;
};

// The full path, so that the index records where the pieces lie. A failure is thrown with its
// message, which RunCli reports as a failed operation.
fs::path Absolute(const std::string& utf8) {
    std::error_code error;
    fs::path path = fs::absolute(PathFromUtf8(utf8), error);
    if (error) throw std::runtime_error("cannot resolve \"" + utf8 + "\": " + error.message());
    return path.make_preferred();
}

std::optional<std::int64_t> WholeNumber(const std::string& text, std::size_t& used) {
    std::int64_t value = 0;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    if (parsed.ec != std::errc() || parsed.ptr == text.data()) return std::nullopt;
    used = static_cast<std::size_t>(parsed.ptr - text.data());
    return value;
}

// GNU split's size forms: 1000, 2b (512-byte blocks), 64K or 64k, 700M or 700m, 2G, the same
// letters with iB (powers of 1024) or B (powers of 1000): 64KiB, 100KB, 700MB, 1GB. Like GNU
// split, a lower-case g is refused.
std::optional<std::int32_t> ParseSize(const std::string& text) {
    std::size_t used = 0;
    const auto number = WholeNumber(text, used);
    if (!number || text[0] == '-' || text[0] == '+') return std::nullopt;
    std::string suffix = text.substr(used);
    std::int64_t factor = 1;
    if (suffix == "b") {
        factor = 512;
    } else if (!suffix.empty()) {
        const std::string letters = "kKmMG";
        const std::size_t letter = letters.find(suffix[0]);
        if (letter == std::string::npos) return std::nullopt;
        const int power = letter < 2 ? 1 : letter < 4 ? 2 : 3;
        const std::string rest = suffix.substr(1);
        const std::int64_t base = rest == "B" ? 1000 : rest.empty() || rest == "iB" ? 1024 : 0;
        if (base == 0) return std::nullopt;
        for (int i = 0; i < power; ++i)
            factor *= base;
    }
    if (*number < 1 || *number > kMaxPieceSize / factor) return std::nullopt;
    return static_cast<std::int32_t>(*number * factor);
}

std::optional<unsigned> ParseCodePage(const std::string& text) {
    std::size_t used = 0;
    const auto number = WholeNumber(text, used);
    if (!number || used != text.size() || *number < 1 || *number > 65535) return std::nullopt;
    return static_cast<unsigned>(*number);
}

unsigned CodePageOf(const Options& options) {
    return options.codepage ? *ParseCodePage(*options.codepage) : 0;
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
        } else if (arg == "--no-checksum") {
            options.noChecksum = true;
        } else if (arg == "--force" || arg == "-f") {
            options.force = true;
        } else if (arg == "--self-join") {
            options.selfJoin = true;
        } else if (value(options.size, "--size") || value(options.pieces, "--pieces") ||
                   value(options.output, "--output") || value(options.output, "-o") ||
                   value(options.codepage, "--codepage") || value(options.name, "--name") ||
                   value(options.first, "--first") || value(options.last, "--last") ||
                   value(options.recovery.Percent, "--recovery") ||
                   value(options.recovery.Pieces, "--recovery-pieces") ||
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
    if (options.command != "split" && (options.checksum || options.noChecksum))
        return "--checksum and --no-checksum go with split";
    if (options.checksum && options.noChecksum) return "--checksum and --no-checksum exclude each other";
    if (options.command != "split" && options.selfJoin) return "--self-join goes with split";
    if (options.command != "join" && options.command != "info" &&
        (options.name || options.first || options.last))
        return "--name, --first and --last go with join and info";
    if (options.command != "join" && options.force) return "--force goes with join";
    if (options.codepage && options.command == "split") return "--codepage goes with join, verify and info";
    if (options.codepage && !ParseCodePage(*options.codepage))
        return "--codepage takes a Windows code page number, such as 1252, 1251, 936 or 932";
    if (options.output && options.output->empty()) return "the output folder is empty";
    if (options.size && !ParseSize(*options.size)) return kSizeForms;
    if (options.command != "split" && options.recovery.Any())
        return "--recovery, --recovery-pieces, --recovery-slices and --slice-size go with split";
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
    return InterruptRequested() ? InterruptExitStatus() : kFailed;
}

// Lines about what a run found and mended first go where errors go, unless --quiet.
Notice Telling(std::ostream& err, const Options& options) {
    if (options.quiet) return {};
    return [&err](const std::string& line) { err << "zendra-cli: " << line << '\n'; };
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
    std::string message, note;
    bool done;
    {
        ProgressBar bar(err, showProgress);
        SplitOptions splitOptions;
        splitOptions.WriteChecksums = !options.noChecksum;
        splitOptions.Notice = Telling(err, options);
        splitOptions.Recovery = RecoveryOptionsOf(options.recovery);
        if (options.selfJoin) splitOptions.Extra = KitWriter(source, note);
        done = SplitToPieces(source, 0, message, size, bar.Callback(), splitOptions);
    }
    if (!done) return Failed(err, message);
    err << note; // even with --quiet: a file --self-join promises was not written
    if (!options.quiet) {
        out << "Split \"" << DisplayPath(source) << "\"; index \"" << DisplayPath(IndexName(source))
            << "\"\n";
        if (options.recovery.Any()) out << RecoverySummary(options.recovery, source);
    }
    return kOk;
}

// A part named with --first or --last: a plain name is one beside the picked part.
fs::path PartBeside(const fs::path& picked, const std::optional<std::string>& part) {
    if (!part) return {};
    return PathFromUtf8(*part).has_parent_path() ? Absolute(*part)
                                                 : picked.parent_path() / PathFromUtf8(*part);
}

JoinRequest PartsRequestOf(const Options& options) {
    JoinRequest request;
    request.Picked = Absolute(options.operands[0]);
    if (options.name) request.Name = PathFromUtf8(*options.name);
    request.First = PartBeside(request.Picked, options.first);
    request.Last = PartBeside(request.Picked, options.last);
    request.FirstPartHint = "--first PART";
    request.LastPartHint = "--last PART";
    return request;
}

int Join(const Options& options, std::ostream& out, std::ostream& err, bool showProgress) {
    JoinRequest request = PartsRequestOf(options);
    if ((options.name || options.first || options.last) && IsIndexName(request.Picked))
        throw std::invalid_argument(
            "--name, --first and --last go with a part of another tool's set, not with an index");
    if (options.output) request.OutputFolder = Absolute(*options.output);
    request.CodePage = CodePageOf(options);
    PlannedJoin join(request, Telling(err, options));
    if (join.NeedsName())
        return Failed(err, std::string(NameNeededMessage) + " Give it with --name NAME.");
    if (const std::string problem = OutputProblem(join, options.force); !problem.empty())
        return Failed(err, problem);
    {
        ProgressBar bar(err, showProgress);
        join.Write(options.force, bar.Callback(), Telling(err, options));
    }
    if (!options.quiet) out << join.Summary();
    return kOk;
}

int Info(const Options& options, std::ostream& out, std::ostream& err) {
    const fs::path index = PathFromUtf8(options.operands[0]);
    if (!IsIndexName(index)) return PartsInfo(PartsRequestOf(options), out, err);
    JoinPlan plan;
    std::string message;
    if (!ReadJoinPlan(index, plan, message, CodePageOf(options))) return Failed(err, message);
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

// Verify writes nothing, so it mends nothing: it says what would.
void TellWhatKilledRunsLeft(const fs::path& index, std::ostream& err) {
    const fs::path folder = index.parent_path().empty() ? fs::path(".") : index.parent_path();
    const std::size_t left = Replacement::LeftByKilledRuns(folder);
    if (left == 0) return;
    err << "zendra-cli: \"" << DisplayPath(folder) << "\" holds " << left
        << (left == 1 ? " file" : " files")
        << " that an interrupted split, join or repair left; what is checked here may be "
           "what it set aside. \"zendra-cli join " << DisplayPath(index)
        << "\" (or any split, join or repair there) puts them right first.\n";
}

int Verify(const Options& options, std::ostream& out, std::ostream& err, bool showProgress) {
    const fs::path index = PathFromUtf8(options.operands[0]);
    TellWhatKilledRunsLeft(index, err);
    JoinPlan plan;
    std::string message;
    bool done;
    {
        ProgressBar bar(err, showProgress);
        done = ReadJoinPlan(index, plan, message, CodePageOf(options)) &&
               VerifyPieces(plan, message, bar.Callback());
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
                return RepairPieces(PathFromUtf8(options.operands[0]), options.quiet, out, err,
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
