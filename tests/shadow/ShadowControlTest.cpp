#include "LayeredPictures.h"
#include "RealShadowSystem.h"
#include "ShadowHost.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace zendra {
namespace {

using test::FakeSystem;
using test::RectOf;
using test::ShadowHost;

constexpr int kDepth = 10;

WNDPROC ProcedureOf(HWND window) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
}

bool Shown(HWND window) {
    return window && IsWindowVisible(window);
}

// Any window of the control's own classes for this owner.
HWND OwnWindow(const wchar_t* prefix, HWND owner) {
    return FindWindowW(OwnClassName(prefix, owner).c_str(), nullptr);
}

void ExpectRect(HWND window, int left, int top, int width, int height) {
    const RECT rect = RectOf(window);
    EXPECT_EQ(rect.left, left);
    EXPECT_EQ(rect.top, top);
    EXPECT_EQ(rect.right - rect.left, width);
    EXPECT_EQ(rect.bottom - rect.top, height);
}

// The strips lie where the owner stands now.
void ExpectPlacedBeside(const ucShadow& shadow, HWND owner) {
    const RECT o = RectOf(owner);
    const int cx = o.right - o.left, cy = o.bottom - o.top, d = shadow.Depth();
    ExpectRect(shadow.RightWindow(), o.right, o.top + d, d, cy);
    ExpectRect(shadow.BottomWindow(), o.left + d, o.bottom, cx - d, d);
}

