// Where a track's title comes from: the display-name file, the rename log
// and the ID3 tags.
#pragma once

struct NameTables;
struct WorkLogFile;

// Loads folderPath\表示名04.txt (Shift-JIS, UTF-8 with or without its mark, or
// UTF-16 with its mark) into displayNameTable as display text; false when
// absent.
bool ReadDisplayNameFile(NameTables& names, const char* folderPath);

// For a track's short name: title (257 bytes) from the display-name file
// or empty, preRenameName (257 bytes) from the rename log or the short
// name itself. True when a title was found.
bool LookUpTrackNames(const NameTables& names, const char* shortName, char* title,
                      char* preRenameName);

// The title (257 bytes) from the ID3 tags of folderPath\fileName (ID3v2,
// else ID3v1), or empty; unreadable files and missing titles go to the
// work log.
void ReadTagTitle(WorkLogFile& log, const char* folderPath, const char* fileName, char* title);
