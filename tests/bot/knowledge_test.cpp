#include "beliefs.h"
#include "board_fixture.h"
#include "knowledge.h"
#include "levels.h"
#include "rules.h"

#include <bit>
#include <map>
#include <memory>
#include <vector>

using namespace core;
using namespace bot;
using namespace support;

namespace {

const double used_up_weight = search_params(Level::easy).used_up_kind_weight;

class KnowledgeTest : public BoardTest {
protected:
    PlayerView seen() const { return view_of_board(board, my_player); }
};

TEST_F(KnowledgeTest, OpposingPiecesStartUnknownAndEvenlyLikely) {
    put(1, 5, Rock, 2);
    Knowledge knowledge = start_knowledge(1, seen());
    EXPECT_EQ(knowledge.possible[1][5], any_kind);
    EXPECT_EQ(knowledge.possible[1][4], 0);
    auto odds = kind_odds(knowledge, 1, 5, used_up_weight);
    EXPECT_DOUBLE_EQ(odds[Rock], 1.0 / 3);
    EXPECT_DOUBLE_EQ(odds[Scissors], 1.0 / 3);
    EXPECT_DOUBLE_EQ(odds[Paper], 1.0 / 3);
}

TEST_F(KnowledgeTest, KindCycle) {
    EXPECT_EQ(kind_beating(Rock), Paper);
    EXPECT_EQ(kind_beating(Scissors), Rock);
    EXPECT_EQ(kind_beating(Paper), Scissors);
    EXPECT_EQ(kind_beaten_by(Rock), Scissors);
    EXPECT_EQ(kind_beaten_by(Scissors), Paper);
    EXPECT_EQ(kind_beaten_by(Paper), Rock);
}

struct Known {
    int column;
    int row;
    KindMask possible;
};

struct Step {
    int player;
    Move move;
};

// Player 1 sets up `pieces`, knows `known` and `remaining`, and then sees the
// steps made one by one, its own and the opponent's.
struct Learning {
    const char* name;
    std::vector<Placed> pieces;
    std::vector<Known> known;
    std::array<int, 3> remaining;
    std::vector<Step> steps;
    std::vector<Known> expected;
    std::array<int, 3> expected_remaining;
    int expected_quiet_turns;
    // Pieces gone whose kind is not sure, with the kinds they may have been.
    std::vector<KindMask> expected_taken = {};
    // Of the bot's own pieces, the kinds the opponent may think they are.
    std::vector<Known> expected_shown = {};
};

constexpr KindMask scissors_or_paper = mask_of(Scissors) | mask_of(Paper);

const Learning learnings[] = {
    {"a lost own attack reveals the defender", {{2, 4, Rock, 1}, {2, 5, Paper, 2}}, {}, {8, 8, 8},
     {{1, {2, 4, 2, 5}}}, {{2, 5, mask_of(Paper)}}, {8, 8, 8}, 0},
    {"a won own attack on a known piece counts it gone", {{2, 4, Scissors, 1}, {2, 5, Paper, 2}},
     {{2, 5, mask_of(Paper)}}, {8, 8, 8}, {{1, {2, 4, 2, 5}}}, {{2, 5, 0}}, {8, 8, 7}, 0, {},
     {{2, 5, scissors_or_paper}, {2, 4, 0}}},
    {"a won own attack counts the only kind the defender can have been", {{2, 4, Rock, 1}, {2, 5, Scissors, 2}},
     {{2, 5, scissors_or_paper}}, {8, 8, 8}, {{1, {2, 4, 2, 5}}}, {{2, 5, 0}}, {8, 7, 8}, 0},
    {"counts never go below nothing", {{2, 4, Rock, 1}, {2, 5, Scissors, 2}}, {{2, 5, mask_of(Scissors)}},
     {8, 0, 8}, {{1, {2, 4, 2, 5}}}, {}, {8, 0, 8}, 0},
    {"what is known travels with a step onto an empty square", {{2, 4, Rock, 1}, {2, 5, Paper, 2}}, {},
     {8, 8, 8}, {{1, {2, 4, 2, 5}}, {2, {2, 5, 2, 4}}}, {{2, 4, mask_of(Paper)}, {2, 5, 0}}, {8, 8, 8}, 1},
    {"an opposing capture narrows the captor to two kinds", {{1, 4, Scissors, 1}, {1, 5, Rock, 2}}, {},
     {8, 8, 8}, {{2, {1, 5, 1, 4}}}, {{1, 4, mask_of(Scissors) | mask_of(Rock)}}, {8, 8, 8}, 0},
    {"an opposing lost attack on our only neighbour counts the attacker gone",
     {{3, 4, Rock, 1}, {3, 5, Scissors, 2}}, {}, {8, 8, 8}, {{2, {3, 5, 3, 4}}}, {{3, 5, 0}}, {8, 7, 8}, 0, {},
     {{3, 4, mask_of(Rock)}}},
    {"what a won defence showed travels with the piece's step",
     {{3, 4, Rock, 1}, {3, 5, Scissors, 2}}, {}, {8, 8, 8}, {{2, {3, 5, 3, 4}}, {1, {3, 4, 2, 4}}}, {}, {8, 7, 8},
     0, {}, {{2, 4, mask_of(Rock)}, {3, 4, 0}}},
    {"a won own attack on an unknown piece keeps it among the taken as one of two kinds",
     {{2, 4, Rock, 1}, {2, 5, Scissors, 2}}, {}, {8, 8, 8}, {{1, {2, 4, 2, 5}}}, {{2, 5, 0}}, {8, 8, 8}, 0,
     {mask_of(Rock) | mask_of(Scissors)}, {{2, 5, any_kind}}},
    {"an opposing lost attack beside two of ours keeps the attacker among the taken",
     {{3, 4, Rock, 1}, {4, 5, Paper, 1}, {3, 5, Scissors, 2}}, {}, {8, 8, 8}, {{2, {3, 5, 3, 4}}}, {{3, 5, 0}},
     {8, 8, 8}, 0, {mask_of(Rock) | mask_of(Scissors)}},
};

TEST_F(KnowledgeTest, LearnsFromFightsAndSteps) {
    for (const Learning& learning : learnings) {
        SCOPED_TRACE(learning.name);
        board = Board{};
        for (const Placed& piece : learning.pieces) put(piece.column, piece.row, piece.kind, piece.owner);
        Knowledge knowledge = start_knowledge(1, seen());
        for (const Known& known : learning.known) knowledge.possible[known.column][known.row] = known.possible;
        knowledge.remaining = learning.remaining;
        for (const Step& step : learning.steps) {
            const Move& move = step.move;
            make_move(board, step.player, move.from_column, move.from_row, move.to_column, move.to_row);
            if (step.player == 1) {
                learn_from_own_move(knowledge, move, seen());
            } else {
                learn_from_opponent_move(knowledge, seen());
            }
        }
        for (const Known& known : learning.expected) {
            EXPECT_EQ(knowledge.possible[known.column][known.row], known.possible) << known.column << known.row;
            if (std::has_single_bit(known.possible)) {
                int kind = std::countr_zero(known.possible);
                EXPECT_DOUBLE_EQ(kind_odds(knowledge, known.column, known.row, used_up_weight)[kind], 1.0);
            }
        }
        EXPECT_EQ(knowledge.remaining, learning.expected_remaining);
        EXPECT_EQ(knowledge.quiet_turns, learning.expected_quiet_turns);
        EXPECT_EQ(std::vector<KindMask>(knowledge.taken.begin(), knowledge.taken.begin() + knowledge.taken_count),
                  learning.expected_taken);
        for (const Known& shown : learning.expected_shown) {
            EXPECT_EQ(knowledge.shown[shown.column][shown.row], shown.possible) << shown.column << shown.row;
        }
    }
}

TEST_F(KnowledgeTest, UnexplainedChangeLeavesPiecesUnknown) {
    put(0, 5, Rock, 2);
    put(4, 5, Rock, 2);
    Knowledge knowledge = start_knowledge(1, seen());
    knowledge.possible[0][5] = mask_of(Rock);
    board[0][5] = Cell{0, 0};
    board[4][5] = Cell{0, 0};
    put(2, 7, Rock, 2);
    learn_from_opponent_move(knowledge, seen());
    EXPECT_EQ(knowledge.possible[0][5], 0);
    EXPECT_EQ(knowledge.possible[2][7], any_kind);
}

TEST_F(KnowledgeTest, QuietTurnsCountUntilAPieceIsTaken) {
    put(0, 0, Rock, 1);
    put(4, 9, Rock, 2);
    Knowledge knowledge = start_knowledge(1, seen());
    learn_from_opponent_move(knowledge, seen());
    learn_from_opponent_move(knowledge, seen());
    EXPECT_EQ(knowledge.quiet_turns, 2);
    board[4][9] = Cell{0, 0};
    learn_from_opponent_move(knowledge, seen());
    EXPECT_EQ(knowledge.quiet_turns, 0);
}

TEST_F(KnowledgeTest, OddsFollowTheKindsStillAtLarge) {
    put(0, 5, Rock, 2);
    Knowledge knowledge = start_knowledge(1, seen());
    knowledge.remaining = {8, 0, 8};
    auto odds = kind_odds(knowledge, 0, 5, used_up_weight);
    EXPECT_GT(odds[Rock], odds[Scissors]);
    EXPECT_DOUBLE_EQ(odds[Rock], odds[Paper]);
    EXPECT_NEAR(odds[Rock] + odds[Scissors] + odds[Paper], 1.0, 1e-12);
}

TEST_F(KnowledgeTest, DrawnBoardsKeepWhatIsKnownAndTheCountsAtLarge) {
    put(1, 4, Rock, 1);
    put(1, 5, Paper, 2);
    put(3, 4, Scissors, 1);
    put(3, 5, Scissors, 2);
    put(0, 9, Paper, 2);
    Knowledge knowledge = start_knowledge(1, seen());
    make_move(board, 2, 1, 5, 1, 4);
    learn_from_opponent_move(knowledge, seen());
    knowledge.possible[3][5] = mask_of(Scissors) | mask_of(Paper);
    knowledge.remaining = {8, 8, 1};
    std::mt19937 rng(3);
    Board drawn;
    auto beliefs = std::make_unique<Beliefs>(beliefs_of(seen(), knowledge));
    for (int draw = 0; draw < 100; ++draw) {
        draw_board(drawn, *beliefs, rng);
        EXPECT_EQ(drawn[3][4].kind, Scissors);
        EXPECT_EQ(drawn[3][4].owner, 1);
        // The captor of a rock is a rock or a paper, and no board holds more
        // papers than may be left.
        EXPECT_NE(drawn[1][4].kind, Scissors);
        int papers = (drawn[1][4].kind == Paper) + (drawn[3][5].kind == Paper) + (drawn[0][9].kind == Paper);
        EXPECT_LE(papers, 1);
    }
}

}  // namespace

