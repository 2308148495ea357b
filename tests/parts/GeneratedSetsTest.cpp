// The join's promise, proved on sets the real GNU split makes from a fixed list of seeds: a
// complete set joins byte for byte, and damage that the names, the sizes or a check file reveal
// is refused naming a file; what none of them can reveal is said in the plan's note. Never a
// join that succeeds with other bytes than the original's where the damage could be seen.
#include "../engine/TempDir.h"
#include "base/Failure.h"
#include "parts/JoinRequest.h"
#include "parts/Parts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>

namespace zendra {
namespace {

#ifndef _WIN32
using test::Bytes;
using test::TempDir;
namespace fs = std::filesystem;

std::string Q(const std::string& text) {
    return "'" + text + "'";
}

bool Shell(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

// One set: how split was told to name and cut it.
struct Made {
    std::string Prefix, Naming, Cut; // split's naming options, its cutting options
    bool NeedsFirst = false;         // FROM where its tool does not start sets
    bool Fixed = false;              // a fixed width (-a, -n, FROM): the stray takes it too
    fs::path Folder;
    std::vector<std::string> Parts; // in order
    Bytes Source;
};

// A text of short lines (for -C, -l and -n l/K), or bytes.
Bytes Content(std::mt19937_64& random, std::size_t length, bool lines, std::size_t longest) {
    Bytes bytes(length);
    std::size_t line = 0, lineLength = 1 + random() % longest;
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(random());
        if (!lines) continue;
        b = ++line >= lineLength ? '\n' : static_cast<std::uint8_t>('a' + b % 26);
        if (b == '\n') line = 0, lineLength = 1 + random() % longest;
    }
    return bytes;
}

// Makes set `seed` in `root`; nothing when split refuses its options (suffixes too few).
std::optional<Made> MakeSet(std::uint64_t seed, const fs::path& root) {
    std::mt19937_64 random(seed);
    const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    const char* prefixes[] = {"data.bin.",
                              "my file.",
                              "v2.iso.",
                              "movie",
                              "code",
                              "cafe",
                              "page",
                              "x1_",
                              "file",
                              "take2",
                              "archive.tar.gz.",
                              "Episode 01.mkv.",
                              "backup 2024.",
                              "photo.jpeg."};
    Made made;
    made.Prefix = prefixes[pick(std::size(prefixes))];
    const std::size_t r = pick(100);
    const std::size_t count = r < 70 ? 2 + pick(29) : r < 95 ? 31 + pick(170) : 201 + pick(500);
    const int alphabet = static_cast<int>(pick(3)); // letters, decimal, hex
    std::size_t from = 0;
    if (alphabet != 0 && pick(4) == 0) {
        from = 1 + pick(30);
        made.Naming +=
            (alphabet == 1 ? " --numeric-suffixes=" : " --hex-suffixes=") + std::to_string(from);
        made.NeedsFirst = true;
        made.Fixed = true;
    } else if (alphabet != 0) {
        made.Naming += alphabet == 1 ? " -d" : " -x";
    }
    if (alphabet == 1 && made.Prefix.back() == '.' && pick(8) == 0) { // 7-Zip's form
        made.Naming = " --numeric-suffixes=1 -a 3";
        made.NeedsFirst = false;
        made.Fixed = true;
    } else if (pick(5) < 2) {
        made.Naming += " -a " + std::to_string(1 + pick(4));
        made.Fixed = true;
    }
    if (pick(10) < 3) {
        std::vector<std::string> tails{".part", ".mp4", ".tar.gz", "_x"};
        if (alphabet != 0) tails.push_back("part");
        made.Naming += " --additional-suffix=" + tails[pick(tails.size())];
    }
    const int mode = static_cast<int>(pick(5)); // -b, -C, -l, -n K, -n l/K
    const std::size_t size = 1 + pick(64);
    std::size_t length = 0;
    if (mode == 0) {
        made.Cut = "-b " + std::to_string(size);
        length = size * (count - 1) + 1 + pick(size);
    } else if (mode == 1) {
        made.Cut = "-C " + std::to_string(size + 40);
        length = (size + 40) * count * 3 / 4;
    } else if (mode == 2) {
        const std::size_t lines = 1 + pick(5);
        made.Cut = "-l " + std::to_string(lines);
        length = lines * 30 * count;
    } else {
        const std::size_t parts = std::min<std::size_t>(count, mode == 3 ? 700 : 40);
        made.Cut = (mode == 3 ? "-n " : "-n l/") + std::to_string(parts);
        made.Fixed = true;
        length = parts * (mode == 3 ? 2 + pick(40) : 200);
    }
    made.Source = Content(random, length, mode != 0 && mode != 3, mode == 1 ? size + 39 : 50);
    made.Folder = root / ("set" + std::to_string(seed));
    fs::create_directories(made.Folder);
    const fs::path source = root / ("source" + std::to_string(seed));
    test::WriteBytes(source, made.Source);
    if (!Shell("cd " + Q(test::U8(made.Folder)) + " && split " + made.Cut + made.Naming + " " +
               Q(test::U8(source)) + " " + Q(made.Prefix) + " 2>/dev/null"))
        return std::nullopt;
    fs::remove(source);
    for (const auto& entry : fs::directory_iterator(made.Folder))
        made.Parts.push_back(entry.path().filename().string());
    std::sort(made.Parts.begin(), made.Parts.end());
    if (made.Parts.size() < 2) return std::nullopt;
    return made;
}

struct Joined {
    std::string Message; // empty when joined
    Bytes Output;
    std::string Note;
};

Joined Join(const Made& made, const std::string& picked, const std::string& first,
            const fs::path& out) {
    JoinRequest request;
    request.Picked = made.Folder / picked;
    request.OutputFolder = out;
    request.Name = "joined";
    if (!first.empty()) request.First = made.Folder / first;
    request.FirstPartHint = "--first PART";
    request.LastPartHint = "--last PART";
    Joined joined;
    try {
        PlannedJoin join(request);
        join.Write(false);
        joined.Note = join.Parts().Note;
        joined.Output = test::ReadBytes(out / "joined");
        fs::remove(out / "joined");
    } catch (const Failure& failure) {
        joined.Message = failure.what();
    }
    return joined;
}

// The name the set's naming gives after its last part, as split itself writes it; empty when
// the naming has none.
std::string NextName(const Made& made, const fs::path& scratch) {
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    std::string naming = made.Naming;
    if (made.Fixed && naming.find("-a ") == std::string::npos) {
        const std::size_t tail = naming.find("--additional-suffix=") == std::string::npos
                                     ? 0
                                     : naming.size() - naming.find("--additional-suffix=") - 20;
        naming += " -a " + std::to_string(made.Parts[0].size() - made.Prefix.size() - tail);
    }
    const std::string bytes = std::to_string(made.Parts.size() + 1);
    if (!Shell("cd " + Q(test::U8(scratch)) + " && head -c " + bytes + " /dev/zero | split -b 1" +
               naming + " - " + Q(made.Prefix) + " 2>/dev/null"))
        return {};
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(scratch))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names.size() > made.Parts.size() ? names[made.Parts.size()] : std::string();
}

// Each kind of check file, written as its tool writes it.
struct CheckTool {
    const char* Command;
    const char* Extension;
    bool Computed = true; // a hash this program computes: else it says so in its note
};
constexpr CheckTool kCheckTools[] = {
    {"sha256sum", ".sha256"},
    {"md5sum --tag", ".md5"},
    {"xxhsum -H1", ".xxh64"},
    {"b2sum", ".b2"},
    {"cksfv -b", ".sfv"},
    {"sha1sum", ".sha1"},
    {"xxhsum -H3", ".xxh3"},
    {"sha384sum", ".sha384"},
    {"sha224sum", ".sha224", false},
    {"b2sum -l 256 --tag", ".b2", false},
    {"xxhsum -H0 --tag", ".xxh32"},
    {"sha512sum --tag", ".sha512"},
};

void WriteCheckFile(const Made& made, const CheckTool& tool, const std::string& left) {
    std::string names;
    for (const std::string& part : made.Parts)
        if (part != left) names += " " + Q(part);
    std::string stem = made.Prefix;
    if (stem.back() == '.') stem.pop_back();
    ASSERT_TRUE(Shell("cd " + Q(test::U8(made.Folder)) + " && " + tool.Command + names + " > " +
                      Q(stem + tool.Extension) + " 2>/dev/null"));
}

TEST(GeneratedSets, CompleteSetsJoinAndDetectableDamageIsRefusedByName) {
    const char* wanted = std::getenv("ZENDRA_GENERATED_SETS");
    const std::size_t sets = wanted ? std::strtoul(wanted, nullptr, 10) : 200;
    TempDir root, out;
    std::size_t made = 0, undetectable = 0, checked = 0;
    const char* only = std::getenv("ZENDRA_GENERATED_SEED"); // to look at one set again
    for (std::uint64_t seed = 1; made < sets && seed < sets * 3; ++seed) {
        if (only && seed != std::strtoull(only, nullptr, 10)) continue;
        const auto set = MakeSet(seed, root.Path());
        if (!set) continue;
        ++made;
        std::mt19937_64 random(seed * 7919);
        const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
        const std::string context = "seed " + std::to_string(seed) + ": split " + set->Cut +
                                    set->Naming + " '" + set->Prefix + "' (" +
                                    std::to_string(set->Parts.size()) + " parts)";
        const std::string first = set->NeedsFirst ? set->Parts.front() : std::string();
        const bool withCheck = pick(3) == 0;
        const CheckTool* tool = &kCheckTools[pick(std::size(kCheckTools))];
        std::string stem = set->Prefix;
        if (stem.back() == '.') stem.pop_back();
        if (std::count(set->Parts.begin(), set->Parts.end(), stem + tool->Extension))
            tool = &kCheckTools[0]; // "data.b2" is a part of "data." + letters
        if (withCheck) WriteCheckFile(*set, *tool, {});
        const std::string picked = set->Parts[pick(set->Parts.size())];

        if (set->NeedsFirst && !withCheck) { // not where its tool starts a set, and no check file
            const std::string message = Join(*set, picked, {}, out.Path()).Message;
            EXPECT_NE(message.find("--first \"" + set->Parts.front()), std::string::npos)
                << context << ": " << message;
        }
        Joined joined = Join(*set, picked, first, out.Path());
        ASSERT_EQ(joined.Message, "") << context;
        ASSERT_TRUE(joined.Output == set->Source)
            << context << ": " << joined.Output.size() << " bytes of " << set->Source.size()
            << ", picked " << picked;
        EXPECT_EQ(joined.Note.empty(), withCheck && tool->Computed)
            << context << ": " << joined.Note;

        // One damage each, in turn.
        int damage = static_cast<int>(seed % 4);
        if (damage == 0 && set->Parts.size() < 3) damage = 1;
        std::string stray;
        if (damage == 2 && (stray = NextName(*set, root / "scratch")).empty()) damage = 1;
        bool detectable = true;
        std::string pickedNow = picked;
        const auto another = [&](const std::string& gone) {
            while (pickedNow == gone)
                pickedNow = set->Parts[pick(set->Parts.size())];
        };
        if (damage == 0) { // a middle part gone
            const std::string& gone = set->Parts[1 + pick(set->Parts.size() - 2)];
            fs::remove(set->Folder / gone);
            another(gone);
        } else if (damage == 1) { // the first part gone
            fs::remove(set->Folder / set->Parts.front());
            another(set->Parts.front());
            // Three dotted digits may start at 0 or 1: a set from 000 without it is whole.
            const std::string& second = set->Parts[1];
            const auto suffix = set->Naming.find("--additional-suffix=");
            const std::size_t tail =
                suffix == std::string::npos ? 0 : set->Naming.size() - suffix - 20;
            detectable = set->Naming.find(" -d") == std::string::npos ||
                         set->Prefix.back() != '.' ||
                         second.size() != set->Prefix.size() + 3 + tail ||
                         second.compare(set->Prefix.size(), 3, "001") != 0;
        } else if (damage == 2) { // a stray part, longer than any, after the last
            std::vector<std::uint64_t> sizes;
            for (const std::string& part : set->Parts)
                sizes.push_back(fs::file_size(set->Folder / part));
            test::WriteBytes(set->Folder / stray, Bytes(sizes.front() + 7, 'S'));
            const bool sized = sizes.size() >= 3 &&
                               std::all_of(sizes.begin(), sizes.end() - 1,
                                           [&](std::uint64_t s) { return s == sizes.front(); }) &&
                               sizes.back() < sizes.front();
            detectable = withCheck || sized;
        } else { // a check file that leaves out a present part
            WriteCheckFile(*set, *tool, set->Parts[pick(set->Parts.size())]);
        }
        joined = Join(*set, pickedNow, first, out.Path());
        if (!joined.Message.empty()) {
            EXPECT_NE(joined.Message.find(set->Prefix), std::string::npos)
                << context << ", damage " << damage << ": " << joined.Message;
        } else {
            EXPECT_FALSE(detectable) << context << ", damage " << damage << ": joined, picked "
                                     << pickedNow << (withCheck ? ", checked" : "");
            EXPECT_FALSE(joined.Note.empty()) << context << ", damage " << damage;
            ++undetectable;
        }
        checked += detectable;
        fs::remove_all(set->Folder);
    }
    EXPECT_EQ(made, only ? 1 : sets);
    std::cout << made << " sets; " << checked << " damages detectable, " << undetectable
              << " joined as undetectable\n";
}
#endif

} // namespace
} // namespace zendra
