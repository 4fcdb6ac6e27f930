// The track scan of one folder: track list file and volume file.
#pragma once

#include <cstdint>

struct RunState;

// Scans the folder at listedPath (as the folder listing gives it) and
// writes its track list and, when missing, its volume file(s). Returns the
// number of accepted tracks, 0..255.
uint16_t ScanFolderTracks(RunState& state, const char* listedPath);

// Creates folderPath\fileName holding the 16-bit value 255 (FF 00).
void WriteDefaultVolumeFile(const char* fileName, const char* folderPath);
