// Records the pictures this program gives to layered windows, as the system reads them: while an
// object lives, the program's import of UpdateLayeredWindow is redirected through it.
#pragma once

#include "DibSection.h"

#include <vector>

// The program's import slot of UpdateLayeredWindow (the import library's name for it).
extern "C" void* layeredImport asm("__imp__UpdateLayeredWindow@36");

namespace zendra::test {

struct LayeredPicture {
    HWND window;
    BLENDFUNCTION blend;
    int width, height;
    std::vector<std::uint32_t> lines; // 0xAARRGGBB, the highest screen line first
    // Column c (0 = left) of row r, row 0 being the lowest screen line.
    std::uint32_t At(int c, int r) const { return lines[(height - 1 - r) * width + c]; }
};

class LayeredPictures {
  public:
    LayeredPictures() : real_(Swap(reinterpret_cast<void*>(&Record))) { current_ = this; }
    ~LayeredPictures() { Swap(real_); }

    // The last picture given to the window, or null.
    const LayeredPicture* LastFor(HWND window) const {
        for (auto it = pictures_.rbegin(); it != pictures_.rend(); ++it)
            if (it->window == window) return &*it;
        return nullptr;
    }

  private:
    static void* Swap(void* procedure) {
        DWORD old = 0;
        VirtualProtect(&layeredImport, sizeof(void*), PAGE_READWRITE, &old);
        std::swap(layeredImport, procedure);
        VirtualProtect(&layeredImport, sizeof(void*), old, &old);
        return procedure;
    }

    static BOOL WINAPI Record(HWND window, HDC dst, POINT* at, SIZE* size, HDC src, POINT* from,
                              COLORREF key, BLENDFUNCTION* blend, DWORD flags) {
        // Copied by the system, which knows which way up the source's rows lie.
        const tk::DibSection copy(size->cx, size->cy);
        BitBlt(copy.Dc(), 0, 0, size->cx, size->cy, src, from->x, from->y, SRCCOPY);
        current_->pictures_.push_back({window,
                                       *blend,
                                       size->cx,
                                       size->cy,
                                       {copy.Pixels(), copy.Pixels() + size->cx * size->cy}});
        return reinterpret_cast<decltype(&UpdateLayeredWindow)>(current_->real_)(
            window, dst, at, size, src, from, key, blend, flags);
    }

    static inline LayeredPictures* current_ = nullptr;
    void* real_;
    std::vector<LayeredPicture> pictures_;
};

} // namespace zendra::test
