#include "formats/Checksum.h"
#include "formats/Formats.h"
#include "formats/Piece.h"
#include "TempDir.h"

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
    const Bytes expected{0x04, 0x03, 0x02, 0x01, 5,    0,    'C',  ':', '\\',
                         'a',  'b',  3,    0,    0xFE, 0xFF, 0xFF, 0xFF};
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
        EXPECT_FALSE(
            DecodeIndex(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut))))
            << cut;
    // A path length that runs past the end of the file.
    EXPECT_FALSE(DecodeIndex(Bytes{1, 0, 0, 0, 0xFF, 0xFF, 'a', 2, 0, 0, 0, 0, 0}));
}

// Over 2,147,483,647 bytes the classic record stays first and whole, FileSize -1 in it, and the
// marked 64-bit length follows; up to that size the index is the classic record alone.
TEST(IndexFormat, LongSizeRecordFollowsTheClassicOneOnlyWhenNeeded) {
    SplitIndex index;
    index.FilePath = "C:\\ab";
    index.PieceCount = 3;
    index.FileSize = 2147483647;
    EXPECT_EQ(EncodeIndex(index).size(), 17u);
    index.FileSize = 0x123456789A;
    const Bytes bytes = EncodeIndex(index);
    ASSERT_EQ(bytes.size(), 17u + 16);
    const Bytes tail{'Z', 'D', 'R', '6', '4', 'L', 'E', 'N', 0x9A, 0x78, 0x56, 0x34, 0x12, 0, 0, 0};
    EXPECT_EQ(Bytes(bytes.begin() + 17, bytes.end()), tail);
    EXPECT_EQ(DecodeIndex(bytes)->FileSize, 0x123456789A);

    // A reader of the classic record alone sees its fields, FileSize -1.
    const auto classic = DecodeIndex(Bytes(bytes.begin(), bytes.begin() + 17));
    ASSERT_TRUE(classic);
    EXPECT_EQ(classic->FileSize, -1);
    EXPECT_EQ(classic->FilePath, "C:\\ab");
    EXPECT_EQ(classic->PieceCount, 3);

    Bytes stray = bytes; // the marker after a classic record whose FileSize is not -1
    stray[0] = 5;
    EXPECT_EQ(DecodeIndex(stray)->FileSize, -251); // 05 FF FF FF
    Bytes cut = bytes;                             // a damaged marker is no long size
    cut[20] = 'x';
    EXPECT_EQ(DecodeIndex(cut)->FileSize, -1);
}

TEST(ChecksumFile, LinesAreThoseOfXxhsumH2) {
    Hash128 empty, abc;
    abc.Update("a", 1);
    abc.Update("bc", 2);
    EXPECT_EQ(empty.Hex(), "99aa06d3014798d86001c324468d497f"); // `xxhsum -H2` of nothing
    EXPECT_EQ(abc.Hex(), "06b05ab6733a618578af5f94892f3950");
    const ChecksumList list{{"a b.bin", abc.Hex()}, {"a b.bin.000", empty.Hex()}};
    const std::string text = EncodeChecksums(list);
    EXPECT_EQ(text, "06b05ab6733a618578af5f94892f3950  a b.bin\n"
                    "99aa06d3014798d86001c324468d497f  a b.bin.000\n");
    EXPECT_EQ(DecodeChecksums(text), list);
    EXPECT_EQ(DecodeChecksums("06b05ab6733a618578af5f94892f3950  a b.bin\r\n")->size(), 1u);
    EXPECT_FALSE(DecodeChecksums("06b05ab6733a618578af5f94892f395  a b.bin\n")); // 31 digits
    EXPECT_FALSE(DecodeChecksums("06B05AB6733A618578AF5F94892F3950 a b.bin\n"));
}

TEST(PieceFormat, HeaderAndTrailerOfAThousandBytePiece) {
    const auto header = EncodePieceHeader(1000);
    const std::array<std::uint8_t, 10> expected{0x01, 0x00, 0xE8, 0x03, 0x00,
                                                0x00, 0x01, 0x00, 0x00, 0x00};
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

// Every reader of pieces takes the shape from one rule: each case is one step past a well-formed
// piece of each size, at the header, the data, the trailer and the end.
TEST(PieceFormat, EveryShapeOneStepPastAWellFormedPiece) {
    test::TempDir dir;
    using S = PieceShape;
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{1000}}) {
        const test::Bytes good = test::PieceFileBytes(test::RandomBytes(size, 7));
        struct Case {
            const char* what;
            test::Bytes bytes;
            PieceShape shape;
        };
        std::vector<Case> cases{{"well formed", good, S::WellFormed}};
        auto with = [&](const char* what, PieceShape shape, auto change) {
            test::Bytes bytes = good;
            change(bytes);
            cases.push_back({what, bytes, shape});
        };
        with("one byte after", S::BytesAfter, [](test::Bytes& b) { b.push_back(0); });
        with("trailer's last byte", S::TrailerDiffers, [](test::Bytes& b) { b.back() ^= 1; });
        with("trailer's first byte", S::TrailerDiffers, [](test::Bytes& b) { b[b.size() - 4] ^= 0x80; });
        with("trailer one byte short", S::NoTrailer, [](test::Bytes& b) { b.pop_back(); });
        with("no trailer", S::NoTrailer, [](test::Bytes& b) { b.resize(b.size() - 4); });
        with("header alone, nine bytes", S::NotAPiece, [](test::Bytes& b) { b.resize(9); });
        with("two dimensions", S::NotAPiece, [](test::Bytes& b) { b[0] = 2; });
        with("lower bound 0", S::NotAPiece, [](test::Bytes& b) { b[6] = 0; });
        if (size > 0)
            with("data one byte short", S::ShortData, [](test::Bytes& b) { b.resize(b.size() - 5); });
        for (const auto& c : cases) {
            const auto path = dir / "piece";
            test::WriteBytes(path, c.bytes);
            const PieceRead read = ReadPieceShape(path);
            EXPECT_EQ(read.Shape, c.shape) << c.what << ", " << size << " bytes";
            EXPECT_EQ(read.Strict(), c.shape == S::WellFormed) << c.what;
            EXPECT_EQ(read.FileSize, c.bytes.size()) << c.what;
            if (c.shape != S::NotAPiece) {
                EXPECT_EQ(read.DataSize, size) << c.what;
            }
        }
    }
    // A header announcing more than the largest piece is no piece's, however long the file.
    test::Bytes huge = test::PieceFileBytes({});
    huge[2] = huge[3] = huge[4] = 0xFF;
    huge[5] = 0x80;
    test::WriteBytes(dir / "huge", huge);
    EXPECT_EQ(ReadPieceShape(dir / "huge").Shape, S::NotAPiece);
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
    EXPECT_EQ(PieceName("dir/Report.DOC", 2).native(),
              std::filesystem::path("dir/Report.DOC.002").native());
    EXPECT_EQ(IndexName("dir/Report.DOC").native(),
              std::filesystem::path("dir/Report.DOC.tpl").native());
}

} // namespace
} // namespace zendra
