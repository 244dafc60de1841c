#include "generators.h"

#include <cstdlib>

#include "evaluation.h"
#include "rules.h"
#include "settings.h"

RecentMove RecentMoves[RECENT_MOVE_COUNT];

int recent_moves_contains(int from, int to, int piece) {
    for (const RecentMove& m : RecentMoves) {
        if (m.from == from && m.to == to && m.piece == piece) return 1;
    }
    return 0;
}

void recent_moves_push(int from, int to, int piece) {
    for (int i = RECENT_MOVE_COUNT - 1; i > 0; --i) RecentMoves[i] = RecentMoves[i - 1];
    RecentMoves[0] = RecentMove{from, to, piece};
}

namespace {

// A collected list; it silently stops growing at CANDIDATE_CAP.
struct CandidateList {
    Move entries[CANDIDATE_CAP];
    int count;
};

// Every move of one piece (or one dropped kind) before the cut to the best few.
struct SubList {
    Move entries[SQUARES];
    int count;
};

int is_full(const CandidateList& list) { return list.count >= CANDIDATE_CAP; }

void append(CandidateList& list, const Move& move) {
    if (!is_full(list)) list.entries[list.count++] = move;
}

int on_board(const PieceRecord& piece) { return piece.square < SQUARES; }

int is_long_range_kind(int kind) {
    return kind == ROOK || kind == BISHOP || kind == PROMOTED_ROOK || kind == PROMOTED_BISHOP;
}

int king_of(int side) { return side == SENTE ? SENTE_KING_PIECE : GOTE_KING_PIECE; }

// The position a generator works on, taken at the start of every generator
// call for all its candidates.
PositionCache position;

Move scored(int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], int from, int to) {
    return Move{from, to, score_move_on(board, pieces, from, to, position)};
}

// The squares of `targets` as moves of the piece on `from`, scored, in square order.
void collect_scored(SubList& sub, int from, const SquareSet& targets, int board[BOARD_CELLS],
                    const PieceRecord pieces[PIECE_RECORDS]) {
    int squares[SQUARES];
    int n = list_squares(targets, squares);
    for (sub.count = 0; sub.count < n; ++sub.count)
        sub.entries[sub.count] = scored(board, pieces, from, squares[sub.count]);
}

// Every square the piece on `from` may reach, scored, in square order.
void collect_legal_targets(SubList& sub, int from, int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]) {
    collect_scored(sub, from, position.targets(from, board), board, pieces);
}

// Every empty square, scored: the search drops without the drop rules.
void collect_empty_targets(SubList& sub, int from, int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]) {
    collect_scored(sub, from, position.empty(), board, pieces);
}

// A full list takes no more moves, so they are not scored; the numbers their
// scoring would have drawn from rand are drawn all the same.
void skip_unscored(int from, int moves, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]) {
    if (!score_move_draws(board, pieces, from)) return;
    for (int i = 0; i < moves; ++i) std::rand();
}

// Sorts the sub-list and appends its best `limit` entries.
void append_best(CandidateList& list, SubList& sub, int limit) {
    sort_best_candidates(sub.entries, sub.count, limit);
    int take = sub.count < limit ? sub.count : limit;
    for (int i = 0; i < take; ++i) append(list, sub.entries[i]);
}

// Appends every legal move of the piece on `from` in square order until full.
void append_all_targets(CandidateList& list, int from, int board[BOARD_CELLS],
                        const PieceRecord pieces[PIECE_RECORDS]) {
    int targets[SQUARES];
    int n = list_squares(position.targets(from, board), targets);
    for (int i = 0; i < n && !is_full(list); ++i) append(list, scored(board, pieces, from, targets[i]));
}

void blank(Move& move) { move = Move{0, 0, 0}; }

void remove_duplicates(CandidateList& list) {
    for (int i = 0; i < list.count; ++i) {
        for (int j = i + 1; j < list.count; ++j) {
            if (list.entries[i].from == list.entries[j].from && list.entries[i].to == list.entries[j].to) {
                blank(list.entries[j]);
            }
        }
    }
}

// Copies well-formed entries in list order until `limit` are copied.
int copy_out(const CandidateList& list, int limit, int from_out[], int to_out[]) {
    int copied = 0;
    for (int i = 0; i < list.count && copied < limit; ++i) {
        const Move& m = list.entries[i];
        if (!is_well_formed(m.from, m.to)) continue;
        from_out[copied] = m.from;
        to_out[copied] = m.to;
        ++copied;
    }
    return copied;
}

// Root step 1: each major piece contributes only its best w / 4 moves.
void collect_major_pieces(CandidateList& list, int side, int per_piece, int board[BOARD_CELLS],
                          const PieceRecord pieces[PIECE_RECORDS]) {
    static const int MAJOR_PIECES[] = {1, 2, 21, 22};
    SubList sub;
    for (int piece : MAJOR_PIECES) {
        if (!on_board(pieces[piece]) || pieces[piece].owner != side) continue;
        collect_legal_targets(sub, pieces[piece].square, board, pieces);
        append_best(list, sub, per_piece);
    }
}

