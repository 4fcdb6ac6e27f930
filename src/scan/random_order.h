// The random play order: randomList shuffled and linked into a chain.
#pragma once

#include <cstdint>

struct RunState;

// Seeds from the clock and builds the chain. Returns 1.
int MakeRandomOrder(RunState& state);

// The same with a chosen seed, so tests can repeat a draw.
int MakeRandomOrderSeeded(RunState& state, uint32_t seed);

// The positions of the first count swaps that the shuffle of n entries
// makes with this seed, in order, into as and bs (room for count each).
// Nothing is drawn for 20 entries or fewer.
void DrawSwapPositions(uint32_t seed, int n, int count, int* as, int* bs);
