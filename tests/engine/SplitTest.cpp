#include "FaultSweep.h"
#include "TempDir.h"
#include "engine/Join.h"
#include "engine/Split.h"
#include "formats/Formats.h"
#include "io/JobQueue.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <thread>

#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace zendra {
namespace {

using test::Bytes;
using test::TempDir;

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
        for (std::int32_t n = 0; n < 3; ++n)
            std::filesystem::remove(PieceName(source, n));
    }
}

TEST_F(SplitTest, PiecesCarryTheSourceBytesInOrder) {
    std::string message;
    ASSERT_TRUE(Split(11, 5, message));
    const Bytes all = test::ReadBytes(source);
    EXPECT_EQ(test::ReadBytes(PieceName(source, 0)),
              test::PieceFileBytes(Bytes(all.begin(), all.begin() + 5)));
    EXPECT_EQ(test::ReadBytes(PieceName(source, 1)),
              test::PieceFileBytes(Bytes(all.begin() + 5, all.begin() + 10)));
    EXPECT_EQ(test::ReadBytes(PieceName(source, 2)),
              test::PieceFileBytes(Bytes(all.begin() + 10, all.end())));

    // Pieces of several copy buffers, starting at offsets of every alignment: the buffer is placed
    // anew for each.
    constexpr std::int32_t kPiece = (1 << 20) + 4093;
    ASSERT_TRUE(Split(3 * kPiece + 61, kPiece, message)) << message;
    const Bytes large = test::ReadBytes(source);
    for (std::int32_t n = 0; n < 4; ++n) {
        const auto from = large.begin() + n * kPiece;
        const auto to = n == 3 ? large.end() : from + kPiece;
        EXPECT_EQ(test::ReadBytes(PieceName(source, n)), test::PieceFileBytes(Bytes(from, to)))
            << "piece " << n;
    }
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
        EXPECT_EQ(message, std::string(TooSmallMessage));
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"data.bin"}) << "nothing may be written";
    }
    std::string message;
    EXPECT_FALSE(Split(3, 2147483647, message));
    EXPECT_EQ(message, std::string(TooSmallMessage));
}

TEST_F(SplitTest, RefusalsWriteNothing) {
    std::string message;
    if (std::filesystem::path::preferred_separator == '/') {
        const auto named = dir / "line\rbreak";
        test::WriteBytes(named, test::RandomBytes(30, 1));
        EXPECT_FALSE(SplitToPieces(named, 0, message, 10)) << "a checksum file cannot list it";
        EXPECT_NE(message.find("line break"), std::string::npos) << message;
        std::filesystem::remove(named);
    }
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
        GTEST_SKIP()
            << "32,767 files take minutes under Wine; the native run covers the shared count logic";
    std::string message;
    ASSERT_TRUE(Split(32767 * 2, 2, message)) << message;
    EXPECT_TRUE(std::filesystem::exists(dir / "data.bin.32766"));
    EXPECT_FALSE(std::filesystem::exists(dir / "data.bin.32767"));
}

TEST_F(SplitTest, AFolderAtAPieceNameIsRefusedBeforeAnOlderSplitIsTouched) {
    std::string message;
    ASSERT_TRUE(Split(30, 10, message)); // an older split with its index
    const Bytes olderPiece = test::ReadBytes(PieceName(source, 0)),
                olderIndex = test::ReadBytes(IndexName(source));
    std::filesystem::remove(PieceName(source, 2));
    std::filesystem::create_directory(PieceName(source, 2));
    EXPECT_FALSE(Split(30, 10, message));
    EXPECT_NE(message.find("data.bin.002\" is a folder"), std::string::npos) << message;
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"data.bin", "data.bin.000", "data.bin.001",
                                                     "data.bin.002", "data.bin.tpl",
                                                     "data.bin.xxh128"}));
    EXPECT_EQ(test::ReadBytes(PieceName(source, 0)), olderPiece);
    EXPECT_EQ(test::ReadBytes(IndexName(source)), olderIndex);

    // A link to a folder (a junction on Windows) counts as the folder: Windows cannot rename a file
    // over it, and would fail only after the whole copy.
    std::filesystem::rename(PieceName(source, 2), dir / "folder");
    std::filesystem::remove(IndexName(source));
    std::error_code unsupported; // Wine makes neither links to folders nor junctions
    std::filesystem::create_directory_symlink(dir / "folder", IndexName(source), unsupported);
    if (!unsupported) {
        EXPECT_FALSE(Split(30, 10, message));
        EXPECT_NE(message.find("data.bin.tpl\" is a folder"), std::string::npos) << message;
        EXPECT_EQ(test::ReadBytes(PieceName(source, 0)), olderPiece);
    }
}

