// The title bar that replaces a borderless window's system caption: the bar pieces, a centred
// caption, three round window buttons (close, minimise, zoom) in a button group window of their
// own, dragging by the bar, and a host window keyed on the bar's corner colour. It learns of
// activation and hover by polling with timers: a 1 ms activity watcher chooses between a hover
// poller (window active) and an inactive-look poller (window inactive). `Leopard` and `Tiger`
// are this bar with their own artwork.
#pragma once

#include "FrameArt.h"

#include "Control.h"
#include "Image.h"
#include "Label.h"
#include "Timer.h"
#include "ToolTips.h"

#include <memory>
#include <optional>
#include <string>

namespace zendra {

class FrameHost;

class TitleBar : public tk::Control {
public:
    TitleBar(std::wstring name, const FrameStyle& style);
    ~TitleBar() noexcept override;

    // The stored properties.
    const std::wstring& Caption() const noexcept { return Cap.Caption(); }
    void SetCaption(std::wstring caption);
    bool ActCheck() const noexcept { return InActCheck.Enabled(); }
    void SetActCheck(bool on);
    bool XEnabled() const noexcept { return Xen; }
    void SetXEnabled(bool on);
    bool MinEnabled() const noexcept { return Minen; }
    void SetMinEnabled(bool on);
    bool ZoomEnabled() const noexcept { return Zoomen; }
    void SetZoomEnabled(bool on);

    void ReadProperties(const tk::PropertyBag& bag) override;
    void WriteProperties(tk::PropertyBag& bag) const override;

    // False gives `hWnd` the tool-window style alone; true puts back the style that false replaced.
    void SetShowInTaskbar(bool Visible, HWND hWnd) noexcept;
    static COLORREF VbColor(COLORREF color) noexcept { return color; }
    void AlwaysOnTop() noexcept;
    void NotOnTop() noexcept;

    // What the bar shows and does, for its hosts and tests.
    const FramePictures& Pictures() const noexcept { return pictures_; }
    const tk::Image& CloseButton() const noexcept { return X2; }
    const tk::Image& MinButton() const noexcept { return Min2; }
    const tk::Image& ZoomButton() const noexcept { return Zoom2; }
    const tk::Image& LeftEnd() const noexcept { return tLeft; }
    const tk::Image& Middle() const noexcept { return tMid; }
    const tk::Image& MiddleBehindButtons() const noexcept { return Image2; }
    const tk::Image& RightEnd() const noexcept { return tRight; }
    const tk::Label& CaptionLabel() const noexcept { return Cap; }
    const tk::Label& DragSurface() const noexcept { return CapMask; }
    HWND ButtonGroup() const noexcept { return Picture1.Hwnd(); }
    HWND TipsWindow() const noexcept { return tips_ ? tips_->Hwnd() : nullptr; }
    bool Zoomed() const noexcept { return Zoomed_; }
    bool ButtonDown() const noexcept { return ButtonDown_; }
    bool HoverPollerRunning() const noexcept { return Timer2.Enabled(); }
    bool InactivePollerRunning() const noexcept { return InActCheck.Enabled(); }
    bool GeometryCaptured() const noexcept { return !Timer3.Enabled(); }

protected:
    void OnResize() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateButtonGroup();
    void StartAfresh();
    void ShowActiveLook();
    // The bar's three pieces (the middle twice) and the three buttons in one look.
    void ShowLook(const tk::Picture& left, const tk::Picture& mid, const tk::Picture& right,
                  const tk::Picture& close, const tk::Picture& min, const tk::Picture& zoom);
    void ApplyKeyColour(HWND host) const noexcept;
    void HookButton(tk::Image& button, const bool& flag, const tk::Picture& pressed,
                    const tk::Picture& released, void (TitleBar::*action)());
    void StartDrag() noexcept;
    void CloseHost();
    void MinimizeHost();
    void ToggleZoom();
    FrameHost Host() const noexcept;
    bool HostIsActive() const noexcept;
    bool PointerOverButtons() const noexcept;

    void OnActivityWatch();
    void OnHoverPoll();
    void OnInactivePoll();
    void OnCaptureGeometry();

    const FrameStyle& style_;
    FramePictures pictures_;

    // The bar's own surface, front to back: CapMask, Cap, tRight, tMid.
    tk::Label CapMask;
    tk::Label Cap;
    tk::Image tRight;
    tk::Image tMid{true};
    // The button group window and its pieces, front to back: Zoom2, Min2, X2, tLeft, Image2.
    tk::Control Picture1{L"Picture1"};
    tk::Image Zoom2;
    tk::Image Min2;
    tk::Image X2;
    tk::Image tLeft;
    tk::Image Image2{true};
    // Made anew with every button group: the tooltip window goes with the host window.
    std::unique_ptr<tk::ToolTips> tips_;

    tk::Timer Timer1{*this, 1, true};       // activity watcher
    tk::Timer Timer2{*this, 10, true};      // hover poller
    tk::Timer InActCheck{*this, 10, false}; // inactive-look poller
    tk::Timer Timer3{*this, 10, true};      // one-shot start-up geometry capture

    // The button flags (the original kept them as the enabled state of idle timers).
    bool Xen = true;
    bool Minen = true;
    bool Zoomen = true;
    bool ButtonDown_ = false;
    bool Zoomed_ = false;
    // The top-level window the bar sits in, known from creation: the pollers ask about it often.
    HWND hostWindow_ = nullptr;
    // Captured in full range: a window beyond 2184 pixels still comes back exactly.
    std::optional<int> SavedHeight, SavedWidth, SavedTop, SavedLeft;
    // The extended style SetShowInTaskbar(false) replaced, by window.
    HWND taskbarWindow_ = nullptr;
    LONG_PTR taskbarStyle_ = 0;
};

} // namespace zendra
