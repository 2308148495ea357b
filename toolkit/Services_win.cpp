#include "Services.h"

#include "Handles.h"
#include "base/SystemPath.h"
#include "base/SystemText.h"
#include "base/Utf8.h"

#include <windows.h>

#include <commdlg.h>

namespace zendra::tk {

namespace {

// A path as the file calls take it: long paths too, as the engine splits and joins them.
std::wstring SystemPath(const std::wstring& path) {
    return SystemName(std::filesystem::path(path));
}

[[noreturn]] void Fail(DWORD code, const std::wstring& what) {
    throw Failure(SystemText(code) + (what.empty() ? "" : ": " + Utf8FromWide(what)),
                  FailureKind::Io);
}

// ---- Message box ----

class Win32MessageBox : public IMessageBox {
public:
    explicit Win32MessageBox(const BoxOwner& owner) : owner_(owner) {}

    MsgResult Show(const std::wstring& text, MsgButtons buttons, MsgIcon icon,
                   const std::wstring& title, MsgDefault focused) override {
        UINT flags = focused == MsgDefault::Second ? MB_DEFBUTTON2 : MB_DEFBUTTON1;
        switch (buttons) {
        case MsgButtons::Ok: flags |= MB_OK; break;
        case MsgButtons::OkCancel: flags |= MB_OKCANCEL; break;
        case MsgButtons::YesNo: flags |= MB_YESNO; break;
        case MsgButtons::YesNoCancel: flags |= MB_YESNOCANCEL; break;
        }
        switch (icon) {
        case MsgIcon::None: break;
        case MsgIcon::Critical: flags |= MB_ICONHAND; break;
        case MsgIcon::Question: flags |= MB_ICONQUESTION; break;
        case MsgIcon::Exclamation: flags |= MB_ICONEXCLAMATION; break;
        case MsgIcon::Information: flags |= MB_ICONINFORMATION; break;
        }
        const int answer =
            MessageBoxW(owner_.Get(), text.c_str(), MessageTitle(title).c_str(), flags);
        switch (answer) {
        case IDYES: return MsgResult::Yes;
        case IDNO: return MsgResult::No;
        case IDCANCEL: return MsgResult::Cancel;
        default: return MsgResult::Ok;
        }
    }

private:
    const BoxOwner& owner_;
};

// ---- File-open dialog ----

class Win32FileDialog : public IFileDialog {
public:
    explicit Win32FileDialog(const BoxOwner& owner) : owner_(owner) {}

protected:
    std::optional<std::wstring> AskOpen() override {
        std::wstring filter;
        for (const auto& [description, pattern] : ParseFilter(Filter())) {
            filter += description;
            filter.push_back(L'\0');
            filter += pattern;
            filter.push_back(L'\0');
        }
        filter.push_back(L'\0');
        std::wstring buffer(32768, L'\0');
        const std::wstring& start = FileName();
        start.copy(buffer.data(), std::min(start.size(), buffer.size() - 1));
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof(ofn);
        ofn.hwndOwner = owner_.Get();
        ofn.lpstrFilter = filter.size() > 1 ? filter.c_str() : nullptr;
        ofn.lpstrFile = buffer.data();
        ofn.nMaxFile = static_cast<DWORD>(buffer.size());
        ofn.lpstrInitialDir = InitDir().empty() ? nullptr : InitDir().c_str();
        ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST |
                    OFN_NOCHANGEDIR;
        if (!GetOpenFileNameW(&ofn)) return std::nullopt;
        return std::wstring(buffer.c_str());
    }

private:
    const BoxOwner& owner_;
};

// ---- File system ----

class Win32FileSystem : public IFileSystem {
public:
    bool FileExists(const std::wstring& path) override {
        const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    bool PlainFileExists(const std::wstring& path) override {
        const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES &&
               !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                               FILE_ATTRIBUTE_SYSTEM));
    }

    FileEntry GetFile(const std::wstring& path) override {
        WIN32_FIND_DATAW data{};
        if (!UniqueFind(FindFirstFileW(SystemPath(path).c_str(), &data)))
            Fail(GetLastError(), path);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Fail(ERROR_FILE_NOT_FOUND, path);
        return Entry(data);
    }

