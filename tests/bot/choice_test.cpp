// How the bot chooses its move: the tactics every level weighs, the easy
// rules and the search.

#include "board_fixture.h"
#include "bot_turn.h"
#include "easy_rules.h"
#include "search.h"
#include "search_tree.h"
#include "tactics.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <vector>

using namespace core;
using namespace bot;
using namespace support;

namespace {

const SearchParams& easy = search_params(Level::easy);

SearchParams searching(int iterations) {
    SearchParams params = search_params(Level::normal);
    params.iterations = iterations;
    return params;
}

bool same_move(const std::optional<Move>& a, const std::optional<Move>& b) {
    return a && b && a->from_column == b->from_column && a->from_row == b->from_row &&
           a->to_column == b->to_column && a->to_row == b->to_row;
}

class ChoiceTest : public BoardTest {
protected:
    PlayerView seen() const { return view_of_board(board, my_player); }
    Knowledge fresh_knowledge() const { return start_knowledge(my_player, seen()); }

    std::optional<Move> choose(unsigned seed = 1) const {
        std::mt19937 rng(seed);
        return easy_move(seen(), fresh_knowledge(), easy, std::nullopt, rng);
    }

    std::optional<Move> search(unsigned seed, int iterations = 300, const PositionsLeft& left = {}) const {
        std::mt19937 rng(seed);
        return search_move(seen(), fresh_knowledge(), searching(iterations), rng, left);
    }

