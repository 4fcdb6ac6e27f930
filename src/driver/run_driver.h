// The run driver: the start-up dialogue, then every stage once, in order.
#pragma once

struct RunState;

// Runs cardprep in the current directory (the card's root) with the
// dialogue on standard input and output. Outside the root of a drive or
// volume it stops after showing the folder, unless anyFolder (--here).
// Returns the exit status: 0 when
// the run finished or the user stopped it at a prompt, 1 when it ended on
// a failure (fonts, names left unrenamed, a card root that is not writable).
// In a console window made for this run alone (a double-clicked program),
// it asks for Enter at the end, however the run ended, before the window
// closes.
int RunCardPrep(RunState& state, bool anyFolder);

// The leading decimal number of a line as atoi reads it: blanks skipped,
// an optional sign, digits up to the first non-digit; no number gives 0.
// Values beyond the int range are clamped.
int ParseLeadingNumber(const char* line);
