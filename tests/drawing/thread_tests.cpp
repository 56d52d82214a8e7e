// The window thread inside the test process: the main thread draws, loads and
// reads input while the window thread copies and queues. These are the tests
// to run under ThreadSanitizer.

#include "graph_wnd.h"
#include "image.h"
#include "input.h"
#include "library.h"
#include "picture_files.h"
#include "window.h"
#include "window_thread.h"
#include "x_display.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace support;

namespace {

class WindowThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(x.name().empty()) << "no X server";
        setenv("DISPLAY", x.name().c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
    }

    // A window left open would outlive the X server and lose its connection.
    void TearDown() override { close_window(); }

    XDisplay x;
    IMAGE keeps_the_library_running;
};

void fill(IMAGE& image, std::uint32_t color) {
    std::fill_n(image.pixels, static_cast<std::size_t>(image.width) * image.height, color);
}

// Waits until the window thread has made `more` copies after now.
void wait_for_copies(int more) {
    WindowThread& thread = *window_object()->window_thread;
    const std::uint64_t target = thread.copy_count() + static_cast<std::uint64_t>(more);
    while (thread.copy_count() < target) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

}  // namespace

TEST_F(WindowThreadTest, DrawingAndPollingWhileTheThreadCopiesAndQueues) {
    const WindowHandle handle = init_window(240, 160, 0);
    ASSERT_NE(handle, 0u);
    EXPECT_STREQ(window_driver_name(), "x11");
    IMAGE tile(40, 40);
    const std::uint32_t colors[] = {0xFF0000, 0x00FF00, 0x0000FF};
    std::thread pointer([&] {
        for (int i = 0; i < 20; ++i) {
            xdotool(x.name(), "mousemove --window " + std::to_string(handle) + " " + std::to_string(10 + i) + " 20");
        }
    });
    InputMessage record{};
    int moves = 0;
    for (int round = 0; round < 300; ++round) {
        fill(tile, colors[round % 3]);
        put_image((round * 7) % 200, (round * 3) % 120, &tile);
        while (peek_message(&record, MESSAGE_FILTER_MOUSE, true)) moves += record.message == WM_MOUSEMOVE;
        if (round % 50 == 0) wait_for_copies(1);
    }
    pointer.join();
    wait_for_copies(2);
    while (peek_message(&record, MESSAGE_FILTER_MOUSE, true)) moves += record.message == WM_MOUSEMOVE;
    EXPECT_GT(moves, 0);

    fill(tile, 0xFFFF00);
    put_image(100, 60, &tile);
    wait_for_copies(2);
    const Capture shot = capture_window(x.name(), handle);
    ASSERT_EQ(shot.width, 240);
    EXPECT_TRUE(shot.all_of(100, 60, 140, 100, 0xFFFF00));
    close_window();
}

TEST_F(WindowThreadTest, OneThreadServesWindowAfterWindow) {
    for (int size = 1; size <= 3; ++size) {
        const WindowHandle handle = init_window(100 * size, 50 * size, 0);
        ASSERT_NE(handle, 0u);
        EXPECT_EQ(window_object()->width, 100 * size);
        const Geometry geometry = window_geometry(x.name(), handle);
        EXPECT_EQ(geometry.width, 100 * size);
        EXPECT_EQ(geometry.height, 50 * size);
        close_window();
        EXPECT_FALSE(window_geometry(x.name(), handle).viewable);
    }
    EXPECT_EQ(library_user_count, 2);
}

TEST_F(WindowThreadTest, LoadingIntoTheBackBufferWithResizeResizesTheWindow) {
    PictureFolder folder;
    const std::string file = folder.make("wide", "-size 300x90 xc:'#00ffff'");
    const WindowHandle handle = init_window(120, 120, 0);
    EXPECT_EQ(load_image(nullptr, file.c_str(), 0, 0, true), LOAD_OK);
    EXPECT_EQ(window_object()->width, 300);
    const Geometry geometry = window_geometry(x.name(), handle);
    EXPECT_EQ(geometry.width, 300);
    EXPECT_EQ(geometry.height, 90);
    flush_window();
    const Capture shot = capture_window(x.name(), handle);
    ASSERT_EQ(shot.width, 300);
    EXPECT_TRUE(shot.all_of(0, 0, 300, 90, 0x00FFFF));
    close_window();
}

// A window thread that copies far less often than every 17 ms leaves the
// screen behind the drawing. The range is wide so that a loaded machine, which
// delays the thread, does not fail it; a copy every 100 ms still does.
TEST_F(WindowThreadTest, IdleWindowIsCopiedAboutSixtyTimesASecond) {
    ASSERT_NE(init_window(200, 100, 0), 0u);
    wait_for_copies(2);
    const WindowThread& thread = *window_object()->window_thread;
    const std::uint64_t copies_before = thread.copy_count();
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    const double per_second = static_cast<double>(thread.copy_count() - copies_before) / elapsed.count();
    RecordProperty("copies_per_second", std::to_string(per_second));
    EXPECT_GE(per_second, 30.0);
    EXPECT_LE(per_second, 90.0);
    close_window();
}

TEST_F(WindowThreadTest, LibraryStopsWithTheLastPictureAfterTheWindowClosed) {
    {
        IMAGE picture(2, 2);
        init_window(50, 50, 0);
        close_window();
        EXPECT_NE(window_object(), nullptr);
    }
    EXPECT_NE(window_object(), nullptr);  // the fixture's picture still lives
}