    // The position a step onto an empty square leaves, as the mover sees it.
    std::string position_after(const Move& move) const {
        PlayerView view = seen();
        std::swap(view[move.from_column][move.from_row], view[move.to_column][move.to_row]);
        return position_key(view);
    }
};

TEST_F(ChoiceTest, LegalMovesStayOnTheBoardAndOffOwnPieces) {
    std::srand(31);
    deal_board(board, [] { return std::rand() % 5; });
    for (int player : {1, 2}) {
        auto moves = legal_moves(view_of_board(board, player), player);
        EXPECT_FALSE(moves.empty());
        for (const Move& move : moves) {
            EXPECT_TRUE(is_legal_move(board, player, move.from_column, move.from_row, move.to_column,
                                      move.to_row));
        }
    }
}

TEST_F(ChoiceTest, ProgressCountsRowsForwardFromTheBackRow) {
    for (int row = 0; row < board_rows; ++row) {
        EXPECT_EQ(progress(1, row), row);
        EXPECT_EQ(progress(2, row), board_rows - 1 - row);
    }
}

TEST_F(ChoiceTest, NoPieceThatCanMoveMeansNoMove) {
    EXPECT_FALSE(choose());
    EXPECT_FALSE(search(1));
    for (int column = 0; column < 5; ++column) {
        put(column, 0, column < 2 ? Rock : Paper, 1);
        put(column, 1, column < 2 ? Rock : Paper, 1);
        put(column, 2, Scissors, 1);
    }
    EXPECT_TRUE(choose());
    for (int column = 0; column < 5; ++column) {
        for (int row = 3; row < 10; ++row) put(column, row, Rock, 1);
    }
    EXPECT_FALSE(choose());
    EXPECT_FALSE(search(1));
}

// A position with one right move, for every level.
struct Puzzle {
    const char* name;
    int player;
    std::vector<Placed> pieces;
    Move answer;
};

const Puzzle puzzles[] = {
    {"takes a win on the far row", 2, {{3, 1, Scissors, 2}, {0, 9, Rock, 2}, {2, 2, Rock, 1}, {0, 5, Paper, 1}},
     {3, 1, 3, 0}},
    {"takes a far-row win even while its own back row is threatened", 1,
     {{1, 8, Scissors, 1}, {3, 1, Rock, 2}, {0, 0, Paper, 1}, {4, 5, Rock, 2}}, {1, 8, 1, 9}},
    {"stops an opposing piece about to reach its back row", 1,
     {{2, 1, Paper, 2}, {3, 0, Paper, 1}, {4, 4, Rock, 1}, {0, 6, Rock, 2}}, {3, 0, 2, 0}},
};

TEST_F(ChoiceTest, EveryLevelSolvesThePuzzles) {
    for (const Puzzle& puzzle : puzzles) {
        SCOPED_TRACE(puzzle.name);
        board = Board{};
        my_player = puzzle.player;
        for (const Placed& piece : puzzle.pieces) put(piece.column, piece.row, piece.kind, piece.owner);
        for (unsigned seed = 1; seed <= 20; ++seed) EXPECT_TRUE(same_move(choose(seed), puzzle.answer)) << seed;
        for (unsigned seed = 1; seed <= 5; ++seed) {
            EXPECT_TRUE(same_move(search(seed, 2000), puzzle.answer)) << seed;
            // A sure far-row step is the first move tried: one iteration,
            // fewer than the legal moves, takes it.
            if (puzzle.answer.to_row == far_row(puzzle.player)) {
                EXPECT_TRUE(same_move(search(seed, 1), puzzle.answer)) << seed;
            }
            // Answering again is no reason to give the win away.
            PositionsLeft left = {position_after(puzzle.answer)};
            EXPECT_TRUE(same_move(search(seed, 2000, left), puzzle.answer)) << seed;
        }
    }
}

TEST_F(ChoiceTest, EasyAttacksWhereItsKnowledgeFavoursIt) {
    put(1, 4, Rock, 1);
    put(3, 4, Rock, 1);
    put(1, 5, Scissors, 2);
    put(3, 5, Paper, 2);
    Knowledge knowledge = fresh_knowledge();
    knowledge.possible[1][5] = mask_of(Scissors);
    knowledge.possible[3][5] = mask_of(Paper);
    EXPECT_DOUBLE_EQ(attack_chance(knowledge, easy, Rock, 1, 5), 1.0);
    EXPECT_DOUBLE_EQ(attack_chance(knowledge, easy, Rock, 3, 5), 0.0);
    std::mt19937 rng(5);
    std::vector<WeighedMove> weighed;
    auto move = easy_move(seen(), knowledge, easy, std::nullopt, rng, &weighed);
    EXPECT_TRUE(same_move(move, Move{1, 4, 1, 5}));
    EXPECT_EQ(weighed.size(), legal_moves(seen(), 1).size());
}

TEST_F(ChoiceTest, OpponentWinChanceCountsOnlySquaresItCanTake) {
    put(2, 1, Rock, 2);
    put(2, 0, Scissors, 1);
    put(1, 0, Paper, 1);
    put(3, 0, Paper, 1);
    Knowledge knowledge = fresh_knowledge();
    for (auto [possible, chance] : {std::pair{any_kind, 2.0 / 3}, {mask_of(Rock), 1.0}, {mask_of(Paper), 0.0}}) {
        knowledge.possible[2][1] = possible;
        EXPECT_NEAR(opponent_win_chance(seen(), knowledge, easy), chance, 1e-12) << int(possible);
    }
}

// Whatever the counts, a fight the bot's piece cannot lose makes a sure step:
// the odds of the kinds it beats add up to exactly 1.
TEST_F(ChoiceTest, AFarRowFightThatCannotBeLostIsASureStep) {
    put(2, 8, Rock, 1);
    put(2, 9, Scissors, 2);
    put(0, 0, Paper, 1);
    Knowledge knowledge = fresh_knowledge();
    EXPECT_FALSE(sure_far_row_step(seen(), knowledge, easy));
    knowledge.possible[2][9] = mask_of(Rock) | mask_of(Scissors);
    for (int rocks = 0; rocks <= 8; ++rocks) {
        for (int scissors = 0; scissors <= 8; ++scissors) {
            knowledge.remaining = {rocks, scissors, 8};
            EXPECT_TRUE(same_move(sure_far_row_step(seen(), knowledge, easy), Move{2, 8, 2, 9}));
        }
    }
}

// The whole turn at the normal level: what it reads of the opponent's kinds
// must make no difference.
TEST_F(ChoiceTest, ChoosesAlikeOnBoardsThatDifferOnlyInKindsItCannotSee) {
    std::srand(41);
    deal_board(board, [] { return std::rand() % 5; });
    const Board dealt = board;
    BotMind mind = start_mind(board, 2, 7, Level::normal);
    std::optional<Move> first = play_bot_turn(mind, board).move;
    board = dealt;
    for (auto& column : board) {
        for (Cell& cell : column) {
            if (cell.owner == 1) cell.kind = kind_beating(cell.kind);
        }
    }
    mind = start_mind(board, 2, 7, Level::normal);
    EXPECT_TRUE(same_move(first, play_bot_turn(mind, board).move));
}

// Two pieces placed alike on either side: advancing either is as good, so the
// search does not go back to a position it has left before.
TEST_F(ChoiceTest, SearchLeavesNoPositionTwiceWhileAnotherMoveIsAsGood) {
    put(0, 3, Paper, 1);
    put(4, 3, Paper, 1);
    put(2, 8, Rock, 2);
    for (unsigned seed = 1; seed <= 5; ++seed) {
        std::optional<Move> first = search(seed, 2000);
        ASSERT_TRUE(first);
        PositionsLeft left = {position_after(*first)};
        std::optional<Move> second = search(seed, 2000, left);
        ASSERT_TRUE(second);
        EXPECT_FALSE(left.count(position_after(*second))) << "seed " << seed;
    }
}

// Every step the bot's pieces can take leaves a position it has left twice
// before, and every attack runs into a piece known to beat it: going back
// is better than giving a piece away, repeat or not.
TEST_F(ChoiceTest, RepeatsAPositionRatherThanWalkIntoAKnownLosingFight) {
    for (int column = 0; column < board_columns; ++column) {
        put(column, 4, Rock, 1);
        put(column, 5, Paper, 2);
    }
    put(1, 1, Scissors, 1);
    put(3, 1, Paper, 1);
    put(0, 8, Rock, 2);
    put(4, 8, Scissors, 2);
    Knowledge knowledge = fresh_knowledge();
    for (int column = 0; column < board_columns; ++column) knowledge.possible[column][5] = mask_of(Paper);
    PositionsLeft left;
    for (const Move& move : legal_moves(seen(), 1)) {
        if (board[move.to_column][move.to_row].owner != 0) continue;
        left.insert(position_after(move));
        left.insert(position_after(move));
    }
    for (unsigned seed = 1; seed <= 5; ++seed) {
        std::mt19937 rng(seed);
        std::optional<Move> move = search_move(seen(), knowledge, searching(3000), rng, left);
        ASSERT_TRUE(move);
        EXPECT_EQ(board[move->to_column][move->to_row].owner, 0) << "seed " << seed;
    }
}

// A rock runs free up column 0: the opposing pieces are known to be
// scissors, which can neither stop it nor reach the bot's back row first.
// The bot walks it straight to the far row, whatever the opponent does.
TEST_F(ChoiceTest, AFreeRunnerTakesTheShortestWayToTheFarRow) {
    put(0, 4, Rock, 1);
    for (int column = 1; column < board_columns; ++column) {
        for (int row = 0; row < 3; ++row) put(column, row, Rock, 1);
    }
    put(4, 7, Scissors, 2);
    put(4, 8, Scissors, 2);
    for (unsigned seed = 1; seed <= 3; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Board game = board;
        BotMind mind = start_mind(game, 1, seed, searching(3000));
        mind.knowledge.possible[4][7] = mask_of(Scissors);
        mind.knowledge.possible[4][8] = mask_of(Scissors);
        std::mt19937 opponent(seed);
        int moves = 0;
        for (BotTurn turn = play_bot_turn(mind, game); turn.result != MoveResult::far_row_win && moves < 20;
             turn = play_bot_turn(mind, game)) {
            ++moves;
            auto replies = legal_moves(game, 2);
            ASSERT_FALSE(replies.empty());
            const Move& reply = replies[opponent() % replies.size()];
            make_move(game, 2, reply.from_column, reply.from_row, reply.to_column, reply.to_row);
        }
        EXPECT_EQ(moves + 1, 5);
    }
}

// The shuttle of an endgame between two searching sides. Player 2 holds a
// rock, a scissors and a paper on its back rows; player 1 a rock near its
// own back row and a scissors, which player 2 knows for one, a step from
// player 2's back row. Each turn the scissors stepped sideways in front of
// an empty square of that row, and the rock followed it behind: the rock is
// the only piece that stops a known scissors, so player 2 had no other move
// that did not lose at once. Player 1 had, and must take one rather than
// bring a position back the third time.
class ShuttleTest : public ChoiceTest {
protected:
    void SetUp() override {
        put(0, 1, Rock, 1);
        put(2, 8, Scissors, 1);
        put(2, 9, Rock, 2);
        put(0, 9, Scissors, 2);
        put(4, 8, Paper, 2);
    }

