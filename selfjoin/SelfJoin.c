/* NAME.join.exe: rebuilds NAME from the pieces beside it on any Windows from XP SP3 on, with
 * nothing installed. A split copies zendra-join.exe under that name and appends the piece list
 * (layout in README.md); this program checks every piece's length and POSIX cksum value and the
 * whole file's, writes under a temporary name renamed only once all matched, and shows one message
 * box. Plain C on kernel32 and user32 alone, without the C runtime, to stay small. "/s" as its
 * argument writes the message to standard output instead of the box (for scripts and tests); the
 * exit status is 0 when done, 1 on failure. */
#include <windows.h>

#include "kit/PosixCksum.h"

#define BUFFER_SIZE (1u << 20)
#define PATH_CHARS 32768

typedef struct Reader {
    const unsigned char* at;
    const unsigned char* end;
} Reader;

typedef struct Name {
    const unsigned char* utf8;
    DWORD size;
} Name;

static WCHAR g_self[PATH_CHARS];
static WCHAR g_folder[PATH_CHARS]; /* this program's, with its separator */
static WCHAR g_output[PATH_CHARS];
static WCHAR g_piece[PATH_CHARS];
static WCHAR g_temporary[PATH_CHARS];
static WCHAR g_text[3 * PATH_CHARS];
static ZendraCksum g_sum, g_whole;

/* The compiler may call these for plain copies; there is no C runtime to provide them. */
void* memset(void* to, int value, size_t size) {
    unsigned char* p = to;
    while (size--)
        *p++ = (unsigned char)value;
    return to;
}
void* memcpy(void* to, const void* from, size_t size) {
    unsigned char* p = to;
    const unsigned char* q = from;
    while (size--)
        *p++ = *q++;
    return to;
}

static WCHAR* End(WCHAR* text) {
    while (*text)
        ++text;
    return text;
}

static void Append(WCHAR* text, const WCHAR* more) {
    text = End(text);
    while ((*text++ = *more++) != 0) {
    }
}

/* 32 bits: a 64-bit division would need libgcc. */
static void AppendNumber(WCHAR* text, DWORD value) {
    WCHAR digits[24];
    int i = 23;
    digits[i] = 0;
    do {
        digits[--i] = (WCHAR)(L'0' + (int)(value % 10));
        value /= 10;
    } while (value);
    Append(text, digits + i);
}

/* The folder of this program followed by a UTF-8 name; false when the name does not convert. */
static BOOL Beside(WCHAR* out, Name name) {
    out[0] = 0;
    Append(out, g_folder);
    WCHAR* tail = End(out);
    const int room = PATH_CHARS - 1 - (int)(tail - out);
    const int made = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, (const char*)name.utf8,
                                         (int)name.size, tail, room);
    if (made <= 0) return FALSE;
    tail[made] = 0;
    return TRUE;
}

static BOOL Take(Reader* reader, void* into, DWORD size) {
    if ((DWORD)(reader->end - reader->at) < size) return FALSE;
    memcpy(into, reader->at, size);
    reader->at += size;
    return TRUE;
}

static BOOL TakeName(Reader* reader, Name* name) {
    if (!Take(reader, &name->size, 4) || (DWORD)(reader->end - reader->at) < name->size)
        return FALSE;
    name->utf8 = reader->at;
    reader->at += name->size;
    return TRUE;
}

static BOOL Same8(const unsigned char* a, const char* b) {
    for (int i = 0; i < 8; ++i)
        if (a[i] != (unsigned char)b[i]) return FALSE;
    return TRUE;
}

