// Giving names back: the files of one folder from its RENFIL04.LOG, and one
// folder from its RENDIR04.LOG. Every move is the host's no-replace move
// back; a name that cannot be given back is reported in one line and its
// log line stays.
#pragma once

struct RestoreRun {
  bool dryRun;           // nothing changes: moves and removals are planned
  bool printPlan;        // print each planned move and removal
  bool removeCatalogue;  // remove the files cardprep made as well
  int files;             // files given their old names (or planned)
  int folders;           // folders given their old names (or planned)
  int removed;           // files of cardprep's removed (or planned)
  int left;              // names, log lines or files left as they were
};

// Undoes the lines of folder\RENFIL04.LOG newest first ("" is the card
// root on POSIX), then rewrites the log with the lines left, or removes it
// when none is. An interrupt stops it between moves, the log rewritten.
void RestoreFileNames(RestoreRun& run, const char16_t* folder);

// The old name folderPath\RENDIR04.LOG holds, when it parses; the folder
// is one to give its name back.
bool HasFolderLog(const char16_t* folderPath);

// Gives the folder at folderPath (parent\name) the old name of its
// RENDIR04.LOG, removes the note file named after that name when it holds
// exactly what cardprep writes there, and then the log.
void RestoreFolderName(RestoreRun& run, const char16_t* folderPath);
