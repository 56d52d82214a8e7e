// The input queue and peek_message, fed directly as the window thread feeds it.

#include "graph_wnd.h"
#include "image.h"
#include "input.h"
#include "library.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace {

InputMessage mouse(std::uint16_t id, int x, int y) {
    InputMessage message{};
    message.message = id;
    message.x = static_cast<std::int16_t>(x);
    message.y = static_cast<std::int16_t>(y);
    return message;
}

InputMessage key(std::uint8_t code) {
    InputMessage message{};
    message.message = WM_KEYDOWN;
    message.key_code = code;
    return message;
}

InputMessage typed(char character) {
    InputMessage message{};
    message.message = WM_CHAR;
    message.character = static_cast<std::uint8_t>(character);
    return message;
}

class Queue : public ::testing::Test {
protected:
    IMAGE keeps_the_library_running;
    GraphWnd& window = *window_object();

    void queue(const InputMessage& message) { queue_message(window, message); }
};

}  // namespace

TEST(QueueCategories, EachIdHasItsCategory) {
    EXPECT_EQ(message_category(WM_MOUSEMOVE), MESSAGE_FILTER_MOUSE);
    EXPECT_EQ(message_category(WM_LBUTTONDOWN), MESSAGE_FILTER_MOUSE);
    EXPECT_EQ(message_category(WM_MOUSEWHEEL), MESSAGE_FILTER_MOUSE);
    EXPECT_EQ(message_category(WM_KEYUP), MESSAGE_FILTER_KEY);
    EXPECT_EQ(message_category(WM_CHAR), MESSAGE_FILTER_CHAR);
    EXPECT_EQ(message_category(WM_ACTIVATE), MESSAGE_FILTER_WINDOW);
    EXPECT_EQ(message_category(0x020B), 0);
    EXPECT_EQ(message_category(0x0104), 0);
}

TEST(QueueLayout, RecordKeepsItsNaturalLayout) {
    EXPECT_EQ(WM_LBUTTONDOWN, 0x0201);
    EXPECT_EQ(offsetof(InputMessage, message), 0u);
    EXPECT_EQ(offsetof(InputMessage, x) + 2, offsetof(InputMessage, y));
    EXPECT_EQ(offsetof(InputMessage, wparam) + 8, offsetof(InputMessage, lparam));
}

TEST(QueueWithoutLibrary, PeekFindsNothing) {
    ASSERT_EQ(window_object(), nullptr);
    InputMessage record{};
    EXPECT_FALSE(peek_message(&record, MESSAGE_FILTER_ALL, true));
}

TEST_F(Queue, EmptyQueueReturnsFalseAndLeavesTheRecordAlone) {
    InputMessage record;
    std::memset(&record, 0xA5, sizeof record);
    InputMessage before = record;
    EXPECT_FALSE(peek_message(&record, MESSAGE_FILTER_MOUSE, true));
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
}

TEST_F(Queue, SeventyMovesKeepTheFirstSixtyThreeInOrder) {
    for (int i = 0; i < 70; ++i) queue(mouse(WM_MOUSEMOVE, i, 2 * i));
    queue(mouse(WM_LBUTTONDOWN, 5, 5));
    EXPECT_EQ(queued_message_count(window), 63);
    InputMessage record{};
    for (int i = 0; i < 63; ++i) {
        ASSERT_TRUE(peek_message(&record, MESSAGE_FILTER_MOUSE, true));
        EXPECT_EQ(record.message, WM_MOUSEMOVE);
        EXPECT_EQ(record.x, i);
        EXPECT_EQ(record.y, 2 * i);
    }
    EXPECT_FALSE(peek_message(&record, MESSAGE_FILTER_MOUSE, true));
}

TEST_F(Queue, RingWrapsAroundItsSixtyFourSlots) {
    InputMessage record{};
    for (int round = 0; round < 5; ++round) {
        for (int i = 0; i < 50; ++i) queue(mouse(WM_MOUSEMOVE, round * 100 + i, 0));
        for (int i = 0; i < 50; ++i) {
            ASSERT_TRUE(peek_message(&record, MESSAGE_FILTER_ALL, true));
            EXPECT_EQ(record.x, round * 100 + i);
        }
    }
    EXPECT_EQ(window.queue_indices & ~0xFFFu, 0u);
}

