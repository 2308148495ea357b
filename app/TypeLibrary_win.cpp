#include "AppServices.h"

#include "base/Failure.h"
#include "base/SystemHandles_win.h"

#include <windows.h>

#include <oleauto.h>

#include <cstdio>

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
        ComPtr<ITypeLib> library;
        HRESULT result = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Put());
        if (FAILED(result)) Fail("The type library cannot be loaded", result);
        std::wstring writable = path; // the registration takes non-const strings
        const RegisterForUser forUser = PerUserRegistration();
        result = forUser != nullptr ? forUser(library.Get(), writable.data(), nullptr)
                                    : RegisterTypeLib(library.Get(), writable.data(), nullptr);
        if (FAILED(result)) Fail("The type library cannot be registered", result);
    }

private:
    [[noreturn]] static void Fail(const char* what, HRESULT result) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
        throw Failure(std::string(what) + " (" + code + ").", FailureKind::Io);
    }
};

} // namespace

std::unique_ptr<ITypeLibrary> MakeWin32TypeLibrary() { return std::make_unique<Win32TypeLibrary>(); }

} // namespace zendra
