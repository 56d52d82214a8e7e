#include "seat_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

std::optional<Seat> read_seat_file(const std::string& path, std::string& error) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (errno != ENOENT) error = "cannot read the seat file " + path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    auto seat = seat_from_text(text.str());
    if (!seat) error = "the seat file " + path + " holds no seat; remove it to take a new one";
    return seat;
}

std::string store_seat_file(const std::string& path, const Seat& seat) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return "cannot create the seat file " + path + ": " + std::strerror(errno);
    const std::string text = seat_text(seat) + "\n";
    bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && fsync(fd) == 0;
    int saved_errno = errno;
    close(fd);
    if (written) return "";
    unlink(path.c_str());
    return "cannot write the seat file " + path + ": " + std::strerror(saved_errno);
}

void remove_seat_file(const std::string& path) {
    if (!path.empty()) unlink(path.c_str());
}

SeatChoice choose_seat(httplib::Client& client, const std::string& seat_file) {
    SeatChoice choice;
    if (!seat_file.empty()) {
        auto kept = read_seat_file(seat_file, choice.why);
        if (!choice.why.empty()) {
            choice.kind = SeatChoice::stop;
            return choice;
        }
        if (kept) {
            choice.kind = SeatChoice::seated;
            choice.seat = *kept;
            choice.resumed = true;
            return choice;
        }
    }
    const SeatReply reply = take_seat(client, new_request_id());
    if (reply.answer == SeatAnswer::relay) return choice;
    if (reply.answer == SeatAnswer::full) {
        choice.kind = SeatChoice::stop;
        choice.why = "both seats of this game are taken";
        return choice;
    }
    choice.kind = SeatChoice::seated;
    choice.seat = reply.seat;
    if (!seat_file.empty()) {
        std::string error = store_seat_file(seat_file, reply.seat);
        if (!error.empty()) choice.why = error + "; playing on, but this seat cannot be taken back";
    }
    return choice;
}
