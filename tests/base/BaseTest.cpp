#include "../engine/TempDir.h"
#include "base/ChecksumLine.h"
#include "base/Failure.h"
#include "base/Hash.h"
#include "base/SystemText.h"
#include "base/UniqueHandle.h"
#include "base/Utf8.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <random>
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
        {"\xC0\x80", false, L"\uFFFD\uFFFD"},                     // overlong
        {"\xED\xA0\x80", false, L"\uFFFD\uFFFD\uFFFD"},           // a surrogate
        {"\xF4\x90\x80\x80", false, L"\uFFFD\uFFFD\uFFFD\uFFFD"}, // past U+10FFFF
        {"a\xE6\x96", false, L"a\uFFFD\uFFFD"},                   // cut short
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
        // A pair is a high surrogate and then a low one; two low ones are two replacements.
        EXPECT_EQ(Utf8FromWide(std::wstring(2, wchar_t(0xDC00))), "\xEF\xBF\xBD\xEF\xBF\xBD");
    }
    // A name that is not UTF-8 is refused where names are text, never replaced by another name.
    if constexpr (sizeof(std::filesystem::path::value_type) == 1) {
        EXPECT_EQ(PathFromUtf8("caf\xE9").native(), "caf\xE9");
    } else {
        EXPECT_THROW(PathFromUtf8("caf\xE9"), Failure);
        EXPECT_EQ(DisplayPath(PathFromUtf8("\xE6\x96\x87.txt")), "\xE6\x96\x87.txt");
    }
}

// One step either side of each bound: the last code point of each length and the first of the
// next, the overlong forms just below each length's first, the surrogates' edges, the last code
// point, and the leads that start nothing.
TEST(Utf8, EachBoundAndOneStepPastIt) {
    const std::pair<std::string, char32_t> valid[] = {{"\x7F", 0x7F},
                                                      {"\xC2\x80", 0x80},
                                                      {"\xDF\xBF", 0x7FF},
                                                      {"\xE0\xA0\x80", 0x800},
                                                      {"\xED\x9F\xBF", 0xD7FF},
                                                      {"\xEE\x80\x80", 0xE000},
                                                      {"\xEF\xBF\xBF", 0xFFFF},
                                                      {"\xF0\x90\x80\x80", 0x10000},
                                                      {"\xF4\x8F\xBF\xBF", 0x10FFFF}};
    for (const auto& [bytes, code] : valid) {
        EXPECT_TRUE(IsValidUtf8(bytes)) << std::hex << static_cast<std::uint32_t>(code);
        std::wstring wide;
        if (sizeof(wchar_t) == 2 && code >= 0x10000) {
            wide = {wchar_t(0xD800 + ((code - 0x10000) >> 10)), wchar_t(0xDC00 + (code & 0x3FF))};
        } else {
            wide = std::wstring(1, static_cast<wchar_t>(code));
        }
        EXPECT_EQ(WideFromUtf8(bytes), wide) << std::hex << static_cast<std::uint32_t>(code);
        EXPECT_EQ(Utf8FromWide(wide), bytes) << std::hex << static_cast<std::uint32_t>(code);
    }
    const std::string invalid[] = {"\xC0\xBF",
                                   "\xC1\xBF", // overlong forms of ASCII
                                   "\xE0\x9F\xBF",
                                   "\xF0\x8F\xBF\xBF", // U+07FF in three bytes, U+FFFF in four
                                   "\xED\xA0\x80",
                                   "\xED\xBF\xBF", // the first and the last surrogate
                                   "\xF4\x90\x80\x80",
                                   "\xF5\x80\x80\x80",
                                   "\xF7\xBF\xBF\xBF",
                                   "\xF8\x88\x80\x80\x80",
                                   "\x80",
                                   "\xBF",
                                   "\xFE",
                                   "\xFF"};
    for (const std::string& bytes : invalid) {
        EXPECT_FALSE(IsValidUtf8(bytes)) << testing::PrintToString(bytes);
        // Each byte that starts nothing is one replacement, and the next is read afresh.
        EXPECT_EQ(WideFromUtf8(bytes + "a").back(), L'a') << testing::PrintToString(bytes);
    }
    EXPECT_EQ(WideFromUtf8("\xC3\xC3\xA9"), L"\uFFFD\u00E9");
    // A text that ends inside a sequence, though the bytes after it would complete it.
    EXPECT_FALSE(IsValidUtf8(std::string_view("\xE6\x96\x87", 2)));
    EXPECT_EQ(WideFromUtf8(std::string_view("\xE6\x96\x87", 2)), L"\uFFFD\uFFFD");
    EXPECT_EQ(WideFromUtf8("\xE6\x96"
                           "a"),
              L"\uFFFD\uFFFDa");
}

