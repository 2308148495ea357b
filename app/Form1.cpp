#include "Form1.h"

#include "BackgroundWork.h"
#include "FormHelpers.h"
#include "Module1.h"
#include "TextRules.h"
#include "io/AnsiPath.h"
#include "mdlStartUp.h"

#include "Artwork.h"
#include "Language.h"

#include <algorithm>
#include <commctrl.h>
#include <initializer_list>
#include <shellapi.h>
#include <windowsx.h>

namespace zendra {

namespace {

constexpr int kWidth = 6660; // twips: 444 x 319 pixels
constexpr int kHeight = 4785;

tk::FontDesc OptionFont() {
    return tk::SimSunOrMessageFont(
        tk::FontDesc{L"宋体", 9, FW_NORMAL, false, false, false, GB2312_CHARSET});
}

tk::PropertyBag Button(const wchar_t* caption) {
    return {{"BackColor", std::int64_t{kWindowWhite}}, {"Caption", std::wstring(caption)}};
}

tk::PropertyBag CheckBox(const wchar_t* caption) {
    return {{"Caption", std::wstring(caption)},
            {"Font", OptionFont()},
            {"BackColor", std::int64_t{kWindowWhite}}};
}

// The stored design of the window's controls.
tk::FormDesign StoredDesign() {
    return {
        {L"Leopard1", {{"Caption", std::wstring(L"Zendra")}, {"ZoomEnabled", false}}},
        {L"ucShadow1", {}},
        {L"cmdBrowse", Button(L"Browse")},
        {L"cmdSplit", Button(L"Split")},
        {L"cmdBrowseJoin", Button(L"Browse")},
        {L"cmdJoin", Button(L"Join Files")},
        {L"cmdCheck", Button(L"Check")},
        {L"SavePrefs", Button(L"Save")},
        {L"chkDelSource", CheckBox(L"Delete original file after split completed.")},
        {L"chkDelSplit", CheckBox(L"Delete splitted files after join completed.")},
        {L"chkDelSourceConfirm", CheckBox(L"Confirm while deleting original file.")},
        {L"chkDelSplitConfirm", CheckBox(L"Confirm while deleting splitted files.")},
        {L"chkRecovery", CheckBox(L"Add recovery data (10 %, at least 1 piece)")},
    };
}

} // namespace

Form1::Form1(AppServices& services)
    : tk::Form(L"Zendra", kWidth, kHeight),
      Split(L"Split", IDB_TAB_SPLIT, IDB_TAB_SPLIT_DOWN),
      Join(L"Join", IDB_TAB_JOIN, IDB_TAB_JOIN_DOWN),
      Prefs(L"Prefs", IDB_TAB_PREFS, IDB_TAB_PREFS_DOWN),
      about(L"about", IDB_TAB_ABOUT, IDB_TAB_ABOUT_DOWN),
      services_(services) {
    SetBackColor(kWindowWhite);
    SetIcon(IDI_ZENDRA);
    SetDesign(StoredDesign());
}

Form1::~Form1() noexcept { aboutWindow.Unload(); }

bool Form1::Initialize() {
    std::wstring path;
    try {
        path = services_.files.ExecutableFolder() + L"\\WinSubHook.tlb";
        services_.typeLibrary.Register(path);
        InitCommonControls();
        return true;
    } catch (...) {
        // A library that is there but cannot be registered is no reason to stop.
        bool exists = false;
        try {
            exists = services_.files.FileExists(path);
        } catch (...) {
            tk::ReportCurrentException(L"looking for the type library");
        }
        if (exists) return true;
        services_.messages.Show(L"Can't find WinSubHook.tlb");
        UnloadAll(true);
        return false;
    }
}

void Form1::CreateControls() {
    CreateControl(Leopard1, 0, 0, 6615, 810);
    CreateControl(ucShadow1, 0, 0, 480, 480);
    CreateTabs();

    FraSplit.Move(0, 810, 6585, 2205);
    FraJoin.Move(24, 810, 6585, 2205);
    FraOptions.Move(60, 840, 6375, 3565);
    for (Pane* pane : {&FraSplit, &FraJoin, &FraOptions}) {
        pane->SetOpaque(true);
        pane->SetBackColor(kWindowWhite);
    }
    Elements().AddFront(FraSplit);
    Elements().AddFront(FraJoin);
    Elements().AddFront(FraOptions);
    CreateSplitPane();
    CreateJoinPane();
    CreateOptionsPane();

    CreateControl(ListView2, 0, 3030, 6655, 1755);
    // Only the shown pane's windows take the focus: the others are hidden.
    SetTabOrder({txtSplit.Hwnd(), cmdBrowse.Hwnd(), txtSplitDest.Hwnd(), Text2.Hwnd(),
                 cmdSplit.Hwnd(), txtJoin.Hwnd(), cmdBrowseJoin.Hwnd(), txtJoinDest.Hwnd(),
                 cmdJoin.Hwnd(), cmdCheck.Hwnd(), chkDelSource.Hwnd(), chkDelSplit.Hwnd(),
                 chkDelSourceConfirm.Hwnd(), chkDelSplitConfirm.Hwnd(), chkRecovery.Hwnd(),
                 SavePrefs.Hwnd()});

    // The border lies over the panes; the bar and the list cover it where they reach the edge.
    Shape1.SetBorderColor(kEdgeGrey);
    Elements().AddFront(Shape1);
}

void Form1::CreateTabs() {
    struct Place {
        PictureTab& tab;
        int left;
        const wchar_t* tip;
        void (Form1::*action)();
    };
    const Place places[] = {{Split, 210, L"Split Files", &Form1::ShowSplitPane},
                            {Join, 780, L"Join Files", &Form1::ShowJoinPane},
                            {Prefs, 5430, L"Settings", &Form1::ShowOptionsPane},
                            {about, 6000, L"About", &Form1::ShowAbout}};
    for (const Place& place : places) {
        CreateControl(place.tab, place.left, 390, 405, 330);
        // Above the title bar and its button group.
        SetWindowPos(place.tab.Hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        tips_.Add(place.tab.Hwnd(), place.tab.Picture(), place.tip);
        tips_.Add(place.tab.Hwnd(), place.tab.Pressed(), place.tip);
        HookTab(place.tab, place.action);
    }
}

void Form1::HookTab(PictureTab& tab, void (Form1::*action)()) {
    tab.MouseDown.Handle([this, &tab](const tk::MouseArgs&) {
        tab.ShowPressed(true);
        tips_.Refresh();
    });
    tab.MouseUp.Handle([this, &tab, action](const tk::MouseArgs&) {
        tab.ShowPressed(false);
        tips_.Refresh();
        (this->*action)();
    });
}

void Form1::OnLoad() {
    if (services_.boxOwner != nullptr) services_.boxOwner->Set(Hwnd());
    DragAcceptFiles(Hwnd(), TRUE);
    Leopard1.SetWidth(Width());
    ConfigureShadow(ucShadow1);
    Skipping([&] { Shape1.Move(0, 0, Width(), Height()); });
    Skipping([&] { SetFrame(L"SPLIT"); });
    Skipping([&] { GetRegistry(L"All"); });
    Skipping([&] { ListView2.AddItem(ListHeader()); });
    firstFrame_.Hold(Hwnd(), ucShadow1);
}

void Form1::OnUnload() { SaveRegistry(); }

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_QUERYENDSESSION:
        // The session may end without another word to the program: keep the options now.
        SaveRegistry();
        return TRUE;
    case WM_DROPFILES:
        Form_DropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_MOUSEWHEEL: {
        // Windows before 10 sends the wheel to the focused window (it reaches this one from a
        // field or button): the list under the pointer scrolls, as it would on later Windows.
        const POINT pointer{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        RECT list{};
        if (ListView2.Visible() && GetWindowRect(ListView2.Hwnd(), &list) &&
            PtInRect(&list, pointer))
            return SendMessageW(ListView2.Hwnd(), message, wParam, lParam);
        return Form::HandleMessage(message, wParam, lParam);
    }
    case kRevealMessage:
        firstFrame_.Reveal();
        return 0;
    case WM_ENDSESSION:
        // Unloaded as at a close; the process ends when this returns, so a split or join still
        // running must first stop and remove what it wrote.
        if (wParam) {
            if (BackgroundWork* work = BackgroundWork::Running()) work->Stop();
            UnloadAll(false);
        }
        return 0;
    default:
        return Form::HandleMessage(message, wParam, lParam);
    }
}

bool Form1::OnDialogKey(HWND from, WPARAM key) {
    if (key == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
        // The panes in the order of their tabs, round in either direction.
        const bool backwards = GetKeyState(VK_SHIFT) < 0;
        const wchar_t* const names[] = {L"SPLIT", L"JOIN", L"TOOLS"};
        const int shown = FraJoin.Visible() ? 1 : FraOptions.Visible() ? 2 : 0;
        SetFrame(names[(shown + (backwards ? 2 : 1)) % 3]);
        FocusNext(Hwnd(), false);
        return true;
    }
    if (key == VK_RETURN) {
        const auto in = [from](std::initializer_list<HWND> fields) {
            return std::find(fields.begin(), fields.end(), from) != fields.end();
        };
        if (in({txtSplit.Hwnd(), txtSplitDest.Hwnd(), Text2.Hwnd()}))
            cmdSplit.PerformClick();
        else if (in({txtJoin.Hwnd(), txtJoinDest.Hwnd()}))
            cmdJoin.PerformClick();
        else
            return false;
        return true;
    }
    return Form::OnDialogKey(from, key);
}

void Form1::SetFrame(const std::wstring& name) {
    FraSplit.Show(false);
    FraJoin.Show(false);
    FraOptions.Show(false);
    if (name == L"SPLIT") {
        FraSplit.Show(true);
        ListView2.SetVisible(true);
    } else if (name == L"JOIN") {
        FraJoin.Show(true);
        ListView2.SetVisible(true);
    } else if (name == L"TOOLS") {
        FraOptions.Show(true);
        ListView2.SetVisible(false);
    }
}

void Form1::ShowAbout() { aboutWindow.Show(); }

void Form1::Say(const std::wstring& text) {
    const FocusKeeper focus(Hwnd());
    services_.messages.Show(text);
    RepaintNow();
}

tk::MsgResult Form1::Ask(const std::wstring& question, tk::MsgDefault focused) {
    const FocusKeeper focus(Hwnd());
    const tk::MsgResult answer = services_.messages.Show(question, tk::MsgButtons::YesNo,
                                                         tk::MsgIcon::Question, {}, focused);
    RepaintNow();
    return answer;
}

void Form1::ShowingFailures(const std::function<void()>& handler) noexcept {
    std::wstring failure;
    try {
        handler();
        return;
    } catch (const std::exception& error) {
        failure = WideFromUtf8(error.what());
    } catch (...) {
        // Not one of ours or the library's: the user still hears that the work stopped.
        failure = L"An unknown error.";
    }
    try {
        if (IsLoaded()) Say(L"The work stopped: " + failure);
    } catch (...) {
        tk::ReportCurrentException(L"a failure could not be shown");
    }
}

Form1::WorkEnd Form1::RunWork(const std::wstring& caption,
                              const std::function<bool(const Progress&)>& step) {
    WorkEnd end = WorkEnd::Failed;
    {
        WaitCursor wait;
        BackgroundWork work(Hwnd(), caption);
        work.Run([&](const Progress& progress) {
            if (step(progress)) end = WorkEnd::Done;
        });
        if (end != WorkEnd::Done && work.CancelRequested()) end = WorkEnd::Cancelled;
    }
    DiscardQueuedInput();
    return end;
}

void Form1::RepaintNow() noexcept {
    if (Hwnd() != nullptr)
        RedrawWindow(Hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

std::wstring Form1::AppName() { return services_.files.ExecutableBaseName(); }

std::wstring Form1::Option(const std::wstring& key) {
    return ReadSetting(services_.settings, services_.messages, AppName(), L"Options", key);
}

} // namespace zendra
