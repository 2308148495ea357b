#include "FakeServices.h"
#include "Language.h"
#include "Services.h"
#include "base/KernelHandle_win.h"

#include <windows.h>

#include <optional>

#include <gtest/gtest.h>

using namespace zendra::tk;
using zendra::Failure;
using zendra::FailureKind;

namespace {

// The kind of the Failure a step throws; what the step throws is never anything else.
template <typename Step> std::optional<FailureKind> KindOfFailure(Step&& step) {
    try {
        step();
    } catch (const Failure& failure) {
        return failure.Kind();
    }
    return std::nullopt;
}

} // namespace

TEST(MessageBoxes, ABoxWithoutATitleShowsTheProgramsTitle) {
    FakeMessageBox box;
    box.Show(L"Successfully splitted!");
    box.Show(L"Delete original file?", MsgButtons::YesNo, MsgIcon::Question, L"Own");
    EXPECT_EQ(box.calls[0].title, L"Zendra");
    EXPECT_EQ(box.calls[1].title, L"Own");
}

TEST(FileDialog, FiltersSplitIntoDescriptionAndPattern) {
    using Pairs = std::vector<std::pair<std::wstring, std::wstring>>;
    EXPECT_EQ(IFileDialog::ParseFilter(L"File Index(*.tpl)|*.tpl"),
              (Pairs{{L"File Index(*.tpl)", L"*.tpl"}}));
    EXPECT_EQ(IFileDialog::ParseFilter(L"*.*"), (Pairs{{L"*.*", L"*.*"}}));
    EXPECT_EQ(IFileDialog::ParseFilter(L"A|*.a|B|*.b"), (Pairs{{L"A", L"*.a"}, {L"B", L"*.b"}}));
}

TEST(FileDialog, CancelLeavesTheNameAndRaisesOnlyWithCancelError) {
    FakeFileDialog dialog;
    dialog.SetFileName(L"");
    dialog.answers = {std::nullopt, std::nullopt, L"C:\\a.txt"};
    dialog.ShowOpen();
    EXPECT_EQ(dialog.FileName(), L"");
    dialog.SetCancelError(true);
    EXPECT_EQ(KindOfFailure([&] { dialog.ShowOpen(); }), FailureKind::Cancelled);
    dialog.ShowOpen();
    EXPECT_EQ(dialog.FileName(), L"C:\\a.txt");
}

namespace {

struct TempFolder {
    TempFolder() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        path = std::wstring(base) + L"zendra-toolkit-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(path.c_str(), nullptr);
    }
    ~TempFolder() {
        for (const wchar_t* name : {L"Report.DOC", L"hidden.bin", L"locked.txt"}) {
            const std::wstring file = path + L"\\" + name;
            SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(file.c_str());
        }
        RemoveDirectoryW(path.c_str());
    }
    // Written through the "\\?\" form, which takes long paths too.
    void Write(const std::wstring& name, int bytes,
               DWORD attributes = FILE_ATTRIBUTE_NORMAL) const {
        const std::wstring file = L"\\\\?\\" + path + L"\\" + name;
        {
            const zendra::KernelHandle h(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr,
                                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                                     nullptr));
            std::string data(static_cast<std::size_t>(bytes), 'x');
            DWORD written = 0;
            WriteFile(h.Get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
        }
        SetFileAttributesW(file.c_str(), attributes);
    }
    std::wstring path;
};

} // namespace

