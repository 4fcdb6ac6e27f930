// The walk over a whole card, undoing the rename pass in the reverse of its
// order: in each folder, what is below each subfolder, then the
// subfolder's old name, then the folder's own files (and, when asked, the
// files cardprep made go). A folder is moved only once everything below it
// is done, so no path the walk still needs changes under it.
#pragma once

#include "restore/restore_moves.h"

// root: the card's root as a path prefix ("" on POSIX, "E:" on Windows).
// With run.dryRun nothing changes and the counts are what a run would do.
void RestoreCard(RestoreRun& run, const char16_t* root);
