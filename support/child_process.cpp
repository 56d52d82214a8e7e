#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace support {

namespace {

std::string temp_file(const char* tag) {
    std::string pattern = std::string("/tmp/game-test-") + tag + "-XXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd < 0) throw std::runtime_error("mkstemp failed");
    close(fd);
    return pattern;
}

int decode_status(int raw) {
    if (WIFEXITED(raw)) return WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
    return -1;
}

}  // namespace

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

ChildProcess::ChildProcess(const std::string& path, const std::vector<std::string>& args,
                           const std::string& working_dir,
                           const std::map<std::string, std::string>& env)
    : out_path_(temp_file("out")), err_path_(temp_file("err")) {
    std::vector<std::string> argv_text{path};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        // A test that crashes must not leave its server or windows behind,
        // still holding the port and the display.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        int out = open(out_path_.c_str(), O_WRONLY | O_TRUNC);
        int err = open(err_path_.c_str(), O_WRONLY | O_TRUNC);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        int null_in = open("/dev/null", O_RDONLY);
        dup2(null_in, STDIN_FILENO);
        if (!working_dir.empty() && chdir(working_dir.c_str()) != 0) _exit(126);
        for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv;
        for (auto& a : argv_text) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(path.c_str(), argv.data());
        _exit(127);
    }
}

ChildProcess::~ChildProcess() {
    if (!status_) stop(std::chrono::milliseconds(500));
    unlink(out_path_.c_str());
    unlink(err_path_.c_str());
}

bool ChildProcess::running() {
    return !wait_for_exit(std::chrono::milliseconds(0)).has_value();
}

std::optional<int> ChildProcess::wait_for_exit(std::chrono::milliseconds limit) {
    if (status_) return status_;
    auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int raw = 0;
        pid_t done = waitpid(pid_, &raw, WNOHANG);
        if (done == pid_) {
            status_ = decode_status(raw);
            return status_;
        }
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void ChildProcess::send_signal(int signal) {
    if (!status_) kill(pid_, signal);
}

int ChildProcess::stop(std::chrono::milliseconds grace) {
    send_signal(SIGTERM);
    if (auto status = wait_for_exit(grace)) return *status;
    send_signal(SIGKILL);
    return wait_for_exit(std::chrono::milliseconds(5000)).value_or(-1);
}

std::string ChildProcess::standard_output() const { return read_file(out_path_); }
std::string ChildProcess::standard_error() const { return read_file(err_path_); }

double cpu_seconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    double ticks = 0;
    for (int index = 1; stat >> field && index <= 15; ++index) {
        if (index == 14 || index == 15) ticks += std::atof(field.c_str());
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

}  // namespace support
