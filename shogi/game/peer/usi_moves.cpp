#include "usi_moves.h"

#include <cstring>

#include "rules.h"

const char* const CSA_PIECE_CODES[PIECE_KINDS] = {"OU", "KI", "HI", "KA", "GI", "KE", "KY",
                                                  "FU", "RY", "UM", "NG", "NK", "NY", "TO"};

namespace {

constexpr char USI_LETTERS[] = "KGRBSNLP";  // unpromoted kinds KING..PAWN

int file_of(int square) { return 9 - square % 9; }
int rank_of(int square) { return square / 9 + 1; }
char digit(int value) { return static_cast<char>('0' + value); }
int square_at(int file, int rank) { return (rank - 1) * 9 + (9 - file); }

int kind_of_code(const char* code) {
    for (int kind = 0; kind < PIECE_KINDS; ++kind)
        if (std::strncmp(CSA_PIECE_CODES[kind], code, 2) == 0) return kind;
    return -1;
}

// The first hand cell of `side` holding an unpromoted piece of `kind`, or -1.
int hand_cell(int kind, int side, PeerPosition position) {
    int base = hand_base(side);
    for (int cell = base; cell < base + HAND_SLOTS; ++cell) {
        int piece = position.board[cell];
        if (piece != NO_PIECE && position.pieces[piece].kind == kind) return cell;
    }
    return -1;
}

// 1 when the board square holds a piece of `side`.
int owns(int square, int side, PeerPosition position) {
    int piece = position.board[square];
    return piece != NO_PIECE && position.pieces[piece].owner == side;
}

// A drop of `kind` or a board move from `from`, checked against the position;
// `kind_after` is the piece named by the text (-1 when the text names none).
int settle_move(int from, int to, int side, int kind_after, int promote_asked, PeerPosition position,
                LastMove& move) {
    if (to < 0 || from < 0) return 0;
    if (is_drop(from)) {
        move = LastMove{from, to, 0};
        return 1;
    }
    if (from == to || !owns(from, side, position)) return 0;
    int kind = position.pieces[position.board[from]].kind;
    int promotes = promote_asked || (kind_after >= 0 && kind_after != kind);
    if (promotes && !may_promote(from, to, side, position.board, position.pieces)) return 0;
    if (kind_after >= 0 && kind_after != (promotes ? kind + PROMOTION_OFFSET : kind)) return 0;
    move = LastMove{from, to, promotes};
    return 1;
}

int usi_square(const char* text) {
    if (text[0] < '1' || text[0] > '9' || text[1] < 'a' || text[1] > 'i') return -1;
    return square_at(text[0] - '0', text[1] - 'a' + 1);
}

int csa_square(const char* text) {
    if (text[0] < '1' || text[0] > '9' || text[1] < '1' || text[1] > '9') return -1;
    return square_at(text[0] - '0', text[1] - '0');
}

}  // namespace

int read_csa_move(const char* text, int side, PeerPosition position, LastMove& move) {
    if (std::strlen(text) != 7 || text[0] != (side == SENTE ? '+' : '-')) return 0;
    int kind = kind_of_code(text + 5);
    if (kind < 0) return 0;
    if (text[1] == '0' && text[2] == '0')
        return kind <= PAWN && settle_move(hand_cell(kind, side, position), csa_square(text + 3), side, kind, 0,
                                           position, move);
    return settle_move(csa_square(text + 1), csa_square(text + 3), side, kind, 0, position, move);
}

void write_csa_move(const LastMove& move, int side, PeerPosition position, char out[CSA_MOVE_SIZE]) {
    int kind = position.pieces[position.board[move.from]].kind + (move.promote ? PROMOTION_OFFSET : 0);
    int drop = is_drop(move.from);
    const char* code = CSA_PIECE_CODES[kind];
    const char text[] = {side == SENTE ? '+' : '-', digit(drop ? 0 : file_of(move.from)),
                         digit(drop ? 0 : rank_of(move.from)), digit(file_of(move.to)), digit(rank_of(move.to)),
                         code[0], code[1], '\0'};
    std::memcpy(out, text, sizeof text);
}

int read_usi_move(const char* text, int side, PeerPosition position, LastMove& move) {
    std::size_t length = std::strlen(text);
    if (length == 4 && text[1] == '*') {
        const char* letter = text[0] != '\0' ? std::strchr(USI_LETTERS + 1, text[0]) : nullptr;  // no king drops
        if (letter == nullptr) return 0;
        int kind = static_cast<int>(letter - USI_LETTERS);
        return settle_move(hand_cell(kind, side, position), usi_square(text + 2), side, kind, 0, position, move);
    }
    if (length != 4 && !(length == 5 && text[4] == '+')) return 0;
    return settle_move(usi_square(text), usi_square(text + 2), side, -1, length == 5, position, move);
}

void write_usi_move(const LastMove& move, PeerPosition position, char out[USI_MOVE_SIZE]) {
    char to_file = digit(file_of(move.to));
    char to_rank = static_cast<char>('a' + rank_of(move.to) - 1);
    if (is_drop(move.from)) {
        const char text[] = {USI_LETTERS[position.pieces[position.board[move.from]].kind], '*', to_file, to_rank, '\0'};
        std::memcpy(out, text, sizeof text);
    } else {
        const char text[] = {digit(file_of(move.from)), static_cast<char>('a' + rank_of(move.from) - 1), to_file,
                             to_rank, move.promote ? '+' : '\0', '\0'};
        std::memcpy(out, text, sizeof text);
    }
}

int find_king_capture(int side, PeerPosition position, LastMove& move) {
    int king = -1;
    for (int piece = 0; piece < PIECE_COUNT; ++piece) {
        const PieceRecord& p = position.pieces[piece];
        if (p.kind == KING && p.owner != side && p.square < SQUARES) king = p.square;
    }
    if (king < 0) return 0;
    for (int from = 0; from < SQUARES; ++from) {
        int piece = position.board[from];
        if (piece == NO_PIECE || position.pieces[piece].owner != side) continue;
        if (!can_move(from, king, position.board, position.pieces)) continue;
        move = LastMove{from, king, 0};
        return 1;
    }
    return 0;
}
