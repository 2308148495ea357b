// The main window: the title bar, the picture tabs, the split, join and options panes, and the
// piece list below the split and join panes. It is the program's start-up object.
#pragma once

#include "AppServices.h"
#include "FirstFrame.h"
#include "Frmabout.h"
#include "Leopard.h"
#include "OSXcheckbox.h"
#include "Pane.h"
#include "PictureTab.h"
#include "aquaBtn.h"
#include "iList.h"
#include "io/Progress.h"
#include "ucShadow.h"

#include "Form.h"
#include "Label.h"
#include "Shape.h"
#include "TextBox.h"
#include "ToolTips.h"

#include <shellapi.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace zendra {

class Form1 : public tk::Form {
public:
    explicit Form1(AppServices& services);
    ~Form1() noexcept override;

    // The initialize step: registers the type library beside the executable. When the file is
    // missing it says so and ends the program (UnloadAll with force); returns whether start-up
    // goes on.
    bool Initialize();

    // Shows the named pane: "SPLIT", "JOIN" or "TOOLS"; any other name hides all three.
    void SetFrame(const std::wstring& name);

    // The split pane.
    std::wstring LocateFile();
    void DelSourceConfirm();
    // Appends the files of one split to the piece list: Mode "SPLIT" lists the split of the file
    // to split, "JOIN" that of the chosen index.
    void AddListViewItem(const std::wstring& Mode);

    // The join pane.
    std::wstring LocateSplittedFile();
    void DelSplittedConfirm();

    // The program's command-line arguments (Send To, Open with, a shortcut): one file fills the
    // split pane as Browse would; an index, or one of Zendra's pieces with its index beside it,
    // the join pane. Anything else (a folder, two files) gets the drop's message.
    void OpenArguments(const std::vector<std::wstring>& arguments);

    // The options pane and the settings store.
    void SaveRegistry();
    void GetRegistry(const std::wstring& Which);

    // The window's parts, for the program's own wiring and for tests.
    Leopard Leopard1{L"Leopard1"};
    ucShadow ucShadow1{L"ucShadow1"};
    PictureTab Split;
    PictureTab Join;
    PictureTab Prefs;
    PictureTab about;
    Pane FraSplit;
    Pane FraJoin;
    Pane FraOptions;
    tk::Label Label1, Label2, Label3, Label6;
    tk::TextBox txtSplit{L"txtSplit"};
    tk::TextBox txtSplitDest{L"txtSplitDest"};
    tk::TextBox Text2{L"Text2"};
    aquaBtn cmdBrowse{L"cmdBrowse"};
    aquaBtn cmdSplit{L"cmdSplit"};
    tk::Label Label4, Label5;
    tk::TextBox txtJoin{L"txtJoin"};
    tk::TextBox txtJoinDest{L"txtJoinDest"};
    aquaBtn cmdBrowseJoin{L"cmdBrowseJoin"};
    aquaBtn cmdJoin{L"cmdJoin"};
    aquaBtn cmdCheck{L"cmdCheck"}; // the set checked, and repaired, without joining it
    OSXcheckbox chkDelSource{L"chkDelSource"};
    OSXcheckbox chkDelSplit{L"chkDelSplit"};
    OSXcheckbox chkDelSourceConfirm{L"chkDelSourceConfirm"};
    OSXcheckbox chkDelSplitConfirm{L"chkDelSplitConfirm"};
    OSXcheckbox chkRecovery{L"chkRecovery"}; // recovery data with every split
    aquaBtn SavePrefs{L"SavePrefs"};
    iList ListView2{L"ListView2"};
    tk::Shape Shape1;
    Frmabout aboutWindow;

protected:
    void CreateControls() override;
    void OnLoad() override;
    void OnUnload() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Enter in a pane's field runs the pane's action; Ctrl+Tab and Ctrl+Shift+Tab switch panes.
    bool OnDialogKey(HWND from, WPARAM key) override;

  private:
    void CreateTabs();
    void CreateSplitPane();
    void CreateJoinPane();
    void CreateOptionsPane();
    void HookTab(PictureTab& tab, void (Form1::*action)());

    // Handlers.
    void cmdBrowse_MouseUp();
    void Text2_KeyPress(wchar_t& KeyAscii);
    void cmdSplit_Click();
    void cmdBrowseJoin_MouseUp();
    void cmdJoin_Click();
    void cmdCheck_Click();
    // Rebuilds what the set of `index` lost, where it lies, and says how the set is then.
    void RepairInPlace(const std::filesystem::path& index);
    void SavePrefs_Click();
    void Form_DropFiles(HDROP drop);
    void ShowSplitPane() { SetFrame(L"SPLIT"); }
    void ShowJoinPane() { SetFrame(L"JOIN"); }
    void ShowOptionsPane() { SetFrame(L"TOOLS"); }
    void ShowAbout();

    // What Browse does with the chosen file (lower-cased; "" after a cancel), on its pane.
    void UseFileToSplit(const std::wstring& chosen);
    void UseIndex(const std::wstring& chosen);
    // The index beside one of Zendra's pieces (NAME.000 gives NAME.tpl), or "".
    std::wstring IndexOfPiece(const std::wstring& path);

    // A box with the program's title and an OK button; the window is repainted once it closes.
    void Say(const std::wstring& text);
    tk::MsgResult Ask(const std::wstring& question, tk::MsgDefault focused = tk::MsgDefault::First);
    // Runs a handler; whatever it throws is shown in a box rather than lost.
    void ShowingFailures(const std::function<void()>& handler) noexcept;
    // Runs one step of a split or join in BackgroundWork with the hourglass: done when the step
    // returned true, else cancelled when the user asked to stop it. The queued input the disabled
    // window took meanwhile is dropped afterwards.
    enum class WorkEnd { Done, Failed, Cancelled };
    WorkEnd RunWork(const std::wstring& caption, const std::function<bool(const Progress&)>& step);
    // Runs one step of such work: true when it returned, false (its failure in `message`) when it
    // threw.
    static bool Failing(std::string& message, const std::function<void()>& step);
    // Draws whatever a closed box or dialog uncovered, before a long split or join starts.
    void RepaintNow() noexcept;
    // The settings' application name: the executable's base name.
    std::wstring AppName();
    // A stored option of the section "Options" ("0" when missing), read at the moment of use.
    std::wstring Option(const std::wstring& key);
    // The open-file dialog in the program's folder: the chosen existing file, lower-cased, or "".
    std::wstring LocateIn(const std::wstring& filter);
    // Loads one check box from the store; false when the stored value is not a number.
    bool LoadOption(OSXcheckbox& box, const std::wstring& key);
    // Deletes one file without force; false (after saying why) when it cannot.
    bool RemoveFile(const std::wstring& path);

    AppServices& services_;
    tk::ToolTips tips_;
    FirstFrame firstFrame_;
    // The source of the last split: what "Delete original file?" may remove, whatever the field
    // holds by then.
    std::wstring splitSource_;
    // The files of the set the last join read (SetFiles), and where it wrote its output: what
    // "Delete splitted files?" may remove, and what it must keep.
    std::vector<std::filesystem::path> joinedFiles_;
    std::filesystem::path joinedOutput_;
};

} // namespace zendra
