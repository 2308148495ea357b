#include "Cli.h"
#include "Formats.h"
#include "../engine/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zendra {
namespace {

using test::TempDir;

struct CliTest : ::testing::Test {
    TempDir dir;
    std::ostringstream out, err;

    int Run(std::vector<std::string> args, bool terminal = false) {
        out.str({});
        err.str({});
        return RunCli(args, out, err, terminal);
    }
    std::string U8(const std::filesystem::path& path) {
        const auto text = path.u8string();
        return std::string(text.begin(), text.end());
    }
};

TEST_F(CliTest, SplitInfoJoinRoundTrip) {
    const auto bytes = test::RandomBytes(2500, 11);
    test::WriteBytes(dir / "in.dat", bytes);
    ASSERT_EQ(Run({"split", U8(dir / "in.dat"), "--size", "1000"}), 0) << err.str();
    EXPECT_TRUE(std::filesystem::exists(dir / "in.dat.002"));

    ASSERT_EQ(Run({"info", U8(dir / "in.dat.tpl")}), 0) << err.str();
    EXPECT_NE(out.str().find("2500 bytes"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("Pieces:      3"), std::string::npos) << out.str();

    TempDir target;
    ASSERT_EQ(Run({"join", U8(dir / "in.dat.tpl"), "--output", U8(target.Path()), "--quiet"}), 0) << err.str();
    EXPECT_EQ(test::ReadBytes(target / "in.dat"), bytes);
}

TEST_F(CliTest, JoinDefaultsToTheIndexFolder) {
    const auto bytes = test::RandomBytes(30, 12);
    test::WriteBytes(dir / "a.bin", bytes);
    ASSERT_EQ(Run({"split", U8(dir / "a.bin"), "--size", "10"}), 0) << err.str();
    std::filesystem::remove(dir / "a.bin");
    ASSERT_EQ(Run({"join", U8(dir / "a.bin.tpl")}), 0) << err.str();
    EXPECT_EQ(test::ReadBytes(dir / "a.bin"), bytes);
}

TEST_F(CliTest, OperationFailuresExitOneWithTheReasonOnStderr) {
    test::WriteBytes(dir / "small.bin", test::RandomBytes(6, 1));
    EXPECT_EQ(Run({"split", U8(dir / "small.bin"), "--size", "5"}), 1);
    EXPECT_NE(err.str().find("\xe6\x96\x87\xe4\xbb\xb6\xe5\xa4\xaa\xe5\xb0\x8f"), std::string::npos) << err.str();
    EXPECT_TRUE(out.str().empty());
    EXPECT_EQ(Run({"join", U8(dir / "none.tpl")}), 1);
    EXPECT_NE(err.str().find("none.tpl"), std::string::npos) << err.str();
    EXPECT_EQ(Run({"info", U8(dir / "none.tpl")}), 1);
}

TEST_F(CliTest, UsageMistakesExitTwo) {
    const std::vector<std::vector<std::string>> wrong{
        {},
        {"cut", "x"},
        {"split", "x"},
        {"split", "x", "--size"},
        {"split", "x", "--size", "0"},
        {"split", "x", "--size", "12abc"},
        {"split", "x", "--size", "2147483648"},
        {"join"},
        {"join", "a.tpl", "b.tpl"},
        {"join", "a.tpl", "--size", "5"},
        {"info", "a.tpl", "--output", "d"},
        {"info", "a.tpl", "--frobnicate"},
    };
    for (const auto& args : wrong) {
        EXPECT_EQ(Run(args), 2) << ::testing::PrintToString(args);
        EXPECT_EQ(err.str().rfind("zendra-cli: ", 0), 0u) << err.str();
    }
    EXPECT_TRUE(dir.Names().empty());
}

TEST_F(CliTest, HelpGoesToStdout) {
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(out.str().find("zendra-cli split FILE --size BYTES"), std::string::npos);
    EXPECT_TRUE(err.str().empty());
}

TEST_F(CliTest, ProgressBarOnlyOnATerminalAndNotWhenQuiet) {
    test::WriteBytes(dir / "p.bin", test::RandomBytes(5000, 2));
    ASSERT_EQ(Run({"split", U8(dir / "p.bin"), "--size", "1000"}, true), 0);
    EXPECT_NE(err.str().find("100%"), std::string::npos) << err.str();
    ASSERT_EQ(Run({"split", U8(dir / "p.bin"), "--size", "1000", "--quiet"}, true), 0);
    EXPECT_TRUE(err.str().empty());
    ASSERT_EQ(Run({"split", U8(dir / "p.bin"), "--size", "1000"}, false), 0);
    EXPECT_TRUE(err.str().empty());
}

} // namespace
} // namespace zendra
