// The join pane's Check: the set in the index field judged without joining it (the engine's one
// verdict, as zendra-cli verify gives it; other tools' parts against their check files), said in
// a box; a set the recovery data can make whole is offered its repair in place, as zendra-cli
// repair makes it (one transaction: everything rebuilt, or nothing changed).
#include "Form1.h"

#include "CheckReport.h"
#include "FormHelpers.h"
#include "PartsCheck.h"
#include "ProgressText.h"
#include "base/Utf8.h"
#include "engine/Repair.h"
#include "engine/SetReading.h"
#include "formats/Formats.h"
#include "parts/JoinRequest.h"
#include "recovery/Verdict.h"

#include <algorithm>
#include <optional>
#include <system_error>

namespace zendra {

namespace {

// The bytes of one whole piece: the largest piece there, without its header and trailer; 0 when
// none is there.
std::uint64_t PieceSizeOf(const SetVerdict& verdict) {
    std::uint64_t largest = 0;
    for (const JudgedFile& file : verdict.Files) {
        if (file.Kind != JudgedFile::Role::Piece || file.State == Found::Missing) continue;
        std::error_code error;
        const auto size =
            std::filesystem::file_size(verdict.Folder / PathFromUtf8(file.Name), error);
        if (!error && size > kPieceHeaderSize + kPieceTrailerSize)
            largest = std::max<std::uint64_t>(largest, size - kPieceHeaderSize - kPieceTrailerSize);
    }
    return largest;
}

std::wstring VerdictText(const SetVerdict& verdict) {
    return CheckText(verdict, PieceSizeOf(verdict), ByteSizeText);
}

} // namespace

void Form1::cmdCheck_Click() {
    if (txtJoin.Text().empty()) return Say(L"Please select .tpl file to check!");
    const std::filesystem::path picked(txtJoin.Text());
    RepaintNow();
    std::string message;
    std::filesystem::path index;
    std::optional<PartsPlan> parts;
    std::optional<PartsVerdict> partsVerdict;
    std::optional<SetVerdict> verdict;
    std::wstring mended; // what a killed run had left, put right before the set is read
    const Notice notice = [&](const std::string& line) { mended += L"\n" + WideFromUtf8(line); };
    const WorkEnd end = RunWork(L"Checking...", [&](const Progress& progress) {
        return Failing(message, [&] {
            // A re-split killed mid-commit has set the older set aside: it is checked once back.
            Replacement::MendFolder(picked.parent_path(), notice);
            // One of Zendra's pieces with its index beside it is checked through the index.
            if (IsIndexName(picked)) {
                index = picked;
            } else {
                parts = ReadPartsPlan(PickedPart(picked));
                index = parts->Index;
            }
            if (index.empty()) {
                partsVerdict = CheckPartsOf(*parts, progress);
                return;
            }
            const SetReading reading(index, notice); // no run writes the set meanwhile
            verdict = JudgeSet(index, progress);
        });
    });
    // The session ended while the work ran: nobody is left to answer.
    if (!IsLoaded()) return;
    if (end != WorkEnd::Done)
        return Say(
            (end == WorkEnd::Cancelled ? L"The check was cancelled." : WideFromUtf8(message)) +
            mended);
    if (partsVerdict) return Say(PartsCheckText(*parts, *partsVerdict) + mended);
    const std::wstring text = VerdictText(*verdict) + mended;
    const std::wstring question = RebuildQuestion(*verdict);
    if (question.empty()) return Say(text);
    if (Ask(text + L"\n\n" + question, tk::MsgDefault::Second) == tk::MsgResult::Yes)
        RepairInPlace(index);
}

void Form1::RepairInPlace(const std::filesystem::path& index) {
    RepaintNow();
    std::string message;
    std::wstring mended; // what a killed run had left, mended first
    const Notice notice = [&](const std::string& line) { mended += L"\n" + WideFromUtf8(line); };
    std::optional<RepairResult> repair;
    const WorkEnd end = RunWork(L"Repairing...", [&](const Progress& progress) {
        return Failing(message, [&] { repair = RepairSet(index, notice, progress); });
    });
    if (!IsLoaded()) return;
    if (end != WorkEnd::Done)
        return Say((end == WorkEnd::Cancelled ? L"The repair was cancelled; nothing was changed."
                                              : WideFromUtf8(message)) +
                   mended);
    if (!repair->Written) return Say(VerdictText(repair->Verdict) + mended);
    // Committed only with every rebuilt file checked: the set is whole now.
    SetVerdict whole = repair->Verdict;
    for (JudgedFile& file : whole.Files)
        file.State = Found::Intact;
    whole.Outcome = SetOutcome::Intact;
    const std::wstring rebuilt = repair->Pieces + repair->Index > 0
                                     ? WideFromUtf8(RebuiltMessage(repair->Pieces, repair->Index))
                                     : std::to_wstring(repair->Others) +
                                           (repair->Others == 1 ? L" file was" : L" files were") +
                                           L" rebuilt from the recovery data.";
    Say(rebuilt + L"\n" + VerdictText(whole) + mended);
}

bool Form1::Failing(std::string& message, const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (const std::exception& error) {
        message = error.what();
        return false;
    }
}

} // namespace zendra
