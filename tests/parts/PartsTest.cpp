#include "../engine/FaultSweep.h"
#include "../engine/TempDir.h"
#include "base/Failure.h"
#include "engine/Join.h"
#include "engine/Split.h"
#include "formats/Formats.h"
#include "io/FaultHook.h"
#include "parts/JoinRequest.h"
#include "parts/PartNaming.h"
#include "parts/Parts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <set>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace zendra {
namespace {

using test::Bytes;
using test::TempDir;
namespace fs = std::filesystem;

PathText P(const std::string& text) {
    return fs::path(text).native();
}

// Runs read from name lists alone: which names follow, where two namings disagree, and where a
// set that does not start where its tool starts sets is missing its first part.
TEST(PartNamingTest, RunsFollowWhicheverNamingTheFilesShow) {
    const auto names = [](std::initializer_list<const char*> list) {
        std::set<PathText> set;
        for (const char* name : list)
            set.insert(P(name));
        return set;
    };
    std::set<PathText> digits = names({"p90", "p9000"});
    for (int i = 0; i < 90; ++i)
        digits.insert(P("p" + std::string(1, char('0' + i / 10)) + char('0' + i % 10)));
    const struct {
        const char* picked;
        std::set<PathText> present;
        std::size_t length;  // of the run read, or 0 for a problem
        const char* last;    // its last name, the problem's start, or the missing first part
        bool missingFirst;
    } cases[] = {
        {"d.yz", names({"d.yy", "d.za", "d.zaaa"}), 2, "d.aa", true}, // "za" or "zaaa" next
        {"s.7z.999", names({"s.7z.998", "s.7z.999", "s.7z.1000"}), 3, "s.7z.001", true},
        {"p89", digits, 0, "Both \"p90\" and \"p9000\"", false},
        {"xab", names({"xac"}), 2, "xaa", true},
        {"b200", names({"b199", "b200", "b201"}), 3, "b000", true}, // FROM 199 needs --first
        {"n.00.bin", names({"n.00.bin", "n.01.bin"}), 2, "n.01.bin", false},
        {"movieab", names({"movieaa", "movieac"}), 3, "movieac", false}, // not hex "eab"
        {"data.002", names({"data.003", "datb.002"}), 2, "data.001", true}, // no "dat?.002"
        {"e 02.mkv.00.p", names({"e 01.mkv.00.p", "e 02.mkv.01.p"}), 2, "e 02.mkv.01.p", false},
        {"u.1a", names({"u.00", "u.01", "u.0a", "u.0b", "u.0c", "u.0d", "u.0e", "u.0f", "u.10",
                        "u.11", "u.12", "u.13", "u.14", "u.15", "u.16", "u.17", "u.18", "u.19",
                        "u.02", "u.03", "u.04", "u.05", "u.06", "u.07", "u.08", "u.09"}),
         27, "u.1a", false}, // hex, where "0a" follows "09"
    };
    for (const auto& c : cases) {
        const auto run = FollowParts(P(c.picked), [&](const PathText& n) {
            return n == P(c.picked) || c.present.count(n) > 0;
        });
        if (c.length == 0) {
            EXPECT_EQ(run.Problem.rfind(c.last, 0), 0u) << c.picked << ": " << run.Problem;
            continue;
        }
        EXPECT_EQ(run.Names.size(), c.length) << c.picked;
        EXPECT_EQ(run.MissingFirst.has_value(), c.missingFirst) << c.picked;
        EXPECT_EQ(c.missingFirst ? run.MissingFirst.value_or(PathText()) : run.Names.back(),
                  P(c.last))
            << c.picked;
    }
    // GNU's widening, read back and forth.
    const auto widening = NamingsOf(P("xzyzz"));
    const auto gnu = std::find_if(widening.begin(), widening.end(),
                                  [](const NamingAt& at) { return at.Naming.Widens; });
    ASSERT_NE(gnu, widening.end());
    EXPECT_EQ(gnu->Value, 650u + 16899u);
    EXPECT_EQ(gnu->Naming.NameOf(650 + 16900), P("xzzaaaa"));
    EXPECT_EQ(gnu->Naming.OutputName(), P("x"));
    for (const char* notAPart : {"photo7", "a", "7", "IMG_1234.jpg", "report.doc"})
        EXPECT_TRUE(FollowParts(P(notAPart), [](const PathText&) { return false; }).NotAPart)
            << notAPart;
}

struct PartsTest : ::testing::Test {
    TempDir dir;
    TempDir out;
    Bytes original = test::RandomBytes(10000, 7);

