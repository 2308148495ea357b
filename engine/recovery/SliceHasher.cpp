#include "recovery/SliceHasher.h"

#include "recovery/Pool.h"

#include <algorithm>

namespace zendra::par2 {

void SliceHasher::AddToSlice(const std::uint8_t* bytes, std::size_t size) {
    slice_.Update(bytes, size);
    crc_ = Crc32(crc_, bytes, size);
    filled_ += size;
    if (filled_ == sliceSize_) {
        slices_.push_back({slice_.Final(), crc_});
        slice_ = Md5();
        crc_ = 0;
        filled_ = 0;
    }
}

void SliceHasher::FeedSlices(const std::uint8_t* bytes, std::size_t size) {
    while (size > 0) {
        const auto part =
            static_cast<std::size_t>(std::min<std::uint64_t>(size, sliceSize_ - filled_));
        AddToSlice(bytes, part);
        bytes += part;
        size -= part;
    }
}

void SliceHasher::Feed(const std::uint8_t* bytes, std::size_t size) {
    if (size < (256 << 10)) {
        FeedFile(bytes, size);
        FeedSlices(bytes, size);
        return;
    }
    // A long run (a check's reads): the file's MD5 on another core, beside the slices'.
    Pool::Shared().Run(2, [&](std::size_t part) {
        if (part == 0)
            FeedSlices(bytes, size);
        else
            FeedFile(bytes, size);
    });
}

void SliceHasher::Finish() {
    static const std::uint8_t zeros[4096] = {};
    while (filled_ > 0)
        AddToSlice(zeros, static_cast<std::size_t>(
                              std::min<std::uint64_t>(sizeof zeros, sliceSize_ - filled_)));
    fileHash_ = file_.Final();
}

} // namespace zendra::par2
