#include "scan/title_sources.h"

#include <cstdio>
#include <cstring>

#include "base/console.h"
#include "base/work_log.h"
#include "platform/host.h"
#include "rename/rename_log.h"
#include "scan/line_reader.h"
#include "scan/messages.h"
#include "scan/tag_reader.h"
#include "state/name_tables.h"
#include "state/run_settings.h"
#include "text/sjis.h"

namespace {

constexpr int kTitleBytes = 256;     // title text at most; buffers hold 257
constexpr int kLongNameBytes = 128;  // first column of the display-name file

// Bytes, not characters: the rest of a display-name line after its TAB and
// the blanks that follow it.
const char* SkipBlanks(const char* p) {
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

}  // namespace

bool ReadDisplayNameFile(NameTables& names, const char* folderPath) {
  names.displayNameCount = 0;
  char path[kPathTextBytes + 32];
  JoinPathText(path, sizeof path, folderPath, kDisplayNameFile);
  std::FILE* file = HostOpen(path, "rb");
  if (file == nullptr) return false;

  // The stream's own buffer (it is closed before the next folder's file),
  // so that it need not ask the system for a buffer size first.
  static char buffer[8192];
  std::setvbuf(file, buffer, _IOFBF, sizeof buffer);
  // Shift-JIS as it stands, or UTF-8 or UTF-16 as display text: a first
  // column then reads as the old name from the log does, composed.
  TextEncoding encoding = FindTextEncoding(file);
  char line[256];  // at most 255 bytes of a line are used
  bool full = false;
  while (ReadDisplayTextLine(file, encoding, line, sizeof line)) {
    char* tab = std::strchr(line, '\t');
    if (tab == nullptr) continue;
    if (names.displayNameCount >= kNameTableRows) {
      if (!full) ConsolePrintf(kMsgDisplayNameLimit, folderPath);
      full = true;
      continue;
    }
    NameRecord& row = names.displayNameTable[names.displayNameCount];
    std::memset(&row, 0, sizeof row);
    size_t nameLength = static_cast<size_t>(tab - line);
    if (nameLength > kLongNameBytes) nameLength = kLongNameBytes;
    std::memcpy(row.longName, line, nameLength);
    const char* title = SkipBlanks(tab + 1);
    std::memcpy(row.title, title, std::strlen(title));  // at most 254 bytes
    ++names.displayNameCount;
  }
  std::fclose(file);
  return true;
}

bool LookUpTrackNames(const NameTables& names, const char* shortName, char* title,
                      char* preRenameName) {
  title[0] = 0;
  if (!FindPreRenameName(names, shortName, preRenameName)) return false;
  for (int i = 0; i < names.displayNameCount; ++i) {
    const NameRecord& row = names.displayNameTable[i];
    if (std::strcmp(row.longName, preRenameName) == 0) {
      std::memcpy(title, row.title, sizeof row.title);
      title[kTitleBytes] = 0;
      return true;
    }
  }
  return false;
}

void ReadTagTitle(WorkLogFile& log, const char* folderPath, const char* fileName, char* title) {
  char path[2 * kPathTextBytes + 2];
  JoinPathText(path, sizeof path, folderPath, fileName, 127);
  char line[sizeof path + 64];
  if (!ReadId3Title(path, title)) {
    std::snprintf(line, sizeof line, kMsgTagOpenError, folderPath, fileName);
    WriteWorkLog(log, line);
    return;
  }
  if (title[0] == 0) {
    std::snprintf(line, sizeof line, kMsgTagNoTitle, folderPath);
    WriteWorkLog(log, line);
  }
}
