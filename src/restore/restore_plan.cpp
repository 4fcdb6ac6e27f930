#include "restore/restore_plan.h"

#include <cstdio>

#include "platform/host.h"
#include "rename/log_text.h"
#include "text/wide.h"

namespace {

// Reads one whole line into out (kLogLineUnits units with the LF). False at
// the end of the file; *tooLong when the line did not fit (its rest is read
// and dropped).
bool ReadWholeLine(LogReader& reader, char16_t* out, bool* tooLong) {
  *tooLong = false;
  if (!ReadLogLine(reader, out, kLogLineUnits + 1)) return false;
  int n = WideLength(out);
  if (n == kLogLineUnits && out[n - 1] != u'\n') {
    *tooLong = true;
    char16_t rest[64];
    while (ReadLogLine(reader, rest, 64) && rest[WideLength(rest) - 1] != u'\n') {
    }
  }
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
  bool tooLong = false;
  LogRead result = LogRead::kRead;
  while (ReadWholeLine(reader, text, &tooLong)) {
    if (tooLong || log.count == kMaxLogLines) {
      result = LogRead::kUnusable;
      break;
    }
    LogLine& line = log.lines[log.count];
    int n = WideLength(text);
    line.ended = text[n - 1] == u'\n';
    if (line.ended) text[--n] = 0;
    WideCopy(line.text, kLogLineUnits, text);
    log.undone[log.count] = false;
    log.written[log.count] = true;
    ++log.count;
  }
  std::fclose(file);
  if (result != LogRead::kRead) log.count = 0;
  return result;
}

bool ParseLogLine(const LogLine& line, char16_t* newName, char16_t* oldName) {
  return line.ended && Split(line.text, newName, oldName);
}

bool ReadFolderLog(const char16_t* path, char16_t* oldName) {
  std::FILE* file = HostOpenW(path, "rb");
  if (file == nullptr) return false;
  LogReader reader;
  StartLogReader(reader, file);
  char16_t text[kRestoreNameUnits + 1];
  bool read = ReadLogLine(reader, text, kRestoreNameUnits + 1);
  std::fclose(file);
  int n = WideLength(text);
  // The line must be whole: a name and its line end.
  if (!read || text[n - 1] != u'\n') return false;
  text[n - 1] = 0;
  return WideCopy(oldName, kRestoreNameUnits, text) && IsBareName(oldName);
}
