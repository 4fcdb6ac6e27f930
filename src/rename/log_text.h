// The text of the rename logs. They are written as UTF-16LE with the
// byte-order mark FF FE and CR LF line ends, byte by byte. They are read
// as UTF-16LE with or without that mark, or as UTF-8 after the mark
// EF BB BF, with CR LF or LF line ends.
#pragma once

#include <cstdio>

enum class LogEncoding { kUtf16le, kUtf8 };

struct LogReader {
  std::FILE* file;
  LogEncoding encoding;
  char16_t pending[4];  // decoded units not handed out yet, last one first
  int pendingCount;
  unsigned char bytes[4096];  // read from the file, from at on
  int at;
  int end;
};

// Starts reading an open file, consuming a byte-order mark.
void StartLogReader(LogReader& reader, std::FILE* file);

// Starts reading the first count bytes of a file that the caller has put
// into reader.bytes, consuming a byte-order mark; nothing follows them.
void StartLogReaderOnHead(LogReader& reader, int count);

// Reads the next line as a wide text stream gives it: its units up to and
// including the LF, or the first units - 1 of a longer line (the rest comes
// with the next call). CR LF arrives as LF. out is always terminated.
// Returns false, with out empty, at the end of the file.
bool ReadLogLine(LogReader& reader, char16_t* out, int units);

struct LogWriter {
  std::FILE* file;
  LogEncoding encoding;
  bool failed;    // some write did not reach the file
  int markBytes;  // of the byte-order mark, still to be written
};

// Creates (or replaces) a log with the byte-order mark, which goes out with
// the first text written (or on closing). False when the file cannot be
// created.
bool CreateLog(const char16_t* path, LogWriter& writer);

// Opens a log to add lines to it: an existing one is appended to in the
// encoding its first bytes announce (UTF-8 after EF BB BF, else UTF-16LE;
// an empty one gets the mark first, one whose last line was cut short its
// line end first, after the missing byte of a unit cut in two); a missing
// one is created as by CreateLog. False when the file cannot be opened.
bool OpenLogForAppend(const char16_t* path, LogWriter& writer);

// Writes one line: the parts in order (a null part ends the list early),
// then CR LF, in one write. False when anything failed to reach the file.
bool WriteLogLine(LogWriter& writer, const char16_t* first, const char16_t* second = nullptr,
                  const char16_t* third = nullptr);

// Lines kept to be written out together (a folder's moves, one write
// instead of one per move). Each is known by its place, so that when the
// write fails it is known which of them reached the file whole.
struct PendingLines {
  static constexpr int kBytes = 16384;
  static constexpr int kMaxLines = 256;
  unsigned char bytes[kBytes];
  int used;
  int lineEnd[kMaxLines];  // bytes up to the end of each line
  int lines;
};

void StartPendingLines(PendingLines& pending);

// Adds a line in the writer's encoding, made as WriteLogLine makes it. False
// when it does not fit: write the lines out first.
bool AddLogLine(const LogWriter& writer, PendingLines& pending, const char16_t* first,
                const char16_t* second = nullptr, const char16_t* third = nullptr);

// Takes back the line added last.
void DropLastLogLine(PendingLines& pending);

// Writes the pending lines out and empties them. Returns how many of them,
// from the first, reached the file whole (the writer records a failure).
int WritePendingLines(LogWriter& writer, PendingLines& pending);

// Closes the log. False when the log or its closing failed.
bool CloseLog(LogWriter& writer);
