// The list of message numbers that a subclasser or an own-window class routes to its callback.
// Portable: the rules of the list are plain data handling, tested on every platform.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace zendra {

class MessageTable {
  public:
    // As an argument: every message. In a slot: a free slot, which matches no message.
    static constexpr std::int32_t kAllMessages = -1;

    // -1 selects every message; a number already listed changes nothing; otherwise the first
    // free slot is reused, or the list grows by one slot (leaving all-messages mode).
    void Add(std::int32_t uMsg);
    // -1 selects nothing; otherwise the first slot holding the number becomes free.
    void Remove(std::int32_t uMsg) noexcept;
    // The filter that runs for every message: no allocation, at most a scan of the slots in use.
    bool Selects(std::uint32_t uMsg) const noexcept {
        if (count_ == kAllMessages) return true;
        const auto wanted = static_cast<std::int32_t>(uMsg);
        if (wanted == kAllMessages) return false;
        for (std::int32_t i = 0; i < count_; ++i)
            if (slots_[static_cast<std::size_t>(i)] == wanted) return true;
        return false;
    }

    // Slots in use: 0 = no message, -1 = every message.
    std::int32_t Count() const noexcept { return count_; }
    // The stored slots, including those beyond the count that a change of mode left behind.
    std::span<const std::int32_t> Slots() const noexcept { return slots_; }

  private:
    std::vector<std::int32_t> slots_;
    std::int32_t count_ = 0;
};

} // namespace zendra
