#pragma once
// The HTTP client every program of the game makes to reach the game server,
// made in this one place; the HTTP library stays behind it. What a server
// sends back is bounded: a reply may bring at most max_reply_bytes and take at
// most the request's reply wait, so a hostile or spoofed server can neither
// swell the program nor hold it for ever; such a reply fails the request,
// which goes out again after a short pause. A 401 is not a failure to repeat:
// the client remembers it, and its caller stops with status 2.

#include "server_address.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace http {
class Client;
}

namespace core {

// The status line, the headers and the body of one reply together. A board is
// 100 bytes, and a long game's record tens of KiB.
constexpr std::size_t max_reply_bytes = 256 * 1024;
// The longest a request may take, from its connect to the last byte of its
// reply. The relay answers at once; this leaves room for a loaded server and a
// slow network, and a request that is not answered in time may have been
// served, so it must not be cut short: a repeated /next hands the turn back.
constexpr std::chrono::seconds default_reply_wait{30};
// The rest after a reply that went over its size or its time, before the
// request goes out again.
constexpr std::chrono::milliseconds overrun_pause{200};

// Every body the game's requests carry is plain text.
inline constexpr const char* text_plain = "text/plain";

struct ServerReply {
    int status = 0;
    std::string body;
};

using RequestHeaders = std::vector<std::pair<std::string, std::string>>;


class GameClient {
public:
    // A client for `address` that sends the key, if any, as
    // "Authorization: Bearer KEY" and reaches the name localhost at 127.0.0.1
    // (see reachable_host). Each request may take up to `reply_wait`; a long
    // poll asks for more than the default.
    explicit GameClient(const ServerAddress& address, std::chrono::seconds reply_wait = default_reply_wait);
    ~GameClient();
    GameClient(GameClient&&) noexcept;
    GameClient& operator=(GameClient&&) noexcept;

    // None when no whole reply came within its bounds.
    std::optional<ServerReply> Get(const std::string& path, const RequestHeaders& headers = {});
    std::optional<ServerReply> Post(const std::string& path, const std::string& body, const std::string& content_type);
    std::optional<ServerReply> Post(const std::string& path, const RequestHeaders& headers, const std::string& body,
                                    const std::string& content_type);
    // Breaks off the request in flight; safe from another thread.
    void stop();
    // A connect gets the whole reply wait unless told otherwise: a caller
    // that only probes whether a server is there need not wait that long.
    void set_connect_wait(std::chrono::microseconds wait);

    // True once a reply was 401: the server refused the key, or asks for one.
    // Asking again would only be refused again, as fast as the server answers.
    bool key_refused() const { return key_refused_; }
    // What the player is told then, after the program's name and ": ".
    const std::string& key_refusal() const { return key_refusal_; }

private:
    std::optional<ServerReply> taken(std::optional<ServerReply> reply);

    std::unique_ptr<http::Client> connection_;
    bool key_refused_ = false;
    std::string key_refusal_;
};

}  // namespace core
