// The judgement of the deeper search: material (pieces in hand worth a
// little more, for they can go anywhere), the reach of the long pieces and,
// weighed by KING_SAFETY:, the safety of each king. Always from the point of
// view of the side to move, so that the search can negate it.
#pragma once

#include "deep_position.h"
#include "settings.h"

// The settings the judgement reads, each cut to a range where no sum can
// overflow whatever a file says.
struct DeepWeights {
    int value[PIECE_KINDS];  // material per kind, 0..MAX_DEEP_VALUE
    int king_safety;         // percent, 0..MAX_KING_SAFETY
};
constexpr int MAX_DEEP_VALUE = 50000;
constexpr int MAX_KING_SAFETY = 1000;
DeepWeights deep_weights_of(const EngineSettings& es);

int deep_evaluate(const DeepPosition& pos, const DeepWeights& weights);

// The parts of one side's value, for tests and tuning.
struct SideValue {
    int material;
    int reach;
    int king_safety;  // before the KING_SAFETY: weight is applied
};
SideValue deep_side_value(const DeepPosition& pos, const DeepWeights& weights, int side);
