#include "iList.h"

#include "Artwork.h"

#include <algorithm>
#include <cmath>

namespace zendra {

namespace {

constexpr int kRowLeft = 50;
constexpr int kStripeAbove = 20;
constexpr int kContentGrowth = 300;
constexpr int kContentStart = 240; // the rows' top at creation: just below the header
constexpr int kHeaderHeight = 255;
constexpr tk::OleColor kEdgeColor = 0x00999999u;

// The keyboard's repeat timing, which held arrows follow as the system's scroll bars do.
unsigned RepeatDelayMs() noexcept {
    int delay = 1; // 0..3: 250 ms to 1 s
    SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0);
    return static_cast<unsigned>(std::clamp(delay, 0, 3) + 1) * 250;
}
unsigned RepeatIntervalMs() noexcept {
    DWORD speed = 31; // 0..31: about 2.5 to 30 repeats a second
    SystemParametersInfoW(SPI_GETKEYBOARDSPEED, 0, &speed, 0);
    const double perSecond = 2.5 + std::min<DWORD>(speed, 31) * 27.5 / 31;
    return static_cast<unsigned>(std::lround(1000 / perSecond));
}

// The columns of the rows line up only by spaces: a font whose characters share one width.
tk::FontDesc RowFont() {
    return tk::FontDesc{L"Courier New", 9, FW_NORMAL, false, false, false, DEFAULT_CHARSET,
                        FIXED_PITCH | FF_MODERN};
}

} // namespace

