// The join pane: choosing an index, the join itself and the deletion of the split's files.
#include "Form1.h"

#include "BackgroundWork.h"
#include "FormHelpers.h"
#include "TextRules.h"
#include "engine/SetFiles.h"
#include "io/AnsiPath.h"
#include "io/PathHelpers.h"
#include "parts/JoinRequest.h"

#include <optional>
#include <system_error>

namespace zendra {

void Form1::CreateJoinPane() {
    PlaceLabel(FraJoin, Label4, L"File(.tpl):", 180, 150, 2295, 285);
    PlaceLabel(FraJoin, Label5, L"Output:", 180, 840, 2295, 225);
    FraJoin.Create(*this, txtJoin, 540, 420, 4155, 345);
    FraJoin.Create(*this, cmdBrowseJoin, 4950, 420, 1125, 345);
    FraJoin.Create(*this, txtJoinDest, 540, 1110, 5595, 345);
    FraJoin.Create(*this, cmdJoin, 2190, 1650, 2535, 345);
    // Right of Join Files, under Browse and as wide; after Join Files in the tab order.
    FraJoin.Create(*this, cmdCheck, 4950, 1650, 1125, 345);
    cmdBrowseJoin.MouseUp.Handle([this](short, short, float, float) { cmdBrowseJoin_MouseUp(); });
    cmdJoin.Click.Handle([this] { ShowingFailures([this] { cmdJoin_Click(); }); });
    cmdCheck.Click.Handle([this] { ShowingFailures([this] { cmdCheck_Click(); }); });
}

void Form1::cmdBrowseJoin_MouseUp() { UseIndex(Lower(LocateSplittedFile())); }

void Form1::UseIndex(const std::wstring& chosen) {
    if (!chosen.empty()) {
        txtJoin.SetText(chosen);
        if (txtJoinDest.Text().empty()) txtJoinDest.SetText(GetFolderPath(txtJoin.Text()));
    }
    // Without any index chosen there is nothing to list.
    if (!txtJoin.Text().empty()) AddListViewItem(L"JOIN");
}

std::wstring Form1::LocateSplittedFile() {
    // Other tools' raw pieces are joined from their first part; first parts the patterns miss
    // (hex numbers, a set starting at 2, a suffix after the number) are among all files.
    return LocateIn(L"File Index(*.tpl)|*.tpl|First part (*.000;*.001;*aa;*00)|*.000;*.001;*aa;*00|"
                    L"All files (*.*)|*.*");
}

void Form1::cmdJoin_Click() {
    if (txtJoin.Text().empty()) return Say(L"Please select .tpl file to join!");
    if (txtJoinDest.Text().empty()) txtJoinDest.SetText(GetFolderPath(txtJoin.Text()));

    // What was picked, as the tool takes it: an index, one of Zendra's pieces or another tool's
    // part; the output folder is a path of its own, never glued to the name.
    JoinRequest request;
    request.Picked = std::filesystem::path(txtJoin.Text());
    request.OutputFolder = std::filesystem::path(txtJoinDest.Text());
    RepaintNow();
    std::string message;
    std::optional<PlannedJoin> join;
    const auto failing = [&](const std::function<void()>& step) { return Failing(message, step); };
    // What was mended first and what was rebuilt from the recovery data, said after the result.
    std::wstring told;
    const Notice notice = [&](const std::string& line) { told += L"\n" + WideFromUtf8(line); };
    WorkEnd end = RunWork(L"Joining...", [&](const Progress&) {
        return failing([&] { join.emplace(request, notice); });
    });
    // The session ended while the work ran: the windows are gone, nobody is left to answer.
    if (!IsLoaded()) return;
    if (end == WorkEnd::Done && join->NeedsName())
        return Say(WideFromUtf8(NameNeededMessage) +
                   L" Rename the parts after the file they make (NAME.aa, NAME.ab, ...) and join "
                   L"again.");
    if (end == WorkEnd::Done) {
        // Asked before a byte is written: the file there may be the original itself.
        const bool replace = join->OutputExists();
        if (replace && Ask(join->Output().wstring() + L" already exists. Replace it?",
                           tk::MsgDefault::Second) != tk::MsgResult::Yes)
            return;
        end = RunWork(L"Joining...", [&](const Progress& progress) {
            return failing([&] { join->Write(replace, progress, notice); });
        });
        if (!IsLoaded()) return;
    }
    // A cancelled join has removed its temporary file; an existing output was never touched.
    if (end != WorkEnd::Done)
        return Say((end == WorkEnd::Cancelled ? L"The join was cancelled." : WideFromUtf8(message)) +
                   told);
    // What the set is, named by the engine: for another tool's parts the parts alone, never a
    // check file (it may hold the joined file's hash).
    joinedFiles_ = join->ThroughIndex() ? SetFiles(join->Index(), join->IndexPlan())
                                        : SetFiles(join->Parts());
    joinedOutput_ = join->Output();
    // The tool's own sentence on what could not be checked, as the box's second line.
    const std::string note = join->ThroughIndex() ? std::string() : join->Parts().Note;
    Say(L"Successfully joined!" + (note.empty() ? L"" : L"\n" + WideFromUtf8(note)) + told);
    if (ReadsAsOne(Option(L"DelSplit"))) DelSplittedConfirm();
}

void Form1::DelSplittedConfirm() {
    if (joinedFiles_.empty() || !ReadsAsOne(Option(L"DelSplitConfirm"))) return;
    if (Ask(L"Delete splitted files?") != tk::MsgResult::Yes) return;
    for (const auto& file : joinedFiles_) {
        const std::wstring path = file.wstring();
        // The joined file is kept whatever the index's names say.
        std::error_code error;
        if (std::filesystem::equivalent(path, joinedOutput_, error)) continue;
        // Not there: a piece rebuilt from the recovery data, a kit that was never written.
        if (!services_.files.FileExists(path)) continue;
        if (!RemoveFile(path)) return;
    }
}

} // namespace zendra
