#include "game_harness.h"

#include "board.h"
#include "layout.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

using namespace core;
using namespace client;
using namespace support;

int corner_x(int column) { return square_x(column); }
int corner_y(int row) { return square_y(row); }

bool wait_until(const std::function<bool()>& condition, int limit_seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limit_seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
}

const Capture& picture(const std::string& name) {
    static std::map<std::string, Capture> pictures;
    auto found = pictures.find(name);
    if (found == pictures.end()) {
        found = pictures.emplace(name, read_picture(std::string(SOURCE_ROOT) + "/thirdparty/" + name)).first;
    }
    return found->second;
}

bool shows_picture(const Capture& shot, int x, int y, const Capture& expected) {
    if (expected.width == 0 || x + expected.width > shot.width || y + expected.height > shot.height) {
        return false;
    }
    for (int row = 0; row < expected.height; ++row) {
        for (int column = 0; column < expected.width; ++column) {
            if (shot.at(x + column, y + row) != expected.at(column, row)) return false;
        }
    }
    return true;
}

std::vector<std::uint32_t> square_pixels(const Capture& shot, int column, int row) {
    std::vector<std::uint32_t> pixels;
    for (int dy = 0; dy < square_size; ++dy) {
        for (int dx = 0; dx < square_size; ++dx) {
            pixels.push_back(shot.at(corner_x(column) + dx, corner_y(row) + dy));
        }
    }
    return pixels;
}

namespace {

// The 4-pixel margin of the 72 x 72 square whose top-left corner is (x, y).
std::vector<std::uint32_t> margin_at(const Capture& shot, int x, int y) {
    std::vector<std::uint32_t> pixels;
    for (int dy = 0; dy < square_size; ++dy) {
        for (int dx = 0; dx < square_size; ++dx) {
            const bool margin = dx < piece_inset || dx >= square_size - piece_inset || dy < piece_inset ||
                                dy >= square_size - piece_inset;
            if (margin) pixels.push_back(shot.at(x + dx, y + dy));
        }
    }
    return pixels;
}

const char* outcome_name(MoveOutcome outcome) {
    if (outcome == MoveOutcome::step) return "step";
    return outcome == MoveOutcome::won ? "won" : "lost";
}

}  // namespace

std::vector<std::uint32_t> square_margin(const Capture& shot, int column, int row) {
    return margin_at(shot, corner_x(column), corner_y(row));
}

bool shows_board_for(const Capture& shot, const Board& board, int player, const std::optional<LastMove>& marked) {
    if (!shows_picture(shot, 0, 0, picture("exit.png"))) return false;
    if (!shows_picture(shot, 144, 0, picture(player == 1 ? "y1.png" : "y2.png"))) return false;
    if (!shows_picture(shot, 0, river_y, picture("hj.png"))) return false;
    const char* kinds[] = {"st.png", "jd.png", "b.png"};
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            const Cell& cell = board[column][row];
            const int x = corner_x(column);
            const int y = corner_y(row);
            std::string background = "gz.png";
            if (marked && column == marked->move.from_column && row == marked->move.from_row) {
                background = std::string("from_") + outcome_name(marked->outcome) + ".png";
            } else if (marked && column == marked->move.to_column && row == marked->move.to_row) {
                background = std::string("to_") + outcome_name(marked->outcome) + ".png";
            }
            if (margin_at(shot, x, y) != margin_at(picture(background), 0, 0)) return false;
            // A marked empty square may carry a lost piece's badge inside its margin.
            if (cell.owner == 0 && background == "gz.png" && !shows_picture(shot, x, y, picture(background))) {
                return false;
            }
            if (cell.owner == 0) continue;
            const Capture& piece = cell.owner == player ? picture(kinds[cell.kind]) : picture("wh.png");
            if (!shows_picture(shot, x + piece_inset, y + piece_inset, piece)) return false;
        }
    }
    return true;
}

