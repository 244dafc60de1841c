#include "deep_evaluation.h"

namespace {

constexpr int HAND_PERCENT = 110;   // a piece in hand against the same piece on the board
constexpr int REACH_WEIGHT = 3;     // per square a rook, bishop, dragon or horse reaches
constexpr int ZONE_ATTACK = 14;     // per enemy attack on the king or a square beside it
constexpr int ZONE_OUTNUMBERED = 22;  // per such square where the enemy has more attackers
constexpr int DROP_HOLE = 9;        // per enemy piece in hand and per unguarded empty square beside the king
constexpr int GUARD_NEAR = 30;      // per gold or silver next to the own king
constexpr int GUARD_FAR = 12;       // per gold or silver two squares from it
constexpr int PERCENT = 100;

int king_piece(int side) { return side == SENTE ? SENTE_KING_PIECE : GOTE_KING_PIECE; }

int is_guard_kind(int kind) {
    return kind == GOLD || kind == SILVER || (kind >= PROMOTED_SILVER && kind <= PROMOTED_PAWN);
}

int is_long_kind(int kind) {
    return kind == ROOK || kind == BISHOP || kind == PROMOTED_ROOK || kind == PROMOTED_BISHOP;
}

int king_distance(int a, int b) {
    int dc = column_distance(a, b), dr = row_distance(a, b);
    return dc > dr ? dc : dr;
}

// Pieces of the enemy in hand other than pawns: each could drop beside the king.
int droppable(const PieceRecord pieces[PIECE_RECORDS], int side) {
    int n = 0;
    for (int i = 0; i < PIECE_COUNT; ++i)
        if (pieces[i].owner == side && pieces[i].square >= SENTE_HAND_BASE && pieces[i].kind != PAWN) ++n;
    return n;
}

// Attacks on the king and the squares beside it, holes the enemy could drop
// into, against the golds and silvers that stand by.
int king_safety_of(const DeepPosition& pos, const SquareSet& occupied, int side) {
    const PieceRecord* pieces = pos.pieces();
    int king = pieces[king_piece(side)].square;
    if (king >= SQUARES) return 0;
    int enemy = opponent(side);
    int danger = 0, holes = 0;
    for (int dr = -1; dr <= 1; ++dr) {
        for (int dc = -1; dc <= 1; ++dc) {
            int row = king / 9 + dr, column = king % 9 + dc;
            if (row < 0 || row > 8 || column < 0 || column > 8) continue;
            int square = 9 * row + column;
            AttackerCounts counts = count_attackers_on(occupied, pos.board(), pieces, square);
            int attackers = counts.side[enemy], guards = counts.side[side] - (square != king);
            danger += attackers * ZONE_ATTACK;
            if (attackers > guards) danger += ZONE_OUTNUMBERED;
            if (pos.board_at(square) == NO_PIECE && guards <= 0) ++holes;
        }
    }
    danger += holes * droppable(pieces, enemy) * DROP_HOLE;
    int guard = 0;
    for (int i = 0; i < PIECE_COUNT; ++i) {
        const PieceRecord& p = pieces[i];
        if (p.owner != side || p.square >= SQUARES || !is_guard_kind(p.kind)) continue;
        int d = king_distance(p.square, king);
        guard += d == 1 ? GUARD_NEAR : d == 2 ? GUARD_FAR : 0;
    }
    return guard - danger;
}

SideValue side_value(const DeepPosition& pos, const DeepWeights& weights, const SquareSet& occupied, int side) {
    const PieceRecord* pieces = pos.pieces();
    SideValue v{0, 0, 0};
    for (int i = 0; i < PIECE_COUNT; ++i) {
        const PieceRecord& p = pieces[i];
        if (p.owner != side || p.kind == KING || static_cast<unsigned>(p.kind) >= PIECE_KINDS) continue;
        if (p.square >= SENTE_HAND_BASE) {
            v.material += weights.value[p.kind] * HAND_PERCENT / PERCENT;
        } else if (p.square < SQUARES) {
            v.material += weights.value[p.kind];
            if (is_long_kind(p.kind))
                v.reach += REACH_WEIGHT * count_legal_targets_on(occupied, p.square, pos.board(), pieces);
        }
    }
    if (weights.king_safety != 0) v.king_safety = king_safety_of(pos, occupied, side);
    return v;
}

int total(const SideValue& v, const DeepWeights& weights) {
    return v.material + v.reach + v.king_safety * weights.king_safety / PERCENT;
}

int clamped(int v, int high) { return v < 0 ? 0 : v > high ? high : v; }

}  // namespace

DeepWeights deep_weights_of(const EngineSettings& es) {
    DeepWeights w;
    for (int kind = 0; kind < PIECE_KINDS; ++kind) w.value[kind] = clamped(es.value[kind], MAX_DEEP_VALUE);
    w.king_safety = clamped(es.king_safety, MAX_KING_SAFETY);
    return w;
}

SideValue deep_side_value(const DeepPosition& pos, const DeepWeights& weights, int side) {
    return side_value(pos, weights, occupied_squares(pos.board()), side);
}

int deep_evaluate(const DeepPosition& pos, const DeepWeights& weights) {
    SquareSet occupied = occupied_squares(pos.board());
    int side = pos.side_to_move();
    return total(side_value(pos, weights, occupied, side), weights) - total(side_value(pos, weights, occupied, opponent(side)), weights);
}
