#include "RecoveryTestKit.h"
#include "recovery/Combiner.h"
#include "recovery/Packets.h"
#include "recovery/Pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <numeric>
#include <random>

namespace zendra {
namespace {

using test::Bytes;
using test::TempDir;
namespace fs = std::filesystem;

Bytes Hex(const std::string& text) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return bytes;
}
Bytes Part(const Bytes& bytes, std::size_t at, std::size_t size) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                 bytes.begin() + static_cast<std::ptrdiff_t>(at + size));
}

// The set par2cmdline makes of the same two files with -s16 -c2, packet for packet.
TEST(RecoveryTest, WritesThePacketsPar2cmdlineWrites) {
    TempDir dir;
    Bytes counting(40);
    for (std::size_t i = 0; i < counting.size(); ++i)
        counting[i] = static_cast<std::uint8_t>(i);
    const std::string hello = "Hello, PAR2 world!\n";
    const auto written = test::Protect(
        dir, {{"hello.txt", Bytes(hello.begin(), hello.end())}, {"bytes.bin", counting}},
        {10, 2, 16}, "ex");
    ASSERT_EQ(written, (std::vector<fs::path>{dir / "ex.par2", dir / "ex.vol0+1.par2",
                                              dir / "ex.vol1+1.par2"}));
    const Bytes index = test::ReadBytes(dir / "ex.par2");
    EXPECT_EQ(Part(index, 0, 108),
              Hex("5041523200504b546c000000000000007b68779894e8678f07807b590c50600f"
                  "f6f266d3e8ec2a917beb69d9bc0c2ae650415220322e30004d61696e00000000"
                  "100000000000000002000000dd1400c781934f3eb7d356523e74c3ae"
                  "52f0e7614d211674462ffb0bf038dce1"));
    EXPECT_EQ(Part(test::ReadBytes(dir / "ex.vol0+1.par2"), 64, 20),
              Hex("000000001c75545f5b19166751422230677f627c"));
    EXPECT_EQ(Part(test::ReadBytes(dir / "ex.vol1+1.par2"), 64, 20),
              Hex("010000002546e8c28177229c7678bbad4c606d57"));
    // hello.txt's first slice: MD5, then CRC-32, in its slice checksum packet.
    const Bytes slice = Hex("2397032b3b4fee2bdfb8b749266bc0b79699212c");
    EXPECT_NE(std::search(index.begin(), index.end(), slice.begin(), slice.end()), index.end());
}

TEST(RecoveryTest, NamesVolumesAsPar2cmdlineDoes) {
    TempDir dir;
    const auto written =
        test::Protect(dir, {{"data.bin", test::RandomBytes(101 * 64, 1)}}, {10, 0, 64}, "x");
    std::vector<std::string> names;
    for (const auto& path : written)
        names.push_back(path.filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"x.par2", "x.vol00+1.par2", "x.vol01+2.par2",
                                               "x.vol03+4.par2", "x.vol07+3.par2"}));
    EXPECT_EQ(ExistingRecoveryFiles(dir / "x").size(), 5u);
    // 10 % of 105 slices is 10.5: the share rounds to the nearest, 11.
    TempDir half;
    names.clear();
    for (const auto& path :
         test::Protect(half, {{"data.bin", test::RandomBytes(105 * 64, 2)}}, {10, 0, 64}, "y"))
        names.push_back(path.filename().string());
    EXPECT_EQ(names.back(), "y.vol07+4.par2");
}

