#include "base/SystemText.h"

#include <cstring>

namespace zendra {

std::string SystemText(unsigned long code) {
    return std::strerror(static_cast<int>(code));
}

std::string SystemText(const std::error_code& error) {
    if (error.category() == std::system_category() || error.category() == std::generic_category())
        return SystemText(static_cast<unsigned long>(error.value()));
    return error.message();
}

} // namespace zendra