// Two runs on one set would interleave their commits; runs on different files stay independent.
// The older split's pieces beyond the new count go with it; a file there of another make (or one
// byte longer than a piece) stays.
TEST_F(SplitTest, OneRunPerSetAndNoPieceOfTheOlderSplitLeft) {
    std::string message, inner;
    ASSERT_TRUE(Split(60, 10, message));
    test::WriteBytes(PieceName(source, 5), Bytes{'m', 'i', 'n', 'e'});
    Bytes almost = test::ReadBytes(PieceName(source, 4));
    almost.push_back(0); // one byte past a piece: no longer the split's own
    test::WriteBytes(PieceName(source, 4), almost);
    const std::filesystem::path other = dir / "other.bin";
    test::WriteBytes(other, test::RandomBytes(40, 3));
    bool asked = false, otherSplit = false, sameSplit = true;
    EXPECT_TRUE(SplitToPieces(source, 0, message, 30, [&](std::uint64_t, std::uint64_t) {
        if (!asked) {
            asked = true;
            sameSplit = SplitToPieces(source, 0, inner, 30);
            otherSplit = SplitToPieces(other, 0, message, 10);
        }
        return true;
    })) << message;
    EXPECT_FALSE(sameSplit);
    EXPECT_NE(inner.find("is using \"" + IndexName(source).string() + "\""), std::string::npos)
        << inner;
    EXPECT_TRUE(otherSplit) << message;
    // A split and a join of one file at once: whichever comes second is refused, writing nothing.
    TempDir out;
    bool joined = true, splitMeanwhile = true;
    EXPECT_TRUE(SplitToPieces(source, 0, message, 30, [&](std::uint64_t, std::uint64_t) {
        if (joined) joined = JoinPieces(IndexName(source), out.Folder(), inner);
        return true;
    })) << message;
    EXPECT_FALSE(joined);
    EXPECT_NE(inner.find("is writing \"" + IndexName(source).string() + "\""), std::string::npos)
        << inner;
    EXPECT_TRUE(JoinPieces(IndexName(source), out.Folder(), message, [&](auto, auto) {
        if (splitMeanwhile) splitMeanwhile = SplitToPieces(source, 0, inner, 10);
        return true;
    })) << message;
    EXPECT_FALSE(splitMeanwhile);
    EXPECT_NE(inner.find("is using \"" + IndexName(source).string() + "\""), std::string::npos)
        << inner;
    EXPECT_EQ(out.Names(), std::vector<std::string>{"data.bin"});
    EXPECT_TRUE(SplitToPieces(source, 0, message, 20)) << "the set is free once the run ended";
    EXPECT_EQ(dir.Names(),
              (std::vector<std::string>{
                  "data.bin", "data.bin.000", "data.bin.001", "data.bin.002", "data.bin.004", "data.bin.005",
                  "data.bin.tpl", "data.bin.xxh128", "other.bin", "other.bin.000", "other.bin.001",
                  "other.bin.002", "other.bin.003", "other.bin.tpl", "other.bin.xxh128"}));
}

// Eight splits of different files in one folder at once, each started while the others' locks may
// be only just created: none takes another's lock for a killed run's, none fails.
TEST_F(SplitTest, RunsOnDifferentFilesInOneFolderNeverFailEachOther) {
    RunLock::HoldBeforeLocking(std::chrono::milliseconds(3));
    std::vector<std::filesystem::path> sources;
    for (int i = 0; i < 8; ++i) {
        sources.push_back(dir / ("f" + std::to_string(i) + ".bin"));
        test::WriteBytes(sources.back(), test::RandomBytes(4000 + i, i));
    }
    for (int round = 0; round < 6; ++round) {
        std::vector<std::string> messages(sources.size());
        std::vector<char> done(sources.size());
        std::vector<std::thread> runs;
        for (std::size_t i = 0; i < sources.size(); ++i)
            runs.emplace_back([&, i] {
                done[i] = SplitToPieces(sources[i], 0, messages[i], 500 + 100 * round);
            });
        for (auto& run : runs)
            run.join();
        for (std::size_t i = 0; i < sources.size(); ++i)
            EXPECT_TRUE(done[i]) << "round " << round << ": " << messages[i];
    }
    RunLock::HoldBeforeLocking(std::chrono::milliseconds(0));
    for (const std::string& name : dir.Names())
        EXPECT_NE(name.rfind(".zendra-", 0), 0u) << name << " left behind";
    std::string message;
    for (const auto& split : sources) {
        TempDir out;
        ASSERT_TRUE(JoinPieces(IndexName(split), out.Folder(), message)) << message;
        EXPECT_EQ(test::ReadBytes(out / split.filename().string()), test::ReadBytes(split));
    }
}

