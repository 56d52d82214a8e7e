// Bad and borderline requests sent raw to the running server, one connection
// each: what the server answers (status line, or "dropped" when it closes
// without a reply), whether the game state is what it should be afterwards,
// whether it still answers, and its resident memory. One line per case.
// Usage: bad_requests HOST_IP PORT SERVER_PID

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

sockaddr_in server_address;
int server_pid = 0;
const std::string kept_board = std::string(50, '0') + std::string(50, '1');
constexpr size_t cap = 16 * 1024 * 1024;

struct Case {
    std::string name;
    std::string head;
    std::string body;             // sent after the head, up to the server's refusal
    bool close_early = false;     // close without reading, mid-request
    std::string stored;           // the board expected afterwards
};

long resident_mib() {
    std::ifstream status("/proc/" + std::to_string(server_pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib / 1024;
        }
        status.ignore(1 << 16, '\n');
    }
    return -1;
}

int connect_to_server() {
    int sock = socket(AF_INET, SOCK_STREAM, 0);
    if (connect(sock, reinterpret_cast<sockaddr*>(&server_address), sizeof server_address) != 0) {
        close(sock);
        return -1;
    }
    return sock;
}

bool send_all(int sock, const std::string& bytes) {
    for (size_t sent = 0; sent < bytes.size();) {
        ssize_t n = send(sock, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

// The whole reply until the server closes, or what came within 10 s.
std::string read_reply(int sock) {
    std::string reply;
    char buffer[65536];
    pollfd entry{sock, POLLIN, 0};
    while (poll(&entry, 1, 10000) > 0) {
        ssize_t n = recv(sock, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        reply.append(buffer, static_cast<size_t>(n));
    }
    return reply;
}

std::string exchange(const std::string& request) {
    int sock = connect_to_server();
    if (sock < 0) return "";
    send_all(sock, request);
    shutdown(sock, SHUT_WR);
    std::string reply = read_reply(sock);
    close(sock);
    return reply;
}

std::string body_of(const std::string& reply) {
    auto at = reply.find("\r\n\r\n");
    return at == std::string::npos ? "" : reply.substr(at + 4);
}

std::string get(const std::string& path) {
    return body_of(exchange("GET " + path + " HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n"));
}

void post_board(const std::string& board) {
    exchange("POST /chess HTTP/1.1\r\nConnection: close\r\nContent-Length: " +
             std::to_string(board.size()) + "\r\n\r\n" + board);
}

std::string status_line(const std::string& reply) {
    if (reply.empty()) return "dropped";
    return reply.substr(0, reply.find("\r\n"));
}

std::string with_length(const std::string& path, size_t size, char fill) {
    return "POST " + path + " HTTP/1.1\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n" +
           std::string(size, fill);
}

std::string many_headers(int count) {
    std::string headers = "GET /who HTTP/1.1\r\n";
    for (int i = 0; i < count; ++i) headers += "a: b\r\n";
    return headers + "\r\n";
}

std::string chunked(const std::string& path, const std::string& chunks) {
    return "POST " + path + " HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n" + chunks;
}

std::string chunks_of(size_t total) {
    std::string one = "100000\r\n" + std::string(0x100000, 'c') + "\r\n";
    std::string all;
    for (size_t sent = 0; sent < total; sent += 0x100000) all += one;
    return all + "0\r\n\r\n";
}

std::vector<Case> cases() {
    std::string ranges = "GET /what HTTP/1.1\r\nRange: bytes=0-";
    for (int i = 0; i < 2000; ++i) ranges += ",0-";
    return {
        {"body 0 B", with_length("/chess", 0, 'x'), "", false, ""},
        {"body 100 B", with_length("/chess", 100, '1'), "", false, std::string(100, '1')},
        {"body 1 MiB", with_length("/chess", 1 << 20, 'm'), "", false, std::string(1 << 20, 'm')},
        {"body at the cap (16 MiB)", with_length("/chess", cap, 'c'), "", false, std::string(cap, 'c')},
        {"body over the cap", "POST /chess HTTP/1.1\r\nContent-Length: " + std::to_string(cap + 1) + "\r\n\r\n",
         std::string(cap + 1, 'o'), false, kept_board},
        {"Content-Length -1", "POST /chess HTTP/1.1\r\nContent-Length: -1\r\n\r\nab", "", false, kept_board},
        {"Content-Length not a number", "POST /chess HTTP/1.1\r\nContent-Length: ten\r\n\r\nab", "", false, ""},
        {"chunked, 2 chunks", chunked("/chess", "2\r\n01\r\n3\r\n020\r\n0\r\n\r\n"), "", false, "01020"},
        {"chunked, size not hex", chunked("/chess", "zz\r\nab\r\n0\r\n\r\n"), "", false, kept_board},
        {"chunked, size overflows", chunked("/chess", "ffffffffffffffffff\r\nab\r\n"), "", false, kept_board},
        {"chunked, chunk longer than its size", chunked("/chess", "2\r\nabcd\r\n0\r\n\r\n"), "", false, "ab"},
        {"chunked, 17 MiB", chunked("/chess", ""), chunks_of(cap + (1 << 20)), false, kept_board},
        {"no length, 17 MiB until close", "POST /chess HTTP/1.1\r\n\r\n", std::string(cap + (1 << 20), 'n'),
         false, kept_board},
        {"closed mid-body", "POST /chess HTTP/1.1\r\nContent-Length: 100\r\n\r\n0101", "", true, kept_board},
        {"closed mid-head", "POST /chess HTTP/1.1\r\nContent-Le", "", true, kept_board},
        {"bad request line", "GARBAGE\r\n\r\n", "", false, kept_board},
        {"unknown method", "BREW /who HTTP/1.1\r\n\r\n", "", false, kept_board},
        {"HTTP/1.0 request", "GET /who HTTP/1.0\r\n\r\n", "", false, kept_board},
        {"line ends LF only", "GET /who HTTP/1.1\n\n", "", false, kept_board},
        {"request line 16 KiB", "GET /who?" + std::string(16 * 1024, 'q') + " HTTP/1.1\r\n\r\n", "", false,
         kept_board},
        {"request line endless", "GET /", std::string(64 << 20, 'a'), false, kept_board},
        {"header line 16 KiB", "GET /who HTTP/1.1\r\nX: " + std::string(16 * 1024, 'h') + "\r\n\r\n", "", false,
         kept_board},
        {"header line endless", "GET /who HTTP/1.1\r\nX: ", std::string(64 << 20, 'h'), false, kept_board},
        {"1000 headers", many_headers(1000), "", false, kept_board},
        {"100000 headers", many_headers(100000), "", false, kept_board},
        {"2001 ranges of /what", ranges + "\r\n\r\n", "", false, kept_board},
        {"/win body x", with_length("/win", 1, 'x'), "", false, kept_board},
        {"Expect: 100-continue", "POST /chess HTTP/1.1\r\nExpect: 100-continue\r\nContent-Length: 2\r\n\r\n01",
         "", false, "01"},
    };
}

void run(const Case& c) {
    post_board(kept_board);
    int sock = connect_to_server();
    if (sock < 0) {
        std::printf("%-38s cannot connect\n", c.name.c_str());
        return;
    }
    bool sent = send_all(sock, c.head) && send_all(sock, c.body);
    std::string reply;
    if (!c.close_early) {
        shutdown(sock, SHUT_WR);
        reply = read_reply(sock);
    }
    close(sock);
    std::string board = get("/what");
    bool serving = get("/who") == "1" && get("/who_win") == "0";
    std::printf("%-38s %-36s %-9s board %-9s %s  rss %ld MiB\n", c.name.c_str(),
                c.close_early ? "(closed by us)" : status_line(reply).c_str(),
                sent ? "all sent" : "cut off", board == c.stored ? "as due" : "CHANGED",
                serving ? "serving" : "NOT SERVING", resident_mib());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s HOST_IP PORT SERVER_PID\n", argv[0]);
        return 2;
    }
    server_address.sin_family = AF_INET;
    server_address.sin_port = htons(static_cast<uint16_t>(std::atoi(argv[2])));
    inet_pton(AF_INET, argv[1], &server_address.sin_addr);
    server_pid = std::atoi(argv[3]);
    for (const Case& c : cases()) run(c);
    return 0;
}
