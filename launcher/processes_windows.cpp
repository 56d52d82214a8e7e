#include "processes.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>

#include <atomic>
#include <map>
#include <mutex>

namespace launcher {

namespace {

std::wstring wide(const std::string& text) {
    int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length);
    return result;
}

std::string narrow(const std::wstring& text, UINT code_page = CP_UTF8) {
    int length = WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()), result.data(), length, nullptr, nullptr);
    return result;
}

std::string error_words(DWORD error) {
    wchar_t text[256] = L"";
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                  MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text, 256, nullptr);
    std::string words = narrow(std::wstring(text, length));
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == '.')) words.pop_back();
    return words;
}

// One argument as the C runtime of the started program splits it back:
// backslashes are literal except before a quote.
void append_argument(std::wstring& line, const std::wstring& argument) {
    if (!line.empty()) line += L' ';
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += argument;
        return;
    }
    line += L'"';
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

// The launcher's environment with `added` in place of any of the same name,
// as the block CreateProcessW takes: NUL after each entry, one more at the end.
std::wstring environment_with(const std::vector<std::pair<std::string, std::string>>& added) {
    std::wstring block;
    wchar_t* own = GetEnvironmentStringsW();
    for (const wchar_t* entry = own; *entry != L'\0'; entry += wcslen(entry) + 1) {
        const std::wstring text = entry;
        bool replaced = false;
        for (const auto& [name, value] : added) replaced = replaced || _wcsnicmp(text.c_str(), wide(name + "=").c_str(), name.size() + 1) == 0;
        if (!replaced) block += text + L'\0';
    }
    FreeEnvironmentStringsW(own);
    for (const auto& [name, value] : added) block += wide(name + "=" + value) + L'\0';
    block += L'\0';
    return block;
}

// A file the started program inherits as its output, appended to.
HANDLE output_file(const std::string& path) {
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(wide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE inheritable_copy(HANDLE handle) {
    HANDLE copy = nullptr;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS)) {
        return nullptr;
    }
    return copy;
}

// Windows reports on a process by its handle, which this launcher keeps
// from the start of each program to its end.
std::mutex started_mutex;
std::map<ProcessId, HANDLE> started;

HANDLE handle_of(ProcessId process) {
    std::lock_guard lock(started_mutex);
    auto found = started.find(process);
    return found == started.end() ? nullptr : found->second;
}

std::atomic<int> interrupt_count{0};

BOOL WINAPI count_interrupt(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    ++interrupt_count;
    return TRUE;
}

void start_winsock() {
    static const bool started_once = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started_once;
}

}  // namespace

// The server and the bot are console programs: started without a console
// window of their own, and each in a process group of its own when it must
// outlive a Ctrl+C. They inherit only their three standard handles.
std::optional<ProcessId> start_program(const Launch& launch, std::string& error) {
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE input = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, nullptr);
    HANDLE output = launch.output_file.empty() ? inheritable_copy(GetStdHandle(STD_OUTPUT_HANDLE)) : output_file(launch.output_file);
    HANDLE errors = launch.error_file.empty() ? inheritable_copy(GetStdHandle(STD_ERROR_HANDLE)) : output_file(launch.error_file);
    std::vector<HANDLE> handles;
    for (HANDLE handle : {input, output, errors}) {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) handles.push_back(handle);
    }

    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<unsigned char> attributes_memory(size);
    auto attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes_memory.data());
    InitializeProcThreadAttributeList(attributes, 1, 0, &size);
    UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles.data(),
                              handles.size() * sizeof(HANDLE), nullptr, nullptr);
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = input;
    startup.StartupInfo.hStdOutput = output;
    startup.StartupInfo.hStdError = errors;
    startup.lpAttributeList = attributes;

    std::wstring command_line;
    append_argument(command_line, wide(launch.program));
    for (const std::string& argument : launch.arguments) append_argument(command_line, wide(argument));
    std::wstring environment = environment_with(launch.environment);
    const std::wstring folder = wide(launch.folder);
    DWORD flags = CREATE_UNICODE_ENVIRONMENT | EXTENDED_STARTUPINFO_PRESENT | CREATE_NO_WINDOW;
    if (launch.own_session) flags |= CREATE_NEW_PROCESS_GROUP;
    PROCESS_INFORMATION made{};
    const bool ok = CreateProcessW(wide(launch.program).c_str(), command_line.data(), nullptr, nullptr, !handles.empty(),
                                   flags, environment.data(), folder.empty() ? nullptr : folder.c_str(),
                                   &startup.StartupInfo, &made);
    const DWORD failure = GetLastError();
    DeleteProcThreadAttributeList(attributes);
    for (HANDLE handle : handles) CloseHandle(handle);
    if (!ok) {
        error = "cannot start " + launch.program + ": " + error_words(failure);
        return std::nullopt;
    }
    CloseHandle(made.hThread);
    std::lock_guard lock(started_mutex);
    started[made.dwProcessId] = made.hProcess;
    return static_cast<ProcessId>(made.dwProcessId);
}

