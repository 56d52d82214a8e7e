// Real pointer and keyboard input from xdotool, read back through the demo's
// peek_message.

#include "demo_process.h"
#include "x_display.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace support;

namespace {


class Input : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(x.name().empty()) << "no X server"; }
    // Nothing on standard error: no layer message and no sanitizer report.
    void TearDown() override { EXPECT_EQ(demo.process().standard_error(), ""); }

    XDisplay x;
    DemoProcess demo{x.name()};
    unsigned long window = 0;

    void open(int width, int height, int flags) {
        window = demo.open(width, height, flags);
        ASSERT_NE(window, 0u);
    }

    // Everything queued so far, once the window thread has caught up.
    std::vector<std::string> take_all(int filter = 15) {
        EXPECT_EQ(demo.ask("settle"), "settled");
        std::vector<std::string> messages;
        for (std::string line = demo.ask(peek(filter)); line != "none" && !line.empty();
             line = demo.ask(peek(filter))) {
            messages.push_back(line);
        }
        return messages;
    }

    static std::string peek(int filter, bool remove = true) {
        return "peek " + std::to_string(filter) + (remove ? " 1" : " 0");
    }

    bool tool(const std::string& arguments) { return xdotool(x.name(), arguments); }

    void point_at(int x_position, int y_position) {
        ASSERT_TRUE(tool("mousemove --window " + std::to_string(window) + " " + std::to_string(x_position) + " " +
                         std::to_string(y_position)));
        take_all();
    }

    void focus() {
        ASSERT_TRUE(tool("windowfocus --sync " + std::to_string(window)));
        take_all();
    }
};

std::vector<std::string> without_window_messages(const std::vector<std::string>& messages) {
    std::vector<std::string> kept;
    for (const auto& message : messages) {
        if (message.rfind("window ", 0) != 0) kept.push_back(message);
    }
    return kept;
}

}  // namespace

TEST_F(Input, LeftClickArrivesWithItsClientPositionAndButton) {
    open(400, 300, 0);
    point_at(100, 200);
    ASSERT_TRUE(tool("click 1"));
    EXPECT_EQ(take_all(1), (std::vector<std::string>{"mouse 513 100 200 0 00100", "mouse 514 100 200 0 00000"}));
}

TEST_F(Input, RightAndMiddleButtonsHaveTheirOwnMessages) {
    open(400, 300, 0);
    point_at(7, 9);
    ASSERT_TRUE(tool("click 3 click 2"));
    EXPECT_EQ(take_all(1), (std::vector<std::string>{"mouse 516 7 9 0 00001", "mouse 517 7 9 0 00000",
                                                     "mouse 519 7 9 0 00010", "mouse 520 7 9 0 00000"}));
}

TEST_F(Input, WheelNotchIsPlusOrMinus120AtThePointer) {
    open(400, 300, 0);
    point_at(50, 60);
    ASSERT_TRUE(tool("click 4 click 5"));
    EXPECT_EQ(take_all(1), (std::vector<std::string>{"mouse 522 50 60 120 00000", "mouse 522 50 60 -120 00000"}));
}

TEST_F(Input, MovesCarryTheHeldButtonAndShift) {
    open(400, 300, 0);
    point_at(10, 10);
    focus();
    ASSERT_TRUE(tool("keydown shift mousedown 1 mousemove --window " + std::to_string(window) +
                     " 20 30 mouseup 1 keyup shift"));
    const std::vector<std::string> mouse = take_all(1);
    ASSERT_EQ(mouse.size(), 3u);
    EXPECT_EQ(mouse[0], "mouse 513 10 10 0 01100");
    EXPECT_EQ(mouse[1], "mouse 512 20 30 0 01100");
    EXPECT_EQ(mouse[2], "mouse 514 20 30 0 01000");
}

TEST_F(Input, KeysGiveVirtualKeyCodesScanCodesAndCharacters) {
    open(400, 300, 0);
    focus();
    ASSERT_TRUE(tool("key a Return Up F1 7"));
    EXPECT_EQ(without_window_messages(take_all()),
              (std::vector<std::string>{"key 256 65 30 0 0", "char 97", "key 257 65 30 0 1",
                                        "key 256 13 28 0 0", "char 13", "key 257 13 28 0 1",
                                        "key 256 38 72 1 0", "key 257 38 72 1 1",
                                        "key 256 112 59 0 0", "key 257 112 59 0 1",
                                        "key 256 55 8 0 0", "char 55", "key 257 55 8 0 1"}));
}

