// The split pane: its checks and messages, the browse rules, the size field, the split's listing
// and the deletion of the source.
#include "AppFixture.h"
#include "Language.h"

#include "BackgroundWork.h"
#include "TextRules.h"

#include <thread>

namespace zendra::test {

namespace {

using tk::MsgButtons;
using tk::MsgIcon;
using tk::MsgResult;

class SplitPane : public AppTest {
protected:
    struct Seen {
        bool answered = false; // the window answered another thread meanwhile
        HWND owner = nullptr;  // the progress window's, once it showed
    };
    // Runs `work` (a split or join in the window) with its worker held inside its tenth report;
    // meanwhile, on another thread, asks the window for an answer, moves the clock past the
    // progress window's delay and, once the window shows, runs `meanwhile`.
    Seen WhileHeld(const std::function<void()>& work,
                   const std::function<void(BackgroundWork&)>& meanwhile) {
        Seen seen;
        HeldWorker held(10);
        std::thread driver([&] {
            DWORD_PTR result = 0;
            BackgroundWork* running = nullptr;
            if (held.WaitHeld()) {
                seen.answered =
                    SendMessageTimeoutW(form->Hwnd(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
                ui.Run([&] {
                    clock.Advance(BackgroundWork::kShowAfterMs);
                    running = BackgroundWork::Running();
                    if (running != nullptr && running->WindowShown())
                        seen.owner = GetWindow(running->ProgressWindow().Hwnd(), GW_OWNER);
                });
            }
            if (seen.owner != nullptr) meanwhile(*running);
            held.Release();
        });
        work();
        driver.join();
        return seen;
    }
    OnWindowThread ui;

    // Chooses a file through the (faked) dialog and the Browse button.
    void Browse(const std::wstring& answer) {
        dialog.answers.push_back(answer);
        Press(form->cmdBrowse);
    }
    void Split(const std::wstring& file, const std::wstring& size) {
        form->txtSplit.SetText(file);
        form->Text2.SetText(size);
        Press(form->cmdSplit);
    }
};

TEST_F(SplitPane, EmptyFieldsGiveTheirMessagesInOrderAndNothingElse) {
    Start();
    Press(form->cmdSplit);
    form->txtSplit.SetText(folder + L"a.bin");
    Press(form->cmdSplit);
    ASSERT_EQ(Said(), (std::vector<std::wstring>{L"Please select a file to split!",
                                                 L"Please set size for single splitted file!"}));
    for (const auto& call : messages.calls) {
        EXPECT_EQ(call.buttons, MsgButtons::Ok);
        EXPECT_EQ(call.icon, MsgIcon::None);
        EXPECT_EQ(call.title, L"Zendra");
    }
    EXPECT_EQ(form->ListView2.RowCount(), 0);
}

TEST_F(SplitPane, BrowseLowerCasesFillsAnEmptyDestinationOnceAndFocusesTheSize) {
    Start();
    const std::wstring first = Write(L"first.bin", "12345");
    Write(L"second.bin", "12345");
    Browse(dir.wstring() + L"\\FIRST.BIN");
    ASSERT_EQ(dialog.calls.size(), 1u);
    EXPECT_EQ(dialog.calls[0].filter, L"*.*");
    EXPECT_EQ(dialog.calls[0].initDir, realFiles->ExecutableFolder());
    EXPECT_EQ(dialog.calls[0].fileName, L"");
    EXPECT_EQ(form->txtSplit.Text(), first);
    EXPECT_EQ(form->txtSplitDest.Text(), folder);
    EXPECT_EQ(GetFocus(), form->Text2.Hwnd());

    form->txtSplitDest.SetText(L"d:\\kept\\");
    Browse(folder + L"second.bin");
    EXPECT_EQ(form->txtSplit.Text(), folder + L"second.bin");
    EXPECT_EQ(form->txtSplitDest.Text(), L"d:\\kept\\");
}

TEST_F(SplitPane, CancellingTheDialogEmptiesTheFileField) {
    Start();
    form->txtSplit.SetText(Write(L"a.bin", "12345"));
    dialog.answers.push_back(std::nullopt);
    Press(form->cmdBrowse);
    EXPECT_EQ(form->txtSplit.Text(), L"");
    form->Text2.SetText(L"2");
    Press(form->cmdSplit);
    EXPECT_EQ(Said(), std::vector<std::wstring>{L"Please select a file to split!"});
}

TEST_F(SplitPane, SizeFieldTakesOnlyDigitsPointAndBackspace) {
    Start();
    Type(form->Text2, L"1a2-.5 x");
    EXPECT_EQ(form->Text2.Text(), L"12.5");
    Type(form->Text2, L"\b\b");
    EXPECT_EQ(form->Text2.Text(), L"12");
}

TEST_F(SplitPane, TypedOnePointFiveSplitsIntoTwoBytePieces) {
    Start();
    const std::wstring source = Write(L"five.bin", "ABCDE");
    Split(source, L"1.5");
    ASSERT_EQ(Said(), std::vector<std::wstring>{L"Successfully splitted!"});
    // A piece is its bytes between a 10-byte header and a 4-byte size.
    EXPECT_EQ(Read(source + L".000").substr(10, 2), "AB");
    EXPECT_EQ(Read(source + L".001").size(), 16u);
    EXPECT_EQ(Read(source + L".002").substr(10, 1), "E");
    EXPECT_FALSE(Exists(source + L".003"));
    EXPECT_TRUE(Exists(source + L".tpl"));
}

TEST_F(SplitPane, SizesThatAreNoWholePositiveNumberSplitNothing) {
    Start();
    const std::wstring source = Write(L"five.bin", "ABCDE");
    for (const wchar_t* size : {L".", L"1.2.3", L"0", L"0.5", L"2147483648", L"99999999999"}) {
        messages.calls.clear();
        Split(source, size);
        ASSERT_EQ(messages.calls.size(), 1u) << size;
        EXPECT_NE(messages.calls[0].text.find(L"whole number"), std::wstring::npos) << size;
        EXPECT_FALSE(Exists(source + L".000")) << size;
    }
}

TEST_F(SplitPane, ListsEveryFileWhoseNameHoldsTheSourcesNameThenReports) {
    Start();
    const std::wstring source = Write(L"clip.avi", std::string(25, 'x'));
    Write(L"myclip.avi", "1234");
    Write(L"other.txt", "1");
    form->txtSplitDest.SetText(L"");
    Split(source, L"10");
    ASSERT_EQ(Said(), std::vector<std::wstring>{L"Successfully splitted!"});
    EXPECT_EQ(form->txtSplitDest.Text(), folder);
    std::vector<std::wstring> rows = Rows();
    std::sort(rows.begin(), rows.end());
    // The name padded to 53 characters, then the size.
    const auto row = [](std::wstring name, std::uintmax_t size) {
        name.resize(53, L' ');
        return name + std::to_wstring(size);
    };
    const std::vector<std::wstring> expected{
        row(L"clip.avi", 25),
        row(L"clip.avi.000", 24),
        row(L"clip.avi.001", 24),
        row(L"clip.avi.002", 19),
        row(L"clip.avi.tpl", std::filesystem::file_size(source + L".tpl")),
        row(L"clip.avi.xxh128", std::filesystem::file_size(source + L".xxh128")),
        row(L"myclip.avi", 4)};
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(rows[0].size(), 55u);
    EXPECT_EQ(rows[0].substr(0, 8), L"clip.avi");
    EXPECT_EQ(rows[0].substr(8, 45), std::wstring(45, L' '));
    EXPECT_EQ(rows[0].substr(53), L"25");

    // A second listing is appended, nothing is cleared; the first split's third piece went with
    // the older split.
    Split(source, L"20");
    EXPECT_EQ(form->ListView2.RowCount(), 7 + 6);
    EXPECT_EQ(form->ListView2.HeaderText(), ListHeader());
}

TEST_F(SplitPane, LongNamesKeepTheirWholeSize) {
    Start();
    const std::wstring name(60, L'n');
    const std::wstring source = Write(name, std::string(30, 'x'));
    Split(source, L"20");
    ASSERT_EQ(form->ListView2.RowCount(), 5);
    const std::vector<std::wstring> rows = Rows();
    for (const auto& row : rows) EXPECT_EQ(row.substr(0, 60), name);
    EXPECT_NE(std::find(rows.begin(), rows.end(), name + L"30"), rows.end());
}

TEST_F(SplitPane, MoreRowsThanTheListShowsAreAllKept) {
    Start();
    const std::wstring source = Write(L"many.bin", std::string(300, 'm'));
    Split(source, L"1");
    EXPECT_EQ(Said(), std::vector<std::wstring>{L"Successfully splitted!"});
    EXPECT_EQ(form->ListView2.RowCount(), 303); // the source, 300 pieces, the index, the checksums
    EXPECT_TRUE(Exists(source + L".299"));
}

TEST_F(SplitPane, TooSmallFileShowsTheEnginesMessageAndListsNothing) {
    Start();
    const std::wstring source = Write(L"tiny.bin", "AB");
    SetOption(L"DelSource", L"1");
    SetOption(L"DelSourceConfirm", L"1");
    // In the user's interface language.
    for (const LANGID language : {LANG_ENGLISH, LANG_CHINESE}) {
        tk::OverrideInterfaceLanguage(language);
        messages.calls.clear();
        Split(source, L"5");
        EXPECT_EQ(Said()[0], language == LANG_CHINESE ? L"文件太小！" : L"File too small!");
    }
    tk::OverrideInterfaceLanguage(0);
    EXPECT_EQ(form->ListView2.RowCount(), 0);
    EXPECT_TRUE(Exists(source));
}

TEST_F(SplitPane, SourceIsDeletedOnlyWithBothOptionsOnAndYes) {
    Start();
    const std::wstring source = Write(L"src.bin", std::string(30, 'x'));
    struct Case {
        const wchar_t* del;
        const wchar_t* confirm;
        MsgResult answer;
        bool asked;
        bool deleted;
    };
    const Case cases[] = {{L"0", L"1", MsgResult::Yes, false, false},
                          {L"1", L"0", MsgResult::Yes, false, false},
                          {L"2", L"1", MsgResult::Yes, false, false},
                          {L"1", L"2", MsgResult::Yes, false, false},
                          {L"1", L"1", MsgResult::No, true, false},
                          {L"1", L"1", MsgResult::Yes, true, true}};
    for (const Case& c : cases) {
        SetOption(L"DelSource", c.del);
        SetOption(L"DelSourceConfirm", c.confirm);
        messages.calls.clear();
        messages.answers = {MsgResult::Ok, c.answer};
        Split(source, L"10");
        const bool asked = messages.calls.size() == 2;
        EXPECT_EQ(asked, c.asked) << c.del << c.confirm;
        if (asked) {
            EXPECT_EQ(messages.calls[1].text, L"Delete original file?");
            EXPECT_EQ(messages.calls[1].buttons, MsgButtons::YesNo);
            EXPECT_EQ(messages.calls[1].icon, MsgIcon::Question);
        }
        EXPECT_EQ(!Exists(source), c.deleted) << c.del << c.confirm;
    }
}

TEST_F(SplitPane, ASourceThatCannotBeDeletedIsReportedAndKept) {
    Start();
    const std::wstring source = Write(L"locked.bin", std::string(30, 'x'));
    SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_READONLY);
    SetOption(L"DelSource", L"1");
    SetOption(L"DelSourceConfirm", L"1");
    messages.answers = {MsgResult::Ok, MsgResult::Yes};
    Split(source, L"10");
    ASSERT_EQ(messages.calls.size(), 3u);
    EXPECT_NE(messages.calls[2].text.find(L"could not be deleted"), std::wstring::npos);
    EXPECT_TRUE(Exists(source));
    EXPECT_TRUE(Exists(source + L".000"));
    EXPECT_TRUE(form->IsLoaded());
}

TEST_F(SplitPane, ALongSplitShowsItsProgressTakesNoInputAndACancelledSplitOrJoinLeavesNoFiles) {
    Start();
    clock.Use();
    SetOption(L"DelSource", L"1");
    SetOption(L"DelSourceConfirm", L"1");
    const std::wstring source = Write(L"long.bin", std::string(300, 'x')); // 30 pieces
    const auto files = [&] { return std::distance(std::filesystem::directory_iterator(dir), {}); };
    const auto before = files();
    // A real click on the Join tab while the progress window shows: it must not reach the window.
    messages.answers = {MsgResult::Ok, MsgResult::No};
    const Seen whole =
        WhileHeld([&] { Split(source, L"10"); },
                  [&](BackgroundWork&) { ui.Run([&] { ClickAt(form->Join.Hwnd(), 13, 11); }); });
    EXPECT_TRUE(whole.answered);
    EXPECT_EQ(whole.owner, form->Hwnd());
    EXPECT_TRUE(form->FraSplit.Visible());
    EXPECT_EQ(Said(),
              (std::vector<std::wstring>{L"Successfully splitted!", L"Delete original file?"}));
    EXPECT_EQ(files(), before + 32); // the pieces, the index and the checksums

    // Closing the progress window cancels a join: the earlier output stays as it was, and nothing
    // else is left (no temporary file).
    SetOption(L"DelSplit", L"1");
    SetOption(L"DelSplitConfirm", L"1");
    std::filesystem::create_directory(dir / L"out");
    const std::wstring earlier = Write(L"out\\long.bin", "earlier output");
    messages.calls.clear();
    messages.answers = {MsgResult::Yes};
    form->SetFrame(L"JOIN");
    form->txtJoin.SetText(source + L".tpl");
    form->txtJoinDest.SetText(folder + L"out\\");
    const auto cancelled = [&](const std::function<void(BackgroundWork&)>& how) {
        return [&, how](BackgroundWork& work) {
            how(work);
            WaitUntil([&] { return work.CancelRequested(); });
        };
    };
    const auto close = [](BackgroundWork& work) {
        PostMessageW(work.ProgressWindow().Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    };
    EXPECT_NE(WhileHeld([&] { Press(form->cmdJoin); }, cancelled(close)).owner, nullptr);
    EXPECT_EQ(Said(),
              (std::vector<std::wstring>{folder + L"out\\long.bin already exists. Replace it?",
                                         L"The join was cancelled."}));
    EXPECT_EQ(Read(earlier), "earlier output");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / L"out"), {}), 1);
    form->SetFrame(L"SPLIT");
    std::vector<std::filesystem::path> written;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().filename().wstring().starts_with(L"long.bin.")) written.push_back(entry);
    for (const auto& path : written)
        std::filesystem::remove(path);