    Knowledge knowledge() const {
        Knowledge known = fresh_knowledge();
        known.shown[2][8] = mask_of(Scissors);
        known.possible[2][9] = mask_of(Rock);
        return known;
    }
};

TEST_F(ShuttleTest, TheSideThatCanLeaveTheShuttleDoes) {
    const Move shuttle{2, 8, 3, 8};
    const Move other_way{2, 8, 1, 8};
    PositionsLeft left = {position_after(shuttle), position_after(shuttle), position_after(other_way),
                          position_after(other_way)};
    for (unsigned seed = 1; seed <= 5; ++seed) {
        std::mt19937 rng(seed);
        std::optional<Move> move = search_move(seen(), knowledge(), searching(3000), rng, left);
        ASSERT_TRUE(move);
        EXPECT_LT(left.count(position_after(*move)), 2u) << "seed " << seed;
    }
}

// A dealt board as a playout's world, with a random set of kinds known of
// each piece.
World world_with_random_knowledge(std::mt19937& rng) {
    Board dealt;
    deal_board(dealt, [&] { return static_cast<int>(rng() % 5); });
    World world = world_on(dealt);
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            if (world.board[column][row].owner != 0) world.known[column][row] = static_cast<KindMask>(1 + rng() % 7);
            note_narrowing(world, column, row);
        }
    }
    return world;
}

