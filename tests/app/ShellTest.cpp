// The main window's start-up, layout, pane switch and tabs, the About window, and the end of the
// program when its last window goes.
#include "AppFixture.h"

#include "BackgroundWork.h"
#include "TextRules.h"
#include "engine/Split.h"
#include "frmProgress.h"

#include <shlobj.h>

namespace zendra::test {

namespace {

using Shell = AppTest;

TEST_F(Shell, RegistersTheTypeLibraryBesideTheExecutable) {
    Start();
    ASSERT_EQ(typeLibrary.calls.size(), 1u);
    EXPECT_EQ(typeLibrary.calls[0], realFiles->ExecutableFolder() + L"\\WinSubHook.tlb");
    EXPECT_TRUE(messages.calls.empty());
    EXPECT_EQ(programEnds, 0);
}

TEST_F(Shell, AMissingTypeLibraryIsNamedAndEndsTheProgramBeforeAnyWindow) {
    tk::FakeFileSystem files;
    files.exeFolder = L"C:\\Nowhere";
    typeLibrary.fail = true;
    AppServices fake{messages, dialog, files, settings, typeLibrary};
    Form1 main(fake);
    EXPECT_FALSE(main.Initialize());
    ASSERT_EQ(Said(), std::vector<std::wstring>{L"Can't find WinSubHook.tlb"});
    EXPECT_EQ(messages.calls[0].buttons, tk::MsgButtons::Ok);
    EXPECT_EQ(messages.calls[0].title, L"Zendra");
    EXPECT_EQ(programEnds, 1);
    EXPECT_FALSE(main.IsLoaded());
    EXPECT_TRUE(settings.writes.empty());
}

TEST_F(Shell, ATypeLibraryThatIsThereButCannotBeRegisteredIsIgnored) {
    fakeFiles.Add(L"C:\\Program\\WinSubHook.tlb", 10);
    typeLibrary.fail = true;
    Start(&fakeFiles);
    EXPECT_TRUE(messages.calls.empty());
    EXPECT_EQ(programEnds, 0);
    EXPECT_TRUE(IsWindowVisible(form->Hwnd()));
}

TEST_F(Shell, StartsOnTheSplitPaneWithOnlyTheHeaderRow) {
    Start();
    RECT r{};
    GetClientRect(form->Hwnd(), &r);
    EXPECT_EQ(r.right, 444);
    EXPECT_EQ(r.bottom, 319);
    EXPECT_TRUE(form->FraSplit.Visible());
    EXPECT_FALSE(form->FraJoin.Visible());
    EXPECT_FALSE(form->FraOptions.Visible());
    EXPECT_TRUE(IsWindowVisible(form->ListView2.Hwnd()));
    EXPECT_TRUE(IsWindowVisible(form->txtSplit.Hwnd()));
    EXPECT_FALSE(IsWindowVisible(form->txtJoin.Hwnd()));
    EXPECT_EQ(form->ListView2.RowCount(), 0);
    const std::wstring header = form->ListView2.HeaderText();
    EXPECT_EQ(header.size(), 59u);
    EXPECT_EQ(header.find(L"Size"), 55u);
    EXPECT_EQ(form->Leopard1.Width(), form->Width());
    EXPECT_EQ(form->Leopard1.Caption(), L"Zendra");
    EXPECT_FALSE(form->Leopard1.ZoomEnabled());
    EXPECT_EQ(form->cmdJoin.Caption(), L"Join Files");
    // Check, an addition, right of Join Files: no documented control moved or covered.
    EXPECT_EQ(form->cmdCheck.Caption(), L"Check");
    EXPECT_EQ(form->cmdJoin.Width(), 2535);
    EXPECT_GT(form->cmdCheck.Left(), form->cmdJoin.Left() + form->cmdJoin.Width());
    EXPECT_EQ(form->cmdCheck.Left(), form->cmdBrowseJoin.Left());
    EXPECT_EQ(form->cmdCheck.Width(), form->cmdBrowseJoin.Width());
    EXPECT_EQ(form->cmdCheck.Top(), form->cmdJoin.Top());
    EXPECT_EQ(form->chkDelSplit.Caption(), L"Delete splitted files after join completed.");
}

TEST_F(Shell, SetFrameShowsOnePaneAndKeepsTheRows) {
    Start();
    form->ListView2.AddItem(L"row");
    form->SetFrame(L"TOOLS");
    EXPECT_TRUE(form->FraOptions.Visible());
    EXPECT_FALSE(form->FraSplit.Visible());
    EXPECT_FALSE(IsWindowVisible(form->ListView2.Hwnd()));
    EXPECT_TRUE(IsWindowVisible(form->SavePrefs.Hwnd()));
    form->SetFrame(L"JOIN");
    EXPECT_TRUE(form->FraJoin.Visible());
    EXPECT_TRUE(IsWindowVisible(form->ListView2.Hwnd()));
    EXPECT_FALSE(IsWindowVisible(form->SavePrefs.Hwnd()));
    EXPECT_EQ(form->ListView2.RowCount(), 1);
    form->SetFrame(L"join");
    EXPECT_FALSE(form->FraSplit.Visible());
    EXPECT_FALSE(form->FraJoin.Visible());
    EXPECT_FALSE(form->FraOptions.Visible());
    EXPECT_FALSE(IsWindowVisible(form->txtJoin.Hwnd()));
}

TEST_F(Shell, ATabShowsItsPressedPictureWhileHeldAndSwitchesOnReleaseAnywhere) {
    Start();
    MoveTo(form->Join.Hwnd(), 13, 11);
    LeftDown();
    EXPECT_TRUE(form->Join.PressedShown());
    EXPECT_TRUE(form->FraSplit.Visible());
    MoveTo(form->Hwnd(), 200, 150); // released far off the tab
    LeftUp();
    EXPECT_FALSE(form->Join.PressedShown());
    EXPECT_TRUE(form->FraJoin.Visible());

    MoveTo(form->Prefs.Hwnd(), 13, 11); // the gear's hollow centre takes the click too
    LeftDown();
    LeftUp();
    EXPECT_TRUE(form->FraOptions.Visible());
    EXPECT_FALSE(IsWindowVisible(form->ListView2.Hwnd()));
    ClickAt(form->Split.Hwnd(), 13, 11);
    EXPECT_TRUE(form->FraSplit.Visible());
    EXPECT_TRUE(IsWindowVisible(form->ListView2.Hwnd()));

    MoveTo(form->Join.Hwnd(), 13, 11); // any button counts
    RightDown();
    EXPECT_TRUE(form->Join.PressedShown());
    RightUp();
    EXPECT_TRUE(form->FraJoin.Visible());

    // A press that loses the mouse to another window shows the picture again and switches nothing.
    MoveTo(form->Split.Hwnd(), 13, 11);
    LeftDown();
    ReleaseCapture();
    EXPECT_FALSE(form->Split.PressedShown());
    LeftUp();
    EXPECT_TRUE(form->FraJoin.Visible());
}

TEST_F(Shell, TheAboutPictureOpensOneAboutWindow) {
    Start();
    ClickAt(form->about.Hwnd(), 13, 11);
    ASSERT_TRUE(form->aboutWindow.IsLoaded());
    ClickAt(form->about.Hwnd(), 13, 11);
    EXPECT_EQ(tk::Form::LoadedForms().size(), 2u);
    const Frmabout& about = form->aboutWindow;
    EXPECT_EQ(about.Tiger1.Caption(), L"About Zendra");
    EXPECT_FALSE(about.Tiger1.MinEnabled());
    EXPECT_FALSE(about.Tiger1.ZoomEnabled());
    EXPECT_TRUE(about.Tiger1.XEnabled());
    EXPECT_EQ(about.Label1.Caption(), L"Zendra");
    EXPECT_EQ(about.Label2.Caption(), L"1.0 (v22)");
    EXPECT_EQ(about.Label3.Caption(), L"A simple file splitter.");
    RECT r{};
    GetClientRect(about.Hwnd(), &r);
    EXPECT_EQ(r.right, 232);
    EXPECT_EQ(r.bottom, 193);
    // Closed and opened again.
    form->aboutWindow.Unload();
    ClickAt(form->about.Hwnd(), 13, 11);
    EXPECT_TRUE(form->aboutWindow.IsLoaded());
}

// Every background the windows give as white shows the window colour (white in every standard
// scheme), also where the caption-text colour is dark, as in Wine's stock scheme.
TEST_F(Shell, WhiteBackgroundsAreTheWindowColour) {
    Start();
    const COLORREF white = GetSysColor(COLOR_WINDOW);
    const tk::DibSection split = Snapshot(form->Hwnd());
    EXPECT_EQ(split.Color(441, 100), white) << "the window's right edge";
    EXPECT_EQ(split.Color(268, 132), white) << "the \"Bytes\" label";
    form->SetFrame(L"TOOLS");
    const tk::DibSection options = Snapshot(form->Hwnd());
    EXPECT_EQ(options.Color(20, 70), white) << "the options pane";
    EXPECT_EQ(options.Color(400, 280), white) << "the options pane";
    EXPECT_EQ(Snapshot(form->chkDelSource.Hwnd()).Color(1, 1), white) << "a check box";
    EXPECT_EQ(Snapshot(form->SavePrefs.Hwnd()).Color(0, 0), white) << "a button's corner";
    form->aboutWindow.Show();
    Pump(20);
    EXPECT_EQ(Snapshot(form->aboutWindow.Hwnd()).Color(5, 100), white) << "the About window";
    frmProgress progress(L"Splitting...");
    progress.Load();
    progress.Show();
    Pump(20);
    const tk::DibSection shown = Snapshot(progress.Hwnd());
    EXPECT_EQ(shown.Color(5, 50), white) << "the progress window";
    EXPECT_EQ(Snapshot(progress.cmdCancel.Hwnd()).Color(0, 0), white) << "a button's corner";
    progress.Unload();
}

// A drop as the shell posts it: a DROPFILES block with the paths, each ended by a null, and one
// more null; the window frees it.
void DropOn(HWND window, const std::vector<std::wstring>& paths) {
    std::wstring list;
    for (const std::wstring& path : paths) list += path + L'\0';
    list += L'\0';
    const SIZE_T bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->pt = {200, 150};
    header->fWide = TRUE;
    std::copy(list.begin(), list.end(), reinterpret_cast<wchar_t*>(header + 1));
    GlobalUnlock(memory);
    PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    Pump(30);
}

TEST_F(Shell, ADroppedFileIsTakenAsBrowseTakesItAndAnythingElseIsRefused) {
    const std::wstring file = Write(L"Report.DOC", std::string(30, 'x'));
    std::string message;
    ASSERT_TRUE(SplitToPieces(std::filesystem::path(file), 0, message, 10));
    Start();
    EXPECT_NE(GetWindowLongW(form->Hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
    // Refused, changing nothing: a folder, two files, a file to split while the split pane hides.
    const std::wstring index = dir.wstring() + L"\\Report.DOC.tpl";
    DropOn(form->Hwnd(), {dir.wstring()});
    DropOn(form->Hwnd(), {file, index});
    form->SetFrame(L"TOOLS");
    DropOn(form->Hwnd(), {file});
    EXPECT_EQ(messages.calls.size(), 3u);
    // The message names what the join pane takes, not only an index.
    EXPECT_EQ(messages.calls[0].text,
              L"Drop one file to split on the split pane, or one file of a set to join: its index "
              L"(.tpl), one of Zendra's pieces (NAME.000, \u2026) or a part another tool made "
              L"(NAME.001, NAMEaa, \u2026).");
    EXPECT_TRUE(form->FraOptions.Visible());
    EXPECT_EQ(form->txtSplit.Text(), L"");

    form->SetFrame(L"SPLIT");
    DropOn(form->Hwnd(), {file});
    EXPECT_EQ(form->txtSplit.Text(), folder + L"report.doc");
    EXPECT_EQ(form->txtSplitDest.Text(), folder);
    EXPECT_EQ(GetFocus(), form->Text2.Hwnd());
    // An index goes to the join pane, from any pane, and lists its split's files.
    DropOn(form->Hwnd(), {index});
    EXPECT_TRUE(form->FraJoin.Visible());
    EXPECT_EQ(form->txtJoin.Text(), folder + L"report.doc.tpl");
    EXPECT_EQ(form->txtJoinDest.Text(), folder);
    EXPECT_EQ(form->ListView2.RowCount(), 6); // the source, three pieces, the index, the checksums
    EXPECT_EQ(messages.calls.size(), 3u);

    // While a split or join runs the window takes no input: a drop then changes nothing and says
    // nothing (a box would enable the window again).
    form->SetFrame(L"SPLIT");
    BackgroundWork work(form->Hwnd(), L"Splitting...");
    work.Run([&](const Progress&) { DropOn(form->Hwnd(), {index}); });
    Pump(30);
    EXPECT_TRUE(form->FraSplit.Visible());
    EXPECT_EQ(messages.calls.size(), 3u);
    EXPECT_TRUE(IsWindowEnabled(form->Hwnd()));
}

TEST_F(Shell, TheCommandLineOpensAFileOnItsPaneAsBrowseWould) {
    const std::wstring file = Write(L"Clip.avi", std::string(30, 'x'));
    std::string message;
    ASSERT_TRUE(SplitToPieces(std::filesystem::path(file), 0, message, 10));
    for (const wchar_t* name : {L"other.001", L"xaa", L"x.002"})
        Write(name, "x");
    Start();
    wchar_t previous[MAX_PATH]{};
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(dir.c_str()); // relative names are taken from here
    // The arguments, and the field filled: the split pane's File, the join pane's (a .tpl or a
    // first part), or none (the drop's message).
    const std::pair<std::vector<std::wstring>, std::wstring> cases[] = {
        {{L"Clip.avi"}, folder + L"clip.avi"},
        {{file + L".tpl"}, folder + L"clip.avi.tpl"},
        {{L"Clip.avi.002"}, folder + L"clip.avi.tpl"},
        {{L"other.001"}, folder + L"other.001"},
        {{L"xaa"}, folder + L"xaa"},
        {{L"x.002"}, folder + L"x.002"},
        {{dir.wstring()}, L""},
        {{file, file + L".tpl"}, L""},
        {{L"missing.bin"}, L""}};
    for (const auto& [arguments, field] : cases) {
        form->SetFrame(L"TOOLS");
        form->txtSplit.SetText(L"");
        form->txtJoin.SetText(L"");
        messages.calls.clear();
        form->OpenArguments(arguments);
        const bool join =
            field.ends_with(L".tpl") || field.ends_with(L"1") || field.ends_with(L"aa");
        EXPECT_EQ(messages.calls.size(), field.empty() ? 1u : 0u) << arguments[0];
        EXPECT_TRUE(field.empty() ? form->FraOptions.Visible()
                                  : (join ? form->FraJoin : form->FraSplit).Visible())
            << arguments[0];
        EXPECT_EQ((join ? form->txtJoin : form->txtSplit).Text(), field) << arguments[0];
    }
    SetCurrentDirectoryW(previous);
}

struct ShadowSearch {
    HWND owner;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectShadowWindow(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<ShadowSearch*>(data);
    wchar_t name[64]{};
    GetClassNameW(window, name, 64);
    const std::wstring expected =
        L"ShadowCls" + std::to_wstring(reinterpret_cast<std::uintptr_t>(search.owner));
    if (name == expected && GetWindow(window, GW_OWNER) == search.owner && IsWindowVisible(window))
        search.found.push_back(window);
    return TRUE;
}

// The visible shadow windows of a window: top-level windows of its "ShadowCls" class that it owns.
std::vector<HWND> ShadowWindowsOf(HWND owner) {
    ShadowSearch search{owner, {}};
    EnumWindows(CollectShadowWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(Shell, BothWindowsCastTheirShadowWhereTheSystemDrawsOne) {
    Start();
    ClickAt(form->about.Hwnd(), 13, 11);
    ASSERT_TRUE(form->aboutWindow.IsLoaded());
    // Layered shadows belong to Windows XP (NT 5.x); elsewhere the windows go without.
    const bool xp = LOBYTE(LOWORD(GetVersion())) == 5;
    EXPECT_EQ(ShadowWindowsOf(form->Hwnd()).size(), xp ? 2u : 0u);
    EXPECT_EQ(ShadowWindowsOf(form->aboutWindow.Hwnd()).size(), xp ? 2u : 0u);
    EXPECT_EQ(form->ucShadow1.Depth(), 10);
    EXPECT_EQ(form->ucShadow1.Transparency(), 128);
    EXPECT_TRUE(form->ucShadow1.SoftShadow());
    EXPECT_EQ(form->aboutWindow.ucShadow2.Depth(), 10);
    // The About window closed and opened again casts its shadow again.
    form->aboutWindow.Unload();
    ClickAt(form->about.Hwnd(), 13, 11);
    EXPECT_EQ(ShadowWindowsOf(form->aboutWindow.Hwnd()).size(), xp ? 2u : 0u);
}

TEST_F(Shell, TheProgramEndsWhenBothWindowsAreClosedInEitherOrder) {
    Start();
    form->aboutWindow.Show();
    Pump(20);
    SendMessageW(form->Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_EQ(lastUnloads, 0);
    EXPECT_EQ(settings.writes.size(), 5u); // closing saved the options
    SendMessageW(form->aboutWindow.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(lastUnloads, 1);
}

TEST_F(Shell, UnloadAllUnloadsEveryWindow) {
    Start();
    form->aboutWindow.Show();
    Pump(20);
    UnloadAll(false);
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_FALSE(form->aboutWindow.IsLoaded());
    EXPECT_EQ(lastUnloads, 1);
    EXPECT_EQ(programEnds, 0);
}

} // namespace

} // namespace zendra::test