    // Esc in the progress window cancels: one plain message, no piece or index left.
    messages.calls.clear();
    const auto esc = [&](BackgroundWork& work) {
        ui.Run([&] {
            SetForegroundWindow(work.ProgressWindow().Hwnd());
            keybd_event(VK_ESCAPE, 0, 0, 0);
            keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
        });
    };
    EXPECT_NE(WhileHeld([&] { Split(source, L"10"); }, cancelled(esc)).owner, nullptr);
    EXPECT_EQ(Said(), std::vector<std::wstring>{L"The split was cancelled."});
    EXPECT_EQ(files(), before + 1); // the folder "out"
    EXPECT_TRUE(IsWindowEnabled(form->Hwnd()));

    // The session ends while a split runs: the split stops and removes what it wrote, the windows
    // go, and nothing more is said or asked (nobody is left to answer).
    messages.calls.clear();
    const auto end = [&](BackgroundWork&) { PostMessageW(form->Hwnd(), WM_ENDSESSION, TRUE, 0); };
    EXPECT_NE(WhileHeld([&] { Split(source, L"10"); }, cancelled(end)).owner, nullptr);
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_TRUE(messages.calls.empty());
    EXPECT_EQ(files(), before + 1);
}

// Real boxes, answered by a thread timer that notes each one's text, its owner and whether the
// main window was disabled under it; the question is answered No, any other box OK.
struct BoxWatch {
    HWND main = nullptr;
    std::vector<std::wstring> texts;
    std::vector<HWND> owners;
    bool mainEnabled = false;
};
BoxWatch* watch = nullptr;