class ShadowControl : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        tk::Form::SetOnLastUnloaded([] {});
    }

    void Open(tk::PropertyBag bag = test::ProgramSettings()) {
        host = std::make_unique<ShadowHost>(system, std::move(bag));
        host->Load();
    }
    // Shown and painted, as a window is: its shadow follows its first paint.
    void Show() {
        ShowWindow(Owner(), SW_SHOWNOACTIVATE);
        UpdateWindow(Owner());
    }
    HWND Owner() const { return host->Hwnd(); }
    ucShadow& Shadow() { return host->shadow; }
    void MoveOwner(int x, int y) {
        SetWindowPos(Owner(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    void SizeOwner(int cx, int cy) {
        SetWindowPos(Owner(), nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    int Renders() { return Shadow().Renders(Strip::Right) + Shadow().Renders(Strip::Bottom); }

    FakeSystem system;
    std::unique_ptr<ShadowHost> host;
};

// Where the shadow shows at all -----------------------------------------------------------------

// The same program runs in a prefix that reports Windows XP and in the default one: the
// environment says which this run is.
TEST_F(ShadowControl, RunningSystemDecidesBetweenActiveAndInert) {
    const char* expected = std::getenv("ZENDRA_EXPECT_WINDOWS");
    ShadowHost real(RealShadowSystem());
    const WNDPROC before = [] {
        // The procedure a form has without the control.
        tk::Form plain(L"plain", 1500, 1500);
        plain.Load();
        return ProcedureOf(plain.Hwnd());
    }();
    real.Load();
    const SystemVersion version = RealShadowSystem().Version();
    if (expected && std::string(expected) == "xp") {
        ASSERT_EQ(version.major, 5u);
        ASSERT_EQ(version.minor, 1u);
    } else if (expected) {
        ASSERT_GE(version.major, 6u);
    }
    if (version.major == 5) {
        EXPECT_TRUE(real.shadow.IsLayered());
        EXPECT_TRUE(real.shadow.IsXP());
        EXPECT_TRUE(real.shadow.IsSubclassing());
        EXPECT_NE(ProcedureOf(real.Hwnd()), before);
        EXPECT_NE(OwnWindow(L"ShadowCls", real.Hwnd()), nullptr);
    } else {
        EXPECT_FALSE(real.shadow.IsLayered());
        EXPECT_FALSE(real.shadow.IsSubclassing());
        EXPECT_EQ(ProcedureOf(real.Hwnd()), before);
        EXPECT_EQ(OwnWindow(L"ShadowCls", real.Hwnd()), nullptr);
        EXPECT_TRUE(real.shadow.IsSysShadowEnabled()); // not XP: always true
        ShowWindow(real.Hwnd(), SW_SHOWNOACTIVATE);
        real.shadow.FadeOut(100, true);
        EXPECT_TRUE(IsWindowVisible(real.Hwnd()));
        EXPECT_EQ(OwnWindow(L"FadeCls", real.Hwnd()), nullptr);
    }
    // Wine has no Luna style, and the visual styles library answers without failing.
    EXPECT_FALSE(RealShadowSystem().DetectLuna());
}

TEST_F(ShadowControl, InertOnNt6OrBelowSixteenBitsAndTheWindowWorksUnchanged) {
    for (const auto& [version, bits] : {std::pair{SystemVersion{kNtPlatform, 6, 1}, 32},
                                        std::pair{SystemVersion{kNtPlatform, 5, 1}, 8}}) {
        system.version = version;
        system.bits = bits;
        tk::Form plain(L"plain", 1500, 1500);
        plain.Load();
        Open({{"FadeIn", true}});
        EXPECT_FALSE(Shadow().IsLayered());
        EXPECT_EQ(Shadow().Subclasser(), nullptr);
        EXPECT_EQ(ProcedureOf(Owner()), ProcedureOf(plain.Hwnd()));
        Show();
        MoveOwner(150, 150);
        Shadow().SetDepth(20);
        EXPECT_EQ(Shadow().RightWindow(), nullptr);
        EXPECT_EQ(OwnWindow(L"ShadowCls", Owner()), nullptr);
        EXPECT_EQ(OwnWindow(L"FadeCls", Owner()), nullptr); // no fade-in either
        Shadow().FadeOut(100, true);
        EXPECT_TRUE(IsWindowVisible(Owner()));
        EXPECT_EQ(Renders(), 0);
        host.reset();
    }
}

TEST_F(ShadowControl, ControlWithoutStoredDesignStaysInert) {
    host = std::make_unique<ShadowHost>(system);
    host->SetDesign({});
    host->Load();
    EXPECT_FALSE(Shadow().IsLayered());
    EXPECT_EQ(Shadow().Subclasser(), nullptr);
}

TEST_F(ShadowControl, StartWatchesTheOwnersMessagesInOrderAndTheThemeOnlyOnXp) {
    Open();
    const std::vector<std::int32_t> watched{WM_WINDOWPOSCHANGED, WM_SIZE,         WM_SIZING,
                                            WM_MOVING,           WM_EXITSIZEMOVE, WM_SHOWWINDOW,
                                            WM_DISPLAYCHANGE,    WM_THEMECHANGED};
    ASSERT_NE(Shadow().Subclasser(), nullptr);
    const auto xpSlots = Shadow().Subclasser()->Table(cSubclass::kBefore).Slots();
    EXPECT_EQ(std::vector<std::int32_t>(xpSlots.begin(), xpSlots.end()), watched);
    const auto after = Shadow().Subclasser()->Table(cSubclass::kAfter).Slots();
    EXPECT_EQ(std::vector<std::int32_t>(after.begin(), after.end()),
              std::vector<std::int32_t>{WM_PAINT});
    host.reset();

    system.version.minor = 0; // Windows 2000: no visual styles to watch
    Open();
    const auto slots = Shadow().Subclasser()->Table(cSubclass::kBefore).Slots();
    EXPECT_EQ(std::vector<std::int32_t>(slots.begin(), slots.end()),
              std::vector<std::int32_t>(watched.begin(), watched.end() - 1));
}

TEST_F(ShadowControl, ShadowWindowsAreLayeredOwnedMouseTransparentPopUpsOfTheOwnersClass) {
    Open();
    for (HWND window : {Shadow().RightWindow(), Shadow().BottomWindow()}) {
        ASSERT_NE(window, nullptr);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        EXPECT_EQ(std::wstring(name), OwnClassName(L"ShadowCls", Owner()));
        EXPECT_EQ(std::wstring(name),
                  L"ShadowCls" + std::to_wstring(reinterpret_cast<std::uintptr_t>(Owner())));
        EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & 0x00080024, 0x00080024);
        EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_POPUP);
        EXPECT_EQ(GetWindow(window, GW_OWNER), Owner());
        EXPECT_FALSE(IsWindowVisible(window)); // until the owner shows
    }
    // The control's own surface is only a design picture: hidden, 32 x 32 pixels.
    EXPECT_FALSE(IsWindowVisible(Shadow().Hwnd()));
    Shadow().Move(0, 0, 3000, 3000);
    EXPECT_EQ(Shadow().Width(), 480);
    EXPECT_EQ(Shadow().Height(), 480);
}

TEST_F(ShadowControl, EndingTheControlDestroysItsWindowsAndRestoresTheOwner) {
    tk::Form plain(L"plain", 1500, 1500);
    plain.Load();
    tk::Form owner(L"owner", 4500, 3000);
    owner.Load();
    auto shadow = std::make_unique<ucShadow>(L"ucShadow1", true, system);
    shadow->ReadProperties(test::ProgramSettings());
    shadow->Create(owner.Hwnd(), 0, 0, 480, 480);
    ShowWindow(owner.Hwnd(), SW_SHOWNOACTIVATE);
    UpdateWindow(owner.Hwnd());
    const HWND right = shadow->RightWindow();
    ASSERT_TRUE(Shown(right));
    const std::wstring cls = OwnClassName(L"ShadowCls", owner.Hwnd());
    shadow.reset();
    EXPECT_FALSE(IsWindow(right));
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), cls.c_str(), &info));
    EXPECT_EQ(ProcedureOf(owner.Hwnd()), ProcedureOf(plain.Hwnd()));
    SetWindowPos(owner.Hwnd(), nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(RectOf(owner.Hwnd()).left, 10); // the owner still works
}

