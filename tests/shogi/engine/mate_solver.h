// An independent check of mates for the search tests: every move can_move
// allows, tried by copying the position, with a king capture as the only
// end. A move is legal when it leaves the own king where the reply cannot
// take it; a pawn may not be dropped to give mate.
#pragma once

#include <vector>

#include "position_builder.h"
#include "random_play.h"

namespace mate_solver_detail {

inline int king_square(const TestPosition &pos, int side) {
    return pos.pieces[side == SENTE ? SENTE_KING_PIECE : GOTE_KING_PIECE].square;
}

// 1 when `side` can take the other side's king now.
inline int can_take_king(const TestPosition &pos, int side) {
    return count_attackers(pos.board, pos.pieces, king_square(pos, opponent(side)), side) > 0;
}

// The move played on a copy, a captured piece going demoted into the hand.
inline TestPosition after(const TestPosition &pos, const Move &m, int side) {
    TestPosition next = pos;
    int captured = next.board[m.to];
    make_move(m.from, m.to, side, next.board, next.pieces);
    if (captured != NO_PIECE && next.pieces[captured].kind >= PROMOTED_ROOK)
        next.pieces[captured].kind -= PROMOTION_OFFSET;
    return next;
}

inline int is_pawn_drop(const TestPosition &pos, const Move &m) {
    return m.from >= SENTE_HAND_BASE && pos.pieces[pos.board[m.from]].kind == PAWN;
}

// The moves of `side` that do not leave its king to be taken.
inline std::vector<Move> legal_moves(const TestPosition &pos, int side) {
    std::vector<Move> legal;
    for (const Move &m : list_moves(pos, side))
        if (!can_take_king(after(pos, m, side), opponent(side))) legal.push_back(m);
    return legal;
}

}  // namespace mate_solver_detail

// 1 when `side`, to move, mates within `moves` of its own moves whatever the
// other side answers.
inline int forces_mate(const TestPosition &pos, int side, int moves);

// 1 when the move `m` of `side` mates at once or within `moves` - 1 more.
inline int move_forces_mate(const TestPosition &pos, const Move &m, int side, int moves) {
    using namespace mate_solver_detail;
    TestPosition next = after(pos, m, side);
    if (can_take_king(next, opponent(side))) return 0;
    std::vector<Move> replies = legal_moves(next, opponent(side));
    if (replies.empty()) return !is_pawn_drop(pos, m);
    if (moves <= 1) return 0;
    for (const Move &r : replies)
        if (!forces_mate(after(next, r, opponent(side)), side, moves - 1)) return 0;
    return 1;
}

inline int forces_mate(const TestPosition &pos, int side, int moves) {
    for (const Move &m : list_moves(pos, side))
        if (move_forces_mate(pos, m, side, moves)) return 1;
    return 0;
}
