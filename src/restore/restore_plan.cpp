#include "restore/restore_plan.h"

#include <cstdio>

#include "platform/host.h"
#include "rename/log_text.h"
#include "text/wide.h"

namespace {

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

RowRead ReadLogRow(LogReader& reader, LogLine& line) {
  // Zero-filled first, so that the LF shows where the line ends whatever
  // units come before it.
  char16_t units[kLogLineUnits + 1];
  for (char16_t& unit : units) unit = 0;
  if (!ReadLogLine(reader, units, kLogLineUnits + 1)) return RowRead::kEnd;
  int n = 0;
  while (n < kLogLineUnits && units[n] != u'\n') ++n;
  line.ended = n < kLogLineUnits;
  if (!line.ended) {
    // A line without its LF is the last one, or longer than a row.
    char16_t more[2];
    if (ReadLogLine(reader, more, 2)) return RowRead::kTooLong;
    n = kLogLineUnits - 1;
    while (n > 0 && units[n - 1] == 0) --n;
  }
  line.escaped = false;
  for (int i = 0; i < n; ++i) {
    line.text[i] = units[i];
    // A low half after its high half is part of a character, never an escape.
    bool paired = i > 0 && units[i - 1] >= 0xD800 && units[i - 1] <= 0xDBFF;
    if (reader.encoding == LogEncoding::kUtf8 && IsEscapedByte(units[i]) && !paired) {
      line.escaped = true;
    }
  }
  line.text[n] = 0;
  line.length = n;
  return RowRead::kRow;
}

LogRead ReadFileLog(const char16_t* path, FileLog& log) {
  log.count = 0;
  std::FILE* file = HostOpenW(path, "rb");
  if (file == nullptr) return HostExists(path) ? LogRead::kUnusable : LogRead::kMissing;
  LogReader reader;
  StartLogReader(reader, file);
  log.encoding = reader.encoding;
  LogRead result = LogRead::kRead;
  LogLine extra;  // a row past the table's end
  for (;;) {
    LogLine& line = log.count < kMaxLogLines ? log.lines[log.count] : extra;
    RowRead row = ReadLogRow(reader, line);
    if (row == RowRead::kEnd) break;
    if (row == RowRead::kTooLong || log.count == kMaxLogLines) {
      result = LogRead::kUnusable;
      break;
    }
    if (!line.ended && line.length == 0) break;  // a last line of units 0 names nothing
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
  if (!line.ended || line.escaped || WideLength(line.text) != line.length) return false;
  return Split(line.text, newName, oldName);
}

bool ReadFolderLog(const char16_t* path, char16_t* oldName) {
  std::FILE* file = HostOpenW(path, "rb");
  if (file == nullptr) return false;
  LogReader reader;
  StartLogReader(reader, file);
  LogLine line;
  RowRead row = ReadLogRow(reader, line);
  std::fclose(file);
  // The line must be whole: a name, no unit 0, and its line end.
  if (row != RowRead::kRow || !line.ended || line.escaped || WideLength(line.text) != line.length) {
    return false;
  }
  return WideCopy(oldName, kRestoreNameUnits, line.text) && IsBareName(oldName);
}
