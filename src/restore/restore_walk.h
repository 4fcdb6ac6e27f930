// The walk over a whole card: first every folder's files get their old
// names (and, when asked, the files cardprep made go), and the renamed
// folders are found; then those folders get their old names, deepest first,
// so that a folder's path holds while it is moved.
#pragma once

#include "restore/restore_moves.h"

// root: the card's root as a path prefix ("" on POSIX, "E:" on Windows).
// With run.dryRun nothing changes and the counts are what a run would do.
void RestoreCard(RestoreRun& run, const char16_t* root);
