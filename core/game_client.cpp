#include "game_client.h"

#include "http_library.h"

#include <httplib.h>

namespace core {

namespace {

std::string host_and_port(const ServerAddress& address) {
    const bool ipv6 = address.host.find(':') != std::string::npos;
    return (ipv6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

httplib::Headers library_headers(const RequestHeaders& headers) {
    return httplib::Headers(headers.begin(), headers.end());
}

std::optional<ServerReply> reply_of(const httplib::Result& result) {
    if (!result) return std::nullopt;
    return ServerReply{result->status, result->body};
}

}  // namespace

GameClient::GameClient(const ServerAddress& address, std::chrono::seconds reply_wait)
    : connection_(std::make_unique<http::Client>(address.host, address.port, reply_wait, max_reply_bytes,
                                                 overrun_pause)),
      key_refusal_("the game server at " + host_and_port(address) +
                   (address.key.empty() ? " asks for the game key: give it with --key or GAME_KEY"
                                        : " refused the game key: check it with the player who hosts the game")) {
    connection_->library().set_connection_timeout(reply_wait);
    // The library would inflate a gzip or br body past every bound on what
    // was received.
    connection_->library().set_decompress(false);
    if (address.host != reachable_host(address.host)) {
        connection_->library().set_hostname_addr_map({{address.host, reachable_host(address.host)}});
    }
    if (!address.key.empty()) connection_->library().set_bearer_token_auth(address.key);
}

GameClient::~GameClient() = default;
GameClient::GameClient(GameClient&&) noexcept = default;
GameClient& GameClient::operator=(GameClient&&) noexcept = default;

std::optional<ServerReply> GameClient::Get(const std::string& path, const RequestHeaders& headers) {
    return taken(reply_of(connection_->library().Get(path.c_str(), library_headers(headers))));
}

std::optional<ServerReply> GameClient::Post(const std::string& path, const std::string& body,
                                            const std::string& content_type) {
    return Post(path, {}, body, content_type);
}

std::optional<ServerReply> GameClient::Post(const std::string& path, const RequestHeaders& headers,
                                            const std::string& body, const std::string& content_type) {
    return taken(reply_of(connection_->library().Post(path.c_str(), library_headers(headers), body, content_type.c_str())));
}

void GameClient::stop() { connection_->library().stop(); }

void GameClient::set_connect_wait(std::chrono::microseconds wait) { connection_->library().set_connection_timeout(wait); }

std::optional<ServerReply> GameClient::taken(std::optional<ServerReply> reply) {
    if (reply && reply->status == 401) key_refused_ = true;
    return reply;
}

}  // namespace core