// Files of several slices (the last ones partial), some lost or damaged in each case.
TEST(RecoveryTest, RebuildsWhatIsLostWhileTheRecoverySlicesSuffice) {
    const std::map<std::string, Bytes> contents{{"piece.000", test::RandomBytes(1000, 1)},
                                                {"piece.001", test::RandomBytes(1000, 2)},
                                                {"piece.002", test::RandomBytes(1000, 3)},
                                                {"piece.003", test::RandomBytes(437, 4)},
                                                {"piece.tpl", test::RandomBytes(30, 5)}};
    using S = ProtectedState;
    const struct {
        std::vector<std::string> removed;
        std::vector<std::pair<std::string, std::size_t>> flipped; // byte positions
        std::vector<std::pair<std::string, std::size_t>> cut;     // new lengths
        bool repairable;
        std::uint32_t needed;
    } cases[] = {
        {{"piece.001"}, {}, {}, true, 0},
        {{"piece.tpl"}, {{"piece.002", 999}}, {}, true, 0},
        {{}, {{"piece.000", 0}, {"piece.003", 436}}, {{"piece.001", 500}}, true, 0},
        {{"piece.001"}, {{"piece.002", 5}}, {}, false, 1}, // 9 slices lost, 8 recovery slices
        {{"piece.000", "piece.003"}, {}, {}, false, 4},
    };
    for (const auto& c : cases) {
        TempDir dir;
        test::Protect(dir, contents, {0, 8, 128}); // 29 slices, 8 recovery slices
        std::map<std::string, S> expected;
        for (const auto& [name, bytes] : contents)
            expected[name] = S::Intact;
        for (const auto& name : c.removed) {
            fs::remove(dir / name);
            expected[name] = S::Missing;
        }
        for (const auto& [name, at] : c.flipped) {
            Bytes bytes = test::ReadBytes(dir / name);
            bytes[at] ^= 0x40;
            test::WriteBytes(dir / name, bytes);
            expected[name] = S::Damaged;
        }
        for (const auto& [name, size] : c.cut) {
            fs::resize_file(dir / name, size);
            expected[name] = S::Damaged;
        }
        const RecoveryStatus status = ScanRecovery(dir / "set.par2");
        std::map<std::string, S> states;
        for (const auto& entry : status.Files)
            states[entry.Name] = entry.State;
        EXPECT_EQ(states, expected);
        EXPECT_EQ(status.Repairable, c.repairable);
        EXPECT_EQ(status.SlicesNeeded, c.needed);
        if (!c.repairable) {
            EXPECT_THROW(test::Repair(dir / "set.par2"), Failure);
            continue;
        }
        const std::size_t broken = c.removed.size() + c.flipped.size() + c.cut.size();
        const auto names = dir.Names();
        {
            // For a join: copies, gone with the object; the user's files are left as they are.
            const RebuiltCopies copies(dir / "set.par2", dir.Path());
            EXPECT_EQ(copies.Count(), broken);
            for (const auto& [name, bytes] : contents)
                EXPECT_EQ(test::ReadBytes(copies.ReadFrom(dir / name)), bytes) << name;
        }
        EXPECT_EQ(dir.Names(), names);
        EXPECT_EQ(test::Repair(dir / "set.vol0+1.par2").size(), broken);
        for (const auto& [name, bytes] : contents)
            EXPECT_EQ(test::ReadBytes(dir / name), bytes) << name;
        EXPECT_TRUE(ScanRecovery(dir / "set.par2").AllIntact());
    }
}

void RemoveVolumes(const TempDir& dir) {
    for (const auto& file : ExistingRecoveryFiles(dir / "set"))
        if (file.filename() != "set.par2") fs::remove(file);
}

