#include "Image.h"
#include "TestSupport.h"
#include "TextBox.h"
#include "ToolTips.h"

#include <commctrl.h>

#include <gtest/gtest.h>

using namespace zendra;
using namespace zendra::tk;

namespace {

struct OnFormTest : ::testing::Test {
    void SetUp() override {
        Form::SetOnLastUnloaded([] {});
        host.Show();
    }
    test::HostForm host;
};

void Type(const wchar_t* text) {
    for (const wchar_t* c = text; *c != 0; ++c) {
        INPUT keys[2]{};
        keys[0].type = keys[1].type = INPUT_KEYBOARD;
        keys[0].ki.wScan = keys[1].ki.wScan = *c;
        keys[0].ki.dwFlags = KEYEVENTF_UNICODE;
        keys[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof(INPUT));
    }
    test::Pump(60);
}

} // namespace

TEST_F(OnFormTest, ATextBoxKeyFilterDiscardsCharactersBeforeTheyReachTheField) {
    TextBox size{L"Text2"};
    size.Create(host.Hwnd(), 1320, 1110, 2565, 345);
    size.KeyPress.Handle([](wchar_t& c) {
        if (!((c >= L'0' && c <= L'9') || c == L'.' || c == 8)) c = 0;
    });
    size.Focus();
    Type(L"1a.5x");
    EXPECT_EQ(size.Text(), L"1.5");
    size.SetText(L"");
    EXPECT_EQ(size.Text(), L"");
}

TEST_F(OnFormTest, ToolTipsFollowTheirElements) {
    Image tab;
    tab.Move(210, 390, 405, 330);
    host.Elements().AddFront(tab);
    ToolTips tips;
    tips.Add(host.Hwnd(), tab, L"Split Files");
    auto place = [&] {
        TTTOOLINFOW info{};
        info.cbSize = sizeof(info);
        info.hwnd = host.Hwnd();
        info.uId = 1;
        SendMessageW(tips.Hwnd(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info));
        return info.rect;
    };
    EXPECT_EQ(place().left, 14);
    EXPECT_EQ(place().bottom, 48);
    tab.Move(1350, 390, 405, 330);
    tab.SetVisible(false);
    tips.Refresh();
    const RECT hidden = place();
    EXPECT_TRUE(IsRectEmpty(&hidden));
    tab.SetVisible(true);
    tips.Refresh();
    EXPECT_EQ(place().left, 90);
}
