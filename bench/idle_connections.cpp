// Holds COUNT connections to the server open without sending a byte, as a
// stray local process might, and opens a new one at once whenever the server
// closes one, for SECONDS. Prints how many times the server closed one.
// Usage: idle_connections HOST_IP PORT COUNT SECONDS

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

int open_idle(const sockaddr_in& address) {
    int sock = socket(AF_INET, SOCK_STREAM, 0);
    if (sock >= 0 && connect(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(sock);
        return -1;
    }
    return sock;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s HOST_IP PORT COUNT SECONDS\n", argv[0]);
        return 2;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(std::atoi(argv[2])));
    inet_pton(AF_INET, argv[1], &address.sin_addr);
    int count = std::atoi(argv[3]);
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(argv[4]));

    std::vector<pollfd> held(count);
    for (auto& entry : held) entry = pollfd{open_idle(address), POLLIN, 0};
    long closed_by_server = 0;
    while (std::chrono::steady_clock::now() < end) {
        for (auto& entry : held) {
            if (entry.fd < 0) entry.fd = open_idle(address);
        }
        if (poll(held.data(), held.size(), 100) <= 0) continue;
        for (auto& entry : held) {
            if (entry.revents == 0) continue;
            char byte;
            if (recv(entry.fd, &byte, 1, MSG_DONTWAIT) > 0) continue;
            close(entry.fd);
            ++closed_by_server;
            entry.fd = open_idle(address);
            entry.revents = 0;
        }
    }
    for (auto& entry : held) close(entry.fd);
    std::printf("%d %ld\n", count, closed_by_server);
    return 0;
}
