// The failure the engine's routines turn into their message text.
#pragma once

#include <stdexcept>
#include <string>

namespace zendra {

class EngineError : public std::runtime_error {
public:
    explicit EngineError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace zendra
