// The join pane: its check, the browse rules and listing, the join into a folder, failures, and
// the deletion of the split's files.
#include "AppFixture.h"

#include "BackgroundWork.h"
#include "ProgressText.h"
#include "TextRules.h"
#include "engine/Join.h"
#include "engine/Replace.h"
#include "engine/Split.h"
#include "kit/SelfJoinKit.h"
#include "recovery/Recovery.h"

#include <random>
#include <thread>

namespace zendra::test {

namespace {

using tk::MsgButtons;
using tk::MsgIcon;
using tk::MsgResult;

class JoinPane : public AppTest {
  protected:
    // Splits `name` (30 bytes) into pieces of 10 beside it, with or without the checksum file
    // NAME.xxh128; returns the index's path.
    std::wstring Prepared(const std::wstring& name = L"report.doc", bool checksums = false) {
        content = "0123456789abcdefghijKLMNOPQRST";
        source = Write(name, content);
        std::string message;
        SplitOptions options;
        options.WriteChecksums = checksums;
        EXPECT_TRUE(SplitToPieces(std::filesystem::path(source), 0, message, 10, {}, options));
        return source + L".tpl";
    }
    void Browse(const std::optional<std::wstring>& answer) {
        dialog.answers.push_back(answer);
        Press(form->cmdBrowseJoin);
    }
    void Join(const std::wstring& index, const std::wstring& output) {
        form->txtJoin.SetText(index);
        form->txtJoinDest.SetText(output);
        Press(form->cmdJoin);
    }
    // Beside the prepared split, what a split with recovery data and the kit writes (written here
    // for the files as they lie); then the source goes and a piece may be spoilt.
    enum class Spoil { None, Missing, Damaged, TwoMissing };
    void WithRecovery(Spoil spoil, int percent = 100) {
        Replacement extra(std::filesystem::path(source + L".par2"), {});
        const auto create = [&](const std::filesystem::path& final) { return extra.Create(final); };
        std::vector<RecoveryInput> inputs;
        for (const std::string file : {".000", ".001", ".002", ".tpl"})
            inputs.push_back({"report.doc" + file, std::filesystem::path(source) += file});
        WriteRecoveryFiles(std::filesystem::path(source), inputs, RecoveryOptions{percent}, create);
        std::string message;
        const std::string program = ReadSmallFile(
            realFiles->ExecutableFolder() + L"\\..\\..\\cli\\zendra-join.exe", "a program");
        ASSERT_TRUE(WriteSelfJoinKit(std::filesystem::path(source + L".tpl"),
                                     std::vector<std::uint8_t>(program.begin(), program.end()),
                                     create, message))
            << message;
        extra.Commit();
        std::filesystem::remove(source);
        if (spoil == Spoil::Missing || spoil == Spoil::TwoMissing)
            std::filesystem::remove(source + L".001");
        if (spoil == Spoil::TwoMissing) std::filesystem::remove(source + L".002");
        if (spoil == Spoil::Damaged)
            Write(L"report.doc.001", Read(source + L".001").replace(12, 1, "?"));
    }
    std::wstring Subfolder(const std::wstring& name) {
        std::filesystem::create_directories(folder + name);
        return folder + name;
    }

