#pragma once
struct RunState;
// MSGIMG08.DAT: four 50-column message images (model 8).
void WriteMessageImages(RunState& state);