// The playouts find the pieces known to beat a neighbour through the world's
// narrowed squares, and list moves from its pieces, so every step, fought or
// not, must keep those in line with the kinds each piece is known to be and
// with the board.
TEST(PlayoutWorld, StepsKeepTheNarrowedSquaresInLineWithWhatIsKnown) {
    std::mt19937 rng(11);
    World world = world_with_random_knowledge(rng);
    MoveList moves;
    int side = 1;
    for (int ply = 0; ply < 300; ++ply, side = opponent_of(side)) {
        list_legal_moves(world.board, side, moves);
        if (moves.size == 0) break;
        StepEnd end = play_step(world, side, moves[static_cast<int>(rng() % moves.size)]);
        for (int column = 0; column < board_columns; ++column) {
            for (int row = 0; row < board_rows; ++row) {
                KindMask known = world.known[column][row];
                bool bit = (world.narrowed >> (column * board_rows + row)) & 1;
                ASSERT_EQ(bit, known != 0 && known != any_kind) << "ply " << ply << " at " << column << row;
                const Cell& cell = world.board[column][row];
                for (int player : {1, 2}) {
                    ASSERT_EQ((world.pieces[player] >> (column * board_rows + row)) & 1,
                              unsigned(cell.owner == player))
                        << "ply " << ply << " at " << column << row;
                }
                for (int kind = Rock; kind <= Paper; ++kind) {
                    ASSERT_EQ((world.kinds[kind] >> (column * board_rows + row)) & 1,
                              unsigned(cell.owner != 0 && cell.kind == kind))
                        << "ply " << ply << " at " << column << row;
                }
            }
        }
        if (end == StepEnd::won) break;
    }
}

// A move's weight in a playout, move by move as the settings describe it.
double weight_of(const World& world, const SearchParams& params, int side, const Move& move) {
    const int kind = world.board[move.from_column][move.from_row].kind;
    if (world.board[move.to_column][move.to_row].owner == 0) {
        int step = (move.to_row - move.from_row) * forward_step(side);
        double weight = step > 0 ? params.playout_forward : step == 0 ? params.playout_sideways : params.playout_backward;
        bool beside_a_known_winner = false;
        for_each_neighbour(move.to_column, move.to_row, [&](int c, int r) {
            KindMask known = world.known[c][r];
            if (world.board[c][r].owner == opponent_of(side) && known != any_kind && surely_beats(known, kind)) {
                beside_a_known_winner = true;
            }
        });
        return beside_a_known_winner ? weight * params.playout_into_sure_loss : weight;
    }
    KindMask known = world.known[move.to_column][move.to_row];
    double share = attack_odds(kind, known);
    if (move.to_row == back_row(side) + forward_step(side)) {
        return params.playout_attack_near_back_row * (share + params.playout_blind_block);
    }
    if (share == 1 && known != any_kind) return params.playout_sure_capture;
    return params.playout_attack * (share * 1.5) * (share * 1.5);
}

