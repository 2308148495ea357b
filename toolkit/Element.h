// Windowless elements: pictures, labels and shapes that a window paints itself, in z-order, and
// containers (panels) that hold further elements and clip them. Positions and sizes are twips
// relative to the container; events carry twips relative to the element that receives them.
#pragma once

#include "Event.h"
#include "Units.h"

#include <vector>

namespace zendra::tk {

// Mouse buttons and shift keys as the events report them (bit masks).
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;
inline constexpr int kShiftKey = 1;
inline constexpr int kCtrlKey = 2;
inline constexpr int kAltKey = 4;

struct MouseArgs {
    int button = 0; // the button that went down or up; for a move, every button held
    int shift = 0;
    float x = 0; // twips from the receiving element's left edge
    float y = 0;
};

class Container;

class Element {
public:
    Element() noexcept = default;
    Element(const Element&) = delete;
    Element& operator=(const Element&) = delete;
    virtual ~Element() noexcept; // leaves its container

    int Left() const noexcept { return left_; }
    int Top() const noexcept { return top_; }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    void SetLeft(int twips) { Move(twips, top_, width_, height_); }
    void SetTop(int twips) { Move(left_, twips, width_, height_); }
    void SetWidth(int twips) { Move(left_, top_, twips, height_); }
    void SetHeight(int twips) { Move(left_, top_, width_, twips); }
    // A negative size is refused with std::invalid_argument and changes nothing.
    void Move(int left, int top, int width, int height);

    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool visible);
    // A disabled element gets no mouse input; its container gets it instead.
    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool enabled) noexcept { enabled_ = enabled; }

    Container* Parent() const noexcept { return parent_; }
    // Position in twips relative to the window's client area.
    int AbsoluteLeft() const noexcept;
    int AbsoluteTop() const noexcept;

    // Paints the element; (originX, originY) is its container's client origin in twips.
    virtual void Paint(HDC dc, int originX, int originY) const = 0;
    // The element under a point of this element's own coordinates, or null.
    virtual Element* HitTest(int x, int y) noexcept;
    void Invalidate() const noexcept;

    Event<const MouseArgs&> MouseDown;
    Event<const MouseArgs&> MouseMove;
    Event<const MouseArgs&> MouseUp;
    Event<> Click;
    Event<> DblClick;
    // The press this element held ended without a release (another window took the mouse, or
    // the system cancelled the mode): put the normal look back. No MouseUp or Click follows.
    Event<> PressCancelled;

protected:
    // Pixel rectangle of the element for a container origin in twips.
    RECT PixelRect(int originX, int originY) const noexcept;
    // Whether the mouse can land on the element (shapes let it through).
    virtual bool TakesMouse() const noexcept { return true; }

private:
    friend class Container;
    Container* parent_ = nullptr;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
};

class Container : public Element {
public:
    ~Container() noexcept override;

    // Adds an element in front of (or behind) every element the container holds.
    void AddFront(Element& element);
    void AddBack(Element& element);
    void Remove(Element& element) noexcept;
    // Lets go of every element at once (a long list going away removes them one by one otherwise).
    void Clear() noexcept;
    const std::vector<Element*>& Children() const noexcept { return children_; } // back to front

    // A container with an opaque background fills it with BackColor before its elements.
    void SetBackColor(OleColor color);
    OleColor BackColor() const noexcept { return backColor_; }
    void SetOpaque(bool opaque);
    bool Opaque() const noexcept { return opaque_; }

    void Paint(HDC dc, int originX, int originY) const override;
    Element* HitTest(int x, int y) noexcept override;

protected:
    void PaintChildren(HDC dc, int originX, int originY) const;
    // Called on the outermost container when something in it must be repainted / goes away.
    virtual void RequestRepaint() const noexcept {}
    virtual void Forget(const Element&) noexcept {}

private:
    friend class Element;
    const Container& Root() const noexcept;
    Container& Root() noexcept;

    std::vector<Element*> children_;
    OleColor backColor_ = SystemColor(COLOR_WINDOW);
    bool opaque_ = false;
};

} // namespace zendra::tk
