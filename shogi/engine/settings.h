// The engine's settings (one record per side, read from sente.ini / gote.ini)
// and the engine state that evaluation, generators and search share.
#pragma once

#include "position.h"

// Game phase: one value for both sides; only moves forward between resets.
enum GamePhase : int { JOBAN = 0, CHUBAN = 1, SHUBAN = 2, GIVE_UP = 3 };
constexpr int SCORED_PHASES = 3;  // JOBAN..SHUBAN carry coefficients

// Index of a coefficient within a phase triple.
constexpr int COEF_A = 0;  // formation term
constexpr int COEF_B = 1;  // material and tactics
constexpr int COEF_C = 2;  // piece activity

constexpr int MAX_FORMATIONS = 10;  // one digit in the key name
constexpr int SETTINGS_PATH_SIZE = 256;

struct FormationEntry {
    signed char target;  // target cell
    signed char weight;
};

struct EngineSettings {
    int depth;                               // DEPTH_MAX:
    int width;                               // SASITE_MAX:
    int sef[SCORED_PHASES][3];               // evaluation coefficients per phase
    int tef[SCORED_PHASES][3];               // move-scoring coefficients per phase
    int value[PIECE_KINDS];                  // material value per piece kind
    int random_range;                        // RAND_MAX: + 1; 0 = no random term
    int formation_count;                     // NUMBER_OF_FORMATION:
    int formation;                           // FORMATION:; negative = pick at reset
    FormationEntry formations[MAX_FORMATIONS][PIECE_COUNT];
    // The deeper search (deep_search.h). A file without these keys leaves
    // them 0 and plays with the search above, move for move.
    int node_budget;  // NODE_MAX: positions per move; above 0 selects the deeper search
    int time_budget;  // TIME_MAX: milliseconds per move, 0 for none (not reproducible)
    int quiescence;   // QUIESCE_MAX: plies of captures followed past the depth
    int king_safety;  // KING_SAFETY: weight of the king-safety term, in percent
};

// Zero-filled at program start; filled by load_engine_settings, read-only after.
extern EngineSettings engine_settings[2];
// Path of each side's file: the bare name at first, the fallback after it is used.
extern char settings_path[2][SETTINGS_PATH_SIZE];

// Engine state, set at the start of every think.
extern Side engine_side;          // the side being thought for
extern Side engine_opponent;      // 1 - engine_side
extern int engine_hand_cell;      // first hand cell of engine_side (100 or 200)
extern int opponent_hand_cell;    // first hand cell of engine_opponent
extern int game_phase;            // a GamePhase
extern int width[2];              // working copy of SASITE_MAX per side
extern int depth_limit[2];        // working copy of DEPTH_MAX per side

// Sets engine_side and the three values derived from it.
void set_engine_side(Side side);

// Loads the file of `side` (working directory, then /usr/share/banrei) into
// engine_settings[side]; progress on standard output. 1 on success, 0 on failure.
int load_engine_settings(Side side);

// Game reset, after srand: a side with a negative formation index and at least
// one formation gets rand() % count, side 0 first. The choice then stays.
void choose_formations(void);
