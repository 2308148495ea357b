// Records the pictures that this program gives to layered windows, as the system reads them: while
// an object lives, the program's import of UpdateLayeredWindow is redirected through it.
#pragma once

#include "DibSection.h"

#include <windows.h>

#include <cstdint>
#include <vector>

// The program's import slot of UpdateLayeredWindow (the import library's name for it).
extern "C" void* layeredImport asm("__imp__UpdateLayeredWindow@36");

namespace zendra::test {

struct LayeredPicture {
    HWND window = nullptr;
    BLENDFUNCTION blend{};
    DWORD flags = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> lines; // 0xAARRGGBB, the highest screen line first

    // Column c (0 = left) of row r, row 0 being the lowest screen line.
    std::uint32_t At(int c, int r) const {
        return lines[static_cast<std::size_t>((height - 1 - r) * width + c)];
    }
};

class LayeredPictures {
  public:
    LayeredPictures() {
        current_ = this;
        real_ = reinterpret_cast<Update>(Swap(reinterpret_cast<void*>(&Record)));
    }
    LayeredPictures(const LayeredPictures&) = delete;
    LayeredPictures& operator=(const LayeredPictures&) = delete;
    ~LayeredPictures() {
        Swap(reinterpret_cast<void*>(real_));
        current_ = nullptr;
    }

    // The last picture given to the window, or null.
    const LayeredPicture* LastFor(HWND window) const {
        for (auto it = pictures_.rbegin(); it != pictures_.rend(); ++it)
            if (it->window == window) return &*it;
        return nullptr;
    }

  private:
    using Update = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*,
                                 DWORD);

    static void* Swap(void* procedure) {
        DWORD old = 0;
        VirtualProtect(&layeredImport, sizeof(void*), PAGE_READWRITE, &old);
        void* previous = layeredImport;
        layeredImport = procedure;
        VirtualProtect(&layeredImport, sizeof(void*), old, &old);
        return previous;
    }

    static BOOL WINAPI Record(HWND window, HDC dst, POINT* at, SIZE* size, HDC src, POINT* from,
                              COLORREF key, BLENDFUNCTION* blend, DWORD flags) {
        LayeredPicture picture;
        picture.window = window;
        picture.flags = flags;
        if (blend) picture.blend = *blend;
        if (size && src && size->cx > 0 && size->cy > 0) {
            // Copied by the system, which knows which way up the source's rows lie.
            const tk::DibSection copy(size->cx, size->cy);
            BitBlt(copy.Dc(), 0, 0, size->cx, size->cy, src, from ? from->x : 0, from ? from->y : 0,
                   SRCCOPY);
            picture.width = size->cx;
            picture.height = size->cy;
            picture.lines.assign(copy.Pixels(), copy.Pixels() + size->cx * size->cy);
        }
        current_->pictures_.push_back(std::move(picture));
        return current_->real_(window, dst, at, size, src, from, key, blend, flags);
    }

    static inline LayeredPictures* current_ = nullptr;
    Update real_ = nullptr;
    std::vector<LayeredPicture> pictures_;
};

} // namespace zendra::test
