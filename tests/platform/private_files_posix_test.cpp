// The refusals of private files, each by one rule alone, with fixtures made
// by POSIX calls; and the end signals as POSIX sends them.
#include "private_files.h"
#include "stop_signals.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

using namespace platform;

namespace {

class PrivateFilesPosix : public testing::Test {
protected:
    ~PrivateFilesPosix() override {
        unlink(path.c_str());
        unlink(target.c_str());
    }
    static void write_private(const std::string& file, const std::string& text) {
        unlink(file.c_str());
        std::ofstream(file) << text;
        chmod(file.c_str(), 0600);
    }
    std::string refusal() {
        PrivateRead read = read_private_file(path, 16);
        EXPECT_EQ(read.file.held(), read.kind == PrivateRead::taken) << "only a file taken is held";
        unlink(path.c_str());
        return read.kind == PrivateRead::refused ? read.why : "taken";
    }
    std::string path = "/tmp/platform-test-private-" + std::to_string(getpid());
    std::string target = path + "-target";
};

}  // namespace

TEST_F(PrivateFilesPosix, OnlyTheOwnersOwnPrivateRegularFileIsTaken) {
    write_private(target, "text");
    ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0);
    EXPECT_EQ(refusal(), "is a symbolic link");
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(refusal(), "is not a regular file");
    for (mode_t mode : {0640, 0620, 0604, 0602}) {
        write_private(path, "text");
        chmod(path.c_str(), mode);
        EXPECT_EQ(refusal().find("may be used by other users"), 0u) << std::oct << mode;
    }
    // Owner bits beyond reading and writing harm nobody.
    write_private(path, "text");
    chmod(path.c_str(), 0700);
    EXPECT_EQ(refusal(), "taken");
    if (geteuid() == 0) {
        write_private(path, "text");
        ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
        EXPECT_EQ(refusal(), "belongs to another user");
    }
}

// A new file is its owner's alone whatever the process's mask; an output file
// of the owner's is narrowed to its owner.
TEST_F(PrivateFilesPosix, NewAndReusedFilesAreTheOwnersAlone) {
    const mode_t mask = umask(0);
    HeldFile held;
    ASSERT_EQ(create_private_file(path, "text", held), "");
    umask(mask);
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    held = HeldFile();
    chmod(path.c_str(), 0644);
    std::fclose(open_private_output(path));
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST(EndSignalsPosix, AHangUpAsksForTheEndAndWakesTheWait) {
    watch_end_signals();
    raise(SIGHUP);
    wait_for_wake();
    EXPECT_TRUE(end_requested());
    stop_watching_end_signals();
}
