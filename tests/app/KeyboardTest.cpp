// The main and About windows worked from the keyboard, through real key presses (the focus back
// on its control after real boxes too), and the wheel the window passes to the piece list under
// the pointer.
#include "AppFixture.h"

#include "engine/Split.h"

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
    // Presses the keys and waits until `done` holds.
    static bool After(std::initializer_list<WORD> keys, const std::function<bool()>& done) {
        PressKeys(keys);
        return PumpUntil(done, 10000);
    }
    static bool FocusAfter(std::initializer_list<WORD> keys, HWND window) {
        return After(keys, [window] { return GetFocus() == window; });
    }
    // The window again, with real boxes owned by it.
    void UseRealBoxes() {
        form->Unload();
        realServices = std::make_unique<AppServices>(
            AppServices{*realBoxes, dialog, *realFiles, settings, typeLibrary, &owner});
        form = std::make_unique<Form1>(*realServices);
        ASSERT_TRUE(form->Initialize());
        form->Show();
        SetForegroundWindow(form->Hwnd());
        ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == form->Hwnd(); }, 10000));
    }
    void TearDown() override {
        if (form && realServices) {
            form->Unload(); // while its boxes live
            form.reset();
        }
        AppTest::TearDown();
    }
    tk::BoxOwner owner;
    std::unique_ptr<tk::IMessageBox> realBoxes = tk::MakeWin32MessageBox(owner);
    std::unique_ptr<AppServices> realServices;
};

TEST_F(Keyboard, TabMovesThroughEachPaneInOrderAndCtrlTabSwitchesPanes) {
    const std::vector<HWND> panes[] = {
        {form->txtSplit.Hwnd(), form->cmdBrowse.Hwnd(), form->txtSplitDest.Hwnd(),
         form->Text2.Hwnd(), form->cmdSplit.Hwnd()},
        {form->txtJoin.Hwnd(), form->cmdBrowseJoin.Hwnd(), form->txtJoinDest.Hwnd(),
         form->cmdJoin.Hwnd(), form->cmdCheck.Hwnd()},
        {form->chkDelSource.Hwnd(), form->chkDelSplit.Hwnd(), form->chkDelSourceConfirm.Hwnd(),
         form->chkDelSplitConfirm.Hwnd(), form->chkRecovery.Hwnd(), form->SavePrefs.Hwnd()}};
    ASSERT_TRUE(FocusAfter({VK_TAB}, panes[0][0]));
    for (const auto& order : panes) {
        if (&order != &panes[0]) {
            ASSERT_TRUE(FocusAfter({VK_CONTROL, VK_TAB}, order[0]));
        }
        for (std::size_t i = 1; i <= order.size(); ++i)
            ASSERT_TRUE(FocusAfter({VK_TAB}, order[i % order.size()])) << i;
        ASSERT_TRUE(FocusAfter({VK_SHIFT, VK_TAB}, order.back()));
    }
    ASSERT_TRUE(FocusAfter({VK_CONTROL, VK_TAB}, form->txtSplit.Hwnd())); // round
    ASSERT_TRUE(FocusAfter({VK_CONTROL, VK_SHIFT, VK_TAB}, form->chkDelSource.Hwnd()));
    EXPECT_TRUE(form->FraOptions.Visible());
}

TEST_F(Keyboard, EnterRunsThePanesActionSpaceClicksAButtonTicksABoxAndEscClosesAbout) {
    const std::wstring source = Write(L"clip.avi", std::string(25, 'x'));
    form->txtSplit.SetText(source);
    form->Text2.Focus();
    // The size field's filter lets Enter through: it splits.
    PressKeys({'1'});
    ASSERT_TRUE(After({VK_RETURN}, [&] { return !messages.calls.empty(); }));
    EXPECT_EQ(Said(), std::vector<std::wstring>{L"Successfully splitted!"});
    EXPECT_TRUE(Exists(source + L".024"));
    // Space on Browse opens its dialog, as a click does.
    ASSERT_TRUE(FocusAfter({VK_SHIFT, VK_TAB}, form->txtSplitDest.Hwnd()));
    ASSERT_TRUE(FocusAfter({VK_SHIFT, VK_TAB}, form->cmdBrowse.Hwnd()));
    ASSERT_TRUE(After({VK_SPACE}, [&] { return dialog.calls.size() == 1; }));
    // Space ticks the focused check box.
    ASSERT_TRUE(FocusAfter({VK_CONTROL, VK_SHIFT, VK_TAB}, form->chkDelSource.Hwnd()));
    const std::int32_t before = form->chkDelSource.Value();
    ASSERT_TRUE(After({VK_SPACE}, [&] { return form->chkDelSource.Value() != before; }));
    // Esc closes the About window.
    ClickAt(form->about.Hwnd(), 13, 11);
    SetForegroundWindow(form->aboutWindow.Hwnd());
    ASSERT_TRUE(
        PumpUntil([&] { return GetForegroundWindow() == form->aboutWindow.Hwnd(); }, 10000));
    ASSERT_TRUE(After({VK_ESCAPE}, [&] { return !form->aboutWindow.IsLoaded(); }));
}

