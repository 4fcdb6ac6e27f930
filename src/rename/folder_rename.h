// One folder of the folder step: a new short name, found free and moved
// to, and the logs that keep its old name inside it.
#pragma once

#include <cstdint>

struct RunState;

// Gives folder\name a short name unless it has an acceptable one (numbered
// from folderNumber, which moves on past each name taken), then writes its
// RENDIR04.LOG and note file. Failures are reported and set
// state.renameFailed.
void RenameFolder(RunState& state, const char16_t* folder, const char16_t* name,
                  int32_t& folderNumber);