    std::vector<FileEntry> FilesOf(const std::wstring& folder) override {
        std::wstring pattern = folder;
        if (!pattern.empty() && pattern.back() != L'\\') pattern.push_back(L'\\');
        pattern += L"*";
        WIN32_FIND_DATAW data{};
        const UniqueFind find(FindFirstFileW(SystemPath(pattern).c_str(), &data));
        if (!find) Fail(GetLastError(), folder);
        std::vector<FileEntry> files;
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(Entry(data));
        } while (FindNextFileW(find.Get(), &data));
        return files;
    }

    void Delete(const std::wstring& path) override {
        if (!DeleteFileW(SystemPath(path).c_str())) Fail(GetLastError(), path);
    }

    std::wstring ExecutableFolder() override {
        const std::wstring path = ExecutablePath();
        return path.substr(0, path.find_last_of(L'\\'));
    }

    std::wstring ExecutableBaseName() override {
        std::wstring name = ExecutablePath();
        name = name.substr(name.find_last_of(L'\\') + 1);
        const std::size_t dot = name.find_last_of(L'.');
        return dot == std::wstring::npos ? name : name.substr(0, dot);
    }

private:
    static FileEntry Entry(const WIN32_FIND_DATAW& data) {
        return {data.cFileName,
                (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow};
    }

    static std::wstring ExecutablePath() {
        std::wstring buffer(32768, L'\0');
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) Fail(GetLastError(), L"");
        buffer.resize(length);
        return buffer;
    }
};

// ---- Settings store ----

class Win32SettingsStore : public ISettingsStore {
public:
    std::optional<std::wstring> Read(const std::wstring& app, const std::wstring& section,
                                     const std::wstring& key) override {
        HKEY handle = nullptr;
        LONG status = RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath(app, section).c_str(), 0,
                                    KEY_QUERY_VALUE, &handle);
        if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
        if (status != ERROR_SUCCESS) Fail(static_cast<DWORD>(status), L"");
        const UniqueRegistryKey owner(handle);
        DWORD type = 0;
        DWORD bytes = 0;
        status = RegQueryValueExW(handle, key.c_str(), nullptr, &type, nullptr, &bytes);
        std::wstring value;
        if (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
            value.resize(bytes / sizeof(wchar_t) + 1);
            status = RegQueryValueExW(handle, key.c_str(), nullptr, &type,
                                      reinterpret_cast<BYTE*>(value.data()), &bytes);
            value.resize(bytes / sizeof(wchar_t));
            while (!value.empty() && value.back() == L'\0') value.pop_back();
        }
        if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
        if (status != ERROR_SUCCESS) Fail(static_cast<DWORD>(status), L"");
        if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
        return value;
    }

    void Write(const std::wstring& app, const std::wstring& section, const std::wstring& key,
               const std::wstring& value) override {
        HKEY handle = nullptr;
        LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath(app, section).c_str(), 0,
                                      nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr);
        if (status != ERROR_SUCCESS) Fail(static_cast<DWORD>(status), L"");
        const UniqueRegistryKey owner(handle);
        status = RegSetValueExW(handle, key.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        if (status != ERROR_SUCCESS) Fail(static_cast<DWORD>(status), L"");
    }

private:
    static std::wstring KeyPath(const std::wstring& app, const std::wstring& section) {
        if (app.empty() || section.empty()) Fail(ERROR_INVALID_PARAMETER, L"");
        return L"Software\\VB and VBA Program Settings\\" + app + L"\\" + section;
    }
};

} // namespace

std::unique_ptr<IMessageBox> MakeWin32MessageBox(const BoxOwner& owner) {
    return std::make_unique<Win32MessageBox>(owner);
}
std::unique_ptr<IFileDialog> MakeWin32FileDialog(const BoxOwner& owner) {
    return std::make_unique<Win32FileDialog>(owner);
}
std::unique_ptr<IFileSystem> MakeWin32FileSystem() { return std::make_unique<Win32FileSystem>(); }
std::unique_ptr<ISettingsStore> MakeWin32SettingsStore() {
    return std::make_unique<Win32SettingsStore>();
}

} // namespace zendra::tk
