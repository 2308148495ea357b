// The drop shadow control. Placed on a window (its owner), it casts a soft shadow along the
// owner's right and bottom edges with two layered windows that follow the owner's moves, sizes and
// visibility, and it can fade the owner in when shown and out on request. It shows only on version
// 5 of the NT platform with 16 or more bits per pixel; elsewhere it stays inert.
#pragma once

#include "Control.h"
#include "DibSection.h"
#include "Event.h"
#include "ShadowImage.h"
#include "ShadowRules.h"
#include "cSubclass.h"
#include "cWindow.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace zendra {

// The name of a class of the control's own windows: the prefix and the owner's handle in decimal.
std::wstring OwnClassName(const wchar_t* prefix, HWND owner);

class ucShadow : public tk::Control, public iSubclass, public iWindow {
  public:
    // userMode false: a form designer, where the control only keeps its properties.
    explicit ucShadow(std::wstring name = L"ucShadow", bool userMode = true);
    ucShadow(std::wstring name, bool userMode, const ShadowSystem& system);
    ~ucShadow() noexcept override;

    // The persisted properties. Setting a value equal to the current one does nothing.
    tk::OleColor color() const noexcept { return color_; }
    void SetColor(tk::OleColor value);
    std::int32_t Depth() const noexcept { return depth_; }
    void SetDepth(std::int32_t value); // kept within 0..99
    bool FadeIn() const noexcept { return fadeIn_; }
    void SetFadeIn(bool value);
    std::int32_t FadeTime() const noexcept { return fadeTime_; }
    void SetFadeTime(std::int32_t value);
    bool HideMove() const noexcept { return hideMove_; }
    void SetHideMove(bool value);
    bool HideSize() const noexcept { return hideSize_; }
    void SetHideSize(bool value);
    bool SoftShadow() const noexcept { return softShadow_; }
    void SetSoftShadow(bool value);
    std::int32_t Transparency() const noexcept { return transparency_; }
    void SetTransparency(std::int32_t value); // remainder by 256, sign kept
    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool value);

    // The system's abilities and settings.
    bool IsLayered() const noexcept { return isLayered_; }
    bool IsXP() const noexcept { return layering_.isXP; }
    bool IsLuna() const noexcept { return layering_.isLuna; }
    bool IsSysShadowEnabled() const;
    bool IsSysFadeEnabled() const;

    // Fades the owner out over nTimeMS and hides it; with Block, returns only after FadedOut.
    void FadeOut(std::int32_t nTimeMS, bool Block);
    tk::Event<> FadedIn;
    tk::Event<> FadedOut;

    // Reading the stored design starts the control at run time.
    void ReadProperties(const tk::PropertyBag& bag) override;
    void WriteProperties(tk::PropertyBag& bag) const override;

    struct PropertyInfo {
        const char* key;
        const wchar_t* description;
    };
    static const std::array<PropertyInfo, 9>& Properties() noexcept;
    static const wchar_t* FadeOutDescription() noexcept;

    // What the control has done, for checks and measurements.
    HWND OwnerWindow() const noexcept { return owner_; }
    bool IsSubclassing() const noexcept { return subclass_ && subclass_->Window(); }
    const cSubclass* Subclasser() const noexcept { return subclass_.get(); }
    HWND RightWindow() const noexcept { return right_; }
    HWND BottomWindow() const noexcept { return bottom_; }
    HWND FadeWindow() const noexcept { return fadeWindow_; }
    std::uint8_t FadeAlpha() const noexcept { return fadeBlend_.SourceConstantAlpha; }
    int Renders(Strip strip) const noexcept { return renders_[strip == Strip::Right ? 0 : 1]; }

    void Before(bool& bHandled, LRESULT& lReturn, HWND& hWnd, UINT& uMsg, WPARAM& wParam,
                LPARAM& lParam) noexcept override;
    void After(LRESULT& lReturn, HWND hWnd, UINT uMsg, WPARAM wParam,
               LPARAM lParam) noexcept override;
    void WndProc(bool& bHandled, LRESULT& lReturn, HWND& hWnd, UINT& uMsg, WPARAM& wParam,
                 LPARAM& lParam) noexcept override;

  protected:
    void OnResize() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroyed() noexcept override;

  private:
    void Changed(const char* key);
    void Start();
    void End() noexcept;
    bool DetectLayering();
    void CreateShadowWindows();
    void EndShadowWindows() noexcept;
    void OwnerMoved(const WINDOWPOS& position) noexcept;
    void PlaceShadows() noexcept;
    void ShowShadows(bool show, bool forced) noexcept;
    void RenderShadows() noexcept;
    void RenderShadow(Strip strip) noexcept;
    void DisplayChanged();
    ShadowLook Look() const noexcept;
    OwnerRect OwnerPosition() const noexcept { return {pos_.x, pos_.y, pos_.cx, pos_.cy}; }
    bool OwnerVisible() const noexcept { return owner_ && IsWindowVisible(owner_); }

    void StartFade();
    void CaptureFade(HWND fadeWindow) noexcept;
    void FadeStep(HWND fadeWindow, WPARAM timer);

    const ShadowSystem& system_;
    const bool userMode_;
    bool started_ = false;

    tk::OleColor color_ = 0;
    std::int32_t depth_ = 10;
    bool fadeIn_ = true;
    std::int32_t fadeTime_ = 500;
    bool hideMove_ = false;
    bool hideSize_ = false;
    bool softShadow_ = true;
    std::int32_t transparency_ = 120;
    bool visible_ = true;

    bool isLayered_ = false;
    LayeringState layering_;
    HWND owner_ = nullptr;
    COLORREF resolved_ = 0;
    std::unique_ptr<cSubclass> subclass_;
    std::unique_ptr<cWindow> shadows_;
    HWND right_ = nullptr;
    HWND bottom_ = nullptr;
    WINDOWPOS pos_{};
    bool sizeMoveHidden_ = false;
    // -1: the strip's picture is out of date whatever the owner's size.
    std::int32_t lastWidth_ = 0;
    std::int32_t lastHeight_ = 0;
    bool lastShown_ = false;
    // The owner was shown: its shadows follow once it has painted, never before it shows.
    bool showAfterPaint_ = false;
    std::array<int, 2> renders_{};

    std::unique_ptr<cWindow> fade_;
    HWND fadeWindow_ = nullptr;
    // The screen's picture under the fade window, given again with each new alpha.
    tk::DibSection fadeSnapshot_;
    BLENDFUNCTION fadeBlend_{AC_SRC_OVER, 0, 0, 0};
    bool fadingIn_ = false;
    std::uint32_t fadeStart_ = 0;
    std::int32_t fadeDuration_ = 0;
    bool blocking_ = false;
};

} // namespace zendra
