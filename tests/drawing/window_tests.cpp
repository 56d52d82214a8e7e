// The window as a user sees it: real windows of the demo program on a private
// X server, looked at with xwininfo, xprop and xwd.

#include "demo_process.h"
#include "picture_files.h"
#include "x_display.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

using namespace support;

namespace {

class Window : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(x.name().empty()) << "no X server"; }
    // Nothing on standard error: no layer message and no sanitizer report.
    void TearDown() override { EXPECT_EQ(demo.process().standard_error(), ""); }

    XDisplay x;
    DemoProcess demo{x.name()};

    // Captures until the rectangle shows `color`, for at most a few seconds.
    bool shows(unsigned long window, int left, int top, int right, int bottom, std::uint32_t color) {
        for (int tries = 0; tries < 100; ++tries) {
            const Capture shot = capture_window(x.name(), window);
            if (shot.width >= right && shot.height >= bottom && shot.all_of(left, top, right, bottom, color)) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
};

// The functions and decorations words of _MOTIF_WM_HINTS.
struct MotifHints {
    unsigned long functions = 0;
    unsigned long decorations = 0;
};

MotifHints motif_hints(const std::string& property_line) {
    MotifHints hints;
    const std::size_t equals = property_line.find('=');
    if (equals == std::string::npos) return hints;
    std::string values = property_line.substr(equals + 1);
    for (char& c : values) c = c == ',' ? ' ' : c;
    std::istringstream words(values);
    unsigned long flags = 0;
    words >> std::hex >> flags >> hints.functions >> hints.decorations;
    return hints;
}

constexpr unsigned long close_function = 32;
constexpr unsigned long minimize_function = 8;
constexpr unsigned long resize_function = 2;
constexpr unsigned long maximize_function = 16;

}  // namespace

TEST_F(Window, ClientAreaHasExactlyTheAskedSizeAndTheProgramName) {
    const std::string answer = demo.ask("open 800 500 6");
    EXPECT_NE(answer.find(" x11"), std::string::npos) << answer;
    unsigned long handle = 0;
    std::istringstream(answer.substr(7)) >> handle;
    ASSERT_NE(handle, 0u);
    const Geometry geometry = window_geometry(x.name(), handle);
    EXPECT_EQ(geometry.width, 800);
    EXPECT_EQ(geometry.height, 500);
    EXPECT_TRUE(geometry.viewable);
    EXPECT_NE(window_property(x.name(), handle, "WM_NAME").find("\"drawing_demo\""), std::string::npos);
    // Not resizable: the size hints pin the minimum and maximum to the size.
    const std::string size_hints = window_property(x.name(), handle, "WM_NORMAL_HINTS");
    EXPECT_NE(size_hints.find("program specified minimum size: 800 by 500"), std::string::npos) << size_hints;
    EXPECT_NE(size_hints.find("program specified maximum size: 800 by 500"), std::string::npos) << size_hints;
}

TEST_F(Window, FirstWindowsCloseSettingHoldsAndMinimizeFollowsEachCall) {
    const unsigned long lobby = demo.open(800, 500, 6);
    const MotifHints lobby_hints = motif_hints(window_property(x.name(), lobby, "_MOTIF_WM_HINTS"));
    EXPECT_EQ(lobby_hints.functions & close_function, 0u);
    EXPECT_EQ(lobby_hints.functions & minimize_function, 0u);
    EXPECT_EQ(lobby_hints.functions & (resize_function | maximize_function), 0u);
    EXPECT_NE(lobby_hints.functions, 0u);

    EXPECT_EQ(demo.ask("close"), "closed");
    const unsigned long board = demo.open(360, 904, 0);
    const Geometry geometry = window_geometry(x.name(), board);
    EXPECT_EQ(geometry.width, 360);
    EXPECT_EQ(geometry.height, 904);
    const MotifHints board_hints = motif_hints(window_property(x.name(), board, "_MOTIF_WM_HINTS"));
    EXPECT_EQ(board_hints.functions & close_function, 0u);
    EXPECT_NE(board_hints.functions & minimize_function, 0u);
}

TEST_F(Window, NewWindowIsBlack) {
    const unsigned long window = demo.open(320, 200, 0);
    EXPECT_TRUE(shows(window, 0, 0, 320, 200, 0x000000));
}

