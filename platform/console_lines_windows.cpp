#include "console_lines.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>
#include <streambuf>
#include <string>

namespace platform {

namespace {

constexpr UINT gbk_code_page = 936;

// Whole lines to the console as UTF-16: the bytes of one GBK character are
// never split between two writes, since the game ends each line with '\n'
// and flushes after it.
class ConsoleWindowBuffer : public std::streambuf {
public:
    explicit ConsoleWindowBuffer(HANDLE console) : console_(console) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        pending_.push_back(traits_type::to_char_type(c));
        if (c == '\n') write_lines(pending_.size());
        return c;
    }

    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        const std::size_t end = pending_.rfind('\n');
        if (end != std::string::npos) write_lines(end + 1);
        return count;
    }

    int sync() override {
        write_lines(pending_.size());
        return 0;
    }

private:
    void write_lines(std::size_t bytes) {
        if (bytes == 0) return;
        const int size = static_cast<int>(bytes);
        const int length = MultiByteToWideChar(gbk_code_page, 0, pending_.data(), size, nullptr, 0);
        std::wstring text(static_cast<std::size_t>(length), L'\0');
        MultiByteToWideChar(gbk_code_page, 0, pending_.data(), size, text.data(), length);
        DWORD written = 0;
        WriteConsoleW(console_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        pending_.erase(0, bytes);
    }

    HANDLE console_;
    std::string pending_;
};

std::ostream& chosen_stream() {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (out != nullptr && out != INVALID_HANDLE_VALUE && GetConsoleMode(out, &mode)) {
        static ConsoleWindowBuffer buffer(out);
        static std::ostream console(&buffer);
        return console;
    }
    // A pipe or a file gets the bytes themselves: binary mode keeps '\n' from
    // becoming "\r\n".
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
    return std::cout;
}

}  // namespace

std::ostream& console_lines() {
    static std::ostream& stream = chosen_stream();
    return stream;
}

}  // namespace platform
