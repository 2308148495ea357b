// The platform services the program's windows use, gathered so that tests can hand the windows
// fakes: message boxes, the file-open dialog, the file system, the settings store and the
// registration of the type library.
#pragma once

#include "Services.h"

#include <memory>
#include <string>

namespace zendra {

// Loads a type library file and registers it for the current user; throws Failure.
class ITypeLibrary {
public:
    virtual ~ITypeLibrary() = default;
    virtual void Register(const std::wstring& path) = 0;
};

std::unique_ptr<ITypeLibrary> MakeWin32TypeLibrary();

struct AppServices {
    tk::IMessageBox& messages;
    tk::IFileDialog& dialog;
    tk::IFileSystem& files;
    tk::ISettingsStore& settings;
    ITypeLibrary& typeLibrary;
    // Told the main window once it exists, when the boxes and the dialog are owned ones.
    tk::BoxOwner* boxOwner = nullptr;
};

} // namespace zendra
