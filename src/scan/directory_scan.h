// The directory scan: the card's folder tree into the directory table.
#pragma once

struct RunState;

// Fills directories, directoryCount, randomCount and randomList, running
// the track scan on every accepted folder. Returns 1, or 0 when the
// folder listing could not be read or a folder's file listing could not be
// written (listingFailed is set; the scan stops there).
int ReadDirectoryStructure(RunState& state);

// The part of ReadDirectoryStructure after the folder listing is written:
// reads the folder lines in workFile. Lets tests hand the scan a prepared
// listing.
int ReadDirectoryListing(RunState& state, const char* workFile);

// sortKey (33 bytes) = displayName's first 32 bytes with ASCII a..z made
// upper case, double-byte characters copied unchanged; byte 32 zero.
void MakeSortKey(const char* displayName, char* sortKey);