/* The piece list appended to this program's file, in a heap block; NULL when there is none. */
static unsigned char* ReadList(DWORD* size) {
    unsigned char footer[12];
    unsigned char* list = NULL;
    DWORD got = 0;
    /* The system holds the file open while the program runs. */
    HANDLE self =
        CreateFileW(g_self, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    NULL, OPEN_EXISTING, 0, NULL);
    if (self == INVALID_HANDLE_VALUE) return NULL;
    const DWORD length = GetFileSize(self, NULL);
    if (length != INVALID_FILE_SIZE && length > 12 &&
        SetFilePointer(self, (LONG)(length - 12), NULL, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
        ReadFile(self, footer, 12, &got, NULL) && got == 12 && Same8(footer + 4, "ZDRKIT01")) {
        memcpy(size, footer, 4);
        if (*size >= 8 && *size <= length - 12 &&
            SetFilePointer(self, (LONG)(length - 12 - *size), NULL, FILE_BEGIN) !=
                INVALID_SET_FILE_POINTER &&
            (list = HeapAlloc(GetProcessHeap(), 0, *size)) != NULL &&
            (!ReadFile(self, list, *size, &got, NULL) || got != *size || !Same8(list, "ZDRKIT01")))
            list = NULL;
    }
    CloseHandle(self);
    return list;
}

/* Adds `size` bytes of `file` to the piece's cksum, and, when `out` is open, to the whole file's
 * and to `out`. */
static BOOL Pass(HANDLE file, unsigned long long size, HANDLE out, unsigned char* buffer) {
    while (size > 0) {
        const DWORD step = size < BUFFER_SIZE ? (DWORD)size : BUFFER_SIZE;
        DWORD got = 0, put = 0;
        if (!ReadFile(file, buffer, step, &got, NULL) || got != step) return FALSE;
        ZendraCksumAdd(&g_sum, buffer, got);
        if (out != INVALID_HANDLE_VALUE) {
            ZendraCksumAdd(&g_whole, buffer, got);
            if (!WriteFile(out, buffer, got, &put, NULL) || put != got) return FALSE;
        }
        size -= got;
    }
    return TRUE;
}

/* Whether a file holds `length` bytes with this cksum value. */
static BOOL Matches(const WCHAR* path, unsigned long long length, DWORD cksum,
                    unsigned char* buffer) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return FALSE;
    DWORD high = 0;
    const DWORD low = GetFileSize(file, &high);
    ZendraCksumStart(&g_sum);
    const BOOL same = (((unsigned long long)high << 32) | low) == length &&
                      Pass(file, length, INVALID_HANDLE_VALUE, buffer) &&
                      ZendraCksumValue(&g_sum) == cksum;
    CloseHandle(file);
    return same;
}

static void Say(const WCHAR* first, Name name, const WCHAR* last) {
    Append(g_text, first);
    const WCHAR* end = End(g_text);
    const int made = MultiByteToWideChar(CP_UTF8, 0, (const char*)name.utf8, (int)name.size,
                                         (WCHAR*)end, PATH_CHARS);
    ((WCHAR*)end)[made > 0 ? made : 0] = 0;
    Append(g_text, last);
}

