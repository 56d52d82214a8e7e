#include "seat_file.h"

namespace core {

std::optional<Seat> read_seat_file(const std::string& path, platform::HeldFile& file, std::string& error) {
    platform::PrivateRead read = platform::read_private_file(path, max_seat_file_bytes);
    if (read.kind == platform::PrivateRead::absent) return std::nullopt;
    if (read.kind == platform::PrivateRead::refused) {
        error = "the seat file " + path + " " + read.why + "; nothing in it was used";
        return std::nullopt;
    }
    auto seat = seat_from_text(read.text);
    if (!seat) {
        error = "the seat file " + path + " holds no seat; remove it to take a new one";
        return std::nullopt;
    }
    file = std::move(read.file);
    return seat;
}

std::string store_seat_file(const std::string& path, const Seat& seat, platform::HeldFile& file) {
    std::string why = platform::create_private_file(path, seat_text(seat) + "\n", file);
    return why.empty() ? "" : "cannot create the seat file " + path + ": " + why;
}

void remove_seat_file(const std::string& path) {
    if (!path.empty()) platform::remove_private_file(path);
}

SeatChoice choose_seat(GameClient& client, const std::string& seat_file, bool relay_allowed) {
    SeatChoice choice;
    if (!seat_file.empty()) {
        auto kept = read_seat_file(seat_file, choice.file, choice.why);
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
    if (reply.answer == SeatAnswer::relay) {
        if (!relay_allowed) {
            choice.kind = SeatChoice::stop;
            choice.why = std::string(unrefereed_game_line) + "; --relay plays it all the same";
        }
        return choice;
    }
    if (reply.answer == SeatAnswer::key_refused) {
        choice.kind = SeatChoice::stop;
        choice.why = client.key_refusal();
        return choice;
    }
    if (reply.answer == SeatAnswer::full) {
        choice.kind = SeatChoice::stop;
        choice.why = "both seats of this game are taken";
        return choice;
    }
    choice.kind = SeatChoice::seated;
    choice.seat = reply.seat;
    if (!seat_file.empty()) {
        std::string error = store_seat_file(seat_file, reply.seat, choice.file);
        if (!error.empty()) choice.why = error + "; playing on, but this seat cannot be taken back";
    }
    return choice;
}

}  // namespace core
