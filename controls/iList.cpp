#include "iList.h"

#include "Artwork.h"

#include <algorithm>
#include <cmath>

namespace zendra {

namespace {

constexpr int kRowLeft = 50;
constexpr int kStripeAbove = 20;
constexpr int kContentGrowth = 300;
constexpr int kThumbStep = 100;
constexpr int kContentRatio = 5;
constexpr int kThumbOrigin = 400; // the thumb top at which the content offset is 0
constexpr tk::OleColor kEdgeColor = 0x00999999u;

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
    Scroll.Move(0, 240, 3615, 1815);
    Scroll.SetOpaque(true);
    Scroll.SetBackColor(tk::SystemColor(COLOR_WINDOW));
    Picture1.AddFront(Scroll);
    Picture1.AddFront(Picture2);

    auto stripe = std::make_unique<tk::Image>(true);
    stripe->SetPicture(tk::Picture::FromResource(IDB_LIST_STRIPE));
    stripe->Move(0, 360, 3495, 270);
    stripe->SetVisible(false);
    auto row = std::make_unique<tk::Label>();
    row->SetFont(rowFont_);
    row->SetAutoSize(true);
    row->SetCaption(L"");
    row->SetLeft(45);
    row->SetTop(25);
    Scroll.AddBack(*stripe);
    Scroll.AddFront(*row);
    Img1.push_back(std::move(stripe));
    lblDynamic.push_back(std::move(row));

    Thumb.SetPicture(tk::Picture::FromResource(IDB_LIST_THUMB));
    Thumb.Move(4080, 360, Thumb.Width(), Thumb.Height());
    Arrow1.SetPicture(tk::Picture::FromResource(IDB_LIST_ARROW_DOWN));
    Arrow1.Move(3840, 2160, Arrow1.Width(), Arrow1.Height());
    Arrow0.SetPicture(tk::Picture::FromResource(IDB_LIST_ARROW_UP));
    Arrow0.Move(3840, 1800, Arrow0.Width(), Arrow0.Height());
    Picture5.SetPicture(tk::Picture::FromResource(IDB_LIST_TRACK));
    Picture5.Move(3840, 440, 180, 480);
    Image3.SetPicture(tk::Picture::FromResource(IDB_LIST_TRACK_CAP));
    Image3.Move(3840, 240, Image3.Width(), Image3.Height());

    for (tk::Element* e : {static_cast<tk::Element*>(&Image3), static_cast<tk::Element*>(&Picture5),
                           static_cast<tk::Element*>(&Arrow0), static_cast<tk::Element*>(&Arrow1),
                           static_cast<tk::Element*>(&Thumb), static_cast<tk::Element*>(&Picture1),
                           static_cast<tk::Element*>(&Picture3), static_cast<tk::Element*>(&hLine),
                           static_cast<tk::Element*>(&vLine)})
        Elements().AddFront(*e);
    Elements().SetOpaque(true);
    Elements().SetBackColor(tk::SystemColor(COLOR_BTNFACE));