/* Rebuilds the file; the message for the box is left in g_text. */
static BOOL Rebuild(void) {
    DWORD size = 0, count = 0;
    unsigned long long length = 0;
    DWORD cksum = 0;
    Name output;
    unsigned char* list = ReadList(&size);
    unsigned char* buffer = HeapAlloc(GetProcessHeap(), 0, BUFFER_SIZE);
    Reader reader;
    if (!list || !buffer) {
        Append(g_text, L"This program carries no piece list: it is zendra-join.exe itself, not "
                       L"the NAME.join.exe a split writes beside its pieces.");
        return FALSE;
    }
    reader.at = list + 8;
    reader.end = list + size;
    if (!Take(&reader, &count, 4) || !Take(&reader, &length, 8) || !Take(&reader, &cksum, 4) ||
        !TakeName(&reader, &output) || !Beside(g_output, output)) {
        Append(g_text, L"The piece list this program carries is damaged.");
        return FALSE;
    }
    if (GetFileAttributesW(g_output) != INVALID_FILE_ATTRIBUTES) {
        if (Matches(g_output, length, cksum, buffer)) {
            Say(L"\"", output, L"\" is already rebuilt.");
            return TRUE;
        }
        Say(L"\"", output,
            L"\" exists and is not the file these pieces rebuild; nothing was written.");
        return FALSE;
    }
    const Reader pieces = reader;
    for (DWORD i = 0; i < count; ++i) { /* every piece there and of its length, before writing */
        Name name;
        unsigned long long fileSize = 0;
        DWORD pieceCksum = 0, high = 0;
        if (!TakeName(&reader, &name) || !Take(&reader, &fileSize, 8) ||
            !Take(&reader, &pieceCksum, 4) || !Beside(g_piece, name)) {
            Append(g_text, L"The piece list this program carries is damaged.");
            return FALSE;
        }
        HANDLE file =
            CreateFileW(g_piece, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        if (file == INVALID_HANDLE_VALUE) {
            Say(L"The piece \"", name, L"\" is missing; nothing was written.");
            return FALSE;
        }
        const DWORD low = GetFileSize(file, &high);
        CloseHandle(file);
        if ((((unsigned long long)high << 32) | low) != fileSize) {
            Say(L"The piece \"", name, L"\" is damaged; nothing was written.");
            return FALSE;
        }
    }
    HANDLE out = INVALID_HANDLE_VALUE;
    for (DWORD attempt = GetTickCount(); out == INVALID_HANDLE_VALUE; ++attempt) {
        g_temporary[0] = 0;
        Append(g_temporary, g_folder);
        Append(g_temporary, L".zendra-join-");
        AppendNumber(g_temporary, attempt % 1000000);
        Append(g_temporary, L".tmp");
        out = CreateFileW(g_temporary, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                          NULL);
        if (out == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
            Append(g_text, L"Cannot write in this folder; nothing was written.");
            return FALSE;
        }
    }
    reader = pieces;
    ZendraCksumStart(&g_whole);
    BOOL done = TRUE;
    for (DWORD i = 0; done && i < count; ++i) {
        Name name;
        unsigned long long fileSize = 0;
        DWORD pieceCksum = 0;
        TakeName(&reader, &name);
        Take(&reader, &fileSize, 8);
        Take(&reader, &pieceCksum, 4);
        Beside(g_piece, name);
        HANDLE file =
            CreateFileW(g_piece, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        ZendraCksumStart(&g_sum);
        /* The 10-byte header and the 4-byte trailer count in the piece's cksum only. */
        done = file != INVALID_HANDLE_VALUE && fileSize >= 14 &&
               Pass(file, 10, INVALID_HANDLE_VALUE, buffer) &&
               Pass(file, fileSize - 14, out, buffer) &&
               Pass(file, 4, INVALID_HANDLE_VALUE, buffer) &&
               ZendraCksumValue(&g_sum) == pieceCksum;
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        if (!done) Say(L"The piece \"", name, L"\" is damaged; nothing was written.");
    }
    if (done && (g_whole.length != length || ZendraCksumValue(&g_whole) != cksum)) {
        done = FALSE;
        Append(g_text, L"The pieces changed while they were joined; nothing was written.");
    }
    if (!CloseHandle(out) && done) {
        done = FALSE;
        Append(g_text, L"Cannot write the joined file; nothing was written.");
    }
    if (done && !MoveFileW(g_temporary, g_output)) {
        done = FALSE;
        Say(L"Cannot rename the joined file to \"", output, L"\"; nothing was written.");
    }
    if (!done) {
        DeleteFileW(g_temporary);
        return FALSE;
    }
    Say(L"Rebuilt \"", output, L"\" from ");
    AppendNumber(g_text, count);
    Append(g_text, count == 1 ? L" piece." : L" pieces.");
    return TRUE;
}

static BOOL Silent(void) {
    const WCHAR* line = GetCommandLineW();
    const BOOL quoted = *line == L'"';
    line += quoted;
    while (*line && (quoted ? *line != L'"' : *line != L' ' && *line != L'\t'))
        ++line;
    if (*line == L'"') ++line;
    while (*line == L' ' || *line == L'\t')
        ++line;
    return (line[0] == L'/' || line[0] == L'-') && (line[1] | 0x20) == L's' &&
           (line[2] == 0 || line[2] == L' ');
}

void Start(void) {
    const DWORD length = GetModuleFileNameW(NULL, g_self, PATH_CHARS);
    BOOL done = FALSE;
    if (length == 0 || length >= PATH_CHARS) {
        Append(g_text, L"This program cannot find its own file.");
    } else {
        Append(g_folder, g_self);
        WCHAR* cut = g_folder + length;
        while (cut > g_folder && cut[-1] != L'\\' && cut[-1] != L'/')
            --cut;
        *cut = 0;
        done = Rebuild();
    }
    if (Silent()) {
        static char utf8[sizeof g_text];
        DWORD put = 0;
        int size = WideCharToMultiByte(CP_UTF8, 0, g_text, -1, utf8, sizeof utf8 - 1, NULL, NULL);
        utf8[size > 0 ? size - 1 : 0] = '\n';
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8, (DWORD)(size > 0 ? size : 1), &put, NULL);
    } else {
        MessageBoxW(NULL, g_text, L"Zendra self-join",
                    MB_OK | (done ? MB_ICONINFORMATION : MB_ICONERROR));
    }
    ExitProcess(done ? 0 : 1);
}
