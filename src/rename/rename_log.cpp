#include "rename/rename_log.h"

#include <cstdio>
#include <cstring>

#include "base/console.h"
#include "driver/run_state.h"
#include "platform/host.h"
#include "rename/log_text.h"
#include "rename/messages.h"
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

// Opens folderPath\name for reading; null when it cannot be opened.
std::FILE* OpenFolderFile(const char* folderPath, const char* name) {
  char path[512];
  int n = JoinPathText(path, sizeof path, folderPath, name);
  if (n < 0 || n >= static_cast<int>(sizeof path)) return nullptr;
  return HostOpen(path, "rb");
}

// Stores one line "short name TAB old name" as the next row; a line without
// a TAB, or whose first column is too long for a short name, is skipped.
void AddRenameRow(RunState& state, char* text) {
  if (char* lf = std::strchr(text, '\n')) *lf = 0;
  char* tab = std::strchr(text, '\t');
  if (tab == nullptr) return;
  int shortBytes = static_cast<int>(tab - text);
  if (shortBytes > kShortNameBytes) return;
  NameRecord& row = state.fileRenameTable[state.fileRenameCount];
  std::memset(&row, 0, sizeof row);
  std::memcpy(row.shortName, text, static_cast<size_t>(shortBytes));
  const char* old = tab + 1;
  std::memcpy(row.longName, old, static_cast<size_t>(BoundedLength(old, kLongNameBytes)));
  ++state.fileRenameCount;
}

// The last of rows 0 to before - 1 whose short name is the bytes of name
// (bytes long, at most a short name's length), or -1. Rows hold their short
// names zero-filled (AddRenameRow), so the name is zero-filled alike and
// each row is compared whole, in one memcmp.
int FindNewestRow(const RunState& state, const char* name, int bytes, int before) {
  char wanted[sizeof(NameRecord::shortName)] = {};
  std::memcpy(wanted, name, static_cast<size_t>(bytes));
  for (int i = before - 1; i >= 0; --i) {
    if (std::memcmp(state.fileRenameTable[i].shortName, wanted, sizeof wanted) == 0) return i;
  }
  return -1;
}

}  // namespace

bool ReadFileRenameLog(RunState& state, const char* folderPath) {
  state.fileRenameCount = 0;
  std::FILE* file = OpenFolderFile(folderPath, kFileLogName);
  if (file == nullptr) {
    ConsolePrintf(kMsgLogOpenError, kFileLogName, folderPath);
    return false;
  }
  LogReader reader;
  StartLogReader(reader, file);
  char16_t line[256];
  // The table keeps the first rows.
  while (state.fileRenameCount < kNameTableRows && ReadLogLine(reader, line, 256)) {
    char text[256];
    HostWideToCp932(line, text, sizeof text);
    AddRenameRow(state, text);
  }
  std::fclose(file);
  return true;
}

bool FindPreRenameName(const RunState& state, const char* shortName, char* out) {
  int count = state.fileRenameCount < kNameTableRows ? state.fileRenameCount : kNameTableRows;
  int row = -1;
  int wantedBytes = BoundedLength(shortName, kShortNameBytes + 1);
  if (wantedBytes <= kShortNameBytes) row = FindNewestRow(state, shortName, wantedBytes, count);
  if (row < 0) {
    SjisCopyCut(out, shortName, kFoundNameBytes);
    return false;
  }
  // A later run that renumbered the track logged its short name of then as
  // the old name: the line that gave it that name, further up, has the
  // name before.
  for (;;) {
    const char* old = state.fileRenameTable[row].longName;
    int oldBytes = BoundedLength(old, kLongNameBytes);
    int earlier = oldBytes <= kShortNameBytes ? FindNewestRow(state, old, oldBytes, row) : -1;
    if (earlier < 0) break;
    row = earlier;
  }
  int n = BoundedLength(state.fileRenameTable[row].longName, kLongNameBytes);
  std::memcpy(out, state.fileRenameTable[row].longName, static_cast<size_t>(n));
  out[n] = 0;
  return true;
}

void ReadFolderRenameLog(const char* folderPath, char* out) {
  std::FILE* file = OpenFolderFile(folderPath, kFolderLogName);
  if (file == nullptr) return;
  LogReader reader;
  StartLogReader(reader, file);
  char16_t line[128];
  ReadLogLine(reader, line, 128);
  std::fclose(file);
  char text[129];
  HostWideToCp932(line, text, sizeof text);
  if (char* lf = std::strchr(text, '\n')) *lf = 0;
  // The title field takes 32 bytes; the cut counts bytes, not characters.
  int n = BoundedLength(text, 32);
  std::memcpy(out, text, static_cast<size_t>(n));
  out[n] = 0;
}
