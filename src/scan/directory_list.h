// The folder catalogue DIRLST04/08/10.DAT.
#pragma once

struct RunState;

// Writes the header and one record per directory row. False (after one
// line, and writeFailed set) when the file could not be written whole.
bool WriteDirectoryList(RunState& state);