iList::iList(std::wstring name) : Control(std::move(name)), rowFont_(RowFont()) {
    for (tk::Shape* line : {&vLine, &hLine}) {
        line->SetFilled(true);
        line->SetFillColor(kEdgeColor);
        line->SetBorderColor(kEdgeColor);
    }
    vLine.Move(0, 2760, 5415, 10);
    hLine.Move(0, 0, 10, 3615);
    Picture3.SetPicture(tk::Picture::FromResource(IDB_LIST_HEADER_CORNER));
    Picture3.Move(3720, 0, Picture3.Width(), Picture3.Height());

    Picture1.Move(0, 0, 3735, 2415);
    Picture1.SetOpaque(true);
    Picture1.SetBackColor(tk::SystemColor(COLOR_WINDOW));
    Picture2.Move(0, 0, 3495, 255);
    Image5.SetPicture(tk::Picture::FromResource(IDB_LIST_HEADER));
    Image5.Move(0, 0, 3525, 255);
    Label1.SetFont(rowFont_);
    Label1.SetAutoSize(true);
    Label1.SetCaption(L"Header");
    Label1.Move(50, 25, Label1.Width(), Label1.Height());
    Picture2.AddFront(Image5);
    Picture2.AddFront(Label1);
    Scroll.Move(0, kContentStart, 3615, 1815);
    Scroll.SetOpaque(true);
    Scroll.SetBackColor(tk::SystemColor(COLOR_WINDOW));
    stripes_.Move(0, 0, Scroll.Width(), Scroll.Height());
    Scroll.AddFront(stripes_);
    Picture1.AddFront(Scroll);
    Picture1.AddFront(Picture2);
    contentOffset_ = -kContentStart;

    auto stripe = std::make_unique<tk::Image>(true);
    stripe->SetPicture(tk::Picture::FromResource(IDB_LIST_STRIPE));
    stripe->Move(0, 360, 3495, 270);
    stripe->SetVisible(false);
    auto row = std::make_unique<iListRow>();
    row->SetFont(rowFont_);
    row->SetAutoSize(true);
    row->SetCaption(L"");
    row->SetLeft(45);
    row->SetTop(25);
    stripes_.AddFront(*stripe);
    Scroll.AddFront(*row);
    Img1.push_back(std::move(stripe));
    lblDynamic.push_back(std::move(row));

    Thumb.SetPicture(tk::Picture::FromResource(IDB_LIST_THUMB));
    Arrow1.SetPicture(tk::Picture::FromResource(IDB_LIST_ARROW_DOWN));
    Arrow1.Move(3840, 2160, Arrow1.Width(), Arrow1.Height());
    Arrow0.SetPicture(tk::Picture::FromResource(IDB_LIST_ARROW_UP));
    Arrow0.Move(3840, 1800, Arrow0.Width(), Arrow0.Height());
    Picture5.SetPicture(tk::Picture::FromResource(IDB_LIST_TRACK));
    Picture5.Move(3840, 440, 180, 480);
    Image3.SetPicture(tk::Picture::FromResource(IDB_LIST_TRACK_CAP));
    Image3.Move(3840, 240, Image3.Width(), Image3.Height());
    // At the top of its travel: the first row shows.
    Thumb.Move(4080, ThumbMin(), Thumb.Width(), Thumb.Height());
    offsetThumbTop_ = ThumbMin();

    for (tk::Element* e : {static_cast<tk::Element*>(&Image3), static_cast<tk::Element*>(&Picture5),
                           static_cast<tk::Element*>(&Arrow0), static_cast<tk::Element*>(&Arrow1),
                           static_cast<tk::Element*>(&Thumb), static_cast<tk::Element*>(&Picture1),
                           static_cast<tk::Element*>(&Picture3), static_cast<tk::Element*>(&hLine),
                           static_cast<tk::Element*>(&vLine)})
        Elements().AddFront(*e);
    Elements().SetOpaque(true);
    Elements().SetBackColor(tk::SystemColor(COLOR_BTNFACE));

    Thumb.MouseDown.Handle([this](const tk::MouseArgs& a) {
        if (a.button != tk::kLeftButton) return;
        dragging_ = true;
        dragStartThumb_ = Thumb.Top();
        dragStartY_ = static_cast<float>(Thumb.Top()) + a.y;
    });
    Thumb.MouseMove.Handle([this](const tk::MouseArgs& a) {
        // The thumb keeps its distance to the pointer as far as the track reaches, however far
        // the pointer goes.
        if (dragging_ && (a.button & tk::kLeftButton))
            SetThumbTop(
                dragStartThumb_ +
                static_cast<int>(std::lround(static_cast<float>(Thumb.Top()) + a.y - dragStartY_)));
    });
    Thumb.MouseUp.Handle([this](const tk::MouseArgs& a) {
        if (a.button == tk::kLeftButton) dragging_ = false;
        // A press that did not move the thumb leaves the rows where they are.
        if (Thumb.Top() != offsetThumbTop_) UpdateContentOffset();
    });
    // The thumb stays where the drag left it; the rows follow it already.
    Thumb.PressCancelled.Handle([this] { dragging_ = false; });
    Arrow0.MouseDown.Handle([this](const tk::MouseArgs& a) {
        if (a.button == tk::kLeftButton) PressArrow(0);
    });
    Arrow1.MouseDown.Handle([this](const tk::MouseArgs& a) {
        if (a.button == tk::kLeftButton) PressArrow(1);
    });
    for (tk::Image* arrow : {&Arrow0, &Arrow1}) {
        arrow->MouseUp.Handle([this](const tk::MouseArgs&) { StopArrows(); });
        arrow->PressCancelled.Handle([this] { StopArrows(); });
    }
    Timer1.Tick.Handle([this] { OnAutoRepeat(); });
    // A press in the track above or below the thumb moves a page.
    for (tk::Image* track : {&Picture5, &Image3}) {
        track->MouseDown.Handle([this, track](const tk::MouseArgs& a) {
            if (a.button != tk::kLeftButton) return;
            const double y = track->Top() + a.y;
            if (y < Thumb.Top())
                ScrollBy(-PageHeight());
            else if (y > Thumb.Top() + Thumb.Height())
                ScrollBy(PageHeight());
        });
    }
}

iList::~iList() noexcept {
    // All at once: one by one, a long list would take each row out of the middle of the others.
    stripes_.Clear();
    Scroll.Clear();
}