TEST_F(ShadowControl, WindowLoadedAgainGetsItsShadowAgain) {
    Open();
    Show();
    const HWND firstOwner = Owner();
    host->Unload();
    EXPECT_FALSE(Shadow().IsSubclassing());
    EXPECT_EQ(Shadow().RightWindow(), nullptr);
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr),
                                 OwnClassName(L"ShadowCls", firstOwner).c_str(), &info));
    host->Load();
    Show();
    EXPECT_TRUE(Shadow().IsSubclassing());
    EXPECT_TRUE(Shown(Shadow().RightWindow()));
    ExpectPlacedBeside(Shadow(), Owner());
}

// Following the owner --------------------------------------------------------------------------

TEST_F(ShadowControl, ShownOwnerShowsItsShadowAlongTheRightAndBottomEdgesOnceItHasPainted) {
    Open();
    ShowWindow(Owner(), SW_SHOWNOACTIVATE);
    EXPECT_FALSE(Shown(Shadow().RightWindow())); // never before the window itself
    UpdateWindow(Owner());
    EXPECT_TRUE(Shown(Shadow().RightWindow()));
    EXPECT_TRUE(Shown(Shadow().BottomWindow()));
    ExpectRect(Shadow().RightWindow(), ShadowHost::kLeft + ShadowHost::kWidth,
               ShadowHost::kTop + kDepth, kDepth, ShadowHost::kHeight);
    ExpectRect(Shadow().BottomWindow(), ShadowHost::kLeft + kDepth,
               ShadowHost::kTop + ShadowHost::kHeight, ShadowHost::kWidth - kDepth, kDepth);
}

TEST_F(ShadowControl, MovesWithoutASizeChangeOnlyMoveTheWindows) {
    Open();
    Show();
    const int rendered = Renders();
    EXPECT_EQ(rendered, 2);
    for (int step = 1; step <= 30; ++step) {
        MoveOwner(ShadowHost::kLeft + 7 * step, ShadowHost::kTop + 3 * step);
        ExpectPlacedBeside(Shadow(), Owner());
    }
    EXPECT_EQ(Renders(), rendered);
}

