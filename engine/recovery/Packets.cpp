#include "recovery/Packets.h"

#include <algorithm>
#include <cstring>

namespace zendra::par2 {
namespace {

void Put64(Bytes& out, std::uint64_t value) {
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
void Put32(Bytes& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
template <class T> void PutBytes(Bytes& out, const T& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}
void PadTo4(Bytes& out) {
    while (out.size() % 4)
        out.push_back(0);
}
std::uint64_t Get64(const std::uint8_t* p) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = value << 8 | p[i];
    return value;
}
std::uint32_t Get32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
template <std::size_t N> std::array<std::uint8_t, N> GetArray(const std::uint8_t* p) {
    std::array<std::uint8_t, N> out;
    std::copy(p, p + N, out.begin());
    return out;
}

constexpr char kTypes[5][17] = {"PAR 2.0\0Main\0\0\0\0", "PAR 2.0\0FileDesc",
                                "PAR 2.0\0IFSC\0\0\0\0", "PAR 2.0\0RecvSlic", "PAR 2.0\0Creator\0"};

} // namespace

std::array<std::uint8_t, 16> TypeBytes(PacketType type) {
    std::array<std::uint8_t, 16> bytes{};
    std::memcpy(bytes.data(), kTypes[static_cast<int>(type)], 16);
    return bytes;
}

PacketType TypeOf(const std::uint8_t* typeBytes) {
    for (int i = 0; i < 5; ++i)
        if (std::memcmp(typeBytes, kTypes[i], 16) == 0) return static_cast<PacketType>(i);
    return PacketType::Other;
}

std::optional<Header> DecodeHeader(const std::uint8_t* bytes) {
    if (std::memcmp(bytes, kMagic, sizeof kMagic) != 0) return std::nullopt;
    Header header;
    header.Length = Get64(bytes + 8);
    if (header.Length < kHeaderSize || header.Length % 4 != 0) return std::nullopt;
    header.Hash = GetArray<16>(bytes + 16);
    header.SetId = GetArray<16>(bytes + 32);
    header.Type = TypeOf(bytes + 48);
    return header;
}

std::array<std::uint8_t, kHeaderSize> EncodeHeader(const Id16& setId, PacketType type,
                                                   std::uint64_t length, const Md5Digest& hash) {
    std::array<std::uint8_t, kHeaderSize> header;
    std::copy(std::begin(kMagic), std::end(kMagic), header.begin());
    for (int i = 0; i < 8; ++i)
        header[8 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(length >> (8 * i));
    std::copy(hash.begin(), hash.end(), header.begin() + 16);
    std::copy(setId.begin(), setId.end(), header.begin() + 32);
    const auto typeBytes = TypeBytes(type);
    std::copy(typeBytes.begin(), typeBytes.end(), header.begin() + 48);
    return header;
}

Bytes EncodePacket(const Id16& setId, PacketType type, const Bytes& body) {
    Md5 md5;
    md5.Update(setId.data(), setId.size());
    md5.Update(TypeBytes(type).data(), 16);
    md5.Update(body.data(), body.size());
    const auto header = EncodeHeader(setId, type, kHeaderSize + body.size(), md5.Final());
    Bytes packet(kHeaderSize + body.size());
    std::copy(header.begin(), header.end(), packet.begin());
    std::copy(body.begin(), body.end(), packet.begin() + kHeaderSize);
    return packet;
}

Id16 FileIdOf(const Md5Digest& hash16k, std::uint64_t length, const std::string& name) {
    Bytes input(hash16k.begin(), hash16k.end());
    Put64(input, length);
    input.insert(input.end(), name.begin(), name.end());
    return Md5Of(input.data(), input.size());
}

bool IdLess(const Id16& a, const Id16& b) {
    return std::lexicographical_compare(a.rbegin(), a.rend(), b.rbegin(), b.rend());
}

Id16 SetIdOf(const Bytes& mainBody) {
    return Md5Of(mainBody.data(), mainBody.size());
}

Bytes EncodeMain(const MainPacket& main) {
    Bytes body;
    Put64(body, main.SliceSize);
    Put32(body, static_cast<std::uint32_t>(main.RecoveryFiles.size()));
    for (const auto& id : main.RecoveryFiles)
        PutBytes(body, id);
    for (const auto& id : main.OtherFiles)
        PutBytes(body, id);
    return body;
}

Bytes EncodeFileDescription(const FileDescription& file) {
    Bytes body;
    PutBytes(body, file.FileId);
    PutBytes(body, file.Hash);
    PutBytes(body, file.Hash16k);
    Put64(body, file.Length);
    body.insert(body.end(), file.Name.begin(), file.Name.end());
    PadTo4(body);
    return body;
}

Bytes EncodeSliceChecksums(const Id16& fileId, const std::vector<SliceChecksum>& slices) {
    Bytes body;
    PutBytes(body, fileId);
    for (const auto& slice : slices) {
        PutBytes(body, slice.Hash);
        Put32(body, slice.Crc);
    }
    return body;
}

Bytes EncodeCreator(const std::string& text) {
    Bytes body(text.begin(), text.end());
    PadTo4(body);
    return body;
}

std::optional<MainPacket> DecodeMain(const Bytes& body) {
    if (body.size() < 12 || (body.size() - 12) % 16 != 0) return std::nullopt;
    MainPacket main;
    main.SliceSize = Get64(body.data());
    const std::uint32_t count = Get32(body.data() + 8);
    const std::size_t ids = (body.size() - 12) / 16;
    if (main.SliceSize == 0 || main.SliceSize % 4 != 0 || count > ids || ids > 2 * kMaxFiles)
        return std::nullopt;
    for (std::size_t i = 0; i < ids; ++i)
        (i < count ? main.RecoveryFiles : main.OtherFiles)
            .push_back(GetArray<16>(body.data() + 12 + 16 * i));
    return main;
}

std::optional<FileDescription> DecodeFileDescription(const Bytes& body) {
    if (body.size() < 56) return std::nullopt;
    FileDescription file;
    file.FileId = GetArray<16>(body.data());
    file.Hash = GetArray<16>(body.data() + 16);
    file.Hash16k = GetArray<16>(body.data() + 32);
    file.Length = Get64(body.data() + 48);
    std::size_t end = body.size();
    while (end > 56 && body[end - 1] == 0)
        --end;
    file.Name.assign(body.begin() + 56, body.begin() + static_cast<std::ptrdiff_t>(end));
    if (file.Name.empty()) return std::nullopt;
    return file;
}

std::optional<std::pair<Id16, std::vector<SliceChecksum>>> DecodeSliceChecksums(const Bytes& body) {
    if (body.size() < 16 || (body.size() - 16) % 20 != 0) return std::nullopt;
    std::pair<Id16, std::vector<SliceChecksum>> out{GetArray<16>(body.data()), {}};
    for (std::size_t at = 16; at < body.size(); at += 20)
        out.second.push_back({GetArray<16>(body.data() + at), Get32(body.data() + at + 16)});
    return out;
}

} // namespace zendra::par2
