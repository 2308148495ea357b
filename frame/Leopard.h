// The tall title bar (54 pixels: a caption row above a toolbar-high band) of the main window.
#pragma once

#include "TitleBar.h"

namespace zendra {

class Leopard : public TitleBar {
public:
    explicit Leopard(std::wstring name = L"Leopard1") : TitleBar(std::move(name), LeopardStyle()) {}
};

} // namespace zendra
