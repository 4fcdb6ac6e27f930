// The text of the rename logs. They are written as UTF-16LE with the
// byte-order mark FF FE and CR LF line ends, byte by byte. They are read
// as UTF-16LE with or without that mark, or as UTF-8 after the mark
// EF BB BF, with CR LF or LF line ends; a log found in UTF-8 is added to in
// UTF-8.
#pragma once

#include <cstdio>

enum class LogEncoding { kUtf16le, kUtf8 };

// A byte of a UTF-8 log that is no part of a well-formed character is read
// as the unit kEscapeBase + byte (0x80..0xFF: a lone low surrogate, which no
// well-formed text decodes to) and written back as that byte.
constexpr char16_t kEscapeBase = 0xDC00;
inline bool IsEscapedByte(char16_t unit) { return unit >= 0xDC80 && unit <= 0xDCFF; }

// The UTF-8 bytes (at most 4) of the character at units[i], i < count: a
// pair of surrogates is one character, an escaped byte its byte, another
// lone surrogate U+FFFD. Advances i past what it took.
int EncodeLogUtf8(const char16_t* units, int count, int& i, unsigned char* out);

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

// True when a line read by ReadLogLine lacks its LF and nothing follows it:
// the last line of a log cut short, which never names anything.
bool IsUnendedLastLine(LogReader& reader, const char16_t* line);

struct LogWriter {
  std::FILE* file;
  LogEncoding encoding;
  bool failed;    // some write did not reach the file
  int markBytes;  // of the byte-order mark, still to be written
  long size;      // the bytes the file holds, as far as written whole
};

// Creates (or replaces) a log with the byte-order mark, which goes out with
// the first text written (or on closing). False when the file cannot be
// created.
bool CreateLog(const char16_t* path, LogWriter& writer);

// Opens a log to add lines to it: an existing one is appended to in the
// encoding its first bytes announce (UTF-8 after EF BB BF, else UTF-16LE;
// an empty one gets the mark first). A last line without its line end (a
// write cut short by a power loss) is cut off first: a line is written
// whole before its move, so such a line names a move that was never made.
// A missing log is created as by CreateLog. False when the file cannot be
// opened or cut.
bool OpenLogForAppend(const char16_t* path, LogWriter& writer);

// Writes one line: the parts in order (a null part ends the list early),
// then CR LF, in one write. False when anything failed to reach the file.
bool WriteLogLine(LogWriter& writer, const char16_t* first, const char16_t* second = nullptr,
                  const char16_t* third = nullptr);

// Takes back what was written after the log held size bytes (writer.size
// before a line): the line of a move that failed, or a line cut short.
// False when the file cannot be cut.
bool CutLog(LogWriter& writer, long size);

// Closes the log. False when the log or its closing failed.
bool CloseLog(LogWriter& writer);