// A playout draws its moves from sets of squares, a class of steps at a
// time, and must come out at the odds of each move's own weight: every legal
// move, steps into danger and attacks included, and a far-row step at good
// odds taken at once.
TEST(PlayoutWorld, PlayoutMovesComeAtTheOddsOfTheirWeights) {
    const SearchParams params = searching(1);
    std::mt19937 rng(5);
    int far_row_positions = 0;
    for (int position = 0; position < 16; ++position) {
        SCOPED_TRACE("position " + std::to_string(position));
        World world = world_with_random_knowledge(rng);
        MoveList moves;
        int side = 1 + position % 2;
        for (int ply = 0; ply < 20 + 4 * position; ++ply, side = opponent_of(side)) {
            list_legal_moves(world.board, side, moves);
            if (play_step(world, side, moves[static_cast<int>(rng() % moves.size)]) == StepEnd::won) break;
        }
        list_legal_moves(world.board, side, moves);
        ASSERT_GT(moves.size, 0);
        const int draws = 20000;
        std::map<std::array<int, 4>, int> drawn;
        for (int draw = 0; draw < draws; ++draw) {
            Move move;
            ASSERT_TRUE(playout_move(world, params, side, rng, move));
            ++drawn[{move.from_column, move.from_row, move.to_column, move.to_row}];
        }
        std::optional<Move> at_once;
        for (const Move& move : moves) {
            const int kind = world.board[move.from_column][move.from_row].kind;
            bool empty = world.board[move.to_column][move.to_row].owner == 0;
            if (!at_once && move.to_row == far_row(side) &&
                (empty || attack_odds(kind, world.known[move.to_column][move.to_row]) >= params.playout_far_row_odds)) {
                at_once = move;
            }
        }
        if (at_once) {
            ++far_row_positions;
            EXPECT_EQ(drawn.size(), 1u);
            EXPECT_EQ((drawn[{at_once->from_column, at_once->from_row, at_once->to_column, at_once->to_row}]), draws);
            continue;
        }
        double total = 0;
        for (const Move& move : moves) total += weight_of(world, params, side, move);
        int legal_draws = 0;
        for (const Move& move : moves) {
            double expected = draws * weight_of(world, params, side, move) / total;
            int seen = drawn[{move.from_column, move.from_row, move.to_column, move.to_row}];
            // Six standard deviations.
            EXPECT_NEAR(seen, expected, 6 * std::sqrt(expected) + 1)
                << "(" << move.from_column << "," << move.from_row << ")->(" << move.to_column << "," << move.to_row << ")";
            legal_draws += seen;
        }
        EXPECT_EQ(legal_draws, draws) << "a move that is not legal was drawn";
    }
    EXPECT_LT(far_row_positions, 8) << "too few positions drawn by weight";
}

// A playout that stops at its horizon is worth the same however deep in the
// tree it starts: otherwise the moves the search likes best, and so explores
// deepest, would be pulled towards even. A win is worth less the later it
// comes.
TEST(PlayoutWorld, AJudgedHorizonIsWorthTheSameAtAnyDepthAndALateWinLess) {
    const SearchParams params = searching(1);
    std::mt19937 deals(7);
    for (int game = 0; game < 8; ++game) {
        // Every far row starts full: no playout from a deal reaches one.
        const World dealt = world_with_random_knowledge(deals);
        std::array<double, 2> values{};
        for (int at = 0; at < 2; ++at) {
            World world = dealt;
            std::mt19937 rng(game);
            values[at] = played_out_value_for_1(world, params, 1 + game % 2, at * 12, rng);
        }
        EXPECT_NE(values[0], 0.5);
        EXPECT_EQ(values[0], values[1]) << "deal " << game;
    }
    Board near_win;
    support::put(near_win, 2, 8, Rock, 1);
    support::put(near_win, 0, 0, Scissors, 2);
    World world = world_on(near_win);
    std::mt19937 rng(1);
    const double soon = played_out_value_for_1(world, params, 1, 0, rng);
    world = world_on(near_win);
    const double late = played_out_value_for_1(world, params, 1, 12, rng);
    EXPECT_GT(soon, late);
    EXPECT_GT(late, 0.5);
}

