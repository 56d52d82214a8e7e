#pragma once
// The HTTP client every program of the game makes to reach the game server,
// made in this one place. What a server sends back is bounded: a reply may
// bring at most max_reply_bytes and take at most the request's reply wait, so
// a hostile or spoofed server can neither swell the program nor hold it for
// ever; such a reply fails the request, which goes out again after a short
// pause. A 401 is not a failure to repeat: it ends the program.

#include "server_address.h"

#include <httplib.h>

#include <chrono>
#include <cstddef>
#include <functional>

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

class GameClient : public httplib::ClientImpl {
public:
    // A client for `address` that sends the key, if any, as
    // "Authorization: Bearer KEY" and reaches the name localhost at 127.0.0.1
    // (see reachable_host). Each request may take up to `reply_wait`; a long
    // poll asks for more than the default. On a 401 reply the program ends
    // with status 2 and one line on standard error that says the server
    // refused the key, or asks for one.
    explicit GameClient(const ServerAddress& address, std::chrono::seconds reply_wait = default_reply_wait);

private:
    bool create_and_connect_socket(Socket& socket, httplib::Error& error) override;
    bool process_socket(const Socket& socket, std::function<bool(httplib::Stream&)> callback) override;

    std::chrono::seconds reply_wait_;
    std::chrono::steady_clock::time_point request_started_;
};
