#pragma once
// A plain TCP connection to the game's port, for requests no HTTP client
// library would send: unfinished lines, endless headers, broken chunks.

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>

class RawConnection {
public:
    // Connects to localhost:8089; fails the calling test if it cannot.
    RawConnection();
    // Connects to port 8089 of the IPv4 address `server` from the local
    // address `source`, in the calling thread's network namespace.
    RawConnection(const std::string& server, const std::string& source);
    ~RawConnection();
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    // Sends all of `bytes`; false once the server has closed or reset the
    // connection.
    bool send_all(const std::string& bytes);
    // Sends `unit` again and again until `total` bytes went out or the server
    // stopped taking them; returns the bytes sent.
    size_t send_repeated(const std::string& unit, size_t total);
    // Ends the sending side and reads until the server closes: the whole reply.
    std::string finish();
    // True while the server has neither closed nor reset the connection; what
    // it sent is read and dropped.
    bool open_at_server();
    // Everything the server sends until it closes, without ending the sending
    // side first; none when it falls silent for `limit` (under a second)
    // without closing.
    std::optional<std::string> reply_until_closed(std::chrono::milliseconds limit);

private:
    // A server that neither reads nor closes must fail the test, not hang it.
    void limit_waits();

    int sock_ = -1;
};

// The resident memory of a process in KiB, from /proc.
long resident_kib(pid_t pid);
// The threads of a process, from /proc.
long thread_count(pid_t pid);
