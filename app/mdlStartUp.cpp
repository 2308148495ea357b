#include "mdlStartUp.h"

#include "base/Utf8.h"

namespace zendra {

std::wstring ReadSetting(tk::ISettingsStore& store, tk::IMessageBox& messages,
                         const std::wstring& AppName, const std::wstring& Section,
                         const std::wstring& Key, const std::wstring& Default) {
    try {
        return store.Read(AppName, Section, Key).value_or(Default);
    } catch (const Failure& error) {
        messages.Show(WideFromUtf8(error.what()));
        return Default;
    }
}

bool WriteSetting(tk::ISettingsStore& store, tk::IMessageBox& messages, const std::wstring& AppName,
                  const std::wstring& Section, const std::wstring& Key, const std::wstring& Value) {
    try {
        store.Write(AppName, Section, Key, Value);
        return true;
    } catch (const Failure& error) {
        messages.Show(WideFromUtf8(error.what()));
        return false;
    }
}

} // namespace zendra
