// The slim title bar (23 pixels) of the About window.
#pragma once

#include "TitleBar.h"

namespace zendra {

class Tiger : public TitleBar {
public:
    explicit Tiger(std::wstring name = L"Tiger1") : TitleBar(std::move(name), TigerStyle()) {}
};

} // namespace zendra
