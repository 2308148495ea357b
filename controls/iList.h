// The piece list: a header bar, one text row per item with a light stripe behind every second
// row, a one-click row highlight, and a skinned scroll column whose thumb moves the rows. The
// thumb's travel stands for the rows' in proportion: at the top the first row shows, at the
// bottom the last. An arrow moves one row when pressed and, held, repeats after the keyboard's
// repeat delay at its repeat rate; a press in the track moves a page; the mouse wheel moves
// the system's lines-per-notch in rows (a page where it says so), parts of a notch adding up.
// The first AddItem sets the header, later ones append.
#pragma once

#include "Control.h"
#include "Image.h"
#include "Label.h"
#include "Shape.h"
#include "Timer.h"
#include "iListRow.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace zendra {

class iList : public tk::Control {
public:
    explicit iList(std::wstring name = L"iList");
    ~iList() noexcept override;

    void AddItem(const std::wstring& text);
    // A row of a file and its size: the name padded to the name column, then the size, which
    // shows whole (right-aligned at the row's end) whatever its length.
    void AddItem(const std::wstring& name, std::uint64_t size);

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
    void SetThumbTop(int twips); // as a drag to that place would: held within the travel
    int ContentTop() const noexcept { return Scroll.Top(); }
    // The thumb's travel: the tops a drag accepts.
    int ThumbMin() const noexcept { return Image3.Top() + 101; }
    int ThumbMax() const noexcept { return Arrow0.Top() - 251; }
    bool AutoRepeatRunning() const noexcept { return Timer1.Enabled(); }
    int ArrowTop(int i) const noexcept { return i == 0 ? Arrow0.Top() : Arrow1.Top(); }
    int ScrollColumnLeft() const noexcept { return Picture5.Left(); }

    static constexpr COLORREF kHighlight = RGB(75, 127, 210);
    static constexpr int kRowSpacing = 250;
    static constexpr std::size_t kNameColumn = 53; // characters

protected:
    void OnResize() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    iListRow& NewRow(const std::wstring& text);
    void SelectRow(int i);
    // The rows' offset (twips scrolled up) for a thumb top, and the thumb top for an offset.
    double OffsetFor(int thumbTop) const;
    int ThumbFor(double offset) const;
    double OffsetEnd() const;
    int VisibleBottom() const noexcept;
    double PageHeight() const noexcept;
    // Moves the rows by `twips` (down the list when positive) within their ends; false when
    // they could not move.
    bool ScrollBy(double twips);
    void Wheel(int delta);
    void UpdateContentOffset();
    void ShowOffset(double offset, int thumbTop);
    void PressArrow(int direction);
    void StopArrows();
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
    tk::Container stripes_; // inside Scroll, behind the rows: adding a row stays constant time
    tk::Image Thumb;
    tk::Image Arrow1;
    tk::Image Arrow0;
    tk::Image Picture5{true};
    tk::Image Image3;
    tk::Timer Timer1{*this, 100, false};

    // Element 0 of each family is the template of the rows and stripes created later.
    std::vector<std::unique_ptr<iListRow>> lblDynamic;
    std::vector<std::unique_ptr<tk::Image>> Img1; // null where a row has no stripe

    tk::FontDesc rowFont_;
    std::wstring url_;
    long long itemCount_ = 0;
    int nextRowTop_ = -200;
    int rowCount_ = 0;
    int stripeFlag_ = 0;
    int selectedRow_ = 0;
    int arrowDirection_ = 0;
    float dragStartY_ = 0; // the pointer's place in the control where the drag began
    int dragStartThumb_ = 0;
    int wheelUnits_ = 0; // turned but not yet scrolled: delta times lines per notch
    bool dragging_ = false;
    double contentOffset_ = 0; // twips the rows are scrolled up by, where they really are
    int offsetThumbTop_ = 0;   // the thumb top that offset belongs to
    bool thumbMoved_ = false;
};

} // namespace zendra
