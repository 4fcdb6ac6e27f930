// The directory scan: the card's folder tree into the directory table.
#pragma once

struct RunState;

// Fills directories, directoryCount, randomCount and randomList, running
// the track scan on every accepted folder. True, or false when the
// folder listing could not be read or a folder's file listing could not be
// written (listingFailed is set; the scan stops there).
bool ReadDirectoryStructure(RunState& state);

// The part of ReadDirectoryStructure after the folder listing is written:
// reads the folder lines in workFile. Lets tests hand the scan a prepared
// listing.
bool ReadDirectoryListing(RunState& state, const char* workFile);

// sortKey (33 bytes) = displayName's first 32 bytes with ASCII a..z made
// upper case, double-byte characters copied unchanged; byte 32 zero.
void MakeSortKey(const char* displayName, char* sortKey);
