#include "base/ChecksumLine.h"
#include "base/Failure.h"
#include "base/Hash.h"
#include "base/SystemText.h"
#include "base/UniqueHandle.h"
#include "base/Utf8.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <string>

namespace zendra {
namespace {

TEST(Utf8, OneDecoderForValidityTextAndPaths) {
    const struct {
        std::string bytes;
        bool valid;
        std::wstring shown;
    } cases[] = {
        {"plain", true, L"plain"},
        {"\xE6\x96\x87\xE4\xBB\xB6", true, L"\u6587\u4EF6"},
        {"\xF0\x9F\x98\x80", true, L"\U0001F600"},
        {"\xC0\x80", false, L"\uFFFD\uFFFD"},         // overlong
        {"\xED\xA0\x80", false, L"\uFFFD\uFFFD\uFFFD"}, // a surrogate
        {"\xF4\x90\x80\x80", false, L"\uFFFD\uFFFD\uFFFD\uFFFD"}, // past U+10FFFF
        {"a\xE6\x96", false, L"a\uFFFD\uFFFD"},        // cut short
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.bytes;
        EXPECT_EQ(WideFromUtf8(c.bytes), c.shown) << c.bytes;
        if (c.valid) {
            EXPECT_EQ(Utf8FromWide(c.shown), c.bytes);
        }
    }
    if constexpr (sizeof(wchar_t) == 2) {
        EXPECT_EQ(Utf8FromWide(std::wstring(1, wchar_t(0xD800)) + L"x"), "\xEF\xBF\xBDx");
    }
    // A name that is not UTF-8 is refused where names are text, never replaced by another name.
    if constexpr (sizeof(std::filesystem::path::value_type) == 1) {
        EXPECT_EQ(PathFromUtf8("caf\xE9").native(), "caf\xE9");
    } else {
        EXPECT_THROW(PathFromUtf8("caf\xE9"), Failure);
        EXPECT_EQ(DisplayPath(PathFromUtf8("\xE6\x96\x87.txt")), "\xE6\x96\x87.txt");
    }
}

TEST(ChecksumLines, TheFormsTheToolsWrite) {
    const std::string hex(32, 'a'), upper(32, 'A');
    const struct {
        std::string line;
        std::optional<std::string> name; // nothing: not a checksum line
    } cases[] = {
        {hex + "  data.bin", "data.bin"},
        {hex + " *data.bin", "data.bin"},
        {upper + "  data.bin", "data.bin"},
        {"\\" + hex + "  a\\\\b\\nc", "a\\b\nc"},
        {"XXH128 (data bin) = " + hex, "data bin"},
        {"\\XXH128 (a\\nb) = " + upper, "a\nb"},
        {hex + " data.bin", std::nullopt},
        {hex.substr(1) + "   data.bin", std::nullopt},
        {hex + "  ", std::nullopt},
        {"g" + hex.substr(1) + "  data.bin", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto read = ParseChecksumLine(c.line, 32);
        ASSERT_EQ(read.has_value(), c.name.has_value()) << c.line;
        if (!read) continue;
        EXPECT_EQ(read->Name, *c.name) << c.line;
        EXPECT_EQ(read->Hex, hex) << c.line;
    }
    EXPECT_EQ(TextLines("a\r\nb\n\nc"), (std::vector<std::string>{"a", "b", "", "c"}));
    const std::uint8_t bytes[] = {0x00, 0x9f, 0xff};
    EXPECT_EQ(HexOf(bytes, 3), "009fff");
}

// Known answers for "abc", so that each platform's own hash (CryptoAPI, libmd) is checked.
TEST(Hashes, KnownAnswers) {
    const std::pair<HashKind, const char*> cases[] = {
        {HashKind::Md5, "900150983cd24fb0d6963f7d28e17f72"},
        {HashKind::Sha1, "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {HashKind::Sha256, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {HashKind::Sha512,
         "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a"
         "274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f"},
        {HashKind::Crc32, "352441c2"},
        {HashKind::Xxh128, "06b05ab6733a618578af5f94892f3950"},
        {HashKind::Sha384, "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1"
                           "e7cc2358baeca134c825a7"},
        {HashKind::Xxh32, "32d153ff"},
        {HashKind::Xxh64, "44bc2cf5ad770999"},
        {HashKind::Xxh3, "78af5f94892f3950"},
        {HashKind::Blake2b, "ba80a53f981c4d0d6a2797b69f12f6e94c212f14685ac4b74b12bb6fdbffa2d17d87c5392aab"
                            "792dc252d5de4533cc9518d38aa8dbf1925ab92386edd4009923"}};
    for (const auto& [kind, hex] : cases) {
        Hasher digest(kind);
        digest.Update("a", 1);
        digest.Update("bc", 2);
        EXPECT_EQ(digest.Hex(), hex) << static_cast<int>(kind);
    }
    // BLAKE2b, written here: a whole last block (held back for its flag) and several, in pieces
    // that straddle the blocks; the answers are b2sum's.
    std::string bytes(1000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i % 251);
    const std::pair<std::string, const char*> blake[] = {
        {std::string(128, 'a'), "fc6c71f688f43ea7d60817478808f3cac753e61571865c95adbc2d9122c943a76b"
                                "92c2cb1047ef3fe7bf6e436ec1d0a99a9e5b216780bf7fed9d7ca91d3a8f3b"},
        {bytes, "c11e1c0340bd7e5a1b275f1230c962fad215ecb1391486e74e31b960a2f2996381a5fad092da0684"
                "1d5f26e38f6ecfeaf441acbcd1c2de61aef121e7927175f5"}};
    for (const auto& [text, hex] : blake) {
        Hasher digest(HashKind::Blake2b);
        for (std::size_t at = 0; at < text.size(); at += 100)
            digest.Update(text.data() + at, std::min<std::size_t>(100, text.size() - at));
        EXPECT_EQ(digest.Hex(), hex) << text.size();
    }
}

// A handle whose close counts, and fails for the handle 13.
int closed = 0;
struct CountedTraits {
    using Handle = int;
    static constexpr int None() { return -1; }
    static bool Close(int handle) {
        ++closed;
        return handle != 13;
    }
};

TEST(Handles, OwnedOnceClosedOnceAndAFailedCloseIsTold) {
    using Counted = UniqueHandle<CountedTraits>;
    closed = 0;
    {
        Counted a(0); // zero is a handle here: only None() is none
        EXPECT_TRUE(a);
        Counted b(std::move(a));
        EXPECT_FALSE(a);
        *b.Put() = 4; // the 0 it held is closed first
        EXPECT_EQ(closed, 1);
        Counted failing(13);
        EXPECT_FALSE(failing.Close());
        EXPECT_FALSE(failing);
        EXPECT_TRUE(failing.Close()) << "nothing left to close";
    }
    EXPECT_EQ(closed, 3);
    EXPECT_FALSE(SystemText(ENOENT).empty());
    EXPECT_NE(SystemText(ENOENT).back(), '.');
}

} // namespace
} // namespace zendra
