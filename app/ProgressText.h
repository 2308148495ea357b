// What the progress window says about a long split or join: bytes done of all, the speed and the
// time left, sizes as the system formats them (StrFormatByteSizeW), and "Finishing…" once every
// byte is written and the last flush runs.
#pragma once

#include <cstdint>
#include <string>

namespace zendra {

// A byte count as the system formats it: "16.0 MB".
std::wstring ByteSizeText(std::uint64_t bytes);

// "1.20 GB of 4.00 GB, 85.0 MB/s, about 30 s left"; without a speed yet (0) only the sizes.
std::wstring ProgressText(std::uint64_t done, std::uint64_t total, double bytesPerSecond);

// A speed measured over the work's reports, smoothed so that the time left does not jump.
class SpeedMeter {
  public:
    // `ms` is a tick count in milliseconds (wrapping as GetTickCount does).
    void Start(std::uint64_t done, std::uint32_t ms) noexcept;
    void Add(std::uint64_t done, std::uint32_t ms) noexcept;
    double BytesPerSecond() const noexcept { return speed_; }

  private:
    std::uint64_t done_ = 0;
    std::uint32_t ms_ = 0;
    double speed_ = 0;
};

} // namespace zendra
