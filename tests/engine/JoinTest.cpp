#include "AnsiPath.h"
#include "Formats.h"
#include "Join.h"
#include "Split.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace zendra {
namespace {

using test::Bytes;
using test::TempDir;

struct JoinTest : ::testing::Test {
    TempDir dir;
    TempDir out;
    std::filesystem::path source = dir / "report.doc";
    Bytes original;

    void SplitSample(std::size_t length, std::int32_t pieceSize) {
        original = test::RandomBytes(length, static_cast<std::uint32_t>(length * 31 + pieceSize));
        test::WriteBytes(source, original);
        std::string message;
        ASSERT_TRUE(SplitToPieces(source, 0, message, pieceSize)) << message;
    }
    bool Join(std::string& message) { return JoinPieces(IndexName(source), out.Folder(), message); }
    // An index written by hand, for the cases a split never makes.
    void WriteIndex(const std::string& filePath, std::int32_t fileSize, std::int16_t count, std::int32_t first = 0) {
        SplitIndex index;
        index.FileSize = fileSize;
        index.FilePath = filePath;
        index.PieceCount = count;
        index.FirstNumber = first;
        test::WriteBytes(IndexName(source), EncodeIndex(index));
    }
    std::string IndexText(const std::filesystem::path& path) { return *ToIndexText(path); }
};

TEST_F(JoinTest, RoundTripsAreByteIdentical) {
    const std::pair<std::size_t, std::int32_t> cases[] = {
        {7, 5}, {10, 5}, {11, 5}, {2000, 999}, {1 << 20, 4096}, {(1 << 20) + 1, 1 << 19}, {3001, 1}};
    for (const auto& [length, pieceSize] : cases) {
        SplitSample(length, pieceSize);
        std::string message;
        ASSERT_TRUE(Join(message)) << message;
        EXPECT_EQ(test::ReadBytes(out / "report.doc"), original) << length << "/" << pieceSize;
    }
}

TEST_F(JoinTest, ThousandAndFirstPieceStillNamesTheSource) {
    SplitSample(1003, 1);
    EXPECT_TRUE(std::filesystem::exists(dir / "report.doc.1002"));
    std::string message;
    ASSERT_TRUE(Join(message)) << message;
    EXPECT_EQ(test::ReadBytes(out / "report.doc"), original);
}

TEST_F(JoinTest, IndexMovedAwayStillJoinsFromTheFolderItNames) {
    SplitSample(50, 20);
    const auto moved = out / "moved.tpl";
    std::filesystem::rename(IndexName(source), moved);
    std::string message;
    ASSERT_TRUE(JoinPieces(moved, out.Folder(), message)) << message;
    EXPECT_EQ(test::ReadBytes(out / "report.doc"), original);
}

TEST_F(JoinTest, PiecesCarriedWithTheirIndexAreFoundBesideIt) {
    SplitSample(50, 20);
    TempDir carried;
    for (const auto& name : {"report.doc.000", "report.doc.001", "report.doc.002", "report.doc.tpl"})
        std::filesystem::rename(dir / name, carried / name);
    std::string message;
    ASSERT_TRUE(JoinPieces(carried / "report.doc.tpl", out.Folder(), message)) << message;
    EXPECT_EQ(test::ReadBytes(out / "report.doc"), original);
}

TEST_F(JoinTest, IndexWrittenOnWindowsJoinsFromBesideTheIndex) {
    SplitSample(50, 20);
    WriteIndex("C:\\Users\\someone\\Desktop\\report.doc", 50, 3);
    std::string message;
    ASSERT_TRUE(Join(message)) << message;
    EXPECT_EQ(test::ReadBytes(out / "report.doc"), original);
}

TEST_F(JoinTest, OutputFolderWithoutSeparatorIsGluedToTheName) {
    SplitSample(30, 10);
    std::string message;
    ASSERT_TRUE(JoinPieces(IndexName(source), out / "x", message)) << message;
    EXPECT_EQ(test::ReadBytes(out / "xreport.doc"), original);
}

TEST_F(JoinTest, JoiningOverTheSourceReplacesItWhole) {
    SplitSample(30, 10);
    test::WriteBytes(source, Bytes(100, 0x55)); // a longer file now bears the name
    std::string message;
    ASSERT_TRUE(JoinPieces(IndexName(source), dir.Folder(), message)) << message;
    EXPECT_EQ(test::ReadBytes(source), original) << "no stale tail may remain";
}

struct JoinFailure : JoinTest {
    // A failed join writes nothing and leaves an existing output untouched.
    void ExpectNothingWritten(const std::string& fragment) {
        test::WriteBytes(out / "report.doc", Bytes{1, 2, 3});
        const auto before = dir.Names();
        std::string message;
        EXPECT_FALSE(Join(message));
        EXPECT_NE(message.find(fragment), std::string::npos) << message;
        EXPECT_EQ(out.Names(), std::vector<std::string>{"report.doc"});
        EXPECT_EQ(test::ReadBytes(out / "report.doc"), (Bytes{1, 2, 3}));
        EXPECT_EQ(dir.Names(), before) << "a missing piece must not be created";
    }
};

TEST_F(JoinFailure, MissingPiece) {
    SplitSample(50, 20);
    std::filesystem::remove(dir / "report.doc.001");
    ExpectNothingWritten("report.doc.001");
}

TEST_F(JoinFailure, EmptyPiece) {
    SplitSample(50, 20);
    test::WriteBytes(dir / "report.doc.002", {});
    ExpectNothingWritten("report.doc.002");
}

TEST_F(JoinFailure, PieceShorterThanItsHeaderSays) {
    SplitSample(50, 20);
    Bytes piece = test::ReadBytes(dir / "report.doc.000");
    piece.resize(piece.size() - 5);
    test::WriteBytes(dir / "report.doc.000", piece);
    ExpectNothingWritten("report.doc.000");
}

TEST_F(JoinFailure, PieceWithAForeignHeader) {
    SplitSample(50, 20);
    Bytes piece = test::ReadBytes(dir / "report.doc.001");
    piece[0] = 2;
    test::WriteBytes(dir / "report.doc.001", piece);
    ExpectNothingWritten("report.doc.001");
}

TEST_F(JoinFailure, PiecesThatDoNotAddUpToTheIndexSize) {
    SplitSample(50, 20);
    WriteIndex(IndexText(source), 51, 3);
    ExpectNothingWritten("50 bytes");
}

TEST_F(JoinFailure, IndexWithNoPieces) {
    SplitSample(50, 20);
    WriteIndex(IndexText(source), 50, 0);
    ExpectNothingWritten("report.doc.tpl");
}

TEST_F(JoinFailure, IndexCutShort) {
    SplitSample(50, 20);
    Bytes index = test::ReadBytes(IndexName(source));
    index.resize(index.size() - 3);
    test::WriteBytes(IndexName(source), index);
    ExpectNothingWritten("damaged");
}

TEST_F(JoinFailure, MissingIndex) {
    SplitSample(50, 20);
    std::filesystem::remove(IndexName(source));
    ExpectNothingWritten("report.doc.tpl");
}

TEST_F(JoinFailure, OutputNamesThatLeaveTheFolderAreRefused) {
    std::vector<std::string> names{"..", ".", "c:x", "bell\x07", "tab\t"};
    // Where "/" separates folders the index's last segment is the name; elsewhere it is refused.
    if (std::filesystem::path::preferred_separator == '\\') names.push_back("a/b");
    for (const std::string& name : names) {
        WriteIndex(IndexText(dir.Folder()) + "sub\\" + name, 6, 2);
        std::string message;
        EXPECT_FALSE(Join(message)) << name;
        EXPECT_NE(message.find("not a plain file name"), std::string::npos) << name << ": " << message;
        EXPECT_TRUE(out.Names().empty()) << name;
    }
}

TEST_F(JoinFailure, UnwritableOutputFolderLeavesNothing) {
    SplitSample(50, 20);
    std::string message;
    TempDir gone;
    const auto folder = gone.Folder();
    std::filesystem::remove_all(gone.Path());
    EXPECT_FALSE(JoinPieces(IndexName(source), folder, message));
    EXPECT_NE(message.find("report.doc"), std::string::npos) << message;
    EXPECT_TRUE(out.Names().empty());
}

TEST(JoinPlanTest, ListsEveryPieceWithItsSize) {
    TempDir dir;
    test::WriteBytes(dir / "a.bin", test::RandomBytes(25, 9));
    std::string message;
    ASSERT_TRUE(SplitToPieces(dir / "a.bin", 0, message, 10));
    JoinPlan plan;
    ASSERT_TRUE(ReadJoinPlan(dir / "a.bin.tpl", plan, message)) << message;
    ASSERT_EQ(plan.Pieces.size(), 3u);
    EXPECT_EQ(plan.Pieces[2].Size, 5);
    EXPECT_EQ(plan.Pieces[1].Location, dir / "a.bin.001");
    EXPECT_EQ(plan.OutputName, std::filesystem::path("a.bin"));
    EXPECT_EQ(plan.Index.FileSize, 25);
}

} // namespace
} // namespace zendra