TEST_F(ShadowControl, WidthChangeRendersOnlyTheBottomStripAndHeightOnlyTheRight) {
    Open();
    Show();
    const int right = Shadow().Renders(Strip::Right);
    const int bottom = Shadow().Renders(Strip::Bottom);
    SizeOwner(360, ShadowHost::kHeight);
    EXPECT_EQ(Shadow().Renders(Strip::Bottom), bottom + 1);
    EXPECT_EQ(Shadow().Renders(Strip::Right), right);
    ExpectPlacedBeside(Shadow(), Owner());
    SizeOwner(360, 250);
    EXPECT_EQ(Shadow().Renders(Strip::Bottom), bottom + 1);
    EXPECT_EQ(Shadow().Renders(Strip::Right), right + 1);
    ExpectPlacedBeside(Shadow(), Owner());
}

TEST_F(ShadowControl, HiddenOwnerHidesItsShadowAndShowsItAgain) {
    Open();
    Show();
    ShowWindow(Owner(), SW_HIDE);
    EXPECT_FALSE(Shown(Shadow().RightWindow()));
    EXPECT_FALSE(Shown(Shadow().BottomWindow()));
    MoveOwner(200, 150); // moved while hidden
    Show();
    EXPECT_TRUE(Shown(Shadow().RightWindow()));
    EXPECT_TRUE(Shown(Shadow().BottomWindow()));
    ExpectPlacedBeside(Shadow(), Owner());
}

TEST_F(ShadowControl, MinimisedAndRestoredOwnerGetsItsShadowBack) {
    Open();
    Show();
    ShowWindow(Owner(), SW_MINIMIZE);
    test::Pump(50);
    EXPECT_FALSE(Shown(Shadow().RightWindow()) &&
                 RectOf(Shadow().RightWindow()).left == ShadowHost::kLeft + ShadowHost::kWidth);
    ShowWindow(Owner(), SW_RESTORE);
    test::Pump(50);
    EXPECT_TRUE(Shown(Shadow().RightWindow()));
    EXPECT_TRUE(Shown(Shadow().BottomWindow()));
    ExpectPlacedBeside(Shadow(), Owner());
    EXPECT_EQ(RectOf(Owner()).left, ShadowHost::kLeft);
}

TEST_F(ShadowControl, InvisibleShadowStaysHiddenAndShowsAtOnceWhenMadeVisible) {
    Open();
    Show();
    Shadow().SetVisible(false);
    EXPECT_FALSE(Shown(Shadow().RightWindow()));
    ShowWindow(Owner(), SW_HIDE);
    Show();
    MoveOwner(140, 120);
    SendMessageW(Owner(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200));
    EXPECT_FALSE(Shown(Shadow().RightWindow()));
    EXPECT_FALSE(Shown(Shadow().BottomWindow()));
    Shadow().SetVisible(true);
    EXPECT_TRUE(Shown(Shadow().RightWindow()));
    EXPECT_TRUE(Shown(Shadow().BottomWindow()));
    ExpectPlacedBeside(Shadow(), Owner());
}

TEST_F(ShadowControl, HideMoveHidesOnTheFirstMoveStepAndPlacesOnceAtTheEnd) {
    Open();
    Show();
    Shadow().SetHideMove(true);
    const RECT start = RectOf(Shadow().RightWindow());
    RECT moving = RectOf(Owner());
    SendMessageW(Owner(), WM_MOVING, 0, reinterpret_cast<LPARAM>(&moving));
    EXPECT_FALSE(Shown(Shadow().RightWindow()));
    EXPECT_FALSE(Shown(Shadow().BottomWindow()));
    for (int step = 1; step <= 5; ++step) {
        SendMessageW(Owner(), WM_MOVING, 0, reinterpret_cast<LPARAM>(&moving));
        MoveOwner(ShadowHost::kLeft + 10 * step, ShadowHost::kTop);
    }
    EXPECT_EQ(RectOf(Shadow().RightWindow()).left, start.left); // not followed meanwhile
    EXPECT_FALSE(Shown(Shadow().RightWindow()));
    SendMessageW(Owner(), WM_EXITSIZEMOVE, 0, 0);
    EXPECT_TRUE(Shown(Shadow().RightWindow()));
    EXPECT_TRUE(Shown(Shadow().BottomWindow()));
    ExpectPlacedBeside(Shadow(), Owner());
}

