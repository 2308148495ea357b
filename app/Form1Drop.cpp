// Files dropped on the main window: one file to split on the split pane, or one index to join,
// each taken exactly as Browse takes the file it chose.
#include "Form1.h"

#include "BackgroundWork.h"
#include "FormHelpers.h"

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

bool IsIndexName(const std::wstring& path) {
    return path.size() > 4 && Lower(path.substr(path.size() - 4)) == L".tpl";
}

} // namespace

void Form1::Form_DropFiles(HDROP drop) {
    const DroppedFiles files(drop);
    // The window, disabled, takes no input while a split or join runs; a box now would enable it.
    if (BackgroundWork::Running() != nullptr) return;
    // A folder, a hidden or system file (which the dialog does not offer) or more than one file.
    const std::wstring path = files.Count() == 1 ? files.Path(0) : std::wstring();
    const bool usable = !path.empty() && services_.files.PlainFileExists(path);
    if (usable && IsIndexName(path)) {
        SetFrame(L"JOIN");
        UseIndex(Lower(path));
    } else if (usable && FraSplit.Visible()) {
        UseFileToSplit(Lower(path));
    } else {
        Say(L"Drop one file to split on the split pane, or one index (.tpl) to join.");
    }
}

} // namespace zendra
