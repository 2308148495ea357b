// Fakes of the platform services for tests: they record what was asked and answer from queues.
#pragma once

#include "Services.h"

#include <deque>
#include <map>

namespace zendra::tk {

class FakeMessageBox : public IMessageBox {
public:
    struct Call {
        std::wstring text;
        MsgButtons buttons;
        MsgIcon icon;
        std::wstring title; // as shown: the program's title when none was given
        MsgDefault focused;
    };

    MsgResult Show(const std::wstring& text, MsgButtons buttons = MsgButtons::Ok,
                   MsgIcon icon = MsgIcon::None, const std::wstring& title = {},
                   MsgDefault focused = MsgDefault::First) override {
        calls.push_back({text, buttons, icon, MessageTitle(title), focused});
        if (answers.empty()) return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Ok;
        const MsgResult answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::deque<MsgResult> answers; // next answers; when empty: OK, or No for a question
    std::vector<Call> calls;
};

class FakeFileDialog : public IFileDialog {
public:
    struct Call {
        std::wstring filter;
        std::wstring initDir;
        std::wstring fileName;
    };

    std::deque<std::optional<std::wstring>> answers; // a path, or nothing for Cancel
    std::vector<Call> calls;

protected:
    std::optional<std::wstring> AskOpen() override {
        calls.push_back({Filter(), InitDir(), FileName()});
        if (answers.empty()) return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// An in-memory file system; paths are compared exactly as given.
class FakeFileSystem : public IFileSystem {
public:
    struct File {
        std::uint64_t size = 0;
        bool hidden = false;
        bool readOnly = false;
    };

    void Add(const std::wstring& path, std::uint64_t size, bool hidden = false,
             bool readOnly = false) {
        files_[path] = {size, hidden, readOnly};
        order_.push_back(path);
    }
    bool Has(const std::wstring& path) const { return files_.count(path) != 0; }

    bool FileExists(const std::wstring& path) override { return Has(path); }
    bool PlainFileExists(const std::wstring& path) override {
        auto found = files_.find(path);
        return found != files_.end() && !found->second.hidden;
    }
    FileEntry GetFile(const std::wstring& path) override {
        auto found = files_.find(path);
        if (found == files_.end()) throw Failure("File not found", FailureKind::Io);
        return {NameOf(path), found->second.size};
    }
    std::vector<FileEntry> FilesOf(const std::wstring& folder) override {
        std::wstring prefix = folder;
        if (!prefix.empty() && prefix.back() != L'\\') prefix.push_back(L'\\');
        std::vector<FileEntry> entries;
        for (const auto& path : order_) {
            if (!Has(path) || path.rfind(prefix, 0) != 0) continue;
            if (path.find(L'\\', prefix.size()) != std::wstring::npos) continue;
            entries.push_back({NameOf(path), files_.at(path).size});
        }
        return entries;
    }
    void Delete(const std::wstring& path) override {
        auto found = files_.find(path);
        if (found == files_.end()) throw Failure("File not found", FailureKind::Io);
        if (found->second.readOnly) throw Failure("Permission denied", FailureKind::Io);
        files_.erase(found);
        deleted.push_back(path);
    }
    std::wstring ExecutableFolder() override { return exeFolder; }
    std::wstring ExecutableBaseName() override { return exeBaseName; }

    std::wstring exeFolder = L"C:\\Program";
    std::wstring exeBaseName = L"Zendra";
    std::vector<std::wstring> deleted;

private:
    static std::wstring NameOf(const std::wstring& path) {
        return path.substr(path.find_last_of(L'\\') + 1);
    }

    std::map<std::wstring, File> files_;
    std::vector<std::wstring> order_;
};

class FakeSettingsStore : public ISettingsStore {
public:
    std::optional<std::wstring> Read(const std::wstring& app, const std::wstring& section,
                                     const std::wstring& key) override {
        if (failReads) throw Failure("Store unavailable", FailureKind::Io);
        auto found = values.find(app + L"\\" + section + L"\\" + key);
        if (found == values.end()) return std::nullopt;
        return found->second;
    }
    void Write(const std::wstring& app, const std::wstring& section, const std::wstring& key,
               const std::wstring& value) override {
        if (failWrites) throw Failure("Store unavailable", FailureKind::Io);
        values[app + L"\\" + section + L"\\" + key] = value;
        writes.push_back(key);
    }

    std::map<std::wstring, std::wstring> values; // by "app\section\key"
    std::vector<std::wstring> writes;            // keys in the order written
    bool failReads = false;
    bool failWrites = false;
};

} // namespace zendra::tk
