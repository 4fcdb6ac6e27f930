// What the user answered, where the run works, and how its stages ended.
#pragma once

#include <cstdint>
#include <cstdio>

struct RunSettings {
  int32_t playerModel;
  int32_t titleRule;
  char tempDir[260];
  char workDir[260];  // this run's own folder in tempDir for its work files
  bool renameFailed;
  bool listingFailed;      // a folder's file listing could not be written
  bool writeFailed;        // a catalogue file could not be written whole
  int32_t renameCauses;    // RenameCause bits of the rename pass's failures
  int32_t renamedCount;    // folders and files the rename pass gave a new name
  int32_t foldersLeftOut;  // folders the folder list cannot hold, each named on the console
  int32_t tracksLeftOut;   // folders whose MP3 files past the 255th the track list cannot hold
};

// CARDPREP.LOG, opened in binary mode: lines end CR LF.
struct WorkLogFile {
  std::FILE* workLog;
};
