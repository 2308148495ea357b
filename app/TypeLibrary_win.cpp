#include "AppServices.h"

#include <windows.h>

#include <oleauto.h>

namespace zendra {

namespace {

// Per-user registration needs no administrator, but oleaut32 has it only since Vista: on XP the
// library is registered for the machine, as every program did then (a failure there, for want of
// the right to write the machine's registry, lets start-up go on like any failed registration).
using RegisterForUser = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);

RegisterForUser PerUserRegistration() noexcept {
    const HMODULE oleaut = GetModuleHandleW(L"oleaut32.dll");
    if (oleaut == nullptr) return nullptr;
    return reinterpret_cast<RegisterForUser>(
        reinterpret_cast<void*>(GetProcAddress(oleaut, "RegisterTypeLibForUser")));
}

class Win32TypeLibrary : public ITypeLibrary {
public:
    void Register(const std::wstring& path) override {
        ITypeLib* library = nullptr;
        HRESULT result = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
        if (FAILED(result)) Fail(L"The type library cannot be loaded", result);
        std::wstring writable = path; // the registration takes non-const strings
        const RegisterForUser forUser = PerUserRegistration();
        result = forUser != nullptr ? forUser(library, writable.data(), nullptr)
                                    : RegisterTypeLib(library, writable.data(), nullptr);
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
