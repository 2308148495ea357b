#include "../engine/FaultSweep.h"
#include "../engine/TempDir.h"
#include "Cli.h"
#include "Interrupt.h"
#include "io/FaultHook.h"
#include "engine/Split.h"
#include "formats/Formats.h"
#include "kit/SelfJoinKit.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#ifdef _WIN32
#include <windows.h>
#endif

namespace zendra {
namespace {

using test::TempDir;

struct CliTest : ::testing::Test {
    TempDir dir;
    std::ostringstream out, err;

    int Run(std::vector<std::string> args, bool terminal = false) {
        out.str({});
        err.str({});
        return RunCli(args, out, err, terminal);
    }
    std::string U8(const std::filesystem::path& path) {
        const auto text = path.u8string();
        return std::string(text.begin(), text.end());
    }
};

TEST_F(CliTest, SplitInfoJoinRoundTrip) {
    const auto bytes = test::RandomBytes(2500, 11);
    test::WriteBytes(dir / "in.dat", bytes);
    ASSERT_EQ(Run({"split", U8(dir / "in.dat"), "--size", "1000"}), 0) << err.str();
    EXPECT_TRUE(std::filesystem::exists(dir / "in.dat.002"));

    ASSERT_EQ(Run({"info", U8(dir / "in.dat.tpl")}), 0) << err.str();
    EXPECT_NE(out.str().find("2500 bytes"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("Pieces:      3"), std::string::npos) << out.str();

    TempDir target;
    ASSERT_EQ(Run({"join", U8(dir / "in.dat.tpl"), "--output", U8(target.Path()), "--quiet"}), 0)
        << err.str();
    EXPECT_EQ(test::ReadBytes(target / "in.dat"), bytes);
}

#ifndef _WIN32
TEST_F(CliTest, InfoShowsTheLengthOfASourceOverTwoGibibytes) {
    test::WriteBytes(dir / "huge.bin", {});
    std::filesystem::resize_file(dir / "huge.bin", 3ll << 30); // sparse: no disk taken
    ASSERT_EQ(Run({"split", U8(dir / "huge.bin"), "--size", "1G"}), 0) << err.str();
    ASSERT_EQ(Run({"info", U8(dir / "huge.bin.tpl")}), 0) << err.str();
    EXPECT_NE(out.str().find("3221225472 bytes"), std::string::npos) << out.str();
}
#endif

TEST_F(CliTest, ChecksumsOnSplitVerifyAndXxhsumAgree) {
    test::WriteBytes(dir / "c.bin", test::RandomBytes(2500, 13));
    ASSERT_EQ(Run({"split", U8(dir / "c.bin"), "--size", "1000", "--checksum"}), 0) << err.str();
    ASSERT_EQ(Run({"verify", U8(dir / "c.bin.tpl")}), 0) << err.str();
    EXPECT_NE(out.str().find("All 3 pieces match"), std::string::npos) << out.str();
#ifndef _WIN32
    if (std::system("xxhsum --version >/dev/null 2>&1") == 0) {
        const std::string check =
            "cd '" + U8(dir.Path()) + "' && xxhsum -H2 -c c.bin.xxh128 >/dev/null 2>&1";
        EXPECT_EQ(std::system(check.c_str()), 0) << "the checksum tool alone accepts the file";
    }
#endif
    auto piece = test::ReadBytes(dir / "c.bin.001");
    piece[500] ^= 1;
    test::WriteBytes(dir / "c.bin.001", piece);
    EXPECT_EQ(Run({"verify", U8(dir / "c.bin.tpl")}), 1);
    EXPECT_NE(err.str().find("c.bin.001\" is damaged"), std::string::npos) << err.str();
    std::filesystem::remove(dir / "c.bin.xxh128");
    EXPECT_EQ(Run({"verify", U8(dir / "c.bin.tpl")}), 1);
    EXPECT_NE(err.str().find("no checksum file"), std::string::npos) << err.str();
    EXPECT_EQ(Run({"join", U8(dir / "c.bin.tpl"), "--checksum"}), 2);
}

TEST_F(CliTest, JoinTakesAFirstPartAndSplitWritesTheKit) {
    test::WriteBytes(dir / "xaa", {1, 2});
    test::WriteBytes(dir / "xab", {3});
    EXPECT_EQ(Run({"join", U8(dir / "xaa")}), 1);
    EXPECT_NE(err.str().find("--name NAME"), std::string::npos) << err.str();
    ASSERT_EQ(Run({"join", U8(dir / "xaa"), "--name", "p.bin"}), 0) << err.str();
    EXPECT_EQ(test::ReadBytes(dir / "p.bin"), (test::Bytes{1, 2, 3}));
    EXPECT_NE(out.str().find("cannot be seen"), std::string::npos) << out.str();

    ASSERT_EQ(Run({"split", U8(dir / "p.bin"), "--size", "1", "--self-join", "--quiet"}), 0)
        << err.str();
    EXPECT_TRUE(std::filesystem::exists(dir / "p.bin.join.sh"));
    // The program this build carries (none beside the test program), or a word even when quiet.
    const auto program = CarriedJoinProgram();
    if (program.empty()) {
        EXPECT_NE(err.str().find("p.bin.join.exe\" was not written"), std::string::npos);
    } else {
        const auto kit = test::ReadBytes(dir / "p.bin.join.exe");
        ASSERT_GT(kit.size(), program.size());
        EXPECT_TRUE(std::equal(program.begin(), program.end(), kit.begin()));
        EXPECT_EQ(err.str(), "");
    }
}

#ifndef _WIN32
// Another tool's parts join through the folder's transaction: what a killed run left is mended
// first, a replaced file keeps its mode; a file named like a part is refused until --last.
TEST_F(CliTest, APartsJoinGoesThroughTheTransaction) {
    namespace fs = std::filesystem;
    test::WriteBytes(dir / "v.bin.001", {1, 2});
    test::WriteBytes(dir / "v.bin.002", {3});
    test::WriteBytes(dir / "v.bin", {9});
    fs::permissions(dir / "v.bin", fs::perms::owner_read | fs::perms::owner_write);
    test::WriteBytes(dir / ".zendra-abc123-1.tmp", {7}); // no run holds its lock
    ASSERT_EQ(Run({"join", U8(dir / "v.bin.001"), "--force"}), 0) << err.str();
    EXPECT_EQ(test::ReadBytes(dir / "v.bin"), (test::Bytes{1, 2, 3}));
    EXPECT_EQ(fs::status(dir / "v.bin").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_NE(err.str().find("Removed 1 temporary file"), std::string::npos) << err.str();
    EXPECT_FALSE(fs::exists(dir / ".zendra-abc123-1.tmp"));

    test::WriteBytes(dir / "v.bin.005", {5});
    EXPECT_EQ(Run({"join", U8(dir / "v.bin.001"), "--force"}), 1);
    EXPECT_NE(err.str().find("v.bin.005\" lies beside"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("--last \"v.bin.002\""), std::string::npos) << err.str();
    ASSERT_EQ(Run({"join", U8(dir / "v.bin.001"), "--force", "--last", "v.bin.002"}), 0)
        << err.str();
    EXPECT_EQ(Run({"join", U8(dir / "v.bin.001"), "--force", "--last", "v.bin.004"}), 1);
    EXPECT_NE(err.str().find("v.bin.003\" is missing"), std::string::npos) << err.str();
    EXPECT_EQ(Run({"join", U8(dir / "v.bin.002"), "--force", "--last", "v.bin.001"}), 1);
    EXPECT_NE(err.str().find("v.bin.001\" is not named as a later part"), std::string::npos);
    EXPECT_EQ(Run({"split", U8(dir / "v.bin"), "--size", "1", "--last", "x"}), 2);
}

// What the tool says of other tools' parts: the set it infers (info), the option that helps and
// only that one (--first, --force, --name or --output), one part or several.
TEST_F(CliTest, PartsMessagesOfferTheOptionThatHelps) {
    namespace fs = std::filesystem;
    test::WriteBytes(dir / "w.bin.05", {5});
    test::WriteBytes(dir / "w.bin.06", {6});
    EXPECT_EQ(Run({"info", U8(dir / "w.bin.06")}), 1);
    EXPECT_NE(out.str().find("\"w.bin.05\" to \"w.bin.06\""), std::string::npos) << out.str();
    EXPECT_NE(err.str().find("\"w.bin.00\", which is missing"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("--first \"w.bin.05\""), std::string::npos) << err.str();
    ASSERT_EQ(Run({"info", U8(dir / "w.bin.06"), "--first", "w.bin.05"}), 0) << err.str();
    EXPECT_NE(out.str().find("Joins into:  " + U8(dir / "w.bin")), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "w.bin"));
    ASSERT_EQ(Run({"join", U8(dir / "w.bin.06"), "--first", "w.bin.05"}), 0) << err.str();
    EXPECT_EQ(test::ReadBytes(dir / "w.bin"), (test::Bytes{5, 6}));
    fs::remove(dir / "w.bin.06");
    ASSERT_EQ(Run({"join", U8(dir / "w.bin.05"), "--first", "w.bin.05", "--force"}), 0);
    EXPECT_NE(out.str().find("Joined 1 part ("), std::string::npos) << out.str();

    test::WriteBytes(dir / "y.bin.00", {1});
    test::WriteBytes(dir / "y.bin.01", {2});
    fs::create_directory(dir / "y.bin");
    for (const auto& args : {std::vector<std::string>{"join", U8(dir / "y.bin.00"), "--force"},
                             {"join", U8(dir / "y.bin.00"), "--name", "y.bin.01", "--force"}}) {
        EXPECT_EQ(Run(args), 1);
        EXPECT_EQ(err.str().find("--force"), std::string::npos) << err.str(); // it would not help
        EXPECT_NE(err.str().find("--name NAME"), std::string::npos) << err.str();
    }
    EXPECT_EQ(Run({"join", U8(dir / "y.bin.00"), "--name", "y.txt"}), 0) << err.str();
    EXPECT_EQ(Run({"join", U8(dir / "y.bin.00"), "--name", "y.txt"}), 1);
    EXPECT_NE(err.str().find("Add --force"), std::string::npos) << err.str();
    if (geteuid() != 0) { // the superuser writes in any folder
        fs::permissions(dir.Path(), fs::perms::owner_write, fs::perm_options::remove);
        EXPECT_EQ(Run({"join", U8(dir / "y.bin.00"), "--name", "y2.txt"}), 1);
        EXPECT_NE(err.str().find("--output DIR"), std::string::npos) << err.str();
        fs::permissions(dir.Path(), fs::perms::owner_write, fs::perm_options::add);
    }
}
#endif

TEST_F(CliTest, RecoveryDataOnSplitVerifyAndRepair) {
    const auto original = test::RandomBytes(40000, 3);
    test::WriteBytes(dir / "r.bin", original);
    ASSERT_EQ(Run({"split", U8(dir / "r.bin"), "--size", "4000", "--recovery", "15", "-q"}), 0)
        << err.str();
    EXPECT_EQ(Run({"verify", U8(dir / "r.bin.tpl")}), 0) << err.str();
    std::filesystem::remove(dir / "r.bin.004");
    auto piece = test::ReadBytes(dir / "r.bin.007");
    piece[100] ^= 1;
    test::WriteBytes(dir / "r.bin.007", piece);
    EXPECT_EQ(Run({"verify", U8(dir / "r.bin.tpl")}), 3);
    EXPECT_NE(out.str().find("  missing  r.bin.004\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("  damaged  r.bin.007\n"), std::string::npos) << out.str();
    // A join rebuilds them on its own, leaving the user's pieces as they are.
    std::filesystem::create_directory(dir / "out");
    EXPECT_EQ(Run({"join", U8(dir / "r.bin.tpl"), "--output", U8(dir / "out")}), 0) << err.str();
    EXPECT_EQ(test::ReadBytes(dir / "out" / "r.bin"), original);
    EXPECT_NE(err.str().find("2 pieces were rebuilt from the recovery data."), std::string::npos)
        << err.str();
    EXPECT_FALSE(std::filesystem::exists(dir / "r.bin.004"));
    EXPECT_EQ(Run({"repair", U8(dir / "r.bin.tpl")}), 0) << err.str();
    EXPECT_EQ(out.str(), "2 pieces were rebuilt from the recovery data.\n");
    EXPECT_EQ(Run({"verify", U8(dir / "r.bin.tpl")}), 0) << out.str();
    std::filesystem::remove(dir / "r.bin.001");
    std::filesystem::remove(dir / "r.bin.002");
    EXPECT_EQ(Run({"verify", U8(dir / "r.bin.tpl")}), 1);
    EXPECT_EQ(Run({"repair", U8(dir / "r.bin.tpl")}), 1);
    // Each step of a repair failed in turn: the pieces as they were, or rebuilt.
    ASSERT_EQ(Run({"split", U8(dir / "r.bin"), "--size", "4000", "--recovery", "15", "-q"}), 0);
    const auto damage = [&] { test::WriteBytes(dir / "r.bin.004", {1, 2, 3}); };
    EXPECT_GT(test::SweepFaults(dir, dir / "r.bin.tpl", damage,
                                [&] { return Run({"repair", U8(dir / "r.bin.tpl")}) == 0; }),
              3);
    // A split without recovery data leaves no recovery files of the one before.
    ASSERT_EQ(Run({"split", U8(dir / "r.bin"), "--size", "4000", "-q"}), 0) << err.str();
    for (const auto& name : dir.Names())
        EXPECT_EQ(name.find(".par2"), std::string::npos) << name;
}

// One verdict over the index, every piece and the checksum file: 0 intact and checked, 3 the
// recovery data can rebuild what is not, 1 it cannot or nothing can check a file; the repair acts
// on it and leaves the set whole (verify 0 after) or says why not; the join writes the original
// or refuses for the same reason, writing nothing.
TEST_F(CliTest, RecoveryVerdictExitCodesAndTheRepairThatFollows) {
    namespace fs = std::filesystem;
    const auto original = test::RandomBytes(40000, 3);
    using Spoil = std::function<void(const TempDir&)>;
    const auto removing = [](std::vector<const char*> names) -> Spoil {
        return [names](const TempDir& d) {
            for (const char* name : names)
                fs::remove(d / name);
        };
    };
    // The split's recovery files replaced by a set made for only three pieces (as par2cmdline's
    // own may be), then `then`.
    const auto coverThree = [](Spoil then) -> Spoil {
        return [then](const TempDir& d) {
            for (const auto& name : d.Names())
                if (name.find(".par2") != std::string::npos) fs::remove(d / name);
            std::vector<RecoveryInput> inputs;
            for (const char* name : {"r.bin.000", "r.bin.001", "r.bin.002"})
                inputs.push_back({name, d / name});
            std::vector<std::pair<fs::path, fs::path>> made;
            WriteRecoveryFiles(d / "r.bin", inputs, {30, 0, 0, 0}, [&](const fs::path& final) {
                File file = File::CreateBeside(final);
                made.emplace_back(file.Path(), final);
                return file;
            });
            for (const auto& [temporary, final] : made)
                MoveFileOver(temporary, final);
            then(d);
        };
    };
    const struct {
        const char* what;
        Spoil spoil;
        int verify, repair, after;
        const char* says; // on stdout or stderr of the first verify
        int join;         // the join goes on where only nothing can check a piece
    } cases[] = {
        {"intact", removing({}), 0, 0, 0, "", 0},
        {"a piece cut by its last byte (a zero)",
         [](const TempDir& d) { fs::resize_file(d / "r.bin.007", 4013); }, 3, 0, 0,
         "  damaged  r.bin.007\n", 0},
        {"the main recovery file and a piece missing", removing({"r.bin.par2", "r.bin.004"}), 3, 0,
         0, "  missing  r.bin.004\n", 0},
        {"bytes appended", [](const TempDir& d) { fs::resize_file(d / "r.bin.002", 4020); }, 3, 0,
         0, "  damaged  r.bin.002  (6 bytes too many at its end)\n", 0},
        {"two pieces swapped",
         [](const TempDir& d) {
             fs::rename(d / "r.bin.003", d / "x");
             fs::rename(d / "r.bin.005", d / "r.bin.003");
             fs::rename(d / "x", d / "r.bin.005");
         },
         3, 0, 0, "(its bytes are whole in \"r.bin.005\")", 0},
        {"the checksum file wrong where the recovery data shows the piece intact",
         [](const TempDir& d) {
             auto text = test::ReadBytes(d / "r.bin.xxh128");
             text[0] = text[0] == '0' ? '1' : '0';
             test::WriteBytes(d / "r.bin.xxh128", text);
         },
         1, 1, 1, "The checksum file \"r.bin.xxh128\" is damaged", 1},
        {"too many pieces lost", removing({"r.bin.001", "r.bin.002", "r.bin.003"}), 1, 1, 1,
         "more recovery slices are needed.", 1},
        {"a set not covering every piece, one it lacks missing",
         coverThree(removing({"r.bin.007"})), 1, 1, 1,
         "  missing  r.bin.007  (no recovery data covers it)", 1},
        {"a set not covering every piece, no checksum file", coverThree(removing({"r.bin.xxh128"})),
         1, 1, 1, "Nothing can check \"r.bin.005\"", 0},
    };
    for (const auto& c : cases) {
        TempDir set;
        test::WriteBytes(set / "r.bin", original);
        ASSERT_EQ(Run({"split", U8(set / "r.bin"), "--size", "4000", "--recovery", "15", "-q"}), 0)
            << err.str();
        c.spoil(set);
        const auto before = set.Names();
        TempDir joined;
        EXPECT_EQ(Run({"join", U8(set / "r.bin.tpl"), "--output", U8(joined.Path())}), c.join)
            << c.what << err.str();
        if (c.join == 0) {
            EXPECT_EQ(test::ReadBytes(joined / "r.bin"), original) << c.what;
        } else {
            EXPECT_TRUE(joined.Names().empty()) << c.what;
            EXPECT_NE(err.str().find(". Nothing was joined."), std::string::npos)
                << c.what << err.str(); // after the verdict's reasons
        }
        EXPECT_EQ(set.Names(), before) << c.what << ": the join writes only its output";
        EXPECT_EQ(Run({"verify", U8(set / "r.bin.tpl")}), c.verify) << c.what << out.str();
        EXPECT_NE((out.str() + err.str()).find(c.says), std::string::npos)
            << c.what << out.str() << err.str();
        EXPECT_EQ(out.str().find("0 more"), std::string::npos) << out.str();
        EXPECT_EQ(Run({"repair", U8(set / "r.bin.tpl")}), c.repair) << c.what << err.str();
        if (c.repair != 0) {
            EXPECT_EQ(set.Names(), before) << c.what << ": nothing is written";
        }
        EXPECT_EQ(Run({"verify", U8(set / "r.bin.tpl")}), c.after) << c.what << out.str();
    }
}

// Any one piece and the index may be lost with --recovery-pieces 1, whatever the piece count;
// a join rebuilds a lost or damaged index into a temporary file and leaves the set as it is.
TEST_F(CliTest, RecoveryPiecesSurviveALostPieceAndTheJoinRebuildsTheIndex) {
    namespace fs = std::filesystem;
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(out.str().find("[--recovery P | --recovery-pieces N]"), std::string::npos);
    for (const int pieces : {3, 5, 10, 20}) {
        TempDir set;
        const auto original = test::RandomBytes(static_cast<std::size_t>(pieces) * 1000 - 333,
                                                static_cast<std::uint32_t>(pieces));
        test::WriteBytes(set / "p.bin", original);
        ASSERT_EQ(Run({"split", U8(set / "p.bin"), "--pieces", std::to_string(pieces),
                       "--recovery-pieces", "1", "-q"}),
                  0)
            << err.str();
        const auto piece = test::ReadBytes(set / "p.bin.000");
        const auto index = test::ReadBytes(set / "p.bin.tpl");
        fs::remove(set / "p.bin");
        fs::remove(set / "p.bin.000");
        fs::remove(set / "p.bin.tpl");
        const auto names = set.Names();
        EXPECT_EQ(Run({"join", U8(set / "p.bin.tpl")}), 0) << pieces << err.str();
        EXPECT_EQ(test::ReadBytes(set / "p.bin"), original) << pieces;
        EXPECT_NE(err.str().find("1 piece and the index were rebuilt"), std::string::npos)
            << err.str();
        fs::remove(set / "p.bin");
        EXPECT_EQ(set.Names(), names) << "the join leaves the set as it is";
        EXPECT_EQ(Run({"repair", U8(set / "p.bin.tpl")}), 0) << pieces << err.str();
        EXPECT_EQ(test::ReadBytes(set / "p.bin.000"), piece);
        EXPECT_EQ(test::ReadBytes(set / "p.bin.tpl"), index);
        // A damaged index alone (its length): the join says so, not "1 piece".
        auto damaged = index;
        damaged[0] ^= 1;
        test::WriteBytes(set / "p.bin.tpl", damaged);
        EXPECT_EQ(Run({"join", U8(set / "p.bin.tpl")}), 0) << pieces << err.str();
        EXPECT_NE(err.str().find("The index was rebuilt from the recovery data."),
                  std::string::npos)
            << err.str();
        EXPECT_EQ(test::ReadBytes(set / "p.bin.tpl"), damaged);
        EXPECT_EQ(test::ReadBytes(set / "p.bin"), original);
    }
}

// With slices much smaller than a piece, a whole piece is more slices than the short last one:
// --recovery-pieces 1 covers the loss of the largest.
TEST_F(CliTest, RecoveryPiecesCoverTheLargestPieceWhateverTheSliceSize) {
    const auto original = test::RandomBytes(3667, 7); // pieces of 1000, 1000, 1000 and 667 bytes
    test::WriteBytes(dir / "q.bin", original);
    ASSERT_EQ(Run({"split", U8(dir / "q.bin"), "--size", "1000", "--recovery-pieces", "1",
                   "--slice-size", "100", "-q"}),
              0)
        << err.str();
    std::filesystem::remove(dir / "q.bin");
    std::filesystem::remove(dir / "q.bin.001");
    EXPECT_EQ(Run({"join", U8(dir / "q.bin.tpl")}), 0) << err.str();
    EXPECT_EQ(test::ReadBytes(dir / "q.bin"), original);
}

TEST_F(CliTest, JoinDefaultsToTheIndexFolder) {
    const auto bytes = test::RandomBytes(30, 12);
    test::WriteBytes(dir / "a.bin", bytes);
    ASSERT_EQ(Run({"split", U8(dir / "a.bin"), "--size", "10"}), 0) << err.str();
    std::filesystem::remove(dir / "a.bin");
    ASSERT_EQ(Run({"join", U8(dir / "a.bin.tpl")}), 0) << err.str();
    EXPECT_EQ(test::ReadBytes(dir / "a.bin"), bytes);
}

TEST_F(CliTest, AJoinReplacesAnExistingFileOnlyWithForce) {
    const auto original = test::RandomBytes(50, 6);
    test::WriteBytes(dir / "r.bin", original);
    ASSERT_EQ(Run({"split", U8(dir / "r.bin"), "--size", "20"}), 0) << err.str();
    test::WriteBytes(dir / "r.bin", test::Bytes{1, 2});
    std::filesystem::permissions(dir / "r.bin", std::filesystem::perms(0600));
    EXPECT_EQ(Run({"join", U8(dir / "r.bin.tpl")}), 1);
    EXPECT_NE(err.str().find("already exists; nothing was joined. Add --force"),
              std::string::npos)
        << err.str();
    EXPECT_EQ(test::ReadBytes(dir / "r.bin"), (test::Bytes{1, 2}));
    EXPECT_EQ(Run({"join", U8(dir / "r.bin.tpl"), "--force"}), 0) << err.str();
    EXPECT_EQ(test::ReadBytes(dir / "r.bin"), original);
#ifndef _WIN32
    EXPECT_EQ(std::filesystem::status(dir / "r.bin").permissions(), std::filesystem::perms(0600))
        << "a replaced file keeps its permission bits";
#endif
}

TEST_F(CliTest, OperationFailuresExitOneWithTheReasonOnStderr) {
    test::WriteBytes(dir / "small.bin", test::RandomBytes(6, 1));
    EXPECT_EQ(Run({"split", U8(dir / "small.bin"), "--size", "5"}), 1);
    EXPECT_NE(err.str().find("too small to split"), std::string::npos) << err.str();
    EXPECT_TRUE(out.str().empty());
    EXPECT_EQ(Run({"join", U8(dir / "none.tpl")}), 1);
    EXPECT_NE(err.str().find("none.tpl"), std::string::npos) << err.str();
    EXPECT_EQ(Run({"info", U8(dir / "none.tpl")}), 1);
}

TEST_F(CliTest, UsageMistakesExitTwo) {
    const std::vector<std::vector<std::string>> wrong{
        {},
        {"cut", "x"},
        {"split", "x"},
        {"split", "x", "--size"},
        {"split", "x", "--size", "0"},
        {"split", "x", "--size", "12abc"},
        {"split", "x", "--size", "2147483648"},
        {"split", "x", "--size", "2G"},
        {"split", "x", "--size", "10X"},
        {"split", "x", "--size", "-5"},
        {"split", "x", "--size", "1g"},
        {"split", "x", "--size", "1kb"},
        {"join", "a.tpl", "--codepage", "abc"},
        {"split", "x", "--size", "9", "--checksum", "--no-checksum"},
        {"split", "x", "--size", "1", "--pieces", "3"},
        {"split", "x", "--pieces", "1"},
        {"split", "", "--size", "10"},
        {"join", ""},
        {"join", "a.tpl", "--", "--quiet"},
        {"join"},
        {"join", "a.tpl", "b.tpl"},
        {"join", "a.tpl", "--size", "5"},
        {"info", "a.tpl", "--output", "d"},
        {"info", "a.tpl", "--frobnicate"},
        {"join", "a.tpl", "--self-join"},
        {"split", "x", "--size", "1", "--name", "y"},
        {"join", "a.tpl", "--name", "y"},
        {"split", "x", "--size", "10", "--recovery", "0"},
        {"split", "x", "--size", "10", "--recovery", "101"},
        {"split", "x", "--size", "10", "--recovery", "5", "--slice-size", "6"},
        {"split", "x", "--size", "10", "--slice-size", "64"},
        {"join", "a.tpl", "--recovery", "10"},
        {"split", "x", "--size", "10", "--recovery", "10", "--recovery-pieces", "1"},
        {"split", "x", "--size", "10", "--recovery-pieces", "0"},
        {"split", "x", "--size", "10", "--recovery", "10", "--slice-size", "18446744073709551612"},
    };
    for (const auto& args : wrong) {
        EXPECT_EQ(Run(args), 2) << ::testing::PrintToString(args);
        EXPECT_EQ(err.str().rfind("zendra-cli: ", 0), 0u) << err.str();
    }
    EXPECT_TRUE(dir.Names().empty());
}

TEST_F(CliTest, HelpListsEveryOptionAndVersionGoesToStdout) {
    EXPECT_EQ(Run({"--help"}), 0);
    for (const char* option : {"--size", "--pieces", "--output", "--quiet", "--version", "--",
                               "example:", "--name", "--last", "--self-join"})
        EXPECT_NE(out.str().find(option), std::string::npos) << option;
    EXPECT_TRUE(err.str().empty());
    EXPECT_EQ(Run({"--version"}), 0);
    EXPECT_EQ(out.str().rfind("zendra-cli ", 0), 0u);
}

TEST_F(CliTest, SizesInGnuSplitsForms) {
    const std::pair<const char*, std::uint64_t> forms[] = {
        {"3000", 3000},  {"3K", 3072},     {"3KiB", 3072},   {"3KB", 3000}, {"3k", 3072},
        {"1M", 1 << 20}, {"1MB", 1000000}, {"1MiB", 1 << 20}, {"1m", 1 << 20}, {"5b", 2560}};
    test::WriteBytes(dir / "s.bin", test::RandomBytes(2200000, 3));
    for (const auto& [form, bytes] : forms) {
        ASSERT_EQ(Run({"split", U8(dir / "s.bin"), "--size", form}), 0) << form << err.str();
        EXPECT_EQ(std::filesystem::file_size(dir / "s.bin.000"), bytes + 14) << form;
    }
    for (const auto& name : dir.Names())
        if (name != "s.bin") std::filesystem::remove(dir / name);
    ASSERT_EQ(Run({"split", U8(dir / "s.bin"), "--pieces", "3"}), 0) << err.str();
    EXPECT_EQ(std::filesystem::file_size(dir / "s.bin.000"), 733334u + 14);
    EXPECT_EQ(std::filesystem::file_size(dir / "s.bin.002"), 733332u + 14);
    EXPECT_FALSE(std::filesystem::exists(dir / "s.bin.003"));
    test::WriteBytes(dir / "ten.bin", test::RandomBytes(10, 3));
    EXPECT_EQ(Run({"split", U8(dir / "ten.bin"), "--pieces", "6"}), 1)
        << "10 bytes make 5 pieces of 2";
    EXPECT_NE(err.str().find("make 5"), std::string::npos) << err.str();
}

TEST_F(CliTest, DoubleDashQuietAndFilesNamedLikeOptions) {
    test::WriteBytes(dir / "-q", test::RandomBytes(30, 3));
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    const int status = Run({"split", "--quiet", "--size=10", "--", "-q"});
    std::filesystem::current_path(cwd);
    ASSERT_EQ(status, 0) << err.str();
    EXPECT_TRUE(out.str().empty() && err.str().empty()) << out.str() << err.str();
    EXPECT_TRUE(std::filesystem::exists(dir / "-q.tpl"));
}

TEST_F(CliTest, AVanishedWorkingFolderIsAMessageNotACrash) {
    const auto cwd = std::filesystem::current_path();
    {
        TempDir gone;
        std::filesystem::current_path(gone.Path());
    }
    const int status = Run({"split", "x.bin", "--size", "10"});
    std::filesystem::current_path(cwd);
    EXPECT_EQ(status, 1);
    EXPECT_NE(err.str().find("x.bin"), std::string::npos) << err.str();
}

// The ways a stop reaches the tool, with the exit status each gives.
struct StopKind {
    const char* name;
    int code; // the signal, or the console's event
    int status;
};
#ifdef _WIN32
// The console's events. Ctrl+C is pressed for real, on a console of this process's own. Wine (8.0)
// delivers none of the others to a console program: GenerateConsoleCtrlEvent refuses Ctrl+Break
// (ERROR_INVALID_HANDLE) and the console's window ignores the keys; closing the window ends the
// program at once with status 0; `wineboot --end-session` ends it without an event and `wineboot
// --shutdown` leaves it running. Those four are delivered as Windows delivers them: its control
// routine (kernel32's CtrlRoutine, which calls the process's handlers in turn) started on a thread
// of its own with the event as its argument.
constexpr StopKind kStops[] = {{"Ctrl+C", CTRL_C_EVENT, 130},
                               {"Ctrl+Break", CTRL_BREAK_EVENT, 130},
                               {"the console closed", CTRL_CLOSE_EVENT, 143},
                               {"a log-off", CTRL_LOGOFF_EVENT, 143},
                               {"a shutdown", CTRL_SHUTDOWN_EVENT, 143}};
#else
constexpr StopKind kStops[] = {
    {"SIGINT", SIGINT, 130}, {"SIGTERM", SIGTERM, 143}, {"SIGHUP", SIGHUP, 129}};
#endif

#ifdef _WIN32
using Handle = std::unique_ptr<void, decltype(&CloseHandle)>;

// What the system starts, in the process, on a thread of its own for each console event.
LPTHREAD_START_ROUTINE ControlRoutine() {
    return reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CtrlRoutine")));
}
#endif

// Sends a stop to this process as the system would, and waits until the tool's handler heard it.
class StopSender {
  public:
    StopSender() {
#ifdef _WIN32
        // A console of this process's own, so that the key presses reach no other program.
        static const bool allocated = [] {
            FreeConsole();
            return AllocConsole() != 0;
        }();
        available_ = allocated && ControlRoutine();
#endif
    }
    StopSender(const StopSender&) = delete;
    StopSender& operator=(const StopSender&) = delete;
    ~StopSender() {
        Finish();
    }

    bool Available() const {
        return available_;
    }
    // Whether the last stop sent was heard before Send returned.
    bool Heard() const {
        return heard_;
    }

    void Send(const StopKind& kind) {
#ifdef _WIN32
        started_ = GetTickCount();
        waits_ = kind.code != CTRL_C_EVENT && kind.code != CTRL_BREAK_EVENT;
        if (kind.code == CTRL_C_EVENT)
            GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
        else
            handler_.reset(CreateThread(nullptr, 0, ControlRoutine(),
                                        reinterpret_cast<void*>(static_cast<ULONG_PTR>(kind.code)),
                                        0, nullptr));
        // The handler runs on a thread of its own.
        while (!InterruptRequested() && GetTickCount() - started_ < 10000)
            Sleep(1);
#else
        std::raise(kind.code);
#endif
        heard_ = InterruptRequested();
    }

    // Called once the run has returned. The system ends the process once a close, log-off or
    // shutdown's handler returns: it must still be waiting then, unless the run took about as long
    // as it waits. It is released, as the end of the tool's process would end it.
    bool Finish() {
#ifdef _WIN32
        if (!handler_) return true;
        const bool waited = !waits_ || WaitForSingleObject(handler_.get(), 0) == WAIT_TIMEOUT ||
                            GetTickCount() - started_ > 4000;
        InterruptHandled();
        WaitForSingleObject(handler_.get(), INFINITE);
        handler_.reset();
        return waited;
#else
        return true;
#endif
    }

  private:
#ifdef _WIN32
    Handle handler_{nullptr, CloseHandle};
    DWORD started_ = 0;
    bool waits_ = false;
    bool available_ = false;
#else
    bool available_ = true;
#endif
    bool heard_ = false;
};

// A stream that sends a stop the first time the progress bar draws.
struct InterruptingBuffer : std::stringbuf {
    InterruptingBuffer(StopSender& to, const StopKind& sent) : sender(to), kind(sent) {}
    int overflow(int c) override {
        if (!pressed) {
            pressed = true;
            sender.Send(kind);
        }
        return std::stringbuf::overflow(c);
    }
    StopSender& sender;
    const StopKind& kind;
    bool pressed = false;
};

// Ctrl+C, a closed terminal or console, a log-off and a shutdown: each leaves nothing behind.
TEST_F(CliTest, CtrlCStopsCleanlyWithStatus130) {
    StopSender sender;
    if (!sender.Available()) GTEST_SKIP() << "no console to send Ctrl+C to";
    // What each command starts from: the source alone, or its pieces with recovery data (a piece
    // damaged for the repair).
    const auto prepare = [&](const std::string& command) {
        for (const auto& name : dir.Names())
            std::filesystem::remove(dir / name);
        test::WriteBytes(dir / "big.bin", test::RandomBytes(8 << 20, 4));
        if (command == "split") return;
        ASSERT_EQ(Run({"split", U8(dir / "big.bin"), "--size", "1M", "--recovery", "20"}), 0);
        std::filesystem::remove(dir / "big.bin");
        if (command == "repair") test::WriteBytes(dir / "big.bin.003", {1});
    };
    for (const StopKind& kind : kStops)
        for (const std::string command : {"split", "join", "verify", "repair"}) {
            InstallInterruptHandler();
            prepare(command);
            const auto names = dir.Names();
            InterruptingBuffer buffer(sender, kind);
            std::ostream interrupting(&buffer);
            std::vector<std::string> args{command, U8(dir / "big.bin.tpl")};
            if (command == "split") args = {"split", U8(dir / "big.bin"), "--size", "1M"};
            const int status = RunCli(args, out, interrupting, true);
            const std::string where = command + " stopped by " + kind.name + ": " + buffer.str();
            EXPECT_TRUE(sender.Finish()) << where << ": the handler did not wait for the clean-up";
            EXPECT_TRUE(buffer.pressed) << where << ": no progress shown to interrupt";
            EXPECT_TRUE(sender.Heard()) << where << ": not heard";
            EXPECT_EQ(status, kind.status) << where;
            EXPECT_EQ(dir.Names(), names) << where << ": pieces or temporary file removed";
        }
    InstallInterruptHandler(); // forgets this test's stops
#ifndef _WIN32
    // A second Ctrl+C ends the program at once, as if there were no handler.
    const pid_t child = fork();
    if (child == 0) {
        InstallInterruptHandler();
        std::raise(SIGINT);
        if (!InterruptRequested()) _exit(3);
        std::raise(SIGINT);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
#endif
}

StopSender* sender = nullptr;
const StopKind* sentStop = nullptr;
void SendStop() {
    sender->Send(*sentStop);
}

// A stop at writes spread over each command that writes (a split with recovery data and the kit
// over an older split, a join and another tool's parts join over an existing output, a repair), and
// one sent as the run starts, before its first write, each kind of stop in turn: the run exits with
// the stop's status and the folder as it was, or, the stop having come once the commit began, 0
// with the folder as a run without a stop leaves it.
TEST_F(CliTest, AStopAtAnyWriteLeavesTheFolderAsItWasOrDone) {
    StopSender sending;
    if (!sending.Available()) GTEST_SKIP() << "no console to send Ctrl+C to";
    sender = &sending;
    const auto older = test::RandomBytes(60000, 21), newer = test::RandomBytes(50000, 22);
    const auto fresh = [&](const test::Bytes& bytes) {
        for (const auto& name : dir.Names())
            std::filesystem::remove(dir / name);
        test::WriteBytes(dir / "d.bin", bytes);
    };
    const std::string source = U8(dir / "d.bin"), index = U8(dir / "d.bin.tpl");
    struct Command {
        std::function<void()> prepare;
        std::vector<std::string> args;
    };
    const Command commands[] = {
        {[&] {
             fresh(older);
             ASSERT_EQ(Run({"split", source, "--size", "10000", "--recovery", "20", "-q"}), 0);
             test::WriteBytes(dir / "d.bin", newer);
         },
         {"split", source, "--size", "7000", "--recovery", "30", "--slice-size", "4000", "--self-join",
          "-q"}},
        {[&] {
             fresh(older);
             ASSERT_EQ(Run({"split", source, "--size", "10000", "-q"}), 0);
             test::WriteBytes(dir / "d.bin", {1, 2, 3});
         },
         {"join", index, "--force", "-q"}},
        {[&] {
             fresh(older);
             test::WriteBytes(dir / "xaa", newer);
             test::WriteBytes(dir / "xab", older);
         },
         {"join", U8(dir / "xaa"), "--name", "d.bin", "--force", "-q"}},
        {[&] {
             fresh(older);
             ASSERT_EQ(Run({"split", source, "--size", "10000", "--recovery", "40", "--slice-size",
                            "2000", "-q"}),
                       0);
             test::WriteBytes(dir / "d.bin.002", {1, 2, 3});
             test::WriteBytes(dir / "d.bin.004", {4});
         },
         {"repair", index, "-q"}},
    };
    const unsigned kinds = std::size(kStops);
    for (const Command& command : commands) {
        InstallInterruptHandler();
        command.prepare();
        const auto before = test::Snapshot(dir);
        ArmFault(FaultPoint::Write, 0);
        ASSERT_EQ(Run(command.args), 0) << command.args[0] << ": " << err.str();
        const unsigned writes = FaultCalls(FaultPoint::Write);
        const auto after = test::Snapshot(dir);
        int stopped = 0;
        // The stop at the Nth write, or (0) sent before the run.
        const auto stopAt = [&](const StopKind& kind, unsigned nth) {
            InstallInterruptHandler();
            command.prepare();
            sentStop = &kind;
            if (nth == 0) SendStop();
            ArmFault(FaultPoint::Write, nth, nth ? SendStop : nullptr);
            const int status = Run(command.args);
            ArmFault(FaultPoint::Write, 0);
            const std::string where = command.args[0] + " stopped by " + kind.name + " at write " +
                                      std::to_string(nth) + ": " + err.str();
            EXPECT_TRUE(sending.Finish()) << where << ": the handler did not wait for the clean-up";
            EXPECT_TRUE(sending.Heard()) << where << ": not heard";
            if (status == 0 && nth > 0) {
                EXPECT_EQ(test::Snapshot(dir), after) << where;
            } else {
                EXPECT_EQ(status, kind.status) << where;
                EXPECT_EQ(test::Snapshot(dir), before) << where;
                ++stopped;
            }
        };
        // About 24 writes spread over the run, the last among them, each kind of stop at every
        // so many.
        const unsigned step = std::max(1u, writes / 24);
        for (unsigned k = 0; k < kinds; ++k) {
            stopAt(kStops[k], 0);
            for (unsigned nth = writes - k * step; nth >= 1 && nth <= writes;
                 nth -= std::min(nth, kinds * step))
                stopAt(kStops[k], nth);
        }
        EXPECT_GE(stopped, 2 + static_cast<int>(kinds)) << command.args[0];
    }
    InstallInterruptHandler();
    sender = nullptr;
}

#ifdef _WIN32
// The tool's own process, in a console of its own, told that its console closed as Windows tells
// it (the control routine started in it on a thread of its own) once a split is under way: the
// handler waits while the run removes what it wrote, and the process ends with 143 and the folder
// as it was (or, had the split finished first, 0 and the pieces).
TEST_F(CliTest, AClosedConsoleEndsTheToolWith143AndNothingLeft) {
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
    const auto program = std::filesystem::path(self).parent_path() / ZENDRA_CLI_PROGRAM;
    test::WriteBytes(dir / "big.bin", test::RandomBytes(32 << 20, 6));
    std::wstring line = L"\"" + program.wstring() + L"\" split \"" + (dir / "big.bin").wstring() +
                        L"\" --size 1M";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE,
                               nullptr, nullptr, &startup, &child))
        << GetLastError();
    const Handle process(child.hProcess, CloseHandle), thread(child.hThread, CloseHandle);
    // Under way once the run has put a file of its own in the folder.
    while (dir.Names().size() == 1 && WaitForSingleObject(process.get(), 1) == WAIT_TIMEOUT) {
    }
    const Handle handler(CreateRemoteThread(process.get(), nullptr, 0, ControlRoutine(),
                                            reinterpret_cast<void*>(CTRL_CLOSE_EVENT), 0, nullptr),
                         CloseHandle);
    EXPECT_TRUE(handler) << GetLastError();
    WaitForSingleObject(process.get(), INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(process.get(), &status);
    if (status == 0) {
        EXPECT_TRUE(std::filesystem::exists(dir / "big.bin.tpl"));
    } else {
        EXPECT_EQ(status, 143u);
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"big.bin"});
    }
}
#endif

#ifndef _WIN32
// A run killed outright leaves its temporary file; the next run in the folder knows it by the lock
// no live run holds, removes it and says so.
TEST_F(CliTest, WhatAKilledRunLeftIsRemovedByTheNext) {
    test::WriteBytes(dir / "big.bin", test::RandomBytes(4 << 20, 5));
    const pid_t child = fork();
    if (child == 0) {
        std::string message; // killed once half the bytes are copied
        SplitToPieces(dir / "big.bin", 0, message, 1 << 20, [](std::uint64_t done, std::uint64_t) {
            if (done >= (2 << 20)) std::raise(SIGKILL);
            return true;
        });
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    const auto left = dir.Names();
    EXPECT_TRUE(std::any_of(left.begin(), left.end(),
                            [](const std::string& name) { return name.ends_with(".tmp"); }));
    // Verify writes nothing: it says what is there and what puts it right.
    Run({"verify", U8(dir / "big.bin.tpl")});
    EXPECT_NE(err.str().find("files that an interrupted split, join or repair left"),
              std::string::npos)
        << err.str();
    EXPECT_NE(err.str().find("zendra-cli join"), std::string::npos) << err.str();
    EXPECT_EQ(dir.Names(), left);
    ASSERT_EQ(Run({"split", U8(dir / "big.bin"), "--size", "1M"}), 0) << err.str();
    EXPECT_NE(err.str().find("Removed 2 temporary files left by an interrupted split or join"),
              std::string::npos)
        << err.str();
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"big.bin", "big.bin.000", "big.bin.001",
                                                     "big.bin.002", "big.bin.003", "big.bin.tpl",
                                                     "big.bin.xxh128"}));
}
#endif

TEST_F(CliTest, ProgressBarOnlyOnATerminalAndNotWhenQuiet) {
    test::WriteBytes(dir / "p.bin", test::RandomBytes(5000, 2));
    ASSERT_EQ(Run({"split", U8(dir / "p.bin"), "--size", "1000"}, true), 0);
    EXPECT_NE(err.str().find("100%"), std::string::npos) << err.str();
    ASSERT_EQ(Run({"split", U8(dir / "p.bin"), "--size", "1000", "--quiet"}, true), 0);
    EXPECT_TRUE(err.str().empty());
    ASSERT_EQ(Run({"split", U8(dir / "p.bin"), "--size", "1000"}, false), 0);
    EXPECT_TRUE(err.str().empty());
}

} // namespace
} // namespace zendra
