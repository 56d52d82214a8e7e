#include "processes.h"

#include "program_folder.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <iconv.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

extern char** environ;

namespace launcher {

namespace {

// The launcher's environment with `added` in place of any of the same name.
std::vector<std::string> environment_with(const std::vector<std::pair<std::string, std::string>>& added) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const auto& [name, value] : added) replaced = replaced || text.starts_with(name + "=");
        if (!replaced) result.push_back(text);
    }
    for (const auto& [name, value] : added) result.push_back(name + "=" + value);
    return result;
}

std::vector<char*> pointers_to(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (std::string& text : texts) result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

int status_of(int waited) {
    if (WIFSIGNALED(waited)) return 128 + WTERMSIG(waited);
    return WEXITSTATUS(waited);
}

volatile std::sig_atomic_t interrupt_count = 0;

void count_interrupt(int) { interrupt_count = interrupt_count + 1; }

}  // namespace

std::optional<ProcessId> start_program(const Launch& launch, std::string& error) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (!launch.output_file.empty()) {
        posix_spawn_file_actions_addopen(&actions, 1, launch.output_file.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    }
    if (!launch.error_file.empty()) {
        posix_spawn_file_actions_addopen(&actions, 2, launch.error_file.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    }
    // Whatever else the launcher holds open (a window's connection, a held
    // file) stays with the launcher.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    if (!launch.folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, launch.folder.c_str());
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    short flags = POSIX_SPAWN_SETSIGDEF;
    if (launch.own_session) flags |= POSIX_SPAWN_SETSID;
    posix_spawnattr_setflags(&attributes, flags);

    std::vector<std::string> words{launch.program};
    words.insert(words.end(), launch.arguments.begin(), launch.arguments.end());
    std::vector<std::string> environment = environment_with(launch.environment);
    std::vector<char*> argv = pointers_to(words);
    std::vector<char*> envp = pointers_to(environment);
    pid_t process = 0;
    const int failed = posix_spawnp(&process, launch.program.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0) {
        error = "cannot start " + launch.program + ": " + std::strerror(failed);
        return std::nullopt;
    }
    return process;
}

std::optional<int> exit_status(ProcessId process) {
    int waited = 0;
    const pid_t ended = waitpid(static_cast<pid_t>(process), &waited, WNOHANG);
    if (ended == 0) return std::nullopt;
    return ended < 0 ? 1 : status_of(waited);
}

int wait_for_program(ProcessId process) {
    int waited = 0;
    while (waitpid(static_cast<pid_t>(process), &waited, 0) < 0) {
        if (errno != EINTR) return 1;
    }
    return status_of(waited);
}

bool running(ProcessId process) {
    // One this launcher started is reaped here; another's ended process is
    // a zombie until its parent reaps it.
    waitpid(static_cast<pid_t>(process), nullptr, WNOHANG);
    if (kill(static_cast<pid_t>(process), 0) != 0) return false;
    std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
    const std::string text{std::istreambuf_iterator<char>(stat), {}};
    return text.find(") Z ") == std::string::npos;
}

void ask_to_end(ProcessId process) { kill(static_cast<pid_t>(process), SIGTERM); }

std::string own_executable() { return platform::program_path(); }

std::string own_name() { return program_invocation_short_name; }

std::vector<std::string> network_addresses() {
    std::vector<std::string> found;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return found;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        if ((entry->ifa_flags & IFF_UP) == 0 || (entry->ifa_flags & IFF_LOOPBACK) != 0) continue;
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr, text, sizeof text);
        found.emplace_back(text);
    }
    freeifaddrs(list);
    return found;
}

bool name_resolves(const std::string& host) {
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, nullptr, &found) != 0) return false;
    freeaddrinfo(found);
    return true;
}

std::string missing_display() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        return "no display: DISPLAY is not set; run this from a graphical session";
    }
    return "";
}

bool input_is_terminal() { return isatty(0) == 1; }

void count_interrupts() {
    struct sigaction action {};
    action.sa_handler = count_interrupt;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

int interrupts() { return interrupt_count; }

std::string gbk_to_utf8(const std::string& line) {
    const iconv_t converter = iconv_open("UTF-8", "GBK");
    if (converter == reinterpret_cast<iconv_t>(-1)) return line;
    std::string input = line;
    std::string result(line.size() * 2 + 4, '\0');
    char* in = input.data();
    char* out = result.data();
    std::size_t in_left = input.size();
    std::size_t out_left = result.size();
    while (in_left > 0) {
        if (iconv(converter, &in, &in_left, &out, &out_left) != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) break;
        // A byte that is not GBK shows as a question mark; the rest goes on.
        ++in;
        --in_left;
        if (out_left > 0) {
            *out++ = '?';
            --out_left;
        }
    }
    iconv_close(converter);
    result.resize(result.size() - out_left);
    return result;
}

}  // namespace launcher
