#include "Hashes.h"

#include <sys/types.h>

#include <md5.h>

namespace zendra::par2 {

struct Md5::State {
    MD5_CTX context;
};

Md5::Md5() : state_(std::make_unique<State>()) {
    MD5Init(&state_->context);
}
Md5::Md5(Md5&&) noexcept = default;
Md5& Md5::operator=(Md5&&) noexcept = default;
Md5::~Md5() = default;

void Md5::Update(const void* data, std::size_t size) {
    MD5Update(&state_->context, static_cast<const std::uint8_t*>(data), size);
}

Md5Digest Md5::Final() {
    Md5Digest digest;
    MD5Final(digest.data(), &state_->context);
    return digest;
}

} // namespace zendra::par2
