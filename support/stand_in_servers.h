#pragma once
// Stand-in game servers on ports of their own, for the players' requests: one
// that answers from a script and keeps what it was sent, and one whose every
// reply is hostile.

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace support {

struct Scripted {
    int status;
    std::string body;
    int delay_ms = 0;
};

class ScriptedServer {
public:
    ScriptedServer() {
        for (const char* path : {"/join", "/start", "/who", "/next", "/what", "/who_win", "/view"}) {
            server_.Get(path, [this, path](const httplib::Request& req, httplib::Response& res) {
                answer(path, req, res);
            });
        }
        for (const char* path : {"/chess", "/win", "/seat", "/move", "/resign"}) {
            server_.Post(path, [this, path](const httplib::Request& req, httplib::Response& res) {
                answer(path, req, res);
            });
        }
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::yield();
    }
    ~ScriptedServer() {
        server_.stop();
        thread_.join();
    }

    // Replies in order; the last one is repeated for ever.
    void script(const std::string& path, std::deque<Scripted> replies) {
        std::lock_guard lock(mutex_);
        replies_[path] = std::move(replies);
    }
    std::vector<std::string> bodies(const std::string& path) {
        std::lock_guard lock(mutex_);
        return received_[path];
    }
    int port() const { return port_; }

private:
    void answer(const std::string& path, const httplib::Request& req, httplib::Response& res) {
        std::unique_lock lock(mutex_);
        received_[path].push_back(req.body);
        received_["Authorization"].push_back(req.get_header_value("Authorization"));
        received_["Seat"].push_back(req.get_header_value("Seat"));
        received_["after"].push_back(req.get_param_value("after"));
        auto& queue = replies_[path];
        if (queue.empty()) {
            res.status = 404;
            return;
        }
        Scripted reply = queue.front();
        if (queue.size() > 1) queue.pop_front();
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(reply.delay_ms));
        res.status = reply.status;
        res.set_content(reply.body, "text/plain");
    }

    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    std::mutex mutex_;
    std::map<std::string, std::deque<Scripted>> replies_;
    std::map<std::string, std::vector<std::string>> received_;
};

// A server whose every reply is hostile: a body without end, headers without
// end, or a byte now and then for ever.
enum class Hostility { endless_body, endless_headers, drip };

class HostileServer {
public:
    explicit HostileServer(Hostility kind) : kind_(kind) {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(listener_, reinterpret_cast<sockaddr*>(&address), length);
        listen(listener_, 16);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~HostileServer() {
        stopping_ = true;
        shutdown(listener_, SHUT_RDWR);
        thread_.join();
        close(listener_);
    }
    int port() const { return port_; }
    int connections() const { return connections_; }

private:
    void serve() {
        for (int sock; (sock = accept(listener_, nullptr, nullptr)) >= 0; close(sock)) {
            ++connections_;
            timeval limit{0, 100000};
            setsockopt(sock, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
            char request[4096];
            recv(sock, request, sizeof request, 0);
            const std::string head = kind_ == Hostility::endless_body
                                         ? "HTTP/1.1 200 OK\r\nContent-Length: 100000000000\r\n\r\n"
                                         : "HTTP/1.1 200 OK\r\n";
            send(sock, head.data(), head.size(), MSG_NOSIGNAL);
            const std::string unit = kind_ == Hostility::endless_body      ? std::string(65536, '0')
                                     : kind_ == Hostility::endless_headers ? "X-Flood: " + std::string(1000, 'f') + "\r\n"
                                                                           : "X";
            while (!stopping_) {
                if (send(sock, unit.data(), unit.size(), MSG_NOSIGNAL) < 0 && errno != EAGAIN) break;
                if (kind_ == Hostility::drip) std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        }
    }

    Hostility kind_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<int> connections_{0};
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace support
