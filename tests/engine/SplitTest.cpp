#include "Formats.h"
#include "Split.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace zendra {
namespace {

using test::Bytes;
using test::TempDir;

const std::string kTooSmall = "\xe6\x96\x87\xe4\xbb\xb6\xe5\xa4\xaa\xe5\xb0\x8f\xef\xbc\x81";

struct SplitTest : ::testing::Test {
    TempDir dir;
    std::filesystem::path source = dir / "data.bin";

    bool Split(std::size_t length, std::int32_t pieceSize, std::string& message) {
        test::WriteBytes(source, test::RandomBytes(length, static_cast<std::uint32_t>(length)));
        return SplitToPieces(source, 0, message, pieceSize);
    }
    std::vector<std::uint64_t> PieceFileSizes() {
        std::vector<std::uint64_t> sizes;
        for (std::int32_t n = 0; std::filesystem::exists(PieceName(source, n)); ++n)
            sizes.push_back(std::filesystem::file_size(PieceName(source, n)));
        return sizes;
    }
};

TEST_F(SplitTest, PieceSizesFollowTheWorkedExamples) {
    const struct {
        std::size_t length;
        std::vector<std::uint64_t> files;
    } cases[] = {{7, {19, 16}}, {10, {19, 19}}, {11, {19, 19, 15}}, {15, {19, 19, 19}}};
    for (const auto& c : cases) {
        std::string message;
        ASSERT_TRUE(Split(c.length, 5, message)) << message;
        EXPECT_EQ(PieceFileSizes(), c.files) << c.length << " bytes";
        const auto index = DecodeIndex(test::ReadBytes(IndexName(source)));
        ASSERT_TRUE(index);
        EXPECT_EQ(index->FileSize, static_cast<std::int32_t>(c.length));
        EXPECT_EQ(index->PieceCount, static_cast<std::int16_t>(c.files.size()));
        EXPECT_EQ(index->FirstNumber, 0);
        for (std::int32_t n = 0; n < 3; ++n) std::filesystem::remove(PieceName(source, n));
    }
}

TEST_F(SplitTest, PiecesCarryTheSourceBytesInOrder) {
    std::string message;
    ASSERT_TRUE(Split(11, 5, message));
    const Bytes all = test::ReadBytes(source);
    EXPECT_EQ(test::ReadBytes(PieceName(source, 0)), test::PieceFileBytes(Bytes(all.begin(), all.begin() + 5)));
    EXPECT_EQ(test::ReadBytes(PieceName(source, 1)), test::PieceFileBytes(Bytes(all.begin() + 5, all.begin() + 10)));
    EXPECT_EQ(test::ReadBytes(PieceName(source, 2)), test::PieceFileBytes(Bytes(all.begin() + 10, all.end())));
}

TEST_F(SplitTest, IndexRecordsThePathAsGivenAndTheFirstNumber) {
    test::WriteBytes(source, test::RandomBytes(20, 1));
    std::string message;
    ASSERT_TRUE(SplitToPieces(source, 998, message, 10));
    EXPECT_TRUE(std::filesystem::exists(dir / "data.bin.998"));
    EXPECT_TRUE(std::filesystem::exists(dir / "data.bin.999"));
    const auto index = DecodeIndex(test::ReadBytes(IndexName(source)));
    ASSERT_TRUE(index);
    EXPECT_EQ(index->FirstNumber, 998);
    EXPECT_EQ(test::ReadBytes(IndexName(source)).size(), 12 + index->FilePath.size());
}

TEST_F(SplitTest, SourceNoLongerThanPieceSizePlusOneIsTooSmall) {
    for (const std::size_t length : {0u, 1u, 5u, 6u}) {
        std::string message;
        EXPECT_FALSE(Split(length, 5, message));
        EXPECT_EQ(message, kTooSmall);
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"data.bin"}) << "nothing may be written";
    }
    std::string message;
    EXPECT_FALSE(Split(3, 2147483647, message));
    EXPECT_EQ(message, kTooSmall);
}

TEST_F(SplitTest, RefusalsWriteNothing) {
    std::string message;
    EXPECT_FALSE(Split(10, 0, message));
    EXPECT_NE(message.find("at least 1"), std::string::npos) << message;
    EXPECT_FALSE(Split(10, -5, message));
    EXPECT_FALSE(Split(40000, 1, message));
    EXPECT_NE(message.find("32,767"), std::string::npos) << message;
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"data.bin"});

    message.clear();
    EXPECT_FALSE(SplitToPieces(dir / "missing.bin", 0, message, 5));
    EXPECT_NE(message.find("missing.bin"), std::string::npos) << message;
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"data.bin"});
}

TEST_F(SplitTest, MostPiecesPossibleIsAccepted) {
    if (std::filesystem::path::preferred_separator == '\\')
        GTEST_SKIP() << "32,767 files take minutes under Wine; the native run covers the shared count logic";
    std::string message;
    ASSERT_TRUE(Split(32767 * 2, 2, message)) << message;
    EXPECT_TRUE(std::filesystem::exists(dir / "data.bin.32766"));
    EXPECT_FALSE(std::filesystem::exists(dir / "data.bin.32767"));
}

TEST_F(SplitTest, APieceThatCannotBeWrittenLeavesNoPiecesAndNoStaleIndex) {
    std::string message;
    ASSERT_TRUE(Split(30, 10, message)); // an older split with its index
    std::filesystem::remove(PieceName(source, 2));
    std::filesystem::create_directory(PieceName(source, 2)); // the third piece cannot be created
    EXPECT_FALSE(Split(30, 10, message));
    EXPECT_NE(message.find("data.bin.002"), std::string::npos) << message;
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"data.bin", "data.bin.002"}));
}

TEST_F(SplitTest, OlderLongerFilesAreCutToLength) {
    test::WriteBytes(PieceName(source, 0), Bytes(100, 0xAA));
    test::WriteBytes(IndexName(source), Bytes(500, 0xAA));
    std::string message;
    ASSERT_TRUE(Split(8, 4, message));
    EXPECT_EQ(std::filesystem::file_size(PieceName(source, 0)), 18u);
    EXPECT_EQ(std::filesystem::file_size(IndexName(source)), 12 + DecodeIndex(test::ReadBytes(IndexName(source)))->FilePath.size());
}

TEST_F(SplitTest, ProgressReachesTheWholeLength) {
    test::WriteBytes(source, test::RandomBytes(3000, 3));
    std::uint64_t last = 0, total = 0;
    std::string message;
    ASSERT_TRUE(SplitToPieces(source, 0, message, 1000, [&](std::uint64_t done, std::uint64_t all) {
        EXPECT_GE(done, last);
        last = done;
        total = all;
        return true;
    }));
    EXPECT_EQ(last, 3000u);
    EXPECT_EQ(total, 3000u);
}

} // namespace
} // namespace zendra