    Thumb.MouseDown.Handle([this](const tk::MouseArgs& a) {
        if (a.button == tk::kLeftButton) dragStartY_ = a.y;
    });
    Thumb.MouseMove.Handle([this](const tk::MouseArgs& a) {
        if (a.button & tk::kLeftButton)
            SetThumbTop(Thumb.Top() + static_cast<int>(std::lround(a.y - dragStartY_)));
    });
    Thumb.MouseUp.Handle([this](const tk::MouseArgs&) { UpdateContentOffset(); });
    Arrow0.MouseDown.Handle([this](const tk::MouseArgs& a) {
        if (a.button == tk::kLeftButton) PressArrow(0);
    });
    Arrow1.MouseDown.Handle([this](const tk::MouseArgs& a) {
        if (a.button == tk::kLeftButton) PressArrow(1);
    });
    Arrow0.MouseUp.Handle([this](const tk::MouseArgs&) { Timer1.SetEnabled(false); });
    Arrow1.MouseUp.Handle([this](const tk::MouseArgs&) { Timer1.SetEnabled(false); });
    Timer1.Tick.Handle([this] { OnAutoRepeat(); });
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
    Picture2.SetWidth(viewport);
    Image5.SetWidth(w);
    for (const auto& stripe : Img1)
        if (stripe) stripe->SetWidth(w);
    for (std::size_t i = 1; i < lblDynamic.size(); ++i) lblDynamic[i]->SetWidth(w);
    for (tk::Image* column : {&Picture5, &Image3, &Arrow0, &Arrow1, &Thumb})
        column->SetLeft(viewport);
    Picture3.SetLeft(viewport - 50);
    Picture5.SetHeight(h);
    Arrow0.SetTop(h - (Arrow0.Height() + Arrow1.Height()));
    Arrow1.SetTop(h - Arrow1.Height());
    if (thumbMoved_) UpdateContentOffset();
}

void iList::AddItem(const std::wstring& text) {
    if (itemCount_++ == 0) {
        Label1.SetCaption(text);
        return;
    }
    nextRowTop_ += kRowSpacing;
    Scroll.SetHeight(Scroll.Height() + kContentGrowth);
    const int n = ++rowCount_;

    const tk::Label& rowTemplate = *lblDynamic[0];
    auto row = std::make_unique<tk::Label>();
    row->SetFont(rowTemplate.Font());
    row->SetForeColor(rowTemplate.ForeColor());
    row->SetBackColor(rowTemplate.BackColor());
    row->SetAutoSize(true);
    std::unique_ptr<tk::Image> stripe;
    if (stripeFlag_ == 0) {
        stripeFlag_ = 1;
    } else {
        const tk::Image& stripeTemplate = *Img1[0];
        stripe = std::make_unique<tk::Image>(true);
        stripe->SetPicture(stripeTemplate.GetPicture());
        stripe->Move(kRowLeft, nextRowTop_ - kStripeAbove, stripeTemplate.Width(),
                     stripeTemplate.Height());
        Scroll.AddBack(*stripe); // beneath the row's text
        stripeFlag_ = 0;
    }
    row->SetCaption(text);
    row->Move(kRowLeft, nextRowTop_, Width(), row->Height());
    row->SetOpaque(false);
    row->Click.Handle([this, n] { SelectRow(n); });
    Scroll.AddFront(*row);
    lblDynamic.push_back(std::move(row));
    Img1.push_back(std::move(stripe));
    if (thumbMoved_) UpdateContentOffset();
}

bool iList::RowHasStripe(int i) const {
    const auto& stripe = Img1.at(static_cast<std::size_t>(i));
    return stripe != nullptr && stripe->Visible();
}

void iList::SelectRow(int i) {
    for (int r = 1; r <= rowCount_; ++r) {
        tk::Label& row = *lblDynamic[static_cast<std::size_t>(r)];
        row.SetOpaque(false);
        row.SetBackColor(RGB(255, 255, 255));
        row.SetForeColor(RGB(0, 0, 0));
    }
    tk::Label& chosen = *lblDynamic[static_cast<std::size_t>(i)];
    chosen.SetOpaque(true);
    chosen.SetBackColor(kHighlight);
    chosen.SetForeColor(RGB(255, 255, 255));
}

void iList::SetURL(std::wstring url) {
    url_ = std::move(url);
    PropertyChanged("URL");
}

void iList::ReadProperties(const tk::PropertyBag& bag) { url_ = bag.ReadString("URL", L""); }

void iList::WriteProperties(tk::PropertyBag& bag) const { bag.WriteString("URL", url_, L""); }

void iList::SetThumbTop(int twips) {
    if (twips > Image3.Top() + 100 && twips < Arrow0.Top() - 250) {
        Thumb.SetTop(twips);
        UpdateContentOffset();
    }
}

double iList::ContentRatio() const {
    // The lowest row must come into view when the thumb reaches the end of its travel.
    const int travel = ThumbMax() - kThumbOrigin;
    if (travel <= 0 || rowCount_ == 0) return kContentRatio;
    const int visibleBottom = std::min(Picture1.Height(), Height() - 10);
    const double needed = static_cast<double>(nextRowTop_) + kRowSpacing - visibleBottom;
    return std::max<double>(kContentRatio, needed / travel);
}

void iList::UpdateContentOffset() {
    thumbMoved_ = true;
    contentOffset_ = ContentRatio() * (Thumb.Top() - kThumbOrigin);
    Scroll.SetTop(-static_cast<int>(std::lround(contentOffset_)));
}

void iList::PressArrow(int direction) {
    // The arrows start whenever the thumb can still move their way, and stop it at the ends.
    const bool canMove = direction == 0 ? Thumb.Top() > ThumbMin() : Thumb.Top() < ThumbMax();
    if (!canMove) return;
    arrowDirection_ = direction;
    Timer1.SetEnabled(true);
}

void iList::OnAutoRepeat() {
    const int low = ThumbMin();
    const int high = std::max(low, ThumbMax());
    const double ratio = ContentRatio();
    if (ratio <= kContentRatio) {
        const int step = arrowDirection_ == 0 ? -kThumbStep : kThumbStep;
        Thumb.SetTop(std::clamp(Thumb.Top() + step, low, high));
        UpdateContentOffset();
    } else {
        // A long list: the rows move as far per tick as with 5:1, the thumb in proportion.
        const double contentStep = static_cast<double>(kThumbStep) * kContentRatio;
        const double from = thumbMoved_ ? contentOffset_ : ratio * (Thumb.Top() - kThumbOrigin);
        const double offset = from + (arrowDirection_ == 0 ? -contentStep : contentStep);
        const int top = static_cast<int>(std::lround(kThumbOrigin + offset / ratio));
        if (top <= low || top >= high) {
            Thumb.SetTop(std::clamp(top, low, high));
            UpdateContentOffset();
        } else {
            Thumb.SetTop(top);
            thumbMoved_ = true;
            contentOffset_ = offset;
            Scroll.SetTop(-static_cast<int>(std::lround(offset)));
        }
    }
    if (Thumb.Top() == low || Thumb.Top() == high) Timer1.SetEnabled(false);
}

} // namespace zendra