// Progress hooks that act half-way: cancel, or change the source under the split.
TEST_F(SplitTest, CancelledOrDisturbedSplitLeavesAnOlderSplitAsItWas) {
    std::string message;
    ASSERT_TRUE(Split(3 << 20, 1 << 20, message));
    const Bytes olderPiece = test::ReadBytes(PieceName(source, 1));
    const auto names = dir.Names();
    const Bytes data = test::RandomBytes(3 << 20, 77);
    test::WriteBytes(source, data);
    EXPECT_FALSE(SplitToPieces(source, 0, message, 1 << 20,
                               [](std::uint64_t done, std::uint64_t) { return done < (2 << 20); }));
    EXPECT_EQ(message, CancelledMessage);
    EXPECT_EQ(dir.Names(), names) << "no temporary file, no new piece";
    EXPECT_EQ(test::ReadBytes(PieceName(source, 1)), olderPiece);

    // Windows refuses the writer while the split reads; elsewhere the split must notice.
    bool tried = false, grown = false;
    const auto grow = [&](std::uint64_t done, std::uint64_t) {
        if (!tried && done >= (1 << 20)) { // once, while the split reads the source
            tried = true;
            grown = static_cast<bool>(std::ofstream(source, std::ios::app) << "more");
        }
        return true;
    };
    EXPECT_FALSE(SplitToPieces(source, 0, message, 1 << 20, grow) && grown);
    if (grown)
        EXPECT_NE(message.find("changed while it was being split"), std::string::npos) << message;
    else
        EXPECT_EQ(std::filesystem::path::preferred_separator, '\\')
            << "only Windows refuses the writer";
    EXPECT_EQ(dir.Names(), names);

    // An older file that cannot be replaced once all is written (held open by another program on
    // Windows, immutable here): every older file stays, none is half-replaced.
    const Bytes current = test::ReadBytes(PieceName(source, 1));
#ifdef _WIN32
    std::ifstream held(IndexName(source)); // without sharing its removal
    EXPECT_FALSE(SplitToPieces(source, 0, message, 1 << 20));
    EXPECT_NE(message.find("data.bin.tpl\" is open in another program"), std::string::npos)
        << message;
#else
    const std::string immutable = "chattr +i '" + IndexName(source).string() + "' 2>/dev/null";
    if (std::system(immutable.c_str()) != 0) return; // a file system without the attribute
    EXPECT_FALSE(SplitToPieces(source, 0, message, 1 << 20));
    std::system(("chattr -i '" + IndexName(source).string() + "'").c_str());
    EXPECT_NE(message.find("data.bin.tpl"), std::string::npos) << message;
#endif
    EXPECT_EQ(dir.Names(), names) << "nothing set aside is left, nothing new";
    EXPECT_EQ(test::ReadBytes(PieceName(source, 1)), current);
}

// A re-split into fewer pieces, with recovery data and a file that reads the pieces back (as the
// self-join kit does), and a join over an existing output.
TEST_F(SplitTest, EveryFailedStepLeavesTheOlderFilesOrTheNewOnes) {
    const Bytes older = test::RandomBytes(3500, 1), newer = test::RandomBytes(3100, 2);
    std::string message;
    SplitOptions options;
    options.Recovery = RecoveryOptions{};
    const std::filesystem::path sizes = dir / "data.bin.sizes";
    options.Extra = [&](const std::vector<RecoveryInput>& written,
                        const SplitOptions::CreateFile& create, const Progress&) {
        std::string text;
        for (const auto& piece : written)
            text += std::to_string(File::OpenForReading(piece.ReadFrom).Size()) + "\n";
        File out = create(sizes);
        out.WriteAll(text.data(), text.size());
        out.Close();
    };
    const auto prepare = [&] {
        for (const std::string& name : dir.Names())
            std::filesystem::remove(dir / name);
        test::WriteBytes(source, older);
        ASSERT_TRUE(SplitToPieces(source, 0, message, 500, {}, options)) << message;
        test::WriteBytes(source, newer);
    };
    const int failed = test::SweepFaults(
        dir, IndexName(source), prepare,
        [&] { return SplitToPieces(source, 0, message, 1000, {}, options); }, &message);
    EXPECT_GT(failed, 30);
    // The pieces the older split had beyond the new count went with it.
    EXPECT_FALSE(std::filesystem::exists(PieceName(source, 4)));

    // Without recovery data, which would have the join try again.
    ASSERT_TRUE(SplitToPieces(source, 0, message, 1000)) << message;
    TempDir out;
    const std::filesystem::path output = out / "data.bin";
    const auto over = [&] {
        test::WriteBytes(output, Bytes{1, 2, 3});
        std::filesystem::permissions(output, std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_write);
    };
    JoinOptions replace;
    replace.Replace = true;
    EXPECT_GT(test::SweepFaults(
                  out, output, over,
                  [&] { return JoinPieces(IndexName(source), out.Folder(), message, {}, replace); },
                  &message),
              5);
    EXPECT_EQ(test::ReadBytes(output), newer);
#ifndef _WIN32
    EXPECT_EQ(std::filesystem::status(output).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write)
        << "the replaced file's mode is kept";
#endif
}

