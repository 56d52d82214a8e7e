#include "referee_requests.h"

#include "random_bytes.h"

#include <thread>

namespace core {

namespace {

constexpr std::size_t token_length = 32;

bool is_lower_hex(std::string_view text) {
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

RequestHeaders seat_header(const std::string& token) { return {{"Seat", token}}; }

Answer answer_of(const std::optional<ServerReply>& result) {
    if (!result) return Answer::failed;
    if (result->status == 200 && result->body == "ok") return Answer::ok;
    if (result->status == 409) return Answer::refused;
    if (result->status == 403) return Answer::seat_unknown;
    if (result->status == 401) return Answer::key_refused;
    return Answer::failed;
}

ViewReply view_reply(const std::optional<ServerReply>& result) {
    ViewReply reply;
    if (!result) return reply;
    // A relay has no seats at all.
    if (result->status == 403 || result->status == 404) {
        reply.answer = Answer::seat_unknown;
    } else if (result->status == 401) {
        reply.answer = Answer::key_refused;
    } else if (auto view = result->status == 200 ? view_from_text(result->body) : std::nullopt) {
        reply.answer = Answer::ok;
        reply.view = *view;
    }
    return reply;
}

}  // namespace

std::string seat_text(const Seat& seat) { return std::to_string(seat.number) + ' ' + seat.token; }

std::optional<Seat> seat_from_text(std::string_view text) {
    if (text.ends_with('\n')) text.remove_suffix(1);
    if (text.size() != 2 + token_length || text[1] != ' ') return std::nullopt;
    if (text[0] != '1' && text[0] != '2') return std::nullopt;
    std::string_view token = text.substr(2);
    if (!is_lower_hex(token)) return std::nullopt;
    return Seat{text[0] - '0', std::string(token)};
}

std::string new_request_id() {
    unsigned char bytes[token_length / 2];
    platform::fill_random_bytes(bytes, sizeof bytes);
    constexpr char digits[] = "0123456789abcdef";
    std::string id;
    for (unsigned char byte : bytes) {
        id += digits[byte >> 4];
        id += digits[byte & 15];
    }
    return id;
}

SeatReply take_seat(GameClient& client, const std::string& request_id) {
    for (;;) {
        auto result = client.Post("/seat", request_id, text_plain);
        if (result && result->status == 404) return {SeatAnswer::relay, {}};
        if (result && result->status == 409) return {SeatAnswer::full, {}};
        if (result && result->status == 401) return {SeatAnswer::key_refused, {}};
        if (result && result->status == 200) {
            if (auto seat = seat_from_text(result->body)) return {SeatAnswer::taken, *seat};
        }
        std::this_thread::sleep_for(request_rest);
    }
}

ViewReply get_view(GameClient& client, const std::string& token) {
    return view_reply(client.Get("/view", seat_header(token)));
}

ViewReply wait_for_change(GameClient& client, const std::string& token, std::uint64_t version) {
    return view_reply(client.Get("/view?after=" + std::to_string(version), seat_header(token)));
}

Answer post_move(GameClient& client, const std::string& token, const Move& move) {
    return answer_of(client.Post("/move", seat_header(token), move_text(move), text_plain));
}

Answer post_resign(GameClient& client, const std::string& token) {
    return answer_of(client.Post("/resign", seat_header(token), "", text_plain));
}

}  // namespace core
