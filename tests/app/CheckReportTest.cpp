// What the join pane's Check says: the set's sentence in the user's units, the files listed, the
// rebuild offered only when it helps; and other tools' parts checked against their check files as
// the real tools wrote them.
#include "CheckReport.h"
#include "../engine/TempDir.h"
#include "base/Failure.h"
#include "PartsCheck.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace zendra {

namespace {

std::wstring Megabytes(std::uint64_t bytes) {
    return std::to_wstring(bytes / (1 << 20)) + L" MB";
}

// A split's set: the index, `pieces` pieces, the checksum file; `broken` pieces (from the second)
// in the state given.
SetVerdict Set(std::size_t pieces, std::size_t broken = 0, Found state = Found::Missing) {
    SetVerdict v;
    v.HasRecovery = true;
    v.Files.push_back({"clip.avi.tpl", JudgedFile::Role::Index, Found::Intact, false, {}});
    for (std::size_t i = 0; i < pieces; ++i) {
        const bool bad = i >= 1 && i <= broken;
        v.Files.push_back({"clip.avi.00" + std::to_string(i),
                           JudgedFile::Role::Piece,
                           bad ? state : Found::Intact,
                           bad,
                           {}});
    }
    v.Files.push_back({"clip.avi.xxh128", JudgedFile::Role::Checksum, Found::Intact, false, {}});
    v.Outcome = broken == 0 ? SetOutcome::Intact : SetOutcome::Repairable;
    return v;
}

TEST(CheckReport, SaysTheSetInPiecesAndListsWhatIsNotIntact) {
    EXPECT_EQ(CheckText(Set(12), 0, Megabytes), L"All 12 pieces are intact and checked.");
    EXPECT_EQ(RebuildQuestion(Set(12)), L"");

    const SetVerdict one = Set(3, 1);
    EXPECT_EQ(CheckText(one, 0, Megabytes),
              L"1 piece is missing; the recovery data can rebuild it.\n\nclip.avi.001  (missing)");
    EXPECT_EQ(RebuildQuestion(one), L"Rebuild 1 piece now?");

    // Too little recovery data: how much more, in pieces of the set's size, and no rebuild.
    SetVerdict short2 = Set(3, 2);
    short2.Outcome = SetOutcome::NotRepairable;
    short2.SlicesNeeded = 4;
    short2.BytesNeeded = 16u << 20;
    EXPECT_EQ(CheckText(short2, 16u << 20, Megabytes),
              L"2 pieces are missing; recovery data for 1 more piece (about 16 MB) is needed.\n\n"
              L"clip.avi.001  (missing)\nclip.avi.002  (missing)");
    EXPECT_EQ(
        CheckText(short2, 5u << 20, Megabytes)
            .rfind(
                L"2 pieces are missing; recovery data for 4 more pieces (about 16 MB) is needed.",
                0),
        0u);
    EXPECT_EQ(RebuildQuestion(short2), L"");

    // The index and a damaged piece together; without recovery data nothing can rebuild them.
    SetVerdict mixed = Set(3, 1, Found::Damaged);
    mixed.Files[0].State = Found::Missing;
    EXPECT_EQ(RebuildQuestion(mixed), L"Rebuild 1 piece and the index now?");
    mixed.Outcome = SetOutcome::NotRepairable;
    mixed.HasRecovery = false;
    EXPECT_EQ(CheckText(mixed, 0, Megabytes),
              L"1 piece is damaged and the index is missing, and no recovery data lies beside the "
              L"index to rebuild them.\n\nclip.avi.tpl  (missing)\nclip.avi.001  (damaged)");
}

TEST(CheckReport, ListsAtMostTenFilesThenHowManyMore) {
    const std::wstring text = CheckText(Set(40, 13), 0, Megabytes);
    EXPECT_EQ(text.substr(0, text.find(L'\n')),
              L"13 pieces are missing; the recovery data can rebuild them.");
    EXPECT_NE(text.find(L"clip.avi.0010  (missing)\n\u2026and 3 more"), std::wstring::npos) << text;
    EXPECT_EQ(text.find(L"clip.avi.0011"), std::wstring::npos);
    EXPECT_EQ(ListedLines({L"a"}), L"\na");
}

#ifndef _WIN32
// Other tools' parts as GNU split cuts them, with check files as sha256sum and md5sum write them,
// from a fixed list of seeds: every part matches; then one damaged part is named, and a set with
// no check file says there is nothing to check against.
TEST(PartsCheckTest, PartsAgainstTheirCheckFilesAsTheToolsWroteThem) {
    for (const std::uint32_t seed : {3u, 11u, 29u}) {
        test::TempDir dir;
        test::WriteBytes(dir / "data.tar", test::RandomBytes(5000 + seed * 97, seed));
        const std::string in = "cd '" + dir.Path().string() + "' && ";
        ASSERT_EQ(std::system((in + "split -b 1000 data.tar data.tar. && sha256sum data.tar.a? > "
                                    "data.tar.sha256 && md5sum data.tar >> data.tar.md5")
                                  .c_str()),
                  0);
        PartsPlan plan = ReadPartsPlan(PickedPart(dir / "data.tar.aa"));
        ASSERT_EQ(plan.CheckFiles.size(), 2u);
        PartsVerdict verdict = CheckPartsOf(plan);
        EXPECT_EQ(PartsCheckText(plan, verdict),
                  L"All " + std::to_wstring(plan.Parts.size()) +
                      L" parts match \"data.tar.sha256\" and \"data.tar.md5\".");

        std::fstream part(dir / "data.tar.ab", std::ios::in | std::ios::out | std::ios::binary);
        part.seekp(seed);
        part.put('\x7f' ^ static_cast<char>(seed));
        part.close();
        verdict = CheckPartsOf(plan);
        EXPECT_EQ(verdict.Mismatched, std::vector<std::size_t>{1}) << seed;
        EXPECT_EQ(verdict.WholeMismatched, std::vector<std::size_t>{1}) << seed;
        EXPECT_EQ(PartsCheckText(plan, verdict),
                  L"1 part does not match \"data.tar.sha256\" and \"data.tar.md5\".\n\n"
                  L"data.tar.ab  (damaged)");

        // A cancel stops the reading.
        EXPECT_THROW(CheckPartsOf(plan, [](std::uint64_t, std::uint64_t) { return false; }),
                     Failure);

        std::filesystem::remove(dir / "data.tar.sha256");
        std::filesystem::remove(dir / "data.tar.md5");
        plan = ReadPartsPlan(PickedPart(dir / "data.tar.aa"));
        EXPECT_EQ(
            PartsCheckText(plan, CheckPartsOf(plan)),
            L"No check file lies beside the " + std::to_wstring(plan.Parts.size()) +
                L" parts (NAME.sha256, NAME.md5, NAME.sfv, \u2026): there is nothing to check "
                L"them against.");
    }
}
#endif

} // namespace

} // namespace zendra