// What a user does to pieces that par2cmdline mends: bytes appended, the last bytes cut (a piece
// ends in a zero, which the padding of a cut slice's checksum would stand for), pieces swapped by
// name. Appended and swapped pieces need no recovery slice at all.
TEST(RecoveryTest, AppendedCutAndSwappedFilesAreMadeWholeAgain) {
    Bytes first = test::RandomBytes(1000, 1);
    first.back() = 0;
    const std::map<std::string, Bytes> contents{{"piece.000", first},
                                                {"piece.001", test::RandomBytes(1000, 2)},
                                                {"piece.002", test::RandomBytes(1000, 3)},
                                                {"piece.tpl", test::RandomBytes(30, 5)}};
    const auto swap = [](const TempDir& dir) {
        fs::rename(dir / "piece.000", dir / "x");
        fs::rename(dir / "piece.001", dir / "piece.000");
        fs::rename(dir / "x", dir / "piece.001");
    };
    const auto append = [](const TempDir& dir) {
        Bytes bytes = test::ReadBytes(dir / "piece.001");
        bytes.insert(bytes.end(), {1, 2, 3, 4, 5, 6, 7});
        test::WriteBytes(dir / "piece.001", bytes);
    };
    const struct {
        const char* what;
        std::function<void(const TempDir&)> spoil;
        bool recoverySlices;
        std::uint64_t extra;
    } cases[] = {
        {"appended", append, true, 7},
        {"appended, no recovery slices", append, false, 7},
        {"last byte cut", [](const TempDir& d) { fs::resize_file(d / "piece.000", 999); }, true, 0},
        {"cut mid-slice", [](const TempDir& d) { fs::resize_file(d / "piece.002", 500); }, true, 0},
        {"swapped", swap, true, 0},
        {"swapped, no recovery slices", swap, false, 0},
    };
    for (const auto& c : cases) {
        TempDir dir;
        test::Protect(dir, contents, {0, 8, 128});
        if (!c.recoverySlices) RemoveVolumes(dir);
        c.spoil(dir);
        const RecoveryStatus status = ScanRecovery(dir / "set.par2");
        EXPECT_FALSE(status.AllIntact()) << c.what;
        EXPECT_TRUE(status.Repairable) << c.what;
        for (const auto& entry : status.Files)
            EXPECT_EQ(entry.Extra, entry.State == ProtectedState::Intact ? 0 : c.extra) << c.what;
        test::Repair(dir / "set.par2");
        for (const auto& [name, bytes] : contents)
            EXPECT_EQ(test::ReadBytes(dir / name), bytes) << c.what << ' ' << name;
        EXPECT_TRUE(ScanRecovery(dir / "set.par2").AllIntact()) << c.what;
    }
}

// A set whose slice size (2^40) disagrees with its recovery slices is refused before any file is
// read; without recovery slices, files are checked by their MD5 alone (no slice padded to 1 TiB).
TEST(RecoveryTest, ASliceSizeTheRecoverySlicesDenyIsRefusedBeforeAnyFileIsRead) {
    for (const bool withSlices : {true, false}) {
        TempDir dir;
        const Bytes data = test::RandomBytes(1000, 4);
        test::WriteBytes(dir / "piece.000", data);
        const par2::Md5Digest hash = par2::Md5Of(data.data(), data.size());
        const par2::Id16 id = par2::FileIdOf(hash, data.size(), "piece.000");
        const Bytes main = par2::EncodeMain({std::uint64_t{1} << 40, {id}, {}});
        const par2::Id16 setId = par2::SetIdOf(main);
        Bytes file = par2::EncodePacket(setId, par2::PacketType::Main, main);
        const auto add = [&](par2::PacketType type, const Bytes& body) {
            const Bytes packet = par2::EncodePacket(setId, type, body);
            file.insert(file.end(), packet.begin(), packet.end());
        };
        add(par2::PacketType::FileDescription,
            par2::EncodeFileDescription({id, hash, hash, data.size(), "piece.000"}));
        add(par2::PacketType::SliceChecksums, par2::EncodeSliceChecksums(id, {{{}, 0}}));
        if (withSlices) add(par2::PacketType::RecoverySlice, Bytes(4 + 1024));
        test::WriteBytes(dir / "set.par2", file);
        int calls = 0;
        const Progress counting = [&](std::uint64_t, std::uint64_t) { return ++calls > 0; };
        if (withSlices) {
            EXPECT_THROW(ScanRecovery(dir / "set.par2", counting), Failure);
            EXPECT_EQ(calls, 0);
            continue;
        }
        EXPECT_TRUE(ScanRecovery(dir / "set.par2", counting).AllIntact());
        test::WriteBytes(dir / "piece.000", test::RandomBytes(1000, 5));
        const RecoveryStatus status = ScanRecovery(dir / "set.par2");
        EXPECT_FALSE(status.Repairable);
        EXPECT_EQ(status.Shortfall(), "1 more recovery slice is needed.");
    }
}

