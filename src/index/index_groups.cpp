#include <cstring>

#include "base/console.h"
#include "index/index_steps.h"
#include "index/messages.h"
#include "state/folder_table.h"
#include "text/sjis.h"

namespace {

constexpr int kTitleBytes = sizeof(DirectoryEntry::displayName) - 1;  // 32
constexpr int kMaxGroupFolders = 255;                                 // folderCount is one byte

int TextLength(const char* text, int max) {
  int n = 0;
  while (n < max && text[n] != 0) ++n;
  return n;
}

bool SameKey(const DirectoryEntry& a, const DirectoryEntry& b) {
  return std::strncmp(a.sortKey, b.sortKey, sizeof a.sortKey) == 0;
}

// The index character of a key: a double-byte character, BW for the
// BWV keys, else the first byte.
void IndexCharacterOf(const char* key, char (&out)[8]) {
  std::memset(out, 0, sizeof out);
  if (IsSjisLeadByte(static_cast<uint8_t>(key[0]))) {
    out[0] = key[0];
    out[1] = key[1];
  } else if (key[0] == 'B' && key[1] == 'W' && key[2] == 'V') {
    out[0] = 'B';
    out[1] = 'W';
  } else {
    out[0] = key[0];
  }
}

}  // namespace

void MarkNamesakes(FolderTable& folders) {
  const int rows = DirectoryRowsInUse(folders);
  int previous = -1;  // the last row with tracks
  for (int i = 0; i < rows; ++i) {
    DirectoryEntry& row = folders.sortedDirectories[i];
    if (row.trackCount == 0) continue;
    const char* previousKey = previous >= 0 ? folders.sortedDirectories[previous].sortKey : "";
    if (previous >= 0 && SameKey(row, folders.sortedDirectories[previous])) {
      ConsolePrintf(kMsgKeyMatched, row.sortKey, previousKey);
      row.namesake = 1;
      folders.sortedDirectories[previous].namesake = 1;
    } else {
      ConsolePrintf(kMsgKey, row.sortKey, previousKey);
    }
    previous = i;
  }
}

void ExtendNamesakeTitles(FolderTable& folders) {
  const int rows = DirectoryRowsInUse(folders);
  for (int i = 0; i < rows; ++i) {
    DirectoryEntry& row = folders.sortedDirectories[i];
    if (row.trackCount == 0 || row.namesake != 1) continue;
    char* title = row.displayName;
    const int n = TextLength(title, kTitleBytes);
    if (n <= kTitleBytes - 2) {
      title[n] = '|';
      int at = n + 1;
      for (int j = 0; at < kTitleBytes && row.parentDisplayName[j] != 0; ++j) {
        title[at++] = row.parentDisplayName[j];
      }
      std::memset(title + at, 0, sizeof row.displayName - at);
    }
    ConsolePrintf(kMsgDupName, title);
  }
}

int BuildIndexGroups(FolderTable& folders) {
  const int rows = DirectoryRowsInUse(folders);
  folders.indexCount = 0;
  int placed = 0;
  int leftOut = 0;
  for (int i = 0; i < rows; ++i) {
    DirectoryEntry& row = folders.sortedDirectories[i];
    if (row.trackCount == 0) continue;
    ConsolePrintf(kMsgIndexDisplayName, row.sortKey);
    if (leftOut > 0) {  // the table is full: every later folder stays out
      ++leftOut;
      continue;
    }
    char character[8];
    IndexCharacterOf(row.sortKey, character);
    IndexGroup* last =
        folders.indexCount > 0 ? &folders.indexGroups[folders.indexCount - 1] : nullptr;
    bool continues =
        last != nullptr && std::memcmp(last->character, character, sizeof character) == 0;
    if (continues && last->folderCount >= kMaxGroupFolders) {
      ConsolePrintf(kMsgGroupSplit, character, kMaxGroupFolders);
      continues = false;
    }
    if (continues) {
      ++last->folderCount;
    } else {
      if (folders.indexCount >= kMaxIndexGroups) {
        leftOut = 1;
        continue;
      }
      IndexGroup& group = folders.indexGroups[folders.indexCount++];
      std::memcpy(group.character, character, sizeof character);
      group.folderCount = 1;
      group.firstPosition = static_cast<uint16_t>(placed);
    }
    row.indexGroup = static_cast<uint8_t>(folders.indexCount - 1);
    ++placed;
  }
  if (leftOut > 0) ConsolePrintf(kMsgTooManyGroups, kMaxIndexGroups, leftOut);
  return placed;
}
