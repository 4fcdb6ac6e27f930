// The work log CARDPREP.LOG: a card text file, so its lines end CR LF on
// every host. Stages write whole messages ending in '\n'.
#pragma once

struct WorkLogFile;

// Writes code page 932 text to the work log, '\n' becoming CR LF. Does
// nothing when the log is not open.
void WriteWorkLog(WorkLogFile& log, const char* text);
