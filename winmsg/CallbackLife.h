// Lets a message router notice that its callback object has ended, without calling into it.
// The callback carries a token; the router keeps only a weak reference to it.
#pragma once

#include <memory>

namespace zendra {

class CallbackLife {
  public:
    std::weak_ptr<const void> Watch() const noexcept { return token_; }

  protected:
    CallbackLife() : token_(std::make_shared<char>('\0')) {}
    // A copy is another callback object with a life of its own.
    CallbackLife(const CallbackLife&) : CallbackLife() {}
    CallbackLife& operator=(const CallbackLife&) noexcept { return *this; }
    ~CallbackLife() = default;

    // Ends the callbacks before the object itself ends, for example first thing in a destructor
    // whose later steps still send messages to the watched windows.
    void EndCallbacks() noexcept { token_.reset(); }

  private:
    std::shared_ptr<const char> token_;
};

} // namespace zendra
