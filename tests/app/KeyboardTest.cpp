// The main and About windows worked from the keyboard, through real key presses: the tab order of
// each pane, Ctrl+Tab between panes, Enter in a field, Space on a button and a check box, Esc;
// and the wheel, which the window passes to the piece list under the pointer.
#include "AppFixture.h"

namespace zendra::test {

namespace {

class Keyboard : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        Start();
        SetForegroundWindow(form->Hwnd());
        ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == form->Hwnd(); }, 10000));
    }
    // Presses the keys and waits until the focus is on `window`.
    static bool FocusAfter(std::initializer_list<WORD> keys, HWND window) {
        PressKeys(keys);
        return PumpUntil([&] { return GetFocus() == window; }, 10000);
    }
};

TEST_F(Keyboard, TabMovesThroughEachPaneInOrderAndCtrlTabSwitchesPanes) {
    struct Pane {
        tk::Container& pane;
        std::vector<HWND> order;
    };
    const Pane panes[] = {
        {form->FraSplit,
         {form->txtSplit.Hwnd(), form->cmdBrowse.Hwnd(), form->txtSplitDest.Hwnd(),
          form->Text2.Hwnd(), form->cmdSplit.Hwnd()}},
        {form->FraJoin,
         {form->txtJoin.Hwnd(), form->cmdBrowseJoin.Hwnd(), form->txtJoinDest.Hwnd(),
          form->cmdJoin.Hwnd()}},
        {form->FraOptions,
         {form->chkDelSource.Hwnd(), form->chkDelSplit.Hwnd(), form->chkDelSourceConfirm.Hwnd(),
          form->chkDelSplitConfirm.Hwnd(), form->SavePrefs.Hwnd()}}};
    for (std::size_t p = 0; p < std::size(panes); ++p) {
        const Pane& pane = panes[p];
        if (p > 0)
            ASSERT_TRUE(FocusAfter({VK_CONTROL, VK_TAB}, pane.order[0])) << p;
        else
            ASSERT_TRUE(FocusAfter({VK_TAB}, pane.order[0]));
        EXPECT_TRUE(pane.pane.Visible()) << p;
        for (std::size_t i = 1; i <= pane.order.size(); ++i)
            ASSERT_TRUE(FocusAfter({VK_TAB}, pane.order[i % pane.order.size()])) << p << i;
        ASSERT_TRUE(FocusAfter({VK_SHIFT, VK_TAB}, pane.order.back())) << p;
    }
    // Round to the split pane, and back.
    ASSERT_TRUE(FocusAfter({VK_CONTROL, VK_TAB}, form->txtSplit.Hwnd()));
    ASSERT_TRUE(FocusAfter({VK_CONTROL, VK_SHIFT, VK_TAB}, form->chkDelSource.Hwnd()));
    EXPECT_TRUE(form->FraOptions.Visible());
}

TEST_F(Keyboard, EnterRunsThePanesActionAndSpaceClicksButtonsAndTicksBoxes) {
    const std::wstring source = Write(L"clip.avi", std::string(25, 'x'));
    form->txtSplit.SetText(source);
    ASSERT_TRUE(FocusAfter({VK_TAB}, form->txtSplit.Hwnd()));
    ASSERT_TRUE(FocusAfter({VK_TAB}, form->cmdBrowse.Hwnd()));
    ASSERT_TRUE(FocusAfter({VK_TAB}, form->txtSplitDest.Hwnd()));
    ASSERT_TRUE(FocusAfter({VK_TAB}, form->Text2.Hwnd()));
    // The size field's filter lets Enter through: it splits.
    PressKeys({'1'});
    PressKeys({'0'});
    PressKeys({VK_RETURN});
    ASSERT_TRUE(PumpUntil([&] { return !messages.calls.empty(); }, 10000));
    EXPECT_EQ(Said(), std::vector<std::wstring>{L"Successfully splitted!"});
    EXPECT_EQ(form->Text2.Text(), L"10");
    EXPECT_TRUE(Exists(source + L".002"));

    // Space on Browse opens its dialog, as a click does.
    ASSERT_TRUE(FocusAfter({VK_SHIFT, VK_TAB}, form->txtSplitDest.Hwnd()));
    ASSERT_TRUE(FocusAfter({VK_SHIFT, VK_TAB}, form->cmdBrowse.Hwnd()));
    PressKeys({VK_SPACE});
    ASSERT_TRUE(PumpUntil([&] { return dialog.calls.size() == 1; }, 10000));

    // Enter in the join pane's field joins (here: says what is missing).
    messages.calls.clear();
    ASSERT_TRUE(FocusAfter({VK_CONTROL, VK_TAB}, form->txtJoin.Hwnd()));
    PressKeys({VK_RETURN});
    ASSERT_TRUE(PumpUntil([&] { return !messages.calls.empty(); }, 10000));
    EXPECT_EQ(Said(), std::vector<std::wstring>{L"Please select .tpl file to join!"});

    // Space ticks the focused check box.
    ASSERT_TRUE(FocusAfter({VK_CONTROL, VK_TAB}, form->chkDelSource.Hwnd()));
    const std::int32_t before = form->chkDelSource.Value();
    PressKeys({VK_SPACE});
    ASSERT_TRUE(PumpUntil([&] { return form->chkDelSource.Value() != before; }, 10000));
}

TEST_F(Keyboard, TheWheelThatReachesTheWindowScrollsTheListUnderThePointer) {
    for (int i = 0; i < 40; ++i)
        form->ListView2.AddItem(L"row", 1);
    form->txtSplit.Focus();
    RECT list{}, field{};
    GetWindowRect(form->ListView2.Hwnd(), &list);
    GetWindowRect(form->txtSplit.Hwnd(), &field);
    const int top = form->ListView2.ContentTop();
    // As Windows before 10 sends it: to the focused field, which passes it to its parent.
    SendMessageW(form->txtSplit.Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA),
                 MAKELPARAM(field.left + 5, field.top + 5));
    EXPECT_EQ(form->ListView2.ContentTop(), top);
    SendMessageW(form->txtSplit.Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA),
                 MAKELPARAM(list.left + 50, list.top + 50));
    EXPECT_LT(form->ListView2.ContentTop(), top);
}

TEST_F(Keyboard, EscClosesTheAboutWindow) {
    ClickAt(form->about.Hwnd(), 13, 11);
    ASSERT_TRUE(form->aboutWindow.IsLoaded());
    SetForegroundWindow(form->aboutWindow.Hwnd());
    ASSERT_TRUE(
        PumpUntil([&] { return GetForegroundWindow() == form->aboutWindow.Hwnd(); }, 10000));
    PressKeys({VK_ESCAPE});
    ASSERT_TRUE(PumpUntil([&] { return !form->aboutWindow.IsLoaded(); }, 10000));
    EXPECT_TRUE(form->IsLoaded());
}

} // namespace

} // namespace zendra::test
