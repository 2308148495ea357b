#include "Gallery.h"

#include "Artwork.h"

namespace zendra {

namespace {

tk::FontDesc OptionFont() {
    return tk::FontDesc{L"宋体", 9, FW_NORMAL, false, false, false, GB2312_CHARSET};
}

void PostClick(HWND window, int x, int y, bool release) {
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageW(window, WM_MOUSEMOVE, 0, at);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    if (release) PostMessageW(window, WM_LBUTTONUP, 0, at);
}

} // namespace

Gallery::Gallery() : Form(L"Zendra gallery", 15000, 9000) {
    SetBackColor(tk::SystemColor(COLOR_WINDOW));
    Move(300, 300, 15000, 9000);
}

tk::Label& Gallery::Caption(int left, int top, const wchar_t* text) {
    auto label = std::make_unique<tk::Label>();
    label->SetFont(tk::FontDesc{L"Tahoma", 8, FW_BOLD});
    label->SetForeColor(RGB(90, 90, 90));
    label->SetAutoSize(true);
    label->SetCaption(text);
    label->Move(left, top, label->Width(), label->Height());
    Elements().AddFront(*label);
    captions_.push_back(std::move(label));
    return *captions_.back();
}

void Gallery::CreateControls() {
    Caption(300, 150, L"Push buttons: normal, pressed, disabled, backdrop, filled, narrow");
    const wchar_t* captions[] = {L"Split", L"Browse", L"Join Files", L"Save", L"Filled", L"OK"};
    const int widths[] = {2535, 1005, 2535, 1665, 1500, 450};
    int left = 300;
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        CreateControl(buttons_[i], left, 450, widths[i], 345);
        buttons_[i].SetBackColor(tk::SystemColor(COLOR_WINDOW));
        buttons_[i].SetCaption(captions[i]);
        left += widths[i] + 240;
    }
    buttons_[2].SetEnabled(false);
    buttons_[3].SetLines(false);
    buttons_[3].SetLines(true);
    buttons_[4].SetBackColor(RGB(210, 225, 245));
    buttons_[4].SetBackStyle(1);

    Caption(300, 1200, L"Check boxes: unchecked, checked, mixed; then disabled; one hovered");
    const wchar_t* boxCaptions[] = {L"Delete original file after split completed.",
                                    L"Delete splitted files after join completed.",
                                    L"Confirm while deleting original file.",
                                    L"Confirm while deleting splitted files.",
                                    L"Checked and disabled", L"Mixed and disabled",
                                    L"Hover over me"};
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        OSXcheckbox& box = boxes_[i];
        const int column = i < 4 ? 0 : 1;
        const int row = i < 4 ? static_cast<int>(i) : static_cast<int>(i) - 4;
        CreateControl(box, 300 + column * 7200, 1500 + row * 420, 6000, 345);
        box.SetFont(OptionFont());
        box.SetBackColor(tk::SystemColor(COLOR_WINDOW));
        box.SetCaption(boxCaptions[i]);
    }
    boxes_[1].SetValue(1);
    boxes_[2].SetValue(2);
    boxes_[3].SetEnabled(false);
    boxes_[4].SetValue(1);
    boxes_[4].SetEnabled(false);
    boxes_[5].SetValue(2);
    boxes_[5].SetEnabled(false);
    boxes_[6].SetValue(1);

    Caption(300, 3300, L"The 12 cells of the check box strip");
    const tk::Picture strip = tk::Picture::FromResource(IDB_CHECKBOX_CELLS);
    for (std::size_t i = 0; i < cells_.size(); ++i) {
        cells_[i].SetPicture(strip.Cell(0, static_cast<int>(i) * art::kCheckCellHeight,
                                        art::kCheckCellWidth, art::kCheckCellHeight));
        cells_[i].Move(300 + static_cast<int>(i) * 450 + static_cast<int>(i / 4) * 300, 3600,
                       cells_[i].Width(), cells_[i].Height());
        Elements().AddFront(cells_[i]);
    }

    Caption(300, 4200, L"Piece list: header and 40 rows, one row chosen, scrolled");
    CreateControl(list_, 300, 4500, 6655, 1755);
    list_.AddItem(L"Splitted Files                                         Size");
    for (int i = 0; i < 40; ++i) {
        const std::wstring name =
            L"report.doc." + std::wstring(i < 10 ? L"00" : L"0") + std::to_wstring(i);
        list_.AddItem(name, 1048576 - i * 1000);
    }
    Caption(7500, 4200, L"A short list, not scrolled: sizes of 1 to 13 digits, a long name");
    CreateControl(shortList_, 7500, 4500, 6655, 1755);
    shortList_.AddItem(L"Splitted Files                                         Size");
    shortList_.AddItem(L"movie.mkv", 1610612736);
    shortList_.AddItem(L"movie.mkv.000", 104857614);
    shortList_.AddItem(L"movie.mkv.tpl", 7);
    shortList_.AddItem(L"disk-image-of-the-old-file-server-before-the-move.img", 9876543210987);
    shortList_.AddItem(L"a-name-far-longer-than-its-column-of-fifty-three-characters.iso",
                       1099511627776);
}

void Gallery::Pose() {
    // Scroll the first list by four thumb steps, then click its fourth visible row.
    list_.SetThumbTop(list_.ThumbTop() + 100);
    list_.SetThumbTop(list_.ThumbTop() + 100);
    list_.SetThumbTop(list_.ThumbTop() + 100);
    int row = 1;
    while (list_.ContentTop() + list_.Row(row).Top() < 300) ++row;
    row += 3;
    const int y = list_.ContentTop() + list_.Row(row).Top() + 60;
    PostClick(list_.Hwnd(), 60, tk::TwipsToPixels(y), true);

    // The hovered box: the real pointer rests over it.
    RECT r{};
    GetWindowRect(boxes_[6].Hwnd(), &r);
    SetCursorPos(r.left + 8, r.top + 10);
    PostMessageW(boxes_[6].Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(8, 10));

    // The pressed button keeps its look while its press lasts.
    PostClick(buttons_[1].Hwnd(), 20, 10, false);
}

} // namespace zendra