// A packet that ends exactly at the end of its file is read; one that claims 4 bytes more is not.
TEST(RecoveryTest, APacketMayEndAtItsFilesEndButNotPastIt) {
    for (const std::uint8_t beyond : {0, 4}) {
        TempDir dir;
        test::Protect(dir, {{"a.bin", test::RandomBytes(300, 1)}}, {0, 1, 64});
        RemoveVolumes(dir);
        // The packets' starts; the last (the creator's) is cut off, so the slice checksums end
        // the file.
        Bytes bytes = test::ReadBytes(dir / "set.par2");
        std::vector<std::size_t> starts;
        for (std::size_t at = 0; at < bytes.size(); at += bytes[at + 8] | bytes[at + 9] << 8)
            starts.push_back(at);
        bytes.resize(starts.back());
        bytes[starts[starts.size() - 2] + 8] += beyond;
        test::WriteBytes(dir / "set.par2", bytes);
        if (beyond == 0)
            EXPECT_TRUE(ScanRecovery(dir / "set.par2").AllIntact());
        else
            EXPECT_THROW(ScanRecovery(dir / "set.par2"), Failure);
    }
}

TEST(RecoveryTest, OneMessageForWhatARepairLacks) {
    RecoveryStatus status;
    status.SlicesNeeded = 2;
    EXPECT_EQ(status.Shortfall(), "2 more recovery slices are needed.");
    status.SlicesMissing = 5000;
    EXPECT_EQ(status.Shortfall(),
              "5000 slices are lost; this tool rebuilds at most 4,096 lost slices (par2 repair can "
              "rebuild more).");
}

// Slices 0 and 2 (constants 2^1 and 2^4) with exponents 0 and 21845 give a singular matrix: the
// repair goes on to exponent 21846 when it is there, and reports the slice it lacks otherwise.
TEST(RecoveryTest, SingularChoiceGivesWayToAnotherRecoverySlice) {
    for (const bool spare : {true, false}) {
        TempDir dir;
        const Bytes original = test::RandomBytes(12, 9);
        const auto written = test::Protect(dir, {{"three.bin", original}}, {0, 21847, 4});
        // Only exponent 0 (in set.vol00000+0001.par2) and 21845 (and 21846) remain, the last
        // ones copied from the last volume into a file of their own.
        Bytes kept;
        const Bytes last = test::ReadBytes(written.back());
        for (std::size_t at = 0; at + 68 <= last.size();) {
            std::uint64_t length = 0;
            for (int i = 7; i >= 0; --i)
                length = length << 8 | last[at + 8 + static_cast<std::size_t>(i)];
            const std::uint32_t exponent = last[at + 64] | last[at + 65] << 8;
            if (par2::TypeOf(&last[at + 48]) == par2::PacketType::RecoverySlice &&
                (exponent == 21845 || (spare && exponent == 21846)))
                kept.insert(kept.end(), last.begin() + static_cast<std::ptrdiff_t>(at),
                            last.begin() + static_cast<std::ptrdiff_t>(at + length));
            at += length;
        }
        for (std::size_t i = 2; i < written.size(); ++i)
            fs::remove(written[i]);
        test::WriteBytes(dir / "set.vol21845+2.par2", kept);
        Bytes damaged = original;
        damaged[0] ^= 1; // slice 0
        damaged[8] ^= 1; // slice 2
        test::WriteBytes(dir / "three.bin", damaged);
        const RecoveryStatus status = ScanRecovery(dir / "set.par2");
        EXPECT_EQ(status.Repairable, spare);
        EXPECT_EQ(status.SlicesNeeded, spare ? 0u : 1u);
        if (spare) {
            test::Repair(dir / "set.par2");
            EXPECT_EQ(test::ReadBytes(dir / "three.bin"), original);
        } else {
            EXPECT_THROW(test::Repair(dir / "set.par2"), Failure);
            EXPECT_EQ(test::ReadBytes(dir / "three.bin"), damaged);
        }
    }
}

