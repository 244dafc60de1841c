// The USI engine behind the serial seam: each of its turns sends it the whole
// game from the record and waits in slices for its bestmove, which goes back
// as the CSA move text the seam carries.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "game.h"
#include "peers.h"
#include "record.h"
#include "rules.h"
#include "serial.h"
#include "usi_moves.h"

namespace {

UsiSettings settings;
UsiEngine engine;
int asking = 0;  // a move has been asked for and not yet answered
const char* fault_text = "";

int broken(const char* screen_text, const std::string& reason) {
    std::printf("%s\n", reason.c_str());
    std::fflush(stdout);
    fault_text = screen_text;
    asking = 0;
    return PEER_BROKEN;
}

// The game so far in USI texts, from the record, which ends at the position
// on the board whenever a turn is played.
int game_from_record(std::vector<std::string>& moves) {
    int board[BOARD_CELLS];
    PieceRecord pieces[PIECE_RECORDS];
    set_up_position(board, pieces);
    PeerPosition position{board, pieces};
    std::ifstream record(record_file_name);
    for (std::string line; std::getline(record, line) && line.rfind('%', 0) != 0;) {
        if (line.size() < 2 || (line[0] != '+' && line[0] != '-')) continue;  // not a move (the header's "+")
        int side = line[0] == '+' ? SENTE : GOTE;
        LastMove move;
        if (!read_csa_move(line.c_str(), side, position, move)) return 0;
        char usi[USI_MOVE_SIZE];
        write_usi_move(move, position, usi);
        moves.push_back(usi);
        execute_game_move(move.from, move.to, side, move.promote, board, pieces);
    }
    return static_cast<int>(moves.size()) == move_number - 1;
}

// A move on the live position that takes the opponent's king, said for the engine.
int king_capture(char buffer[SERIAL_MESSAGE_SIZE]) {
    PeerPosition live{Board, PieceTable};
    LastMove capture;
    if (!find_king_capture(side_to_move, live, capture)) return 0;
    write_csa_move(capture, side_to_move, live, buffer);
    return 1;
}

// The engine's answer as a message of the seam.
int answer(const std::string& bestmove, char buffer[SERIAL_MESSAGE_SIZE]) {
    int side = side_to_move;
    if (bestmove == "resign") {
        engine.game_over("lose");
        std::snprintf(buffer, SERIAL_MESSAGE_SIZE, "%%TORYO");
        return 1;
    }
    if (bestmove == "win") {
        std::printf("The USI engine declares that it wins by entering king.\n");
        std::snprintf(buffer, SERIAL_MESSAGE_SIZE, "%%KACHI");
        return 1;
    }
    LastMove move;
    PeerPosition live{Board, PieceTable};
    if (!read_usi_move(bestmove.c_str(), side, live, move) || !can_move(move.from, move.to, Board, PieceTable))
        return broken("エンジンの手が不正です", "The USI engine's move \"" + bestmove + "\" is not a move here.");
    write_csa_move(move, side, live, buffer);
    return 1;
}

void usi_send(const char* text) {
    if (std::strcmp(text, "%TORYO") == 0) engine.game_over("win");
}

int usi_receive(char buffer[SERIAL_MESSAGE_SIZE]) {
    if (!engine.started() && !engine.start(settings))
        return broken("エンジンを起動できません", engine.reason());
    if (!asking) {
        if (king_capture(buffer)) return 1;
        std::vector<std::string> moves;
        if (!game_from_record(moves))
            return broken("棋譜が盤面と合いません", "The record does not lead to the position on the board.");
        engine.think(moves);
        asking = 1;
    }
    std::string bestmove;
    switch (engine.step(PEER_SLICE_MS, bestmove)) {
        case USI_BESTMOVE:
            asking = 0;
            return answer(bestmove, buffer);
        case USI_FAILED:
            return broken(engine.failure() == USI_GONE ? "エンジンが終了しました" : "エンジンが応答しません",
                          engine.reason());
        default:
            return 0;
    }
}

void usi_abandon(void) {
    engine.stop_thinking();
    asking = 0;
}

const char* usi_fault(void) { return fault_text; }

const SerialPort USI_PORT = {usi_send, usi_receive, usi_abandon, usi_fault};

}  // namespace

void use_usi_engine(const UsiSettings& chosen) {
    engine.quit();
    settings = chosen;
    asking = 0;
    serial_use_port(&USI_PORT);
    note_peer_chosen();
}

void quit_usi_engine(void) {
    engine.quit();
    asking = 0;
}
