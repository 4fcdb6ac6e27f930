// The random play order: randomList shuffled and linked into a chain.
#pragma once

#include <cstdint>

struct FolderTable;

// Seeds from the clock and builds the chain. Returns 1.
int MakeRandomOrder(FolderTable& folders);

// The same with a chosen seed, so a draw can be repeated.
int MakeRandomOrderSeeded(FolderTable& folders, uint32_t seed);
