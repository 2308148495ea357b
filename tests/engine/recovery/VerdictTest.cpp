// The set's verdict as known answers: each file's state from the evidence that covers it, the
// set's outcome, and what a repair then leaves (the set whole, or nothing written).
#include "recovery/Verdict.h"
#include "RecoveryTestKit.h"
#include "engine/Repair.h"
#include "engine/Split.h"
#include "formats/Formats.h"
#include "recovery/Packets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

namespace zendra {
namespace {

using test::Bytes;
using test::TempDir;
namespace fs = std::filesystem;

// r.bin, 40,000 bytes in ten pieces of 4,000, with its checksum file and 15 % recovery data.
void SplitWithRecovery(const TempDir& dir, std::uint32_t seed = 3, std::size_t size = 40000) {
    test::WriteBytes(dir / "r.bin", test::RandomBytes(size, seed));
    SplitOptions options;
    options.Recovery = RecoveryOptions{15};
    std::string message;
    ASSERT_TRUE(SplitToPieces(dir / "r.bin", 0, message, 4000, {}, options)) << message;
}

void ChangeChecksumLine(const TempDir& dir, const std::string& name) {
    std::string text;
    for (const auto byte : test::ReadBytes(dir / "r.bin.xxh128"))
        text.push_back(static_cast<char>(byte));
    const std::size_t line = text.find("  " + name + "\n");
    ASSERT_NE(line, std::string::npos);
    const std::size_t start = text.rfind('\n', line) + 1; // npos + 1 is 0: the first line
    text[start] = text[start] == '0' ? '1' : '0';
    test::WriteBytes(dir / "r.bin.xxh128", Bytes(text.begin(), text.end()));
}

// The index's record made to name one piece fewer than the split wrote.
void LowerPieceCount(const TempDir& dir) {
    SplitIndex record = *DecodeIndex(test::ReadBytes(dir / "r.bin.tpl"));
    record.PieceCount = 9;
    test::WriteBytes(dir / "r.bin.tpl", EncodeIndex(record));
}

// Each file the verdict names: its state, with "+" when a repair rebuilds it.
std::map<std::string, std::string> States(const SetVerdict& v) {
    std::map<std::string, std::string> states;
    for (const auto& file : v.Files) {
        EXPECT_TRUE(states.emplace(file.Name, "").second) << file.Name << " is listed twice";
        states[file.Name] = std::string(FoundText(file.State)) + (file.Rebuildable ? "+" : "");
    }
    return states;
}

std::map<std::string, Bytes> Contents(const TempDir& dir) {
    std::map<std::string, Bytes> contents;
    for (const auto& name : dir.Names())
        if (fs::is_regular_file(dir / name)) contents[name] = test::ReadBytes(dir / name);
    return contents;
}

// The verdict table: every case judged, then repaired; a repairable set is whole after the repair,
// any other is left byte for byte as it was.
TEST(VerdictTest, JudgesEachFileByTheEvidenceThatCoversItAndRepairsAllOrNothing) {
    using Spoil = std::function<void(const TempDir&)>;
    const struct {
        const char* what;
        Spoil spoil;
        std::map<std::string, std::string> states; // those not intact
        SetOutcome outcome;
        const char* problem; // in one of the verdict's problems
    } cases[] = {
        {"intact", [](const TempDir&) {}, {}, SetOutcome::Intact, ""},
        {"a piece missing",
         [](const TempDir& d) { fs::remove(d / "r.bin.004"); },
         {{"r.bin.004", "missing+"}},
         SetOutcome::Repairable,
         ""},
        {"the index and a piece damaged",
         [](const TempDir& d) {
             fs::resize_file(d / "r.bin.tpl", 3);
             fs::resize_file(d / "r.bin.002", 100);
         },
         {{"r.bin.tpl", "damaged+"}, {"r.bin.002", "damaged+"}},
         SetOutcome::Repairable,
         ""},
        {"a checksum line changed, then that piece lost",
         [](const TempDir& d) {
             ChangeChecksumLine(d, "r.bin.003");
             fs::remove(d / "r.bin.003");
         },
         {{"r.bin.003", "missing+"}, {"r.bin.xxh128", "damaged"}},
         SetOutcome::NotRepairable,
         "its line for \"r.bin.003\" does not match the piece the recovery data rebuilds"},
        {"a checksum line changed for an intact piece",
         [](const TempDir& d) { ChangeChecksumLine(d, "r.bin.006"); },
         {{"r.bin.xxh128", "damaged"}},
         SetOutcome::NotRepairable,
         "The checksum file \"r.bin.xxh128\" is damaged"},
        {"the checksum file garbled",
         [](const TempDir& d) {
             test::WriteBytes(d / "r.bin.xxh128", {'x', '\n'});
         },
         {{"r.bin.xxh128", "damaged"}},
         SetOutcome::NotRepairable,
         "is damaged"},
        {"the index's piece count lowered",
         LowerPieceCount,
         {{"r.bin.tpl", "damaged+"}},
         SetOutcome::Repairable,
         ""},
        {"the index's piece count lowered, no recovery data",
         [](const TempDir& d) {
             for (const auto& name : d.Names())
                 if (name.find(".par2") != std::string::npos) fs::remove(d / name);
             LowerPieceCount(d);
         },
         {{"r.bin.tpl", "damaged"}},
         SetOutcome::NotRepairable,
         "it records 40000 bytes, its pieces hold 36000"},
        {"too many pieces lost",
         [](const TempDir& d) {
             for (const char* name : {"r.bin.001", "r.bin.002", "r.bin.005"})
                 fs::remove(d / name);
         },
         {{"r.bin.001", "missing"}, {"r.bin.002", "missing"}, {"r.bin.005", "missing"}},
         SetOutcome::NotRepairable,
         "more recovery slices are needed"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        SplitWithRecovery(dir);
        c.spoil(dir);
        // One count over the check's passes (the recovery data's, its rebuild, the pieces'):
        // never back, one whole, at its end only with the last report.
        std::uint64_t last = 0, whole = 0, reports = 0, atEnd = 0;
        bool steady = true;
        const SetVerdict v =
            JudgeSet(dir / "r.bin.tpl", [&](std::uint64_t done, std::uint64_t total) {
                if (whole == 0) whole = total;
                steady = steady && done >= last && total == whole && done <= total;
                last = done;
                ++reports;
                if (done == total && atEnd == 0) atEnd = reports;
                return true;
            });
        EXPECT_TRUE(steady) << c.what << ": the count went back or past its end";
        EXPECT_TRUE(atEnd == 0 || atEnd == reports) << c.what << ": at its end too soon";
        std::map<std::string, std::string> notIntact;
        for (const auto& [name, state] : States(v))
            if (state != "intact") notIntact[name] = state;
        EXPECT_EQ(notIntact, c.states) << c.what;
        EXPECT_EQ(v.Outcome, c.outcome) << c.what;
        std::string problems;
        for (const auto& problem : v.Problems)
            problems += problem + "\n";
        EXPECT_NE(problems.find(c.problem), std::string::npos) << c.what << "\n" << problems;
        EXPECT_EQ(v.Problems.empty(), c.outcome != SetOutcome::NotRepairable) << c.what;
        if (c.outcome == SetOutcome::NotRepairable && v.HasRecovery && !v.Recovery.Repairable) {
            EXPECT_GT(v.SlicesNeeded, 0u) << c.what;
            EXPECT_EQ(v.BytesNeeded, v.SlicesNeeded * v.Recovery.SliceSize) << c.what;
        }

        const auto before = Contents(dir);
        const RepairResult repaired = RepairSet(dir / "r.bin.tpl", {});
        EXPECT_EQ(repaired.Verdict.Outcome, c.outcome) << c.what;
        EXPECT_EQ(repaired.Written, c.outcome == SetOutcome::Repairable) << c.what;
        if (repaired.Written)
            EXPECT_EQ(JudgeSet(dir / "r.bin.tpl").Outcome, SetOutcome::Intact) << c.what;
        else
            EXPECT_EQ(Contents(dir), before) << c.what << ": nothing is written";
    }
}

// A checksum file that cannot be read is no evidence of damage: it stops the verdict as the file
// layer's failure naming it, and the repair writes nothing.
TEST(VerdictTest, AChecksumFileThatCannotBeReadStopsTheRepairBeforeAnyChange) {
    TempDir dir;
    SplitWithRecovery(dir);
    fs::remove(dir / "r.bin.001");
    fs::remove(dir / "r.bin.xxh128");
    fs::create_directory(dir / "r.bin.xxh128"); // it cannot be opened as a file
    const auto before = dir.Names();
    for (const bool repair : {false, true}) {
        try {
            if (repair)
                RepairSet(dir / "r.bin.tpl", {});
            else
                JudgeSet(dir / "r.bin.tpl");
            ADD_FAILURE() << "judged without its checksum file";
        } catch (const Failure& failure) {
            EXPECT_EQ(std::string(failure.what()).find("damaged"), std::string::npos);
            EXPECT_NE(std::string(failure.what()).find("r.bin.xxh128"), std::string::npos);
        }
    }
    EXPECT_EQ(dir.Names(), before);
}

// The recovery files of another split of a same-named file beside the set's own, sorting first
// and with the set's NAME.par2 gone: the set whose files are this split's is read.
TEST(VerdictTest, ReadsTheRecoverySetWhoseFilesAreTheSplitsWhateverTheirOrder) {
    TempDir other;
    SplitWithRecovery(other, 9, 30000);
    std::vector<std::string> vols;
    for (const auto& name : other.Names())
        if (name.find(".vol") != std::string::npos) vols.push_back(name);
    ASSERT_FALSE(vols.empty());
    for (const bool pieceLost : {false, true}) {
        TempDir dir;
        SplitWithRecovery(dir);
        fs::remove(dir / "r.bin.par2");
        fs::copy_file(other / vols.front(), dir / "r.bin.vol0+1.par2"); // sorts before any other
        if (pieceLost) fs::remove(dir / "r.bin.007");
        const SetVerdict v = JudgeSet(dir / "r.bin.tpl");
        EXPECT_EQ(v.Outcome, pieceLost ? SetOutcome::Repairable : SetOutcome::Intact);
        EXPECT_EQ(v.NotIntact(), pieceLost ? 1u : 0u);
        const RepairResult repaired = RepairSet(dir / "r.bin.tpl", {});
        EXPECT_EQ(repaired.Written, pieceLost);
        EXPECT_EQ(repaired.Pieces, pieceLost ? 1u : 0u);
        EXPECT_EQ(JudgeSet(dir / "r.bin.tpl").Outcome, SetOutcome::Intact);
    }
}

// One recovery packet 28 bytes short, its checksum made again: skipped alone, the others used.
TEST(VerdictTest, ARecoveryPacketShorterThanItsSliceSizeIsSkippedAlone) {
    TempDir dir;
    SplitWithRecovery(dir);
    std::string vol;
    for (const auto& name : dir.Names())
        if (name.find(".vol") != std::string::npos && vol.empty()) vol = name;
    Bytes bytes = test::ReadBytes(dir / vol);
    bool cut = false;
    for (std::size_t at = 0; !cut && at + par2::kHeaderSize <= bytes.size(); ++at) {
        const auto header = par2::DecodeHeader(bytes.data() + at);
        if (!header || header->Type != par2::PacketType::RecoverySlice) continue;
        const auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(at);
        const Bytes body(begin + par2::kHeaderSize,
                         begin + static_cast<std::ptrdiff_t>(header->Length) - 28);
        const Bytes packet = par2::EncodePacket(header->SetId, header->Type, body);
        bytes.erase(begin, begin + static_cast<std::ptrdiff_t>(header->Length));
        bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), packet.begin(), packet.end());
        cut = true;
    }
    ASSERT_TRUE(cut);
    test::WriteBytes(dir / vol, bytes);
    fs::remove(dir / "r.bin.005");
    const SetVerdict v = JudgeSet(dir / "r.bin.tpl");
    EXPECT_EQ(v.Outcome, SetOutcome::Repairable);
    EXPECT_TRUE(RepairSet(dir / "r.bin.tpl", {}).Written);
    EXPECT_EQ(JudgeSet(dir / "r.bin.tpl").Outcome, SetOutcome::Intact);
}

// Files a user can count: a split of 3 pieces of 4,000 bytes and one of 1,000 (a short last piece),
// at a slice size of 100 bytes: pieces of 41 slices (4,014 bytes), the last of 11, the index of 1,
// 136 slices in all, so the cushion is 2. Sized in pieces, each file holds 41 + 1 slices and its
// share of the cushion; in percent (70 %: 95 slices), 41 a file, the remainder in the last.
TEST(VerdictTest, RecoveryFilesHoldOnePiecesWorthEach) {
    const struct {
        RecoveryOptions options;
        std::vector<std::string> vols;
    } cases[] = {
        {{0, 0, 100, 2}, {"r.bin.vol00+43.par2", "r.bin.vol43+43.par2"}},
        {{0, 0, 100, 1}, {"r.bin.vol00+44.par2"}},
        {{70, 0, 100}, {"r.bin.vol00+41.par2", "r.bin.vol41+41.par2", "r.bin.vol82+13.par2"}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        test::WriteBytes(dir / "r.bin", test::RandomBytes(13000, 5));
        SplitOptions options;
        options.Recovery = c.options;
        std::string message;
        ASSERT_TRUE(SplitToPieces(dir / "r.bin", 0, message, 4000, {}, options)) << message;
        std::vector<std::string> vols;
        for (const auto& name : dir.Names())
            if (name.find(".vol") != std::string::npos) vols.push_back(name);
        EXPECT_EQ(vols, c.vols);
        if (c.options.Pieces == 0) continue;
        // Any one recovery file alone rebuilds the largest piece and the index.
        for (const auto& kept : vols) {
            TempDir copy;
            for (const auto& name : dir.Names())
                if (name.find(".par2") == std::string::npos || name == kept)
                    fs::copy_file(dir / name, copy / name);
            fs::remove(copy / "r.bin.001");
            fs::remove(copy / "r.bin.tpl");
            const RepairResult repaired = RepairSet(copy / "r.bin.tpl", {});
            EXPECT_TRUE(repaired.Written) << kept;
            EXPECT_TRUE(repaired.Index && repaired.Pieces == 1) << kept;
        }
    }
}

} // namespace
} // namespace zendra
