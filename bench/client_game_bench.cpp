// Two real clients on the X display in DISPLAY against the real server,
// played like a person would: clicks through XTest, the screen read back with
// XGetImage. It prints how long a click takes to show its highlight and how
// much memory the clients hold in the lobby, on the board and at the end, then
// plays a whole game so that a capture of port 8089 around this program holds
// the turn hand-offs. The driver's own requests carry the User-Agent
// "client_game_bench", so that capture can leave them out.
// Usage: client_game_bench [PAIRS]  (PAIRS select-and-deselect clicks, 0 for none)

#include "child_process.h"
#include "move_planner.h"
#include "x_display.h"

#include "board.h"
#include "game_constants.h"
#include "layout.h"
#include "rules.h"

// Xlib's macros (Status, None, Success) would break httplib.h after them.
#include <httplib.h>
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace core;
using namespace client;
using namespace support;

namespace {

// The board the driver follows, every kind shown.
Board board;

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

Display* x_display = nullptr;

std::string driver_get(const std::string& path) {
    httplib::Client client(default_host, default_port);
    auto result = client.Get(path, {{"User-Agent", "client_game_bench"}});
    return result && result->status == 200 ? result->body : std::string();
}

bool wait_for(const std::function<bool()>& condition, std::chrono::milliseconds limit,
              std::chrono::microseconds pause = 20ms) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(pause);
    }
    return condition();
}

const Capture& picture(const std::string& name) {
    static std::vector<std::pair<std::string, std::unique_ptr<Capture>>> pictures;
    for (const auto& [known, capture] : pictures) {
        if (known == name) return *capture;
    }
    auto capture = std::make_unique<Capture>(read_picture(std::string(SOURCE_ROOT) + "/thirdparty/" + name));
    pictures.emplace_back(name, std::move(capture));
    return *pictures.back().second;
}

unsigned long property_of(Window window, const char* name) {
    const Atom atom = XInternAtom(x_display, name, True);
    if (atom == None) return 0;
    Atom type = None;
    int format = 0;
    unsigned long items = 0, left = 0;
    unsigned char* data = nullptr;
    unsigned long value = 0;
    if (XGetWindowProperty(x_display, window, atom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &left,
                           &data) == Success &&
        data != nullptr) {
        if (items == 1 && format == 32) value = *reinterpret_cast<unsigned long*>(data);
        XFree(data);
    }
    return value;
}

// The visible top-level window of process `pid` whose client area is
// width x height; 0 if there is none yet.
Window window_now(pid_t pid, int width, int height) {
    Window root_return = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (!XQueryTree(x_display, DefaultRootWindow(x_display), &root_return, &parent, &children, &count)) return 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(x_display, children[i], &attributes)) continue;
        if (attributes.map_state == IsViewable && attributes.width == width && attributes.height == height &&
            property_of(children[i], "_NET_WM_PID") == static_cast<unsigned long>(pid)) {
            found = children[i];
        }
    }
    if (children) XFree(children);
    return found;
}

Window wait_for_window(pid_t pid, int width, int height) {
    Window window = 0;
    wait_for([&] { return (window = window_now(pid, width, height)) != 0; }, 20s);
    return window;
}

// True when the window's pixels from (x, y) show the picture's pixels from
// (picture_x, picture_y), over width x height.
bool shows(Window window, int x, int y, int width, int height, const Capture& expected, int picture_x = 0,
           int picture_y = 0) {
    XImage* image = XGetImage(x_display, window, x, y, width, height, AllPlanes, ZPixmap);
    if (!image) return false;
    bool same = true;
    for (int row = 0; row < height && same; ++row) {
        for (int column = 0; column < width && same; ++column) {
            same = (XGetPixel(image, column, row) & 0xFFFFFF) == expected.at(picture_x + column, picture_y + row);
        }
    }
    XDestroyImage(image);
    return same;
}

bool marker_shows(Window window, int mover) {
    return shows(window, 252, 0, 108, 144, picture(mover == 1 ? "w1.png" : "w2.png"));
}

// The frame of a square is its outer 4 pixels; the top band of it is enough to
// tell the selected background from the plain one.
bool square_top_shows(Window window, int column, int row, const char* background) {
    return shows(window, square_x(column), square_y(row), square_size, piece_inset, picture(background));
}

// Moves the pointer first and waits for the server to take it, so the time
// that follows is the click's alone; returns when the press was sent.
Clock::time_point click(Window window, int x, int y) {
    int root_x = 0, root_y = 0;
    Window child = 0;
    XTranslateCoordinates(x_display, window, DefaultRootWindow(x_display), x, y, &root_x, &root_y, &child);
    XTestFakeMotionEvent(x_display, -1, root_x, root_y, CurrentTime);
    XSync(x_display, False);
    const auto sent = Clock::now();
    XTestFakeButtonEvent(x_display, 1, True, CurrentTime);
    XTestFakeButtonEvent(x_display, 1, False, CurrentTime);
    XFlush(x_display);
    return sent;
}

Clock::time_point click_square(Window window, int column, int row) {
    return click(window, square_x(column) + square_size / 2, square_y(row) + square_size / 2);
}

struct Memory {
    long rss_kb = -1;
    long hwm_kb = -1;
};

// The kernel brings VmHWM up to date only when memory is unmapped, so right
// after the lobby window closes it may read below the lobby's VmRSS.
Memory memory_of(pid_t pid) {
    Memory memory;
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") status >> memory.rss_kb;
        else if (key == "VmHWM:") status >> memory.hwm_kb;
        std::string rest;
        std::getline(status, rest);
    }
    return memory;
}

void print_memory(const char* phase, int player, pid_t pid) {
    const Memory memory = memory_of(pid);
    std::printf("memory %-8s player %d  VmRSS %7ld kB  VmHWM %7ld kB\n", phase, player, memory.rss_kb,
                memory.hwm_kb);
}

