#include "Module1.h"

#include "Form.h"

#include <windows.h>

namespace zendra {

namespace {

std::function<void()>& ProgramEnd() {
    static std::function<void()> end = [] { ExitProcess(1); };
    return end;
}

} // namespace

void UnloadAll(bool force) noexcept {
    // A copy: each unload removes its form from the list.
    const std::vector<tk::Form*> forms = tk::Form::LoadedForms();
    for (auto form = forms.rbegin(); form != forms.rend(); ++form) (*form)->Unload();
    if (!force) return;
    try {
        ProgramEnd()();
    } catch (...) {
        ExitProcess(1);
    }
}

void SetProgramEnd(std::function<void()> end) { ProgramEnd() = std::move(end); }

} // namespace zendra