// Damage to the recovery files themselves: what still checks out is used, the rest skipped.
TEST(RecoveryTest, DamagedAndHostileRecoveryFilesAreSkippedPacketByPacket) {
    const std::map<std::string, Bytes> contents{{"piece.000", test::RandomBytes(3000, 1)},
                                                {"piece.001", test::RandomBytes(2000, 2)}};
    const auto put64 = [](Bytes& bytes, std::size_t at, std::uint64_t value) {
        for (std::size_t i = 0; i < 8 && at + i < bytes.size(); ++i)
            bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    // Only set.par2 is spoilt: the copies in the volumes still describe the set.
    const std::function<void(Bytes&)> spoil[] = {
        [](Bytes& b) { b.resize(b.size() / 2); },
        [](Bytes& b) { b.resize(70); },
        [&](Bytes& b) { // every packet claims 1 TiB, or just over its own length
            for (std::size_t at = 0; at + 16 <= b.size(); at += 4)
                if (std::equal(std::begin(par2::kMagic), std::end(par2::kMagic),
                               b.begin() + static_cast<std::ptrdiff_t>(at)))
                    put64(b, at + 8, at % 8 ? 1ull << 40 : 0x7ffffffffffffffcull);
        },
        [&](Bytes& b) { // every packet claims the rest of the file
            for (std::size_t at = 0; at + 16 <= b.size(); at += 4)
                if (std::equal(std::begin(par2::kMagic), std::end(par2::kMagic),
                               b.begin() + static_cast<std::ptrdiff_t>(at)))
                    put64(b, at + 8, (b.size() - at) & ~std::size_t{3});
        },
        [](Bytes& b) { // a wrong hash in every packet
            for (std::size_t at = 80; at < b.size(); at += 64)
                b[at] ^= 1;
        },
    };
    std::mt19937 random(11);
    for (std::size_t round = 0; round < std::size(spoil) + 60; ++round) {
        TempDir dir;
        test::Protect(dir, contents, {0, 6, 64});
        test::Protect(dir, {{"other.bin", test::RandomBytes(900, 3)}}, {0, 2, 64}, "other");
        // Another set's volume under this set's name: its packets carry the other set's ID.
        fs::rename(dir / "other.vol1+1.par2", dir / "set.vol9+1.par2");
        const auto files = ExistingRecoveryFiles(dir / "set");
        if (round < std::size(spoil)) {
            Bytes bytes = test::ReadBytes(dir / "set.par2");
            spoil[round](bytes);
            test::WriteBytes(dir / "set.par2", bytes);
            EXPECT_TRUE(ScanRecovery(dir / "set.par2").AllIntact()) << round;
            continue;
        }
        // Random damage anywhere: an answer, if any, still comes from packets that check out.
        for (int n = 0; n < 8; ++n) {
            const fs::path& file = files[random() % files.size()];
            Bytes bytes = test::ReadBytes(file);
            if (bytes.empty()) continue;
            const std::size_t at = random() % bytes.size();
            switch (random() % 4) {
            case 0:
                bytes[at] ^= static_cast<std::uint8_t>(1 << random() % 8);
                break;
            case 1:
                bytes.resize(at);
                break;
            case 2:
                put64(bytes, at & ~std::size_t{3}, 1ull << (random() % 64));
                break;
            default:
                bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), random() % 5, 0x50);
                break;
            }
            test::WriteBytes(file, bytes);
        }
        try {
            const RecoveryStatus status = ScanRecovery(dir / "set.par2");
            EXPECT_TRUE(status.AllIntact()) << round;
        } catch (const Failure&) {
        }
    }
}

