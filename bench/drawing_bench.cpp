// Figures of the window layer: put_image of a square and of a whole board
// picture, loading the game's fifteen-picture set, the copies per second the
// window thread achieves, and the process's CPU use while nothing changes
// (the main thread sleeps then, so that is the window thread's).
//
// Needs an X server: uses $DISPLAY, or starts Xvfb on display 45 to 47.
// Usage: drawing_bench

#include "child_process.h"
#include "graph_wnd.h"
#include "image.h"
#include "library.h"
#include "window.h"
#include "window_thread.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

using namespace support;

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double process_cpu_seconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}


// Starts Xvfb on the first free display of 45 to 47; its pid, or -1.
pid_t start_xvfb() {
    for (int number = 45; number <= 47; ++number) {
        int ready[2];
        if (pipe(ready) != 0) return -1;
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(ready[1], 3);
            const std::string name = ":" + std::to_string(number);
            execl("/usr/bin/Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                  "-displayfd", "3", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(ready[1]);
        char answer[16] = {};
        const ssize_t got = read(ready[0], answer, sizeof answer - 1);
        close(ready[0]);
        if (got > 0) {
            setenv("DISPLAY", (":" + std::to_string(number)).c_str(), 1);
            return pid;
        }
        waitpid(pid, nullptr, 0);
    }
    return -1;
}

struct PictureRecipe {
    const char* name;
    const char* arguments;
};

// Sizes as the game's layout needs them; content that PNG cannot squeeze away.
const PictureRecipe picture_set[15] = {
    {"1", "-size 360x904 plasma:tan-navy"},
    {"2", "-size 360x904 plasma:tan-maroon"},
    {"b", "-size 64x64 xc:none -fill white -draw 'circle 32,32 32,4'"},
    {"gz", "-size 72x72 plasma:wheat-peru"},
    {"hj", "-size 360x40 plasma:skyblue-navy"},
    {"jd", "-size 64x64 xc:none -fill silver -draw 'circle 32,32 32,6'"},
    {"st", "-size 64x64 xc:none -fill gray40 -draw 'circle 32,32 32,8'"},
    {"wh", "-size 64x64 xc:none -fill brown -draw 'circle 32,32 32,4'"},
    {"jz", "-size 800x500 plasma:gold-olive"},
    {"exit", "-size 144x144 plasma:red-black"},
    {"w1", "-size 108x144 plasma:red-white"},
    {"w2", "-size 108x144 plasma:blue-white"},
    {"y1", "-size 108x144 xc:red"},
    {"y2", "-size 108x144 xc:blue"},
    {"xz", "-size 72x72 plasma:yellow-peru"},
};

std::vector<std::string> make_picture_set(const std::string& folder) {
    std::vector<std::string> paths;
    for (const PictureRecipe& recipe : picture_set) {
        const std::string path = folder + "/" + recipe.name + ".png";
        const std::string command =
            std::string(CONVERT_PATH) + " -seed 7 " + recipe.arguments + " PNG32:'" + path + "'";
        if (std::system(command.c_str()) != 0) std::fprintf(stderr, "convert failed: %s\n", recipe.name);
        paths.push_back(path);
    }
    return paths;
}

// Squares go to the board's places; a whole-window picture to (0, 0).
void bench_put(const char* label, int width, int height, int rounds) {
    IMAGE picture(width, height);
    for (int i = 0; i < width * height; ++i) picture.pixels[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
    const Clock::time_point start = Clock::now();
    const bool whole = width >= 360;
    for (int round = 0; round < rounds; ++round) {
        put_image(whole ? 0 : (round % 5) * 72, whole ? 0 : 144 + (round / 5 % 10) * 72, &picture);
    }
    const double elapsed = seconds_since(start);
    std::printf("put_image %-9s %9.2f us a call, %10.0f calls/s\n", label, elapsed / rounds * 1e6, rounds / elapsed);
}

void bench_load(const std::vector<std::string>& paths) {
    constexpr int rounds = 20;
    const Clock::time_point start = Clock::now();
    for (int round = 0; round < rounds; ++round) {
        std::vector<IMAGE> pictures(paths.size());
        for (std::size_t i = 0; i < paths.size(); ++i) load_image(&pictures[i], paths[i].c_str());
    }
    const double elapsed = seconds_since(start);
    std::printf("load_image of the 15-picture set: %.1f ms a set\n", elapsed / rounds * 1e3);
}

// Copies and CPU over `seconds` while `work` runs on the main thread.
template <typename Work>
void measure_copies(const char* label, double seconds, pid_t xvfb, Work work) {
    WindowThread& thread = *window_object()->window_thread;
    const std::uint64_t copies_before = thread.copy_count();
    const double cpu_before = process_cpu_seconds();
    const double xvfb_before = xvfb > 0 ? cpu_seconds(xvfb) : 0;
    const Clock::time_point start = Clock::now();
    while (seconds_since(start) < seconds) work();
    const double elapsed = seconds_since(start);
    const double copies = static_cast<double>(thread.copy_count() - copies_before);
    const double cpu = process_cpu_seconds() - cpu_before;
    std::printf("%s: %.1f copies/s, process CPU %.1f%% of a core", label, copies / elapsed, cpu / elapsed * 100);
    if (xvfb > 0) std::printf(", Xvfb CPU %.1f%%", (cpu_seconds(xvfb) - xvfb_before) / elapsed * 100);
    std::printf("\n");
}

// Every picture is gone when this returns, so the library has stopped and
// the window thread has left the X server.
bool run_benchmarks(const std::vector<std::string>& paths, pid_t xvfb) {
    IMAGE keeps_the_library_running;
    if (init_window(360, 904, 0) == 0) {
        std::fprintf(stderr, "drawing_bench: no window\n");
        return false;
    }
    std::printf("video driver %s, window 360 x 904\n", window_driver_name());
    bench_put("72x72", 72, 72, 200000);
    bench_put("360x904", 360, 904, 2000);
    bench_load(paths);

    measure_copies("idle, main thread asleep", 3.0, xvfb,
                   [] { std::this_thread::sleep_for(std::chrono::milliseconds(100)); });
    IMAGE square(72, 72);
    measure_copies("main thread drawing a board of 50 squares in a loop", 3.0, xvfb, [&] {
        for (int i = 0; i < 50; ++i) put_image((i % 5) * 72, 144 + (i / 5) * 72, &square);
    });

    close_window();
    return true;
}

}  // namespace

int main() {
    pid_t xvfb = -1;
    if (!std::getenv("DISPLAY")) xvfb = start_xvfb();
    setenv("SDL_VIDEODRIVER", "x11", 0);

    char folder_pattern[] = "/tmp/drawing-bench-XXXXXX";
    const std::string folder = mkdtemp(folder_pattern);
    const bool ran = run_benchmarks(make_picture_set(folder), xvfb);
    std::system(("rm -rf '" + folder + "'").c_str());
    if (xvfb > 0) {
        kill(xvfb, SIGTERM);
        waitpid(xvfb, nullptr, 0);
    }
    return ran ? 0 : 1;
}
