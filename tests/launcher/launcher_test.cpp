// The rock-scissors-paper program as players start it: real servers, bots and
// windows on a private X display, its state in a folder of the test's own.

#include "child_process.h"
#include "network_pair.h"
#include "x_display.h"

#include "game_client.h"
#include "game_constants.h"
#include "layout.h"
#include "menu_layout.h"
#include "referee_requests.h"
#include "server_address.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <thread>

using namespace core;
using namespace client;
using namespace support;

namespace {

namespace fs = std::filesystem;

bool ends_with(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool wait_until(const std::function<bool()>& condition, int limit_seconds = 30) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limit_seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return condition();
}

// The seat kept in a seat file, once its program has written it: a window
// shows, and the server hands the seat out, before the seat is kept.
std::optional<Seat> kept_seat(const std::string& path) {
    std::optional<Seat> seat;
    wait_until([&] { return (seat = seat_from_text(read_file(path))).has_value(); });
    return seat;
}

// The key a hosting launcher says it drew, as the form a player types it in;
// empty until it has said one.
std::string drawn_key(const std::string& said) {
    const std::size_t at = said.find("with the key ");
    if (at == std::string::npos || said.size() < at + 13 + 14) return "";
    const std::string key = said.substr(at + 13, 14);
    for (std::size_t i = 0; i < key.size(); ++i) {
        const bool dash = i == 4 || i == 9;
        if (dash != (key[i] == '-') || (!dash && !std::isupper(key[i]) && !std::isdigit(key[i]))) return "";
    }
    return key;
}

// The processes of the machine whose command line holds `text`, as
// "/proc/PID: COMMAND LINE".
std::vector<std::string> command_lines_holding(const std::string& text) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::string line = read_file(entry.path() / "cmdline");
        std::replace(line.begin(), line.end(), '\0', ' ');
        if (line.find(text) != std::string::npos) found.push_back(entry.path().string() + ": " + line);
    }
    return found;
}

pid_t pid_of(const std::string& command_line) { return std::stoi(command_line.substr(6)); }