    void Shell(const std::string& command) {
        ASSERT_EQ(std::system(("cd '" + test::U8(dir.Path()) + "' && " + command).c_str()), 0)
            << command;
    }
    void WriteText(const std::string& name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
    }
    // Plans and joins into `out` as the window and the tool do; the message when either fails.
    std::string Join(const std::string& picked, const std::string& name = {},
                     const std::string& last = {}, PartsPlan* plan = nullptr) {
        JoinRequest request;
        request.Picked = dir / picked;
        request.OutputFolder = out.Path();
        request.Name = name;
        if (!last.empty()) request.Last = dir / last;
        try {
            if (plan) {
                PartsRequest parts;
                parts.Picked = request.Picked;
                parts.Name = request.Name;
                parts.Last = request.Last;
                *plan = ReadPartsPlan(parts);
            }
            PlannedJoin join(request);
            join.Write(false);
        } catch (const Failure& failure) {
            return failure.what();
        }
        return {};
    }
};

#ifndef _WIN32
// The namings at GNU's widening points and 7-Zip's, as the real tools make them (the generated
// sets seldom reach them), joined; then with one file named like a part beside the set, refused
// by name until the last part is given.
TEST_F(PartsTest, WideningPointsJoinAndRefuseALookAlike) {
    const struct {
        const char* options; // of `split ... data.bin data.bin.`
        const char* first;
        const char* last;
        const char* alike;
    } cases[] = {
        {"-b 13", "aa", "zaep", "zaez"},     // 770 parts: past "yz" to "zaaa"
        {"-b 100 -d", "00", "9009", "9020"}, // 100 parts: past "89" to "9000"
        {"-b 40 -x", "00", "f009", "f010"},  // 250 parts: past "ef" to "f000"
        {"-n 100 -d", "00", "99", "9000"},   // -n: a fixed width, "89" then "90"
        {"-n 660", "aa", "zj", "zaaa"},
        {"-n 100 --numeric-suffixes=1", "001", "100", "102"}, // the digits of 1 + 100 - 1
        {"7zz", "7z.001", "7z.003", "7z.005"},
    };
    for (const auto& c : cases) {
        const std::string tool = c.options;
        test::WriteBytes(dir / "data.bin", original);
        Shell(tool == "7zz" ? "7zz a -mx0 -v4000b -bso0 -bsp0 data.bin.7z data.bin && rm data.bin"
                            : "split " + tool + " data.bin data.bin. && rm data.bin");
        const std::string first = "data.bin." + std::string(c.first);
        const std::string last = "data.bin." + std::string(c.last);
        const std::string joined = tool == "7zz" ? "data.bin.7z" : "data.bin";
        ASSERT_TRUE(fs::exists(dir / last)) << tool;
        PartsPlan plan;
        ASSERT_EQ(Join(first, {}, {}, &plan), "") << tool;
        EXPECT_EQ(plan.Parts.back().Location, dir / last) << tool;
        EXPECT_FALSE(plan.Note.empty()); // no check file: a missing last part cannot be seen
        if (tool == "7zz")
            Shell("cd '" + test::U8(out.Path()) + "' && 7zz t data.bin.7z >/dev/null");
        else
            EXPECT_EQ(test::ReadBytes(out / joined), original) << tool;
        fs::remove(out / joined);

        const std::string alike = "data.bin." + std::string(c.alike);
        test::WriteBytes(dir / alike, {1});
        const std::string message = Join(first);
        EXPECT_NE(message.find(alike + "\""), std::string::npos) << tool << message;
        EXPECT_TRUE(out.Names().empty()) << tool;
        ASSERT_EQ(Join(first, {}, last), "") << tool; // the set's last part given
        fs::remove(out / joined);
        Shell("rm data.bin.*");
    }
}

// Two sets side by side whose names differ in a number before the parts' suffix.
TEST_F(PartsTest, NeighbouringSetsAreNoLookAlikes) {
    for (const char* set : {"e 01.mkv", "e 02.mkv"}) {
        test::WriteBytes(dir / set, original);
        Shell("split -b 3000 '" + std::string(set) + "' '" + set + ".' && split -b 3000 -d " +
              "--additional-suffix=.part '" + set + "' '" + set + ".' && rm '" + set + "'");
    }
    for (const char* first : {"e 01.mkv.aa", "e 02.mkv.00.part"}) {
        ASSERT_EQ(Join(first), "") << first;
        EXPECT_EQ(test::ReadBytes(out / std::string(first).substr(0, 8)), original) << first;
    }
}

TEST_F(PartsTest, CheckFilesOfTheRealToolsPassAndCatchADamagedPart) {
    const char* makers[] = {
        "sha256sum data.bin > data.bin.sha256",
        "md5sum ./data.bin.0* > data.bin.md5",
        "sha1sum --tag data.bin > data.bin.sha1",
        "cksfv -b data.bin.0* > data.bin.sfv",
        "rhash --sfv data.bin > data.bin.sfv",
        "rhash --sha512 data.bin > data.bin.sha512",
        "xxhsum -H2 data.bin data.bin.001 data.bin.002 data.bin.003 > data.bin.xxh128",
        "printf 'filename=data.bin\\nsize=10000\\ncrc32=%s\\n' $(rhash --printf=%C data.bin) "
        "> data.bin.crc",
        // as Windows tools write them: a byte-order mark and CR LF line ends
        "(printf '\\357\\273\\277'; sha256sum data.bin.0*) | sed 's/$/\\r/' > data.bin.sha256",
    };
    for (const char* maker : makers) {
        test::WriteBytes(dir / "data.bin", original);
        Shell("split -b 4000 --numeric-suffixes=1 -a 3 data.bin data.bin. && " +
              std::string(maker) + " && rm data.bin");
        PartsPlan plan;
        ASSERT_EQ(Join("data.bin.001", {}, {}, &plan), "") << maker;
        EXPECT_EQ(plan.CheckFiles.size(), 1u) << maker;
        EXPECT_TRUE(plan.Note.empty());
        EXPECT_EQ(test::ReadBytes(out / "data.bin"), original) << maker;
        fs::remove(out / "data.bin");

        Shell("printf X | dd of=data.bin.002 bs=1 seek=77 conv=notrunc 2>/dev/null");
        const std::string message = Join("data.bin.001");
        EXPECT_NE(message.find(test::U8(plan.CheckFiles[0])), std::string::npos) << message;
        EXPECT_TRUE(out.Names().empty()) << maker;
        Shell("rm data.bin.*");
    }
    // A .crc file's size names it too.
    Shell("head -c 10000 /dev/zero > z && split -b 4000 -d z data.bin. && printf "
          "'filename=data.bin\\nsize=9999\\ncrc32=%s\\n' $(rhash --printf=%C z) > data.bin.crc "
          "&& rm z");
    EXPECT_NE(Join("data.bin.00").find("data.bin.crc\" says 9999"), std::string::npos);
}

// A split zip archive is refused as what it is, also without its first volume; one archive cut
// into raw parts joins; 7-Zip's volumes without their first or a middle one are refused.
TEST_F(PartsTest, SplitZipArchivesAreNotParts) {
    test::WriteBytes(dir / "data.bin", original);
    Shell("head -c 200000 /dev/urandom > big && zip -q -0 -s 64k arch.zip big && zip -q -0 raw.zip "
          "big && split -b 70000 -a 3 "
          "--numeric-suffixes=1 raw.zip raw.zip. && rm raw.zip");
    const std::string message = Join("arch.z01");
    EXPECT_NE(message.find("split zip archive"), std::string::npos) << message;
    EXPECT_NE(message.find("arch.zip\" with an archive tool"), std::string::npos) << message;
    EXPECT_NE(Join("arch.zip").find("split zip archive"), std::string::npos);
    ASSERT_EQ(Join("raw.zip.001"), "");
    Shell("cd '" + test::U8(out.Path()) + "' && unzip -tq raw.zip >/dev/null");
    fs::remove(dir / "arch.z01"); // known by arch.zip beside the others
    EXPECT_NE(Join("arch.z02").find("split zip archive"), std::string::npos);
    EXPECT_NE(Join("arch.zip").find("split zip archive"), std::string::npos);

    // 7-Zip's raw volumes without their first or a middle one.
    Shell("7zz a -mx0 -v70000b -bso0 -bsp0 a.7z big && mv a.7z.002 kept");
    EXPECT_NE(Join("a.7z.001").find("\"a.7z.002\", the part after"), std::string::npos);
    Shell("mv kept a.7z.002 && rm a.7z.001");
    EXPECT_NE(Join("a.7z.003").find("\"a.7z.001\", which is missing"), std::string::npos);
    EXPECT_EQ(out.Names(), std::vector<std::string>{"raw.zip"});
}
#endif

// A check file that names one part more than the folder holds; one that names them all decides
// the set past a look-alike.
TEST_F(PartsTest, ACheckFileDecidesTheSet) {
    for (int i = 1; i <= 4; ++i)
        test::WriteBytes(dir / std::string("movie.mkv.00").append(1, static_cast<char>('0' + i)),
                         {std::uint8_t(i)});
    fs::remove(dir / "movie.mkv.004");
    WriteText("movie.mkv.sfv", "; made elsewhere\nmovie.mkv.001 A505DF1B\nmovie.mkv.002 3C0C8EA1\n"
                               "movie.mkv.003 4B0BBE37\nmovie.mkv.004 D56F2B94\n");
    std::string message = Join("movie.mkv.001");
    EXPECT_NE(message.find("movie.mkv.004\", which \"" + test::U8(dir / "movie.mkv.sfv")),
              std::string::npos)
        << message;
    EXPECT_TRUE(out.Names().empty());

    test::WriteBytes(dir / "movie.mkv.004", {4});
    test::WriteBytes(dir / "movie.mkv.006", {6}); // named like a part, but not in the check file
    message = Join("movie.mkv.002");
    EXPECT_NE(message.find("movie.mkv.006\" is named like a part"), std::string::npos) << message;
    EXPECT_EQ(Join("movie.mkv.002", {}, "movie.mkv.004"), ""); // the run starts at the first part
    EXPECT_EQ(test::ReadBytes(out / "movie.mkv"), (Bytes{1, 2, 3, 4}));

    // One that names only the output is no look-alike, though named like a part (-a 3).
    test::WriteBytes(dir / "clip.aaa", {1});
    test::WriteBytes(dir / "clip.aab", {2});
    Hasher crc(HashKind::Crc32);
    crc.Update("\x01\x02", 2);
    WriteText("clip.sfv", "clip " + crc.Hex() + "\r\n");
    EXPECT_EQ(Join("clip.aaa"), "");
}

TEST_F(PartsTest, ZendraPiecesOfferedAsPartsJoinAsPieces) {
    test::WriteBytes(dir / "report.doc", original);
    std::string message;
    SplitOptions options;
    options.WriteChecksums = true;
    ASSERT_TRUE(SplitToPieces(dir / "report.doc", 0, message, 3000, {}, options)) << message;
    fs::remove(dir / "report.doc");
    PartsRequest request;
    request.Picked = dir / "report.doc.001";
    PartsPlan plan = ReadPartsPlan(request);
    EXPECT_TRUE(plan.ZendraPieces);
    EXPECT_EQ(plan.Index, IndexName(dir / "report.doc"));
    EXPECT_EQ(Join("report.doc.003"), ""); // any piece: joined through the index
    EXPECT_EQ(test::ReadBytes(out / "report.doc"), original);
    fs::remove(out / "report.doc");

    fs::remove(plan.Index); // without the index: each piece's header and trailer left out
    ASSERT_EQ(Join("report.doc.000", {}, {}, &plan), "");
    EXPECT_EQ(plan.CheckFiles.size(), 1u); // Zendra's own report.doc.xxh128
    EXPECT_EQ(test::ReadBytes(out / "report.doc"), original);

    test::WriteBytes(dir / "report.doc.002", {1, 2, 3}); // a raw part among pieces
    EXPECT_NE(Join("report.doc.000").find("report.doc.002\" is not one of Zendra's pieces"),
              std::string::npos);
    // And a piece among raw parts, which the plan sizes from the folder's listing alone.
    test::WriteBytes(dir / "xaa", test::RandomBytes(5000, 3));
    fs::copy_file(dir / "report.doc.001", dir / "xab");
    EXPECT_NE(Join("xaa", "mixed.bin").find("xab\" is one of Zendra's pieces, but the first"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(out / "mixed.bin"));
}

#ifndef _WIN32
// A re-split killed at each of its renames, then joined from one of its pieces, as the window and
// the tool do: the plan is read once the folder is mended, so it is the older split's.
TEST_F(PartsTest, APieceIsPlannedOnceAKilledReSplitIsMended) {
    const Bytes newer = test::RandomBytes(7000, 9);
    unsigned killed = 0;
    for (unsigned nth = 1;; ++nth) {
        for (const TempDir* folder : {&dir, &out})
            for (const std::string& name : folder->Names())
                fs::remove(*folder / name);
        std::string message;
        test::WriteBytes(dir / "report.doc", original);
        ASSERT_TRUE(SplitToPieces(dir / "report.doc", 0, message, 3000)) << message;
        test::WriteBytes(dir / "report.doc", newer);
        const pid_t child = fork();
        if (child == 0) {
            ArmFault(FaultPoint::Rename, nth, [] { std::raise(SIGKILL); });
            _exit(SplitToPieces(dir / "report.doc", 0, message, 2000) ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        if (!WIFSIGNALED(status)) break; // past the last rename
        ++killed;
        ASSERT_EQ(Join("report.doc.001"), "") << "killed at rename " << nth;
        EXPECT_EQ(test::ReadBytes(out / "report.doc"), original) << "killed at rename " << nth;
    }
    EXPECT_GT(killed, 5u);
}
#endif

TEST_F(PartsTest, NamesOutputsAndWhatIsRefused) {
    test::WriteBytes(dir / "xaa", {1, 2});
    test::WriteBytes(dir / "xab", {3});
    EXPECT_EQ(Join("xaa"), NameNeededMessage);
    ASSERT_EQ(Join("xaa", "photo.jpg"), "");
    EXPECT_EQ(test::ReadBytes(out / "photo.jpg"), (Bytes{1, 2, 3}));
    EXPECT_NE(Join("xaa", "photo.jpg").find("already exists"), std::string::npos);
    test::WriteBytes(dir / "report.doc", {1});
    EXPECT_NE(Join("report.doc").find("report.doc\" is not a part of a set"), std::string::npos);

    // Check files are found from the parts' prefix, whatever the output's name.
    WriteText("x.md5", "0123456789abcdef0123456789abcdef  other.jpg\n");
    EXPECT_NE(Join("xaa", "photo2.jpg").find("names neither"), std::string::npos);
    EXPECT_NE(Join("x.md5", "photo2.jpg").find("x.md5\" is not a part of a set: it is a check"),
              std::string::npos);
    WriteText("x.md5", "not a line\n");
    EXPECT_NE(Join("xaa", "photo2.jpg").find("is damaged"), std::string::npos);
    fs::remove(dir / "x.md5");
    EXPECT_EQ(out.Names(), std::vector<std::string>{"photo.jpg"});

    // Over an existing output, each step failed in turn: the older file or the new one.
    JoinRequest request;
    request.Picked = dir / "xaa";
    request.OutputFolder = out.Path();
    request.Name = "photo.jpg";
    EXPECT_GT(test::SweepFaults(
                  out, out / "photo.jpg", [&] { test::WriteBytes(out / "photo.jpg", {9}); },
                  [&] {
                      try {
                          PlannedJoin(request).Write(true);
                          return true;
                      } catch (const Failure&) {
                          return false;
                      }
                  }),
              3);
}

} // namespace
} // namespace zendra
