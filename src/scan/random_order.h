// The random play order: randomList shuffled and linked into a chain.
#pragma once

#include <cstdint>

struct RunState;

// Seeds from the clock and builds the chain. Returns 1.
int MakeRandomOrder(RunState& state);

// The same with a chosen seed, so a draw can be repeated.
int MakeRandomOrderSeeded(RunState& state, uint32_t seed);
