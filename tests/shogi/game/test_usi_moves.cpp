// Moves between the record's CSA text and the USI engines' text: a table of
// every kind of move read and written both ways on one position, texts that
// must be refused, and every legal move of random games carried both ways.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "rules.h"
#include "usi_moves.h"

namespace {

constexpr int sq(int file, int rank) { return (rank - 1) * 9 + (9 - file); }

// A position of its own: both kings, one piece of every kind in each hand,
// and the board pieces the table moves.
struct TablePosition {
    int board[BOARD_CELLS];
    PieceRecord pieces[PIECE_RECORDS];
    int used = 0;

    TablePosition() {
        for (int& cell : board) cell = NO_PIECE;
        for (PieceRecord& p : pieces) p = PieceRecord{0, 0, NOBODY, 0};
        place(KING, SENTE, sq(5, 9));
        place(KING, GOTE, sq(5, 1));
        for (int side : {SENTE, GOTE})
            for (int kind = GOLD; kind <= PAWN; ++kind) place(kind, side, hand_base(side) + kind - 1);
        // Sente: pawns to push and promote, a silver, knight and lance at the
        // zone's edge, a bishop to promote far away, a dragon, a promoted pawn.
        place(PAWN, SENTE, sq(7, 7));
        place(PAWN, SENTE, sq(2, 4));
        place(SILVER, SENTE, sq(4, 4));
        place(KNIGHT, SENTE, sq(3, 5));
        place(LANCE, SENTE, sq(9, 5));
        place(BISHOP, SENTE, sq(8, 8));
        place(PROMOTED_ROOK, SENTE, sq(8, 2));
        place(PROMOTED_PAWN, SENTE, sq(6, 3));
        place(GOLD, SENTE, sq(4, 9));
        // Gote: the mirror kinds.
        place(PAWN, GOTE, sq(3, 3));
        place(PAWN, GOTE, sq(8, 6));
        place(SILVER, GOTE, sq(6, 6));
        place(ROOK, GOTE, sq(1, 2));
        place(PROMOTED_BISHOP, GOTE, sq(2, 7));
        place(PROMOTED_SILVER, GOTE, sq(5, 5));
    }
    void place(int kind, int owner, int cell) {
        pieces[used] = PieceRecord{kind, cell, owner, 0};
        board[cell] = used++;
    }
    PeerPosition view() const { return PeerPosition{board, pieces}; }
};

struct Row {
    int side;
    const char* csa;
    const char* usi;
};

const Row EVERY_KIND_OF_MOVE[] = {
    {SENTE, "+7776FU", "7g7f"},   {SENTE, "+2423TO", "2d2c+"},  {SENTE, "+2423FU", "2d2c"},
    {SENTE, "+4433NG", "4d3c+"},  {SENTE, "+4433GI", "4d3c"},   {SENTE, "+3523NK", "3e2c+"},
    {SENTE, "+3523KE", "3e2c"},   {SENTE, "+9593NY", "9e9c+"},  {SENTE, "+9594KY", "9e9d"},
    {SENTE, "+8822UM", "8h2b+"},  {SENTE, "+8877KA", "8h7g"},   {SENTE, "+8281RY", "8b8a"},
    {SENTE, "+6352TO", "6c5b"},   {SENTE, "+5958OU", "5i5h"},   {SENTE, "+4938KI", "4i3h"},
    {SENTE, "+0055KI", "G*5e"},   {SENTE, "+0055HI", "R*5e"},   {SENTE, "+0055KA", "B*5e"},
    {SENTE, "+0055GI", "S*5e"},   {SENTE, "+0055KE", "N*5e"},   {SENTE, "+0055KY", "L*5e"},
    {SENTE, "+0055FU", "P*5e"},   {GOTE, "-3334FU", "3c3d"},    {GOTE, "-8687TO", "8f8g+"},
    {GOTE, "-6677NG", "6f7g+"},   {GOTE, "-6677GI", "6f7g"},    {GOTE, "-1217RY", "1b1g+"},
    {GOTE, "-2718UM", "2g1h"},    {GOTE, "-5546NG", "5e4f"},    {GOTE, "-5142OU", "5a4b"},
    {GOTE, "-0015KI", "G*1e"},    {GOTE, "-0015HI", "R*1e"},    {GOTE, "-0015KA", "B*1e"},
    {GOTE, "-0015GI", "S*1e"},    {GOTE, "-0015KE", "N*1e"},    {GOTE, "-0015KY", "L*1e"},
    {GOTE, "-0015FU", "P*1e"},
};

TEST(UsiMoves, EveryKindOfMoveTranslatesBothWays) {
    TablePosition position;
    for (const Row& row : EVERY_KIND_OF_MOVE) {
        LastMove from_csa{}, from_usi{};
        ASSERT_TRUE(read_csa_move(row.csa, row.side, position.view(), from_csa)) << row.csa;
        ASSERT_TRUE(read_usi_move(row.usi, row.side, position.view(), from_usi)) << row.usi;
        EXPECT_EQ(from_csa.from, from_usi.from) << row.csa;
        EXPECT_EQ(from_csa.to, from_usi.to) << row.csa;
        EXPECT_EQ(from_csa.promote, from_usi.promote) << row.csa;
        char usi[USI_MOVE_SIZE], csa[CSA_MOVE_SIZE];
        write_usi_move(from_csa, position.view(), usi);
        write_csa_move(from_usi, row.side, position.view(), csa);
        EXPECT_STREQ(usi, row.usi);
        EXPECT_STREQ(csa, row.csa);
    }
}

TEST(UsiMoves, TextsThatAreNoMoveOfTheSideAreRefused) {
    TablePosition position;
    const char* const usi_refused[] = {
        "",      "7g",    "7g7",    "7g7f++", "7g7f ", "0g7f",  "7j7f",   "7g7f=", "P*5",   "P*5ee",
        "K*5e",  "p*5e",  "*P5e",   "P*0e",   "P*5j",  "3c3d",  "5e5d",   "7g7f+", "4i3h+", "8b8a+",
        "6c5b+", "7g7g",  "\xff*5e", "7G7F",
    };
    for (const char* text : usi_refused) {
        LastMove move{};
        EXPECT_FALSE(read_usi_move(text, SENTE, position.view(), move)) << text;
    }
    const char* const csa_refused[] = {
        "",         "+",        "+7776",    "+7776F",   "+7776fu",  "+7776XX",  "-3334FU",  "+3334FU",
        "+7776FU ", "+7776TO",  "+4938NG",  "+0055OU",  "+0055TO",  "+0055RY",  "+5554FU",  "+7076FU",
        "+7776KI",  "+8281HI",  "+6352FU",  "+7A76FU",  "+7776FUX", "%TORYO",   "+0000FU",  "+7707FU",
    };
    for (const char* text : csa_refused) {
        LastMove move{};
        EXPECT_FALSE(read_csa_move(text, SENTE, position.view(), move)) << text;
    }
}

TEST(UsiMoves, ArbitraryBytesAreRefusedWithoutReadingPastThem) {
    TablePosition position;
    std::mt19937 random(11);
    for (int round = 0; round < 20000; ++round) {
        char text[12];
        int length = static_cast<int>(random() % 11);
        for (int i = 0; i < length; ++i) text[i] = static_cast<char>(1 + random() % 255);
        text[length] = '\0';
        LastMove move{};
        for (int side : {SENTE, GOTE}) {
            move = LastMove{-1, -1, 0};
            if (read_usi_move(text, side, position.view(), move) || read_csa_move(text, side, position.view(), move)) {
                EXPECT_TRUE(move.to >= 0 && move.to < SQUARES && move.from >= 0 && move.from < BOARD_CELLS) << text;
            }
        }
    }
}

// Random games from the initial position: every move the rules allow, with
// and without promotion, goes to either text and reads back as itself.
TEST(UsiMoves, EveryLegalMoveOfRandomGamesRoundTrips) {
    std::mt19937 random(3);
    int checked = 0;
    for (int game = 0; game < 6; ++game) {
        int board[BOARD_CELLS];
        PieceRecord pieces[PIECE_RECORDS];
        set_up_position(board, pieces);
        PeerPosition position{board, pieces};
        for (int ply = 0, side = SENTE; ply < 120; ++ply, side = 1 - side) {
            std::vector<LastMove> moves;
            for (int from = 0; from < BOARD_CELLS; ++from) {
                if (board[from] == NO_PIECE || pieces[board[from]].owner != side) continue;
                for (int to = 0; to < SQUARES; ++to) {
                    if (!can_move(from, to, board, pieces)) continue;
                    if (board[to] != NO_PIECE && pieces[board[to]].kind == KING) continue;
                    moves.push_back(LastMove{from, to, 0});
                    int kind = pieces[board[from]].kind;
                    int zone = side == SENTE ? (from <= 26 || to <= 26) : (from >= 54 || to >= 54);
                    if (from < SQUARES && kind >= ROOK && kind <= PAWN && zone) moves.push_back(LastMove{from, to, 1});
                }
            }
            if (moves.empty()) break;
            for (const LastMove& m : moves) {
                char usi[USI_MOVE_SIZE], csa[CSA_MOVE_SIZE];
                write_usi_move(m, position, usi);
                write_csa_move(m, side, position, csa);
                LastMove back_usi{}, back_csa{};
                ASSERT_TRUE(read_usi_move(usi, side, position, back_usi)) << usi;
                ASSERT_TRUE(read_csa_move(csa, side, position, back_csa)) << csa;
                // A drop may name another hand cell of the same kind; the piece is what counts.
                int same_usi = back_usi.to == m.to && back_usi.promote == m.promote &&
                               pieces[board[back_usi.from]].kind == pieces[board[m.from]].kind;
                int same_csa = back_csa.to == m.to && back_csa.promote == m.promote &&
                               pieces[board[back_csa.from]].kind == pieces[board[m.from]].kind;
                EXPECT_TRUE(same_usi && same_csa) << usi << " " << csa;
                ++checked;
            }
            const LastMove& chosen = moves[random() % moves.size()];
            execute_game_move(chosen.from, chosen.to, side, chosen.promote, board, pieces);
        }
    }
    EXPECT_GT(checked, 10000);
}

}  // namespace
