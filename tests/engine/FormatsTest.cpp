#include "Formats.h"

#include <gtest/gtest.h>

namespace zendra {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(IndexFormat, FiveBytePathGivesSeventeenBytesInFieldOrder) {
    SplitIndex index;
    index.FileSize = 0x01020304;
    index.FilePath = "C:\\ab";
    index.PieceCount = 3;
    index.FirstNumber = -2;
    const Bytes bytes = EncodeIndex(index);
    const Bytes expected{0x04, 0x03, 0x02, 0x01, 5, 0, 'C', ':', '\\', 'a', 'b', 3, 0, 0xFE, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(bytes, expected);
}

TEST(IndexFormat, DecodeReadsBackAndIgnoresTrailingBytes) {
    SplitIndex index;
    index.FileSize = 123456;
    index.FilePath = std::string("d\xE9j\xE0", 4);
    index.PieceCount = 32767;
    index.FirstNumber = 7;
    Bytes bytes = EncodeIndex(index);
    bytes.insert(bytes.end(), {9, 9, 9}); // an older, longer file's tail
    const auto read = DecodeIndex(bytes);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->FileSize, 123456);
    EXPECT_EQ(read->FilePath, index.FilePath);
    EXPECT_EQ(read->PieceCount, 32767);
    EXPECT_EQ(read->FirstNumber, 7);
}

TEST(IndexFormat, DecodeRefusesRecordsCutShort) {
    SplitIndex index;
    index.FilePath = "abcde";
    const Bytes full = EncodeIndex(index);
    for (std::size_t cut = 0; cut < full.size(); ++cut)
        EXPECT_FALSE(DecodeIndex(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut)))) << cut;
    // A path length that runs past the end of the file.
    EXPECT_FALSE(DecodeIndex(Bytes{1, 0, 0, 0, 0xFF, 0xFF, 'a', 2, 0, 0, 0, 0, 0}));
}

TEST(PieceFormat, HeaderAndTrailerOfAThousandBytePiece) {
    const auto header = EncodePieceHeader(1000);
    const std::array<std::uint8_t, 10> expected{0x01, 0x00, 0xE8, 0x03, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00};
    EXPECT_EQ(header, expected);
    const std::array<std::uint8_t, 4> trailer{0xE8, 0x03, 0x00, 0x00};
    EXPECT_EQ(EncodePieceTrailer(1000), trailer);
    EXPECT_EQ(DecodePieceHeader(header), 1000u);
}

TEST(PieceFormat, HeaderOtherThanAOneBasedVectorIsRefused) {
    auto header = EncodePieceHeader(5);
    header[0] = 2; // two dimensions
    EXPECT_FALSE(DecodePieceHeader(header));
    header = EncodePieceHeader(5);
    header[6] = 0; // lower bound 0
    EXPECT_FALSE(DecodePieceHeader(header));
}

TEST(PieceNames, NumbersHaveAtLeastThreeDigits) {
    EXPECT_EQ(PieceSuffix(0), ".000");
    EXPECT_EQ(PieceSuffix(7), ".007");
    EXPECT_EQ(PieceSuffix(42), ".042");
    EXPECT_EQ(PieceSuffix(999), ".999");
    EXPECT_EQ(PieceSuffix(1000), ".1000");
    EXPECT_EQ(PieceSuffix(32766), ".32766");
    EXPECT_EQ(PieceSuffix(-1), ".-001");
}

TEST(PieceNames, ArePlainConcatenationOntoTheSourcePath) {
    EXPECT_EQ(PieceName("dir/Report.DOC", 2).native(), std::filesystem::path("dir/Report.DOC.002").native());
    EXPECT_EQ(IndexName("dir/Report.DOC").native(), std::filesystem::path("dir/Report.DOC.tpl").native());
}

} // namespace
} // namespace zendra