// Every continuation byte of each length replaced by a byte of each range: only 80 to BF carry on
// a sequence; any other ends it, the lead then stands alone and the byte is read afresh.
TEST(Utf8, AContinuationByteOfEachRange) {
    const std::string sequences[] = {"\xC3\xA9", "\xE6\x96\x87", "\xF2\x9F\x98\x80"};
    const unsigned char ranges[] = {0x00, 0x41, 0x7F, 0x80, 0xBF, 0xC0, 0xC3,
                                    0xDF, 0xE0, 0xEF, 0xF0, 0xF4, 0xF8, 0xFF};
    for (const std::string& sequence : sequences)
        for (std::size_t k = 1; k < sequence.size(); ++k)
            for (const unsigned char byte : ranges) {
                std::string bytes = sequence;
                bytes[k] = static_cast<char>(byte);
                const bool continues = byte >= 0x80 && byte <= 0xBF;
                EXPECT_EQ(IsValidUtf8(bytes), continues) << testing::PrintToString(bytes);
                EXPECT_EQ(WideFromUtf8(bytes).front() == L'\uFFFD', !continues)
                    << testing::PrintToString(bytes);
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
        {"\\" + hex + " *a\\rb", "a\rb"},
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

// The system gives MD5 and the SHAs only; CRC-32 and XXH3 are the libraries', never a stand-in.
TEST(Hashes, TheSystemOffersOnlyItsOwn) {
    for (const HashKind kind : {HashKind::Md5, HashKind::Sha1, HashKind::Sha256, HashKind::Sha512})
        EXPECT_NE(SystemHash(kind), nullptr);
    for (const HashKind kind : {HashKind::Crc32, HashKind::Xxh128}) {
        try {
            SystemHash(kind);
            ADD_FAILURE() << static_cast<int>(kind) << " was hashed as another kind";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.Kind(), FailureKind::Refused);
        }
    }
}

#ifndef _WIN32
std::string ToolOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
            out += buffer;
        pclose(pipe);
    }
    return out.substr(0, out.find_first_of(" \n"));
}

// Each kind agrees with the real tools on lengths about its block sizes, fed in pieces of
// every size, from a fixed list of seeds.
TEST(Hashes, AgreeWithTheRealTools) {
    const test::TempDir dir;
    const std::pair<HashKind, std::string> tools[] = {{HashKind::Md5, "md5sum"},
                                                      {HashKind::Sha1, "sha1sum"},
                                                      {HashKind::Sha256, "sha256sum"},
                                                      {HashKind::Sha512, "sha512sum"},
                                                      {HashKind::Crc32, "rhash --printf=%C"},
                                                      {HashKind::Xxh128, "xxhsum -H2"}};
    const std::size_t lengths[] = {0,   1,   55,  56,  63,  64,  65,  111,
                                   112, 127, 128, 129, 240, 241, 4097};
    for (const std::uint32_t seed : {1u, 2u, 3u})
        for (const std::size_t length : lengths) {
            const test::Bytes bytes = test::RandomBytes(length, seed);
            test::WriteBytes(dir / "data", bytes);
            std::mt19937 pieces(seed);
            for (const auto& [kind, tool] : tools) {
                Hasher hasher(kind);
                for (std::size_t at = 0; at < length;) {
                    const std::size_t piece = std::min<std::size_t>(length - at, pieces() % 70);
                    hasher.Update(bytes.data() + at, piece);
                    at += piece;
                }
                std::string expected = AsciiLower(ToolOutput(tool + " " + test::U8(dir / "data")));
                EXPECT_EQ(hasher.Hex(), expected) << tool << " of " << length << " bytes";
            }
        }
}
#endif

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