// The arithmetic of many batches (sources of 1,000 slices, 64 to a batch) shares threads started
// once for the program's life: writing and rebuilding start none after the pool's first use.
TEST(RecoveryTest, ThePoolStartsNoThreadPerBatch) {
    TempDir dir;
    test::Protect(dir, {{"warm.bin", test::RandomBytes(100, 1)}}, {0, 2, 4}, "warm");
    const std::uint64_t started = par2::Pool::ThreadsStarted();
    EXPECT_LE(started, par2::Pool::Shared().Threads() - 1);
    test::Protect(dir, {{"data.bin", test::RandomBytes(64000, 2)}}, {0, 40, 64});
    Bytes bytes = test::ReadBytes(dir / "data.bin");
    bytes[100] ^= 1;
    test::WriteBytes(dir / "data.bin", bytes);
    EXPECT_EQ(test::Repair(dir / "set.par2").size(), 1u);
    EXPECT_EQ(par2::Pool::ThreadsStarted(), started);
}

// The arithmetic over batches whose next is read while the last is added, its parts split by
// chunks (3 outputs) or also by outputs (40): every output is the sum of every source times its
// constant, each half of the hashing sees every slice once and in order, and a source that ends
// early in a later batch (read on the pool's thread) fails the whole run.
TEST(RecoveryTest, CombinesEveryBatchIntoEveryOutputAndSeesEverySliceInOrder) {
    TempDir dir;
    constexpr std::size_t kSlice = 5000, kSources = 150, kLast = 3002; // a short last slice
    const Bytes data = test::RandomBytes((kSources - 1) * kSlice + kLast, 3);
    test::WriteBytes(dir / "data.bin", data);
    const auto factor = [](std::size_t source, std::uint32_t output) {
        return static_cast<par2::Gf>((source * 7919 + output * 104729 + 1) % 65536);
    };
    for (const std::uint32_t outputs : {3u, 40u}) {
        par2::Combination c;
        c.SliceSize = kSlice;
        c.Files = {dir / "data.bin"};
        for (std::size_t k = 0; k < kSources; ++k)
            c.Sources.push_back({0, k * kSlice, k + 1 < kSources ? kSlice : kLast});
        c.Outputs = outputs;
        c.Coefficients = [&](std::size_t source, std::uint32_t first, std::uint32_t count,
                             par2::Gf* column) {
            for (std::uint32_t o = 0; o < count; ++o)
                column[o] = factor(source, first + o);
        };
        std::vector<std::size_t> seen[2];
        bool seenRight = true;
        c.Seen = [&](int part, std::size_t source, const std::uint8_t* slice,
                     std::uint64_t length) {
            seen[part].push_back(source);
            seenRight = seenRight && length == c.Sources[source].Length &&
                        std::equal(slice, slice + length, data.begin() + source * kSlice);
        };
        std::vector<Bytes> made(outputs);
        c.Made = [&](std::uint32_t output, std::uint64_t offset, const std::uint8_t* bytes,
                     std::size_t size) {
            EXPECT_EQ(offset, made[output].size());
            made[output].insert(made[output].end(), bytes, bytes + size);
        };
        std::uint64_t read = 0;
        c.Advanced = [&](std::uint64_t bytes) { read += bytes; };
        par2::Combine(c);
        EXPECT_EQ(read, data.size());
        std::vector<std::size_t> order(kSources);
        std::iota(order.begin(), order.end(), 0);
        EXPECT_EQ(seen[0], order);
        EXPECT_EQ(seen[1], order);
        EXPECT_TRUE(seenRight);
        for (std::uint32_t o = 0; o < outputs; ++o) {
            Bytes expected(kSlice);
            for (std::size_t w = 0; w < kSlice; w += 2) {
                par2::Gf sum = 0;
                for (std::size_t k = 0; k < kSources; ++k) {
                    const std::size_t at = k * kSlice + w;
                    const auto word =
                        static_cast<par2::Gf>((at < data.size() ? data[at] : 0) |
                                              (at + 1 < data.size() ? data[at + 1] : 0) << 8);
                    sum ^= par2::GfMultiply(factor(k, o), w < c.Sources[k].Length ? word : 0);
                }
                expected[w] = static_cast<std::uint8_t>(sum);
                expected[w + 1] = static_cast<std::uint8_t>(sum >> 8);
            }
            EXPECT_EQ(made[o], expected) << outputs << " outputs, output " << o;
        }
        // The file cut inside source 120: its batch is read while an earlier one is added.
        test::WriteBytes(dir / "short.bin", Part(data, 0, 120 * kSlice + 10));
        c.Files = {dir / "short.bin"};
        c.Seen = nullptr;
        EXPECT_THROW(par2::Combine(c), Failure) << outputs;
    }
}

