#include "private_files.h"
#include "regular_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

using namespace platform;

namespace {

namespace fs = std::filesystem;

class FilesTest : public testing::Test {
protected:
    FilesTest() { fs::create_directories(folder); }
    ~FilesTest() override { fs::remove_all(folder); }

    fs::path folder = fs::temp_directory_path() /
                      ("platform-test-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::string path = (folder / "seat").string();
};

std::string content(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST_F(FilesTest, APrivateFileIsCreatedOnceAndReadBackWhole) {
    EXPECT_EQ(read_private_file(path, 64).kind, PrivateRead::absent);
    HeldFile held;
    ASSERT_EQ(create_private_file(path, "1 seat\n", held), "");
    EXPECT_TRUE(held.held());
    HeldFile other;
    EXPECT_NE(create_private_file(path, "2 seat\n", other), "") << "an existing file is never written over";
    EXPECT_FALSE(other.held());
    held = HeldFile();

    PrivateRead read = read_private_file(path, 64);
    EXPECT_EQ(read.kind, PrivateRead::taken) << read.why;
    EXPECT_EQ(read.text, "1 seat\n");
    EXPECT_TRUE(read.file.held());
    read = PrivateRead();

    read = read_private_file(path, 6);
    EXPECT_EQ(read.kind, PrivateRead::refused);
    EXPECT_EQ(read.why, "is longer than 6 bytes");

    remove_private_file(path);
    EXPECT_FALSE(fs::exists(path));
    remove_private_file(path);
}

// Held by one program at a time, and free again once let go.
TEST_F(FilesTest, AHeldFileIsRefusedUntilLetGo) {
    HeldFile held;
    ASSERT_EQ(create_private_file(path, "text", held), "");
    PrivateRead second = read_private_file(path, 64);
    EXPECT_EQ(second.kind, PrivateRead::refused);
    EXPECT_EQ(second.why, "is in use by another program");
    HeldFile moved(std::move(held));
    EXPECT_EQ(read_private_file(path, 64).kind, PrivateRead::refused) << "a moved file stays held";
    moved = HeldFile();
    EXPECT_EQ(read_private_file(path, 64).kind, PrivateRead::taken);
}

TEST_F(FilesTest, PrivateOutputStartsAfresh) {
    std::ofstream(path) << "an older and longer record";
    std::FILE* out = open_private_output(path);
    ASSERT_NE(out, nullptr);
    std::fputs("new", out);
    std::fclose(out);
    EXPECT_EQ(content(path), "new");
    EXPECT_EQ(open_private_output((folder / "missing" / "record").string()), nullptr);
}

TEST_F(FilesTest, OnlyRegularFilesAreReadWhole) {
    std::ofstream(path, std::ios::binary) << std::string("\0picture", 8);
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(read_regular_file(path, bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), std::string("\0picture", 8));
    bytes.clear();
    EXPECT_FALSE(read_regular_file(folder.string(), bytes));
    EXPECT_FALSE(read_regular_file((folder / "missing").string(), bytes));
}
