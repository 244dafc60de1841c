#include "position.h"

// Pieces 0..19 start as gote's, 20..39 as sente's; piece n + 20 stands on the
// 180-degree image (80 - cell) of piece n. Record 40 is the empty-cell sentinel.
const PieceRecord INITIAL_PIECES[PIECE_RECORDS] = {
    {KING, 4, GOTE, 0},    {ROOK, 10, GOTE, 0},   {BISHOP, 16, GOTE, 0}, {GOLD, 3, GOTE, 0},
    {GOLD, 5, GOTE, 0},    {SILVER, 2, GOTE, 0},  {SILVER, 6, GOTE, 0},  {KNIGHT, 1, GOTE, 0},
    {KNIGHT, 7, GOTE, 0},  {LANCE, 0, GOTE, 0},   {LANCE, 8, GOTE, 0},   {PAWN, 18, GOTE, 0},
    {PAWN, 19, GOTE, 0},   {PAWN, 20, GOTE, 0},   {PAWN, 21, GOTE, 0},   {PAWN, 22, GOTE, 0},
    {PAWN, 23, GOTE, 0},   {PAWN, 24, GOTE, 0},   {PAWN, 25, GOTE, 0},   {PAWN, 26, GOTE, 0},
    {KING, 76, SENTE, 0},  {ROOK, 70, SENTE, 0},  {BISHOP, 64, SENTE, 0}, {GOLD, 77, SENTE, 0},
    {GOLD, 75, SENTE, 0},  {SILVER, 78, SENTE, 0}, {SILVER, 74, SENTE, 0}, {KNIGHT, 79, SENTE, 0},
    {KNIGHT, 73, SENTE, 0}, {LANCE, 80, SENTE, 0}, {LANCE, 72, SENTE, 0}, {PAWN, 62, SENTE, 0},
    {PAWN, 61, SENTE, 0},  {PAWN, 60, SENTE, 0},  {PAWN, 59, SENTE, 0},  {PAWN, 58, SENTE, 0},
    {PAWN, 57, SENTE, 0},  {PAWN, 56, SENTE, 0},  {PAWN, 55, SENTE, 0},  {PAWN, 54, SENTE, 0},
    {KING, 81, NOBODY, 0},
};

int Board[BOARD_CELLS];
PieceRecord PieceTable[PIECE_RECORDS];
Side side_to_move = SENTE;
int move_number = 1;
LastMove last_move = {0, NO_SQUARE, 0};

namespace {

// The captured piece is on the board, so at most 39 of the 40 pieces are in
// this hand: a free slot always exists and the loop always ends inside the list.
int first_free_hand_cell(const int board[BOARD_CELLS], Side side) {
    int base = hand_base(side);
    int slot = 0;
    while (slot < HAND_SLOTS - 1 && board[base + slot] != NO_PIECE) ++slot;
    return base + slot;
}

void put_in_hand(int piece, Side side, int board[BOARD_CELLS], PieceRecord pieces[PIECE_RECORDS]) {
    int cell = first_free_hand_cell(board, side);
    pieces[piece].owner = side;
    pieces[piece].square = cell;
    board[cell] = piece;
}

void take_from_hand(int piece, Side side, int board[BOARD_CELLS]) {
    int base = hand_base(side);
    for (int slot = 0; slot < HAND_SLOTS; ++slot) {
        if (board[base + slot] == piece) {
            board[base + slot] = NO_PIECE;
            return;
        }
    }
}

void relocate(int from, int to, int board[BOARD_CELLS], PieceRecord pieces[PIECE_RECORDS]) {
    int piece = board[from];
    board[to] = piece;
    pieces[piece].square = to;
    board[from] = NO_PIECE;
}

}  // namespace

void set_up_position(int board[BOARD_CELLS], PieceRecord pieces[PIECE_RECORDS]) {
    for (int i = 0; i < PIECE_RECORDS; ++i) pieces[i] = INITIAL_PIECES[i];
    for (int cell = 0; cell < BOARD_CELLS; ++cell) board[cell] = NO_PIECE;
    for (int i = 0; i < PIECE_COUNT; ++i) board[pieces[i].square] = i;
}

int make_move(int from, int to, Side side, int board[BOARD_CELLS], PieceRecord pieces[PIECE_RECORDS]) {
    int captured = board[to];
    if (captured != NO_PIECE) put_in_hand(captured, side, board, pieces);

    // The engine has no promotion choice: it promotes whenever it may.
    int promoted = may_promote(from, to, side, board, pieces);
    if (promoted) pieces[board[from]].kind += PROMOTION_OFFSET;
    relocate(from, to, board, pieces);
    return promoted;
}

int execute_game_move(int from, int to, Side side, int promote, int board[BOARD_CELLS],
                      PieceRecord pieces[PIECE_RECORDS]) {
    // The captured piece goes to the capturer's last hand slot (free: a hand
    // is kept sorted and never holds all 40 pieces); sort_hand then puts it
    // behind the pieces of its kind.
    int taken = board[to];
    if (taken != NO_PIECE) {
        PieceRecord &piece = pieces[taken];
        if (piece.kind > PAWN) piece.kind -= PROMOTION_OFFSET;
        piece.owner = side;
        int last_slot = hand_base(side) + HAND_SLOTS - 1;
        board[last_slot] = taken;
        piece.square = last_slot;
    }
    int promoted = promote && may_promote(from, to, side, board, pieces);
    if (promoted) pieces[board[from]].kind += PROMOTION_OFFSET;
    relocate(from, to, board, pieces);
    sort_hand(board, pieces, side);
    return promoted;
}

void unmake_move(int from, int to, Side side, int captured, int promoted, int board[BOARD_CELLS],
                 PieceRecord pieces[PIECE_RECORDS]) {
    relocate(to, from, board, pieces);
    if (promoted == 1) pieces[board[from]].kind -= PROMOTION_OFFSET;
    if (captured != NO_PIECE) {
        take_from_hand(captured, side, board);
        board[to] = captured;
        pieces[captured].square = to;
        pieces[captured].owner = opponent(side);
    }
}

void sort_hand(int board[BOARD_CELLS], PieceRecord pieces[PIECE_RECORDS], Side side) {
    int base = hand_base(side);
    int *slots = board + base;
    // Stable insertion sort, highest kind first; an empty slot reads the
    // sentinel's kind 0 and so sinks behind every held piece.
    for (int i = 1; i < HAND_SLOTS; ++i) {
        for (int j = i; j > 0 && pieces[slots[j - 1]].kind < pieces[slots[j]].kind; --j) {
            int held = slots[j - 1];
            slots[j - 1] = slots[j];
            slots[j] = held;
        }
    }
    for (int slot = 0; slot < HAND_SLOTS; ++slot)
        if (slots[slot] != NO_PIECE) pieces[slots[slot]].square = base + slot;
}

int is_well_formed(int from, int to) {
    return static_cast<unsigned>(from) < BOARD_CELLS && static_cast<unsigned>(to) < SQUARES && from != to;
}

int has_pieces_in_hand(const int board[BOARD_CELLS], Side side) { return board[hand_base(side)] != NO_PIECE; }
