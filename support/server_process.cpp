#include "server_process.h"

#include <stdexcept>
#include <thread>

namespace support {

bool port_is_open() {
    httplib::Client probe(game_host, game_port);
    probe.set_connection_timeout(0, 200000);
    // An unknown path is answered 404 by the library and changes nothing.
    auto result = probe.Get("/__probe__");
    return static_cast<bool>(result);
}

ServerProcess::ServerProcess(const std::vector<std::string>& args,
                             const std::map<std::string, std::string>& env) {
    if (port_is_open()) {
        throw std::runtime_error("port 8089 is already taken by another process");
    }
    process_ = std::make_unique<ChildProcess>(SERVER_PATH, args, "", env);
    for (int i = 0; i < 500 && !port_is_open(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!port_is_open()) {
        throw std::runtime_error("server did not start: " + process_->standard_error());
    }
}

ServerProcess::~ServerProcess() { stop(); }

int ServerProcess::stop() { return process_->stop(); }

Reply get(const std::string& path, const httplib::Headers& headers) {
    httplib::Client client(game_host, game_port);
    client.set_read_timeout(30, 0);
    auto result = client.Get(path.c_str(), headers);
    if (!result) return {};
    return {result->status, result->body};
}

Reply post(const std::string& path, const std::string& body, const httplib::Headers& headers) {
    httplib::Client client(game_host, game_port);
    auto result = client.Post(path.c_str(), headers, body, "text/plain");
    if (!result) return {};
    return {result->status, result->body};
}

}  // namespace support
