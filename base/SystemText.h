// The system's own words for an error, as UTF-8, without a trailing full stop or line end.
#pragma once

#include <string>
#include <system_error>

namespace zendra {

// For an error number: errno on Linux, GetLastError's on Windows.
std::string SystemText(unsigned long code);
std::string SystemText(const std::error_code& error);

} // namespace zendra
