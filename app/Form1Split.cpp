// The split pane: choosing a file, the size field, the split itself, the listing of a split's
// files (used by the join pane too) and the deletion of the source.
#include "Form1.h"

#include "BackgroundWork.h"
#include "FormHelpers.h"
#include "Language.h"
#include "TextRules.h"
#include "engine/Split.h"
#include "io/AnsiPath.h"
#include "io/PathHelpers.h"

#include <algorithm>

namespace zendra {

namespace {

// The engine's message for the user: its too-small message in the user's language.
std::wstring ForUser(const std::string& message) {
    if (message == TooSmallMessage) return tk::Localized(L"文件太小！", L"File too small!");
    return WideFromUtf8(message);
}

// The system's reason alone, as one sentence: the file service names the file after it, and the
// message names it once.
std::wstring Reason(const Failure& error, const std::wstring& path) {
    std::wstring reason = WideFromUtf8(error.what());
    if (reason.ends_with(L": " + path)) reason.resize(reason.size() - path.size() - 2);
    while (!reason.empty() && (reason.back() == L'.' || reason.back() == L' '))
        reason.pop_back();
    return reason + L".";
}

} // namespace

void Form1::CreateSplitPane() {
    PlaceLabel(FraSplit, Label1, L"File:", 690, 210, 435, 255);
    PlaceLabel(FraSplit, Label2, L"Path:", 660, 660, 465, 255);
    PlaceLabel(FraSplit, Label3, L"Size:", 630, 1140, 495, 255);
    PlaceLabel(FraSplit, Label6, L"Bytes", 4020, 1170, 465, 225);
    Label6.SetOpaque(true);
    Label6.SetBackColor(kWindowWhite);
    FraSplit.Create(*this, txtSplit, 1320, 150, 3735, 345);
    FraSplit.Create(*this, cmdBrowse, 5310, 150, 1005, 345);
    FraSplit.Create(*this, txtSplitDest, 1320, 600, 4995, 345);
    FraSplit.Create(*this, Text2, 1320, 1110, 2565, 345);
    FraSplit.Create(*this, cmdSplit, 2190, 1650, 2535, 345);
    cmdBrowse.MouseUp.Handle([this](short, short, float, float) { cmdBrowse_MouseUp(); });
    Text2.KeyPress.Handle([this](wchar_t& key) { Text2_KeyPress(key); });
    cmdSplit.Click.Handle([this] { ShowingFailures([this] { cmdSplit_Click(); }); });
}

void Form1::cmdBrowse_MouseUp() { UseFileToSplit(Lower(LocateFile())); }

void Form1::UseFileToSplit(const std::wstring& chosen) {
    txtSplit.SetText(chosen);
    if (txtSplitDest.Text().empty()) txtSplitDest.SetText(GetFolderPath(txtSplit.Text()));
    Text2.Focus();
}

std::wstring Form1::LocateFile() { return LocateIn(L"*.*"); }

std::wstring Form1::LocateIn(const std::wstring& filter) {
    tk::IFileDialog& dialog = services_.dialog;
    dialog.SetFilter(filter);
    dialog.SetInitDir(services_.files.ExecutableFolder());
    dialog.SetFileName(L"");
    {
        const FocusKeeper focus(Hwnd());
        dialog.ShowOpen();
    }
    RepaintNow();
    const std::wstring chosen = dialog.FileName();
    if (!chosen.empty() && services_.files.PlainFileExists(chosen) && !dialog.CancelError())
        return Lower(chosen);
    return {};
}

void Form1::Text2_KeyPress(wchar_t& KeyAscii) {
    if (!IsSizeKey(KeyAscii)) KeyAscii = 0;
}

void Form1::cmdSplit_Click() {
    if (txtSplit.Text().empty()) return Say(L"Please select a file to split!");
    if (Text2.Text().empty()) return Say(L"Please set size for single splitted file!");
    if (txtSplitDest.Text().empty()) txtSplitDest.SetText(GetFolderPath(txtSplit.Text()));
    const auto size = PieceSizeFromText(Text2.Text());
    if (!size)
        return Say(L"The size must be a whole number of bytes from 1 to 2147483647.");

    RepaintNow();
    const std::wstring source = txtSplit.Text();
    std::string message;
    SplitOptions options;
    if (ReadsAsOne(Option(L"Recovery"))) {
        options.Recovery = RecoveryOptions{}; // 10 %, and at least any one piece and the index
        options.Recovery->Pieces = 1;
    }
    const WorkEnd end = RunWork(L"Splitting...", [&](const Progress& progress) {
        return SplitToPieces(std::filesystem::path(source), 0, message, *size, progress, options);
    });
    // The session ended while the work ran: the windows are gone, nobody is left to answer.
    if (!IsLoaded()) return;
    // A cancelled split has removed what it wrote.
    if (end != WorkEnd::Done)
        return Say(end == WorkEnd::Cancelled ? L"The split was cancelled." : ForUser(message));
    splitSource_ = TrimSpaces(source);
    AddListViewItem(L"SPLIT");
    Say(L"Successfully splitted!");
    if (ReadsAsOne(Option(L"DelSource"))) DelSourceConfirm();
}

void Form1::DelSourceConfirm() {
    if (splitSource_.empty() || !ReadsAsOne(Option(L"DelSourceConfirm"))) return;
    if (Ask(L"Delete original file?") != tk::MsgResult::Yes) return;
    RemoveFile(splitSource_);
}

void Form1::AddListViewItem(const std::wstring& Mode) {
    std::wstring index;
    if (Mode == L"SPLIT") index = txtSplit.Text() + L".tpl";
    else if (Mode == L"JOIN") index = txtJoin.Text();
    else return;
    index = TrimSpaces(index);
    std::vector<tk::FileEntry> files;
    std::wstring base;
    try {
        const std::wstring name = services_.files.GetFile(index).name;
        if (name.size() > index.size()) return;
        // The index is named after the source: its name less ".tpl"; another tool's first part
        // less its number (NAME.001, NAMEaa).
        const std::size_t dot = name.find_last_of(L'.');
        if (Lower(name).ends_with(L".tpl"))
            base = name.substr(0, name.size() - std::min<std::size_t>(4, name.size()));
        else if (dot != std::wstring::npos)
            base = name.substr(0, dot);
        else
            base = name.substr(0, name.size() - std::min<std::size_t>(2, name.size()));
        if (base.empty()) return;
        files = services_.files.FilesOf(index.substr(0, index.size() - name.size()));
    } catch (const Failure& error) {
        return Say(L"The files of the split cannot be listed: " + WideFromUtf8(error.what()));
    }
    for (const tk::FileEntry& file : files)
        if (file.name.find(base) != std::wstring::npos) ListView2.AddItem(file.name, file.size);
}

bool Form1::RemoveFile(const std::wstring& path) {
    try {
        services_.files.Delete(path);
        return true;
    } catch (const Failure& error) {
        Say(L"The file \"" + path + L"\" could not be deleted: " + Reason(error, path));
        return false;
    }
}

} // namespace zendra