void iList::OnResize() {
    const int w = Width();
    const int h = Height();
    // The rows stay where they are: a later layout must not start them again at the top.
    if (rowCount_ == 0) {
        nextRowTop_ = -200;
        stripeFlag_ = 0;
    }
    hLine.SetHeight(h);
    vLine.SetTop(h - 10);
    vLine.SetWidth(w);
    const int viewport = std::max(0, w - Picture5.Width());
    Picture1.SetWidth(viewport);
    Scroll.SetWidth(viewport);
    stripes_.SetWidth(viewport);
    Picture2.SetWidth(viewport);
    Image5.SetWidth(w);
    for (const auto& stripe : Img1)
        if (stripe) stripe->SetWidth(w);
    // A row reaches the viewport's right edge, where its size column ends.
    const int rowWidth = std::max(0, viewport - kRowLeft);
    for (std::size_t i = 1; i < lblDynamic.size(); ++i) lblDynamic[i]->SetWidth(rowWidth);
    for (tk::Image* column : {&Picture5, &Image3, &Arrow0, &Arrow1, &Thumb})
        column->SetLeft(viewport);
    Picture3.SetLeft(viewport - 50);
    Picture5.SetHeight(h);
    Arrow0.SetTop(h - (Arrow0.Height() + Arrow1.Height()));
    Arrow1.SetTop(h - Arrow1.Height());
    // The rows keep their place as far as the new size allows; the thumb follows them.
    if (thumbMoved_) {
        const double first = OffsetFor(ThumbMin());
        const double offset =
            std::clamp(contentOffset_, first, std::max(first, OffsetFor(ThumbMax())));
        ShowOffset(offset, ThumbFor(offset));
    }
}

iListRow& iList::NewRow(const std::wstring& text) {
    nextRowTop_ += kRowSpacing;
    Scroll.SetHeight(Scroll.Height() + kContentGrowth);
    stripes_.SetHeight(Scroll.Height());
    const int n = ++rowCount_;

    const iListRow& rowTemplate = *lblDynamic[0];
    auto row = std::make_unique<iListRow>();
    row->SetFont(rowTemplate.Font());
    row->SetForeColor(rowTemplate.ForeColor());
    row->SetBackColor(rowTemplate.BackColor());
    std::unique_ptr<tk::Image> stripe;
    if (stripeFlag_ == 0) {
        stripeFlag_ = 1;
    } else {
        const tk::Image& stripeTemplate = *Img1[0];
        stripe = std::make_unique<tk::Image>(true);
        stripe->SetPicture(stripeTemplate.GetPicture());
        stripe->Move(kRowLeft, nextRowTop_ - kStripeAbove, stripeTemplate.Width(),
                     stripeTemplate.Height());
        stripes_.AddFront(*stripe); // beneath every row's text
        stripeFlag_ = 0;
    }
    // One line of the row font: as high as the template, which holds no text.
    row->SetCaption(text);
    row->Move(kRowLeft, nextRowTop_, std::max(0, Picture1.Width() - kRowLeft),
              rowTemplate.Height());
    row->SetOpaque(false);
    row->Click.Handle([this, n] { SelectRow(n); });
    Scroll.AddFront(*row);
    lblDynamic.push_back(std::move(row));
    Img1.push_back(std::move(stripe));
    // The rows stay where the user put them; the thumb moves to their place in the longer list.
    if (thumbMoved_) ShowOffset(contentOffset_, ThumbFor(contentOffset_));
    return *lblDynamic.back();
}

void iList::AddItem(const std::wstring& text) {
    if (itemCount_++ == 0) {
        Label1.SetCaption(text);
        return;
    }
    NewRow(text);
}

void iList::AddItem(const std::wstring& name, std::uint64_t size) {
    std::wstring text = name;
    if (text.size() < kNameColumn) text.resize(kNameColumn, L' ');
    const std::size_t sizeColumn = text.size();
    text += std::to_wstring(size);
    if (itemCount_++ == 0) {
        Label1.SetCaption(text);
        return;
    }
    NewRow(text).SetSizeColumn(sizeColumn);
}

bool iList::RowHasStripe(int i) const {
    const auto& stripe = Img1.at(static_cast<std::size_t>(i));
    return stripe != nullptr && stripe->Visible();
}

void iList::SelectRow(int i) {
    // Only the highlighted row needs clearing: every other row is plain already.
    if (selectedRow_ != 0) {
        tk::Label& row = *lblDynamic[static_cast<std::size_t>(selectedRow_)];
        row.SetOpaque(false);
        row.SetBackColor(RGB(255, 255, 255));
        row.SetForeColor(RGB(0, 0, 0));
    }
    tk::Label& chosen = *lblDynamic[static_cast<std::size_t>(i)];
    chosen.SetOpaque(true);
    chosen.SetBackColor(kHighlight);
    chosen.SetForeColor(RGB(255, 255, 255));
    selectedRow_ = i;
}

void iList::SetURL(std::wstring url) {
    url_ = std::move(url);
    PropertyChanged("URL");
}

void iList::ReadProperties(const tk::PropertyBag& bag) { url_ = bag.ReadString("URL", L""); }

