#include "RealShadowSystem.h"

#include <windows.h>

#include <cwchar>

namespace zendra {
namespace {

// The visual styles library may be missing (older systems): it is loaded only while asked.
class ThemeLibrary {
  public:
    ThemeLibrary() noexcept : module_(LoadLibraryA("uxtheme.dll")) {}
    ThemeLibrary(const ThemeLibrary&) = delete;
    ThemeLibrary& operator=(const ThemeLibrary&) = delete;
    ~ThemeLibrary() noexcept {
        if (module_) FreeLibrary(module_);
    }
    template <typename F> F Entry(const char* name) const noexcept {
        return module_ ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)))
                       : nullptr;
    }

  private:
    HMODULE module_;
};

using CurrentThemeName = HRESULT(WINAPI*)(LPWSTR, int, LPWSTR, int, LPWSTR, int);
using ThemeDocumentationProperty = HRESULT(WINAPI*)(LPCWSTR, LPCWSTR, LPWSTR, int);

constexpr int kNameLength = 255;

bool HoldsZero(const wchar_t* buffer) noexcept {
    return std::wmemchr(buffer, L'\0', kNameLength) != nullptr;
}

bool SystemFlag(UINT action) noexcept {
    BOOL value = FALSE;
    SystemParametersInfoA(action, 0, &value, 0);
    return value != FALSE;
}

class Real final : public ShadowSystem {
  public:
    SystemVersion Version() const override {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info; // the 148-byte record
        GetVersionExA(&info);
        return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
    }
    int ScreenBitsPerPixel() const override {
        const HDC screen = GetDC(nullptr);
        const int bits = GetDeviceCaps(screen, BITSPIXEL);
        ReleaseDC(nullptr, screen);
        return bits;
    }
    bool DetectLuna() const override {
        const ThemeLibrary library;
        const auto themeName = library.Entry<CurrentThemeName>("GetCurrentThemeName");
        const auto property =
            library.Entry<ThemeDocumentationProperty>("GetThemeDocumentationProperty");
        if (!themeName || !property) return false;
        wchar_t file[kNameLength] = {};
        themeName(file, kNameLength, nullptr, 0, nullptr, 0);
        if (!HoldsZero(file)) return false;
        wchar_t name[kNameLength] = {};
        property(file, L"ThemeName", name, kNameLength);
        return HoldsZero(name) && lstrcmpiW(name, L"Luna") == 0;
    }
    std::uint32_t TickCount() const override { return GetTickCount(); }
    bool DropShadowSetting() const override { return SystemFlag(SPI_GETDROPSHADOW); }
    bool MenuAnimationSetting() const override { return SystemFlag(SPI_GETMENUANIMATION); }
};

} // namespace

const ShadowSystem& RealShadowSystem() noexcept {
    static const Real system;
    return system;
}

} // namespace zendra
