// The options pane and the settings store: loading, the selectors, saving, failures, and a round
// trip through the real registry.
#include "AppFixture.h"

#include "mdlStartUp.h"

namespace zendra::test {

namespace {

class Options : public AppTest {
protected:
    std::wstring Stored(const std::wstring& key) { return settings.values[appName + L"\\Options\\" + key]; }
};

TEST_F(Options, AnEmptyStoreLeavesEveryBoxUnchecked) {
    Start();
    for (auto* box : {&form->chkDelSource, &form->chkDelSplit, &form->chkDelSourceConfirm,
                      &form->chkDelSplitConfirm, &form->chkRecovery})
        EXPECT_EQ(box->Value(), 0);
    EXPECT_TRUE(messages.calls.empty());
}

TEST_F(Options, StoredValuesLoadIncludingTheGreyState) {
    SetOption(L"DelSource", L"1");
    SetOption(L"DelSplit", L"2");
    SetOption(L"DelSplitConfirm", L"1");
    Start();
    EXPECT_EQ(form->chkDelSource.Value(), 1);
    EXPECT_EQ(form->chkDelSplit.Value(), 2);
    EXPECT_EQ(form->chkDelSplitConfirm.Value(), 1);
    EXPECT_EQ(form->chkDelSourceConfirm.Value(), 0);
}

TEST_F(Options, SelectorsAreExactAndDelSplitIsSpelledWithASmallD) {
    Start();
    SetOption(L"DelSource", L"1");
    SetOption(L"DelSplit", L"1");
    SetOption(L"DelSplitConfirm", L"1");
    SetOption(L"DelSourceConfirm", L"1");
    form->GetRegistry(L"DelSplit");
    form->GetRegistry(L"all");
    form->GetRegistry(L"delsource");
    EXPECT_EQ(form->chkDelSplit.Value(), 0);
    EXPECT_EQ(form->chkDelSource.Value(), 0);
    form->GetRegistry(L"delSplit");
    EXPECT_EQ(form->chkDelSplit.Value(), 1);
    EXPECT_EQ(form->chkDelSource.Value(), 0);
    form->GetRegistry(L"DelSourceConfirm");
    EXPECT_EQ(form->chkDelSourceConfirm.Value(), 1);
    form->GetRegistry(L"All");
    EXPECT_EQ(form->chkDelSource.Value(), 1);
    EXPECT_EQ(form->chkDelSplitConfirm.Value(), 1);
}

TEST_F(Options, AValueThatIsNoNumberStopsTheLoadingThere) {
    SetOption(L"DelSource", L"1");
    SetOption(L"DelSplit", L"yes");
    SetOption(L"DelSplitConfirm", L"1");
    Start();
    EXPECT_EQ(form->chkDelSource.Value(), 1);
    EXPECT_EQ(form->chkDelSplitConfirm.Value(), 0);
    EXPECT_TRUE(form->IsLoaded());
}

TEST_F(Options, SaveWritesTheFiveKeysInOrderAndReturnsToTheSplitPane) {
    Start();
    form->SetFrame(L"TOOLS");
    form->chkDelSource.SetValue(1);
    form->chkDelSplitConfirm.SetValue(2);
    Press(form->SavePrefs);
    EXPECT_EQ(settings.writes, (std::vector<std::wstring>{L"DelSource", L"DelSplit", L"DelSplitConfirm",
                                                           L"DelSourceConfirm", L"Recovery"}));
    EXPECT_EQ(Stored(L"DelSource"), L"1");
    EXPECT_EQ(Stored(L"DelSplit"), L"0");
    EXPECT_EQ(Stored(L"DelSplitConfirm"), L"2");
    EXPECT_TRUE(form->FraSplit.Visible());
}

TEST_F(Options, ClickingABoxAndClosingWithoutSaveStoresIt) {
    Start();
    form->SetFrame(L"TOOLS");
    Press(form->chkDelSplit);
    EXPECT_EQ(form->chkDelSplit.Value(), 1);
    form->Unload();
    EXPECT_EQ(Stored(L"DelSplit"), L"1");
}

TEST_F(Options, StoreFailuresAreShownOncePerKeyAndReadAsOff) {
    settings.failReads = true;
    Start();
    EXPECT_EQ(messages.calls.size(), 5u);
    EXPECT_EQ(messages.calls[0].text, L"Store unavailable");
    settings.failWrites = true;
    messages.calls.clear();
    form->SaveRegistry();
    EXPECT_EQ(messages.calls.size(), 5u);
    settings.failWrites = false;
    EXPECT_TRUE(WriteSetting(settings, messages, L"App", L"Options", L"DelSource", L"1"));
}

TEST_F(Options, RoundTripThroughTheRealRegistry) {
    const std::wstring app = L"ZendraTest" + std::to_wstring(GetCurrentProcessId());
    tk::FakeFileSystem files;
    files.exeBaseName = app;
    files.Add(L"C:\\Program\\WinSubHook.tlb", 10);
    auto registry = tk::MakeWin32SettingsStore();
    {
        AppServices real{messages, dialog, files, *registry, typeLibrary};
        Form1 first(real);
        ASSERT_TRUE(first.Initialize());
        first.Show();
        first.chkDelSource.SetValue(1);
        first.chkDelSplitConfirm.SetValue(2);
        first.Unload();
        Form1 second(real);
        ASSERT_TRUE(second.Initialize());
        second.Show();
        EXPECT_EQ(second.chkDelSource.Value(), 1);
        EXPECT_EQ(second.chkDelSplit.Value(), 0);
        EXPECT_EQ(second.chkDelSplitConfirm.Value(), 2);
        second.Unload();
    }
    const std::wstring appKey = L"Software\\VB and VBA Program Settings\\" + app;
    const std::wstring key = appKey + L"\\Options";
    HKEY options = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE, &options), ERROR_SUCCESS);
    wchar_t value[16] = {};
    DWORD type = 0, bytes = sizeof(value) - sizeof(wchar_t);
    EXPECT_EQ(RegQueryValueExW(options, L"DelSource", nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes),
              ERROR_SUCCESS);
    RegCloseKey(options);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(value, L"1");
    RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, appKey.c_str());
    EXPECT_TRUE(messages.calls.empty());
}

} // namespace

} // namespace zendra::test
