// Both ways with par2cmdline (the Debian package par2), when it is installed.
#include "RecoveryTestKit.h"
#include "engine/Repair.h"
#include "engine/Split.h"
#include "recovery/Verdict.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace zendra {
namespace {

using test::Bytes;
using test::TempDir;
namespace fs = std::filesystem;

int Par2(const TempDir& dir, const std::string& arguments) {
    const std::string command =
        "cd '" + dir.Path().string() + "' && par2 " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct InteropTest : ::testing::Test {
    void SetUp() override {
        if (std::system("par2 --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no par2";
        // As a split makes them: one piece of 12 (under the 10 % of recovery data) may be lost.
        for (int k = 0; k < 12; ++k)
            contents["data.bin.0" + std::string(k < 10 ? "0" : "") + std::to_string(k)] =
                test::RandomBytes(k == 11 ? 7001 : 10000, static_cast<std::uint32_t>(k));
        for (const auto& [name, bytes] : contents)
            test::WriteBytes(dir / name, bytes);
    }
    // One piece lost, another damaged in its middle.
    void Damage() {
        fs::remove(dir / "data.bin.001");
        Bytes bytes = test::ReadBytes(dir / "data.bin.003");
        bytes[5000] ^= 0xff;
        test::WriteBytes(dir / "data.bin.003", bytes);
    }
    void ExpectOriginals() {
        for (const auto& [name, bytes] : contents)
            EXPECT_EQ(test::ReadBytes(dir / name), bytes) << name;
    }
    TempDir dir;
    std::map<std::string, Bytes> contents;
};

TEST_F(InteropTest, Par2cmdlineVerifiesAndRepairsWithZendrasFiles) {
    test::Protect(dir, contents, {10, 0, 0}, "data.bin");
    EXPECT_EQ(Par2(dir, "verify -q data.bin.par2"), 0);
    Damage();
    EXPECT_NE(Par2(dir, "verify -q data.bin.par2"), 0);
    EXPECT_EQ(Par2(dir, "repair -q data.bin.par2"), 0);
    ExpectOriginals();
}

TEST_F(InteropTest, ZendraRebuildsFromPar2cmdlinesFiles) {
    ASSERT_EQ(Par2(dir, "create -q -r10 data.bin.par2 data.bin.0*"), 0);
    Damage();
    const RecoveryStatus status = ScanRecovery(dir / "data.bin.par2");
    EXPECT_TRUE(status.Repairable);
    EXPECT_EQ(test::Repair(dir / "data.bin.par2").size(), 2u);
    ExpectOriginals();
    EXPECT_EQ(Par2(dir, "verify -q data.bin.par2"), 0);
}

// Sized in pieces (any two of them and the last file): par2cmdline repairs the loss of the
// largest two and the last.
TEST_F(InteropTest, Par2cmdlineRepairsWhatRecoverySizedInPiecesCovers) {
    test::Protect(dir, contents, {0, 0, 0, 2}, "data.bin");
    fs::remove(dir / "data.bin.011");
    fs::remove(dir / "data.bin.000");
    fs::remove(dir / "data.bin.005");
    EXPECT_EQ(Par2(dir, "repair -q data.bin.par2"), 0);
    ExpectOriginals();
}

// Pieces of 114 bytes with slices of 64 KiB (-s65536), read from a volume file alone once the main
// file is gone.
TEST_F(InteropTest, ZendraReadsLargeSlicesAndSetsWithoutTheirMainFile) {
    TempDir small;
    std::map<std::string, Bytes> pieces;
    for (int k = 0; k < 10; ++k)
        pieces["s.bin.00" + std::to_string(k)] =
            test::RandomBytes(114, static_cast<std::uint32_t>(k));
    for (const auto& [name, bytes] : pieces)
        test::WriteBytes(small / name, bytes);
    ASSERT_EQ(Par2(small, "create -q -s65536 -r20 s.bin.par2 s.bin.0*"), 0);
    EXPECT_TRUE(ScanRecovery(small / "s.bin.par2").AllIntact());
    fs::remove(small / "s.bin.par2");
    fs::remove(small / "s.bin.004");
    const auto found = FindRecoveryFile(small / "s.bin.tpl");
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(test::Repair(*found).size(), 1u);
    for (const auto& [name, bytes] : pieces)
        EXPECT_EQ(test::ReadBytes(small / name), bytes) << name;
}

// A set par2cmdline made over the pieces, the index and the checksum file, one checksum line then
// changed: the checksum file is damaged, listed once, and rebuilt like the rest.
TEST_F(InteropTest, AChecksumFileTheRecoveryDataCoversIsRebuiltLikeAPiece) {
    test::WriteBytes(dir / "r.bin", test::RandomBytes(40000, 3));
    std::string message;
    ASSERT_TRUE(SplitToPieces(dir / "r.bin", 0, message, 4000)) << message;
    ASSERT_EQ(Par2(dir, "create -q -r10 r.bin.par2 r.bin.0* r.bin.tpl r.bin.xxh128"), 0);
    const Bytes checksums = test::ReadBytes(dir / "r.bin.xxh128");
    Bytes changed = checksums;
    changed[0] = changed[0] == '0' ? '1' : '0';
    test::WriteBytes(dir / "r.bin.xxh128", changed);
    const SetVerdict v = JudgeSet(dir / "r.bin.tpl");
    EXPECT_EQ(v.Outcome, SetOutcome::Repairable);
    ASSERT_EQ(v.NotIntact(), 1u);
    EXPECT_EQ(std::count_if(v.Files.begin(), v.Files.end(),
                            [](const JudgedFile& f) { return f.Name == "r.bin.xxh128"; }),
              1);
    const RepairResult repaired = RepairSet(dir / "r.bin.tpl", {});
    EXPECT_TRUE(repaired.Written);
    EXPECT_EQ(repaired.Others, 1u);
    EXPECT_EQ(test::ReadBytes(dir / "r.bin.xxh128"), checksums);
    EXPECT_EQ(JudgeSet(dir / "r.bin.tpl").Outcome, SetOutcome::Intact);
}

// A split's recovery files, one piece's worth each: par2cmdline verifies and repairs with the vol
// files alone (NAME.par2 gone), sized in pieces or in percent.
TEST_F(InteropTest, Par2cmdlineRepairsFromTheVolFilesAlone) {
    for (const RecoveryOptions& recovery : {RecoveryOptions{0, 0, 0, 2}, RecoveryOptions{20}}) {
        TempDir set;
        const Bytes original = test::RandomBytes(40000, 3);
        test::WriteBytes(set / "r.bin", original);
        SplitOptions options;
        options.Recovery = recovery;
        std::string message;
        ASSERT_TRUE(SplitToPieces(set / "r.bin", 0, message, 4000, {}, options)) << message;
        const Bytes piece = test::ReadBytes(set / "r.bin.006");
        fs::remove(set / "r.bin.par2");
        std::string first;
        for (const auto& name : set.Names())
            if (name.find(".vol") != std::string::npos && first.empty()) first = name;
        EXPECT_EQ(Par2(set, "verify -q " + first), 0);
        fs::remove(set / "r.bin.006");
        EXPECT_EQ(Par2(set, "repair -q " + first), 0);
        EXPECT_EQ(test::ReadBytes(set / "r.bin.006"), piece);
    }
}

} // namespace
} // namespace zendra
