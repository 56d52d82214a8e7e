#include "x_display.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace support {

namespace {

// Xvfb writes its display number to standard output once it accepts clients,
// or exits when the number is taken.
bool wait_until_ready(ChildProcess& server) {
    for (int tries = 0; tries < 500; ++tries) {
        if (server.standard_output().find('\n') != std::string::npos) return true;
        if (!server.running()) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// The next word of a PPM header, past any comment lines.
std::string ppm_word(std::istream& in) {
    std::string word;
    while (in >> word && word[0] == '#') {
        std::string rest;
        std::getline(in, rest);
    }
    return word;
}

// Xvfb told -displayfd keeps no lock file, and a test may run in a network
// namespace of its own, where the number's abstract socket is free while a
// server of another namespace holds the number: a second server there would
// take over the number's socket file and, ending, remove it. A lock of the
// tests' own keeps each number to one server on the machine, until the holder
// ends in any way.
int lock_number(int number) {
    const std::string path = "/tmp/.game-test-X" + std::to_string(number) + ".lock";
    const int file = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (file < 0) return -1;
    if (flock(file, LOCK_EX | LOCK_NB) != 0) {
        close(file);
        return -1;
    }
    return file;
}

std::string display_option(const std::string& display) {
    return "DISPLAY=" + display + " ";
}

}  // namespace

XDisplay::XDisplay(int first, int last) {
    for (int number = first; number <= last; ++number) {
        const int lock = lock_number(number);
        if (lock < 0) continue;
        const std::string name = ":" + std::to_string(number);
        auto server = std::make_unique<ChildProcess>(
            "/usr/bin/Xvfb", std::vector<std::string>{name, "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                                                     "-displayfd", "1"});
        if (wait_until_ready(*server)) {
            server_ = std::move(server);
            name_ = name;
            number_lock_ = lock;
            return;
        }
        server.reset();
        close(lock);
    }
}

XDisplay::~XDisplay() {
    // The server is gone, its socket file with it, before the number is free.
    server_.reset();
    if (number_lock_ >= 0) close(number_lock_);
}

CommandResult run_command(const std::string& command) {
    CommandResult result;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) result.output.append(chunk, got);
    const int raw = pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return result;
}

bool Capture::all_of(int left, int top, int right, int bottom, std::uint32_t color) const {
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            if (at(x, y) != color) return false;
        }
    }
    return true;
}

namespace {

Capture capture_from_ppm(const std::string& ppm) {
    Capture capture;
    std::istringstream in(ppm);
    const std::string magic = ppm_word(in);
    capture.width = std::atoi(ppm_word(in).c_str());
    capture.height = std::atoi(ppm_word(in).c_str());
    ppm_word(in);  // the largest channel value
    in.get();
    if (magic != "P6" || capture.width <= 0 || capture.height <= 0 || !in) return Capture{};
    const std::size_t count = static_cast<std::size_t>(capture.width) * capture.height;
    const std::size_t start = static_cast<std::size_t>(in.tellg());
    if (ppm.size() < start + count * 3) return Capture{};
    capture.pixels.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto* rgb = reinterpret_cast<const unsigned char*>(ppm.data() + start + i * 3);
        capture.pixels[i] = (std::uint32_t{rgb[0]} << 16) | (std::uint32_t{rgb[1]} << 8) | rgb[2];
    }
    return capture;
}

}  // namespace

Capture capture_window(const std::string& display, unsigned long window) {
    return capture_from_ppm(run_command(display_option(display) + "xwd -silent -id " +
                                        std::to_string(window) +
                                        " | " CONVERT_PATH " xwd:- -depth 8 ppm:-")
                                .output);
}

Capture read_picture(const std::string& path) {
    return capture_from_ppm(run_command(CONVERT_PATH " '" + path + "' -depth 8 ppm:-").output);
}

Geometry window_geometry(const std::string& display, unsigned long window) {
    const CommandResult info = run_command(display_option(display) + "xwininfo -id " + std::to_string(window) +
                                           " 2>/dev/null");
    Geometry geometry;
    std::istringstream lines(info.output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string first, second;
        words >> first;
        if (first == "Width:") words >> geometry.width;
        if (first == "Height:") words >> geometry.height;
        if (first == "Map") {
            words >> second >> second;
            geometry.viewable = second == "IsViewable";
        }
    }
    return geometry;
}

bool xdotool(const std::string& display, const std::string& arguments) {
    return run_command(display_option(display) + "xdotool " + arguments + " 2>&1").status == 0;
}

std::string window_property(const std::string& display, unsigned long window, const std::string& property) {
    return run_command(display_option(display) + "xprop -id " + std::to_string(window) + " " + property +
                       " 2>&1")
        .output;
}

}  // namespace support
