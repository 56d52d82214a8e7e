// How the demo program ends: signals and the close control, while its main
// thread is blocked as the game's is in a request or a sleep.

#include "demo_process.h"
#include "x_display.h"

#include <signal.h>

#include <gtest/gtest.h>

using namespace support;

namespace {

class Ending : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(x.name().empty()) << "no X server"; }

    XDisplay x;
    DemoProcess demo{x.name()};

    bool request_close(unsigned long window) {
        return run_command("DISPLAY=" + x.name() + " " CLOSE_REQUEST_PATH " " + std::to_string(window)).status == 0;
    }

    // The exit status once the demo has ended; the main thread must not have
    // woken from its sleep first.
    void expect_clean_end_during_sleep() {
        const std::optional<int> status = demo.process().wait_for_exit(std::chrono::seconds(8));
        ASSERT_TRUE(status.has_value()) << "still running";
        EXPECT_EQ(*status, 0);
        EXPECT_EQ(demo.process().standard_output().find("slept"), std::string::npos);
        EXPECT_EQ(demo.process().standard_error(), "");
    }
};

}  // namespace

TEST_F(Ending, SigtermWhileTheMainThreadSleepsEndsWithStatusZero) {
    demo.open(300, 200, 6);
    ASSERT_EQ(demo.ask("sleep 10000"), "sleeping");
    demo.process().send_signal(SIGTERM);
    expect_clean_end_during_sleep();
}

TEST_F(Ending, SigintWhileTheMainThreadSleepsEndsWithStatusZero) {
    demo.open(300, 200, 0);
    ASSERT_EQ(demo.ask("sleep 10000"), "sleeping");
    demo.process().send_signal(SIGINT);
    expect_clean_end_during_sleep();
}

TEST_F(Ending, SigtermAfterTheWindowClosedStillEndsWithStatusZero) {
    demo.open(300, 200, 0);
    demo.ask("close");
    ASSERT_EQ(demo.ask("sleep 10000"), "sleeping");
    demo.process().send_signal(SIGTERM);
    expect_clean_end_during_sleep();
}

TEST_F(Ending, CloseControlEndsTheProgramWithStatusZero) {
    const unsigned long window = demo.open(300, 200, 0);
    ASSERT_EQ(demo.ask("sleep 10000"), "sleeping");
    ASSERT_TRUE(request_close(window));
    expect_clean_end_during_sleep();
}

TEST_F(Ending, CloseControlDoesNothingUnderNoCloseNorInTheLaterWindow) {
    const unsigned long lobby = demo.open(300, 200, 2);
    ASSERT_TRUE(request_close(lobby));
    EXPECT_EQ(demo.ask("settle"), "settled");
    EXPECT_TRUE(demo.process().running());
    EXPECT_TRUE(window_geometry(x.name(), lobby).viewable);

    demo.ask("close");
    const unsigned long board = demo.open(200, 300, 0);
    ASSERT_TRUE(request_close(board));
    EXPECT_EQ(demo.ask("settle"), "settled");
    EXPECT_TRUE(demo.process().running());
    EXPECT_TRUE(window_geometry(x.name(), board).viewable);
}