std::optional<int> exit_status(ProcessId process) {
    HANDLE handle = handle_of(process);
    if (handle == nullptr) return 1;
    if (WaitForSingleObject(handle, 0) == WAIT_TIMEOUT) return std::nullopt;
    DWORD code = 1;
    GetExitCodeProcess(handle, &code);
    return static_cast<int>(code);
}

int wait_for_program(ProcessId process) {
    HANDLE handle = handle_of(process);
    if (handle == nullptr) return 1;
    WaitForSingleObject(handle, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(handle, &code);
    return static_cast<int>(code);
}

bool running(ProcessId process) {
    if (HANDLE handle = handle_of(process)) return WaitForSingleObject(handle, 0) == WAIT_TIMEOUT;
    HANDLE other = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(process));
    if (other == nullptr) return false;
    const bool alive = WaitForSingleObject(other, 0) == WAIT_TIMEOUT;
    CloseHandle(other);
    return alive;
}

// A program started without a console gets no console control event, so the
// game's programs each wait on an event named for their process id: set, it
// ends them as SIGTERM does on Linux (a refereed server answers its long
// polls first). A program that has no such event (a relay, which SIGTERM
// ends where it stands) is ended at once with 143, SIGTERM's status.
void ask_to_end(ProcessId process) {
    const std::wstring name = L"Local\\rock-scissors-paper-stop-" + std::to_wstring(process);
    if (HANDLE asked = OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str())) {
        SetEvent(asked);
        CloseHandle(asked);
        return;
    }
    HANDLE other = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(process));
    if (other == nullptr) return;
    TerminateProcess(other, 143);
    CloseHandle(other);
}

std::string own_executable() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return "";
        if (length < path.size()) {
            path.resize(length);
            return narrow(path);
        }
        path.resize(path.size() * 2);
    }
}

std::string own_name() {
    std::string name = own_executable();
    name = name.substr(name.find_last_of("\\/") + 1);
    if (name.size() > 4 && _stricmp(name.c_str() + name.size() - 4, ".exe") == 0) name.resize(name.size() - 4);
    return name;
}

std::vector<std::string> network_addresses() {
    std::vector<std::string> found;
    ULONG size = 16 * 1024;
    std::vector<unsigned char> memory;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int tries = 0; tries < 3 && result == ERROR_BUFFER_OVERFLOW; ++tries) {
        memory.resize(size);
        result = GetAdaptersAddresses(AF_INET, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER,
                                      nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(memory.data()), &size);
    }
    if (result != NO_ERROR) return found;
    for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(memory.data()); adapter; adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK) continue;
        for (auto* address = adapter->FirstUnicastAddress; address; address = address->Next) {
            char text[INET_ADDRSTRLEN] = {};
            const auto* v4 = reinterpret_cast<const sockaddr_in*>(address->Address.lpSockaddr);
            inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
            if ((ntohl(v4->sin_addr.s_addr) >> 24) != 127) found.emplace_back(text);
        }
    }
    return found;
}

bool name_resolves(const std::string& host) {
    start_winsock();
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, nullptr, &found) != 0) return false;
    freeaddrinfo(found);
    return true;
}

bool port_answers(int port) {
    start_winsock();
    const SOCKET sock = WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (sock == INVALID_SOCKET) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool answered = connect(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    closesocket(sock);
    return answered;
}

// A program started in a Windows session has its desktop, whatever started it.
std::string missing_display() { return ""; }

bool input_is_terminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

void count_interrupts() { SetConsoleCtrlHandler(count_interrupt, TRUE); }

int interrupts() { return interrupt_count; }

// Windows knows GBK as code page 936; a byte that is not GBK shows as a
// question mark there too.
std::string gbk_to_utf8(const std::string& line) {
    constexpr UINT gbk = 936;
    int length = MultiByteToWideChar(gbk, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(gbk, 0, line.data(), static_cast<int>(line.size()), text.data(), length);
    return narrow(text);
}

}  // namespace launcher