bool shows_selection(const Capture& shot, int column, int row) {
    if (shot.width != board_window_width || shot.height != board_window_height) return false;
    const Capture& frame = picture("xz.png");
    for (int dy = 0; dy < square_size; ++dy) {
        for (int dx = 0; dx < square_size; ++dx) {
            const bool border = dx < piece_inset || dx >= square_size - piece_inset || dy < piece_inset ||
                                dy >= square_size - piece_inset;
            if (border && shot.at(corner_x(column) + dx, corner_y(row) + dy) != frame.at(dx, dy)) return false;
        }
    }
    return true;
}

Board true_board_of(const GameView& first, const GameView& second) {
    Board truth;
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            const Cell& one = first.board[column][row];
            const Cell& two = second.board[column][row];
            truth[column][row] = one.owner == 1 ? one : two.owner == 2 ? two : Cell{};
        }
    }
    return truth;
}

GameHarness::GameHarness(const std::vector<std::string>& server_options)
    : server_options_(server_options), server_(std::in_place, server_options) {
    if (display_.name().empty()) ADD_FAILURE() << "no Xvfb display could be started";
}

void GameHarness::restart_server() {
    server_.reset();
    server_.emplace(server_options_);
}

ChildProcess& GameHarness::start_client(const std::vector<std::string>& launcher,
                                        const std::vector<std::string>& options, const std::string& folder) {
    std::vector<std::string> words = launcher;
    words.push_back(CLIENT_PATH);
    words.insert(words.end(), options.begin(), options.end());
    clients_.push_back(std::make_unique<ChildProcess>(
        words[0], std::vector<std::string>(words.begin() + 1, words.end()), folder,
        std::map<std::string, std::string>{{"DISPLAY", display_.name()}, {"SDL_VIDEODRIVER", "x11"}}));
    return *clients_.back();
}

ChildProcess& GameHarness::start_player(int number) {
    ChildProcess& client = start_client();
    const bool numbered = wait_until([&] { return get("/start").body == std::to_string(number); });
    if (!numbered) ADD_FAILURE() << "player " << number << " did not join: " << client.standard_error();
    return client;
}

unsigned long GameHarness::window_of(ChildProcess& client, int width, int height) {
    unsigned long found = 0;
    wait_until([&] {
        const CommandResult ids = run_command("DISPLAY=" + display_.name() +
                                              " xdotool search --onlyvisible --pid " +
                                              std::to_string(client.pid()) + " 2>/dev/null");
        std::istringstream words(ids.output);
        unsigned long window = 0;
        while (words >> window) {
            const Geometry geometry = window_geometry(display_.name(), window);
            if (geometry.viewable && geometry.width == width && geometry.height == height) {
                found = window;
                return true;
            }
        }
        return false;
    });
    return found;
}

std::string GameHarness::describe(ChildProcess& client) {
    std::string text = client.running() ? "running" : "exited";
    const CommandResult ids = run_command("DISPLAY=" + display_.name() + " xdotool search --pid " +
                                          std::to_string(client.pid()) + " 2>&1");
    std::istringstream words(ids.output);
    unsigned long window = 0;
    while (words >> window) {
        const Geometry geometry = window_geometry(display_.name(), window);
        text += "; window " + std::to_string(window) + " " + std::to_string(geometry.width) + "x" +
                std::to_string(geometry.height) + (geometry.viewable ? " viewable" : " not viewable");
    }
    return text + "; stderr: " + client.standard_error() + "; server: /start " + get("/start").body;
}

void GameHarness::move_window(unsigned long window, int x, int y) {
    xdotool(display_.name(), "windowmove " + std::to_string(window) + " " + std::to_string(x) + " " +
                                 std::to_string(y));
}

void GameHarness::click(unsigned long window, int x, int y) {
    xdotool(display_.name(), "mousemove --window " + std::to_string(window) + " " + std::to_string(x) + " " +
                                 std::to_string(y) + " click 1");
}

void GameHarness::click_square(unsigned long window, int column, int row) {
    click(window, corner_x(column) + 36, corner_y(row) + 36);
}

Capture GameHarness::capture(unsigned long window) { return capture_window(display_.name(), window); }

bool GameHarness::load_server_board() { return load_board(get("/what").body); }

bool GameHarness::load_board(const std::string& text) {
    std::optional<Board> loaded = board_from_text(text);
    if (loaded) board = *loaded;
    return loaded.has_value();
}
