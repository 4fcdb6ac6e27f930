// The sorted folder index INDEX10.DAT of models 10 and 12.
#pragma once

struct DirectoryEntry;
struct RunState;

// Order of two rows by sortKey: BWV keys after other B keys, then
// Shift-JIS character order.
int CompareSortKeys(const DirectoryEntry& a, const DirectoryEntry& b);

// Sorts a copy of the directory table and writes INDEX10.DAT.
void BuildIndexFile(RunState& state);