void iList::WriteProperties(tk::PropertyBag& bag) const { bag.WriteString("URL", url_, L""); }

void iList::SetThumbTop(int twips) {
    Thumb.SetTop(std::clamp(twips, ThumbMin(), std::max(ThumbMin(), ThumbMax())));
    UpdateContentOffset();
}

// Where the rows stop going up: the last row at the bottom of the view, or, for rows that all
// fit, where they start.
double iList::OffsetEnd() const {
    const double lastRowAtBottom = static_cast<double>(nextRowTop_) + kRowSpacing - VisibleBottom();
    return std::max<double>(lastRowAtBottom, -kContentStart);
}

int iList::VisibleBottom() const noexcept {
    return std::min(Picture1.Height(), Height() - 10);
}

double iList::PageHeight() const noexcept {
    // The whole rows the view shows, one at least.
    const int rows = std::max(1, (VisibleBottom() - kHeaderHeight) / kRowSpacing);
    return static_cast<double>(rows) * kRowSpacing;
}

// The thumb's travel stands for the rows' whole travel, in proportion: the thumb at the top
// shows the first row, at the bottom the last.
double iList::OffsetFor(int thumbTop) const {
    const int low = ThumbMin();
    const int high = ThumbMax();
    const double first = -kContentStart;
    if (high <= low) return first;
    const double share = std::clamp(static_cast<double>(thumbTop - low) / (high - low), 0.0, 1.0);
    return first + share * (OffsetEnd() - first);
}

int iList::ThumbFor(double offset) const {
    const int low = ThumbMin();
    const int high = std::max(low, ThumbMax());
    const double first = -kContentStart;
    const double span = OffsetEnd() - first;
    if (span <= 0) return low;
    const double share = std::clamp((offset - first) / span, 0.0, 1.0);
    return static_cast<int>(std::lround(low + share * (high - low)));
}

void iList::ShowOffset(double offset, int thumbTop) {
    thumbMoved_ = true;
    contentOffset_ = offset;
    offsetThumbTop_ = thumbTop;
    Thumb.SetTop(thumbTop);
    Scroll.SetTop(-static_cast<int>(std::lround(offset)));
}

void iList::UpdateContentOffset() { ShowOffset(OffsetFor(Thumb.Top()), Thumb.Top()); }

bool iList::ScrollBy(double twips) {
    const double first = -kContentStart;
    const double offset = std::clamp(contentOffset_ + twips, first, std::max(first, OffsetEnd()));
    if (offset == contentOffset_) return false;
    ShowOffset(offset, ThumbFor(offset));
    return true;
}

void iList::PressArrow(int direction) {
    // One row at once, however short the press; held, the keyboard's delay, then its repeat.
    arrowDirection_ = direction;
    if (!ScrollBy(direction == 0 ? -kRowSpacing : kRowSpacing)) return;
    Timer1.SetInterval(RepeatDelayMs());
    Timer1.SetEnabled(true);
}

void iList::StopArrows() { Timer1.SetEnabled(false); }

void iList::OnAutoRepeat() {
    const unsigned repeat = RepeatIntervalMs();
    if (Timer1.Interval() != repeat) Timer1.SetInterval(repeat);
    if (!ScrollBy(arrowDirection_ == 0 ? -kRowSpacing : kRowSpacing)) StopArrows();
}

void iList::Wheel(int delta) {
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    if (lines == 0) return;
    // A turn the other way starts afresh; parts of a notch (fine wheels, touch pads) add up.
    if ((delta > 0) != (wheelUnits_ > 0)) wheelUnits_ = 0;
    if (lines == WHEEL_PAGESCROLL) {
        wheelUnits_ += delta;
        const int pages = wheelUnits_ / WHEEL_DELTA;
        wheelUnits_ -= pages * WHEEL_DELTA;
        if (pages != 0) ScrollBy(-pages * PageHeight());
        return;
    }
    wheelUnits_ += delta * static_cast<int>(std::min<UINT>(lines, 1000));
    const int rows = wheelUnits_ / WHEEL_DELTA;
    wheelUnits_ -= rows * WHEEL_DELTA;
    if (rows != 0) ScrollBy(-static_cast<double>(rows) * kRowSpacing);
}

LRESULT iList::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_MOUSEWHEEL) {
        Wheel(GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
    }
    return Control::HandleMessage(message, wParam, lParam);
}

} // namespace zendra
