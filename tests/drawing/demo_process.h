#pragma once
// The drawing_demo program on a test's X display, driven line by line.

#include "child_process.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

class DemoProcess {
public:
    explicit DemoProcess(const std::string& display);
    ~DemoProcess();
    DemoProcess(const DemoProcess&) = delete;
    DemoProcess& operator=(const DemoProcess&) = delete;

    // Sends a command and returns the next line it answers (empty if none
    // comes within a few seconds).
    std::string ask(const std::string& command);
    // Sends a command without waiting for an answer.
    void send(const std::string& command);
    // The next answer line not yet read.
    std::string next_line();

    // Opens a window and returns its X11 id (0 if none).
    unsigned long open(int width, int height, int flags);

    support::ChildProcess& process() { return *process_; }

private:
    std::string fifo_path_;
    std::unique_ptr<support::ChildProcess> process_;
    std::FILE* commands_ = nullptr;
    std::size_t lines_read_ = 0;
};