BOOL CALLBACK AnswerBox(HWND window, LPARAM) {
    wchar_t kind[16] = {};
    GetClassNameW(window, kind, 16);
    if (std::wstring(kind) != L"#32770" || !IsWindowVisible(window)) return TRUE;
    wchar_t text[128] = {};
    GetDlgItemTextW(window, 0xFFFF, text, 128);
    if (!watch->texts.empty() && watch->texts.back() == text) return FALSE; // answered already
    watch->texts.push_back(text);
    watch->owners.push_back(GetWindow(window, GW_OWNER));
    watch->mainEnabled = watch->mainEnabled || IsWindowEnabled(watch->main);
    PostMessageW(window, WM_COMMAND, std::wstring(text).find(L'?') != std::wstring::npos ? IDNO : IDOK, 0);
    return FALSE;
}

void CALLBACK AnswerBoxes(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), AnswerBox, 0);
}

TEST_F(SplitPane, BoxesAreModalToTheWindowAndKeysTypedDuringTheSplitAnswerNone) {
    tk::BoxOwner owner;
    const auto boxes = tk::MakeWin32MessageBox(owner);
    AppServices real{*boxes, dialog, *realFiles, settings, typeLibrary, &owner};
    Form1 main(real);
    ASSERT_TRUE(main.Initialize());
    main.Show();
    const std::wstring source = Write(L"src.bin", std::string(30, 'x'));
    SetOption(L"DelSource", L"1");
    SetOption(L"DelSourceConfirm", L"1");
    main.txtSplit.SetText(source);
    main.Text2.SetText(L"10");
    main.aboutWindow.Show(); // another window is active when the boxes open
    Pump(30);
    BoxWatch seen;
    seen.main = main.Hwnd();
    watch = &seen;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, AnswerBoxes);
    // The click first (posted messages come before input), then two Enters typed while the split
    // runs: they would close "Successfully splitted!" and answer Yes to the question unseen.
    PostMessageW(main.cmdSplit.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    PostMessageW(main.cmdSplit.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
    for (int i = 0; i < 2; ++i) {
        keybd_event(VK_RETURN, 0, 0, 0);
        keybd_event(VK_RETURN, 0, KEYEVENTF_KEYUP, 0);
    }
    PumpUntil([&] { return seen.texts.size() >= 2; });
    KillTimer(nullptr, timer);
    watch = nullptr;
    EXPECT_EQ(seen.texts, (std::vector<std::wstring>{L"Successfully splitted!", L"Delete original file?"}));
    EXPECT_EQ(seen.owners, std::vector<HWND>(seen.texts.size(), main.Hwnd()));
    EXPECT_FALSE(seen.mainEnabled);
    EXPECT_TRUE(Exists(source));
    EXPECT_TRUE(IsWindowEnabled(main.Hwnd()));
    main.Unload();
}

TEST_F(SplitPane, YesDeletesTheFileThatWasSplitWhateverTheFieldHoldsByThen) {
    RetypingBox box;
    AppServices retyping{box, dialog, *realFiles, settings, typeLibrary};
    Form1 main(retyping);
    ASSERT_TRUE(main.Initialize());
    main.Show();
    const std::wstring source = Write(L"src.bin", std::string(30, 'x'));
    const std::wstring other = Write(L"never-split.bin", "keep me");
    SetOption(L"DelSource", L"1");
    SetOption(L"DelSourceConfirm", L"1");
    box.field = &main.txtSplit;
    box.retyped = other;
    box.answers = {MsgResult::Ok, MsgResult::Yes};
    main.txtSplit.SetText(source);
    main.Text2.SetText(L"10");
    Press(main.cmdSplit);
    ASSERT_EQ(box.calls.size(), 2u);
    EXPECT_FALSE(Exists(source));
    EXPECT_TRUE(Exists(other));
    main.Unload();
}

} // namespace

} // namespace zendra::test
