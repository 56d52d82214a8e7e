#include "referee_stand_in.h"

#include <chrono>

namespace support {

RefereeStandIn::RefereeStandIn(int seat_number) {
    server_.Post("/seat", [this, seat_number](const httplib::Request& request, httplib::Response& response) {
        count(request);
        response.set_content(std::to_string(seat_number) + " " + token, "text/plain");
    });
    server_.Get("/view", [this](const httplib::Request& request, httplib::Response& response) {
        serve_view(request, response);
    });
    server_.Post("/move", [this](const httplib::Request& request, httplib::Response& response) {
        count(request);
        std::lock_guard lock(mutex_);
        moves_.push_back(request.body);
        response.set_content("ok", "text/plain");
    });
    server_.Post("/resign", [this](const httplib::Request& request, httplib::Response& response) {
        count(request);
        response.set_content("ok", "text/plain");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::yield();
}

RefereeStandIn::~RefereeStandIn() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    server_.stop();
    thread_.join();
}

std::vector<std::string> RefereeStandIn::server_options() const {
    return {"--server", "127.0.0.1:" + std::to_string(port_)};
}

void RefereeStandIn::set_view(core::GameView view) {
    {
        std::lock_guard lock(mutex_);
        view.version = view_.version + 1;
        view_ = view;
    }
    changed_.notify_all();
}

int RefereeStandIn::requests(const std::string& path) const {
    std::lock_guard lock(mutex_);
    auto found = requests_.find(path);
    return found == requests_.end() ? 0 : found->second;
}

int RefereeStandIn::all_requests() const {
    std::lock_guard lock(mutex_);
    int all = 0;
    for (const auto& [path, count] : requests_) all += count;
    return all;
}

std::vector<std::string> RefereeStandIn::moves() const {
    std::lock_guard lock(mutex_);
    return moves_;
}

bool RefereeStandIn::seat_named_on_every_view_and_move() const {
    std::lock_guard lock(mutex_);
    return seat_always_named_;
}

void RefereeStandIn::count(const httplib::Request& request) {
    std::lock_guard lock(mutex_);
    ++requests_[request.path];
    if (request.path != "/seat" && request.get_header_value("Seat") != token) seat_always_named_ = false;
}

void RefereeStandIn::serve_view(const httplib::Request& request, httplib::Response& response) {
    count(request);
    std::unique_lock lock(mutex_);
    if (request.has_param("after")) {
        const std::uint64_t after = std::stoull(request.get_param_value("after"));
        changed_.wait_for(lock, std::chrono::seconds(25), [&] { return stopping_ || view_.version > after; });
    }
    response.set_content(core::view_text(view_), "text/plain");
}

}  // namespace support