// Root step 2: every move of the other board pieces, no per-piece cut.
void collect_minor_pieces(CandidateList& list, int side, int board[BOARD_CELLS],
                          const PieceRecord pieces[PIECE_RECORDS]) {
    if (is_full(list)) return;
    for (int i = 0; i < PIECE_COUNT; ++i) {
        const PieceRecord& p = pieces[i];
        if (!on_board(p) || p.owner != side || is_long_range_kind(p.kind)) continue;
        append_all_targets(list, p.square, board, pieces);
    }
}

// Root step 3: each run of equal kinds in the hand list drops once, best w / 4.
void collect_root_drops(CandidateList& list, int side, int per_kind, int board[BOARD_CELLS],
                        const PieceRecord pieces[PIECE_RECORDS]) {
    if (!has_pieces_in_hand(board, side)) return;
    SubList sub;
    int remembered = KING;
    for (int slot = 0; slot < HAND_SLOTS; ++slot) {
        int cell = hand_base(side) + slot;
        int piece = board[cell];
        if (piece == NO_PIECE || pieces[piece].kind == remembered) continue;
        if (is_full(list)) {
            skip_unscored(cell, square_set_size(position.targets(cell, board)), board, pieces);
        } else {
            collect_legal_targets(sub, cell, board, pieces);
            append_best(list, sub, per_kind);
        }
        remembered = pieces[piece].kind;
    }
}

void blank_ill_formed_and_recent(CandidateList& list, const int board[BOARD_CELLS]) {
    for (int i = 0; i < list.count; ++i) {
        Move& m = list.entries[i];
        if (!is_well_formed(m.from, m.to) || recent_moves_contains(m.from, m.to, board[m.from])) blank(m);
    }
}

// Node step 1: every capture of the opposing king.
void collect_king_captures(CandidateList& list, int side, int board[BOARD_CELLS],
                           const PieceRecord pieces[PIECE_RECORDS]) {
    int target = pieces[king_of(opponent(side))].square;
    for (int i = 0; i < PIECE_COUNT && !is_full(list); ++i) {
        const PieceRecord& p = pieces[i];
        if (on_board(p) && p.owner == side && can_move(p.square, target, board, pieces)) {
            append(list, scored(board, pieces, p.square, target));
        }
    }
}

void collect_node_board_moves(CandidateList& list, int side, int board[BOARD_CELLS],
                              const PieceRecord pieces[PIECE_RECORDS]) {
    for (int i = 0; i < PIECE_COUNT && !is_full(list); ++i) {
        const PieceRecord& p = pieces[i];
        if (on_board(p) && p.owner == side) append_all_targets(list, p.square, board, pieces);
    }
}

// Node drops: the best two empty squares per kind; a kind repeated by the next
// hand piece in number order is skipped.
void collect_node_drops(CandidateList& list, int side, int board[BOARD_CELLS],
                        const PieceRecord pieces[PIECE_RECORDS]) {
    if (!has_pieces_in_hand(board, SENTE) && !has_pieces_in_hand(board, GOTE)) return;
    SubList sub;
    int remembered = KING;
    for (int i = 0; i < PIECE_COUNT; ++i) {
        const PieceRecord& p = pieces[i];
        if (on_board(p) || p.owner != side) continue;
        if (p.kind != remembered && is_full(list)) {
            skip_unscored(p.square, square_set_size(position.empty()), board, pieces);
        } else if (p.kind != remembered) {
            collect_empty_targets(sub, p.square, board, pieces);
            append_best(list, sub, NODE_DROPS_PER_KIND);
        }
        remembered = p.kind;
    }
}

}  // namespace

int king_capture_move(Move* move, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]) {
    int target = pieces[king_of(engine_opponent)].square;
    for (int i = 0; i < PIECE_COUNT; ++i) {
        const PieceRecord& p = pieces[i];
        if (on_board(p) && p.owner == engine_side && can_move(p.square, target, board, pieces)) {
            move->from = p.square;
            move->to = target;
            return 1;
        }
    }
    return 0;
}

int generate_root_candidates(int from_out[], int to_out[], int board[BOARD_CELLS], PieceRecord pieces[PIECE_RECORDS]) {
    int side = engine_side;
    int w = width[side];
    CandidateList list;
    list.count = 0;
    position.reset(board, pieces);
    collect_major_pieces(list, side, w / 4, board, pieces);
    collect_minor_pieces(list, side, board, pieces);
    collect_root_drops(list, side, w / 4, board, pieces);
    remove_duplicates(list);
    blank_ill_formed_and_recent(list, board);
    sort_candidates(list.entries, list.count);
    return w > 0 ? copy_out(list, w, from_out, to_out) : 0;
}

int generate_node_moves(int from_out[], int to_out[], int side, int node_width, int board[BOARD_CELLS],
                        PieceRecord pieces[PIECE_RECORDS]) {
    CandidateList list;
    list.count = 0;
    position.reset(board, pieces);
    collect_king_captures(list, side, board, pieces);
    if (list.count == 0) {
        collect_node_board_moves(list, side, board, pieces);
        collect_node_drops(list, side, board, pieces);
    }
    // No duplicates to remove: every move comes from its own piece's cell and
    // each piece's targets are distinct.
    // Every node move is well-formed, so only the first node_width are copied.
    sort_best_candidates(list.entries, list.count, node_width);
    return copy_out(list, node_width, from_out, to_out);
}
