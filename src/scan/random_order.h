// The random play order: randomList shuffled and linked into a chain.
#pragma once

#include <cstdint>

struct FolderTable;

// Seeds from the clock and builds the chain.
void MakeRandomOrder(FolderTable& folders);

// The same with a chosen seed, so a draw can be repeated.
void MakeRandomOrderSeeded(FolderTable& folders, uint32_t seed);