TEST_F(Input, MouseFilterReturnsTheClickAndTheKeyBeforeItIsGone) {
    open(400, 300, 0);
    point_at(30, 40);
    focus();
    ASSERT_TRUE(tool("key b click 1"));
    EXPECT_EQ(demo.ask("settle"), "settled");
    EXPECT_EQ(demo.ask(peek(1)), "mouse 513 30 40 0 00100");
    EXPECT_EQ(demo.ask(peek(15)), "mouse 514 30 40 0 00000");
    EXPECT_EQ(demo.ask(peek(15)), "none");
}

TEST_F(Input, SeventyMovesKeepTheFirstSixtyThreeInOrderAndLaterOnesAreLost) {
    open(400, 300, 0);
    point_at(5, 5);
    std::string moves;
    for (int i = 0; i < 70; ++i) {
        moves += "mousemove --window " + std::to_string(window) + " " + std::to_string(10 + i) + " 11 ";
    }
    ASSERT_TRUE(tool(moves + "click 1"));
    EXPECT_EQ(demo.ask("settle"), "settled");
    EXPECT_EQ(demo.ask("count"), "queued 63");
    const std::vector<std::string> mouse = take_all(1);
    ASSERT_EQ(mouse.size(), 63u);
    for (int i = 0; i < 63; ++i) EXPECT_EQ(mouse[i], "mouse 512 " + std::to_string(10 + i) + " 11 0 00000");
}

TEST_F(Input, WithoutRemoveTheSameClickComesBackUntilTaken) {
    open(400, 300, 0);
    point_at(3, 4);
    ASSERT_TRUE(tool("click 1"));
    EXPECT_EQ(demo.ask("settle"), "settled");
    EXPECT_EQ(demo.ask(peek(1, false)), "mouse 513 3 4 0 00100");
    EXPECT_EQ(demo.ask(peek(1, false)), "mouse 513 3 4 0 00100");
    EXPECT_EQ(demo.ask(peek(1, true)), "mouse 513 3 4 0 00100");
    EXPECT_EQ(demo.ask(peek(1, true)), "mouse 514 3 4 0 00000");
}

TEST_F(Input, FilterZeroDiscardsEverythingQueued) {
    open(400, 300, 0);
    point_at(3, 4);
    ASSERT_TRUE(tool("click 1 click 3"));
    EXPECT_EQ(demo.ask("settle"), "settled");
    EXPECT_EQ(demo.ask(peek(0)), "none");
    EXPECT_EQ(demo.ask("count"), "queued 0");
}

TEST_F(Input, ClickOnTheFirstWindowIsDeliveredAfterTheSecondOpened) {
    open(400, 300, 0);
    point_at(30, 40);
    ASSERT_TRUE(tool("click 1"));
    EXPECT_EQ(demo.ask("settle"), "settled");
    EXPECT_EQ(demo.ask("close"), "closed");
    open(200, 100, 0);
    EXPECT_EQ(demo.ask(peek(1)), "mouse 513 30 40 0 00100");
}

TEST_F(Input, DoubleClicksAreReportedWhenTheFirstWindowAskedForThem) {
    open(400, 300, 8);
    point_at(20, 20);
    ASSERT_TRUE(tool("click --repeat 2 --delay 60 1"));
    EXPECT_EQ(take_all(1), (std::vector<std::string>{"mouse 513 20 20 0 00100", "mouse 514 20 20 0 00000",
                                                     "mouse 515 20 20 0 00100", "mouse 514 20 20 0 00000"}));
    demo.ask("close");
    open(400, 300, 0);
    point_at(20, 20);
    ASSERT_TRUE(tool("click --repeat 2 --delay 60 1"));
    EXPECT_EQ(take_all(1)[2], "mouse 515 20 20 0 00100");
}

TEST_F(Input, DoubleClickIsTwoPlainClicksOtherwise) {
    open(400, 300, 0);
    point_at(20, 20);
    ASSERT_TRUE(tool("click --repeat 2 --delay 60 1"));
    EXPECT_EQ(take_all(1), (std::vector<std::string>{"mouse 513 20 20 0 00100", "mouse 514 20 20 0 00000",
                                                     "mouse 513 20 20 0 00100", "mouse 514 20 20 0 00000"}));
}

TEST_F(Input, ShownAndMovedWindowQueuesWindowMessages) {
    open(400, 300, 0);
    const std::vector<std::string> shown = take_all(8);
    EXPECT_NE(std::find(shown.begin(), shown.end(), "window 6 1 0"), shown.end());
    ASSERT_TRUE(tool("windowmove --sync " + std::to_string(window) + " 50 60"));
    EXPECT_EQ(take_all(8), (std::vector<std::string>{"window 3 0 " + std::to_string(50 + (60 << 16))}));
}
