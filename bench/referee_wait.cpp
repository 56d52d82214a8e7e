// What waiting costs in a refereed game: the processor time of the server, a
// real client window and the bot over 10 s, first while the bot thinks (the
// window waits for its move), then while the person at the window thinks (the
// bot waits). Starts `server --referee` on port 8089 and an Xvfb display.
// Usage: referee_wait [SECONDS]   (default 10)

#include "bot_process.h"
#include "server_process.h"
#include "x_display.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

using namespace support;

namespace {


// The turn in the public view: 0 before the deal.
char turn() {
    const std::string view = get("/view").body;
    return view.size() > 101 ? view[101] : '0';
}

void wait_for_turn(char seat) {
    while (turn() != seat) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::seconds(1));
}

void measure(const char* what, int seconds, ChildProcess& server, ChildProcess& client, ChildProcess& bot) {
    ChildProcess* processes[] = {&server, &client, &bot};
    const char* names[] = {"server", "client", "bot"};
    double before[3];
    for (int i = 0; i < 3; ++i) before[i] = cpu_seconds(processes[i]->pid());
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    std::printf("%s, %d s:\n", what, seconds);
    for (int i = 0; i < 3; ++i) {
        const double used = cpu_seconds(processes[i]->pid()) - before[i];
        std::printf("  %-7s %5.2f %% of a core%s\n", names[i], used / seconds * 100,
                    processes[i]->running() ? "" : " (it ended)");
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    XDisplay display(90, 97);
    if (display.name().empty()) {
        std::fprintf(stderr, "referee_wait: no Xvfb display\n");
        return 1;
    }
    ServerProcess server({"--referee"});
    // The bot takes seat 1 and moves first, after a pause longer than a measurement.
    BotRun bot = start_bot(1, seconds * 1000 + 3000, {}, {});
    while (get("/start").body != "1") std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ChildProcess client(CLIENT_PATH, {}, std::string(SOURCE_ROOT) + "/tests",
                        {{"DISPLAY", display.name()}, {"SDL_VIDEODRIVER", "x11"}});
    wait_for_turn('1');
    measure("the bot thinks, the window waits", seconds, server.process(), client, *bot.process);
    wait_for_turn('2');
    measure("the person at the window thinks, the bot waits", seconds, server.process(), client, *bot.process);
    forget_bot_log(bot);
    return 0;
}
