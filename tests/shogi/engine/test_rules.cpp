#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <vector>

#include "position_builder.h"
#include "random_play.h"
#include "rules.h"

namespace {

int can(const TestPosition &pos, int from, int to) { return can_move(from, to, pos.board, pos.pieces); }

// Squares a piece on `from` may reach, as offsets (file step, rank step) seen
// from sente: negative rank steps go forward.
std::set<std::pair<int, int>> reachable_offsets(const TestPosition &pos, int from) {
    std::set<std::pair<int, int>> offsets;
    for (int to = 0; to < SQUARES; ++to)
        if (can(pos, from, to)) offsets.insert({(from % 9) - (to % 9), to / 9 - from / 9});
    return offsets;
}

// --- movement shapes on an empty board ---------------------------------------

struct Shape {
    int kind;
    std::set<std::pair<int, int>> steps;  // (file step, rank step) for sente
};

std::set<std::pair<int, int>> gold_steps() { return {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {0, 1}}; }
std::set<std::pair<int, int>> king_steps() {
    return {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
}

TEST(CanMove, SteppingKindsReachExactlyTheirSquaresForBothSides) {
    const Shape shapes[] = {
        {KING, king_steps()},
        {GOLD, gold_steps()},
        {PROMOTED_SILVER, gold_steps()},
        {PROMOTED_KNIGHT, gold_steps()},
        {PROMOTED_LANCE, gold_steps()},
        {PROMOTED_PAWN, gold_steps()},
        {SILVER, {{-1, -1}, {0, -1}, {1, -1}, {-1, 1}, {1, 1}}},
        {KNIGHT, {{-1, -2}, {1, -2}}},
        {PAWN, {{0, -1}}},
    };
    const int centre = square_cell(5, 5);
    for (const Shape &shape : shapes) {
        for (int side : {SENTE, GOTE}) {
            TestPosition pos;
            clear_position(pos);
            place(pos, shape.kind, side, centre);
            std::set<std::pair<int, int>> expected;
            for (auto [file, rank] : shape.steps) expected.insert(side == SENTE ? std::pair{file, rank} : std::pair{-file, -rank});
            EXPECT_EQ(reachable_offsets(pos, centre), expected) << "kind " << shape.kind << " side " << side;
        }
    }
}

// --- blocking and captures ----------------------------------------------------

TEST(CanMove, StartingRookIsHemmedInByItsOwnPieces) {
    TestPosition pos;
    set_up_start(pos);
    EXPECT_FALSE(can(pos, 70, 61));  // own pawn on 27
    EXPECT_TRUE(can(pos, 70, 71));   // empty 18
    EXPECT_TRUE(can(pos, 70, 69));   // empty 38
    EXPECT_FALSE(can(pos, 70, 79));  // own knight on 29
    EXPECT_TRUE(can(pos, 70, 65));   // along rank 8 to 78
    EXPECT_FALSE(can(pos, 70, 63));  // 98 lies behind the own bishop on 88
    EXPECT_FALSE(can(pos, 70, 60));  // on no line
}

TEST(CanMove, SlidersStopAtTheFirstPieceAndTakeOnlyEnemies) {
    TestPosition pos;
    clear_position(pos);
    const int lance = square_cell(9, 9);
    place(pos, LANCE, SENTE, lance);
    place(pos, PAWN, GOTE, square_cell(9, 7));  // one empty square, then an enemy
    EXPECT_TRUE(can(pos, lance, square_cell(9, 8)));
    EXPECT_TRUE(can(pos, lance, square_cell(9, 7)));
    EXPECT_FALSE(can(pos, lance, square_cell(9, 6)));

    const int rook = square_cell(5, 5), bishop = square_cell(3, 3);
    place(pos, ROOK, GOTE, rook);
    place(pos, GOLD, GOTE, square_cell(5, 7));
    place(pos, SILVER, SENTE, square_cell(2, 5));
    place(pos, BISHOP, SENTE, bishop);
    EXPECT_TRUE(can(pos, rook, square_cell(5, 6)));
    EXPECT_FALSE(can(pos, rook, square_cell(5, 7)));  // own gold
    EXPECT_FALSE(can(pos, rook, square_cell(5, 8)));
    EXPECT_TRUE(can(pos, rook, square_cell(2, 5)));   // enemy silver
    EXPECT_FALSE(can(pos, rook, square_cell(1, 5)));
    EXPECT_TRUE(can(pos, bishop, square_cell(5, 5)));  // takes the rook
    EXPECT_FALSE(can(pos, bishop, square_cell(6, 6)));
    EXPECT_TRUE(can(pos, bishop, square_cell(1, 1)));
}

TEST(CanMove, KnightJumpsOverWhateverStandsBetween) {
    TestPosition pos;
    set_up_start(pos);
    EXPECT_FALSE(can(pos, 79, 60));  // own pawn on the landing square
    pos.board[60] = NO_PIECE;
    pos.pieces[33].square = PARKED_SQUARE;
    pos.pieces[33].owner = NOBODY;
    ASSERT_NE(pos.board[70], NO_PIECE);
    EXPECT_TRUE(can(pos, 79, 60));
    place(pos, GOLD, GOTE, 69);
    place(pos, PAWN, GOTE, 60);
    EXPECT_TRUE(can(pos, 79, 60));  // an enemy there is taken
    EXPECT_FALSE(can(pos, 79, 62));  // the other knight target: own pawn
}

TEST(CanMove, OwnKingSafetyIsNotTested) {
    TestPosition pos;
    clear_position(pos);
    const int king = square_cell(5, 9), gold = square_cell(5, 8);
    place(pos, KING, SENTE, king);
    place(pos, GOLD, SENTE, gold);
    place(pos, ROOK, GOTE, square_cell(5, 1));
    place(pos, PAWN, GOTE, square_cell(4, 7));
    EXPECT_TRUE(can(pos, gold, square_cell(6, 8)));   // uncovers the king on the rook's file
    EXPECT_TRUE(can(pos, king, square_cell(4, 8)));   // steps next to the pawn's attack
    EXPECT_TRUE(can(pos, square_cell(5, 1), square_cell(5, 7)));
}

// --- drops ----------------------------------------------------------------------

TEST(CanMove, DropsNeedAnEmptySquareAndRoomToMoveOn) {
    struct DropRule {
        int kind, side;
        std::set<int> refused_ranks;
    };
    const DropRule rules[] = {
        {KNIGHT, SENTE, {1, 2}}, {LANCE, SENTE, {1}}, {PAWN, SENTE, {1}}, {GOLD, SENTE, {}},
        {KNIGHT, GOTE, {8, 9}},  {LANCE, GOTE, {9}},  {PAWN, GOTE, {9}},  {PROMOTED_LANCE, GOTE, {}},
    };
    const int enemy_square = square_cell(5, 5);
    for (const DropRule &rule : rules) {
        TestPosition pos;
        clear_position(pos);
        place(pos, PAWN, opponent(rule.side), enemy_square);  // an enemy pawn: no bar to own pawn drops
        const int hand = pos.pieces[place_in_hand(pos, rule.kind, rule.side)].square;
        for (int rank = 1; rank <= 9; ++rank) {
            for (int file = 1; file <= 9; ++file) {
                const int to = square_cell(file, rank);
                const int expected = to != enemy_square && !rule.refused_ranks.count(rank);
                EXPECT_EQ(can(pos, hand, to), expected) << "kind " << rule.kind << " side " << rule.side << " to " << to;
            }
        }
    }
}

TEST(CanMove, NoSecondUnpromotedPawnInAFile) {
    TestPosition pos;
    clear_position(pos);
    const int pawn = place_in_hand(pos, PAWN, SENTE);
    const int hand = pos.pieces[pawn].square;
    place(pos, PAWN, SENTE, square_cell(7, 7));
    place(pos, PROMOTED_PAWN, SENTE, square_cell(3, 4));
    for (int rank = 2; rank <= 9; ++rank) {
        if (rank != 7) {
            EXPECT_FALSE(can(pos, hand, square_cell(7, rank))) << rank;
        }
        if (rank != 4) {
            EXPECT_TRUE(can(pos, hand, square_cell(3, rank))) << rank;  // a tokin does not block
        }
    }
}

TEST(CanMove, PromotedPiecesHeldInTheSearchDropAsTheyAre) {
    TestPosition pos;
    clear_position(pos);
    place(pos, PAWN, SENTE, square_cell(1, 5));
    const int tokin = place_in_hand(pos, PROMOTED_PAWN, SENTE);
    const int dragon = place_in_hand(pos, PROMOTED_ROOK, GOTE);
    const int from = pos.pieces[tokin].square;
    // Neither the last-rank nor the second-pawn rule applies to a tokin.
    EXPECT_TRUE(can(pos, from, square_cell(1, 1)));
    EXPECT_EQ(make_move(from, square_cell(1, 1), SENTE, pos.board, pos.pieces), 0);
    EXPECT_EQ(pos.pieces[tokin].kind, PROMOTED_PAWN);
    EXPECT_TRUE(can(pos, pos.pieces[dragon].square, square_cell(9, 9)));
    EXPECT_TRUE(can(pos, square_cell(1, 1), square_cell(1, 2)));  // then moves like a gold
}

// --- totality ----------------------------------------------------------------------

// Every from in 0..255 against squares, cells past the board and absurd values,
// on well-formed positions and on tables of garbage: never a read outside.
TEST(CanMove, IsTotalOverAnyCellPairOnAnyTables) {
    const int extra_to[] = {81, 99, 100, 139, 200, 255, 256, 1000, INT_MAX};
    std::vector<TestPosition> positions(1);
    set_up_start(positions[0]);
    for (unsigned seed = 1; seed <= 40; ++seed) {
        TestPosition pos;
        play_random_game(pos, seed, static_cast<int>(seed * 3));
        positions.push_back(pos);
        scatter_random_pieces(pos, seed, 45);
        positions.push_back(pos);
    }
    std::mt19937 rng(7);
    for (int n = 0; n < 20; ++n) {
        TestPosition garbage;
        for (int &cell : garbage.board) cell = static_cast<int>(rng() % 48) - 4;
        for (PieceRecord &r : garbage.pieces) r = {static_cast<int>(rng() % 20) - 3, static_cast<int>(rng()), static_cast<int>(rng() % 4), 0};
        positions.push_back(garbage);
    }
    long allowed = 0;
    for (TestPosition &pos : positions) {
        const TestPosition before = pos;
        for (int from = -2; from < BOARD_CELLS + 2; ++from) {
            for (int to = 0; to < SQUARES; ++to) allowed += can(pos, from, to);
            for (int to : extra_to) EXPECT_FALSE(can(pos, from, to));
            EXPECT_FALSE(can(pos, from, -1));
        }
        EXPECT_TRUE(same_position(pos, before));
    }
    EXPECT_GT(allowed, 0);
}

// --- an independent reference ------------------------------------------------

// The rules again, written on (file, rank) with direction lists, to guard the
// cell arithmetic of can_move and any speed-up of it.
struct Direction {
    int file, rank, slides;
};

std::vector<Direction> directions_of(int kind) {
    const std::vector<Direction> gold = {{-1, -1, 0}, {0, -1, 0}, {1, -1, 0}, {-1, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const std::vector<Direction> diagonal_steps = {{-1, -1, 0}, {1, -1, 0}, {-1, 1, 0}, {1, 1, 0}};
    const std::vector<Direction> straight_steps = {{0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};
    std::vector<Direction> dirs;
    auto add = [&](const std::vector<Direction> &more, int slides) {
        for (Direction d : more) dirs.push_back({d.file, d.rank, slides});
    };
    switch (kind) {
    case KING: add(diagonal_steps, 0); add(straight_steps, 0); break;
    case GOLD: case PROMOTED_SILVER: case PROMOTED_KNIGHT: case PROMOTED_LANCE: case PROMOTED_PAWN: add(gold, 0); break;
    case SILVER: add({{-1, -1, 0}, {0, -1, 0}, {1, -1, 0}, {-1, 1, 0}, {1, 1, 0}}, 0); break;
    case KNIGHT: add({{-1, -2, 0}, {1, -2, 0}}, 0); break;
    case LANCE: add({{0, -1, 0}}, 1); break;
    case PAWN: add({{0, -1, 0}}, 0); break;
    case ROOK: add(straight_steps, 1); break;
    case PROMOTED_ROOK: add(straight_steps, 1); add(diagonal_steps, 0); break;
    case BISHOP: add(diagonal_steps, 1); break;
    case PROMOTED_BISHOP: add(diagonal_steps, 1); add(straight_steps, 0); break;
    default: break;
    }
    return dirs;
}

int reference_drop(const TestPosition &pos, const PieceRecord &piece, int to) {
    if (pos.board[to] != NO_PIECE) return 0;
    int rank = to / 9 + 1, file = 9 - to % 9;
    int ranks_ahead = piece.owner == SENTE ? rank - 1 : 9 - rank;
    if (piece.kind == KNIGHT) return ranks_ahead >= 2;
    if (piece.kind == LANCE) return ranks_ahead >= 1;
    if (piece.kind != PAWN) return 1;
    if (ranks_ahead < 1) return 0;
    for (int r = 1; r <= 9; ++r) {
        const PieceRecord &held = pos.pieces[pos.board[square_cell(file, r)]];
        if (held.kind == PAWN && held.owner == piece.owner) return 0;
    }
    return 1;
}

int reference_can_move(const TestPosition &pos, int from, int to) {
    if (from < 0 || from >= BOARD_CELLS || to < 0 || to >= SQUARES) return 0;
    int p = pos.board[from];
    if (p == NO_PIECE) return 0;
    const PieceRecord &piece = pos.pieces[p];
    if (from >= SENTE_HAND_BASE) return reference_drop(pos, piece, to);
    int forward = piece.owner == SENTE ? 1 : -1;
    for (Direction d : directions_of(piece.kind)) {
        int file = 9 - from % 9, rank = from / 9 + 1;
        do {
            file += d.file * forward;
            rank += d.rank * forward;
            if (file < 1 || file > 9 || rank < 1 || rank > 9) break;
            int cell = square_cell(file, rank);
            int there = pos.board[cell];
            if (cell == to) return there == NO_PIECE || pos.pieces[there].owner != piece.owner;
            if (there != NO_PIECE) break;
        } while (d.slides);
    }
    return 0;
}

// Side's board pieces that reach `cell` once it is emptied, by the reference.
int reference_attackers(TestPosition pos, int cell, int side) {
    pos.board[cell] = NO_PIECE;
    int count = 0;
    for (int from = 0; from < SQUARES; ++from)
        count += pos.board[from] != NO_PIECE && pos.pieces[pos.board[from]].owner == side &&
                 reference_can_move(pos, from, cell);
    return count;
}

TEST(CanMove, AgreesWithAnIndependentReferenceOnManyPositions) {
    std::vector<TestPosition> positions;
    for (unsigned seed = 1; seed <= 80; ++seed) {
        TestPosition pos;
        play_random_game(pos, seed, static_cast<int>(seed % 90));
        positions.push_back(pos);
        scatter_random_pieces(pos, seed + 1000, static_cast<int>(8 + seed % 35));
        positions.push_back(pos);
    }
    long allowed = 0, drops = 0, attacks = 0;
    for (const TestPosition &pos : positions) {
        ASSERT_TRUE(position_is_consistent(pos));
        for (int from = 0; from < BOARD_CELLS; ++from) {
            std::vector<int> expected_targets;
            for (int to = 0; to < SQUARES; ++to) {
                int expected = reference_can_move(pos, from, to);
                ASSERT_EQ(can(pos, from, to), expected) << "from " << from << " to " << to;
                if (expected) expected_targets.push_back(to);
                allowed += expected;
                drops += expected && from >= SENTE_HAND_BASE;
            }
            int targets[SQUARES];
            int n = legal_targets(from, pos.board, pos.pieces, targets);
            ASSERT_EQ(std::vector<int>(targets, targets + n), expected_targets) << "from " << from;
            ASSERT_EQ(count_legal_targets(from, pos.board, pos.pieces), n);
        }
        for (int cell = 0; cell < SQUARES; ++cell) {
            for (int side = SENTE; side <= GOTE; ++side) {
                int expected = reference_attackers(pos, cell, side);
                ASSERT_EQ(count_attackers(pos.board, pos.pieces, cell, side), expected) << "cell " << cell;
                attacks += expected;
            }
        }
    }
    EXPECT_GT(allowed, 10000);
    EXPECT_GT(drops, 1000);
    EXPECT_GT(attacks, 5000);
}

// --- count_attackers ----------------------------------------------------------------

TEST(CountAttackers, CountsDefendersOfOwnPieceButNotThePieceItself) {
    TestPosition pos;
    clear_position(pos);
    const int gold_cell = square_cell(5, 7);
    place(pos, GOLD, SENTE, gold_cell);
    place(pos, SILVER, SENTE, square_cell(4, 8));      // defends diagonally forward
    place(pos, ROOK, SENTE, square_cell(5, 9));        // across one empty square
    place(pos, KNIGHT, SENTE, square_cell(6, 9));      // jumps onto it
    place(pos, PAWN, SENTE, square_cell(5, 6));        // pawns only move forward
    place(pos, BISHOP, GOTE, square_cell(1, 3));       // enemy attacker along the diagonal
    place(pos, LANCE, GOTE, square_cell(5, 1));        // blocked by sente's pawn
    place_in_hand(pos, GOLD, SENTE);                   // hand pieces never count
    const TestPosition before = pos;
    EXPECT_EQ(count_attackers(pos.board, pos.pieces, gold_cell, SENTE), 3);
    EXPECT_EQ(count_attackers(pos.board, pos.pieces, gold_cell, GOTE), 1);
    EXPECT_TRUE(same_position(pos, before));
    EXPECT_EQ(count_attackers(pos.board, pos.pieces, -1, SENTE), 0);
    EXPECT_EQ(count_attackers(pos.board, pos.pieces, SQUARES, SENTE), 0);
}

// --- PositionCache: what the engine works out once per position ---------------------

void expect_same_set(const SquareSet& actual, const SquareSet& expected, const char* what, int from, int to) {
    ASSERT_TRUE(actual.word[0] == expected.word[0] && actual.word[1] == expected.word[1])
        << what << " from " << from << " to " << to;
}

// `counts` is a PositionCache or TrialCounts for what the board holds now.
template <typename Counts>
void expect_counts_as_the_rules(const TestPosition& pos, int from, int to, const Counts& counts) {
    for (int cell = -1; cell <= SQUARES; ++cell) {
        AttackerCounts expected = count_attackers_by_side(pos.board, pos.pieces, cell);
        AttackerCounts actual = counts.attackers(cell);
        ASSERT_TRUE(actual.side[SENTE] == expected.side[SENTE] && actual.side[GOTE] == expected.side[GOTE])
            << "cell " << cell << " during " << from << "-" << to;
    }
}

// Every move either side may make, and a piece "moved" onto its own square.
std::vector<Move> trial_moves(const TestPosition& pos) {
    std::vector<Move> moves = list_moves(pos, SENTE);
    for (const Move& m : list_moves(pos, GOTE)) moves.push_back(m);
    if (!moves.empty()) moves.push_back({moves.front().from, moves.front().from, 0});
    return moves;
}

// A drop onto an empty square, asked of the cache without a trial: its reach,
// and every count but the dropped piece's own attacks, as the trial has them.
void expect_drop_as_the_trial(const PositionCache& cache, const TrialCounts& trial, const PieceRecord& dropped,
                              int to) {
    expect_same_set(cache.drop_reach(dropped, to), trial.reach, "drop reach", -1, to);
    for (int cell = 0; cell < SQUARES; ++cell) {
        AttackerCounts past = cache.attackers_past(to, cell), during = trial.attackers(cell);
        int own = during.side[dropped.owner] - past.side[dropped.owner];
        int others = during.side[opponent(dropped.owner)] - past.side[opponent(dropped.owner)];
        ASSERT_TRUE(others == 0 && (own == 1 || (own == 0 && !has_square(trial.reach, cell))))
            << "cell " << cell << " after a drop on " << to;
    }
}

TEST(PositionCache, CountsTargetsAndEveryTrialAgreeWithTheRules) {
    long trials = 0, drops = 0;
    for (unsigned seed = 1; seed <= 24; ++seed) {
        TestPosition pos;
        if (seed % 2)
            play_random_game(pos, seed, static_cast<int>(seed * 7 % 120));
        else
            scatter_random_pieces(pos, seed + 2000, static_cast<int>(10 + seed));
        PositionCache cache;
        cache.reset(pos.board, pos.pieces);
        expect_same_set(cache.occupied(), occupied_squares(pos.board), "occupied", -1, -1);
        expect_counts_as_the_rules(pos, -1, -1, cache);
        for (int from = 0; from < BOARD_CELLS; ++from)
            expect_same_set(cache.targets(from, pos.board), legal_target_set(from, pos.board, pos.pieces), "targets",
                            from, -1);
        for (const Move& m : trial_moves(pos)) {
            // The board holds the trial as the engine's scoring puts it there.
            int mover = pos.board[m.from], captured = pos.board[m.to];
            pos.board[m.from] = NO_PIECE;
            pos.board[m.to] = mover;
            TrialCounts trial;
            cache.trial(TrialMove{m.from, m.to}, pos.board, trial);
            expect_same_set(trial.occupied, occupied_squares(pos.board), "occupied", m.from, m.to);
            expect_same_set(trial.reach, legal_target_set(m.to, pos.board, pos.pieces), "reach", m.from, m.to);
            expect_counts_as_the_rules(pos, m.from, m.to, trial);
            if (cache.drops_onto_empty(TrialMove{m.from, m.to}, mover)) {
                expect_drop_as_the_trial(cache, trial, pos.pieces[mover], m.to);
                ++drops;
            }
            pos.board[m.to] = captured;
            pos.board[m.from] = mover;
            ++trials;
        }
    }
    EXPECT_GT(trials, 1500);
    EXPECT_GT(drops, 200);
}

}  // namespace