// Flushes that hold the new files open long after they were posted (a slow disk): the kit's
// reading, a cancel's removal and the commit's renames still find every file let go (Windows
// opens, renames and removes no file a writer holds).
TEST_F(SplitTest, TheJobThreadLetsGoOfTheFilesBeforeTheyAreReadOrRemoved) {
    JobQueue::HoldJobs(std::chrono::milliseconds(40));
    const Bytes data = test::RandomBytes((3 << 20) + 5, 9);
    test::WriteBytes(source, data);
    std::string message;
    SplitOptions options;
    options.Extra = [&](const std::vector<RecoveryInput>& written,
                        const SplitOptions::CreateFile&, const Progress&) {
        for (const auto& piece : written)
            File::OpenForReading(piece.ReadFrom).Size();
    };
    EXPECT_TRUE(SplitToPieces(source, 0, message, 1 << 20, {}, options)) << message;
    const auto names = dir.Names();
    // Temporary files of 64 MiB and more are emptied before their removal on Windows.
    std::filesystem::resize_file(source, (129 << 20) + 7);
    EXPECT_FALSE(SplitToPieces(source, 0, message, 64 << 20, [](std::uint64_t done, std::uint64_t) {
        return done < (65 << 20);
    }));
    JobQueue::HoldJobs(std::chrono::milliseconds(0));
    EXPECT_EQ(dir.Names(), names) << "no temporary file is left";
}

// What a killed run set aside is put back before anything else; its temporary files go.
TEST_F(SplitTest, WhatAKilledRunSetAsideIsPutBack) {
    std::string message;
    ASSERT_TRUE(Split(30, 10, message));
    const Bytes older = test::ReadBytes(PieceName(source, 1));
    // As a run killed between setting the piece aside and renaming its new one into place leaves it.
    std::filesystem::rename(PieceName(source, 1), dir / ".zendra-00beef-1.old");
    test::WriteBytes(dir / ".zendra-00beef-2.tmp", Bytes(7, 1));
    // It also lists a name its new file was to take; the user's file there now is another.
    const auto mine = test::RandomBytes(5, 8);
    test::WriteBytes(PieceName(source, 3), mine);
    const std::string journal = "20:.zendra-00beef-1.old12:data.bin.0010:\n"
                                "0:12:data.bin.0033:1:2\n";
    test::WriteBytes(dir / ".zendra-00beef.undo", Bytes(journal.begin(), journal.end()));
    std::vector<std::string> notices;
    SplitOptions options;
    options.Notice = [&](const std::string& line) { notices.push_back(line); };
    EXPECT_FALSE(SplitToPieces(source, 0, message, 0, {}, options)) << "refused after the mending";
    EXPECT_EQ(test::ReadBytes(PieceName(source, 1)), older);
    EXPECT_EQ(test::ReadBytes(PieceName(source, 3)), mine);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"data.bin", "data.bin.000", "data.bin.001",
                                                     "data.bin.002", "data.bin.003", "data.bin.tpl",
                                                     "data.bin.xxh128"}));
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_NE(notices[0].find("Put back 1 file"), std::string::npos) << notices[0];
    EXPECT_NE(notices[1].find("Removed 1 temporary file"), std::string::npos) << notices[1];
}

