// The platform services the windows use, behind small interfaces so that tests can answer them:
// message boxes, the file-open dialog, file-system queries and the per-user settings store.
// Each has a Win32 implementation (Services_win.cpp) and a fake for the tests (tests/toolkit/FakeServices.h).
// They fail with the base's Failure: of the I/O kind with the system's own words, and of the
// cancelled kind for a dialog the user cancelled.
#pragma once

#include "base/Failure.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zendra::tk {

// ---- Message boxes -------------------------------------------------------------------------

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgResult { Ok, Cancel, Yes, No };
// The button Enter presses when the box opens.
enum class MsgDefault { First, Second };

inline constexpr wchar_t kProgramTitle[] = L"Zendra";
// The title a box shows: its own, or the program's when it has none.
inline std::wstring MessageTitle(const std::wstring& title) {
    return title.empty() ? std::wstring(kProgramTitle) : title;
}

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    // A modal box; returns the button the user chose.
    virtual MsgResult Show(const std::wstring& text, MsgButtons buttons = MsgButtons::Ok,
                           MsgIcon icon = MsgIcon::None, const std::wstring& title = {},
                           MsgDefault focused = MsgDefault::First) = 0;
};

// ---- File-open dialog ----------------------------------------------------------------------

class IFileDialog {
public:
    virtual ~IFileDialog() = default;

    // "Description|pattern|Description|pattern...", e.g. "File Index(*.tpl)|*.tpl". A text
    // without "|" ("*.*") is both the description and the pattern.
    const std::wstring& Filter() const noexcept { return filter_; }
    void SetFilter(std::wstring filter) { filter_ = std::move(filter); }
    const std::wstring& InitDir() const noexcept { return initDir_; }
    void SetInitDir(std::wstring folder) { initDir_ = std::move(folder); }
    const std::wstring& FileName() const noexcept { return fileName_; }
    void SetFileName(std::wstring name) { fileName_ = std::move(name); }
    bool CancelError() const noexcept { return cancelError_; }
    void SetCancelError(bool on) noexcept { cancelError_ = on; }

    // Shows the modal open dialog. On OK, FileName is the chosen path; on cancel it is left as
    // it was and, with CancelError set, a Failure of the cancelled kind is thrown.
    void ShowOpen();

    // The filter as (description, pattern) pairs.
    static std::vector<std::pair<std::wstring, std::wstring>> ParseFilter(const std::wstring& filter);

protected:
    // The platform part: the chosen path, or nothing when cancelled.
    virtual std::optional<std::wstring> AskOpen() = 0;

private:
    std::wstring filter_;
    std::wstring initDir_;
    std::wstring fileName_;
    bool cancelError_ = false;
};

// ---- File system ---------------------------------------------------------------------------

struct FileEntry {
    std::wstring name; // as stored on disk, without the folder
    std::uint64_t size = 0;
};

class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    // Whether a file (not a folder) of that path exists, hidden and system files included.
    virtual bool FileExists(const std::wstring& path) = 0;
    // The same for ordinary files only: hidden and system files do not count.
    virtual bool PlainFileExists(const std::wstring& path) = 0;
    // The file's name as stored on disk and its size; a Failure if it cannot be read.
    virtual FileEntry GetFile(const std::wstring& path) = 0;
    // The files of a folder (no sub-folders) in the order the platform lists them.
    virtual std::vector<FileEntry> FilesOf(const std::wstring& folder) = 0;
    // Deletes without force: a read-only file is not deleted (a Failure).
    virtual void Delete(const std::wstring& path) = 0;
    // The folder of the program's executable, without a trailing "\", and its base name.
    virtual std::wstring ExecutableFolder() = 0;
    virtual std::wstring ExecutableBaseName() = 0;
};

// ---- Settings store ------------------------------------------------------------------------

// Text values addressed by application name, section and key, kept per user.
class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    // The stored text, or nothing when the key is missing; a Failure when the store fails.
    virtual std::optional<std::wstring> Read(const std::wstring& app, const std::wstring& section,
                                             const std::wstring& key) = 0;
    virtual void Write(const std::wstring& app, const std::wstring& section,
                       const std::wstring& key, const std::wstring& value) = 0;
};

// The window that owns the real message boxes and the open-file dialog: they are modal to it
// (it is disabled while they wait) whichever window was active when they opened, even when the
// user had switched to another program meanwhile. Before it is set, or once the window is gone,
// they have no owner.
class BoxOwner {
public:
    void Set(HWND window) noexcept { window_ = window; }
    HWND Get() const noexcept { return IsWindow(window_) ? window_ : nullptr; }

private:
    HWND window_ = nullptr;
};

// The Win32 implementations; the boxes and the dialog keep a reference to their owner.
std::unique_ptr<IMessageBox> MakeWin32MessageBox(const BoxOwner& owner);
std::unique_ptr<IFileDialog> MakeWin32FileDialog(const BoxOwner& owner);
std::unique_ptr<IFileSystem> MakeWin32FileSystem();
// Values live under HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<app>\<section>.
std::unique_ptr<ISettingsStore> MakeWin32SettingsStore();

} // namespace zendra::tk