// A folder of the test's own, and the launcher's state folder in it when
// XDG_STATE_HOME names that folder.
struct Scratch {
    std::string root;
    Scratch() : root("/tmp/launcher-test-XXXXXX") {
        if (mkdtemp(root.data()) == nullptr) root.clear();
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    std::string state() const { return root + "/state/rock-scissors-paper"; }
    std::map<std::string, std::string> environment(const std::string& display) const {
        return {{"DISPLAY", display}, {"SDL_VIDEODRIVER", "x11"}, {"XDG_STATE_HOME", root + "/state"}};
    }
};

// A checkout in `root` whose dependencies and build are done: scripts/play
// beside this build's programs.
void checkout_beside_this_build(const std::string& root) {
    fs::create_directories(root + "/scripts");
    fs::copy_file(std::string(SOURCE_ROOT) + "/scripts/play", root + "/scripts/play");
    for (const char* done : {"install-deps", "build"}) {
        std::ofstream(root + "/scripts/" + done) << "#!/bin/sh\nexit 0\n";
        fs::permissions(root + "/scripts/" + done, fs::perms::owner_all);
    }
    fs::create_directories(root + "/build/launcher");
    fs::create_symlink(LAUNCHER_PATH, root + "/build/launcher/rock-scissors-paper");
}

// Ends the windows whose seat files are in `state`, as a crash would.
void end_windows_of(const std::string& state) {
    for (const std::string& window : command_lines_holding("/client --seat-file " + state)) {
        kill(pid_of(window), SIGTERM);
    }
}

class LauncherTest : public ::testing::Test {
protected:
    XDisplay display{70, 77};
    Scratch scratch;
};

// The hosting launcher on a machine of its own, where /etc/hosts names ::1
// first and another user's program listens on [::1]:8089: its window joins
// its own server, that program gets nothing, and the key is on no command
// line, while the server refuses a request without it. Started by
// scripts/play, it speaks as scripts/play.
TEST_F(LauncherTest, HostingKeepsTheKeyOffCommandLinesAndFromAnImpostor) {
    NetworkPair net("7F3K-9QX2-MC4D");
    net.set_server_side_hosts("::1 localhost\n127.0.0.1 localhost\n");
    const int impostor = net.listen_on_server_side_ipv6_loopback(default_port);
    ASSERT_FALSE(scratch.root.empty());
    checkout_beside_this_build(scratch.root);
    auto words = net.on_server_side();
    words.insert(words.end(), {scratch.root + "/scripts/play", "--host"});
    ChildProcess launcher(words[0], {words.begin() + 1, words.end()}, "", scratch.environment(display.name()));
    std::string said;
    std::string key;
    ASSERT_TRUE(wait_until([&] {
        said = launcher.standard_output();
        key = drawn_key(said);
        return !key.empty() && said.find("--join 10.231.0.1") != std::string::npos;
    })) << said << launcher.standard_error();
    auto ask = [&](const std::string& path, const std::string& with_key) {
        Reply reply;
        net.run_on_player_side([&] {
            httplib::Client client(net.server().host, default_port);
            if (!with_key.empty()) client.set_bearer_token_auth(with_key);
            if (auto result = client.Get(path)) reply = {result->status, result->body};
        });
        return reply;
    };
    EXPECT_TRUE(wait_until([&] { return ask("/start", key).body == "1"; })) << launcher.standard_error();
    EXPECT_EQ(ask("/start", "").status, 401);
    std::string undashed = key;
    std::erase(undashed, '-');
    EXPECT_EQ(command_lines_holding(key), std::vector<std::string>{});
    EXPECT_EQ(command_lines_holding(undashed), std::vector<std::string>{});
    pollfd waiting{impostor, POLLIN, 0};
    EXPECT_EQ(poll(&waiting, 1, 0), 0) << "the impostor was reached";

    // A window that ends without a winner leaves the game going, and the
    // same command takes its seat back; once the game is over the launcher
    // stops its server.
    const std::string state = scratch.state();
    end_windows_of(state);
    EXPECT_TRUE(launcher.wait_for_exit(std::chrono::seconds(10))) << "the launcher did not end with its window";
    EXPECT_NE(launcher.standard_output().find("play: to come back to it, run the same command again: "
                                              "scripts/play --host"),
              std::string::npos)
        << launcher.standard_output();
    const pid_t server = std::stoi(read_file(state + "/server.pid"));
    EXPECT_EQ(kill(server, 0), 0) << "the server went with the window";
    // The launcher ran it in a session of its own: it must not outlive a failing test.
    struct KillAtEnd {
        pid_t pid;
        ~KillAtEnd() { kill(pid, SIGKILL); }
    } stop_server{server};
    ChildProcess again(words[0], {words.begin() + 1, words.end()}, "", scratch.environment(display.name()));
    EXPECT_TRUE(wait_until([&] { return again.standard_output().find("taking back your seat") != std::string::npos; }))
        << again.standard_output() << again.standard_error();
    const std::optional<Seat> seat = seat_from_text(read_file(state + "/host"));
    ASSERT_TRUE(seat);
    ASSERT_TRUE(wait_until([&] { return !command_lines_holding(state + "/host").empty(); }));
    net.run_on_player_side([&] {
        GameClient client({net.server().host, default_port, normalized_key(key).value_or("")});
        EXPECT_EQ(take_seat(client, "the other player").answer, SeatAnswer::taken);
        EXPECT_EQ(post_resign(client, seat->token), Answer::ok);
    });
    EXPECT_EQ(again.wait_for_exit(std::chrono::seconds(30)), 0) << again.standard_error();
    EXPECT_NE(again.standard_output().find("game over"), std::string::npos) << again.standard_output();
    // Stopped, it is gone or a zombie that nobody has reaped yet.
    const std::string server_state = read_file("/proc/" + std::to_string(server) + "/stat");
    EXPECT_TRUE(server_state.empty() || server_state.find(") Z ") != std::string::npos)
        << "the server outlived its game: " << server_state;
    close(impostor);
}

// True when process `pid` has `path` open.
bool holds_open(pid_t pid, const std::string& path) {
    std::error_code gone;
    for (const auto& entry : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", gone)) {
        std::error_code unreadable;
        if (fs::read_symlink(entry.path(), unreadable) == path) return true;
    }
    return false;
}

// True when a program holds the file (see platform/private_files.h): /proc/locks names
// its inode, which a look does not take from the holder.
bool held_by_a_program(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return false;
    return read_file("/proc/locks").find(":" + std::to_string(status.st_ino) + " ") != std::string::npos;
}

// A game on one machine has a key too, so that another user of it cannot take
// a seat: the launcher keeps it in the player's state folder, for its owner
// alone, and the window it starts again plays on with it. A second launcher
// on the same seat file stops at once, says why and leaves the file and the
// game alone. What the launcher holds open stays with it: none of the
// programs it starts inherits it.
TEST_F(LauncherTest, LocalGameKeysItsGameAndTakesTheSeatBackWithTheKey) {
    NetworkPair net("7F3K-9QX2-MC4D");
    ASSERT_FALSE(scratch.root.empty());
    const std::string state = scratch.state();
    auto words = net.on_server_side();
    words.insert(words.end(), {LAUNCHER_PATH, "--solo", "--level", "easy"});
    const std::string marker = scratch.root + "/held-by-the-launcher";
    const int held = open(marker.c_str(), O_CREAT | O_WRONLY, 0600);  // inherited: no O_CLOEXEC
    ASSERT_GE(held, 0);
    ChildProcess launcher(words[0], {words.begin() + 1, words.end()}, "", scratch.environment(display.name()));
    close(held);
    ASSERT_TRUE(wait_until([&] { return !command_lines_holding(state + "/solo-bot").empty(); }))
        << launcher.standard_output() << launcher.standard_error();
    struct stat status {};
    ASSERT_EQ(stat(state.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u) << "the state folder is not its owner's alone";
    const std::optional<std::string> key = normalized_key(read_file(state + "/key").substr(0, 14));
    ASSERT_TRUE(key) << read_file(state + "/key");
    ASSERT_EQ(stat((state + "/key").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    auto ask = [&](const std::string& path, const std::string& with_key) {
        Reply reply;
        net.run_on_server_side([&] {
            httplib::Client client("127.0.0.1", default_port);
            if (!with_key.empty()) client.set_bearer_token_auth(with_key);
            if (auto result = client.Get(path)) reply = {result->status, result->body};
        });
        return reply;
    };
    EXPECT_TRUE(wait_until([&] { return ask("/start", *key).body == "2"; })) << launcher.standard_output();
    EXPECT_EQ(ask("/start", "").status, 401) << "another local user got in";
    EXPECT_EQ(command_lines_holding(read_file(state + "/key").substr(0, 14)), std::vector<std::string>{});
    struct KillAtEnd {
        pid_t pid;
        ~KillAtEnd() { kill(pid, SIGKILL); }
    } stop_server{std::stoi(read_file(state + "/server.pid"))}, stop_bot{std::stoi(read_file(state + "/bot.pid"))};
    ASSERT_TRUE(holds_open(launcher.pid(), marker)) << "the test gave the launcher nothing to keep";
    const std::vector<std::string> window = command_lines_holding("/client --seat-file " + state + "/solo");
    ASSERT_EQ(window.size(), 1u);
    for (const pid_t started : {stop_server.pid, stop_bot.pid, pid_of(window[0])}) {
        EXPECT_FALSE(holds_open(started, marker)) << "process " << started << " inherited the launcher's file";
    }

    end_windows_of(state);
    EXPECT_TRUE(launcher.wait_for_exit(std::chrono::seconds(10))) << "the launcher did not end with its window";
    ChildProcess again(words[0], {words.begin() + 1, words.end()}, "", scratch.environment(display.name()));
    EXPECT_TRUE(wait_until([&] { return again.standard_output().find("taking back your seat") != std::string::npos; }))
        << again.standard_output() << again.standard_error();
    ASSERT_TRUE(wait_until([&] { return held_by_a_program(state + "/solo"); }));
    const std::optional<Seat> seat = seat_from_text(read_file(state + "/solo"));
    ASSERT_TRUE(seat);
    // The window plays on with the key: it stays, and holds its seat file.
    ChildProcess third(words[0], {words.begin() + 1, words.end()}, "", scratch.environment(display.name()));
    EXPECT_EQ(third.wait_for_exit(std::chrono::seconds(30)), 2);
    EXPECT_TRUE(ends_with(third.standard_error(), "rock-scissors-paper: the seat file " + state +
                                                      "/solo is in use by another program; nothing in it was used\n"))
        << third.standard_error();
    EXPECT_TRUE(again.running()) << again.standard_error();
    EXPECT_EQ(seat_from_text(read_file(state + "/solo")), seat);

    net.run_on_server_side([&] {
        GameClient client({"127.0.0.1", default_port, *key});
        EXPECT_EQ(post_resign(client, seat->token), Answer::ok);
    });
    EXPECT_EQ(again.wait_for_exit(std::chrono::seconds(30)), 0) << again.standard_error();
    EXPECT_NE(again.standard_output().find("game over"), std::string::npos) << again.standard_output();
}

// The x of a window's top-left corner on `display`.
int window_x(const std::string& display, const std::string& window) {
    const CommandResult said = run_command("DISPLAY=" + display + " xdotool getwindowgeometry " + window);
    const std::size_t at = said.output.find("Position: ");
    if (at == std::string::npos) return -1;
    return std::atoi(said.output.c_str() + at + 10);
}

std::vector<std::string> visible_windows(const std::string& display, pid_t pid) {
    const CommandResult said =
        run_command("DISPLAY=" + display + " xdotool search --onlyvisible --pid " + std::to_string(pid));
    std::vector<std::string> windows;
    std::istringstream lines(said.output);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty()) windows.push_back(line);
    }
    return windows;
}

// --pair: a window for each seat, side by side where neither hides the other;
// the game over, the launcher stops its server.
TEST_F(LauncherTest, PairOpensAWindowForEachSeatSideBySide) {
    ASSERT_FALSE(scratch.root.empty());
    const std::string state = scratch.state();
    ChildProcess launcher(LAUNCHER_PATH, {"--pair"}, "", scratch.environment(display.name()));
    std::vector<std::string> windows[3];
    pid_t seat_window[3] = {};
    ASSERT_TRUE(wait_until([&] {
        for (int seat : {1, 2}) {
            const auto found = command_lines_holding("/client --seat-file " + state + "/pair-" + std::to_string(seat));
            if (found.size() != 1) return false;
            seat_window[seat] = pid_of(found[0]);
            windows[seat] = visible_windows(display.name(), seat_window[seat]);
            if (windows[seat].size() != 1) return false;
        }
        return window_x(display.name(), windows[1][0]) + 360 <= window_x(display.name(), windows[2][0]);
    })) << "no two windows side by side; " << launcher.standard_output() << launcher.standard_error();
    const pid_t server = std::stoi(read_file(state + "/server.pid"));
    struct KillAtEnd {
        pid_t pid;
        ~KillAtEnd() { kill(pid, SIGKILL); }
    } stop_server{server};
    const std::optional<Seat> seat = kept_seat(state + "/pair-1");
    ASSERT_TRUE(seat);
    GameClient client({"127.0.0.1", default_port, *normalized_key(read_file(state + "/key").substr(0, 14))});
    EXPECT_EQ(post_resign(client, seat->token), Answer::ok);
    EXPECT_EQ(launcher.wait_for_exit(std::chrono::seconds(30)), 0) << launcher.standard_error();
    const std::string said = launcher.standard_output();
    EXPECT_NE(said.find("game over"), std::string::npos) << said;
    // The server's console, in GBK, as the terminal shows it, to its last line.
    EXPECT_NE(said.find("server: 玩家一加入游戏\nserver: 玩家二加入游戏\n"), std::string::npos) << said;
    EXPECT_NE(said.find("server: 游戏结束，2号玩家获胜！\n"), std::string::npos) << said;
    EXPECT_FALSE(fs::exists(state + "/server.pid"));
    EXPECT_FALSE(fs::exists(state + "/pair-1"));
}

// The game as `cmake --install` lays it out, or as the package unpacked in the
// folder PACKAGE_ROOT names (scripts/test), started from / with nothing of the
// checkout on its way: the installed helpers run, the window finds the
// installed pictures, and the game ends when a player resigns.
TEST_F(LauncherTest, InstalledGameRunsFromAnyFolderWithItsPictures) {
    ASSERT_FALSE(scratch.root.empty());
    const char* package_root = std::getenv("PACKAGE_ROOT");
    const std::string root = package_root != nullptr ? package_root : scratch.root + "/root";
    if (package_root == nullptr) {
        const CommandResult installed =
            run_command("DESTDIR=" + root + " cmake --install " BUILD_ROOT " --prefix /usr 2>&1");
        ASSERT_EQ(installed.status, 0) << installed.output;
    }
    const std::string helpers = root + "/usr/lib/rock-scissors-paper";
    const std::string state = scratch.state();
    ChildProcess launcher(root + "/usr/bin/rock-scissors-paper", {"--solo", "--level", "easy"}, "/",
                          scratch.environment(display.name()));
    pid_t window_owner = 0;
    ASSERT_TRUE(wait_until([&] {
        const auto found = command_lines_holding(helpers + "/client --seat-file " + state + "/solo");
        if (found.size() != 1) return false;
        window_owner = pid_of(found[0]);
        return visible_windows(display.name(), window_owner).size() == 1 && !read_file(state + "/bot.pid").empty();
    })) << launcher.standard_output() << launcher.standard_error();
    struct KillAtEnd {
        pid_t pid;
        ~KillAtEnd() { kill(pid, SIGKILL); }
    } stop_server{std::stoi(read_file(state + "/server.pid"))}, stop_bot{std::stoi(read_file(state + "/bot.pid"))};
    EXPECT_EQ(command_lines_holding(helpers + "/server").size(), 1u);
    EXPECT_EQ(command_lines_holding(helpers + "/bot").size(), 1u);
    // The river is on every board, whoever's turn it is.
    const Capture river = read_picture(root + "/usr/share/rock-scissors-paper/thirdparty/hj.png");
    ASSERT_EQ(river.width, board_window_width);
    // The lobby's window goes when the board's opens, so the window is looked
    // up again for each capture.
    EXPECT_TRUE(wait_until([&] {
        const std::vector<std::string> windows = visible_windows(display.name(), window_owner);
        if (windows.size() != 1) return false;
        const Capture shot = capture_window(display.name(), std::stoul(windows[0]));
        if (shot.width != board_window_width || shot.height < river_y + river.height) return false;
        for (int y = 0; y < river.height; ++y) {
            for (int x = 0; x < river.width; ++x) {
                if (shot.at(x, river_y + y) != river.at(x, y)) return false;
            }
        }
        return true;
    })) << "no board with its pictures; " << launcher.standard_error();
    const std::optional<Seat> seat = seat_from_text(read_file(state + "/solo"));
    ASSERT_TRUE(seat);
    GameClient client({"127.0.0.1", default_port, *normalized_key(read_file(state + "/key").substr(0, 14))});
    EXPECT_EQ(post_resign(client, seat->token), Answer::ok);
    EXPECT_EQ(launcher.wait_for_exit(std::chrono::seconds(30)), 0) << launcher.standard_error();
}

// The joining launcher asks a host for its public view before it opens a
// window: a relay has none, and is refused with the same line as the window's.
TEST(JoiningLauncher, RefusesAHostThatRunsNoReferee) {
    NetworkPair net("7F3K-9QX2-MC4D");
    auto server = net.start_server();
    Scratch scratch;
    auto words = net.on_player_side();
    words.insert(words.end(), {LAUNCHER_PATH, "--join", net.server().host});
    auto environment = scratch.environment(":150");
    environment["GAME_KEY"] = net.server().key;
    ChildProcess launcher(words[0], {words.begin() + 1, words.end()}, "", environment);
    EXPECT_EQ(launcher.wait_for_exit(std::chrono::seconds(30)), 1);
    EXPECT_TRUE(ends_with(launcher.standard_error(), "rock-scissors-paper: the host runs a game without a referee, "
                                                     "which shows the host every piece\n"))
        << launcher.standard_error();
    EXPECT_EQ(net.get("/start").body, "0");
}

// Before it opens a window, the joining launcher says in plain words why it
// cannot join: nothing answers there, or the game there refuses the key.
TEST(JoiningLauncher, SaysWhyItCannotJoin) {
    NetworkPair net("7F3K-9QX2-MC4D");
    Scratch scratch;
    auto words = net.on_player_side();
    words.insert(words.end(), {LAUNCHER_PATH, "--join", net.server().host});
    auto environment = scratch.environment(":150");
    environment["GAME_KEY"] = "HJ4N-P8RT-2WVB";
    ChildProcess unanswered(words[0], {words.begin() + 1, words.end()}, "", environment);
    EXPECT_EQ(unanswered.wait_for_exit(std::chrono::seconds(30)), 1);
    EXPECT_TRUE(ends_with(unanswered.standard_error(), " --host), and does a firewall block port 8089?\n"))
        << unanswered.standard_error();

    auto server = net.start_server({"--referee"});
    ChildProcess refused(words[0], {words.begin() + 1, words.end()}, "", environment);
    EXPECT_EQ(refused.wait_for_exit(std::chrono::seconds(30)), 1);
    EXPECT_TRUE(ends_with(refused.standard_error(), "rock-scissors-paper: the game at 10.231.0.1:8089 refused the key "
                                                    "HJ4NP8RT2WVB; check it against the host's terminal\n"))
        << refused.standard_error();
    EXPECT_FALSE(fs::exists(scratch.state() + "/join-10.231.0.1"));
}

// The menu window of a launcher started with no options, found and clicked
// where the menu's layout puts its controls.
class MenuWindow {
public:
    MenuWindow(const std::string& display, pid_t launcher) : display_(display), launcher_(launcher) {}

    // Waits for the window to show `picture` (under thirdparty/menu/) at `place`.
    bool shows(const launcher::Rect& place, const std::string& picture, int limit_seconds = 30) {
        const Capture wanted = read_picture(std::string(SOURCE_ROOT) + "/thirdparty/menu/" + picture + ".png");
        return wait_until([&] { return region_is(place, wanted); }, limit_seconds);
    }
    // Waits for the window to show `text` in glyphs from (x, y) on.
    bool shows_text(int x, int y, const std::string& text) {
        const std::string menu_folder = std::string(SOURCE_ROOT) + "/thirdparty/menu";
        return wait_until([&] {
            for (std::size_t i = 0; i < text.size(); ++i) {
                char name[32];
                std::snprintf(name, sizeof name, "/glyph/%02X.png", static_cast<unsigned char>(text[i]));
                const Capture glyph = read_picture(menu_folder + name);
                const int left = x + static_cast<int>(i) * launcher::glyph_width;
                if (!region_is({left, y, glyph.width, glyph.height}, glyph)) return false;
            }
            return true;
        });
    }
    bool click(launcher::Control control) {
        const launcher::Rect r = launcher::control_rect(control);
        const std::string window = find();
        return !window.empty() && xdotool(display_, "mousemove --window " + window + " " +
                                                        std::to_string(r.x + r.width / 2) + " " +
                                                        std::to_string(r.y + r.height / 2) + " click 1");
    }
    bool type(const std::string& text) {
        const std::string window = find();
        return !window.empty() && xdotool(display_, "type --window " + window + " --delay 20 '" + text + "'");
    }
    bool key(const std::string& name) {
        const std::string window = find();
        return !window.empty() && xdotool(display_, "key --window " + window + " " + name);
    }
    // The window, once the launcher shows one.
    std::string find() {
        std::string found;
        wait_until([&] {
            const std::vector<std::string> windows = visible_windows(display_, launcher_);
            if (windows.size() == 1) found = windows[0];
            return !found.empty();
        });
        return found;
    }
    bool gone() {
        return wait_until([&] { return visible_windows(display_, launcher_).empty(); });
    }

private:
    bool region_is(const launcher::Rect& place, const Capture& wanted) {
        const std::vector<std::string> windows = visible_windows(display_, launcher_);
        if (windows.size() != 1) return false;
        const Capture shot = capture_window(display_, std::stoul(windows[0]));
        if (shot.width < place.x + wanted.width || shot.height < place.y + wanted.height) return false;
        for (int y = 0; y < wanted.height; ++y) {
            for (int x = 0; x < wanted.width; ++x) {
                if (shot.at(place.x + x, place.y + y) != wanted.at(x, y)) return false;
            }
        }
        return true;
    }

    std::string display_;
    pid_t launcher_;
};

std::string key_of(const std::string& state) { return *normalized_key(read_file(state + "/key").substr(0, 14)); }

// Resigns the seat kept in `seat_file` of the game on this machine.
void resign(const NetworkPair& net, const std::string& state, const std::string& seat_file) {
    const std::optional<Seat> seat = kept_seat(state + "/" + seat_file);
    ASSERT_TRUE(seat) << seat_file;
    net.run_on_server_side([&] {
        GameClient client({"127.0.0.1", default_port, key_of(state)});
        // The other seat's program may show its window before it takes its
        // seat, and until it does the game has not started.
        Answer answer = Answer::refused;
        wait_until([&] { return (answer = post_resign(client, seat->token)) != Answer::refused; });
        EXPECT_EQ(answer, Answer::ok);
    });
}

// With no options the launcher opens its menu; a level's button starts a game
// against the computer at that level, the two players' button a window for
// each seat, and after each game the menu comes back. Quit ends it.
TEST_F(LauncherTest, MenuStartsGamesAndComesBackAfterEach) {
    NetworkPair net("7F3K-9QX2-MC4D");
    ASSERT_FALSE(scratch.root.empty());
    const std::string state = scratch.state();
    auto words = net.on_server_side();
    words.push_back(LAUNCHER_PATH);
    ChildProcess launcher(words[0], {words.begin() + 1, words.end()}, "", scratch.environment(display.name()));
    MenuWindow menu(display.name(), launcher.pid());
    ASSERT_TRUE(menu.shows(launcher::title_rect(), "title")) << launcher.standard_error();
    ASSERT_TRUE(menu.shows(launcher::control_rect(launcher::Control::solo_hard), "hard"));

    ASSERT_TRUE(menu.click(launcher::Control::solo_hard));
    ASSERT_TRUE(wait_until([&] {
        const auto window = command_lines_holding("/client --seat-file " + state + "/solo");
        return window.size() == 1 && visible_windows(display.name(), pid_of(window[0])).size() == 1 &&
               command_lines_holding("/bot --level hard --seat-file " + state + "/solo-bot").size() == 1;
    })) << launcher.standard_output() << launcher.standard_error();
    EXPECT_TRUE(menu.gone()) << "the menu stayed over the game";
    const pid_t server = std::stoi(read_file(state + "/server.pid"));
    struct KillAtEnd {
        pid_t pid;
        ~KillAtEnd() { kill(pid, SIGKILL); }
    } stop_server{server};
    resign(net, state, "solo");
    ASSERT_TRUE(menu.shows(launcher::control_rect(launcher::Control::pair), "pair")) << launcher.standard_error();
    EXPECT_NE(launcher.standard_output().find("game over"), std::string::npos) << launcher.standard_output();

    ASSERT_TRUE(menu.click(launcher::Control::pair));
    ASSERT_TRUE(wait_until([&] {
        for (const char* seat : {"/pair-1", "/pair-2"}) {
            const auto window = command_lines_holding("/client --seat-file " + state + seat);
            if (window.size() != 1 || visible_windows(display.name(), pid_of(window[0])).size() != 1) return false;
        }
        return true;
    })) << launcher.standard_output() << launcher.standard_error();
    stop_server.pid = std::stoi(read_file(state + "/server.pid"));
    resign(net, state, "pair-2");
    ASSERT_TRUE(menu.shows(launcher::control_rect(launcher::Control::quit), "quit")) << launcher.standard_error();
    ASSERT_TRUE(menu.click(launcher::Control::quit));
    EXPECT_EQ(launcher.wait_for_exit(std::chrono::seconds(10)), 0) << launcher.standard_error();
    EXPECT_FALSE(fs::exists(state + "/server.pid"));
}

// The join screen says in the window why it cannot join, for each reason,
// and stays: nothing answers, the host runs no referee, the key is refused.
TEST_F(LauncherTest, MenuJoinShowsEachRefusalAndStays) {
    NetworkPair net("7F3K-9QX2-MC4D");
    ASSERT_FALSE(scratch.root.empty());
    auto words = net.on_player_side();
    words.push_back(LAUNCHER_PATH);
    ChildProcess launcher(words[0], {words.begin() + 1, words.end()}, "", scratch.environment(display.name()));
    MenuWindow menu(display.name(), launcher.pid());
    ASSERT_TRUE(menu.shows(launcher::control_rect(launcher::Control::join), "join")) << launcher.standard_error();
    ASSERT_TRUE(menu.click(launcher::Control::join));
    ASSERT_TRUE(menu.shows(launcher::control_rect(launcher::Control::join_go), "go"));
    ASSERT_TRUE(menu.type(net.server().host));
    ASSERT_TRUE(menu.key("Tab"));
    ASSERT_TRUE(menu.type("HJ4N-P8RT-2WVB"));
    ASSERT_TRUE(menu.key("Return"));
    EXPECT_TRUE(menu.shows(launcher::refusal_rect(), "refused_unanswered")) << launcher.standard_error();
    {
        auto server = net.start_server({"--referee"});
        ASSERT_TRUE(menu.click(launcher::Control::join_go));
        EXPECT_TRUE(menu.shows(launcher::refusal_rect(), "refused_key")) << launcher.standard_error();
        EXPECT_TRUE(ends_with(launcher.standard_error(), "rock-scissors-paper: the game at 10.231.0.1:8089 refused "
                                                         "the key HJ4NP8RT2WVB; check it against the host's "
                                                         "terminal\n"))
            << launcher.standard_error();
    }
    // Backspace takes the wrong key away, for the right one; the host runs
    // no referee, though.
    auto relay = net.start_server();
    ASSERT_TRUE(menu.key("--repeat 14 BackSpace"));
    ASSERT_TRUE(menu.type(net.server().key));
    ASSERT_TRUE(menu.key("Return"));
    EXPECT_TRUE(menu.shows(launcher::refusal_rect(), "refused_relay")) << launcher.standard_error();
    // The form stays as typed, for the key to be put right.
    EXPECT_TRUE(menu.shows(launcher::control_rect(launcher::Control::back), "back"));
    EXPECT_TRUE(launcher.running());
    EXPECT_EQ(net.get("/start").body, "0");
    EXPECT_FALSE(fs::exists(scratch.state() + "/join-10.231.0.1"));
}

// Hosting from the menu shows the key in large type, as the terminal does;
// another machine's launcher joins with it and both windows take a seat.
TEST_F(LauncherTest, MenuHostShowsTheKeyForAnotherMachineToJoin) {
    NetworkPair net("7F3K-9QX2-MC4D");
    ASSERT_FALSE(scratch.root.empty());
    const std::string state = scratch.state();
    auto words = net.on_server_side();
    words.push_back(LAUNCHER_PATH);
    ChildProcess launcher(words[0], {words.begin() + 1, words.end()}, "", scratch.environment(display.name()));
    MenuWindow menu(display.name(), launcher.pid());
    ASSERT_TRUE(menu.click(launcher::Control::host)) << launcher.standard_error();
    std::string said;
    std::string key;
    ASSERT_TRUE(wait_until([&] {
        said = launcher.standard_output();
        key = drawn_key(said);
        return !key.empty() && said.find("--join 10.231.0.1") != std::string::npos;
    })) << said << launcher.standard_error();
    struct KillAtEnd {
        pid_t pid;
        ~KillAtEnd() { kill(pid, SIGKILL); }
    } stop_server{std::stoi(read_file(state + "/server.pid"))};
    // The host's own window opens over the menu's; the test looks at it whole.
    ASSERT_TRUE(wait_until([&] {
        const auto window = command_lines_holding("/client --seat-file " + state + "/host");
        return window.size() == 1 && visible_windows(display.name(), pid_of(window[0])).size() == 1;
    }));
    ASSERT_TRUE(xdotool(display.name(), "windowraise " + menu.find()));
    EXPECT_TRUE(menu.shows_text(launcher::hosting_key_line().x, launcher::hosting_key_line().y, key));
    EXPECT_TRUE(menu.shows_text(launcher::hosting_address_line(0).x, launcher::hosting_address_line(0).y,
                                "10.231.0.1"))
        << said;

    Scratch other;
    auto joining = net.on_player_side();
    joining.insert(joining.end(), {LAUNCHER_PATH, "--join", net.server().host});
    auto environment = other.environment(display.name());
    environment["GAME_KEY"] = key;
    ChildProcess joiner(joining[0], {joining.begin() + 1, joining.end()}, "", environment);
    EXPECT_TRUE(wait_until([&] {
        const auto window = command_lines_holding("/client --server 10.231.0.1 --seat-file " + other.state());
        if (window.size() != 1) return false;
        std::string joined;
        net.run_on_player_side([&] {
            GameClient client({net.server().host, default_port, *normalized_key(key)});
            if (const std::optional<ServerReply> reply = client.Get("/start")) joined = reply->body;
        });
        return joined == "2";
    })) << joiner.standard_output() << joiner.standard_error();
    // The joining machine's program and window crash; its menu, started again
    // without the key, comes back to the game.
    joiner.send_signal(SIGKILL);
    joiner.wait_for_exit(std::chrono::seconds(10));
    const std::string joined_window = "/client --server 10.231.0.1 --seat-file " + other.state();
    for (const std::string& window : command_lines_holding(joined_window)) kill(pid_of(window), SIGKILL);
    auto restarting = net.on_player_side();
    restarting.push_back(LAUNCHER_PATH);
    ChildProcess again(restarting[0], {restarting.begin() + 1, restarting.end()}, "",
                       other.environment(display.name()));
    MenuWindow second(display.name(), again.pid());
    ASSERT_TRUE(second.shows(launcher::control_rect(launcher::Control::resume), "resume")) << again.standard_error();
    ASSERT_TRUE(second.click(launcher::Control::resume));
    EXPECT_TRUE(wait_until([&] { return held_by_a_program(other.state() + "/join-10.231.0.1"); }))
        << again.standard_output() << again.standard_error();
    const std::optional<Seat> seat = seat_from_text(read_file(state + "/host"));
    ASSERT_TRUE(seat);
    net.run_on_server_side([&] {
        GameClient client({"127.0.0.1", default_port, *normalized_key(key)});
        EXPECT_EQ(post_resign(client, seat->token), Answer::ok);
    });
    // Over, the joined game is no longer offered.
    ASSERT_TRUE(second.shows(launcher::control_rect(launcher::Control::quit), "quit")) << again.standard_error();
    EXPECT_FALSE(second.shows(launcher::control_rect(launcher::Control::resume), "resume", 1));
    // Both menus are at the same place on the one screen.
    ASSERT_TRUE(xdotool(display.name(), "windowraise " + menu.find()));
    EXPECT_TRUE(menu.shows(launcher::control_rect(launcher::Control::host), "host")) << launcher.standard_error();
}

// The menu offers a game to come back to only while the server its launcher
// started runs: with that server gone, whatever else took the port gets
// neither a question nor the key, though a seat file and the key are left.
TEST_F(LauncherTest, MenuAsksNoServerButItsOwnForAGameToComeBackTo) {
    NetworkPair net("7F3K-9QX2-MC4D");
    ASSERT_FALSE(scratch.root.empty());
    const std::string state = scratch.state();
    fs::create_directories(state);
    fs::permissions(state, fs::perms::owner_all);
    const int key_file = open((state + "/key").c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(key_file, 0);
    ASSERT_EQ(write(key_file, "7F3K-9QX2-MC4D\n", 15), 15);
    close(key_file);
    std::ofstream(state + "/solo") << "1 " << std::string(32, 'a') << "\n";
    ChildProcess ended("/bin/true");
    ended.wait_for_exit(std::chrono::seconds(10));
    std::ofstream(state + "/server.pid") << ended.pid() << "\n";
    int stranger = -1;
    net.run_on_server_side([&] {
        stranger = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(default_port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (bind(stranger, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(stranger, 4) != 0) {
            close(stranger);
            stranger = -1;
        }
    });
    ASSERT_GE(stranger, 0);
    auto words = net.on_server_side();
    words.push_back(LAUNCHER_PATH);
    ChildProcess launcher(words[0], {words.begin() + 1, words.end()}, "", scratch.environment(display.name()));
    MenuWindow menu(display.name(), launcher.pid());
    ASSERT_TRUE(menu.shows(launcher::control_rect(launcher::Control::quit), "quit")) << launcher.standard_error();
    EXPECT_FALSE(menu.shows(launcher::control_rect(launcher::Control::resume), "resume", 1));
    pollfd waiting{stranger, POLLIN, 0};
    EXPECT_EQ(poll(&waiting, 1, 0), 0) << "the stranger on the port was asked";
    close(stranger);
}

// A window killed leaves its game going: the menu, started again, offers to
// come back to it, and its button brings the window back to the seat.
TEST_F(LauncherTest, MenuComesBackToAGameWhoseWindowWasKilled) {
    NetworkPair net("7F3K-9QX2-MC4D");
    ASSERT_FALSE(scratch.root.empty());
    const std::string state = scratch.state();
    auto words = net.on_server_side();
    words.push_back(LAUNCHER_PATH);
    auto first = std::make_unique<ChildProcess>(words[0], std::vector<std::string>{words.begin() + 1, words.end()},
                                                "", scratch.environment(display.name()));
    MenuWindow menu(display.name(), first->pid());
    ASSERT_TRUE(menu.shows(launcher::control_rect(launcher::Control::solo_easy), "easy")) << first->standard_error();
    ASSERT_TRUE(menu.click(launcher::Control::solo_easy));
    ASSERT_TRUE(wait_until([&] {
        return held_by_a_program(state + "/solo") && !read_file(state + "/bot.pid").empty();
    }))
        << first->standard_error();
    struct KillAtEnd {
        pid_t pid;
        ~KillAtEnd() { kill(pid, SIGKILL); }
    } stop_server{std::stoi(read_file(state + "/server.pid"))}, stop_bot{std::stoi(read_file(state + "/bot.pid"))};
    const std::optional<Seat> seat = seat_from_text(read_file(state + "/solo"));
    first->send_signal(SIGKILL);
    first->wait_for_exit(std::chrono::seconds(10));
    first.reset();
    for (const std::string& window : command_lines_holding("/client --seat-file " + state)) {
        kill(pid_of(window), SIGKILL);
    }

    ChildProcess again(words[0], {words.begin() + 1, words.end()}, "", scratch.environment(display.name()));
    MenuWindow second(display.name(), again.pid());
    ASSERT_TRUE(second.shows(launcher::control_rect(launcher::Control::resume), "resume")) << again.standard_error();
    ASSERT_TRUE(second.click(launcher::Control::resume));
    EXPECT_TRUE(wait_until([&] { return held_by_a_program(state + "/solo"); })) << again.standard_output();
    EXPECT_NE(again.standard_output().find("taking back your seat"), std::string::npos) << again.standard_output();
    EXPECT_EQ(seat_from_text(read_file(state + "/solo")), seat);
    resign(net, state, "solo");
    // Over, the game is no longer offered.
    ASSERT_TRUE(second.shows(launcher::control_rect(launcher::Control::quit), "quit")) << again.standard_error();
    EXPECT_FALSE(second.shows(launcher::control_rect(launcher::Control::resume), "resume", 1));
    // Ctrl+C still ends the menu once a game has come and gone.
    again.send_signal(SIGINT);
    EXPECT_EQ(again.wait_for_exit(std::chrono::seconds(10)), 0) << again.standard_error();
}

}  // namespace
