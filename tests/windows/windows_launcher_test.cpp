// The player's zip under Wine: unpacked into a folder whose name holds
// letters of more than one code page, played from there by its launcher with
// the game's files in a user folder named alike.

#include "child_process.h"
#include "server_process.h"
#include "x_display.h"

#include "game_client.h"
#include "game_constants.h"
#include "layout.h"
#include "referee_requests.h"
#include "seat_file.h"
#include "server_address.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <thread>

using namespace core;
using namespace support;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// ë is in Windows' Western code page, Ł is not: a program that reads its
// paths in the code page loses this name.
const std::string user = "Zo\xC3\xAB \xC5\x81ukasz";

bool wait_until(const std::function<bool()>& condition, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(200ms);
    }
    return condition();
}

// The seat kept in a seat file, once its program has written it: the server
// hands a seat out before its taker keeps it.
std::optional<Seat> kept_seat(const std::string& path) {
    std::optional<Seat> seat;
    wait_until([&] { return (seat = seat_from_text(read_file(path))).has_value(); }, 30s);
    return seat;
}

std::string prefix() { return std::getenv("WINEPREFIX"); }

// Runs a Windows program under the run's prefix; the harness's
// SDL_VIDEODRIVER names a Linux driver and stays away from it.
std::unique_ptr<ChildProcess> under_wine(const std::string& program, const std::vector<std::string>& arguments,
                                         const std::string& display = "") {
    std::vector<std::string> words{"-u", "SDL_VIDEODRIVER", "WINEDEBUG=-all"};
    if (!display.empty()) words.push_back("DISPLAY=" + display);
    words.insert(words.end(), {"wine", program});
    words.insert(words.end(), arguments.begin(), arguments.end());
    return std::make_unique<ChildProcess>("/usr/bin/env", words);
}

// The processes of the machine whose command line holds `text`.
std::vector<std::string> command_lines_holding(const std::string& text) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::string line = read_file(entry.path() / "cmdline");
        std::replace(line.begin(), line.end(), '\0', ' ');
        if (line.find(text) != std::string::npos) found.push_back(line);
    }
    return found;
}

// The top-left x of each lobby (800 x 500) and board on the display; Wine's
// windows are the only ones there.
std::vector<int> game_window_xs(const std::string& display) {
    const std::string said = run_command("DISPLAY=" + display +
                                         " xdotool search --onlyvisible --name '' getwindowgeometry %@ 2>/dev/null")
                                 .output;
    const std::string board =
        std::to_string(client::board_window_width) + "x" + std::to_string(client::board_window_height);
    const std::regex window("Position: (-?[0-9]+),.*\n *Geometry: ([0-9]+x[0-9]+)");
    std::vector<int> xs;
    for (std::sregex_iterator found(said.begin(), said.end(), window), end; found != end; ++found) {
        if ((*found)[2] == "800x500" || (*found)[2] == board) xs.push_back(std::stoi((*found)[1]));
    }
    return xs;
}

// The zip unpacked into a folder of the test's own, named for the user.
class WindowsLauncherTest : public testing::Test {
protected:
    WindowsLauncherTest() {
        if (mkdtemp(scratch.data()) == nullptr) return;
        const fs::path folder = fs::path(scratch) / user;
        fs::create_directories(folder);
        unpacked = run_command("cd '" + folder.string() + "' && cmake -E tar xf '" WINDOWS_BUILD
                               "/game-windows.zip' 2>&1")
                       .status == 0;
        game = (folder / "rock-scissors-paper").string();
    }
    ~WindowsLauncherTest() override {
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
    }

    // The launcher's state folder, in a user folder named as the test's.
    std::string state_folder() {
        const std::string local = "C:\\users\\" + user + "\\AppData\\Local";
        const std::optional<int> status = under_wine("reg", {"add", "HKCU\\Volatile Environment", "/v", "LOCALAPPDATA", "/t", "REG_SZ",
                                              "/d", local, "/f"})
                               ->wait_for_exit(60s);
        EXPECT_EQ(status, 0) << "reg add did not end";
        return prefix() + "/drive_c/users/" + user + "/AppData/Local/rock-scissors-paper";
    }

    // A program from the zip that still runs, by its command line; empty
    // when none is left.
    std::string left_running() {
        const std::string unpacked_in = fs::path(scratch).filename().string();
        wait_until([&] { return command_lines_holding(unpacked_in).empty(); }, 30s);
        const std::vector<std::string> left = command_lines_holding(unpacked_in);
        return left.empty() ? "" : left.front();
    }

    std::string scratch = "/tmp/windows-launcher-XXXXXX";
    bool unpacked = false;
    std::string game;
};