#ifndef _WIN32
// A split killed at each of its renames and removals, over nothing and over an older split of
// more pieces: the next command (a join, which mends the folder before it reads) finds the older
// set whole (or nothing, for a first split) when the kill came before the commit point, and the
// new set whole after it, never the older surplus piece beside the new set; nothing of the
// killed run is left.
TEST_F(SplitTest, ASplitKilledAtEachRenameOrRemovalIsMendedByTheNextCommand) {
    const Bytes older = test::RandomBytes(3000, 1), newer = test::RandomBytes(2500, 2);
    for (const bool first : {true, false}) {
        const auto prepare = [&] {
            for (const std::string& name : dir.Names())
                std::filesystem::remove(dir / name);
            std::string message;
            test::WriteBytes(source, older);
            if (!first) {
                ASSERT_TRUE(SplitToPieces(source, 0, message, 1000)) << message;
            }
            test::WriteBytes(source, newer);
        };
        prepare();
        std::string message;
        ASSERT_TRUE(SplitToPieces(source, 0, message, 1300)) << message;
        const auto newerNames = dir.Names();
        for (const FaultPoint point : {FaultPoint::Rename, FaultPoint::Remove}) {
            unsigned killed = 0, done = 0;
            for (unsigned nth = 1;; ++nth) {
                prepare();
                const auto olderNames = dir.Names();
                const pid_t child = fork();
                if (child == 0) {
                    ArmFault(point, nth, [] { std::raise(SIGKILL); });
                    _exit(SplitToPieces(source, 0, message, 1300) ? 0 : 1);
                }
                int status = 0;
                ASSERT_EQ(waitpid(child, &status, 0), child);
                if (!WIFSIGNALED(status)) break; // past the last one
                ++killed;
                TempDir out;
                const bool joined = JoinPieces(IndexName(source), out.Folder(), message);
                const std::string where = (point == FaultPoint::Rename ? "killed at rename "
                                                                       : "killed at removal ") +
                                          std::to_string(nth);
                if (dir.Names() == newerNames) {
                    ++done;
                    ASSERT_TRUE(joined) << where << ": " << message;
                    EXPECT_EQ(test::ReadBytes(out / "data.bin"), newer) << where;
                    continue;
                }
                EXPECT_EQ(dir.Names(), olderNames) << where;
                if (first) {
                    EXPECT_FALSE(joined) << where;
                } else {
                    ASSERT_TRUE(joined) << where << ": " << message;
                    EXPECT_EQ(test::ReadBytes(out / "data.bin"), older) << where;
                }
            }
            EXPECT_GT(killed, point == FaultPoint::Rename ? 3u : 0u);
            if (point == FaultPoint::Remove && !first) {
                EXPECT_GT(done, 0u) << "a kill past the commit point";
            }
        }
    }
}
#endif

// A link at a piece or index name: the split never writes through it.
TEST_F(SplitTest, LinksAtOutputNamesNeverWriteThrough) {
    const Bytes data = test::RandomBytes(30, 5), other = test::RandomBytes(50, 6);
    test::WriteBytes(dir / "other.bin", other);
    using Link = void (*)(const std::filesystem::path&, const std::filesystem::path&);
    const std::pair<const char*, Link> kinds[] = {
        {"hard", [](const auto& to, const auto& at) { std::filesystem::create_hard_link(to, at); }},
        {"symbolic",
         [](const auto& to, const auto& at) { std::filesystem::create_symlink(to, at); }}};
    for (const auto& [kind, link] : kinds) {
        for (const auto& at : {PieceName(source, 1), IndexName(source)}) {
            for (auto& name : dir.Names())
                if (name != "other.bin") std::filesystem::remove(dir / name);
            test::WriteBytes(source, data);
            try {
                link(source, at);
            } catch (const std::filesystem::filesystem_error&) {
                GTEST_SKIP() << "no " << kind << " links here";
            }
            std::string message;
            EXPECT_FALSE(SplitToPieces(source, 0, message, 10)) << kind;
            EXPECT_NE(message.find("another name of the file being split"), std::string::npos)
                << message;
            EXPECT_EQ(dir.Names().size(), 3u) << "nothing written";
            EXPECT_EQ(test::ReadBytes(source), data);

            std::filesystem::remove(at);
            link(dir / "other.bin", at); // a link to another of the user's files is replaced
            ASSERT_TRUE(SplitToPieces(source, 0, message, 10)) << kind << ": " << message;
            EXPECT_EQ(test::ReadBytes(dir / "other.bin"), other) << kind;
            EXPECT_EQ(test::ReadBytes(source), data) << kind;
            EXPECT_FALSE(std::filesystem::is_symlink(at));
        }
    }
}

TEST_F(SplitTest, OlderLongerFilesAreCutToLength) {
    test::WriteBytes(PieceName(source, 0), Bytes(100, 0xAA));
    test::WriteBytes(IndexName(source), Bytes(500, 0xAA));
    std::string message;
    ASSERT_TRUE(Split(8, 4, message));
    EXPECT_EQ(std::filesystem::file_size(PieceName(source, 0)), 18u);
    EXPECT_EQ(std::filesystem::file_size(IndexName(source)),
              12 + DecodeIndex(test::ReadBytes(IndexName(source)))->FilePath.size());
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