namespace {

struct SamplerCase {
    const char* name;
    std::vector<KindMask> possible;
    std::array<int, 3> counts;
};

// Every assignment of kinds that fits the masks and the counts.
std::vector<std::vector<int>> fitting_assignments(const SamplerCase& sampled) {
    std::vector<std::vector<int>> fitting;
    std::size_t pieces = sampled.possible.size();
    int all = 1;
    for (std::size_t i = 0; i < pieces; ++i) all *= 3;
    for (int code = 0; code < all; ++code) {
        std::vector<int> kinds;
        std::array<int, 3> counts{};
        bool fits = true;
        for (int rest = code, i = 0; i < static_cast<int>(pieces); ++i, rest /= 3) {
            kinds.push_back(rest % 3);
            ++counts[rest % 3];
            fits &= (sampled.possible[i] & mask_of(rest % 3)) != 0;
        }
        if (fits && counts == sampled.counts) fitting.push_back(kinds);
    }
    return fitting;
}

// Each fitting assignment is as likely as any other, which weighing piece by
// piece is not: in the second case the two open pieces are papers twice as
// often as a one-at-a-time draw would make them.
TEST(KindSampler, DrawsEveryFittingAssignmentEquallyOftenAndNothingElse) {
    const KindMask rs = mask_of(Rock) | mask_of(Scissors);
    const KindMask sp = mask_of(Scissors) | mask_of(Paper);
    const SamplerCase cases[] = {
        {"three narrowed pieces", {rs, any_kind, sp}, {1, 1, 1}},
        {"two narrowed, two open", {rs, rs, any_kind, any_kind}, {1, 1, 2}},
        {"one piece known, the counts decide the rest", {mask_of(Paper), any_kind, any_kind, sp, rs}, {2, 1, 2}},
        {"taken pieces among them", {any_kind, any_kind, mask_of(Rock) | mask_of(Paper), sp, rs, any_kind},
         {2, 2, 2}},
    };
    for (const SamplerCase& sampled : cases) {
        SCOPED_TRACE(sampled.name);
        auto fitting = fitting_assignments(sampled);
        ASSERT_GT(fitting.size(), 1u);
        auto sampler = std::make_unique<KindSampler>(
            kind_sampler(sampled.possible.data(), static_cast<int>(sampled.possible.size()), sampled.counts));
        ASSERT_TRUE(sampler->fits);
        std::map<std::vector<int>, int> seen;
        const int draws = 12000;
        std::mt19937 rng(17);
        int kinds[max_drawn_pieces];
        for (int draw = 0; draw < draws; ++draw) {
            draw_kinds(*sampler, rng, kinds, sampler->pieces);
            ++seen[std::vector<int>(kinds, kinds + sampled.possible.size())];
        }
        double expected = double(draws) / static_cast<double>(fitting.size());
        double chi_square = 0;
        for (const auto& assignment : fitting) {
            double off = seen[assignment] - expected;
            chi_square += off * off / expected;
        }
        EXPECT_EQ(seen.size(), fitting.size()) << "an assignment that does not fit was drawn";
        // Far above the 99.9th percentile for these few degrees of freedom.
        EXPECT_LT(chi_square, 10.0 + 3.0 * static_cast<double>(fitting.size())) << chi_square;
    }
}

// Two pieces are gone as a scissors or a paper each, and one of each kind is
// left in all: the piece on the board can only be the rock.
TEST_F(KnowledgeTest, PiecesTakenWithoutTheirKindStillCountAgainstTheKindsLeft) {
    put(2, 6, Paper, 2);
    put(2, 2, Rock, 1);
    Knowledge knowledge = start_knowledge(1, seen());
    knowledge.remaining = {1, 1, 1};
    knowledge.taken[0] = knowledge.taken[1] = mask_of(Scissors) | mask_of(Paper);
    knowledge.taken_count = 2;
    auto beliefs = std::make_unique<Beliefs>(beliefs_of(seen(), knowledge));
    std::mt19937 rng(9);
    Board drawn;
    for (int draw = 0; draw < 50; ++draw) {
        draw_board(drawn, *beliefs, rng);
        EXPECT_EQ(drawn[2][6].kind, Rock);
        EXPECT_EQ(drawn[2][2], (Cell{Rock, 1}));
    }
}

}  // namespace