TEST_F(ShadowControl, HideSizeHidesWhileSizingAndTheEndDrawsTheNewSize) {
    Open();
    Show();
    Shadow().SetHideSize(true);
    RECT sizing = RectOf(Owner());
    SendMessageW(Owner(), WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&sizing));
    EXPECT_FALSE(Shown(Shadow().BottomWindow()));
    SizeOwner(350, 260);
    EXPECT_FALSE(Shown(Shadow().BottomWindow()));
    SendMessageW(Owner(), WM_EXITSIZEMOVE, 0, 0);
    EXPECT_TRUE(Shown(Shadow().BottomWindow()));
    ExpectPlacedBeside(Shadow(), Owner());
    // Without HideSize (or HideMove) a sizing or moving step leaves the shadow as it is.
    Shadow().SetHideSize(false);
    SendMessageW(Owner(), WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&sizing));
    SendMessageW(Owner(), WM_MOVING, 0, reinterpret_cast<LPARAM>(&sizing));
    EXPECT_TRUE(Shown(Shadow().BottomWindow()));
}

TEST_F(ShadowControl, LookChangesRenderBothStripsOfAVisibleOwner) {
    Open();
    Show();
    int rendered = Renders();
    Shadow().SetDepth(150);
    EXPECT_EQ(Shadow().Depth(), 99);
    EXPECT_EQ(Renders(), rendered + 2);
    ExpectRect(Shadow().RightWindow(), ShadowHost::kLeft + ShadowHost::kWidth,
               ShadowHost::kTop + 99, 99, ShadowHost::kHeight);
    rendered = Renders();
    Shadow().SetDepth(99);
    Shadow().SetTransparency(128); // the value it has
    EXPECT_EQ(Renders(), rendered);
    Shadow().SetTransparency(-300);
    EXPECT_EQ(Shadow().Transparency(), -44);
    Shadow().SetColor(0x800000FFu);
    Shadow().SetSoftShadow(false);
    EXPECT_EQ(Renders(), rendered + 6);
}

TEST_F(ShadowControl, LookChangedWhileHiddenIsDrawnWhenTheOwnerShows) {
    Open();
    Show();
    ShowWindow(Owner(), SW_HIDE);
    const int rendered = Renders();
    Shadow().SetDepth(20);
    EXPECT_EQ(Renders(), rendered); // nothing to draw on
    Show();
    EXPECT_EQ(Renders(), rendered + 2);
    ExpectPlacedBeside(Shadow(), Owner());
}

TEST_F(ShadowControl, DisplayChangesEndAndRecreateTheShadowWindowsInTheLatestColour) {
    Open();
    Show();
    const HWND oldRight = Shadow().RightWindow();
    system.bits = 8;
    SendMessageW(Owner(), WM_DISPLAYCHANGE, 8, MAKELPARAM(1280, 1024));
    EXPECT_FALSE(Shadow().IsLayered());
    EXPECT_FALSE(IsWindow(oldRight));
    EXPECT_EQ(Shadow().RightWindow(), nullptr);
    MoveOwner(120, 90);            // still followed, with nothing to move
    Shadow().SetColor(0x8000000D); // the selection colour, set while there is no shadow
    system.bits = 32;
    const test::LayeredPictures seen;
    SendMessageW(Owner(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 1024));
    EXPECT_TRUE(Shadow().IsLayered());
    EXPECT_TRUE(Shown(Shadow().RightWindow()));
    EXPECT_TRUE(Shown(Shadow().BottomWindow()));
    ExpectPlacedBeside(Shadow(), Owner());
    // The returning shadow wears the new colour, at full strength next to the owner.
    const COLORREF selection = GetSysColor(COLOR_HIGHLIGHT);
    ASSERT_NE(selection, 0u);
    EXPECT_EQ(seen.LastFor(Shadow().RightWindow())->At(0, ShadowHost::kHeight / 2),
              0xFF000000u | GetRValue(selection) << 16 | GetGValue(selection) << 8 |
                  GetBValue(selection));
}

