#include "console.h"

#include "files.h"
#include "processes.h"

#include <fstream>
#include <iterator>

namespace launcher {

namespace {

void show_line(const Follower& follower, const std::string& line) {
    const std::string text = follower.gbk ? gbk_to_utf8(line) : line;
    std::fprintf(follower.to, "%s%s\n", follower.prefix.c_str(), text.c_str());
    std::fflush(follower.to);
}

void take_new_bytes(Follower& follower) {
    std::ifstream file(path_of(follower.path), std::ios::binary);
    if (!file) return;
    file.seekg(static_cast<std::streamoff>(follower.shown));
    const std::string added{std::istreambuf_iterator<char>(file), {}};
    follower.shown += added.size();
    follower.part += added;
}

}  // namespace

Follower follow(const std::string& path, bool from_start, std::FILE* to, const std::string& prefix, bool gbk) {
    Follower follower{path, 0, "", prefix, gbk, to};
    if (!from_start) follower.shown = file_size(path);
    return follower;
}

void show_new_lines(Follower& follower) {
    take_new_bytes(follower);
    for (std::size_t end; (end = follower.part.find('\n')) != std::string::npos;) {
        show_line(follower, follower.part.substr(0, end));
        follower.part.erase(0, end + 1);
    }
}

void show_the_rest(Follower& follower) {
    show_new_lines(follower);
    if (!follower.part.empty()) show_line(follower, follower.part);
    follower.part.clear();
}

}  // namespace launcher