// Double-clicked, the launcher opens its menu; from a command line it plays
// the game named there. The user's folder has a name Windows' code pages
// cannot all hold: the launcher keeps its files there, and the window and the
// computer player find their seat files there. The board opens with its
// pictures, the computer takes the other seat, and when the game is over the
// launcher stops the server it started.
TEST_F(WindowsLauncherTest, PlaysASoloGameFromTheZipWithItsFilesUnderAnyUserName) {
    ASSERT_TRUE(unpacked) << scratch;
    XDisplay display{160, 169};
    ASSERT_FALSE(display.name().empty());
    const std::string state = state_folder();

    auto launcher = under_wine(game + "/rock-scissors-paper.exe", {"--solo", "--level", "easy"}, display.name());
    std::string key;
    ASSERT_TRUE(wait_until(
        [&] {
            key = read_file(state + "/key").substr(0, 14);
            return key.size() == 14 && get("/start", {{"Authorization", "Bearer " + key}}).body == "2";
        },
        90s))
        << "the computer took no seat; " << launcher->standard_output() << launcher->standard_error();
    const std::optional<Seat> seat = kept_seat(state + "/solo");
    ASSERT_TRUE(seat) << "the window's seat file is not in " << state;
    EXPECT_TRUE(kept_seat(state + "/solo-bot")) << "the computer's seat file is not in " << state;

    // The river is on every board, whoever's turn it is; Wine's windows are
    // the only ones on this display.
    const Capture river = read_picture(std::string(SOURCE_ROOT) + "/thirdparty/hj.png");
    ASSERT_EQ(river.width, client::board_window_width);
    const bool board_shown = wait_until(
        [&] {
            std::istringstream windows(run_command("DISPLAY=" + display.name() +
                                                   " xdotool search --onlyvisible --name '' 2>/dev/null")
                                           .output);
            for (std::string window; std::getline(windows, window);) {
                const Capture shot = capture_window(display.name(), std::stoul(window));
                if (shot.width != river.width || shot.height < client::river_y + river.height) continue;
                bool same = true;
                for (int y = 0; y < river.height && same; ++y) {
                    for (int x = 0; x < river.width && same; ++x) same = shot.at(x, client::river_y + y) == river.at(x, y);
                }
                if (same) return true;
            }
            return false;
        },
        60s);
    EXPECT_TRUE(board_shown) << "no board with its pictures; " << launcher->standard_error();

    GameClient player({"127.0.0.1", default_port, *normalized_key(key)});
    EXPECT_EQ(post_resign(player, seat->token), Answer::ok);
    EXPECT_EQ(launcher->wait_for_exit(60s), 0) << launcher->standard_output() << launcher->standard_error();
    EXPECT_NE(launcher->standard_output().find("game over"), std::string::npos) << launcher->standard_output();
    EXPECT_FALSE(port_is_open()) << "the server outlived its game";
    EXPECT_EQ(left_running(), "");
    EXPECT_FALSE(fs::exists(state + "/server.pid"));
    EXPECT_FALSE(fs::exists(state + "/solo"));
}

// --pair: a window for each seat, side by side where neither hides the
// other, as on Linux; the game over, every program of the zip ends, and
// finding the windows left no file in the state folder.
TEST_F(WindowsLauncherTest, PairPlacesItsTwoWindowsSideBySide) {
    ASSERT_TRUE(unpacked) << scratch;
    XDisplay display{160, 169};
    ASSERT_FALSE(display.name().empty());
    const std::string state = state_folder();

    auto launcher = under_wine(game + "/rock-scissors-paper.exe", {"--pair"}, display.name());
    std::string key;
    std::vector<int> xs;
    EXPECT_TRUE(wait_until(
        [&] {
            key = read_file(state + "/key").substr(0, 14);
            xs = game_window_xs(display.name());
            return key.size() == 14 && get("/start", {{"Authorization", "Bearer " + key}}).body == "2" &&
                   xs.size() == 2 && std::abs(xs[0] - xs[1]) >= 360;
        },
        90s))
        << "no two windows side by side: " << testing::PrintToString(xs) << "; " << launcher->standard_error();

    const std::optional<Seat> seat = kept_seat(state + "/pair-1");
    ASSERT_TRUE(seat) << launcher->standard_error();
    GameClient player({"127.0.0.1", default_port, *normalized_key(key)});
    EXPECT_EQ(post_resign(player, seat->token), Answer::ok);
    EXPECT_EQ(launcher->wait_for_exit(60s), 0) << launcher->standard_output() << launcher->standard_error();
    EXPECT_EQ(left_running(), "");
    EXPECT_FALSE(fs::exists(state + "/windows.found"));
}

// The seat file's rules that Wine can show, each by the one input only it
// refuses: Wine reports a file of another Unix user as owned by another
// account, and a folder is no file. The same file, the player's own, passes
// them all. (A Linux link shows to Windows programs as the file it names, not
// as a reparse point, and Wine 8 makes no reparse points: that rule only
// Windows itself can show.)
TEST_F(WindowsLauncherTest, SeatFilesOfAnotherUserOrThatAreNoFileAreRefused) {
    if (geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
    ASSERT_TRUE(unpacked) << scratch;
    const fs::path seat = fs::path(scratch) / user / "seat";
    std::ofstream(seat) << "not a seat\n";
    fs::permissions(seat, fs::perms::owner_read | fs::perms::owner_write);
    auto refusal = [&](const fs::path& seat_file) {
        const std::string windows_path = "Z:" + seat_file.string();
        auto bot = under_wine(game + "/bot.exe", {"--seat-file", windows_path});
        EXPECT_EQ(bot->wait_for_exit(60s), 2);
        // Standard error ends its lines as on Linux.
        const std::string said = bot->standard_error();
        const std::string line = said.substr(0, said.find('\n'));
        const std::string opening = "bot: the seat file " + windows_path + " ";
        return line.starts_with(opening) ? line.substr(opening.size()) : said;
    };
    ASSERT_EQ(chown(seat.c_str(), 65534, 65534), 0);
    EXPECT_EQ(refusal(seat), "belongs to another user; nothing in it was used");
    ASSERT_EQ(chown(seat.c_str(), getuid(), getgid()), 0);
    EXPECT_EQ(refusal(seat), "holds no seat; remove it to take a new one");
    fs::remove(seat);
    fs::create_directory(seat);
    EXPECT_EQ(refusal(seat), "is not a regular file; nothing in it was used");
}

}  // namespace