TEST_F(ShadowControl, ThemeChangeAsksForTheStyleAgainAndRedraws) {
    Open();
    Show();
    EXPECT_FALSE(Shadow().IsLuna());
    const int rendered = Renders();
    system.luna = true;
    SendMessageW(Owner(), WM_THEMECHANGED, 0, 0);
    EXPECT_TRUE(Shadow().IsLuna());
    EXPECT_EQ(Renders(), rendered + 2);
}

// Properties -----------------------------------------------------------------------------------

TEST_F(ShadowControl, DefaultsAreNotStoredAndEverySetValueIsUnderItsKey) {
    ucShadow designed(L"ucShadow1", false, system);
    tk::PropertyBag empty;
    designed.WriteProperties(empty);
    EXPECT_TRUE(empty.Keys().empty());
    EXPECT_TRUE(designed.FadeIn());
    EXPECT_EQ(designed.FadeTime(), 500);
    EXPECT_EQ(designed.Transparency(), 120);

    designed.SetColor(0x00112233);
    designed.SetDepth(-4);
    designed.SetFadeIn(false);
    designed.SetFadeTime(250);
    designed.SetHideMove(true);
    designed.SetHideSize(true);
    designed.SetSoftShadow(false);
    designed.SetTransparency(300);
    designed.SetVisible(false);
    tk::PropertyBag bag;
    designed.WriteProperties(bag);
    std::vector<std::string> keys;
    for (const auto& info : ucShadow::Properties())
        keys.push_back(info.key);
    EXPECT_EQ(bag.Keys(), keys);
    EXPECT_EQ(bag.ReadColor("Color", 0), 0x00112233u);
    EXPECT_EQ(bag.ReadInt("Depth", 10), 0);
    EXPECT_EQ(bag.ReadInt("Transparency", 120), 44);
    for (const auto& key : keys)
        EXPECT_TRUE(designed.Changes().IsChanged(key)) << key; // the designer saves them

    ucShadow read(L"ucShadow1", false, system);
    read.ReadProperties(bag);
    EXPECT_EQ(read.FadeTime(), 250);
    EXPECT_FALSE(read.Visible());
    EXPECT_TRUE(read.HideSize());
}

TEST_F(ShadowControl, EqualValuesAreIgnoredAndRunTimeSetsAreNotMarked) {
    ucShadow designed(L"ucShadow1", false, system);
    designed.SetFadeTime(500);
    designed.SetDepth(10);
    designed.SetTransparency(120 + 256);
    EXPECT_FALSE(designed.Changes().IsChanged("FadeTime"));
    EXPECT_FALSE(designed.Changes().IsChanged("Depth"));
    EXPECT_FALSE(designed.Changes().IsChanged("Transparency"));
    Open();
    Shadow().SetFadeTime(300);
    EXPECT_EQ(Shadow().FadeTime(), 300);
    EXPECT_FALSE(Shadow().Changes().IsChanged("FadeTime"));
}

TEST_F(ShadowControl, StoredValuesAreTakenAsTheyAre) {
    ucShadow read(L"ucShadow1", false, system);
    read.ReadProperties({{"Depth", std::int64_t{150}}, {"Transparency", std::int64_t{-300}}});
    EXPECT_EQ(read.Depth(), 150);
    EXPECT_EQ(read.Transparency(), -300);
}

} // namespace
} // namespace zendra
