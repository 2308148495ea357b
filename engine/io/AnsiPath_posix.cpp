#include "io/AnsiPath.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

namespace zendra {

std::optional<std::string> ToIndexText(const std::filesystem::path& path) { return path.native(); }

std::optional<std::filesystem::path> FromIndexText(const std::string& text, unsigned codePage) {
    if (codePage == 0) return std::filesystem::path(text);
    const std::string from = "CP" + std::to_string(codePage);
    const iconv_t converter = ::iconv_open("UTF-8", from.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    const std::unique_ptr<void, int (*)(iconv_t)> owner(converter, &::iconv_close);
    std::string in = text;
    std::string out(text.size() * 4 + 4, '\0');
    char* inAt = in.data();
    char* outAt = out.data();
    std::size_t inLeft = in.size(), outLeft = out.size();
    if (::iconv(converter, &inAt, &inLeft, &outAt, &outLeft) == static_cast<std::size_t>(-1))
        return std::nullopt;
    out.resize(out.size() - outLeft);
    return std::filesystem::path(out);
}

} // namespace zendra
