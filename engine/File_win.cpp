#include "File.h"

#include "EngineError.h"

#include <windows.h>

#include <vector>

namespace zendra {
namespace {

HANDLE H(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::string Describe(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length ? std::wstring(text, length) : L"error " + std::to_wstring(error);
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L'.'))
        message.pop_back();
    return Utf8(message);
}

[[noreturn]] void Throw(const char* action, const std::filesystem::path& path, DWORD error) {
    throw EngineError(std::string("Cannot ") + action + " \"" + DisplayPath(path) + "\": " + Describe(error));
}

} // namespace

File File::Open(const std::filesystem::path& path, OpenMode mode) {
    const DWORD access = mode == OpenMode::Read ? GENERIC_READ : GENERIC_WRITE;
    const DWORD share = mode == OpenMode::Read ? FILE_SHARE_READ : 0;
    const DWORD disposition = mode == OpenMode::Read             ? OPEN_EXISTING
                              : mode == OpenMode::CreateTruncate ? CREATE_ALWAYS
                                                                 : CREATE_NEW;
    const HANDLE handle = CreateFileW(path.c_str(), access, share, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) Throw(mode == OpenMode::Read ? "open" : "create", path, GetLastError());
    return File(reinterpret_cast<std::intptr_t>(handle), path);
}

File::File(File&& other) noexcept : handle_(other.handle_), path_(std::move(other.path_)) {
    other.handle_ = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (H(handle_) != INVALID_HANDLE_VALUE) CloseHandle(H(handle_));
        handle_ = other.handle_;
        path_ = std::move(other.path_);
        other.handle_ = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
    }
    return *this;
}

File::~File() noexcept {
    if (H(handle_) != INVALID_HANDLE_VALUE) CloseHandle(H(handle_));
}

void File::Fail(const char* action) const { Throw(action, path_, GetLastError()); }

std::uint64_t File::Size() const {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(H(handle_), &size)) Fail("read the size of");
    return static_cast<std::uint64_t>(size.QuadPart);
}

std::size_t File::Read(void* buffer, std::size_t size) {
    DWORD got = 0;
    if (!ReadFile(H(handle_), buffer, static_cast<DWORD>(size), &got, nullptr)) Fail("read");
    return got;
}

void File::Seek(std::uint64_t offset) {
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(H(handle_), position, nullptr, FILE_BEGIN)) Fail("seek in");
}

void File::WriteAll(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        DWORD put = 0;
        if (!WriteFile(H(handle_), bytes, static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)), &put, nullptr))
            Fail("write");
        bytes += put;
        size -= put;
    }
}

void File::CopyFrom(File& source, std::uint64_t sourceOffset, std::uint64_t count,
                    const CopyProgress& progress) {
    CopyByBuffer(source, sourceOffset, count, progress);
}

void File::Close() {
    const HANDLE handle = H(handle_);
    handle_ = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
    if (handle != INVALID_HANDLE_VALUE && !CloseHandle(handle)) Throw("close", path_, GetLastError());
}

bool FileExists(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveFileQuietly(const std::filesystem::path& path) noexcept { return DeleteFileW(path.c_str()) != 0; }

void MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) Throw("replace", to, GetLastError());
}

} // namespace zendra
