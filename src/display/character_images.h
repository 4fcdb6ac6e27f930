#pragma once
struct RunState;
// CHRIMG10.DAT: the strip of characters 0x20..0x7D (model 10).
void WriteCharacterImages(RunState& state);