TEST_F(Queue, MouseFilterSkipsAndLosesTheKeysBeforeTheClick) {
    queue(key('A'));
    queue(typed('a'));
    queue(mouse(WM_LBUTTONDOWN, 100, 200));
    queue(key('B'));
    InputMessage record{};
    ASSERT_TRUE(peek_message(&record, MESSAGE_FILTER_MOUSE, true));
    EXPECT_EQ(record.message, WM_LBUTTONDOWN);
    EXPECT_EQ(record.x, 100);
    ASSERT_TRUE(peek_message(&record, MESSAGE_FILTER_KEY | MESSAGE_FILTER_CHAR, true));
    EXPECT_EQ(record.key_code, 'B');
    EXPECT_FALSE(peek_message(&record, MESSAGE_FILTER_ALL, true));
}

TEST_F(Queue, WithoutRemoveTheSameMessageComesBack) {
    queue(mouse(WM_LBUTTONDOWN, 1, 2));
    queue(mouse(WM_LBUTTONUP, 1, 2));
    InputMessage record{};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(peek_message(&record, MESSAGE_FILTER_MOUSE, false));
        EXPECT_EQ(record.message, WM_LBUTTONDOWN);
    }
    ASSERT_TRUE(peek_message(&record, MESSAGE_FILTER_MOUSE, true));
    EXPECT_EQ(record.message, WM_LBUTTONDOWN);
    ASSERT_TRUE(peek_message(&record, MESSAGE_FILTER_MOUSE, true));
    EXPECT_EQ(record.message, WM_LBUTTONUP);
}

TEST_F(Queue, FilterZeroDiscardsEverything) {
    queue(key('A'));
    queue(mouse(WM_MOUSEMOVE, 1, 1));
    InputMessage record{};
    EXPECT_FALSE(peek_message(&record, 0, true));
    EXPECT_EQ(queued_message_count(window), 0);
}

TEST_F(Queue, FullFilterReturnsTheOldestOfAnyCategory) {
    queue(typed('x'));
    queue(mouse(WM_MOUSEMOVE, 1, 1));
    InputMessage record{};
    ASSERT_TRUE(peek_message(&record, MESSAGE_FILTER_ALL, true));
    EXPECT_EQ(record.message, WM_CHAR);
    EXPECT_EQ(record.character, 'x');
}

TEST_F(Queue, NoRecordWithRemoveDiscardsTheHead) {
    queue(mouse(WM_LBUTTONDOWN, 1, 1));
    queue(mouse(WM_LBUTTONUP, 1, 1));
    EXPECT_TRUE(peek_message(nullptr, MESSAGE_FILTER_MOUSE, true));
    InputMessage record{};
    ASSERT_TRUE(peek_message(&record, MESSAGE_FILTER_MOUSE, true));
    EXPECT_EQ(record.message, WM_LBUTTONUP);
}

TEST_F(Queue, MessagesWithoutACategoryAreNotQueued) {
    InputMessage message{};
    message.message = 0x0104;
    queue(message);
    EXPECT_EQ(queued_message_count(window), 0);
}

// A producer thread stands for the window thread: every message taken arrives
// once and in order, and nothing is taken that was not queued.
TEST_F(Queue, ProducerAndConsumerThreadsShareTheQueue) {
    constexpr int total = 20000;
    std::thread producer([&] {
        for (int i = 0; i < total; ++i) {
            while (queued_message_count(window) == 63) std::this_thread::yield();
            queue(mouse(WM_MOUSEMOVE, i % 30000, i / 30000));
        }
    });
    int expected = 0;
    InputMessage record{};
    while (expected < total) {
        if (peek_message(&record, MESSAGE_FILTER_MOUSE, true)) {
            ASSERT_EQ(record.x, expected % 30000);
            ++expected;
        }
    }
    producer.join();
    EXPECT_FALSE(peek_message(&record, MESSAGE_FILTER_MOUSE, true));
}
