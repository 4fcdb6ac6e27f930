// The folder catalogue DIRLST04/08/10.DAT.
#pragma once

struct RunState;

// Writes the header and one record per directory row. Returns 1.
int WriteDirectoryList(RunState& state);
