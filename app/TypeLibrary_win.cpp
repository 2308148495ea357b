#include "AppServices.h"

#include <windows.h>

#include <oleauto.h>

// Exported by oleaut32 since Vista, but not every SDK's headers declare it.
extern "C" HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* path, OLECHAR* helpFolder);

namespace zendra {

namespace {

class Win32TypeLibrary : public ITypeLibrary {
public:
    void Register(const std::wstring& path) override {
        ITypeLib* library = nullptr;
        HRESULT result = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
        if (FAILED(result)) Fail(L"The type library cannot be loaded", result);
        std::wstring writable = path; // the registration takes non-const strings
        result = RegisterTypeLibForUser(library, writable.data(), nullptr);
        library->Release();
        if (FAILED(result)) Fail(L"The type library cannot be registered", result);
    }

private:
    [[noreturn]] static void Fail(const std::wstring& what, HRESULT result) {
        wchar_t code[16];
        wsprintfW(code, L"0x%08lX", static_cast<unsigned long>(result));
        throw tk::PlatformError(what + L" (" + code + L").");
    }
};

} // namespace

std::unique_ptr<ITypeLibrary> MakeWin32TypeLibrary() { return std::make_unique<Win32TypeLibrary>(); }

} // namespace zendra
