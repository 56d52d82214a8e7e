#pragma once
// What the launcher asks of the system it runs on: starting, watching and
// stopping other programs, where its own executable is, this machine's
// network addresses, a look at a server's port, the display, the terminal and
// Ctrl+C, and the GBK text of the server's console. One implementation file
// per system, chosen by CMake.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace launcher {

using ProcessId = long;

struct Launch {
    std::string program;                 // a path
    std::vector<std::string> arguments;  // after the program's name
    // Added to the launcher's own environment: the key goes this way, never
    // on a command line, which every user of the machine can read.
    std::vector<std::pair<std::string, std::string>> environment;
    std::string folder;        // where it runs; empty: the launcher's folder
    std::string output_file;   // standard output, appended; empty: the launcher's
    std::string error_file;    // standard error, appended; empty: the launcher's
    // In a session of its own, which neither Ctrl+C nor a closed terminal ends.
    bool own_session = false;
};

// Starts the program with posix_spawn (never a bare fork: a window thread may
// run), its input from nowhere and none of the launcher's other files open.
// None, with one line in `error`, when it could not be started.
std::optional<ProcessId> start_program(const Launch& launch, std::string& error);

// The exit status of a program this launcher started, once it has ended
// (128 + the signal's number when a signal ended it); none while it runs.
std::optional<int> exit_status(ProcessId process);
// Waits for a program this launcher started to end; its exit status.
int wait_for_program(ProcessId process);

// True while the process runs: false once it is gone, or has ended and waits
// for whoever started it.
bool running(ProcessId process);
// Asks the process to end, as `kill PID` does.
void ask_to_end(ProcessId process);

// The launcher's own executable, links resolved.
std::string own_executable();
// The name the launcher was started under, without its folder: what its
// messages begin with (scripts/play starts it as "play").
std::string own_name();

// This machine's IPv4 addresses besides loopback, on interfaces that are up.
std::vector<std::string> network_addresses();

// True when the name or address is known to the system's resolver.
bool name_resolves(const std::string& host);

// Why no window can open here, in one line; empty when one can.
std::string missing_display();

// True when the launcher's standard input is a terminal a player types at.
bool input_is_terminal();

// From now on Ctrl+C does not end the launcher: it only counts.
void count_interrupts();
// How many Ctrl+C came since count_interrupts.
int interrupts();

// One line of the server's console, which speaks GBK, as UTF-8.
std::string gbk_to_utf8(const std::string& line);

}  // namespace launcher
