#include <gtest/gtest.h>

#include <cstdio>

#include "computer_game.h"
#include "think_trace.h"

// Recorded traces of the engine as first written: a faster engine must
// reach every leaf in the same order, choose the same moves and leave rand
// where it was, over random positions and settings and over whole games.
namespace {

struct RecordedTrace {
    unsigned seed;
    int thinks;
    unsigned long long hash;
    long leaves;
};

#if defined(__SANITIZE_ADDRESS__)
constexpr int SANITIZED = 1;
#else
constexpr int SANITIZED = 0;
#endif

const RecordedTrace RANDOM_THINKS[] = {
    {1, 1000, 6175492894346114314ull, 86571},
    {2, 1000, 4523991958929139840ull, 106273},
    {3, 1000, 7041477391288260034ull, 106265},
};

// Whole games with the reference settings: seed, move limit.
const RecordedTrace REFERENCE_GAMES[] = {
    {1, 40, 3870807036452666477ull, 28676},
    {2, 120, 12151073682549294989ull, 74140},
    {3, 120, 10101688921328162717ull, 58517},
};

// Whole games with the last settings shipped for the search of the phases
// (they were the shipped ones when these were recorded): seed, move limit.
const RecordedTrace SHIPPED_GAMES[] = {
    {1, 4, 10660631474853770679ull, 1023335},
    {2, 16, 1218786161688569951ull, 1973122},
};

void expect_recorded(const RecordedTrace& r, const TraceSummary& t, const char* what) {
    std::printf("%s seed %u: %ld moves, %ld leaves, hash %lluull\n", what, r.seed, t.thinks, t.leaves, t.hash);
    EXPECT_EQ(t.leaves, r.leaves) << what << " seed " << r.seed;
    EXPECT_EQ(t.hash, r.hash) << what << " seed " << r.seed;
}

TEST(Trace, RandomThinksMatchTheRecordedTrace) {
    ASSERT_NE(reference_settings(), nullptr);
    for (const RecordedTrace& r : RANDOM_THINKS) {
        if (SANITIZED && r.seed != RANDOM_THINKS[0].seed) continue;
        TraceSummary t = trace_random_thinks(r.seed, r.thinks, reference_settings());
        EXPECT_EQ(t.thinks, r.thinks);
        expect_recorded(r, t, "thinks");
    }
}

TEST(Trace, ReferenceGamesMatchTheRecordedTrace) {
    ASSERT_NE(reference_settings(), nullptr);
    for (const RecordedTrace& r : REFERENCE_GAMES) {
        if (SANITIZED && r.seed != REFERENCE_GAMES[0].seed) continue;
        expect_recorded(r, trace_games(reference_settings(), r.seed, 1, r.thinks), "game");
    }
}

TEST(Trace, ShippedGamesMatchTheRecordedTrace) {
    // A shipped think judges up to a hundred thousand positions: too many to
    // repeat under the sanitizers, which the other traces cover.
    if (SANITIZED) GTEST_SKIP();
    ASSERT_NE(phases_shipped_settings(), nullptr);
    for (const RecordedTrace& r : SHIPPED_GAMES)
        expect_recorded(r, trace_games(phases_shipped_settings(), r.seed, 1, r.thinks), "shipped game");
}

}  // namespace
