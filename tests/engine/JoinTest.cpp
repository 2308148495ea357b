#include "TempDir.h"
#include "engine/Join.h"
#include "engine/Split.h"
#include "formats/Checksum.h"
#include "formats/Formats.h"
#include "io/AnsiPath.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <algorithm>
#include <fstream>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zendra {
namespace {

using test::Bytes;
using test::TempDir;

const JoinOptions kReplace{.Replace = true, .Notice = {}};

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
    // Over an existing output, as the failure cases leave one there to stay untouched.
    bool Join(std::string& message) {
        return JoinPieces(IndexName(source), out.Folder(), message, {}, kReplace);
    }
    // An index written by hand, for the cases a split never makes.
    void WriteIndex(const std::string& filePath, std::int32_t fileSize, std::int16_t count,
                    std::int32_t first = 0) {
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
        {7, 5},   {10, 5}, {11, 5}, {2000, 999}, {1 << 20, 4096}, {(1 << 20) + 1, 1 << 19},
        {3001, 1},
        // Pieces long enough to be hashed on a thread beside the write, at odd offsets.
        {(24 << 20) + 61, (8 << 20) + 4093}};
    for (const auto& [length, pieceSize] : cases) {
        SplitSample(length, pieceSize);
        std::string message;
        ASSERT_TRUE(Join(message)) << message;
        EXPECT_EQ(test::ReadBytes(out / "report.doc"), original) << length << "/" << pieceSize;
#ifndef _WIN32
        // The hashes beside the write, checked by the tool itself: a join that hashed the same
        // wrong bytes would agree with the split.
        if (pieceSize >= (8 << 20)) {
            EXPECT_EQ(std::system(("cd '" + dir.Path().string() +
                                   "' && xxhsum -H2 -c --quiet report.doc.xxh128")
                                      .c_str()),
                      0);
        }
#endif
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

// Both folders may hold pieces of the same name from different splits: one folder serves the whole
// join.
TEST_F(JoinTest, AllPiecesComeFromOneFolderTheNamedOneFirst) {
    SplitSample(50, 20);
    const Bytes version1 = original;
    TempDir carried;
    for (const auto& name :
         {"report.doc.000", "report.doc.001", "report.doc.002", "report.doc.tpl"})
        std::filesystem::copy_file(dir / name, carried / name);
    original = test::RandomBytes(50, 999); // version 2, same sizes, in the folder the index names
    test::WriteBytes(source, original);
    std::string message;
    ASSERT_TRUE(SplitToPieces(source, 0, message, 20)) << message;
    ASSERT_TRUE(JoinPieces(carried / "report.doc.tpl", out.Folder(), message)) << message;
    EXPECT_EQ(test::ReadBytes(out / "report.doc"), original) << "the named folder comes first";

    std::filesystem::remove(dir / "report.doc.001");
    ASSERT_TRUE(JoinPieces(carried / "report.doc.tpl", out.Folder(), message, {}, kReplace))
        << message;
    EXPECT_EQ(test::ReadBytes(out / "report.doc"), version1) << "never a mix of the two";

    std::filesystem::remove(carried / "report.doc.002");
    EXPECT_FALSE(JoinPieces(carried / "report.doc.tpl", out.Folder(), message));
    EXPECT_NE(message.find(test::U8(dir / "report.doc.001")), std::string::npos) << message;
    EXPECT_NE(message.find(test::U8(carried / "report.doc.002")), std::string::npos) << message;
}

TEST_F(JoinTest, FirstNumberOtherThanZero) {
    original = test::RandomBytes(45, 3);
    test::WriteBytes(source, original);
    std::string message;
    ASSERT_TRUE(SplitToPieces(source, 7, message, 20)) << message;
    ASSERT_TRUE(Join(message)) << message;
    EXPECT_EQ(test::ReadBytes(out / "report.doc"), original);
}

// An index written on the other system: its folder means nothing here, its pieces lie beside it.
TEST_F(JoinTest, IndexWrittenOnTheOtherSystemJoinsFromBesideTheIndex) {
    SplitSample(50, 20);
    const bool windows = std::filesystem::path::preferred_separator == '\\';
    WriteIndex(windows ? "/home/someone/report.doc" : "C:\\Users\\someone\\Desktop\\report.doc", 50,
               3);
    std::string message;
    ASSERT_TRUE(Join(message)) << message;
    EXPECT_EQ(test::ReadBytes(out / "report.doc"), original);
    if (windows) return;
    // Windows wrote "café.doc" in its code page; its pieces carry the name in UTF-8.
    for (int k = 0; k < 3; ++k)
        std::filesystem::rename(PieceName(source, k), PieceName(dir / "caf\xc3\xa9.doc", k));
    WriteIndex("C:\\caf\xe9.doc", 50, 3);
    ASSERT_TRUE(Join(message)) << message;
    EXPECT_EQ(test::ReadBytes(out / "caf\xc3\xa9.doc"), original);
    for (int k = 0; k < 3; ++k)
        std::filesystem::rename(PieceName(dir / "caf\xc3\xa9.doc", k),
                                PieceName(dir / "\xd0\xb0.doc", k)); // Cyrillic а
    WriteIndex("C:\\\xe0.doc", 50, 3);
    EXPECT_FALSE(Join(message));
    EXPECT_NE(message.find("--codepage"), std::string::npos) << message;
    JoinPlan plan;
    ASSERT_TRUE(ReadJoinPlan(IndexName(source), plan, message, 1251)) << message;
    EXPECT_EQ(plan.OutputName, std::filesystem::path("\xd0\xb0.doc"));
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
    EXPECT_FALSE(JoinPieces(IndexName(source), dir.Folder(), message));
    EXPECT_EQ(message, "\"" + test::U8(source) + "\" already exists; nothing was joined.");
    EXPECT_EQ(test::ReadBytes(source), Bytes(100, 0x55)) << "never replaced unless asked";
    ASSERT_TRUE(JoinPieces(IndexName(source), dir.Folder(), message, {}, kReplace)) << message;
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
    ExpectNothingWritten(
        "report.doc.000\" is damaged: it holds fewer bytes than its header announces");
}

TEST_F(JoinFailure, PieceWithoutItsTrailer) {
    SplitSample(50, 20);
    Bytes piece = test::ReadBytes(dir / "report.doc.002");
    piece.resize(piece.size() - 4);
    test::WriteBytes(dir / "report.doc.002", piece);
    ExpectNothingWritten("its last 4 bytes, which repeat its length, are missing");
}

// The join reads a piece as the documented reader does (header and data); a trailer that differs
// or bytes after the record are left to the checksum file, which covers the whole piece file, and
// are noted for the user where there is none.
TEST_F(JoinTest, TrailerOrBytesAfterThePieceAreJudgedByTheChecksumFile) {
    for (const bool extra : {false, true}) {
        SplitSample(50, 20);
        Bytes piece = test::ReadBytes(dir / "report.doc.001");
        if (extra) piece.push_back('!');
        else piece.back() ^= 1;
        test::WriteBytes(dir / "report.doc.001", piece);
        std::string message;
        EXPECT_FALSE(Join(message)) << "the checksum file covers the whole piece file";
        EXPECT_NE(message.find("report.doc.001"), std::string::npos) << message;

        std::filesystem::remove(dir / "report.doc.xxh128");
        JoinPlan plan;
        ASSERT_TRUE(JoinPieces(IndexName(source), out.Folder(), message, {}, kReplace, &plan))
            << message;
        EXPECT_EQ(test::ReadBytes(out / "report.doc"), original);
        EXPECT_NE(plan.Note.find("report.doc.001"), std::string::npos) << plan.Note;
        std::filesystem::remove(out / "report.doc");
    }
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

// Each way a length can be wrong gets its own message.
TEST_F(JoinFailure, IndexLengthsThatCannotBe) {
    SplitSample(50, 20);
    const Bytes classic = [&] {
        SplitIndex index = *DecodeIndex(test::ReadBytes(IndexName(source)));
        index.FileSize = -1;
        return EncodeIndex(index);
    }();
    const auto record = [](std::uint64_t length) {
        Bytes bytes(kLongSizeMarker, kLongSizeMarker + 8);
        for (int i = 0; i < 8; ++i)
            bytes.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
        return bytes;
    };
    const std::pair<Bytes, const char*> cases[] = {
        {{}, "but none follows"},
        {Bytes(kLongSizeMarker, kLongSizeMarker + 8), "is cut short"},
        {record(50), "that the classic record holds itself"},
        {Bytes(16, 0x41), "is not a long-size record"}};
    for (const auto& [tail, fragment] : cases) {
        Bytes index = classic;
        index.insert(index.end(), tail.begin(), tail.end());
        test::WriteBytes(IndexName(source), index);
        ExpectNothingWritten(fragment);
    }
    WriteIndex(IndexText(source), -50, 3);
    ExpectNothingWritten("its file size is negative");
}

// The pieces are checked, then opened again for the copy: one replaced meanwhile (a split of the
// same name) must not be joined.
TEST_F(JoinFailure, APieceReplacedAfterTheCheckIsNotJoined) {
    SplitSample(3 << 20, 1 << 20);
    JoinPlan plan;
    std::string message;
    ASSERT_TRUE(ReadJoinPlan(IndexName(source), plan, message)) << message;
    const Bytes other = test::PieceFileBytes(test::RandomBytes(1 << 20, 8));
    test::WriteBytes(dir / "other", other);
    std::filesystem::rename(dir / "other", dir / "report.doc.002");
    EXPECT_FALSE(WriteJoinedFile(plan, out.Folder(), message));
    EXPECT_NE(message.find("report.doc.002\" changed after it was checked"), std::string::npos)
        << message;
    EXPECT_TRUE(out.Names().empty());
}

TEST_F(JoinFailure, MissingIndex) {
    SplitSample(50, 20);
    std::filesystem::remove(IndexName(source));
    ExpectNothingWritten("report.doc.tpl");
}

TEST_F(JoinFailure, OutputNamesThatLeaveTheFolderAreRefused) {
    std::vector<std::string> paths{"C:\\sub\\..", "C:\\sub\\.", "C:\\sub\\"};
    if (std::filesystem::path::preferred_separator == '\\') {
        for (const char* name : {"c:x", "bell\x07", "tab\t", "a/b", "CON", "aux.txt", "com1 .x",
                                 "dot.", "space ", "a?b", "a<b", "pipe|"})
            paths.push_back(std::string("C:\\sub\\") + name);
    } else {
        for (const char* name : {"..", ".", ""})
            paths.push_back(std::string("/sub/") + name);
    }
    for (const std::string& path : paths) {
        WriteIndex(path, 6, 2);
        std::string message;
        EXPECT_FALSE(Join(message)) << path;
        EXPECT_NE(message.find("not a plain file name"), std::string::npos)
            << path << ": " << message;
        EXPECT_TRUE(out.Names().empty()) << path;
    }
}

// Names that are ordinary on Linux round-trip; a backslash is part of the name there.
TEST_F(JoinTest, UnusualNamesRoundTrip) {
    if (std::filesystem::path::preferred_separator == '\\')
        GTEST_SKIP() << "Windows names cannot hold these";
    for (const std::string name :
         {"backup-10:00.bin", "tab\there", "-leading", "draft\\report.txt"}) {
        source = dir / name;
        SplitSample(30, 10);
        test::WriteBytes(out / "report.txt", Bytes{9});
        std::string message;
        ASSERT_TRUE(Join(message)) << name << ": " << message;
        EXPECT_EQ(test::ReadBytes(out / name), original) << name;
        EXPECT_EQ(test::ReadBytes(out / "report.txt"), Bytes{9}) << "an unrelated file stays";
    }
}

TEST_F(JoinTest, NameOfTheLongestLengthSplitsAndJoins) {
    source = dir / std::string(251, 'n'); // its pieces and index just fit the 255-byte limit
    test::WriteBytes(source, test::RandomBytes(30, 4));
    std::string message;
    EXPECT_FALSE(SplitToPieces(source, 0, message, 10)) << "its checksum file's name would not fit";
    EXPECT_NE(message.find(".xxh128\" is longer than the file system allows"), std::string::npos)
        << message;
    EXPECT_EQ(dir.Names().size(), 1u) << "refused before anything is written";
    SplitOptions unchecked;
    unchecked.WriteChecksums = false;
    original = test::ReadBytes(source);
    ASSERT_TRUE(SplitToPieces(source, 0, message, 10, {}, unchecked)) << message;
    ASSERT_TRUE(Join(message)) << message;
    EXPECT_EQ(test::ReadBytes(out / std::string(251, 'n')), original);
}

#ifndef _WIN32
// A set on a medium this process cannot write (a CD, a write-protected stick, a read-only share)
// joins into another folder without writing a thing beside it (no lock, no journal); a file a
// killed run left there is named as what cannot be put right, and the join goes on.
TEST_F(JoinTest, ASetInAReadOnlyFolderJoinsWithoutWritingThere) {
    namespace fs = std::filesystem;
    SplitSample(5000, 1000);
    fs::remove(source);
    std::vector<std::string> notices;
    JoinOptions options;
    options.Notice = [&](const std::string& line) { notices.push_back(line); };
    for (const bool killedRunLeft : {false, true}) {
        if (killedRunLeft) test::WriteBytes(dir / ".zendra-00beef-1.tmp", {1});
        fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
        if (::access(dir.Path().c_str(), W_OK) == 0)
            GTEST_SKIP() << "this process may write read-only folders (root)";
        const auto names = dir.Names();
        notices.clear();
        fs::remove(out / "report.doc");
        std::string message;
        ASSERT_TRUE(JoinPieces(IndexName(source), out.Folder(), message, {}, options)) << message;
        EXPECT_EQ(test::ReadBytes(out / "report.doc"), original);
        EXPECT_EQ(dir.Names(), names);
        EXPECT_EQ(notices.size(), killedRunLeft ? 1u : 0u);
        if (killedRunLeft) {
            EXPECT_NE(notices[0].find("cannot be put right"), std::string::npos) << notices[0];
        }
        fs::permissions(dir.Path(), fs::perms::owner_all);
    }
}
#endif

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

TEST_F(JoinFailure, CancelledHalfWay) {
    original = test::RandomBytes(3 << 20, 5);
    test::WriteBytes(source, original);
    std::string message;
    SplitOptions checked; // the checking beside the copy stops too
    checked.WriteChecksums = true;
    ASSERT_TRUE(SplitToPieces(source, 0, message, 1 << 20, {}, checked)) << message;
    test::WriteBytes(out / "report.doc", Bytes{1, 2, 3});
    EXPECT_FALSE(JoinPieces(
        IndexName(source), out.Folder(), message,
        [](std::uint64_t done, std::uint64_t) { return done < (2 << 20); }, kReplace));
    EXPECT_EQ(message, CancelledMessage);
    EXPECT_EQ(out.Names(), std::vector<std::string>{"report.doc"}) << "no temporary file left";
    EXPECT_EQ(test::ReadBytes(out / "report.doc"), (Bytes{1, 2, 3}));
}

// A read-only file is the user's to keep: it is refused before any byte is copied (Windows would
// refuse the final rename only after the whole copy).
TEST_F(JoinFailure, ReadOnlyFilesAtOutputNamesAreRefusedAtOnce) {
    using std::filesystem::perms;
    const auto readOnly = [](const std::filesystem::path& at, bool on) {
        std::filesystem::permissions(
            at, perms::owner_write | perms::group_write | perms::others_write,
            on ? std::filesystem::perm_options::remove : std::filesystem::perm_options::add);
    };
    SplitSample(3 << 20, 1 << 20);
    test::WriteBytes(out / "report.doc", Bytes{1, 2, 3});
    readOnly(out / "report.doc", true);
#ifndef _WIN32
    if (std::ofstream(out / "report.doc", std::ios::app)) {
        readOnly(out / "report.doc", false);
        GTEST_SKIP() << "this process may write read-only files (root)";
    }
#endif
    std::uint64_t copied = 0;
    std::string message;
    EXPECT_FALSE(JoinPieces(
        IndexName(source), out.Folder(), message,
        [&](std::uint64_t done, std::uint64_t) {
            copied = done;
            return true;
        },
        kReplace));
    readOnly(out / "report.doc", false);
    EXPECT_NE(message.find("report.doc\" is read-only"), std::string::npos) << message;
    EXPECT_EQ(copied, 0u);
    EXPECT_EQ(out.Names(), std::vector<std::string>{"report.doc"});

    const auto before = dir.Names();
    readOnly(dir / "report.doc.002", true);
    EXPECT_FALSE(SplitToPieces(source, 0, message, 1 << 20, [&](std::uint64_t done, std::uint64_t) {
        copied = done;
        return true;
    }));
    readOnly(dir / "report.doc.002", false);
    EXPECT_NE(message.find("report.doc.002\" is read-only"), std::string::npos) << message;
    EXPECT_EQ(copied, 0u);
    EXPECT_EQ(dir.Names(), before) << "no temporary file left";
}

#ifndef _WIN32
// A file system that cannot hold the output (FAT32's 4 GiB limit) fails the write with EFBIG; the
// process's file size limit gives the same failure on any file system.
TEST_F(JoinFailure, OutputTheFileSystemCannotHold) {
    SplitSample(3 << 20, 1 << 20);
    test::WriteBytes(dir / "big.bin", Bytes(3 << 20, 1));
    struct rlimit before {};
    getrlimit(RLIMIT_FSIZE, &before);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = before;
    limit.rlim_cur = 2 << 20;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::string message;
    const bool joined = Join(message);
    std::string splitMessage;
    const bool split = SplitToPieces(dir / "big.bin", 0, splitMessage, 1 << 21);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(joined);
    EXPECT_NE(message.find("Cannot write \"" + test::U8(out / "report.doc") +
                           "\": the file system cannot hold"),
              std::string::npos)
        << message;
    EXPECT_TRUE(out.Names().empty()) << "no temporary file left";
    EXPECT_FALSE(split);
    EXPECT_NE(splitMessage.find("big.bin.000\": the file system cannot hold"), std::string::npos)
        << splitMessage;
    EXPECT_EQ(dir.Names().size(), 7u) << "the two sources and the earlier split only";
}

// A disk too small for what a run would write: the split, the join and a parts join are refused
// before a byte is written, naming the bytes needed and free. A real small file system (tmpfs,
// as root); skipped where none can be mounted.
TEST_F(JoinFailure, FilesThatWillNotFitAreRefusedBeforeAnyByte) {
    TempDir small;
    const std::string mount = "mount -t tmpfs -o size=1m tmpfs '" + small.Path().string() + "'";
    if (geteuid() != 0 || std::system((mount + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "no small file system can be mounted here";
    struct Unmount {
        std::string folder;
        ~Unmount() { (void)!std::system(("umount '" + folder + "'").c_str()); }
    } unmount{small.Path().string()};

    SplitSample(2 << 20, 1 << 19); // the pieces elsewhere, the output on the small disk
    std::string message;
    EXPECT_FALSE(JoinPieces(IndexName(source), small.Folder(), message, {}, kReplace));
    EXPECT_NE(message.find("The join needs 2097152 bytes on the disk of"), std::string::npos)
        << message;
    EXPECT_NE(message.find(" are free; nothing was written"), std::string::npos) << message;
    EXPECT_TRUE(small.Names().empty()) << "no lock, journal or temporary file";

    const auto inside = small / "data.bin"; // fits, but its pieces would not fit beside it
    test::WriteBytes(inside, test::RandomBytes(600 << 10, 5));
    EXPECT_FALSE(SplitToPieces(inside, 0, message, 100 << 10));
    EXPECT_NE(message.find("The split needs "), std::string::npos) << message;
    EXPECT_EQ(small.Names(), std::vector<std::string>{"data.bin"});
    std::filesystem::resize_file(inside, 300 << 10);
    EXPECT_TRUE(SplitToPieces(inside, 0, message, 100 << 10)) << message << " (it fits now)";
}

// Pipes, folders and devices at the names a join reads or writes: a clear message at once.
TEST_F(JoinFailure, SpecialFilesAreRefusedAtOnce) {
    SplitSample(50, 20);
    const auto fifo = [](const std::filesystem::path& at) {
        std::filesystem::remove(at);
        ASSERT_EQ(mkfifo(at.c_str(), 0600), 0);
    };
    fifo(dir / "report.doc.001");
    ExpectNothingWritten("report.doc.001\" is not a regular file");
    std::filesystem::remove(dir / "report.doc.001");
    std::filesystem::create_directory(dir / "report.doc.001");
    ExpectNothingWritten("report.doc.001\" is a folder");
    fifo(IndexName(source));
    ExpectNothingWritten("report.doc.tpl\" is not a regular file");

    std::filesystem::remove(dir / "report.doc.001");
    std::filesystem::remove(IndexName(source));
    SplitSample(50, 20);
    std::string message;
    fifo(out / "report.doc");
    EXPECT_FALSE(Join(message));
    EXPECT_NE(message.find("report.doc\" is not a regular file"), std::string::npos) << message;
    EXPECT_EQ(out.Names(), std::vector<std::string>{"report.doc"});
    EXPECT_FALSE(SplitToPieces("/dev/null", 0, message, 10));
    EXPECT_NE(message.find("\"/dev/null\" is not a regular file"), std::string::npos) << message;
}
#endif

#ifndef _WIN32
// A 5 GiB source as a sparse file: a few marked bytes around the 2 GiB and 4 GiB boundaries, holes
// elsewhere, so that it costs no disk. Its pieces and joined copy stay sparse.
TEST_F(JoinTest, FiveGibibyteSparseSourceSplitsAndJoins) {
    constexpr std::int64_t kLength = 5ll << 30;
    const std::int64_t marks[] = {0, 2147483644, (3ll << 30) - 2, (4ll << 30) - 3,
                                  kLength - 7}; // across boundaries
    {
        std::fstream file(source, std::ios::binary | std::ios::out | std::ios::trunc);
        for (const std::int64_t at : marks)
            file.seekp(at).write("markers", 7);
    }
    std::filesystem::resize_file(source, kLength);
    for (const std::int32_t pieceSize : {1 << 30, 2147483647}) {
        std::string message;
        ASSERT_TRUE(SplitToPieces(source, 0, message, pieceSize)) << message;
        const auto index = DecodeIndex(test::ReadBytes(IndexName(source)));
        ASSERT_TRUE(index);
        EXPECT_EQ(index->FileSize, kLength);
        EXPECT_EQ(index->PieceCount, pieceSize == (1 << 30) ? 5 : 3);
        ASSERT_TRUE(Join(message)) << message;
        const auto joined = out / "report.doc";
        ASSERT_EQ(std::filesystem::file_size(joined), static_cast<std::uintmax_t>(kLength));
        std::ifstream in(joined, std::ios::binary);
        for (const std::int64_t at : marks) {
            char text[8] = {};
            in.seekg(at).read(text, 7);
            EXPECT_STREQ(text, "markers") << at;
        }
        struct stat info {};
        stat(joined.c_str(), &info);
        EXPECT_LT(info.st_blocks * 512, 64 << 20) << "the copy stays sparse";
    }
    SplitIndex longer = *DecodeIndex(test::ReadBytes(IndexName(source)));
    longer.FileSize += 1;
    test::WriteBytes(IndexName(source), EncodeIndex(longer));
    std::string message;
    EXPECT_FALSE(Join(message));
    EXPECT_NE(message.find("index file records 5368709121"), std::string::npos) << message;
}
#endif

TEST_F(JoinTest, ALinkAtTheOutputNameIsReplacedNotWrittenThrough) {
    SplitSample(30, 10);
    const Bytes other = test::RandomBytes(40, 8);
    test::WriteBytes(dir / "other.bin", other);
    try {
        std::filesystem::create_symlink(dir / "other.bin", out / "report.doc");
    } catch (const std::filesystem::filesystem_error&) {
        GTEST_SKIP() << "no symbolic links here";
    }
    std::string message;
    ASSERT_TRUE(Join(message)) << message;
    EXPECT_EQ(test::ReadBytes(dir / "other.bin"), other);
    EXPECT_EQ(test::ReadBytes(out / "report.doc"), original);
}

struct ChecksumTest : JoinFailure {
    void SplitChecked(std::size_t length, std::uint32_t seed) {
        original = test::RandomBytes(length, seed);
        test::WriteBytes(source, original);
        std::string message;
        SplitOptions options;
        options.WriteChecksums = true;
        ASSERT_TRUE(SplitToPieces(source, 0, message, 20, {}, options)) << message;
    }
    std::filesystem::path sums = dir / "report.doc.xxh128";
};

TEST_F(ChecksumTest, EveryPieceAndTheWholeAreListedAndChecked) {
    SplitChecked(50, 1);
    const Bytes text = test::ReadBytes(sums);
    const auto list = DecodeChecksums(std::string(text.begin(), text.end()));
    ASSERT_TRUE(list);
    Hash128 whole;
    whole.Update(original.data(), original.size());
    EXPECT_EQ(list->at("report.doc"), whole.Hex());
    Hash128 last;
    const Bytes piece = test::ReadBytes(dir / "report.doc.002");
    last.Update(piece.data(), piece.size());
    EXPECT_EQ(list->at("report.doc.002"), last.Hex()) << "the whole piece file, as xxhsum reads it";
    std::string message;
    ASSERT_TRUE(Join(message)) << message;
    EXPECT_EQ(test::ReadBytes(out / "report.doc"), original);

    // A split without checksums removes the older split's, which no longer match; when it cannot,
    // every later join would fail, so the split writes nothing.
    const auto older = dir.Names();
    const Bytes olderPiece = test::ReadBytes(dir / "report.doc.001");
    SplitOptions unchecked;
    unchecked.WriteChecksums = false;
    const auto ExpectRefused = [&](const std::string& fragment) {
        EXPECT_FALSE(SplitToPieces(source, 0, message, 25, {}, unchecked));
        EXPECT_NE(message.find("report.doc.xxh128" + fragment), std::string::npos) << message;
        EXPECT_EQ(dir.Names(), older);
        EXPECT_EQ(test::ReadBytes(dir / "report.doc.001"), olderPiece);
    };
    using std::filesystem::perms;
    const perms write = perms::owner_write | perms::group_write | perms::others_write;
    std::filesystem::permissions(sums, write, std::filesystem::perm_options::remove);
    if (!std::ofstream(sums, std::ios::app)) ExpectRefused("\" is read-only"); // unless root
    std::filesystem::permissions(sums, write, std::filesystem::perm_options::add);
    if (std::filesystem::path::preferred_separator == '\\') {
        std::ifstream held(sums); // without sharing its removal
        ExpectRefused("\" is open in another program");
    }
    ASSERT_TRUE(SplitToPieces(source, 0, message, 25, {}, unchecked)) << message;
    EXPECT_FALSE(std::filesystem::exists(sums));
    std::filesystem::create_directory(sums);
    EXPECT_FALSE(SplitToPieces(source, 0, message, 20));
    EXPECT_NE(message.find("report.doc.xxh128\" is a folder"), std::string::npos) << message;
}

TEST_F(ChecksumTest, AFlippedByteAnywhereInAnyPieceIsNamed) {
    for (const auto& [name, at] :
         {std::pair{"report.doc.000", 3}, {"report.doc.001", 15}, {"report.doc.002", 21}}) {
        SplitChecked(50, 2);
        Bytes piece = test::ReadBytes(dir / name);
        piece[static_cast<std::size_t>(at)] ^= 0x10; // in the header, the data, the trailer
        test::WriteBytes(dir / name, piece);
        JoinPlan plan;
        std::string message;
        if (at != 3) { // a damaged header is already refused by its form
            ASSERT_TRUE(ReadJoinPlan(IndexName(source), plan, message)) << message;
            EXPECT_FALSE(VerifyPieces(plan, message));
            EXPECT_NE(message.find(std::string(name) + "\" is damaged: its checksum"),
                      std::string::npos)
                << message;
        }
        ExpectNothingWritten(std::string(name) + "\" is damaged");
    }
}

TEST_F(ChecksumTest, AMissingLineOrAnotherSplitsFileFails) {
    // Read as xxhsum reads it: upper-case digits are fine, lines of another form are skipped.
    SplitChecked(50, 3);
    const Bytes lower = test::ReadBytes(sums);
    std::string upper(lower.begin(), lower.end());
    for (std::size_t line = 0; line < upper.size(); line = upper.find('\n', line) + 1)
        std::transform(upper.begin() + line, upper.begin() + line + 32, upper.begin() + line,
                       [](char c) { return static_cast<char>(std::toupper(c)); });
    test::WriteBytes(sums, Bytes(upper.begin(), upper.end()));
    std::string message;
    ASSERT_TRUE(Join(message)) << message;
    const Bytes good = test::ReadBytes(sums);
    std::string text(good.begin(), good.end());
    // The last digit of a file's line, changed to `digit` (or to another one).
    const auto changed = [&](const std::string& line, char digit) {
        std::string copy = text;
        char& last = copy[copy.find(line) - 1];
        last = last == digit ? '1' : digit;
        return copy;
    };
    const std::pair<std::string, const char*> spoiled[] = {
        {"\xEF\xBB\xBF" + text, "is damaged"},
        {text + std::string(32, '0') + "  report.doc.001\n", "is damaged"},
        {changed("  report.doc.000", 'g'), "has no line for \"report.doc.000\""},
        {changed("  report.doc\n", '0'), "do not match the checksum of \"report.doc\""}};
    for (const auto& [bad, fragment] : spoiled) {
        test::WriteBytes(sums, Bytes(bad.begin(), bad.end()));
        ExpectNothingWritten(fragment);
    }
    // Too large to be one: refused as such, never read in part.
    std::filesystem::resize_file(sums, (64 << 20) + 1);
    ExpectNothingWritten("report.doc.xxh128\" is over 64 MiB");
    std::filesystem::remove(sums);
    std::filesystem::create_directory(sums);
    ExpectNothingWritten("report.doc.xxh128\" is a folder");
    std::filesystem::remove(sums);

    // Bytes after a piece's trailer belong to the piece file its line describes.
    SplitChecked(50, 3);
    Bytes longer = test::ReadBytes(dir / "report.doc.001");
    longer.push_back(0);
    test::WriteBytes(dir / "report.doc.001", longer);
    ExpectNothingWritten("report.doc.001\" is damaged");

    // The index moved away from its pieces: the checksum file beside the pieces still counts.
    SplitChecked(50, 3);
    std::filesystem::rename(IndexName(source), out / "moved.tpl");
    Bytes flipped = test::ReadBytes(dir / "report.doc.001");
    flipped[12] ^= 1;
    test::WriteBytes(dir / "report.doc.001", flipped);
    EXPECT_FALSE(JoinPieces(out / "moved.tpl", out.Folder(), message, {}, kReplace));
    EXPECT_NE(message.find("report.doc.001\" is damaged"), std::string::npos) << message;
    std::filesystem::rename(out / "moved.tpl", IndexName(source));

    SplitChecked(50, 3);
    text.erase(text.find("\n") + 1, 34 + 15); // the line of report.doc.000
    test::WriteBytes(sums, Bytes(text.begin(), text.end()));
    ExpectNothingWritten("has no line for \"report.doc.000\"");

    SplitChecked(50, 4);
    const Bytes version2 = test::ReadBytes(sums);
    SplitChecked(50, 3);
    test::WriteBytes(sums, version2);
    ExpectNothingWritten("report.doc.000\" is damaged: its checksum does not match");
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
