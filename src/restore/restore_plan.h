// Reading the rename logs back for cardprep-restore: a folder's
// RENFIL04.LOG into a fixed table of its lines, in the order written (the
// newest last), and the old name a folder's RENDIR04.LOG holds. The text
// is decoded by the rename pass's own log reader (UTF-16LE with or without
// its mark, UTF-8 after EF BB BF, CR LF or LF).
#pragma once

#include "rename/log_text.h"

constexpr int kRestoreNameUnits = 260;  // a name and its terminator
constexpr int kLogLineUnits = 300;      // a line of the log, without its LF
constexpr int kMaxLogLines = 2048;      // the history of many runs

// A line of a log: its units between line ends, a unit 0 (which no name
// holds) included, so that a line restore cannot read is written back as it
// stood. text[length] is 0.
struct LogLine {
  char16_t text[kLogLineUnits];
  int length;
  bool ended;    // the line had its LF (the last one may lack it)
  bool escaped;  // a UTF-8 line holding bytes that are no characters
};

// One RENFIL04.LOG. undone marks the lines given back (or skipped: their new
// name was gone), moved those of them whose file was moved (or, on a dry
// run, planned to be); written marks the lines the file on the card still
// holds.
struct FileLog {
  LogLine lines[kMaxLogLines];
  bool undone[kMaxLogLines];
  bool moved[kMaxLogLines];
  bool written[kMaxLogLines];
  int count;
  LogEncoding encoding;  // of the file, which a rewrite keeps
};

enum class LogRead {
  kRead,
  kMissing,   // no such file
  kUnusable,  // cannot be read, or more lines than the table holds, or a
              // line longer than a row
};

enum class RowRead { kRow, kEnd, kTooLong };

// Reads the next line of reader into line. kTooLong: a line longer than a
// row. The units of a last line without its LF are known only up to its
// last unit that is not 0; such a line is never a name, nor written back.
RowRead ReadLogRow(LogReader& reader, LogLine& line);

// Reads the log at path into log. Nothing of a log that does not fit is
// used: its folder is left as it is, and its lines stay.
LogRead ReadFileLog(const char16_t* path, FileLog& log);

// Splits a line "new name<TAB>old name". False when it does not parse: no
// TAB, an empty side, a side that is no bare name (a separator, "." or
// ".."), a unit 0, bytes that are no UTF-8, or a last line cut short (the
// run that wrote it was stopped).
bool ParseLogLine(const LogLine& line, char16_t* newName, char16_t* oldName);

// The old name in RENDIR04.LOG at path, its first line. False when the
// file is missing or its line does not parse as a bare name.
bool ReadFolderLog(const char16_t* path, char16_t* oldName);

// A bare name: not empty, no separator, not "." or "..".
bool IsBareName(const char16_t* name);
