// Giving names back: the files of one folder from its RENFIL04.LOG, and one
// folder from its RENDIR04.LOG. Every move is the host's no-replace move
// back; a name that cannot be given back is reported in one line and its
// log line stays.
#pragma once

// The longest card path restore makes, in units with its terminator: old
// names given back make paths far longer than the 255 units cardprep works
// in, and each one the host reaches is restored (Windows reaches them in
// their \\?\ form).
constexpr int kRestorePathUnits = 2048;

struct RestoreRun {
  bool dryRun;           // nothing changes: moves and removals are planned
  bool printPlan;        // print each planned move and removal
  bool removeCatalogue;  // remove the files cardprep made as well
  int files;             // files given their old names (or planned)
  int folders;           // folders given their old names (or planned)
  int removed;           // files of cardprep's removed (or planned)
  int left;              // names, log lines or files left as they were
};

// Whether the run says what it leaves: a run's plan, made before it, says
// nothing (the run itself says it, once); the plan of --dry-run does.
inline bool SaysLeft(const RestoreRun& run) { return !run.dryRun || run.printPlan; }

// Undoes the lines of folder\RENFIL04.LOG newest first ("" is the card
// root on POSIX), then rewrites the log with the lines left, or removes it
// when none is. An interrupt stops it between moves, the log rewritten.
void RestoreFileNames(RestoreRun& run, const char16_t* folder);

// True when the folder at folderPath (its name: name) is one the rename
// pass renamed: it holds a RENDIR04.LOG, and its name is one the pass gives
// (letters and digits, at most 8), or the old name its log holds (given
// back by a restore stopped before the log went).
bool IsRenamedFolder(const char16_t* folderPath, const char16_t* name);

// Gives the folder at folderPath (parent\name) the old name of its
// RENDIR04.LOG, removes the note file named after that name when it holds
// exactly what cardprep writes there, and then the log.
void RestoreFolderName(RestoreRun& run, const char16_t* folderPath);
