// Measures what a subclasser adds to a message that it does not route: sends the same message
// to a window before and after attaching, with a few other messages in both tables.
#include "TargetWindow.h"
#include "cSubclass.h"

#include <chrono>
#include <cstdio>

namespace {

class Silent : public zendra::iSubclass {
  public:
    void After(LRESULT&, HWND, UINT, WPARAM, LPARAM) noexcept override {}
    void Before(bool&, LRESULT&, HWND&, UINT&, WPARAM&, LPARAM&) noexcept override {}
};

double NanosecondsPerMessage(HWND hWnd, UINT uMsg, int count) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i)
        SendMessageW(hWnd, uMsg, static_cast<WPARAM>(i), 0);
    const std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / count;
}

} // namespace

int main() {
    using zendra::test::Msg;
    constexpr int kCount = 200000;
    zendra::test::TargetWindow target;
    const UINT probe = Msg(9);
    NanosecondsPerMessage(target.Get(), probe, kCount / 10); // warm-up
    const double plain = NanosecondsPerMessage(target.Get(), probe, kCount);

    Silent callback;
    zendra::cSubclass subclass;
    subclass.Subclass(target.Get(), callback);
    // The shadow's own selection: eight messages before, none after.
    for (UINT m : {71u, 5u, 532u, 534u, 562u, 24u, 126u, 794u})
        subclass.AddMsg(static_cast<std::int32_t>(m), zendra::cSubclass::kBefore);
    const double unselected = NanosecondsPerMessage(target.Get(), probe, kCount);
    subclass.AddMsg(static_cast<std::int32_t>(probe), zendra::cSubclass::kBefore);
    const double selected = NanosecondsPerMessage(target.Get(), probe, kCount);

    std::printf("plain window:            %8.1f ns per message\n", plain);
    std::printf("subclassed, unselected:  %8.1f ns per message (+%.1f)\n", unselected,
                unselected - plain);
    std::printf("subclassed, to Before:   %8.1f ns per message (+%.1f)\n", selected,
                selected - plain);
    return 0;
}
