// The running system's answers to the drop shadow's questions.
#pragma once

#include "ShadowRules.h"

namespace zendra {

const ShadowSystem& RealShadowSystem() noexcept;

} // namespace zendra
