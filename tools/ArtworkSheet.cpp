// A window that draws every picture the way the controls put them together (bars stretched, caps and tabs
// with the key transparent, the window keyed on the same colour), so the artwork can be judged at 100 %
// on a real screen. Not a test: tools/artwork_sheet.sh runs it and takes a screenshot.
#include <memory>
#include <type_traits>

#include <windows.h>

#include "Artwork.h"

namespace {

constexpr COLORREF kKey = RGB(255, 0, 255);

struct GdiDeleter {
    void operator()(HGDIOBJ h) const noexcept { DeleteObject(h); }
};
using Bitmap = std::unique_ptr<std::remove_pointer_t<HGDIOBJ>, GdiDeleter>;

class MemoryDc {
public:
    explicit MemoryDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    ~MemoryDc() {
        if (old_)
            SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    HDC select(HGDIOBJ bitmap) {
        HGDIOBJ previous = SelectObject(dc_, bitmap);
        if (!old_)
            old_ = previous;
        return dc_;
    }

private:
    HDC dc_;
    HGDIOBJ old_ = nullptr;
};

SIZE sizeOf(HGDIOBJ bitmap) {
    BITMAP b{};
    GetObjectW(bitmap, sizeof b, &b);
    return {b.bmWidth, b.bmHeight};
}

Bitmap load(int id) {
    return Bitmap(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// Draws picture `id` at x, y, stretched to w x h when given, with the key transparent when asked.
void draw(HDC dc, int id, int x, int y, int w = 0, int h = 0, bool keyed = false) {
    Bitmap bitmap = load(id);
    if (!bitmap)
        return;
    const SIZE s = sizeOf(bitmap.get());
    MemoryDc source(dc);
    HDC src = source.select(bitmap.get());
    const int dw = w ? w : s.cx;
    const int dh = h ? h : s.cy;
    if (keyed)
        TransparentBlt(dc, x, y, dw, dh, src, 0, 0, s.cx, s.cy, kKey);
    else
        StretchBlt(dc, x, y, dw, dh, src, 0, 0, s.cx, s.cy, SRCCOPY);
}

void text(HDC dc, const wchar_t* s, RECT r, const wchar_t* face, int pixels, int weight, COLORREF colour,
          UINT format = DT_CENTER | DT_SINGLELINE | DT_TOP) {
    HFONT font = CreateFontW(-pixels, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, face);
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    DrawTextW(dc, s, -1, &r, format);
    SelectObject(dc, old);
    DeleteObject(font);
}

void titleBar(HDC dc, int x, int y, int width, bool tall, bool active, const int buttons[3], const wchar_t* caption) {
    const int base = tall ? IDB_LEOPARD_ACTIVE_LEFT : IDB_TIGER_ACTIVE_LEFT;
    const int first = base + (active ? 0 : 3);
    const int height = tall ? 54 : 23;
    draw(dc, first, x, y);
    draw(dc, first + 1, x + 8, y, width - 16, height);
    draw(dc, first + 2, x + width - 8, y);
    text(dc, caption, {x, y + 4, x + width, y + 21}, L"Arial", 12, 400, active ? RGB(0, 0, 0) : RGB(80, 80, 80));
    for (int i = 0; i < 3; ++i)
        draw(dc, buttons[i], x + 8 + 21 * i, y);
}

void pushButton(HDC dc, int x, int y, int width, int left, int mid, int right, const wchar_t* caption) {
    draw(dc, left, x, y, 0, 0, true);
    draw(dc, mid, x + 15, y, width - 30, 23);
    draw(dc, right, x + width - 15, y, 0, 0, true);
    text(dc, caption, {x, y + 5, x + width, y + 22}, L"SimSun", 12, 700, RGB(0, 0, 0));
}

void paintSheet(HDC dc, RECT client) {
    HBRUSH desk = CreateSolidBrush(kKey); // the keyed window: all the desktop shows through
    FillRect(dc, &client, desk);
    DeleteObject(desk);

    // The main window's top: bar, tabs and a white pane below.
    const RECT pane{10, 64, 454, 150};
    FillRect(dc, &pane, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const int leopard[3] = {IDB_LEOPARD_CLOSE, IDB_LEOPARD_MIN_HOVER, IDB_LEOPARD_BUTTON_DISABLED};
    titleBar(dc, 10, 10, 444, true, true, leopard, L"Zendra");
    draw(dc, IDB_TAB_SPLIT, 10 + 14, 10 + 26, 0, 0, true);
    draw(dc, IDB_TAB_JOIN_DOWN, 10 + 52, 10 + 26, 0, 0, true);
    draw(dc, IDB_TAB_PREFS, 10 + 362, 10 + 26, 0, 0, true);
    draw(dc, IDB_TAB_ABOUT, 10 + 400, 10 + 26, 0, 0, true);
    const int leopardOff[3] = {IDB_LEOPARD_BUTTON_INACTIVE, IDB_LEOPARD_BUTTON_INACTIVE, IDB_LEOPARD_BUTTON_INACTIVE};
    titleBar(dc, 10, 160, 444, true, false, leopardOff, L"Zendra");
    draw(dc, IDB_TAB_SPLIT_DOWN, 10 + 14, 160 + 26, 0, 0, true);
    draw(dc, IDB_TAB_JOIN, 10 + 52, 160 + 26, 0, 0, true);
    draw(dc, IDB_TAB_PREFS_DOWN, 10 + 362, 160 + 26, 0, 0, true);
    draw(dc, IDB_TAB_ABOUT_DOWN, 10 + 400, 160 + 26, 0, 0, true);

    // Push buttons on white and on the pinstripe, check boxes, on the white pane.
    pushButton(dc, 30, 76, 67, IDB_AQUA_NORMAL_LEFT, IDB_AQUA_NORMAL_MID, IDB_AQUA_NORMAL_RIGHT, L"Browse");
    pushButton(dc, 110, 76, 169, IDB_AQUA_PRESSED_LEFT, IDB_AQUA_PRESSED_MID, IDB_AQUA_PRESSED_RIGHT, L"Split");
    pushButton(dc, 290, 76, 111, IDB_AQUA_DISABLED_LEFT, IDB_AQUA_DISABLED_MID, IDB_AQUA_DISABLED_RIGHT, L"Save");
    draw(dc, IDB_AQUA_PINSTRIPE, 20, 104, 424, 41);
    pushButton(dc, 30, 110, 75, IDB_AQUA_NORMAL_LEFT, IDB_AQUA_NORMAL_MID, IDB_AQUA_NORMAL_RIGHT, L"Join Files");
    pushButton(dc, 120, 110, 75, IDB_AQUA_PRESSED_LEFT, IDB_AQUA_PRESSED_MID, IDB_AQUA_PRESSED_RIGHT, L"Browse");
    Bitmap cells = load(IDB_CHECKBOX_CELLS);
    {
        MemoryDc source(dc);
        HDC src = source.select(cells.get());
        for (int i = 0; i < 12; ++i)
            BitBlt(dc, 210 + 20 * i, 116, 16, 16, src, 0, 17 * i, SRCCOPY);
    }

    // The About window: slim bar, logo, text.
    const RECT about{470, 10, 702, 140};
    FillRect(dc, &about, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const int tiger[3] = {IDB_TIGER_CLOSE, IDB_TIGER_BUTTON_DISABLED, IDB_TIGER_BUTTON_DISABLED};
    titleBar(dc, 470, 10, 232, false, true, tiger, L"About Zendra");
    draw(dc, IDB_LOGO, 470 + 85, 10 + 32);
    text(dc, L"Zendra", {470, 10 + 88, 702, 10 + 113}, L"Arial", 20, 700, RGB(0, 0, 0));
    const int tigerHover[3] = {IDB_TIGER_CLOSE_PRESSED, IDB_TIGER_MIN_HOVER, IDB_TIGER_ZOOM_HOVER};
    titleBar(dc, 470, 150, 232, false, true, tigerHover, L"About Zendra");
    const int tigerOff[3] = {IDB_TIGER_BUTTON_INACTIVE, IDB_TIGER_BUTTON_INACTIVE, IDB_TIGER_BUTTON_INACTIVE};
    titleBar(dc, 470, 180, 232, false, false, tigerOff, L"About Zendra");

    // The piece list: header, corner, rows with stripes, one selected, the scroll column.
    const int lx = 10, ly = 230, lw = 444, lh = 117, col = lx + lw - 12;
    const RECT list{lx, ly, lx + lw, ly + lh};
    FillRect(dc, &list, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    draw(dc, IDB_LIST_TRACK, col, ly + 29, 12, lh - 29);
    draw(dc, IDB_LIST_TRACK_CAP, col, ly + 16);
    draw(dc, IDB_LIST_THUMB, col, ly + 24);
    draw(dc, IDB_LIST_ARROW_UP, col, ly + lh - 35);
    draw(dc, IDB_LIST_ARROW_DOWN, col, ly + lh - 14);
    for (int row = 1; row <= 6; ++row) {
        const int top = ly + 16 + (-200 + 250 * row) / 15;
        if (row % 2 == 0)
            draw(dc, IDB_LIST_STRIPE, lx + 3, top - 1, col - lx - 3, 18);
        if (row == 3) {
            HBRUSH sel = CreateSolidBrush(RGB(75, 127, 210));
            const RECT r{lx + 3, top, col, top + 15};
            FillRect(dc, &r, sel);
            DeleteObject(sel);
        }
        wchar_t line[80];
        wsprintfW(line, L"movie.avi.%03d                                  1048576", row - 1);
        text(dc, line, {lx + 3, top, col, top + 16}, L"Courier New", 12, 400,
             row == 3 ? RGB(255, 255, 255) : RGB(0, 0, 0), DT_LEFT | DT_SINGLELINE | DT_TOP);
    }
    draw(dc, IDB_LIST_HEADER, lx, ly, col - lx, 17);
    draw(dc, IDB_LIST_HEADER_CORNER, col - 3, ly);
    text(dc, L"Splitted Files                                         Size", {lx + 3, ly + 2, col, ly + 17},
         L"Courier New", 12, 400, RGB(0, 0, 0), DT_LEFT | DT_SINGLELINE | DT_TOP);
    HBRUSH edge = CreateSolidBrush(RGB(0x99, 0x99, 0x99));
    const RECT left{lx, ly, lx + 1, ly + lh}, bottom{lx, ly + lh - 1, lx + lw, ly + lh};
    FillRect(dc, &left, edge);
    FillRect(dc, &bottom, edge);
    DeleteObject(edge);

    // The window icon at the sizes the system uses.
    int x = 480;
    for (int size : {16, 24, 32, 48, 64}) {
        HICON icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_ZENDRA), IMAGE_ICON, size, size, 0));
        const RECT back{x - 2, 228, x + size + 2, 230 + 64 + 2};
        FillRect(dc, &back, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        DrawIconEx(dc, x, 230, icon, size, size, 0, nullptr, DI_NORMAL);
        DestroyIcon(icon);
        x += size + 8;
    }
}

LRESULT CALLBACK sheetProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        RECT client;
        GetClientRect(wnd, &client);
        paintSheet(dc, client);
        EndPaint(wnd, &ps);
        return 0;
    }
    case WM_TIMER:
        DestroyWindow(wnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(wnd, msg, wp, lp);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = sheetProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_ZENDRA));
    wc.lpszClassName = L"ZendraArtworkSheet";
    RegisterClassW(&wc);
    HWND wnd = CreateWindowExW(WS_EX_LAYERED, wc.lpszClassName, L"Zendra artwork", WS_POPUP | WS_VISIBLE, 20, 20, 712,
                               360, nullptr, nullptr, instance, nullptr);
    SetLayeredWindowAttributes(wnd, kKey, 0, LWA_COLORKEY);
    SetTimer(wnd, 1, 8000, nullptr); // long enough for a screenshot, then the sheet closes itself
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return 0;
}
