// The rename pass: every MP3 file and every folder of the card gets an 8.3
// name, and the logs that map new names to old ones are written.
#pragma once

struct RunState;

// Renames below folderPath (UTF-16, backslash separated) and descends.
// Failures are reported and set state.renameFailed; the pass goes on.
void RenameToShortNames(RunState& state, const char16_t* folderPath);
