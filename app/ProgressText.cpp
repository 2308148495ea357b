#include "ProgressText.h"

#include <windows.h>

#include <shlwapi.h>

#include <cmath>

namespace zendra {

namespace {

std::wstring TimeLeft(double seconds) {
    const auto whole = static_cast<std::uint64_t>(std::ceil(seconds));
    if (whole < 60) return std::to_wstring(whole == 0 ? 1 : whole) + L" s";
    const std::uint64_t minutes = (whole + 30) / 60;
    if (minutes < 60) return std::to_wstring(minutes) + L" min";
    return std::to_wstring(minutes / 60) + L" h " + std::to_wstring(minutes % 60) + L" min";
}

} // namespace

std::wstring ByteSizeText(std::uint64_t bytes) {
    wchar_t text[64]{};
    StrFormatByteSizeW(static_cast<LONGLONG>(bytes), text, 64);
    return text;
}

std::wstring ProgressText(std::uint64_t done, std::uint64_t total, double bytesPerSecond) {
    if (total > 0 && done >= total) return L"Finishing\u2026";
    std::wstring text = ByteSizeText(done) + L" of " + ByteSizeText(total);
    if (bytesPerSecond >= 1) {
        text += L", " + ByteSizeText(static_cast<std::uint64_t>(bytesPerSecond)) + L"/s";
        text +=
            L", about " + TimeLeft(static_cast<double>(total - done) / bytesPerSecond) + L" left";
    }
    return text;
}

void SpeedMeter::Start(std::uint64_t done, std::uint32_t ms) noexcept {
    done_ = done;
    ms_ = ms;
    speed_ = 0;
}

void SpeedMeter::Add(std::uint64_t done, std::uint32_t ms) noexcept {
    const std::uint32_t elapsed = ms - ms_;
    if (elapsed < 100 || done < done_) return; // too short a stretch to tell
    const double now = static_cast<double>(done - done_) * 1000 / elapsed;
    // Mostly the last stretch, some of the earlier ones.
    speed_ = speed_ == 0 ? now : 0.3 * now + 0.7 * speed_;
    done_ = done;
    ms_ = ms;
}

} // namespace zendra
