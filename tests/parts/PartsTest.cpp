#include "Parts.h"
#include "../engine/TempDir.h"
#include "Digest.h"
#include "Formats.h"
#include "Join.h"
#include "PartNaming.h"
#include "Split.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace zendra {
namespace {

using test::Bytes;
using test::TempDir;
namespace fs = std::filesystem;

PathText P(const std::string& text) {
    return fs::path(text).native();
}

TEST(PartNamingTest, FirstPartsAndTheNamesThatFollow) {
    const struct {
        const char* first;
        const char* output;
        std::uint64_t position;
        const char* name;
    } cases[] = {
        {"data.tar.001", "data.tar", 998, "data.tar.999"},
        {"data.tar.001", "data.tar", 999, "data.tar.1000"}, // as archivers go on
        {"v.0000", "v", 12, "v.0012"},
        {"data.tar.aa", "data.tar", 649, "data.tar.yz"},
        {"data.tar.aa", "data.tar", 650, "data.tar.zaaa"}, // GNU's growing suffixes
        {"xaa", "x", 650 + 16899, "xzyzz"},
        {"xaa", "x", 650 + 16900, "xzzaaaa"},
        {"xaaa", "x", 26, "xaba"}, // -a 3: fixed width
        {"log00", "log", 89, "log89"},
        {"log00", "log", 90, "log9000"},
        {"backup200", "backup2", 1, "backup201"},
        {"part.01", "part", 98, "part.99"}, // --numeric-suffixes=1: fixed width
    };
    for (const auto& c : cases) {
        const auto naming = ReadPartNaming(P(c.first));
        ASSERT_TRUE(naming) << c.first;
        EXPECT_EQ(naming->OutputName(), P(c.output)) << c.first;
        EXPECT_EQ(naming->NameOf(c.position), P(c.name)) << c.first << " " << c.position;
        EXPECT_EQ(naming->PositionOf(P(c.name)), c.position) << c.first << " " << c.name;
    }
    EXPECT_FALSE(ReadPartNaming(P("part.01"))->NameOf(99));
    EXPECT_FALSE(ReadPartNaming(P("data.tar.aa"))->PositionOf(P("data.tar.za")));
    for (const char* notFirst : {"report.doc", "data.ab", "photo7", "data.002", "a"})
        EXPECT_FALSE(ReadPartNaming(P(notFirst))) << notFirst;
}

// Known answers for "abc", so that each platform's own hash (CryptoAPI, libmd) is checked.
TEST(DigestTest, KnownAnswers) {
    const std::pair<HashKind, const char*> cases[] = {
        {HashKind::Md5, "900150983cd24fb0d6963f7d28e17f72"},
        {HashKind::Sha1, "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {HashKind::Sha256, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {HashKind::Sha512,
         "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a"
         "274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f"},
        {HashKind::Crc32, "352441c2"},
        {HashKind::Xxh128, "06b05ab6733a618578af5f94892f3950"}};
    for (const auto& [kind, hex] : cases) {
        Digest digest(kind);
        digest.Update("a", 1);
        digest.Update("bc", 2);
        EXPECT_EQ(digest.Hex(), hex) << static_cast<int>(kind);
    }
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
    // Plans and joins; the message when either fails.
    std::string Join(const std::string& first, PartsPlan& plan, const std::string& name = {}) {
        std::string message;
        if (!ReadPartsPlan(dir / first, fs::path(name), plan, message)) return message;
        if (!WritePartsJoin(plan, out.Folder(), false, message)) return message;
        return {};
    }
    std::string Join(const std::string& first, const std::string& name = {}) {
        PartsPlan plan;
        return Join(first, plan, name);
    }
};

#ifndef _WIN32
TEST_F(PartsTest, GnuSplitsNamingsJoinByteForByte) {
    const std::pair<const char*, const char*> cases[] = {
        {"split -b 1000 --numeric-suffixes=1 -a 3 data.bin data.bin.", "data.bin.001"},
        {"split -b 1000 -d data.bin data.bin.", "data.bin.00"},
        {"split -b 1000 data.bin data.bin.", "data.bin.aa"},
        {"split -b 1000 -a 4 data.bin data.bin.", "data.bin.aaaa"},
        {"split -b 13 data.bin data.bin.", "data.bin.aa"},     // 770 parts: past "yz" to "zaaa"
        {"split -b 100 -d data.bin data.bin.", "data.bin.00"}, // 100 parts: past "89" to "9000"
    };
    for (const auto& [command, first] : cases) {
        test::WriteBytes(dir / "data.bin", original);
        Shell(std::string(command) + " && rm data.bin");
        PartsPlan plan;
        ASSERT_EQ(Join(first, plan), "") << command;
        EXPECT_EQ(test::ReadBytes(out / "data.bin"), original) << command;
        EXPECT_FALSE(plan.Note.empty()); // no check file: a missing last part cannot be seen
        fs::remove_all(out.Path());
        fs::create_directories(out.Path());
        Shell("rm data.bin.*");
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
    };
    for (const char* maker : makers) {
        test::WriteBytes(dir / "data.bin", original);
        Shell("split -b 4000 --numeric-suffixes=1 -a 3 data.bin data.bin. && " +
              std::string(maker) + " && rm data.bin");
        PartsPlan plan;
        ASSERT_EQ(Join("data.bin.001", plan), "") << maker;
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
}
#endif

TEST_F(PartsTest, GapsAndAMissingLastPartNamedInACheckFile) {
    for (int i = 1; i <= 4; ++i)
        test::WriteBytes(dir / std::string("movie.mkv.00").append(1, static_cast<char>('0' + i)),
                         {std::uint8_t(i)});
    fs::remove(dir / "movie.mkv.003");
    std::string message = Join("movie.mkv.001");
    EXPECT_NE(message.find("movie.mkv.003\" is missing"), std::string::npos) << message;
    EXPECT_NE(message.find("movie.mkv.004"), std::string::npos) << message;

    fs::remove(dir / "movie.mkv.004");
    WriteText("movie.mkv.sfv", "; made elsewhere\nmovie.mkv.001 A505DF1B\nmovie.mkv.002 3C0C8EA1\n"
                               "movie.mkv.003 4B0BBE37\n");
    message = Join("movie.mkv.001");
    EXPECT_NE(message.find("movie.mkv.003\", which"), std::string::npos) << message;
    EXPECT_TRUE(out.Names().empty());
}

TEST_F(PartsTest, ZendraPiecesOfferedAsPartsJoinAsPieces) {
    test::WriteBytes(dir / "report.doc", original);
    std::string message;
    SplitOptions options;
    options.WriteChecksums = true;
    ASSERT_TRUE(SplitToPieces(dir / "report.doc", 0, message, 3000, {}, options)) << message;
    fs::remove(dir / "report.doc");
    PartsPlan plan;
    ASSERT_TRUE(ReadPartsPlan(dir / "report.doc.001", {}, plan, message)) << message;
    EXPECT_TRUE(plan.ZendraPieces);
    EXPECT_EQ(plan.Index, IndexName(dir / "report.doc"));

    fs::remove(plan.Index); // without the index: each piece's header and trailer left out
    ASSERT_EQ(Join("report.doc.000", plan), "");
    EXPECT_EQ(plan.CheckFiles.size(), 1u); // Zendra's own report.doc.xxh128
    EXPECT_EQ(test::ReadBytes(out / "report.doc"), original);

    test::WriteBytes(dir / "report.doc.002", {1, 2, 3}); // a raw part among pieces
    EXPECT_NE(Join("report.doc.000").find("report.doc.002\" is not one of Zendra's pieces"),
              std::string::npos);
}

TEST_F(PartsTest, NamesOutputsAndWhatIsRefused) {
    test::WriteBytes(dir / "xaa", {1, 2});
    test::WriteBytes(dir / "xab", {3});
    EXPECT_EQ(Join("xaa"), NameNeededMessage);
    ASSERT_EQ(Join("xaa", "photo.jpg"), "");
    EXPECT_EQ(test::ReadBytes(out / "photo.jpg"), (Bytes{1, 2, 3}));
    EXPECT_NE(Join("xaa", "photo.jpg").find("already exists"), std::string::npos);
    EXPECT_NE(Join("xab", "photo.jpg").find("first part"), std::string::npos);

    WriteText("photo2.jpg.md5", "0123456789abcdef0123456789abcdef  other.jpg\n");
    EXPECT_NE(Join("xaa", "photo2.jpg").find("names neither"), std::string::npos);
    WriteText("photo2.jpg.md5", "not a line\n");
    EXPECT_NE(Join("xaa", "photo2.jpg").find("is damaged"), std::string::npos);
    EXPECT_EQ(out.Names(), std::vector<std::string>{"photo.jpg"});
}

} // namespace
} // namespace zendra
