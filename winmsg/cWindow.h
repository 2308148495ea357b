// Registers a window class whose chosen messages go to an iWindow callback (everything else to
// the default processing), creates windows of it or of standard classes, keeps a record of them
// and destroys them, last created first, when the object ends.
#pragma once

#include "MessageTable.h"
#include "iWindow.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zendra {

class cWindow {
  public:
    static constexpr std::int32_t kAllMessages = MessageTable::kAllMessages;

    cWindow() noexcept = default;
    cWindow(const cWindow&) = delete;
    cWindow& operator=(const cWindow&) = delete;
    ~cWindow() noexcept;

    // The callback, watched rather than owned: once it has ended (or while none is set), a
    // window of the class destroys itself at its next message, and a creation fails.
    void Owner(iWindow& NewOwner) noexcept;
    const std::wstring& Class() const noexcept { return className_; }

    // One class per object: a second registration is refused. colBackground is 0x00BBGGRR.
    bool WindowClassRegister(const std::wstring& sClass, COLORREF colBackground, UINT Style,
                             HCURSOR hCursor, HICON hIcon, HICON hIconSm, int cbClassExtra,
                             int cbWndExtra);
    // Class 0 is the registered class; 1 to 9 are "BUTTON", "COMBOBOX", "EDIT", "LISTBOX",
    // "MDICLIENT", "RichEdit", "RICHEDIT_CLASS", "SCROLLBAR", "STATIC"; any other fails.
    // Returns 0 on failure and then records nothing.
    HWND WindowCreate(DWORD dwExStyle, DWORD dwStyle, int Class, int x, int y, int nWidth,
                      int nHeight, const std::wstring& sCaption, HWND hWndParent, HMENU hMenu,
                      void* lParam);
    // Destroys a window of the record: true once, false for any handle not (or no longer) held.
    bool WindowDestroy(HWND hWnd) noexcept;
    void AddMsg(std::int32_t uMsg) { table_.Add(uMsg); }
    void DelMsg(std::int32_t uMsg) noexcept { table_.Remove(uMsg); }
    static LRESULT CallDefWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept;

    const MessageTable& Table() const noexcept { return table_; }
    // The windows held, in creation order.
    const std::vector<HWND>& Windows() const noexcept { return record_; }

  private:
    // One DestroyWindow of this object under way; tells it whether the object ended meanwhile.
    struct Destruction {
        HWND hWnd;
        bool ended;
        Destruction* outer;
    };

    static LRESULT CALLBACK ClassProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT Orphaned(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept;
    void Destroy(HWND hWnd) noexcept;
    bool Destroying(HWND hWnd) const noexcept;
    void Forget(HWND hWnd) noexcept;

    MessageTable table_;
    std::wstring className_;
    ATOM atom_ = 0;
    iWindow* owner_ = nullptr;
    std::weak_ptr<const void> ownerLife_;
    std::vector<HWND> record_;
    // Windows inside a DestroyWindow of this object, innermost first: their messages must not
    // start another.
    Destruction* destroying_ = nullptr;
};

} // namespace zendra