TEST(Win32FileSystem, AnswersExistenceNamesSizesListingsAndDeletesWithoutForce) {
    TempFolder folder;
    folder.Write(L"Report.DOC", 1234);
    folder.Write(L"hidden.bin", 1, FILE_ATTRIBUTE_HIDDEN);
    folder.Write(L"locked.txt", 2, FILE_ATTRIBUTE_READONLY);
    auto fs = MakeWin32FileSystem();

    EXPECT_TRUE(fs->FileExists(folder.path + L"\\hidden.bin"));
    EXPECT_FALSE(fs->PlainFileExists(folder.path + L"\\hidden.bin"));
    EXPECT_TRUE(fs->PlainFileExists(folder.path + L"\\report.doc"));
    EXPECT_FALSE(fs->FileExists(folder.path)); // a folder is not a file

    const FileEntry entry = fs->GetFile(folder.path + L"\\report.doc");
    EXPECT_EQ(entry.name, L"Report.DOC"); // as stored on disk
    EXPECT_EQ(entry.size, 1234u);
    EXPECT_EQ(KindOfFailure([&] { fs->GetFile(folder.path + L"\\missing"); }), FailureKind::Io);
    EXPECT_EQ(fs->FilesOf(folder.path).size(), 3u);

    EXPECT_EQ(KindOfFailure([&] { fs->Delete(folder.path + L"\\locked.txt"); }), FailureKind::Io);
    EXPECT_TRUE(fs->FileExists(folder.path + L"\\locked.txt"));
    fs->Delete(folder.path + L"\\Report.DOC");
    EXPECT_FALSE(fs->FileExists(folder.path + L"\\Report.DOC"));
    EXPECT_FALSE(fs->ExecutableBaseName().empty());
}

// Paths the engine splits and joins: the window must list, drop and delete them too. Windows
// refuses them without the "\\?\" form (Wine takes them either way).
TEST(Win32FileSystem, ReachesFilesWhosePathsHaveThreeHundredCharacters) {
    TempFolder folder;
    const std::wstring deep = std::wstring(269 - folder.path.size(), L'd'); // its folder: 270
    const std::wstring name = deep + L"\\" + std::wstring(29, L'f');
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + folder.path + L"\\" + deep).c_str(), nullptr));
    folder.Write(name, 3);
    const std::wstring file = folder.path + L"\\" + name;
    ASSERT_EQ(file.size(), 300u);
    auto fs = MakeWin32FileSystem();

    EXPECT_TRUE(fs->PlainFileExists(file));
    EXPECT_EQ(fs->GetFile(file).size, 3u);
    EXPECT_EQ(fs->FilesOf(folder.path + L"\\" + deep).size(), 1u);
    fs->Delete(file);
    EXPECT_FALSE(fs->FileExists(file));
    DeleteFileW((L"\\\\?\\" + file).c_str());
    RemoveDirectoryW((L"\\\\?\\" + folder.path + L"\\" + deep).c_str());
}

TEST(Win32SettingsStore, ValuesRoundTripPerApplicationSectionAndKey) {
    auto store = MakeWin32SettingsStore();
    const std::wstring app = L"ZendraTest" + std::to_wstring(GetCurrentProcessId());
    EXPECT_FALSE(store->Read(app, L"Options", L"DelSource").has_value());
    store->Write(app, L"Options", L"DelSource", L"1");
    store->Write(app, L"Options", L"DelSplit", L"2");
    EXPECT_EQ(store->Read(app, L"Options", L"DelSource"), L"1");
    EXPECT_EQ(store->Read(app, L"Options", L"DelSplit"), L"2");
    EXPECT_FALSE(store->Read(app, L"Other", L"DelSource").has_value());
    RegDeleteKeyW(HKEY_CURRENT_USER,
                  (L"Software\\VB and VBA Program Settings\\" + app + L"\\Options").c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, (L"Software\\VB and VBA Program Settings\\" + app).c_str());
}

namespace zendra::tk {

TEST(Language, TextsFollowTheInterfaceLanguageAndSimSunGivesWayToTheMessageFont) {
    OverrideInterfaceLanguage(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    EXPECT_STREQ(Localized(L"关闭", L"Close"), L"Close");
    OverrideInterfaceLanguage(0);
    EXPECT_FALSE(FontInstalled(L"No Such Face Anywhere"));
    const FontDesc simsun{L"宋体", 9, FW_BOLD, false, false, false, ANSI_CHARSET};
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
    const bool hasSimSun = FontInstalled(L"SimSun") || FontInstalled(L"宋体");
    EXPECT_EQ(SimSunOrMessageFont(simsun).face,
              hasSimSun ? L"宋体" : metrics.lfMessageFont.lfFaceName);
    EXPECT_EQ(SimSunOrMessageFont(simsun).weight, FW_BOLD);
}

} // namespace zendra::tk
