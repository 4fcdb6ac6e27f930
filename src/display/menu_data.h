#pragma once
struct RunState;
// MNUDAT10.DAT or MNUDAT12.DAT: the menu item images (models 10 and 12).
void WriteMenuData(RunState& state);
