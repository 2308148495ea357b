#include "../engine/TempDir.h"
#include "engine/Split.h"
#include "formats/Formats.h"
#include "kit/PosixCksum.h"
#include "kit/SelfJoinKit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

namespace zendra {
namespace {

using test::Bytes;
using test::TempDir;
namespace fs = std::filesystem;

// Standard output of a shell command and its exit status.
std::pair<std::string, int> Capture(const std::string& command) {
    std::string text;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    while (std::size_t got = fread(buffer, 1, sizeof buffer, pipe))
        text.append(buffer, got);
    const int status = pclose(pipe);
    return {text, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// A word the shell takes literally.
std::string Quoted(const fs::path& path) {
    std::string quoted(1, '\'');
    for (const char c : test::U8(path))
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted += '\'';
}

TEST(PosixCksumTest, AgreesWithTheRealCksum) {
    TempDir dir;
    for (const std::size_t length : {0, 1, 3, 255, 256, 65537}) {
        const Bytes bytes = test::RandomBytes(length, static_cast<std::uint32_t>(length));
        test::WriteBytes(dir / "f", bytes);
        ZendraCksum sum;
        ZendraCksumStart(&sum);
        ZendraCksumAdd(&sum, bytes.data(), bytes.size());
        EXPECT_EQ(Capture("cksum < " + Quoted(dir / "f")).first,
                  std::to_string(ZendraCksumValue(&sum)) + " " + std::to_string(length) + "\n");
    }
}

struct JoinScriptTest : ::testing::Test {
    TempDir dir;
    TempDir tools;
    const std::string name = "it's $HOME \"a b\"\nand `more`";
    fs::path source = dir / name;
    Bytes original = test::RandomBytes(25000, 3);

    void SetUp() override {
        test::WriteBytes(source, original);
        std::string message;
        SplitOptions options; // a checksum file cannot list a name with a line break
        options.WriteChecksums = false;
        ASSERT_TRUE(SplitToPieces(source, 0, message, 10000, {}, options)) << message;
        const CreateKitFile create = [](const fs::path& finalPath) {
            return File::CreateBeside(finalPath);
        };
        // Renaming stays with the caller: the kit writer leaves its files under their temporary
        // names.
        ASSERT_TRUE(WriteSelfJoinKit(IndexName(source), {}, create, message)) << message;
        for (const auto& entry : fs::directory_iterator(dir.Path()))
            if (entry.path().filename().string().rfind(".zendra-", 0) == 0)
                fs::rename(entry.path(), JoinScriptName(source));
        fs::remove(source);
    }
    // A folder of links to only the tools the script may use, from busybox (Debian's has no
    // cksum) or from the system.
    std::string BarePath(bool busybox) {
        const fs::path bin = tools / (busybox ? "busybox" : "system");
        fs::create_directories(bin);
        for (const std::string tool : {"tail", "head", "cksum", "mv", "rm"})
            fs::create_symlink(busybox && tool != "cksum" ? fs::path("/bin/busybox")
                                                          : fs::path("/usr/bin") / tool,
                               bin / tool);
        return test::U8(bin);
    }
    // Runs the script from another folder, stderr into stdout.
    std::pair<std::string, int> RunScript(const std::string& shell, const std::string& path) {
        return Capture("cd / && env -i PATH=" + path + " " + shell + " " +
                       Quoted(JoinScriptName(source)) + " 2>&1");
    }
};

TEST_F(JoinScriptTest, EveryShellRebuildsOnceAndRefusesDamage) {
    for (const std::string shell : {"/usr/bin/dash", "/bin/busybox sh", "/bin/bash --posix",
                                    "/usr/bin/mksh", "/usr/bin/posh"}) {
        const bool busybox = shell == "/bin/busybox sh";
        fs::remove_all(tools / (busybox ? "busybox" : "system"));
        const std::string path = BarePath(busybox);
        auto [said, status] = RunScript(shell, path);
        ASSERT_EQ(status, 0) << shell << ": " << said;
        EXPECT_EQ(test::ReadBytes(source), original) << shell;
        std::tie(said, status) = RunScript(shell, path); // a second run is harmless
        EXPECT_EQ(status, 0) << said;
        EXPECT_NE(said.find("already rebuilt"), std::string::npos) << said;
        fs::remove(source);
        const auto names = dir.Names();

        const fs::path piece = PieceName(source, 1);
        const Bytes kept = test::ReadBytes(piece);
        Bytes damaged = kept;
        damaged[5000] ^= 1;
        test::WriteBytes(piece, damaged);
        std::tie(said, status) = RunScript(shell, path);
        EXPECT_NE(status, 0);
        EXPECT_NE(said.find("The piece \"" + name + ".001\" is damaged"), std::string::npos)
            << said;
        fs::remove(piece);
        std::tie(said, status) = RunScript(shell, path);
        EXPECT_NE(said.find(name + ".001\" is missing"), std::string::npos) << said;
        test::WriteBytes(piece, kept);
        EXPECT_EQ(dir.Names(), names) << shell; // no output, no temporary file
    }
}

// A folder the user cannot write in: the script says so itself and exits 1 in every POSIX shell
// (a failed redirection of a special built-in would end the shell before its message). Run as an
// unprivileged user, since root writes anywhere.
TEST_F(JoinScriptTest, EveryShellSaysItCannotWriteInTheFolder) {
    const std::string path = BarePath(false);
    std::string user;
    if (getuid() == 0) {
        auto [setpriv, status] = Capture("command -v setpriv");
        if (status != 0) GTEST_SKIP() << "no setpriv to drop root";
        setpriv.pop_back(); // the line break
        user = setpriv + " --reuid=nobody --regid=nogroup --clear-groups ";
    }
    fs::permissions(dir.Path(),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const auto names = dir.Names();
    for (const std::string shell : {"/usr/bin/dash", "/bin/busybox sh", "/bin/bash --posix",
                                    "/usr/bin/mksh", "/usr/bin/posh"}) {
        if (Capture("command -v " + shell.substr(0, shell.find(' '))).second != 0) {
            ADD_FAILURE() << shell << " is not installed (scripts/lib.sh lists it)";
            continue;
        }
        const auto [said, status] = RunScript(user + shell, path);
        EXPECT_EQ(status, 1) << shell << ": " << said;
        EXPECT_EQ(said, "Cannot write in this folder; nothing was written.\n") << shell;
    }
    EXPECT_EQ(dir.Names(), names);
}

} // namespace
} // namespace zendra
