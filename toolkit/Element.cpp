#include "Element.h"

#include "Handles.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace zendra::tk {

Element::~Element() noexcept {
    if (parent_ != nullptr) parent_->Remove(*this);
}

void Element::Move(int left, int top, int width, int height) {
    if (width < 0 || height < 0) throw std::invalid_argument("negative size");
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Invalidate();
}

void Element::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    Invalidate();
}

int Element::AbsoluteLeft() const noexcept {
    int x = left_;
    for (const Container* c = parent_; c != nullptr; c = c->parent_) x += c->left_;
    return x;
}

int Element::AbsoluteTop() const noexcept {
    int y = top_;
    for (const Container* c = parent_; c != nullptr; c = c->parent_) y += c->top_;
    return y;
}

Element* Element::HitTest(int x, int y) noexcept {
    return TakesMouse() && x >= 0 && y >= 0 && x < width_ && y < height_ ? this : nullptr;
}

void Element::Invalidate() const noexcept {
    if (parent_ != nullptr) {
        parent_->Root().RequestRepaint();
    } else if (const auto* self = dynamic_cast<const Container*>(this)) {
        self->RequestRepaint();
    }
}

RECT Element::PixelRect(int originX, int originY) const noexcept {
    return {TwipsToPixels(originX + left_), TwipsToPixels(originY + top_),
            TwipsToPixels(originX + left_ + width_), TwipsToPixels(originY + top_ + height_)};
}

Container::~Container() noexcept {
    for (Element* child : children_) child->parent_ = nullptr;
}

void Container::AddFront(Element& element) {
    if (element.parent_ != nullptr) element.parent_->Remove(element);
    children_.push_back(&element);
    element.parent_ = this;
    Invalidate();
}

void Container::AddBack(Element& element) {
    if (element.parent_ != nullptr) element.parent_->Remove(element);
    children_.insert(children_.begin(), &element);
    element.parent_ = this;
    Invalidate();
}

void Container::Remove(Element& element) noexcept {
    // From the front: the elements added last usually go first.
    auto found = std::find(children_.rbegin(), children_.rend(), &element);
    if (found == children_.rend()) return;
    children_.erase(std::next(found).base());
    element.parent_ = nullptr;
    Root().Forget(element);
    Invalidate();
}

void Container::Clear() noexcept {
    Container& root = Root();
    for (Element* child : children_) {
        child->parent_ = nullptr;
        root.Forget(*child);
    }
    children_.clear();
    Invalidate();
}

void Container::SetBackColor(OleColor color) {
    backColor_ = color;
    Invalidate();
}

void Container::SetOpaque(bool opaque) {
    opaque_ = opaque;
    Invalidate();
}

const Container& Container::Root() const noexcept {
    const Container* c = this;
    while (c->parent_ != nullptr) c = c->parent_;
    return *c;
}

Container& Container::Root() noexcept {
    Container* c = this;
    while (c->parent_ != nullptr) c = c->parent_;
    return *c;
}

void Container::Paint(HDC dc, int originX, int originY) const {
    if (!Visible()) return;
    const RECT r = PixelRect(originX, originY);
    SavedDcState state(dc);
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    if (opaque_) {
        UniqueBrush brush(CreateSolidBrush(ResolveColor(backColor_)));
        FillRect(dc, &r, brush.Get());
    }
    PaintChildren(dc, originX + Left(), originY + Top());
}

void Container::PaintChildren(HDC dc, int originX, int originY) const {
    // Long lists: only what lies inside the area being painted is drawn.
    RECT clip{};
    const bool clipped = GetClipBox(dc, &clip) != ERROR;
    for (const Element* child : children_) {
        if (!child->Visible()) continue;
        if (clipped) {
            const RECT r = child->PixelRect(originX, originY);
            if (r.bottom <= clip.top || r.top >= clip.bottom || r.right <= clip.left ||
                r.left >= clip.right)
                continue;
        }
        child->Paint(dc, originX, originY);
    }
}

Element* Container::HitTest(int x, int y) noexcept {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return nullptr;
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        Element* child = *it;
        if (!child->Visible()) continue;
        if (Element* hit = child->HitTest(x - child->Left(), y - child->Top())) return hit;
    }
    return this;
}

} // namespace zendra::tk
