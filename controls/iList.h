// The piece list: a header bar, one text row per item with a light stripe behind every second
// row, a one-click row highlight, and a skinned scroll column whose thumb moves the rows (5 twips
// of content per twip of thumb travel while the rows fit that reach; more when they do not, so
// that every row can be scrolled to). The arrows repeat every 100 ms while held: 100 twips of
// thumb (500 of content) per tick, and 500 twips of content per tick for lists too long for
// 5:1, stopping at the ends of the track. The first AddItem sets the header, later ones append.
#pragma once

#include "Control.h"
#include "Image.h"
#include "Label.h"
#include "Shape.h"
#include "Timer.h"

#include <memory>
#include <vector>

namespace zendra {

class iList : public tk::Control {
public:
    explicit iList(std::wstring name = L"iList");

    void AddItem(const std::wstring& text);

    const std::wstring& URL() const noexcept { return url_; }
    void SetURL(std::wstring url);

    void ReadProperties(const tk::PropertyBag& bag) override;
    void WriteProperties(tk::PropertyBag& bag) const override;

    // What the list shows, for the window's own checks and for tests.
    const std::wstring& HeaderText() const noexcept { return Label1.Caption(); }
    int RowCount() const noexcept { return rowCount_; }
    const tk::Label& Row(int i) const { return *lblDynamic.at(static_cast<std::size_t>(i)); }
    bool RowHasStripe(int i) const;
    int ThumbTop() const noexcept { return Thumb.Top(); }
    void SetThumbTop(int twips); // as a drag to that place would, within the drag limits
    int ContentTop() const noexcept { return Scroll.Top(); }
    // The thumb's travel: the tops a drag accepts.
    int ThumbMin() const noexcept { return Image3.Top() + 101; }
    int ThumbMax() const noexcept { return Arrow0.Top() - 251; }
    bool AutoRepeatRunning() const noexcept { return Timer1.Enabled(); }
    int ArrowTop(int i) const noexcept { return i == 0 ? Arrow0.Top() : Arrow1.Top(); }
    int ScrollColumnLeft() const noexcept { return Picture5.Left(); }

    static constexpr COLORREF kHighlight = RGB(75, 127, 210);
    static constexpr int kRowSpacing = 250;

protected:
    void OnResize() override;

private:
    void SelectRow(int i);
    void UpdateContentOffset();
    double ContentRatio() const;
    void PressArrow(int direction);
    void OnAutoRepeat();

    // Front to back.
    tk::Shape vLine;
    tk::Shape hLine;
    tk::Image Picture3;
    tk::Container Picture1;
    tk::Container Picture2; // inside Picture1
    tk::Label Label1;       // inside Picture2
    tk::Image Image5{true}; // inside Picture2
    tk::Container Scroll;   // inside Picture1: the rows
    tk::Image Thumb;
    tk::Image Arrow1;
    tk::Image Arrow0;
    tk::Image Picture5{true};
    tk::Image Image3;
    tk::Timer Timer1{*this, 100, false};

    // Element 0 of each family is the template of the rows and stripes created later.
    std::vector<std::unique_ptr<tk::Label>> lblDynamic;
    std::vector<std::unique_ptr<tk::Image>> Img1; // null where a row has no stripe

    tk::FontDesc rowFont_;
    std::wstring url_;
    long long itemCount_ = 0;
    int nextRowTop_ = -200;
    int rowCount_ = 0;
    int stripeFlag_ = 0;
    int arrowDirection_ = 0;
    float dragStartY_ = 0;
    double contentOffset_ = 0; // twips the rows are scrolled up by
    bool thumbMoved_ = false;
};

} // namespace zendra
