#include "demo_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

using namespace support;

DemoProcess::DemoProcess(const std::string& display) {
    char directory[] = "/tmp/drawing-demo-XXXXXX";
    fifo_path_ = std::string(mkdtemp(directory)) + "/commands";
    mkfifo(fifo_path_.c_str(), 0600);
    process_ = std::make_unique<ChildProcess>(DEMO_PATH, std::vector<std::string>{fifo_path_}, "",
                                              std::map<std::string, std::string>{
                                                  {"DISPLAY", display}, {"SDL_VIDEODRIVER", "x11"}});
    // Opening a FIFO without a reader fails at once in non-blocking mode, so
    // a demo that never starts cannot hang the test here.
    signal(SIGPIPE, SIG_IGN);
    for (int tries = 0; tries < 1000 && !commands_; ++tries) {
        const int fd = ::open(fifo_path_.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) {
            fcntl(fd, F_SETFL, 0);
            commands_ = fdopen(fd, "w");
        } else if (process_->running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        } else {
            break;
        }
    }
}

DemoProcess::~DemoProcess() {
    if (commands_) std::fclose(commands_);
    process_.reset();
    unlink(fifo_path_.c_str());
    rmdir(fifo_path_.substr(0, fifo_path_.rfind('/')).c_str());
}

void DemoProcess::send(const std::string& command) {
    if (!commands_) return;
    std::fprintf(commands_, "%s\n", command.c_str());
    std::fflush(commands_);
}

std::string DemoProcess::next_line() {
    for (int tries = 0; tries < 1000; ++tries) {
        std::istringstream lines(process_->standard_output());
        std::string line;
        for (std::size_t index = 0; std::getline(lines, line); ++index) {
            if (index == lines_read_ && !lines.eof()) {
                ++lines_read_;
                return line;
            }
        }
        if (!process_->running()) return "";
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return "";
}

std::string DemoProcess::ask(const std::string& command) {
    send(command);
    return next_line();
}

unsigned long DemoProcess::open(int width, int height, int flags) {
    std::istringstream answer(
        ask("open " + std::to_string(width) + " " + std::to_string(height) + " " + std::to_string(flags)));
    std::string word;
    unsigned long handle = 0;
    answer >> word >> handle;
    return handle;
}
