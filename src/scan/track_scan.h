// The track scan of one folder: track list file and volume file.
#pragma once

#include <cstdint>

struct RunState;

// Scans the folder at listedPath (as the folder listing gives it) and
// writes its track list and, when missing or cut short, its volume
// file(s). Returns the number of accepted tracks, 0..255. A file that
// cannot be written sets writeFailed; a listing that cannot be written
// sets listingFailed.
uint16_t ScanFolderTracks(RunState& state, const char* listedPath);

// The part of ScanFolderTracks after the folder's name tables are loaded
// and its files listed: reads the bare names in workFile (one per line) as
// the folder's listing. Lets tests hand the scan a prepared listing.
uint16_t ScanFileListing(RunState& state, const char* listedPath, const char* workFile);

// Creates folderPath\fileName holding the 16-bit value 255 (FF 00). False,
// after one console line, when it could not be written.
bool WriteDefaultVolumeFile(const char* fileName, const char* folderPath);
