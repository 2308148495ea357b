#include "OwnedBoxes.h"

#include <commdlg.h>

#include <algorithm>

namespace zendra {

namespace {

class OwnedMessageBox : public tk::IMessageBox {
  public:
    explicit OwnedMessageBox(const BoxOwner& owner) : owner_(owner) {}

    tk::MsgResult Show(const std::wstring& text, tk::MsgButtons buttons, tk::MsgIcon icon,
                       const std::wstring& title) override {
        static constexpr UINT kButtons[] = {MB_OK, MB_OKCANCEL, MB_YESNO, MB_YESNOCANCEL};
        static constexpr UINT kIcons[] = {0, MB_ICONHAND, MB_ICONQUESTION, MB_ICONEXCLAMATION,
                                          MB_ICONINFORMATION};
        const UINT flags = kButtons[static_cast<int>(buttons)] | kIcons[static_cast<int>(icon)];
        switch (MessageBoxW(owner_.Get(), text.c_str(), tk::MessageTitle(title).c_str(), flags)) {
        case IDYES:
            return tk::MsgResult::Yes;
        case IDNO:
            return tk::MsgResult::No;
        case IDCANCEL:
            return tk::MsgResult::Cancel;
        default:
            return tk::MsgResult::Ok;
        }
    }

  private:
    const BoxOwner& owner_;
};

class OwnedFileDialog : public tk::IFileDialog {
  public:
    explicit OwnedFileDialog(const BoxOwner& owner) : owner_(owner) {}

  protected:
    std::optional<std::wstring> AskOpen() override {
        std::wstring filter; // "description\0pattern\0...\0"
        for (const auto& [description, pattern] : ParseFilter(Filter()))
            filter += description + L'\0' + pattern + L'\0';
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

} // namespace

std::unique_ptr<tk::IMessageBox> MakeOwnedMessageBox(const BoxOwner& owner) {
    return std::make_unique<OwnedMessageBox>(owner);
}

std::unique_ptr<tk::IFileDialog> MakeOwnedFileDialog(const BoxOwner& owner) {
    return std::make_unique<OwnedFileDialog>(owner);
}

} // namespace zendra
