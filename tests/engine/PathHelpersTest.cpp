#include "PathHelpers.h"
#include "PlatformPath.h"

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

} // namespace
} // namespace zendra
