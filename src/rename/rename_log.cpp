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
  // The table keeps the first rows: the lookup takes the first match anyway.
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
  // Rows hold their short names zero-filled (AddRenameRow), so the name
  // looked for is zero-filled alike and each row is compared whole, in one
  // memcmp.
  char wanted[sizeof(NameRecord::shortName)] = {};
  int wantedBytes = BoundedLength(shortName, kShortNameBytes + 1);
  if (wantedBytes > kShortNameBytes) {
    count = 0;  // longer than any row's
  } else {
    std::memcpy(wanted, shortName, static_cast<size_t>(wantedBytes));
  }
  for (int i = 0; i < count; ++i) {
    const NameRecord& row = state.fileRenameTable[i];
    if (std::memcmp(row.shortName, wanted, sizeof wanted) == 0) {
      int n = BoundedLength(row.longName, kLongNameBytes);
      std::memcpy(out, row.longName, static_cast<size_t>(n));
      out[n] = 0;
      return true;
    }
  }
  SjisCopyCut(out, shortName, kFoundNameBytes);
  return false;
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
