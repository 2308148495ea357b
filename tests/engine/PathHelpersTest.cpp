#include "io/AnsiPath.h"
#include "io/PathHelpers.h"
#include "io/PlatformPath.h"

#include <gtest/gtest.h>

namespace zendra {
namespace {

using S = std::string;
using W = std::wstring;

TEST(CountOccurrences, CountsOverlappingRuns) {
    EXPECT_EQ(CountOccurrences(S("aaa"), S("aa")), 2);
    EXPECT_EQ(CountOccurrences(S("a\\b\\c"), S("\\")), 2);
    EXPECT_EQ(CountOccurrences(S("ab"), S("abc")), 0);
    EXPECT_EQ(CountOccurrences(S(""), S("a")), 0);
    EXPECT_EQ(CountOccurrences(S("Ab"), S("a")), 0);
}

TEST(SplitPath, StoresTheSegmentsBeforeEachBackslash) {
    std::vector<S> segments;
    SplitPath(S("C:\\folder\\file.txt"), segments);
    EXPECT_EQ(segments, (std::vector<S>{"C:", "folder"}));
    SplitPath(S("\\\\server\\share\\"), segments);
    EXPECT_EQ(segments, (std::vector<S>{"", "", "server", "share"}));
    SplitPath(S("no separator"), segments);
    EXPECT_TRUE(segments.empty());
}

TEST(SplitPath, EmptyPathLeavesSegmentsAsTheyWere) {
    std::vector<S> segments{"kept"};
    SplitPath(S(""), segments);
    EXPECT_EQ(segments, std::vector<S>{"kept"});
}

TEST(GetFileName, TakesTheLastSegment) {
    EXPECT_EQ(GetFileName(S("C:\\docs\\report.doc.002")), "report.doc.002");
    EXPECT_EQ(GetFileName(S("C:\\docs\\folder\\")), "folder");
    EXPECT_EQ(GetFileName(S("plain.txt")), "plain.txt");
    EXPECT_EQ(GetFileName(S("")), "");
    EXPECT_EQ(GetFileName(S("C:/docs/a.txt")), "C:/docs/a.txt") << "only the backslash separates";
    EXPECT_EQ(GetFileName(W(L"C:\\文件\\数据.bin")), L"数据.bin");
}

TEST(GetFolderPath, KeepsEverythingUpToTheLastBackslash) {
    EXPECT_EQ(GetFolderPath(S("C:\\docs\\report.doc")), "C:\\docs\\");
    EXPECT_EQ(GetFolderPath(S("\\\\server\\share\\x.bin")), "\\\\server\\share\\");
    EXPECT_EQ(GetFolderPath(S("C:\\docs\\")), "C:\\docs\\");
    EXPECT_EQ(GetFolderPath(S("report.doc")), "");
    EXPECT_EQ(GetFolderPath(W(L"")), L"");
}

TEST(WithTrailingSeparator, GluesOnOneSeparatorAndLeavesEmptyAlone) {
    const PathText sep(1, std::filesystem::path::preferred_separator);
    const PathText out = std::filesystem::path("out").native();
    EXPECT_EQ(WithTrailingSeparator(out), out + sep);
    EXPECT_EQ(WithTrailingSeparator(out + sep), out + sep);
    EXPECT_EQ(WithTrailingSeparator(out + PathText(1, '/')), out + PathText(1, '/'));
    EXPECT_EQ(WithTrailingSeparator(PathText()), PathText());
}

// The engine's messages as the window shows them, whatever the locale.
TEST(WideFromUtf8, DecodesAndGivesAReplacementForEachBadByte) {
    EXPECT_EQ(WideFromUtf8("\xe6\x96\x87\xe4\xbb\xb6\xe5\xa4\xaa\xe5\xb0\x8f\xef\xbc\x81"),
              L"文件太小！");
    EXPECT_EQ(WideFromUtf8("a \"b\""), L"a \"b\"");
    EXPECT_EQ(WideFromUtf8("x\xff\xc0\x80"), L"x\xFFFD\xFFFD\xFFFD"); // overlong forms too
    EXPECT_EQ(WideFromUtf8("\xf0\x9f\x98\x80"),
              sizeof(wchar_t) == 2 ? W(L"\xD83D\xDE00") : W(1, wchar_t(0x1F600)));
}

} // namespace
} // namespace zendra
