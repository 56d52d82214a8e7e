#include "program_folder.h"
#include "random_bytes.h"
#include "stop_signals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>

TEST(RandomBytes, FillTheWholeBufferAndDifferEachTime) {
    std::array<unsigned char, 4096> first{}, second{};
    platform::fill_random_bytes(first.data(), first.size());
    platform::fill_random_bytes(second.data(), second.size());
    EXPECT_NE(first, second);
    // A byte value absent from 4096 draws is as good as impossible, and so is
    // a tail left as it was.
    EXPECT_NE(std::count(first.end() - 64, first.end(), 0), 64);
    EXPECT_NE(std::find(first.begin(), first.end(), 255), first.end());
}

TEST(ProgramFolder, IsTheFolderOfThisTestsOwnFile) {
    const std::filesystem::path path = platform::program_path();
    EXPECT_EQ(path.stem(), "platform_tests");
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
    EXPECT_EQ(platform::program_folder(), path.parent_path().string());
}

// A wake that comes before the wait is not lost.
TEST(EndSignals, AWakeEndsTheNextWait) {
    platform::watch_end_signals();
    platform::wake();
    platform::wait_for_wake();
    platform::stop_watching_end_signals();
}