// Real boxes, each closed by a real Enter once it has the focus; their texts in order.
std::vector<std::wstring>* boxesSeen = nullptr;

void CALLBACK PressEnterInBox(HWND, UINT, UINT_PTR, DWORD) {
    const HWND box = GetForegroundWindow();
    wchar_t text[128] = {};
    if (!IsChild(box, GetFocus()) || GetDlgItemTextW(box, 0xFFFF, text, 128) == 0 ||
        (!boxesSeen->empty() && boxesSeen->back() == text))
        return;
    boxesSeen->push_back(text);
    PressKeys({VK_RETURN});
}

// Each new box, closed by a real Enter (its default button) once it has the focus; their texts in
// order.
std::vector<std::wstring>* newBoxesSeen = nullptr;
HWND lastBox = nullptr;

void CALLBACK PressEnterInEachBox(HWND, UINT, UINT_PTR, DWORD) {
    const HWND box = GetForegroundWindow();
    wchar_t text[512] = {};
    if (box == lastBox || !IsChild(box, GetFocus()) ||
        GetDlgItemTextW(box, 0xFFFF, text, 512) == 0)
        return;
    lastBox = box;
    newBoxesSeen->push_back(text);
    PressKeys({VK_RETURN});
}

TEST_F(Keyboard, TheFocusGoesBackToItsControlAfterEveryBox) {
    UseRealBoxes();
    const std::wstring source = Write(L"clip.avi", std::string(25, 'x'));
    std::string message;
    ASSERT_TRUE(SplitToPieces(std::filesystem::path(source), 0, message, 10));
    const std::wstring out = folder + L"out\\";
    std::filesystem::create_directories(out);
    SetOption(L"DelSplit", L"1");
    SetOption(L"DelSplitConfirm", L"1");
    // A join: its work, two boxes and the deleting between them.
    form->SetFrame(L"JOIN");
    form->txtJoin.SetText(source + L".tpl");
    form->txtJoinDest.SetText(out);
    SetFocus(form->txtJoinDest.Hwnd());
    std::vector<std::wstring> seen;
    boxesSeen = &seen;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, PressEnterInBox);
    PressKeys({VK_RETURN});
    EXPECT_TRUE(
        PumpUntil([&] { return seen.size() == 2 && GetFocus() == form->txtJoinDest.Hwnd(); }));
    KillTimer(nullptr, timer);
    EXPECT_EQ(seen,
              (std::vector<std::wstring>{L"Successfully joined!", L"Delete splitted files?"}));
    EXPECT_FALSE(Exists(source + L".tpl"));
    // The next key reaches the field (at its caret, where the program set the text).
    EXPECT_TRUE(After({'Q'}, [&] { return form->txtJoinDest.Text() == L"q" + out; }));
}

// A real click gives a push button the focus, as a system push button takes it: after a click on
// Join Files and No to its question, Space presses it again.
TEST_F(Keyboard, AClickGivesAButtonTheFocusSoThatSpacePressesItAgain) {
    UseRealBoxes();
    const std::wstring source = Write(L"clip.avi", std::string(25, 'x'));
    std::string message;
    ASSERT_TRUE(SplitToPieces(std::filesystem::path(source), 0, message, 10));
    form->SetFrame(L"JOIN");
    form->txtJoin.SetText(source + L".tpl");
    form->txtJoinDest.SetText(folder);
    SetFocus(form->txtJoinDest.Hwnd());
    std::vector<std::wstring> seen;
    newBoxesSeen = &seen;
    lastBox = nullptr;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, PressEnterInEachBox);
    RECT r{};
    GetClientRect(form->cmdJoin.Hwnd(), &r);
    ClickAt(form->cmdJoin.Hwnd(), r.right / 2, r.bottom / 2);
    EXPECT_TRUE(PumpUntil([&] { return seen.size() == 1 && GetFocus() == form->cmdJoin.Hwnd(); }));
    EXPECT_TRUE(After({VK_SPACE}, [&] { return seen.size() == 2; }));
    Pump(50);
    KillTimer(nullptr, timer);
    const std::wstring replace = source + L" already exists. Replace it?";
    EXPECT_EQ(seen, (std::vector<std::wstring>{replace, replace}));
    EXPECT_EQ(Read(source), std::string(25, 'x'));
}

TEST_F(Keyboard, TheWheelThatReachesTheWindowScrollsTheListUnderThePointer) {
    for (int i = 0; i < 40; ++i)
        form->ListView2.AddItem(L"row", 1);
    RECT list{}, field{};
    GetWindowRect(form->ListView2.Hwnd(), &list);
    GetWindowRect(form->txtSplit.Hwnd(), &field);
    const int top = form->ListView2.ContentTop();
    // As Windows before 10 sends it: to the focused field.
    for (const RECT& under : {field, list})
        SendMessageW(form->txtSplit.Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA),
                     MAKELPARAM(under.left + 5, under.top + 5));
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    EXPECT_EQ(form->ListView2.ContentTop(),
              top - (lines == WHEEL_PAGESCROLL ? 5 : static_cast<int>(lines)) * 250);
}

} // namespace

} // namespace zendra::test
