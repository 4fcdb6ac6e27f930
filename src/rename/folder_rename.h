// One folder of the folder step: a new short name, found free and moved
// to, and the logs that keep its old name inside it.
#pragma once

// The paths of the rename pass: at most 255 units and a terminator.
constexpr int kRenamePathUnits = 256;

#include <cstdint>

struct RunState;

// Gives folder\name a short name unless it has an acceptable one (numbered
// from folderNumber, which moves on past each name taken), then writes its
// RENDIR04.LOG and note file. Failures are reported and set
// state.renameFailed.
void RenameFolder(RunState& state, const char16_t* folder, const char16_t* name,
                  int32_t& folderNumber);

// True when the file at path holds a folder note as the rename pass writes
// it (the byte-order mark, a new name of letters and digits, CR LF), or the
// start of one: what a run ended while writing it leaves. Such a file is the
// pass's own and may be replaced or removed; any other is a user's.
bool IsFolderNote(const char16_t* path);
