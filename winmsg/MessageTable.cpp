#include "MessageTable.h"

namespace zendra {

void MessageTable::Add(std::int32_t uMsg) {
    if (uMsg == kAllMessages) {
        count_ = kAllMessages;
        return;
    }
    for (std::int32_t i = 0; i < count_; ++i) {
        auto& slot = slots_[static_cast<std::size_t>(i)];
        if (slot == kAllMessages) {
            slot = uMsg;
            return;
        }
        if (slot == uMsg) return;
    }
    // From all-messages mode or an empty selection the list restarts at its first slot.
    const std::int32_t slot = count_ > 0 ? count_ + 1 : 1;
    slots_.resize(static_cast<std::size_t>(slot));
    slots_.back() = uMsg;
    count_ = slot;
}

void MessageTable::Remove(std::int32_t uMsg) noexcept {
    if (uMsg == kAllMessages) {
        count_ = 0;
        return;
    }
    for (std::int32_t i = 0; i < count_; ++i) {
        auto& slot = slots_[static_cast<std::size_t>(i)];
        if (slot == uMsg) {
            slot = kAllMessages;
            return;
        }
    }
}

} // namespace zendra
