// The MD5 of a whole file and the MD5 and CRC-32 of each of its slices (the last one zero-padded),
// from its bytes shown once, in order.
#pragma once

#include "recovery/Packets.h"

namespace zendra::par2 {

class SliceHasher {
  public:
    explicit SliceHasher(std::uint64_t sliceSize) : sliceSize_(sliceSize) {}
    void Feed(const std::uint8_t* bytes, std::size_t size);
    // Feed's two halves, which two threads may do at the same time: the file's hash, and the
    // slices'.
    void FeedFile(const std::uint8_t* bytes, std::size_t size) { file_.Update(bytes, size); }
    void FeedSlices(const std::uint8_t* bytes, std::size_t size);
    // Pads the last slice; the hasher is spent.
    void Finish();
    const std::vector<SliceChecksum>& Slices() const { return slices_; }
    const Md5Digest& FileHash() const { return fileHash_; }

  private:
    void AddToSlice(const std::uint8_t* bytes, std::size_t size);
    std::uint64_t sliceSize_;
    std::uint64_t filled_ = 0;
    Md5 file_, slice_;
    std::uint32_t crc_ = 0;
    std::vector<SliceChecksum> slices_;
    Md5Digest fileHash_{};
};

} // namespace zendra::par2
