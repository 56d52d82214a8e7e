#pragma once
// The real game server on its real port, for tests that talk HTTP to it.

#include "child_process.h"
#include "game_constants.h"

#include <httplib.h>

#include <map>
#include <memory>
#include <string>

namespace support {

constexpr const char* game_host = core::default_host;
constexpr int game_port = core::default_port;

// True once something accepts connections on localhost:8089.
bool port_is_open();

class ServerProcess {
public:
    // Starts the server with `args`, and `env` added to its environment, and
    // waits until it accepts connections; fails the calling test if it does
    // not within a few seconds.
    explicit ServerProcess(const std::vector<std::string>& args = {},
                           const std::map<std::string, std::string>& env = {});
    ~ServerProcess();

    ChildProcess& process() { return *process_; }
    // The console bytes written so far.
    std::string console() const { return process_->standard_output(); }
    // SIGTERM and wait; returns the exit status.
    int stop();

private:
    std::unique_ptr<ChildProcess> process_;
};

// A GET or POST answered with status and body; status 0 when no reply came.
// A GET is given up after 30 s without an answer, beyond a long poll's 25 s.
struct Reply {
    int status = 0;
    std::string body;
};
Reply get(const std::string& path, const httplib::Headers& headers = {});
Reply post(const std::string& path, const std::string& body, const httplib::Headers& headers = {});

}  // namespace support