// An attack on an unknown piece leads to two states, one for each way the
// fight can go: the bot sees them apart, so its tree keeps them apart.
TEST_F(ChoiceTest, AnAttacksTwoOutcomesLeadToStatesOfTheirOwn) {
    put(2, 4, Rock, 1);
    put(0, 1, Scissors, 1);
    put(2, 5, Paper, 2);
    put(4, 8, Scissors, 2);
    const SearchParams params = searching(600);
    Tree tree = start_tree(params.iterations);
    std::mt19937 rng(3);
    for (int i = 0; i < params.iterations; ++i) {
        World world = world_on(board);
        world.board[2][5].kind = i % 3;
        for (int column = 0; column < board_columns; ++column) {
            for (int row = 0; row < board_rows; ++row) {
                if (board[column][row].owner != 0) world.known[column][row] = any_kind;
            }
        }
        iterate(tree, world, params, 1, rng);
    }
    int attacks = 0;
    for (int at = tree.states[0].first_edge; at >= 0; at = tree.edges[at].next_sibling) {
        const Edge& edge = tree.edges[at];
        if (!(edge.move == Move{2, 4, 2, 5})) continue;
        ++attacks;
        EXPECT_GE(edge.after[0], 0);
        EXPECT_GE(edge.after[1], 0);
        EXPECT_NE(edge.after[0], edge.after[1]);
    }
    EXPECT_EQ(attacks, 1);
}

// The tree keeps which moves of a state it holds as target squares by
// direction: each legal move must enter it once, and nothing else.
TEST_F(ChoiceTest, EveryLegalMoveEntersTheTreeOnce) {
    std::mt19937 deal_rng(21);
    deal_board(board, [&] { return static_cast<int>(deal_rng() % 5); });
    SearchParams params = searching(3000);
    params.widening_scale = 0;
    Tree tree = start_tree(params.iterations);
    std::mt19937 rng(3);
    const World root = world_on(board);
    for (int i = 0; i < params.iterations; ++i) {
        World world = root;
        iterate(tree, world, params, 1, rng);
    }
    std::vector<Move> in_tree;
    for (int at = tree.states[0].first_edge; at >= 0; at = tree.edges[at].next_sibling) {
        in_tree.push_back(tree.edges[at].move);
    }
    std::vector<Move> legal = legal_moves(board, 1);
    auto order = [](const Move& a, const Move& b) {
        return std::tie(a.from_column, a.from_row, a.to_column, a.to_row) <
               std::tie(b.from_column, b.from_row, b.to_column, b.to_row);
    };
    std::sort(in_tree.begin(), in_tree.end(), order);
    std::sort(legal.begin(), legal.end(), order);
    EXPECT_EQ(in_tree, legal);
}

TEST(TurnExplanation, ListsTheChosenMoveThenTheWeighedOnesBestFirst) {
    BotTurn turn{.move = Move{2, 3, 2, 4}, .weighed = {{{0, 1, 0, 2}, 10, 0.25}, {{2, 3, 2, 4}, 90, 0.6125}}};
    EXPECT_EQ(turn_explanation(turn), "chose (2,3)->(2,4) of 2 weighed\n"
                                      "  (2,3)->(2,4) visits 90 mean 0.613\n"
                                      "  (0,1)->(0,2) visits 10 mean 0.250\n");
    turn.converting = true;
    EXPECT_EQ(turn_explanation(turn).substr(0, 66),
              "chose (2,3)->(2,4), converting: nearest the far row, of 2 weighed\n");
    turn.converting = false;
    turn.weighed = {{{0, 1, 0, 2}, 0, -3.5}, {{2, 3, 2, 4}, 0, 12.25}};
    EXPECT_EQ(turn_explanation(turn), "chose (2,3)->(2,4) of 2 weighed\n"
                                      "  (2,3)->(2,4) value 12.25\n"
                                      "  (0,1)->(0,2) value -3.50\n");
    turn.weighed.clear();
    EXPECT_EQ(turn_explanation(turn), "chose (2,3)->(2,4), the only move\n");
    EXPECT_EQ(turn_explanation(BotTurn{}), "no piece can move\n");
}

}  // namespace
