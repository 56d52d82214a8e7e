#include "protocol.h"

#include "board.h"

#include <cctype>
#include <climits>

namespace core {

namespace {

bool answered(const std::optional<ServerReply>& result) {
    return result && result->status == 200;
}

bool answered_exactly(const std::optional<ServerReply>& result, const std::string& expected) {
    return answered(result) && result->body == expected;
}

void get_until_exactly(GameClient& client, const char* path, const std::string& expected) {
    while (!answered_exactly(client.Get(path), expected) && !client.key_refused()) {
    }
}

void post_until_ok(GameClient& client, const char* path, const std::string& body) {
    while (!answered_exactly(client.Post(path, body, text_plain), "ok") && !client.key_refused()) {
    }
}

}  // namespace

std::optional<int> number_in_body(const std::string& body) {
    std::size_t i = 0;
    while (i < body.size() && std::isspace(static_cast<unsigned char>(body[i]))) ++i;
    bool negative = false;
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) {
        negative = body[i] == '-';
        ++i;
    }
    std::size_t first_digit = i;
    long long value = 0;
    for (; i < body.size() && body[i] >= '0' && body[i] <= '9'; ++i) {
        value = value * 10 + (body[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) return std::nullopt;
    }
    if (i == first_digit) return std::nullopt;
    if (negative) value = -value;
    if (value < INT_MIN || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

int join_game(GameClient& client) {
    while (!client.key_refused()) {
        auto result = client.Get("/join");
        if (!answered(result)) continue;
        auto number = number_in_body(result->body);
        if (number && *number != 0) return *number;
    }
    return 0;
}

void wait_for_start(GameClient& client) { get_until_exactly(client, "/start", "2"); }

void post_board(GameClient& client, const Board& board) { post_until_ok(client, "/chess", board_text(board)); }

Board fetch_board(GameClient& client) {
    while (!client.key_refused()) {
        auto result = client.Get("/what");
        if (!answered(result)) continue;
        if (auto board = board_from_text(result->body)) return *board;
    }
    return {};
}

std::string ask_who_win(GameClient& client) {
    while (!client.key_refused()) {
        auto result = client.Get("/who_win");
        if (answered(result)) return result->body;
    }
    return "";
}

int winner_in_reply(const std::string& who_win_body) {
    if (who_win_body == "0") return 0;
    return who_win_body == "1" ? 1 : 2;
}

bool is_turn_of(GameClient& client, int player) {
    auto result = client.Get("/who");
    if (!answered(result)) return false;
    auto number = number_in_body(result->body);
    return number && *number == player;
}

void hand_over_turn(GameClient& client) { get_until_exactly(client, "/next", "ok"); }

void post_win(GameClient& client, int winner) {
    post_until_ok(client, "/win", std::to_string(winner));
}

}  // namespace core
