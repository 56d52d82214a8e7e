#include "game_view.h"

#include <charconv>
#include <vector>

namespace core {

namespace {

const char* outcome_word(MoveOutcome outcome) {
    switch (outcome) {
    case MoveOutcome::step: return "step";
    case MoveOutcome::won: return "won";
    case MoveOutcome::lost: return "lost";
    }
    return "step";
}

std::optional<MoveOutcome> outcome_named(std::string_view word) {
    if (word == "step") return MoveOutcome::step;
    if (word == "won") return MoveOutcome::won;
    if (word == "lost") return MoveOutcome::lost;
    return std::nullopt;
}

// The text cut at each "\n"; the last piece is what follows the last "\n".
std::vector<std::string_view> split_lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string_view::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    lines.push_back(text.substr(start));
    return lines;
}

// A whole decimal number with no sign, no blank and no leading zero.
template <typename Number>
std::optional<Number> whole_number(std::string_view text) {
    if (text.empty() || (text.size() > 1 && text[0] == '0')) return std::nullopt;
    Number value{};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<int> player_number(std::string_view text) {
    if (text == "0") return 0;
    if (text == "1") return 1;
    if (text == "2") return 2;
    return std::nullopt;
}

// Owners 0 to 2, kinds 0 to 2, and the hidden kind only on a piece: the
// players index their tables by these digits, and a view comes from a server
// they need not trust.
bool only_known_digits(const Board& board) {
    for (const auto& column : board) {
        for (const Cell& cell : column) {
            if (cell.owner < 0 || cell.owner > 2) return false;
            const bool known_kind = cell.kind >= Rock && cell.kind <= Paper;
            if (!known_kind && !(cell.kind == hidden_kind && cell.owner != 0)) return false;
        }
    }
    return true;
}

}  // namespace

Board board_seen_by(const Board& truth, int seat) {
    Board seen = truth;
    for (auto& column : seen) {
        for (Cell& cell : column) {
            if (cell.owner != 0 && cell.owner != seat) cell.kind = hidden_kind;
        }
    }
    return seen;
}

MoveOutcome outcome_of(const Board& before, const Move& move) {
    const Cell& attacker = before[move.from_column][move.from_row];
    const Cell& defender = before[move.to_column][move.to_row];
    if (defender.owner == 0) return MoveOutcome::step;
    return attacker_wins(attacker.kind, defender.kind) ? MoveOutcome::won : MoveOutcome::lost;
}

std::string move_text(const Move& move) {
    return std::to_string(move.from_column) + ' ' + std::to_string(move.from_row) + ' ' +
           std::to_string(move.to_column) + ' ' + std::to_string(move.to_row);
}

std::optional<Move> move_from_text(std::string_view text) {
    if (text.size() != 7) return std::nullopt;
    int digits[4];
    for (int i = 0; i < 4; ++i) {
        char digit = text[2 * i];
        if (digit < '0' || digit > '9') return std::nullopt;
        if (i < 3 && text[2 * i + 1] != ' ') return std::nullopt;
        digits[i] = digit - '0';
    }
    return Move{digits[0], digits[1], digits[2], digits[3]};
}

std::string last_move_text(const LastMove& last) {
    return move_text(last.move) + ' ' + outcome_word(last.outcome);
}

std::optional<LastMove> last_move_from_text(std::string_view text) {
    if (text.size() < 9 || text[7] != ' ') return std::nullopt;
    auto move = move_from_text(text.substr(0, 7));
    auto outcome = outcome_named(text.substr(8));
    if (!move || !outcome) return std::nullopt;
    return LastMove{*move, *outcome};
}

std::string view_text(const GameView& view) {
    std::string text = board_text(view.board) + '\n';
    text += std::to_string(view.turn) + '\n';
    text += std::to_string(view.winner) + '\n';
    text += (view.last_move ? last_move_text(*view.last_move) : std::string("-")) + '\n';
    text += std::to_string(view.version) + '\n';
    return text;
}

std::optional<GameView> view_from_text(std::string_view text) {
    std::vector<std::string_view> lines = split_lines(text);
    if (lines.size() != 6 || !lines[5].empty()) return std::nullopt;
    if (lines[0].size() != board_text_length) return std::nullopt;
    auto board = board_from_text(lines[0]);
    auto turn = player_number(lines[1]);
    auto winner = player_number(lines[2]);
    auto version = whole_number<std::uint64_t>(lines[4]);
    if (!board || !turn || !winner || !version || !only_known_digits(*board)) return std::nullopt;
    GameView view{*board, *turn, *winner, std::nullopt, *version};
    if (lines[3] != "-") {
        view.last_move = last_move_from_text(lines[3]);
        if (!view.last_move) return std::nullopt;
    }
    return view;
}

}  // namespace core
