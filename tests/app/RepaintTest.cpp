// The window is drawn again as soon as a box closes, not only when the message loop gets round to
// it.
#include "AppFixture.h"

namespace zendra::test {

namespace {

// A box that, like a real one, leaves the window behind it to be redrawn.
class UncoveringBox : public tk::FakeMessageBox {
public:
  tk::MsgResult Show(const std::wstring& text, tk::MsgButtons buttons, tk::MsgIcon icon,
                     const std::wstring& title, tk::MsgDefault focused) override {
      if (window != nullptr) InvalidateRect(window, nullptr, FALSE);
      return FakeMessageBox::Show(text, buttons, icon, title, focused);
  }
    HWND window = nullptr;
};

bool NeedsPainting(HWND window) { return GetUpdateRect(window, nullptr, FALSE) != FALSE; }

using Repaint = AppTest;

TEST_F(Repaint, TheWindowIsRedrawnBeforeTheHandlerReturnsFromABox) {
    UncoveringBox box;
    AppServices uncovering{box, dialog, *realFiles, settings, typeLibrary};
    Form1 main(uncovering);
    ASSERT_TRUE(main.Initialize());
    main.Show();
    Pump(30);
    box.window = main.Hwnd();
    // Sent, not posted: the handler has run when the release returns, and nothing was pumped.
    SendMessageW(main.cmdSplit.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    SendMessageW(main.cmdSplit.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
    ASSERT_EQ(box.calls.size(), 1u);
    EXPECT_FALSE(NeedsPainting(main.Hwnd()));
    main.Unload();
}

// The window stays fully transparent, its shadow held back, from its show until it has painted;
// then it shows as its title bar keyed it, with its shadow (the About and progress windows alike).
TEST_F(Repaint, TheWindowShowsOnlyOncePaintedThenWithItsShadow) {
    AppServices faked{messages, dialog, *realFiles, settings, typeLibrary};
    Form1 main(faked);
    ASSERT_TRUE(main.Initialize());
    main.Show(); // shown and painted, nothing pumped yet
    COLORREF key = 0;
    BYTE alpha = 255;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(main.Hwnd(), &key, &alpha, &flags));
    EXPECT_TRUE(alpha == 0 && flags == (LWA_COLORKEY | LWA_ALPHA) && !main.ucShadow1.Visible());
    EXPECT_TRUE(PumpUntil([&] { return main.ucShadow1.Visible(); }));
    ASSERT_TRUE(GetLayeredWindowAttributes(main.Hwnd(), &key, &alpha, &flags));
    EXPECT_EQ(flags, DWORD{LWA_COLORKEY});
    main.Unload();
}

} // namespace

} // namespace zendra::test
