// The run driver: the start-up dialogue, then every stage once, in order.
#pragma once

struct RunState;

// Runs cardprep in the current directory (the card's root) with the
// dialogue on standard input and output. Outside the root of a drive or
// volume it stops after showing the folder, unless anyFolder (--here).
// Every ending has its line: stopped at a prompt, the summary of a finished
// run, or the cause of a failure. Returns the exit status: 0 when the run
// finished with nothing left out or the user stopped it at a prompt, 1 when
// it ended on a failure (fonts, names left unrenamed, a card root that is
// not writable) or left a folder or a card file out.
// In a console window made for this run alone (a double-clicked program),
// it asks for Enter at the end, however the run ended, before the window
// closes.
int RunCardPrep(RunState& state, bool anyFolder);

// The leading decimal number of a line as atoi reads it: blanks skipped,
// an optional sign, digits up to the first non-digit; no number gives 0.
// Full-width digits (code page 932 or UTF-8) are digits too. Values beyond
// the int range are clamped.
int ParseLeadingNumber(const char* line);
