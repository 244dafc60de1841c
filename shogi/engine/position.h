// The one position model of the shogi program: board and hands as cells,
// the table of the 40 pieces, and the engine's make/unmake/sort operations.
#pragma once

// Sides: plain ints; the opponent of side s is 1 - s.
using Side = int;
constexpr int SENTE = 0;
constexpr int GOTE = 1;
constexpr int NOBODY = 2;  // owner of the sentinel record only

// Piece kinds: plain ints 0..13; promotion adds PROMOTION_OFFSET to kinds ROOK..PAWN.
using PieceKind = int;
constexpr int KING = 0;
constexpr int GOLD = 1;
constexpr int ROOK = 2;
constexpr int BISHOP = 3;
constexpr int SILVER = 4;
constexpr int KNIGHT = 5;
constexpr int LANCE = 6;
constexpr int PAWN = 7;
constexpr int PROMOTED_ROOK = 8;
constexpr int PROMOTED_BISHOP = 9;
constexpr int PROMOTED_SILVER = 10;
constexpr int PROMOTED_KNIGHT = 11;
constexpr int PROMOTED_LANCE = 12;
constexpr int PROMOTED_PAWN = 13;
constexpr int PIECE_KINDS = 14;
constexpr int PROMOTION_OFFSET = 6;

// Cells: 0..80 squares (cell = 9 * rank - file), hand lists at 100.. and 200..
constexpr int BOARD_CELLS = 256;
constexpr int SQUARES = 81;
constexpr int SENTE_HAND_BASE = 100;
constexpr int GOTE_HAND_BASE = 200;
constexpr int HAND_SLOTS = 40;
constexpr int NO_SQUARE = 82;  // last_move.to before the first move of a game

// Pieces: 0..39 real, 40 the sentinel that every empty cell names.
constexpr int PIECE_COUNT = 40;
constexpr int PIECE_RECORDS = 41;
constexpr int NO_PIECE = 40;
constexpr int GOTE_KING_PIECE = 0;
constexpr int SENTE_KING_PIECE = 20;

struct PieceRecord {
    PieceKind kind;
    int square;
    Side owner;
    int unused;  // always 0, never read
};

// Engine move record; a drop exactly when is_drop(from).
struct Move {
    int from;
    int to;
    int score;
};

// Hand-over of every move between a move source and the move executor.
struct LastMove {
    int from;
    int to;
    int promote;
};

extern const PieceRecord INITIAL_PIECES[PIECE_RECORDS];

// The live position and turn state: defined here, written only by the front end.
extern int Board[BOARD_CELLS];
extern PieceRecord PieceTable[PIECE_RECORDS];
extern Side side_to_move;
extern int move_number;
extern LastMove last_move;

inline Side opponent(Side side) { return 1 - side; }
inline int hand_base(Side side) { return side == SENTE ? SENTE_HAND_BASE : GOTE_HAND_BASE; }

// A move from a hand cell puts a piece on the board: a drop.
inline int is_drop(int from) { return from >= SENTE_HAND_BASE; }
// The far three ranks of a side: squares 0..26 for sente, 54..80 for gote.
inline int in_promotion_zone(int square, Side side) { return side == SENTE ? square <= 26 : square >= 54; }
// 1 when the piece on `from` may promote going to `to`: an unpromoted rook,
// bishop, silver, knight, lance or pawn moving on the board into, inside or
// out of its side's zone.
inline int may_promote(int from, int to, Side side, const int board[BOARD_CELLS],
                       const PieceRecord pieces[PIECE_RECORDS]) {
    if (is_drop(from)) return 0;
    int kind = pieces[board[from]].kind;
    return kind >= ROOK && kind <= PAWN && (in_promotion_zone(from, side) || in_promotion_zone(to, side));
}
// 1 when a move to `to` would take a king: the game ends before such a move.
inline int takes_king(int to, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]) {
    return board[to] != NO_PIECE && pieces[board[to]].kind == KING;
}

// Copies INITIAL_PIECES and places every piece on its cell.
void set_up_position(int board[BOARD_CELLS], PieceRecord pieces[PIECE_RECORDS]);

// Returns 1 if the moving piece was promoted, else 0.
int make_move(int from, int to, Side side, int board[BOARD_CELLS], PieceRecord pieces[PIECE_RECORDS]);
// Restores the position before the matching make_move exactly.
void unmake_move(int from, int to, Side side, int captured, int promoted, int board[BOARD_CELLS],
                 PieceRecord pieces[PIECE_RECORDS]);
// Executes a move of a game (never one that takes_king): a captured piece
// goes demoted into the mover's hand, the mover promotes when `promote` asks
// and may_promote allows, and the mover's hand is sorted. 1 if it promoted.
int execute_game_move(int from, int to, Side side, int promote, int board[BOARD_CELLS],
                      PieceRecord pieces[PIECE_RECORDS]);
// Orders a side's hand list by kind, highest first, stably, and renumbers squares.
void sort_hand(int board[BOARD_CELLS], PieceRecord pieces[PIECE_RECORDS], Side side);

// 1 when from names a cell (0..255), to a square (0..80) and from != to;
// blanked candidates (0, 0) are ill-formed. Both compares are unsigned and
// from stops at 255, so a well-formed from can always index the board.
int is_well_formed(int from, int to);
// 1 when the first slot of the side's hand list holds a piece.
int has_pieces_in_hand(const int board[BOARD_CELLS], Side side);

// Distances on raw cell numbers (hand cells give numbers without board meaning).
inline int column_distance(int a, int b) {
    int d = a % 9 - b % 9;
    return d < 0 ? -d : d;
}
inline int row_distance(int a, int b) {
    int d = a / 9 - b / 9;
    return d < 0 ? -d : d;
}
