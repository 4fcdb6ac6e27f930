#include "rename/rename_log.h"

#include <cstdio>
#include <cstring>

#include "base/console.h"
#include "base/display_text.h"
#include "platform/host.h"
#include "rename/log_text.h"
#include "rename/messages.h"
#include "state/name_tables.h"
#include "text/sjis.h"

namespace {

constexpr char kFileLogName[] = "RENFIL04.LOG";
constexpr char kFolderLogName[] = "RENDIR04.LOG";
constexpr int kShortNameBytes = sizeof(NameRecord::shortName) - 1;
constexpr int kLongNameBytes = sizeof(NameRecord::longName);  // no room for the zero
constexpr int kFoundNameBytes = 256;                          // out holds 257

int BoundedLength(const char* text, int maxBytes) {
  int n = 0;
  while (n < maxBytes && text[n] != 0) ++n;
  return n;
}

// The row whose short name is the bytes of name (bytes long, at most a
// short name's length), or -1. Rows hold their short names zero-filled
// (AddRenameRow), so the name is zero-filled alike and each row is
// compared whole, in one memcmp.
int FindRow(const NameTables& names, const char* name, int bytes) {
  char wanted[sizeof(NameRecord::shortName)] = {};
  std::memcpy(wanted, name, static_cast<size_t>(bytes));
  int count = names.fileRenameCount < kNameTableRows ? names.fileRenameCount : kNameTableRows;
  for (int i = 0; i < count; ++i) {
    if (std::memcmp(names.fileRenameTable[i].shortName, wanted, sizeof wanted) == 0) return i;
  }
  return -1;
}

// Reads one line "short name TAB old name" into the table, which holds one
// row per short name: the newest line for it wins. The row gets the name
// the track had before its first renaming: an old name that is itself the
// short name of a row (a later run renumbered the track) takes that row's
// name, which was followed back the same way when it was read. A line
// without a TAB, or whose first column is too long for a short name, is
// skipped, and so is a new short name once the table is full.
void AddRenameRow(NameTables& names, char* text) {
  if (char* lf = std::strchr(text, '\n')) *lf = 0;
  char* tab = std::strchr(text, '\t');
  if (tab == nullptr) return;
  int shortBytes = static_cast<int>(tab - text);
  if (shortBytes > kShortNameBytes) return;
  const char* old = tab + 1;
  int oldBytes = BoundedLength(old, kLongNameBytes);
  int earlier = oldBytes <= kShortNameBytes ? FindRow(names, old, oldBytes) : -1;
  if (earlier >= 0) {
    old = names.fileRenameTable[earlier].longName;
    oldBytes = BoundedLength(old, kLongNameBytes);
  }
  char firstName[kLongNameBytes];  // old may be the very row replaced below
  std::memcpy(firstName, old, static_cast<size_t>(oldBytes));
  int row = FindRow(names, text, shortBytes);
  if (row < 0) {
    if (names.fileRenameCount == kNameTableRows) return;
    row = names.fileRenameCount++;
  }
  NameRecord& record = names.fileRenameTable[row];
  std::memset(&record, 0, sizeof record);
  std::memcpy(record.shortName, text, static_cast<size_t>(shortBytes));
  std::memcpy(record.longName, firstName, static_cast<size_t>(oldBytes));
}

}  // namespace

bool ReadFileRenameLog(NameTables& names, const char* folderPath) {
  names.fileRenameCount = 0;
  // Most logs fit the reader's buffer and are read in one piece; a longer
  // one is read again as a stream.
  LogReader reader;
  constexpr int kWhole = sizeof reader.bytes;
  char path[512];
  int length = JoinPathText(path, sizeof path, folderPath, kFileLogName);
  bool fits = length >= 0 && length < static_cast<int>(sizeof path);
  int head = fits ? HostReadFileHead(path, reader.bytes, kWhole) : -1;
  std::FILE* file = head == kWhole ? HostOpen(path, "rb") : nullptr;
  if (head < 0 || (head == kWhole && file == nullptr)) {
    ConsolePrintf(kMsgLogOpenError, kFileLogName, folderPath);
    return false;
  }
  if (file == nullptr) {
    StartLogReaderOnHead(reader, head);
  } else {
    // The stream's own buffer (it is closed before another log is read), so
    // that it need not ask the system for a buffer size first.
    static char buffer[8192];
    std::setvbuf(file, buffer, _IOFBF, sizeof buffer);
    StartLogReader(reader, file);
  }
  char16_t line[256];
  while (ReadLogLine(reader, line, 256)) {
    // A last line without its line end was cut short as it was written,
    // before its move: it names nothing.
    if (IsUnendedLastLine(reader, line)) break;
    // The old name is a title (and the first column a display-name line
    // must match), never a path: display text.
    char text[256];
    DisplayTextFromWide(line, text, sizeof text);
    AddRenameRow(names, text);
  }
  if (file != nullptr) std::fclose(file);
  return true;
}

bool FindPreRenameName(const NameTables& names, const char* shortName, char* out) {
  int row = -1;
  int wantedBytes = BoundedLength(shortName, kShortNameBytes + 1);
  if (wantedBytes <= kShortNameBytes) row = FindRow(names, shortName, wantedBytes);
  if (row < 0) {
    SjisCopyCut(out, shortName, kFoundNameBytes);
    return false;
  }
  int n = BoundedLength(names.fileRenameTable[row].longName, kLongNameBytes);
  std::memcpy(out, names.fileRenameTable[row].longName, static_cast<size_t>(n));
  out[n] = 0;
  return true;
}

void ReadFolderRenameLog(const char* folderPath, char* out) {
  char path[512];
  int length = JoinPathText(path, sizeof path, folderPath, kFolderLogName);
  if (length < 0 || length >= static_cast<int>(sizeof path)) return;
  // Only the first line is read, and its 127 units lie within the reader's
  // buffer in either encoding: the log's head is enough.
  LogReader reader;
  int head = HostReadFileHead(path, reader.bytes, sizeof reader.bytes);
  if (head < 0) return;
  StartLogReaderOnHead(reader, head);
  char16_t line[128];
  ReadLogLine(reader, line, 128);
  if (IsUnendedLastLine(reader, line)) return;  // cut short as it was written
  char text[129];
  DisplayTextFromWide(line, text, sizeof text);  // the folder's title
  if (char* lf = std::strchr(text, '\n')) *lf = 0;
  // The title field takes 32 bytes; the cut counts bytes, not characters.
  int n = BoundedLength(text, 32);
  std::memcpy(out, text, static_cast<size_t>(n));
  out[n] = 0;
}