// Slices longer than a window (8 MiB) are made a window at a time, each output's windows in
// order, and are not shown whole for hashing.
TEST(RecoveryTest, CombinesALongSliceAWindowAtATime) {
    TempDir dir;
    constexpr std::size_t kSlice = (9 << 20) + 4, kLast = (5 << 20) + 2;
    const Bytes data = test::RandomBytes(kSlice + kLast, 4);
    test::WriteBytes(dir / "data.bin", data);
    ASSERT_FALSE(par2::WholeSlicesSeen(kSlice));
    par2::Combination c;
    c.SliceSize = kSlice;
    c.Files = {dir / "data.bin"};
    c.Sources = {{0, 0, kSlice}, {0, kSlice, kLast}};
    c.Outputs = 2;
    c.Coefficients = [](std::size_t source, std::uint32_t first, std::uint32_t count,
                        par2::Gf* column) {
        for (std::uint32_t o = 0; o < count; ++o)
            column[o] = par2::SliceFactor(static_cast<std::uint32_t>(source), first + o);
    };
    c.Seen = [](int, std::size_t, const std::uint8_t*, std::uint64_t) { FAIL(); };
    std::vector<Bytes> made(2);
    c.Made = [&](std::uint32_t output, std::uint64_t offset, const std::uint8_t* bytes,
                 std::size_t size) {
        EXPECT_EQ(offset, made[output].size());
        made[output].insert(made[output].end(), bytes, bytes + size);
    };
    par2::Combine(c);
    for (std::uint32_t o = 0; o < 2; ++o) {
        ASSERT_EQ(made[o].size(), kSlice);
        for (std::size_t w = 0; w < kSlice; w += 2) {
            const auto word = [&](std::size_t at) {
                return static_cast<par2::Gf>(data[at] | data[at + 1] << 8);
            };
            const par2::Gf sum = static_cast<par2::Gf>(
                par2::GfMultiply(par2::SliceFactor(0, o), word(w)) ^
                (w < kLast ? par2::GfMultiply(par2::SliceFactor(1, o), word(kSlice + w)) : 0));
            if (made[o][w] != static_cast<std::uint8_t>(sum) ||
                made[o][w + 1] != static_cast<std::uint8_t>(sum >> 8)) {
                ADD_FAILURE() << "output " << o << " differs at byte " << w;
                break;
            }
        }
    }
}

// Every part of a run is run once, whichever thread takes it; a run inside a part does not wait
// for the threads busy around it; a part's failure comes out of the run after the others have
// ended.
TEST(RecoveryTest, ThePoolRunsEveryPartOnceAndPassesOnAFailure) {
    par2::Pool& pool = par2::Pool::Shared();
    for (int round = 0; round < 50; ++round) {
        std::vector<std::atomic<int>> runs(37);
        pool.Run(runs.size(), [&](std::size_t part) { ++runs[part]; });
        for (const auto& count : runs)
            EXPECT_EQ(count, 1);
    }
    // A run inside a part (a long slice's hashing inside the arithmetic's) runs in turn there.
    std::atomic<int> inner{0};
    pool.Run(4, [&](std::size_t) { pool.Run(3, [&](std::size_t) { ++inner; }); });
    EXPECT_EQ(inner, 12);
    std::atomic<int> ended{0};
    EXPECT_THROW(pool.Run(8,
                          [&](std::size_t part) {
                              ++ended;
                              if (part == 3) throw Failure("part 3");
                          }),
                 Failure);
    EXPECT_EQ(ended, 8);
}

} // namespace
} // namespace zendra
