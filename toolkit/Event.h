// An event a control raises to its host: one handler, called synchronously; raising an event
// nobody handles does nothing.
#pragma once

#include <functional>
#include <utility>

namespace zendra::tk {

template <typename... Args> class Event {
public:
    template <typename F> void Handle(F&& handler) { handler_ = std::forward<F>(handler); }
    void Clear() { handler_ = nullptr; }
    explicit operator bool() const noexcept { return static_cast<bool>(handler_); }

    void operator()(Args... args) const {
        // A copy, so that a handler replacing itself does not destroy the running function.
        if (handler_) {
            auto handler = handler_;
            handler(args...);
        }
    }

private:
    std::function<void(Args...)> handler_;
};

} // namespace zendra::tk
