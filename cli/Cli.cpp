#include "Cli.h"

#include "File.h"
#include "Join.h"
#include "Split.h"

#include <charconv>
#include <filesystem>
#include <ostream>

namespace zendra {
namespace {

namespace fs = std::filesystem;

constexpr int kOk = 0, kFailed = 1, kUsage = 2;

const char* const kUsageText =
    "Usage:\n"
    "  zendra-cli split FILE --size BYTES [--quiet]\n"
    "      Cuts FILE into pieces of BYTES bytes (FILE.000, FILE.001, ...) beside it,\n"
    "      then writes the index file FILE.tpl.\n"
    "  zendra-cli join INDEX.tpl [--output DIR] [--quiet]\n"
    "      Joins the pieces named by INDEX.tpl into DIR (default: the index's folder).\n"
    "  zendra-cli info INDEX.tpl\n"
    "      Shows what the index records and checks its pieces, writing nothing.\n"
    "  zendra-cli --help\n";

struct Options {
    std::string command;
    std::vector<std::string> operands;
    std::string size;
    std::string output;
    bool quiet = false;
};

fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

// A folder text that the engine can glue a file name onto.
fs::path FolderWithSeparator(const fs::path& folder) {
    fs::path::string_type text = folder.native();
    if (text.empty()) text.push_back('.');
    if (text.back() != '/' && text.back() != '\\') text.push_back(fs::path::preferred_separator);
    return text;
}

// Collects the command, its operands and options; returns an error text when they are wrong.
std::string Parse(const std::vector<std::string>& args, Options& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        if (arg == "--quiet" || arg == "-q") {
            options.quiet = true;
        } else if (arg == "--size") {
            if (!value(options.size)) return "--size needs a number of bytes";
        } else if (arg == "--output" || arg == "-o") {
            if (!value(options.output)) return "--output needs a folder";
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option " + arg;
        } else if (options.command.empty()) {
            options.command = arg;
        } else {
            options.operands.push_back(arg);
        }
    }
    if (options.command.empty()) return "no command given";
    if (options.command != "split" && options.command != "join" && options.command != "info")
        return "unknown command " + options.command;
    if (options.operands.size() != 1) return options.command + " takes exactly one file";
    if (options.command == "split" && options.size.empty()) return "split needs --size BYTES";
    if (options.command != "split" && !options.size.empty()) return "--size goes with split";
    if (options.command != "join" && !options.output.empty()) return "--output goes with join";
    return {};
}

class ProgressBar {
public:
    ProgressBar(std::ostream& err, bool shown) : err_(err), shown_(shown) {}
    ~ProgressBar() {
        if (drawn_) err_ << '\n';
    }
    Progress Callback() {
        if (!shown_) return {};
        return [this](std::uint64_t done, std::uint64_t total) {
            const int percent = total ? static_cast<int>(done * 100 / total) : 100;
            if (percent == percent_) return true;
            percent_ = percent;
            drawn_ = true;
            const int filled = percent * 40 / 100;
            err_ << "\r[" << std::string(filled, '#') << std::string(40 - filled, ' ') << "] " << percent << "%"
                 << std::flush;
            return true;
        };
    }

private:
    std::ostream& err_;
    bool shown_;
    bool drawn_ = false;
    int percent_ = -1;
};

int Split(const Options& options, std::ostream& out, std::ostream& err, bool showProgress) {
    std::int32_t size = 0;
    const char* first = options.size.data();
    const char* last = first + options.size.size();
    const auto parsed = std::from_chars(first, last, size);
    if (parsed.ec != std::errc() || parsed.ptr != last || size < 1) {
        err << "zendra-cli: --size takes a whole number of bytes from 1 to 2147483647\n";
        return kUsage;
    }
    // The index records a full path, so that the window's join finds the pieces too.
    const fs::path source = fs::absolute(PathOf(options.operands[0])).make_preferred();
    std::string message;
    bool done;
    {
        ProgressBar bar(err, showProgress);
        done = SplitToPieces(source, 0, message, size, bar.Callback());
    }
    if (!done) {
        err << "zendra-cli: " << message << '\n';
        return kFailed;
    }
    out << "Split \"" << DisplayPath(source) << "\"; index \"" << DisplayPath(IndexName(source)) << "\"\n";
    return kOk;
}

int Join(const Options& options, std::ostream& out, std::ostream& err, bool showProgress) {
    const fs::path index = fs::absolute(PathOf(options.operands[0]));
    const fs::path folder = FolderWithSeparator(options.output.empty() ? index.parent_path() : PathOf(options.output));
    std::string message;
    bool done;
    {
        ProgressBar bar(err, showProgress);
        done = JoinPieces(index, folder, message, bar.Callback());
    }
    if (!done) {
        err << "zendra-cli: " << message << '\n';
        return kFailed;
    }
    out << "Joined into \"" << DisplayPath(folder) << "\"\n";
    return kOk;
}

int Info(const Options& options, std::ostream& out, std::ostream& err) {
    const fs::path index = PathOf(options.operands[0]);
    JoinPlan plan;
    std::string message;
    if (!ReadJoinPlan(index, plan, message)) {
        err << "zendra-cli: " << message << '\n';
        return kFailed;
    }
    out << "Index:       " << DisplayPath(index) << '\n'
        << "Source:      " << DisplayPath(plan.SourcePath) << '\n'
        << "File size:   " << plan.Index.FileSize << " bytes\n"
        << "Pieces:      " << plan.Index.PieceCount << ", numbered from " << plan.Index.FirstNumber << '\n'
        << "Joins into:  " << DisplayPath(plan.OutputName) << '\n';
    for (const auto& piece : plan.Pieces) out << "  " << piece.Size << " bytes  " << DisplayPath(piece.Location) << '\n';
    out << "All pieces are present and complete.\n";
    return kOk;
}

} // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool terminal) {
    for (const auto& arg : args) {
        if (arg == "--help" || arg == "-h") {
            out << kUsageText;
            return kOk;
        }
    }
    Options options;
    const std::string problem = Parse(args, options);
    if (!problem.empty()) {
        err << "zendra-cli: " << problem << "\n\n" << kUsageText;
        return kUsage;
    }
    const bool showProgress = terminal && !options.quiet;
    if (options.command == "split") return Split(options, out, err, showProgress);
    if (options.command == "join") return Join(options, out, err, showProgress);
    return Info(options, out, err);
}

} // namespace zendra
