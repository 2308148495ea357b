// Paths outside ASCII: the index stores them in the ANSI code page.
#include "TempDir.h"
#include "engine/Join.h"
#include "engine/Split.h"
#include "formats/Formats.h"
#include "io/AnsiPath.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace zendra {
namespace {

using test::TempDir;

bool Representable(const std::wstring& text) {
    BOOL usedDefault = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, nullptr, 0, nullptr, &usedDefault);
    return !usedDefault;
}

TEST(CodePage, AccentedPathIsStoredInTheAnsiFormAndJoinsBack) {
    const std::wstring name = L"r\u00e9sum\u00e9.txt";
    if (!Representable(name)) GTEST_SKIP() << "the code page has no accented letters";
    TempDir dir, out;
    const auto source = dir.Path() / name;
    const auto bytes = test::RandomBytes(40, 4);
    test::WriteBytes(source, bytes);
    std::string message;
    ASSERT_TRUE(SplitToPieces(source, 0, message, 16)) << message;
    const auto index = DecodeIndex(test::ReadBytes(IndexName(source)));
    ASSERT_TRUE(index);
    EXPECT_EQ(index->FilePath, *ToIndexText(source));
    EXPECT_EQ(index->FilePath.size(), source.native().size()) << "one byte per character";
    ASSERT_TRUE(JoinPieces(IndexName(source), out.Folder(), message)) << message;
    EXPECT_EQ(test::ReadBytes(out.Path() / name), bytes);
}

TEST(CodePage, PathTheCodePageCannotCarryIsRefusedBeforeWriting) {
    const std::wstring name = L"\u6570\u636e\u0416.bin"; // Chinese and Cyrillic together
    if (Representable(name)) GTEST_SKIP() << "this code page carries the name";
    TempDir dir;
    test::WriteBytes(dir.Path() / name, test::RandomBytes(40, 5));
    std::string message;
    EXPECT_FALSE(SplitToPieces(dir.Path() / name, 0, message, 16));
    EXPECT_NE(message.find("code page"), std::string::npos) << message;
    EXPECT_EQ(dir.Names().size(), 1u);
}

} // namespace
} // namespace zendra
