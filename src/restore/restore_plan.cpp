#include "restore/restore_plan.h"

#include <cstdio>

#include "platform/host.h"
#include "rename/log_text.h"
#include "text/wide.h"

namespace {

// Reads the next line into out (kLogLineUnits + 1 units, zero-filled
// first, so that a unit 0 inside a line cannot hide where it ends). False at
// the end of the file. *ended: the line came with its LF, which only the
// last unit read can be. The text is cut at the LF or a unit 0; *whole:
// there was no unit 0 to cut at (no name holds one).
bool ReadRawLine(LogReader& reader, char16_t* out, bool* ended, bool* whole) {
  for (int i = 0; i <= kLogLineUnits; ++i) out[i] = 0;
  if (!ReadLogLine(reader, out, kLogLineUnits + 1)) return false;
  *ended = false;
  for (int i = 0; i < kLogLineUnits; ++i) *ended = *ended || out[i] == u'\n';
  int n = 0;
  while (out[n] != 0 && out[n] != u'\n') ++n;
  *whole = out[n] == u'\n' || !*ended;
  out[n] = 0;
  return true;
}

bool Split(const char16_t* text, char16_t* newName, char16_t* oldName) {
  int tab = 0;
  while (text[tab] != 0 && text[tab] != u'\t') ++tab;
  if (text[tab] != u'\t' || tab >= kRestoreNameUnits) return false;
  for (int i = 0; i < tab; ++i) newName[i] = text[i];
  newName[tab] = 0;
  return WideCopy(oldName, kRestoreNameUnits, text + tab + 1) && IsBareName(newName) &&
         IsBareName(oldName);
}

}  // namespace

bool IsBareName(const char16_t* name) {
  int n = WideLength(name);
  if (n == 0 || (n == 1 && name[0] == u'.') || (n == 2 && name[0] == u'.' && name[1] == u'.')) {
    return false;
  }
  for (int i = 0; i < n; ++i) {
    if (name[i] == u'\\' || name[i] == u'/') return false;
  }
  return true;
}

LogRead ReadFileLog(const char16_t* path, FileLog& log) {
  log.count = 0;
  std::FILE* file = HostOpenW(path, "rb");
  if (file == nullptr) return HostExists(path) ? LogRead::kUnusable : LogRead::kMissing;
  LogReader reader;
  StartLogReader(reader, file);
  char16_t text[kLogLineUnits + 1];
  bool ended = false;
  bool whole = false;
  LogRead result = LogRead::kRead;
  while (ReadRawLine(reader, text, &ended, &whole)) {
    char16_t more[2];
    // A line without its LF is the last one, or longer than a row.
    if (log.count == kMaxLogLines || (!ended && ReadLogLine(reader, more, 2))) {
      result = LogRead::kUnusable;
      break;
    }
    if (!ended && text[0] == 0) break;  // a last line of units 0 names nothing
    LogLine& line = log.lines[log.count];
    line.ended = ended;
    line.whole = whole;
    WideCopy(line.text, kLogLineUnits, text);
    log.undone[log.count] = false;
    log.moved[log.count] = false;
    log.written[log.count] = true;
    ++log.count;
  }
  std::fclose(file);
  if (result != LogRead::kRead) log.count = 0;
  return result;
}

bool ParseLogLine(const LogLine& line, char16_t* newName, char16_t* oldName) {
  return line.ended && line.whole && Split(line.text, newName, oldName);
}

bool ReadFolderLog(const char16_t* path, char16_t* oldName) {
  std::FILE* file = HostOpenW(path, "rb");
  if (file == nullptr) return false;
  LogReader reader;
  StartLogReader(reader, file);
  char16_t text[kLogLineUnits + 1];
  bool ended = false;
  bool whole = false;
  bool read = ReadRawLine(reader, text, &ended, &whole);
  std::fclose(file);
  // The line must be whole: a name and its line end.
  if (!read || !ended || !whole) return false;
  return WideCopy(oldName, kRestoreNameUnits, text) && IsBareName(oldName);
}
