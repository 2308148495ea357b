// Files dropped on the main window, or given on the command line: one file to split, or one
// index to join, each taken exactly as Browse takes the file it chose.
#include "Form1.h"

#include "BackgroundWork.h"
#include "FormHelpers.h"
#include "io/File.h"
#include "parts/JoinRequest.h"
#include "parts/PartNaming.h"
#include "recovery/Recovery.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace zendra {

namespace {

// The dropped files, released (DragFinish) when done with.
class DroppedFiles {
  public:
    explicit DroppedFiles(HDROP drop) noexcept : drop_(drop) {}
    DroppedFiles(const DroppedFiles&) = delete;
    DroppedFiles& operator=(const DroppedFiles&) = delete;
    ~DroppedFiles() noexcept { DragFinish(drop_); }

    UINT Count() const noexcept { return DragQueryFileW(drop_, 0xFFFFFFFF, nullptr, 0); }
    std::wstring Path(UINT i) const {
        std::wstring path(DragQueryFileW(drop_, i, nullptr, 0), L'\0');
        DragQueryFileW(drop_, i, path.data(), static_cast<UINT>(path.size() + 1));
        return path;
    }

  private:
    HDROP drop_;
};

// A part of another tool's set, as the engine reads the namings: a set's first name (NAME.000,
// NAME.001, PREFIXaa, PREFIX00), or a name of one with another part beside it (a lone
// "report2023.pdf" is a file to split).
bool IsPart(const std::wstring& path) {
    const auto namings = NamingsOf(std::filesystem::path(path).filename().native());
    if (std::any_of(namings.begin(), namings.end(),
                    [](const NamingAt& at) {
                        return at.Value <= 1 && at.Naming.Width >= 2 && at.Naming.Tail.empty();
                    }))
        return true;
    const PartRun run = FollowParts(path, [](const PathText& name) {
        return KindOf(std::filesystem::path(name)) == EntryKind::Regular;
    });
    return run.Names.size() > 1;
}

// Names all the join pane takes, as the drop, Browse and the command line take them.
constexpr wchar_t kOneFileOnly[] =
    L"Drop one file to split on the split pane, or one file of a set to join: its index (.tpl), "
    L"one of Zendra's pieces (NAME.000, \u2026) or a part another tool made (NAME.001, NAMEaa, "
    L"\u2026).";

} // namespace

std::wstring Form1::IndexOfPiece(const std::wstring& path) {
    // NAME.000, NAME.001, ...: a dot and three digits or more, NAME.tpl beside it.
    const std::size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || path.size() - dot < 4) return {};
    for (std::size_t i = dot + 1; i < path.size(); ++i)
        if (path[i] < L'0' || path[i] > L'9') return {};
    const std::wstring index = path.substr(0, dot) + L".tpl";
    // A lost index that the recovery data rebuilds for the join counts as there.
    return services_.files.PlainFileExists(index) || FindRecoveryFile(index) ? index
                                                                             : std::wstring();
}

void Form1::OpenArguments(const std::vector<std::wstring>& arguments) {
    if (arguments.empty()) return;
    // Relative to the working folder, as the shell and a shortcut give them.
    std::wstring path;
    if (arguments.size() == 1 && !arguments[0].empty()) {
        std::error_code error;
        path = std::filesystem::absolute(arguments[0], error).wstring();
    }
    if (path.empty() || !services_.files.PlainFileExists(path)) return Say(kOneFileOnly);
    std::wstring index = IsIndexName(path) ? path : IndexOfPiece(path);
    if (index.empty() && IsPart(path)) index = path;
    if (!index.empty()) {
        SetFrame(L"JOIN");
        UseIndex(Lower(index));
    } else {
        SetFrame(L"SPLIT");
        UseFileToSplit(Lower(path));
    }
}

void Form1::Form_DropFiles(HDROP drop) {
    const DroppedFiles files(drop);
    // The window, disabled, takes no input while a split or join runs; a box now would enable it.
    if (BackgroundWork::Running() != nullptr) return;
    // A folder, a hidden or system file (which the dialog does not offer) or more than one file.
    const std::wstring path = files.Count() == 1 ? files.Path(0) : std::wstring();
    const bool usable = !path.empty() && services_.files.PlainFileExists(path);
    if (usable && (IsIndexName(path) || IsPart(path))) {
        SetFrame(L"JOIN");
        UseIndex(Lower(path));
    } else if (usable && FraSplit.Visible()) {
        UseFileToSplit(Lower(path));
    } else {
        Say(kOneFileOnly);
    }
}

} // namespace zendra
