#pragma once
// A program started by a test: its standard output and error go to files so the
// test can read them while it runs and after it ends.

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace support {

class ChildProcess {
public:
    // Starts `path` with `args` in `working_dir` (empty: the test's own), with
    // `env` added to the environment.
    ChildProcess(const std::string& path, const std::vector<std::string>& args = {},
                 const std::string& working_dir = "",
                 const std::map<std::string, std::string>& env = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    // The exit status, or nullopt if it has not ended within `limit`.
    // A process ended by a signal reports 128 + the signal number.
    std::optional<int> wait_for_exit(std::chrono::milliseconds limit);
    void send_signal(int signal);
    // SIGTERM, then SIGKILL after `grace`; returns the exit status.
    int stop(std::chrono::milliseconds grace = std::chrono::milliseconds(2000));

    std::string standard_output() const;
    std::string standard_error() const;

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
    std::string out_path_;
    std::string err_path_;
};

// Reads a whole file; empty if it cannot be read.
std::string read_file(const std::string& path);

// User and system time of any process in seconds, from /proc; 0 once it is gone.
double cpu_seconds(pid_t pid);

}  // namespace support