    std::string content;
    std::wstring source;
};

TEST_F(JoinPane, EmptyIndexFieldGivesItsMessage) {
    Start();
    Press(form->cmdJoin);
    ASSERT_EQ(Said(), std::vector<std::wstring>{L"Please select .tpl file to join!"});
    EXPECT_EQ(messages.calls[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(messages.calls[0].title, L"Zendra");
}

TEST_F(JoinPane, BrowseFillsTheFieldsAndListsTheSplitsFiles) {
    const std::wstring index = Prepared(L"report.doc", true);
    Start();
    Browse(Lower(index));
    ASSERT_EQ(dialog.calls.size(), 1u);
    EXPECT_EQ(dialog.calls[0].filter,
              L"File Index(*.tpl)|*.tpl|First part (*.000;*.001;*aa;*00)|*.000;*.001;*aa;*00|"
              L"All files (*.*)|*.*");
    EXPECT_EQ(dialog.calls[0].initDir, realFiles->ExecutableFolder());
    EXPECT_EQ(form->txtJoin.Text(), index);
    EXPECT_EQ(form->txtJoinDest.Text(), folder);
    EXPECT_EQ(form->ListView2.RowCount(), 6); // the source, three pieces, the index, the checksums
    EXPECT_TRUE(messages.calls.empty());

    // A cancel lists the earlier index again and changes neither field.
    form->txtJoinDest.SetText(L"e:\\out\\");
    Browse(std::nullopt);
    EXPECT_EQ(form->txtJoin.Text(), index);
    EXPECT_EQ(form->txtJoinDest.Text(), L"e:\\out\\");
    EXPECT_EQ(form->ListView2.RowCount(), 12);
}

TEST_F(JoinPane, CancelWithoutAnyIndexListsAndSaysNothing) {
    Start();
    Browse(std::nullopt);
    EXPECT_EQ(form->ListView2.RowCount(), 0);
    EXPECT_TRUE(messages.calls.empty());
    EXPECT_EQ(form->txtJoin.Text(), L"");
}

TEST_F(JoinPane, AListingThatCannotBeMadeIsReported) {
    const std::wstring index = Prepared();
    Start();
    Browse(index);
    std::filesystem::remove(index);
    Browse(std::nullopt);
    ASSERT_EQ(messages.calls.size(), 1u);
    EXPECT_NE(messages.calls[0].text.find(L"cannot be listed"), std::wstring::npos);
    EXPECT_EQ(form->ListView2.RowCount(), 5);
    EXPECT_TRUE(form->IsLoaded());
}

TEST_F(JoinPane, JoinsIntoTheIndexFolderByDefault) {
    const std::wstring index = Prepared();
    std::filesystem::rename(source, source + L".orig");
    Start();
    Join(index, L"");
    EXPECT_EQ(Said(), std::vector<std::wstring>{L"Successfully joined!"});
    EXPECT_EQ(form->txtJoinDest.Text(), folder);
    EXPECT_EQ(Read(source), content);
}

// Another tool's parts join as zendra-cli joins them; deleting the set takes the parts alone.
TEST_F(JoinPane, OtherToolsPartsJoinAsTheToolJoinsThem) {
    const std::wstring first = Write(L"data.tar.aa", "0123456789");
    Write(L"data.tar.ab", "abcdefghij");
    Write(L"data.tar.ac", "KLM");
    Write(L"data.tar.md5", "0123456789abcdef0123456789abcdef  other\n");
    Start();
    SetOption(L"DelSplit", L"1");
    SetOption(L"DelSplitConfirm", L"1");
    Join(first, folder);
    ASSERT_EQ(Said().size(), 1u);
    EXPECT_NE(Said()[0].find(L"data.tar.md5\" names neither"), std::wstring::npos) << Said()[0];
    std::filesystem::remove(folder + L"data.tar.md5");
    Write(L"data.tar.sha1", "0624b8ba97cac0b16ddd9ae0cc01743b809991ee  data.tar\n");
    messages.calls.clear();
    messages.answers = {MsgResult::Ok, MsgResult::Yes};
    Join(first, folder);
    EXPECT_EQ(messages.calls[0].text, L"Successfully joined!");
    EXPECT_EQ(Read(folder + L"data.tar"), "0123456789abcdefghijKLM");
    EXPECT_FALSE(Exists(first));
    EXPECT_FALSE(Exists(folder + L"data.tar.ac"));
    EXPECT_TRUE(Exists(folder + L"data.tar.sha1")) << "a check file is never deleted";
    // Without a check file, the tool's sentence on what could not be checked is the second line.
    const std::wstring unchecked = Write(L"b.aa", "12");
    Write(L"b.ab", "3");
    messages.calls.clear();
    messages.answers = {MsgResult::Ok, MsgResult::No};
    Join(unchecked, folder);
    EXPECT_EQ(messages.calls[0].text.rfind(L"Successfully joined!\nNo check file lies beside", 0),
              0u)
        << messages.calls[0].text;
}

TEST_F(JoinPane, AnExistingOutputIsReplacedOnlyAfterYesAskedBeforeAnythingIsWritten) {
    const std::wstring index = Prepared();
    Start();
    for (const MsgResult answer : {MsgResult::No, MsgResult::Yes}) {
        Write(L"report.doc", "the file that was there");
        messages.calls.clear();
        messages.answers = {answer};
        Join(index, folder);
        ASSERT_EQ(messages.calls.size(), answer == MsgResult::Yes ? 2u : 1u);
        EXPECT_EQ(messages.calls[0].text, source + L" already exists. Replace it?");
        EXPECT_EQ(messages.calls[0].buttons, MsgButtons::YesNo);
        EXPECT_EQ(messages.calls[0].focused, tk::MsgDefault::Second);
        EXPECT_EQ(Read(source), answer == MsgResult::Yes ? content : "the file that was there");
    }
}

// A file system whose every question fails as a lost network drive's would.
class FailingFiles : public tk::FakeFileSystem {
  public:
    bool FileExists(const std::wstring&) override { throw std::runtime_error("drive gone"); }
};

// The join itself is the engine's; what the window does around it (here the deletion of the set)
// fails through the window's file service.
TEST_F(JoinPane, AFailureInsideTheJoinIsShownNotSwallowed) {
    const std::wstring index = Prepared();
    FailingFiles files;
    files.exeBaseName = appName;
    Start(&files);
    SetOption(L"DelSplit", L"1");
    SetOption(L"DelSplitConfirm", L"1");
    messages.answers = {MsgResult::Yes, MsgResult::Ok, MsgResult::Yes}; // the source is there
    Join(index, folder);
    ASSERT_EQ(messages.calls.size(), 4u) << messages.calls.back().text;
    EXPECT_NE(messages.calls[3].text.find(L"drive gone"), std::wstring::npos);
    EXPECT_TRUE(IsWindowEnabled(form->Hwnd()));
    form->Unload(); // while its file system lives
    form.reset();
}

TEST_F(JoinPane, AFolderTypedWithoutItsSeparatorReceivesTheFile) {
    const std::wstring index = Prepared();
    const std::wstring out = Subfolder(L"out");
    Start();
    Join(index, out);
    EXPECT_EQ(Said(), std::vector<std::wstring>{L"Successfully joined!"});
    EXPECT_EQ(Read(out + L"\\report.doc"), content);
    EXPECT_FALSE(Exists(folder + L"outreport.doc"));
}

TEST_F(JoinPane, AFailedJoinShowsTheEnginesMessageAndOffersNoDeletion) {
    const std::wstring index = Prepared();
    std::filesystem::remove(source + L".001");
    SetOption(L"DelSplit", L"1");
    SetOption(L"DelSplitConfirm", L"1");
    const std::wstring out = Subfolder(L"out");
    Start();
    messages.answers = {MsgResult::Ok, MsgResult::Yes};
    Join(index, out + L"\\");
    ASSERT_EQ(messages.calls.size(), 1u);
    EXPECT_NE(messages.calls[0].text, L"Successfully joined!");
    EXPECT_NE(messages.calls[0].text.find(L"missing"), std::wstring::npos);
    EXPECT_FALSE(Exists(out + L"\\report.doc"));
    EXPECT_TRUE(Exists(index));
    EXPECT_TRUE(Exists(source + L".000"));
}

TEST_F(JoinPane, YesDeletesTheSplitThatWasJoinedWhateverTheFieldHoldsByThen) {
    const std::wstring index = Prepared();
    const std::wstring other = Prepared(L"other.doc");
    RetypingBox box;
    AppServices retyping{box, dialog, *realFiles, settings, typeLibrary};
    Form1 main(retyping);
    ASSERT_TRUE(main.Initialize());
    main.Show();
    SetOption(L"DelSplit", L"1");
    SetOption(L"DelSplitConfirm", L"1");
    box.field = &main.txtJoin;
    box.retyped = other;
    box.answers = {MsgResult::Ok, MsgResult::Yes};
    main.txtJoin.SetText(index);
    main.txtJoinDest.SetText(Subfolder(L"out") + L"\\");
    Press(main.cmdJoin);
    ASSERT_EQ(box.calls.size(), 2u);
    EXPECT_FALSE(Exists(index));
    EXPECT_TRUE(Exists(other));
    EXPECT_TRUE(Exists(other.substr(0, other.size() - 4) + L".000"));
    main.Unload();
}

TEST_F(JoinPane, AFolderThatCannotBeWrittenIsReportedNotJoined) {
    const std::wstring index = Prepared();
    Start();
    Join(index, folder + L"nowhere\\");
    ASSERT_EQ(messages.calls.size(), 1u);
    EXPECT_NE(messages.calls[0].text, L"Successfully joined!");
    EXPECT_FALSE(Exists(folder + L"nowhere"));
}

TEST_F(JoinPane, APieceThatCannotBeDeletedIsReportedAndTheJoinedFileStays) {
    const std::wstring index = Prepared();
    const std::wstring out = Subfolder(L"out");
    const std::wstring piece = source + L".001";
    SetFileAttributesW(piece.c_str(), FILE_ATTRIBUTE_READONLY);
    SetOption(L"DelSplit", L"1");
    SetOption(L"DelSplitConfirm", L"1");
    Start();
    messages.answers = {MsgResult::Ok, MsgResult::Yes};
    Join(index, out);
    ASSERT_EQ(messages.calls.size(), 3u);
    // The file named once, the system's reason as one sentence.
    const std::wstring said = messages.calls[2].text;
    EXPECT_TRUE(said.starts_with(L"The file \"" + piece + L"\" could not be deleted: ") &&
                said.find(piece) == said.rfind(piece) && said.find(L".:") == std::wstring::npos &&
                said.ends_with(L".") && !said.ends_with(L".."))
        << said;
    EXPECT_TRUE(Exists(piece));
    EXPECT_EQ(Read(out + L"\\report.doc"), content);
    EXPECT_TRUE(form->IsLoaded());
}

TEST_F(JoinPane, SplitFilesAreDeletedOnlyWithBothOptionsOnAndYes) {
    struct Case {
        const wchar_t* del;
        const wchar_t* confirm;
        MsgResult answer;
        bool asked;
        bool deleted;
    };
    const Case cases[] = {{L"1", L"0", MsgResult::Yes, false, false},
                          {L"0", L"1", MsgResult::Yes, false, false},
                          {L"2", L"1", MsgResult::Yes, false, false},
                          {L"1", L"1", MsgResult::No, true, false},
                          {L"1", L"1", MsgResult::Yes, true, true}};
    const std::wstring index = Prepared(L"report.doc", true);
    Write(L"myreport.doc", "keep");
    Start();
    for (const Case& c : cases) {
        SetOption(L"DelSplit", c.del);
        SetOption(L"DelSplitConfirm", c.confirm);
        messages.calls.clear();
        // The source is still there: its replacing is asked first.
        messages.answers = {MsgResult::Yes, MsgResult::Ok, c.answer};
        Join(index, folder);
        const bool asked = messages.calls.size() == 3;
        EXPECT_EQ(asked, c.asked) << c.del << c.confirm;
        if (asked) {
            EXPECT_EQ(messages.calls[2].text, L"Delete splitted files?");
            EXPECT_EQ(messages.calls[2].buttons, MsgButtons::YesNo);
            EXPECT_EQ(messages.calls[2].icon, MsgIcon::Question);
        }
        EXPECT_EQ(!Exists(index), c.deleted) << c.del << c.confirm;
        for (const wchar_t* piece : {L".000", L".001", L".002", L".xxh128"})
            EXPECT_EQ(!Exists(source + piece), c.deleted) << c.del << c.confirm;
    }
    // The joined file and every other file stay.
    EXPECT_EQ(Read(source), content);
    EXPECT_TRUE(Exists(folder + L"myreport.doc"));
}

// The whole set (recovery data and kit included) after a join that rebuilt a piece: all of it
// goes, the piece that is not there passed over.
TEST_F(JoinPane, DeletionRemovesTheWholeSetAfterAJoinThatRebuiltAPiece) {
    const std::wstring out = Subfolder(L"out");
    SetOption(L"DelSplit", L"1");
    SetOption(L"DelSplitConfirm", L"1");
    Start();
    const std::wstring index = Prepared(L"report.doc", true);
    WithRecovery(Spoil::Missing);
    messages.answers = {MsgResult::Ok, MsgResult::Yes};
    Join(index, out);
    EXPECT_EQ(Said(), (std::vector<std::wstring>{
                          L"Successfully joined!\n1 piece was rebuilt from the recovery data.",
                          L"Delete splitted files?"}));
    EXPECT_EQ(Read(out + L"\\report.doc"), content);
    for (const auto& left : std::filesystem::directory_iterator(dir))
        EXPECT_EQ(left.path().filename(), L"out");
}

// One total, the output's length, counted up once whatever passes the join takes: the copy alone,
// the recovery data's check then the copy (no checksum file), its check and rebuild then the copy
// (a piece missing or damaged).
TEST_F(JoinPane, TheJoinsProgressCountsEachByteOnceWhateverPassesItTakes) {
    for (const int change : {0, 1, 2, 3}) {
        const std::wstring index = Prepared(L"report.doc", change != 1);
        WithRecovery(change == 2 ? Spoil::Missing : change == 3 ? Spoil::Damaged : Spoil::None);
        std::uint64_t last = 0;
        std::string message;
        EXPECT_TRUE(JoinPieces(std::filesystem::path(index), std::filesystem::path(folder), message,
                               [&](std::uint64_t done, std::uint64_t total) {
                                   EXPECT_EQ(total, content.size()) << change;
                                   EXPECT_GE(done, last) << change;
                                   last = done;
                                   return true;
                               }))
            << message;
        EXPECT_EQ(last, content.size()) << change;
    }
}

// A received set checked from the window without joining it: the engine's verdict in a box, the
// piece list left as it was; a piece the recovery data rebuilds is offered its rebuild (No by
// default, and No writes nothing), rebuilt in place on Yes, and the set is then intact.
TEST_F(JoinPane, CheckSaysTheVerdictAndRebuildsAMissingPieceInPlace) {
    const std::wstring index = Prepared(L"report.doc", true);
    const std::string piece = Read(source + L".001");
    WithRecovery(Spoil::Missing);
    Start();
    Browse(index);
    const std::vector<std::wstring> rows = Rows();
    const std::wstring verdict = L"1 piece is missing; the recovery data can rebuild it.\n\n"
                                 L"report.doc.001  (missing)\n\nRebuild 1 piece now?";
    Press(form->cmdCheck);
    ASSERT_EQ(Said(), std::vector<std::wstring>{verdict});
    EXPECT_EQ(messages.calls[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(messages.calls[0].focused, tk::MsgDefault::Second);
    EXPECT_FALSE(Exists(source + L".001"));

    messages.calls.clear();
    messages.answers = {MsgResult::Yes};
    Press(form->cmdCheck);
    EXPECT_EQ(Said(),
              (std::vector<std::wstring>{verdict, L"1 piece was rebuilt from the recovery data.\n"
                                                  L"All 3 pieces are intact and checked."}));
    EXPECT_EQ(Read(source + L".001"), piece);

    messages.calls.clear();
    Press(form->cmdCheck);
    EXPECT_EQ(Said(), std::vector<std::wstring>{L"All 3 pieces are intact and checked."});
    EXPECT_EQ(messages.calls[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(Rows(), rows);

    // A piece a killed run set aside (its journal beside it) is put back before the check.
    std::filesystem::rename(source + L".001", folder + L".zendra-00beef-1.old");
    Write(L".zendra-00beef.undo", "20:.zendra-00beef-1.old14:report.doc.0010:\n");
    messages.calls.clear();
    Press(form->cmdCheck);
    ASSERT_EQ(Said().size(), 1u);
    EXPECT_EQ(Said()[0].rfind(L"All 3 pieces are intact and checked.\nPut back 1 file", 0), 0u)
        << Said()[0];
    EXPECT_EQ(Read(source + L".001"), piece);
}

// A box that, asked whether to rebuild, holds the repair's worker at its first report and asks to
// close the window meanwhile (which cancels the work), then lets it go on.
class CancellingBox : public tk::FakeMessageBox {
  public:
    tk::MsgResult Show(const std::wstring& text, tk::MsgButtons buttons, tk::MsgIcon icon,
                       const std::wstring& title, tk::MsgDefault focused) override {
        if (buttons == tk::MsgButtons::YesNo) {
            held = std::make_unique<HeldWorker>(1);
            driver = std::thread([this] {
                if (!held->WaitHeld()) return;
                PostMessageW(window, WM_CLOSE, 0, 0);
                WaitUntil([] {
                    const BackgroundWork* work = BackgroundWork::Running();
                    return work != nullptr && work->CancelRequested();
                });
                held->Release();
            });
        }
        return FakeMessageBox::Show(text, buttons, icon, title, focused);
    }
    HWND window = nullptr;
    std::unique_ptr<HeldWorker> held;
    std::thread driver;
};

// Cancelled while it runs (as Esc or closing the window does), the repair changes nothing.
TEST_F(JoinPane, ACancelledRepairLeavesTheSetAsItWas) {
    const std::wstring index = Prepared(L"report.doc", true);
    WithRecovery(Spoil::Missing);
    std::vector<std::filesystem::path> before;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        before.push_back(entry.path());
    CancellingBox box;
    AppServices cancelling{box, dialog, *realFiles, settings, typeLibrary};
    Form1 main(cancelling);
    ASSERT_TRUE(main.Initialize());
    main.Show();
    box.window = main.Hwnd();
    box.answers = {MsgResult::Yes};
    main.txtJoin.SetText(index);
    Press(main.cmdCheck);
    box.driver.join();
    box.held.reset();
    ASSERT_EQ(box.calls.size(), 2u);
    EXPECT_EQ(box.calls[1].text, L"The repair was cancelled; nothing was changed.");
    std::vector<std::filesystem::path> after;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        after.push_back(entry.path());
    EXPECT_EQ(after, before);
    EXPECT_TRUE(main.IsLoaded());
    main.Unload();
}

// Too little recovery data: how much more is needed, and no rebuild offered; nothing written.
TEST_F(JoinPane, CheckSaysHowMuchMoreRecoveryDataIsNeededAndOffersNoRebuild) {
    const std::wstring index = Prepared(L"report.doc", true);
    WithRecovery(Spoil::TwoMissing, 10);
    Start();
    form->txtJoin.SetText(index);
    Press(form->cmdCheck);
    ASSERT_EQ(messages.calls.size(), 1u);
    const std::wstring said = messages.calls[0].text;
    EXPECT_EQ(said.rfind(L"2 pieces are missing; recovery data for 4 more pieces (about ", 0), 0u)
        << said;
    EXPECT_NE(said.find(L") is needed.\n\nreport.doc.001  (missing)\nreport.doc.002  (missing)"),
              std::wstring::npos)
        << said;
    EXPECT_EQ(messages.calls[0].buttons, MsgButtons::Ok);
    EXPECT_FALSE(Exists(source + L".001"));
}

// Other tools' parts: against their check file, or the box says there is none.
TEST_F(JoinPane, CheckTakesOtherToolsPartsAgainstTheirCheckFile) {
    const std::wstring first = Write(L"data.tar.aa", "0123456789");
    Write(L"data.tar.ab", "abcdefghij");
    Write(L"data.tar.ac", "KLM");
    Start();
    form->txtJoin.SetText(first);
    Press(form->cmdCheck);
    Write(L"data.tar.sha1", "0624b8ba97cac0b16ddd9ae0cc01743b809991ee  data.tar\n");
    Press(form->cmdCheck);
    Write(L"data.tar.ab", "abcdefghiJ");
    Press(form->cmdCheck);
    EXPECT_EQ(Said(),
              (std::vector<std::wstring>{
                  L"No check file lies beside the 3 parts (NAME.sha256, NAME.md5, NAME.sfv, "
                  L"\u2026): there is nothing to check them against.",
                  L"All 3 parts match \"data.tar.sha1\".",
                  L"The parts joined do not match \"data.tar.sha1\": is a part missing or "
                  L"damaged?"}));
}

// The progress of a join that rebuilds a missing piece, with a clock moving on 20 ms at each
// report (a report stands for a like amount of work): the count never stands still for more than
// a second, which the progress window shows as a speed falling and a time left growing. The
// rebuild's reports once all showed the count where the recovery data's check had left it.
TEST_F(JoinPane, WhileAPieceIsRebuiltTheCountGoesOnRising) {
    std::mt19937 random(5);
    content.resize(6 << 20);
    for (char& c : content)
        c = static_cast<char>(random());
    source = Write(L"report.doc", content);
    std::string message;
    SplitOptions options;
    options.WriteChecksums = true;
    ASSERT_TRUE(SplitToPieces(std::filesystem::path(source), 0, message, 2 << 20, {}, options));
    WithRecovery(Spoil::Missing);
    SpeedMeter meter;
    meter.Start(0, 0);
    std::uint32_t ms = 0, since = 0, longest = 0;
    std::uint64_t last = 0;
    double speed = 0, left = 0;
    ASSERT_TRUE(JoinPieces(std::filesystem::path(source + L".tpl"),
                           std::filesystem::path(Subfolder(L"out") + L"\\"), message,
                           [&](std::uint64_t done, std::uint64_t total) {
                               meter.Add(done, ms += 20);
                               if (done != last || done >= total) since = ms;
                               last = done;
                               const double now = meter.BytesPerSecond();
                               if (now == speed || now == 0) return true;
                               const double later = double(total - done) / now;
                               // Standing still shows as a falling speed and a growing time left.
                               if (since != ms) {
                                   EXPECT_LT(now, speed);
                                   EXPECT_GT(later, left);
                               }
                               longest = std::max(longest, ms - since);
                               speed = now;
                               left = later;
                               return true;
                           }))
        << message;
    EXPECT_LT(longest, 1000u);
}

TEST_F(JoinPane, DeletionRemovesThePiecesWhereTheJoinFoundThem) {
    // Pieces moved beside an index in another folder: the join finds them there.
    const std::wstring index = Prepared();
    const std::wstring moved = Subfolder(L"moved") + L"\\";
    for (const wchar_t* name :
         {L"report.doc.tpl", L"report.doc.000", L"report.doc.001", L"report.doc.002"})
        std::filesystem::rename(folder + name, moved + name);
    Write(L"report.doc.tpl", "an index of another split"); // nothing may touch this one
    std::filesystem::remove(source);
    const std::wstring out = Subfolder(L"out");
    SetOption(L"DelSplit", L"1");
    SetOption(L"DelSplitConfirm", L"1");
    Start();
    messages.answers = {MsgResult::Ok, MsgResult::Yes};
    Join(moved + L"report.doc.tpl", out);
    EXPECT_EQ(Read(out + L"\\report.doc"), content);
    EXPECT_TRUE(std::filesystem::is_empty(moved));
    EXPECT_EQ(Read(folder + L"report.doc.tpl"), "an index of another split");
}

} // namespace

} // namespace zendra::test