TEST_F(Window, PutImageReachesTheScreenWithoutFlushWhileTheMainThreadSleeps) {
    const unsigned long window = demo.open(300, 200, 0);
    EXPECT_EQ(demo.ask("fill 0 72 72 ff8000"), "filled");
    EXPECT_EQ(demo.ask("put 0 10 20"), "put");
    EXPECT_EQ(demo.ask("sleep 10000"), "sleeping");
    EXPECT_TRUE(shows(window, 10, 20, 82, 92, 0xFF8000));
    const Capture shot = capture_window(x.name(), window);
    ASSERT_EQ(shot.width, 300);
    EXPECT_EQ(shot.at(9, 20), 0u);
    EXPECT_EQ(shot.at(82, 91), 0u);
    EXPECT_EQ(shot.at(10, 92), 0u);
}

TEST_F(Window, CloseHidesTheWindowAndTheNextOneHasItsOwnSizeAllBlack) {
    const unsigned long first = demo.open(200, 100, 0);
    demo.ask("fill 0 200 100 ffffff");
    demo.ask("put 0 0 0");
    demo.ask("flush");
    EXPECT_TRUE(shows(first, 0, 0, 200, 100, 0xFFFFFF));
    EXPECT_EQ(demo.ask("close"), "closed");
    EXPECT_FALSE(window_geometry(x.name(), first).viewable);
    EXPECT_TRUE(demo.process().running());

    const unsigned long second = demo.open(300, 150, 0);
    ASSERT_NE(second, 0u);
    const Geometry geometry = window_geometry(x.name(), second);
    EXPECT_EQ(geometry.width, 300);
    EXPECT_EQ(geometry.height, 150);
    EXPECT_TRUE(shows(second, 0, 0, 300, 150, 0x000000));
}

TEST_F(Window, OpeningWhileAWindowIsOpenReplacesIt) {
    const unsigned long first = demo.open(200, 100, 0);
    demo.ask("fill 0 200 100 ffffff");
    demo.ask("put 0 0 0");
    const unsigned long second = demo.open(120, 240, 0);
    ASSERT_NE(second, 0u);
    EXPECT_NE(second, first);
    EXPECT_FALSE(window_geometry(x.name(), first).viewable);
    const Geometry geometry = window_geometry(x.name(), second);
    EXPECT_EQ(geometry.width, 120);
    EXPECT_EQ(geometry.height, 240);
    EXPECT_TRUE(shows(second, 0, 0, 120, 240, 0x000000));
}

TEST_F(Window, PartlyOutsideCopyIsClipped) {
    const unsigned long window = demo.open(100, 100, 0);
    demo.ask("fill 0 50 50 00ff00");
    demo.ask("put 0 -20 70");
    demo.ask("put 0 90 -40");
    demo.ask("put 0 300 300");
    demo.ask("flush");
    const Capture shot = capture_window(x.name(), window);
    ASSERT_EQ(shot.width, 100);
    EXPECT_TRUE(shot.all_of(0, 70, 30, 100, 0x00FF00));
    EXPECT_TRUE(shot.all_of(90, 0, 100, 10, 0x00FF00));
    EXPECT_TRUE(shot.all_of(30, 10, 90, 70, 0x000000));
    EXPECT_EQ(shot.at(30, 70), 0u);
    EXPECT_EQ(shot.at(89, 9), 0u);
    EXPECT_EQ(shot.at(90, 10), 0u);
}

TEST_F(Window, LoadedPictureShowsAtItsPlace) {
    PictureFolder folder;
    const std::string file = folder.make(
        "piece", "-size 72x72 xc:none -fill '#3366cc' -draw 'rectangle 0,0 71,35'");
    const unsigned long window = demo.open(360, 904, 0);
    EXPECT_EQ(demo.ask("load 1 " + file + " 0 0 0"), "loaded 0 72 72");
    demo.ask("put 1 144 416");
    demo.ask("flush");
    const Capture shot = capture_window(x.name(), window);
    ASSERT_EQ(shot.height, 904);
    EXPECT_TRUE(shot.all_of(144, 416, 216, 452, 0x3366CC));
    EXPECT_TRUE(shot.all_of(144, 452, 216, 488, 0x000000));
}

TEST_F(Window, ProgramEndsWithStatusZeroWhenItsMainReturns) {
    demo.open(200, 100, 6);
    demo.ask("fill 2 10 10 ffffff");
    demo.ask("close");
    demo.send("quit");
    EXPECT_EQ(demo.next_line(), "bye");
    EXPECT_EQ(demo.process().wait_for_exit(std::chrono::seconds(10)), 0);
    EXPECT_EQ(demo.process().standard_error(), "");
}
