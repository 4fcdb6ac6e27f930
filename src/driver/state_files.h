// The fixed files of the card's root that the player expects.
#pragma once

struct RunState;

// Model 4: PSHFT131.DAT; model 8: SPEANA.DAT; others nothing. Writes no
// file, and says so, when the image is not built into this copy.
void WriteDecoderPluginFile(RunState& state);

// HIST04.DAT: FFFF FFFF 00000000 and the first folder of random play.
void WriteHistoryFile(RunState& state);

// ERRLOG04.DAT (8000 zero bytes) and its copy ERRLOG04_BK.DAT.
void WriteErrorLogFiles(RunState& state);
