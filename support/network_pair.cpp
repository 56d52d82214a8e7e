#include "network_pair.h"

#include "protocol.h"
#include "x_display.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <span>
#include <stdexcept>
#include <thread>

namespace support {

namespace {

constexpr const char* server_side_address = "10.231.0.1";

void run_ip(const std::string& arguments) {
    CommandResult result = run_command(std::string(IP_PATH) + " " + arguments + " 2>&1");
    if (result.status != 0) {
        throw std::runtime_error("cannot make two network namespaces (root needed): ip " + arguments +
                                 ": " + result.output);
    }
}

// The process that made a pair's namespace, from its name rpsA-<pid> or
// rpsB-<pid>; 0 for any other name.
pid_t maker_of(const std::string& name) {
    const std::string digits = name.size() > 5 ? name.substr(5) : "";
    if (name.rfind("rpsA-", 0) != 0 && name.rfind("rpsB-", 0) != 0) return 0;
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) return 0;
    return std::stoi(digits);
}

// Pairs left by a test process that was killed before its teardown.
void remove_orphans() {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("/run/netns", ignored)) {
        const std::string file = entry.path().filename().string();
        const pid_t maker = maker_of(file);
        if (maker > 0 && kill(maker, 0) != 0) {
            run_command(std::string(IP_PATH) + " netns del " + file + " 2>/dev/null");
            std::filesystem::remove_all("/etc/netns/" + file, ignored);
        }
    }
}

}  // namespace

NetworkPair::NetworkPair(const std::string& key)
    : server_side_("rpsA-" + std::to_string(getpid())),
      player_side_("rpsB-" + std::to_string(getpid())),
      server_{server_side_address, core::default_port, key} {
    remove_orphans();
    const std::string pid = std::to_string(getpid());
    try {
        run_ip("netns add " + server_side_);
        run_ip("netns add " + player_side_);
        run_ip("link add rpsa" + pid + " netns " + server_side_ + " type veth peer name rpsb" + pid +
               " netns " + player_side_);
        for (const auto& [side, address, link] : {std::tuple{server_side_, "10.231.0.1/29", "rpsa" + pid},
                                                  {player_side_, "10.231.0.2/29", "rpsb" + pid}}) {
            run_ip("-n " + side + " addr add " + address + " dev " + link);
            run_ip("-n " + side + " link set " + link + " up");
            run_ip("-n " + side + " link set lo up");
        }
        for (const char* address : std::span(player_side_addresses).subspan(1)) {
            run_ip("-n " + player_side_ + " addr add " + address + "/29 dev rpsb" + pid);
        }
    } catch (...) {
        tear_down();
        throw;
    }
}

NetworkPair::~NetworkPair() { tear_down(); }

// Deleting a namespace takes its end of the veth pair, and so the pair, with it.
void NetworkPair::tear_down() const {
    for (const auto& side : {server_side_, player_side_}) {
        run_command(std::string(IP_PATH) + " netns del " + side + " 2>/dev/null");
        std::error_code ignored;
        std::filesystem::remove_all("/etc/netns/" + side, ignored);
    }
}

// ip netns exec binds each file of /etc/netns/NAME over the one in /etc.
int NetworkPair::listen_on_server_side_ipv6_loopback(int port) const {
    int listener = -1;
    run_on_server_side([&] {
        listener = socket(AF_INET6, SOCK_STREAM, 0);
        sockaddr_in6 address{};
        address.sin6_family = AF_INET6;
        address.sin6_addr = in6addr_loopback;
        address.sin6_port = htons(static_cast<std::uint16_t>(port));
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener, 16);
    });
    return listener;
}

void NetworkPair::set_server_side_hosts(const std::string& text) const {
    const std::filesystem::path folder = "/etc/netns/" + server_side_;
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "hosts") << text;
}

std::vector<std::string> NetworkPair::launcher(const std::string& side) {
    return {IP_PATH, "netns", "exec", side};
}

std::vector<std::string> NetworkPair::server_options() const {
    return {"--server", server_.host, "--key", server_.key};
}

std::unique_ptr<ChildProcess> NetworkPair::start_server(const std::vector<std::string>& options) const {
    auto words = on_server_side();
    words.insert(words.end(), {SERVER_PATH, "--listen", server_.host, "--key", server_.key});
    words.insert(words.end(), options.begin(), options.end());
    auto server = std::make_unique<ChildProcess>(words[0], std::vector<std::string>(words.begin() + 1, words.end()));
    for (int i = 0; i < 500 && get("/who").status != 200; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (get("/who").status != 200) {
        throw std::runtime_error("the server across the veth pair does not answer: " + server->standard_error());
    }
    return server;
}

// setns moves only the calling thread, so the work runs on one of its own.
void NetworkPair::run_on(const std::string& side, const std::function<void()>& work) {
    std::thread thread([&] {
        int fd = open(("/run/netns/" + side).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0 && setns(fd, CLONE_NEWNET) == 0) work();
        if (fd >= 0) close(fd);
    });
    thread.join();
}

void NetworkPair::run_on_server_side(const std::function<void()>& work) const { run_on(server_side_, work); }

void NetworkPair::run_on_player_side(const std::function<void()>& work) const { run_on(player_side_, work); }

Reply NetworkPair::get(const std::string& path, std::chrono::seconds reply_wait) const {
    return get(path, {}, reply_wait);
}

Reply NetworkPair::get(const std::string& path, const httplib::Headers& headers,
                       std::chrono::seconds reply_wait) const {
    Reply reply;
    run_on_player_side([&] {
        core::GameClient client(server_, reply_wait);
        client.set_connect_wait(std::chrono::milliseconds(200));
        if (auto result = client.Get(path, core::RequestHeaders(headers.begin(), headers.end()))) reply = {result->status, result->body};
    });
    return reply;
}

}  // namespace support
