// The settings store's wrappers: every option read or write goes through them. A store failure
// is shown in a message box with the platform's description.
#pragma once

#include "Services.h"

#include <string>

namespace zendra {

// The stored text, or `Default` when the key is missing or the store fails.
std::wstring ReadSetting(tk::ISettingsStore& store, tk::IMessageBox& messages,
                         const std::wstring& AppName, const std::wstring& Section,
                         const std::wstring& Key, const std::wstring& Default = L"0");

// True when written.
bool WriteSetting(tk::ISettingsStore& store, tk::IMessageBox& messages, const std::wstring& AppName,
                  const std::wstring& Section, const std::wstring& Key, const std::wstring& Value);

} // namespace zendra
