#pragma once
// Real clients on a private X display against the real server: the test
// starts them, finds their windows by process, clicks with xdotool and
// compares captures of the windows with the game's pictures.

#include "board.h"
#include "child_process.h"
#include "game_view.h"
#include "server_process.h"
#include "x_display.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

// Window coordinates of a square's top-left corner and of a point inside it.
int corner_x(int column);
int corner_y(int row);

// Calls `condition` until it holds or `limit_seconds` pass; true if it held.
bool wait_until(const std::function<bool()>& condition, int limit_seconds = 30);

// One of the game's pictures from thirdparty/, read once.
const support::Capture& picture(const std::string& name);

// True when `shot` holds `expected` with its top-left corner at (x, y).
bool shows_picture(const support::Capture& shot, int x, int y, const support::Capture& expected);

// The pixels of square [column][row] of a board window's capture, all of them
// or only the 4-pixel margin a piece leaves of its background.
std::vector<std::uint32_t> square_pixels(const support::Capture& shot, int column, int row);
std::vector<std::uint32_t> square_margin(const support::Capture& shot, int column, int row);

class GameHarness {
public:
    // `server_options` go to the real server (--referee for a refereed game).
    explicit GameHarness(const std::vector<std::string>& server_options = {});

    // Starts a client in `folder`, by default one level below the repository,
    // as players run it, so that it finds ../thirdparty.
    // `launcher` goes before the program (to run it in a network namespace),
    // `options` after it.
    support::ChildProcess& start_client(const std::vector<std::string>& launcher = {},
                               const std::vector<std::string>& options = {},
                               const std::string& folder = std::string(SOURCE_ROOT) + "/tests");
    // Starts a client and waits until the server has numbered it.
    support::ChildProcess& start_player(int number);

    // The visible window of `client` whose client area is width x height;
    // 0 if none appears in time.
    unsigned long window_of(support::ChildProcess& client, int width, int height);
    unsigned long board_window(support::ChildProcess& client) { return window_of(client, 360, 904); }
    unsigned long lobby_window(support::ChildProcess& client) { return window_of(client, 800, 500); }

    // What the client's windows and outputs look like, for a failure message.
    std::string describe(support::ChildProcess& client);

    void move_window(unsigned long window, int x, int y);
    void click(unsigned long window, int x, int y);
    void click_square(unsigned long window, int column, int row);
    support::Capture capture(unsigned long window);

    // The board the server relays, loaded into `board`.
    bool load_server_board();
    // A board text loaded into `board`; false, and `board` kept, for no board.
    bool load_board(const std::string& text);
    const std::string& display() const { return display_.name(); }
    support::ServerProcess& server() { return *server_; }
    // A fresh server with the same options, and with it a new game.
    void restart_server();

    // The board the test last loaded, every kind shown.
    core::Board board;

private:
    support::XDisplay display_{60, 67};
    std::vector<std::string> server_options_;
    std::optional<support::ServerProcess> server_;
    std::vector<std::unique_ptr<support::ChildProcess>> clients_;
};

// Player `player`'s whole view as the board window must show it after a
// redraw: own kinds face up, opposing pieces face down, empty squares plain;
// the squares of a refereed game's last move (`marked`) on their marks.
bool shows_board_for(const support::Capture& shot, const core::Board& board, int player,
                     const std::optional<core::LastMove>& marked = std::nullopt);

// A board window's capture with the selected-square picture's frame around
// the piece of square [column][row].
bool shows_selection(const support::Capture& shot, int column, int row);

// Each seat's own pieces, kinds and all, from the two seats' views.
core::Board true_board_of(const core::GameView& first, const core::GameView& second);
