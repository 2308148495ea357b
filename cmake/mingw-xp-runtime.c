/* The import slot of GetTickCount64 for the shipped programs, so that they start on Windows XP.
 *
 * The posix-thread runtime (libwinpthread, which libstdc++ needs for its static-local guards and
 * exception pool) is built by Debian for Vista: its timed waits call GetTickCount64 through the
 * import slot __imp__GetTickCount64@0, and that one import alone would make XP's loader refuse
 * the program. Linked as an object of the program, this definition of the slot comes before
 * kernel32's import library, so no import is made: the system's own function is used where it
 * exists, and on XP a 64-bit millisecond count from the performance counter. */
#include <windows.h>

static ULONGLONG WINAPI PerformanceMilliseconds(void) {
    LARGE_INTEGER count, frequency;
    if (!QueryPerformanceFrequency(&frequency) || !QueryPerformanceCounter(&count))
        return GetTickCount(); /* no counter: only wraps after 49.7 days of uptime */
    const ULONGLONG ticks = (ULONGLONG)count.QuadPart, hertz = (ULONGLONG)frequency.QuadPart;
    return ticks / hertz * 1000 + ticks % hertz * 1000 / hertz;
}

typedef ULONGLONG(WINAPI* TickCount64)(void);
static ULONGLONG WINAPI FirstCall(void);

/* The slot the runtime calls through: the resolver first, then the chosen function. A pointer
 * store is atomic on x86, so racing first calls only resolve twice. */
TickCount64 volatile zendraGetTickCount64 __asm__("__imp__GetTickCount64@0") = FirstCall;

static ULONGLONG WINAPI FirstCall(void) {
    TickCount64 chosen = PerformanceMilliseconds;
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    FARPROC system = kernel != NULL ? GetProcAddress(kernel, "GetTickCount64") : NULL;
    if (system != NULL) chosen = (TickCount64)(void*)system;
    zendraGetTickCount64 = chosen;
    return chosen();
}