void print_latency(const char* what, std::vector<double> ms) {
    if (ms.empty()) {
        std::printf("%s: no samples\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-32s n %3zu  median %7.1f ms  p90 %7.1f ms  max %7.1f ms\n", what, ms.size(), ms[ms.size() / 2],
                ms[ms.size() * 9 / 10], ms.back());
}

double ms_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "client_game_bench: %s\n", why.c_str());
    std::exit(1);
}

std::unique_ptr<ChildProcess> start_client() {
    return std::make_unique<ChildProcess>(
        CLIENT_PATH, std::vector<std::string>{}, std::string(SOURCE_ROOT) + "/bench",
        std::map<std::string, std::string>{{"DISPLAY", DisplayString(x_display)}, {"SDL_VIDEODRIVER", "x11"}});
}

// Selects an own piece of player 1 and takes it back, `pairs` times, timing
// each click until its square changes on screen. After each click the client
// sleeps half a second, so the next one waits that out.
void time_selection_clicks(Window window, int pairs) {
    int column = -1, row = -1;
    for (int c = 0; c < board_columns && column < 0; ++c) {
        for (int r = 0; r < half_rows && column < 0; ++r) {
            if (board[c][r].owner == 1) column = c, row = r;
        }
    }
    if (column < 0) fail("player 1 has no piece");
    std::vector<double> select_ms, deselect_ms;
    for (int i = 0; i < 2 * pairs; ++i) {
        const bool selecting = i % 2 == 0;
        const char* background = selecting ? "xz.png" : "gz.png";
        const auto sent = click_square(window, column, row);
        if (!wait_for([&] { return square_top_shows(window, column, row, background); }, 5s, 200us)) {
            fail("click " + std::to_string(i + 1) + " never showed on screen");
        }
        (selecting ? select_ms : deselect_ms).push_back(ms_since(sent));
        std::this_thread::sleep_for(650ms);
    }
    print_latency("click to highlight on screen", select_ms);
    print_latency("click to highlight gone", deselect_ms);
}

// The same choice of moves as the end-to-end game: player 1 runs for the far
// row and player 2 keeps out of its way. The board is followed here with the
// game's own rules, so no request of the driver falls inside the game.
int play_game(Window window[3]) {
    int mover = 1;
    for (int moves = 1; moves <= 200; ++moves) {
        if (!wait_for([&] { return marker_shows(window[mover], mover); }, 30s, 2ms)) {
            fail("player " + std::to_string(mover) + "'s turn never showed");
        }
        std::optional<Move> step = planned_step(board, mover, 1);
        if (!step) fail("player " + std::to_string(mover) + " has no legal move");
        click_square(window[mover], step->from_column, step->from_row);
        if (!wait_for([&] { return square_top_shows(window[mover], step->from_column, step->from_row, "xz.png"); },
                      5s, 2ms)) {
            fail("the selection of move " + std::to_string(moves) + " never showed");
        }
        click_square(window[mover], step->to_column, step->to_row);
        if (make_move(board, mover, step->from_column, step->from_row, step->to_column, step->to_row) ==
            MoveResult::far_row_win) {
            std::printf("game: player %d reached the far row in move %d\n", mover, moves);
            return mover;
        }
        mover = opponent_of(mover);
    }
    fail("no winner after 200 moves");
}

}  // namespace

int main(int argc, char** argv) {
    const int pairs = argc > 1 ? std::max(0, std::atoi(argv[1])) : 20;
    x_display = XOpenDisplay(nullptr);
    if (!x_display) fail("no X display (is DISPLAY set?)");
    int event_base = 0, error_base = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(x_display, &event_base, &error_base, &major, &minor)) fail("no XTest on the display");

    std::unique_ptr<ChildProcess> player[3];
    Window window[3] = {};
    player[1] = start_client();
    if (!wait_for([] { return driver_get("/start") == "1"; }, 20s)) fail("player 1 did not join");
    if (!wait_for_window(player[1]->pid(), 800, 500)) fail("no lobby window");
    std::this_thread::sleep_for(1s);
    print_memory("lobby", 1, player[1]->pid());

    player[2] = start_client();
    for (int p : {1, 2}) {
        window[p] = wait_for_window(player[p]->pid(), board_window_width, board_window_height);
        if (!window[p]) fail("no board window for player " + std::to_string(p));
        XMoveWindow(x_display, window[p], p == 1 ? 0 : 400, 0);
    }
    XSync(x_display, False);
    for (int p : {1, 2}) {
        if (!wait_for([&] { return marker_shows(window[p], 1); }, 20s)) {
            fail("player " + std::to_string(p) + "'s board never showed");
        }
    }
    std::optional<Board> relayed = board_from_text(driver_get("/what"));
    if (!relayed) fail("the server holds no board");
    board = *relayed;
    std::this_thread::sleep_for(1s);
    for (int p : {1, 2}) print_memory("board", p, player[p]->pid());

    if (pairs > 0) time_selection_clicks(window[1], pairs);

    const int winner = play_game(window);
    const char* end_picture = winner == 1 ? "1.png" : "2.png";
    for (int p : {1, 2}) {
        if (!wait_for([&] { return shows(window[p], 0, 0, 64, 64, picture(end_picture)); }, 10s)) {
            fail("player " + std::to_string(p) + " does not show the end picture");
        }
    }
    for (int p : {1, 2}) print_memory("end", p, player[p]->pid());
    for (int p : {1, 2}) {
        if (player[p]->wait_for_exit(30s) != 0) fail("player " + std::to_string(p) + " did not end with 0");
    }
    XCloseDisplay(x_display);
    return 0;
}
