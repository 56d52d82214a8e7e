#pragma once
// A plain TCP connection to the game's port, for requests no HTTP client
// library would send: unfinished lines, endless headers, broken chunks.

#include <sys/types.h>

#include <string>

class RawConnection {
public:
    // Connects to localhost:8089; fails the calling test if it cannot.
    RawConnection();
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
    // True while the server has neither closed nor reset the connection.
    bool open_at_server();

private:
    int sock_ = -1;
};

// The resident memory of a process in KiB, from /proc.
long resident_kib(pid_t pid);
// The threads of a process, from /proc.
long thread_count(pid_t pid);
