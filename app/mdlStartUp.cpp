#include "mdlStartUp.h"

namespace zendra {

std::wstring ReadSetting(tk::ISettingsStore& store, tk::IMessageBox& messages,
                         const std::wstring& AppName, const std::wstring& Section,
                         const std::wstring& Key, const std::wstring& Default) {
    try {
        return store.Read(AppName, Section, Key).value_or(Default);
    } catch (const tk::PlatformError& error) {
        messages.Show(error.Description());
        return Default;
    }
}

bool WriteSetting(tk::ISettingsStore& store, tk::IMessageBox& messages, const std::wstring& AppName,
                  const std::wstring& Section, const std::wstring& Key, const std::wstring& Value) {
    try {
        store.Write(AppName, Section, Key, Value);
        return true;
    } catch (const tk::PlatformError& error) {
        messages.Show(error.Description());
        return false;
    }
}

} // namespace zendra
