// The options pane: the five check boxes and their values in the settings store.
#include "Form1.h"

#include "TextRules.h"
#include "mdlStartUp.h"

namespace zendra {

namespace {

// Each check box with its key, in the order the options are saved and loaded.
struct OptionBox {
    OSXcheckbox Form1::*box;
    const wchar_t* key;
};
constexpr OptionBox kOptions[] = {{&Form1::chkDelSource, L"DelSource"},
                                  {&Form1::chkDelSplit, L"DelSplit"},
                                  {&Form1::chkDelSplitConfirm, L"DelSplitConfirm"},
                                  {&Form1::chkDelSourceConfirm, L"DelSourceConfirm"},
                                  {&Form1::chkRecovery, L"Recovery"}};

} // namespace

void Form1::CreateOptionsPane() {
    FraOptions.Create(*this, chkDelSource, 900, 570, 4395, 285);
    FraOptions.Create(*this, chkDelSplit, 900, 1050, 4755, 345);
    FraOptions.Create(*this, chkDelSourceConfirm, 900, 1590, 3915, 375);
    FraOptions.Create(*this, chkDelSplitConfirm, 900, 2160, 4395, 315);
    FraOptions.Create(*this, chkRecovery, 900, 2610, 4395, 315);
    FraOptions.Create(*this, SavePrefs, 4140, 3000, 1665, 345);
    SavePrefs.Click.Handle([this] { SavePrefs_Click(); });
}

void Form1::SavePrefs_Click() {
    SaveRegistry();
    SetFrame(L"SPLIT");
}

void Form1::SaveRegistry() {
    const std::wstring app = AppName();
    for (const OptionBox& option : kOptions)
        WriteSetting(services_.settings, services_.messages, app, L"Options", option.key,
                     std::to_wstring((this->*option.box).Value()));
}

void Form1::GetRegistry(const std::wstring& Which) {
    if (Which == L"DelSource") LoadOption(chkDelSource, L"DelSource");
    // Spelt with a lower-case d, as callers have always asked for it; the stored key is "DelSplit".
    else if (Which == L"delSplit") LoadOption(chkDelSplit, L"DelSplit");
    else if (Which == L"DelSplitConfirm") LoadOption(chkDelSplitConfirm, L"DelSplitConfirm");
    else if (Which == L"DelSourceConfirm") LoadOption(chkDelSourceConfirm, L"DelSourceConfirm");
    else if (Which == L"Recovery") LoadOption(chkRecovery, L"Recovery");
    else if (Which == L"All")
        for (const OptionBox& option : kOptions)
            if (!LoadOption(this->*option.box, option.key)) break;
}

bool Form1::LoadOption(OSXcheckbox& box, const std::wstring& key) {
    // A value that is not a number stops the loading; the boxes after it stay as they are.
    const auto value = ToLong(Option(key));
    if (!value) return false;
    box.SetValue(*value);
    return true;
}

} // namespace zendra
