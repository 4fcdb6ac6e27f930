// Reading back the rename logs that the rename pass left in each folder.
#pragma once

struct NameTables;

// Loads folderPath\RENFIL04.LOG into fileRenameTable: one row per short
// name (at most 256), from its newest line, holding the name the track had
// before its first renaming. When a line's old name is itself the short
// name of an earlier line (a later run renumbered the track), the name
// before is taken from that line, and so on back. Prints the open error
// and returns false when the log cannot be opened.
bool ReadFileRenameLog(NameTables& names, const char* folderPath);

// The name a track had before renaming: out (257 bytes) gets the longName
// of the row for the short name, or the short name itself when no row
// matches. Returns true when a row matched.
bool FindPreRenameName(const NameTables& names, const char* shortName, char* out);

// The folder's name before renaming from folderPath\RENDIR04.LOG: at most
// 32 bytes into out (33 bytes, zero-filled by the caller); left empty when
// there is no log.
void ReadFolderRenameLog(const char* folderPath, char* out);
