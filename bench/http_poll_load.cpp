// Load in the clients' own pattern: every request on a new TCP connection,
// "Connection: close", one GET path polled back to back by N pollers.
// Usage: http_poll_load HOST_IP PORT PATH POLLERS SECONDS
// Prints one line: pollers, requests, failures, requests/s, p50, p99, max (us).

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using steady = std::chrono::steady_clock;

// One request; true when a complete 200 reply came back.
bool one_request(const sockaddr_in& address, const std::string& request) {
    int sock = socket(AF_INET, SOCK_STREAM, 0);
    if (sock < 0) return false;
    bool ok = false;
    if (connect(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        send(sock, request.data(), request.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(request.size())) {
        std::string reply;
        char buffer[4096];
        ssize_t n;
        while ((n = recv(sock, buffer, sizeof buffer, 0)) > 0) reply.append(buffer, n);
        ok = reply.rfind("HTTP/1.1 200", 0) == 0;
    }
    close(sock);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s HOST_IP PORT PATH POLLERS SECONDS\n", argv[0]);
        return 2;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(std::atoi(argv[2])));
    inet_pton(AF_INET, argv[1], &address.sin_addr);
    std::string request = std::string("GET ") + argv[3] +
                          " HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n"
                          "Accept: */*\r\nUser-Agent: poller\r\n\r\n";
    int pollers = std::atoi(argv[4]);
    auto duration = std::chrono::duration<double>(std::atof(argv[5]));

    std::vector<std::vector<double>> latencies(pollers);
    std::atomic<long> failures{0};
    auto end = steady::now() + std::chrono::duration_cast<steady::duration>(duration);
    std::vector<std::thread> threads;
    for (int p = 0; p < pollers; ++p) {
        threads.emplace_back([&, p] {
            while (steady::now() < end) {
                auto start = steady::now();
                bool ok = one_request(address, request);
                auto took = std::chrono::duration<double, std::micro>(steady::now() - start);
                if (ok) latencies[p].push_back(took.count());
                else ++failures;
            }
        });
    }
    for (auto& t : threads) t.join();

    std::vector<double> all;
    for (auto& l : latencies) all.insert(all.end(), l.begin(), l.end());
    std::sort(all.begin(), all.end());
    auto at = [&](double q) { return all.empty() ? 0.0 : all[static_cast<size_t>(q * (all.size() - 1))]; };
    std::printf("%d %zu %ld %.0f %.0f %.0f %.0f\n", pollers, all.size(), failures.load(),
                all.size() / duration.count(), at(0.5), at(0.99), all.empty() ? 0.0 : all.back());
    return 0;
}
