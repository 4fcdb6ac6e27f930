#include "scan/directory_scan.h"

#include <cstdio>
#include <cstring>

#include "base/console.h"
#include "model/model_profile.h"
#include "platform/host.h"
#include "rename/rename_log.h"
#include "rename/short_name.h"
#include "scan/line_reader.h"
#include "scan/messages.h"
#include "scan/track_scan.h"
#include "state/run_state.h"
#include "text/ascii.h"
#include "text/sjis.h"

namespace {

constexpr int kShortNameBytes = 12;
constexpr int kTitleBytes = 32;

// Position of the last backslash of text that is not the trail byte of a
// double-byte character, or -1.
int LastBackslash(const char* text) {
  int last = -1;
  for (int i = 0; text[i] != 0;) {
    if (IsSjisLeadByte(static_cast<uint8_t>(text[i])) && text[i + 1] != 0) {
      i += 2;
      continue;
    }
    if (text[i] == '\\') last = i;
    ++i;
  }
  return last;
}

bool StartsWithSystem(const char* name) {
  const char* word = "system";
  for (int i = 0; i < 6; ++i) {
    if (AsciiUpper(name[i]) != AsciiUpper(word[i])) return false;
  }
  return true;
}

// True when a folder of the path p, below its first rootBytes bytes (the
// card's root), is one the systems keep for themselves: the listing names
// every folder below such a one, and all of them are left out.
bool IsInSystemsOwnFolder(const char* p, int rootBytes) {
  char name[kPathTextBytes];
  int n = 0;
  for (int i = rootBytes;;) {
    char c = p[i];
    if (c == 0 || c == '\\') {
      name[n] = 0;
      if (n > 0 && IsSystemsOwnFolder(name)) return true;
      if (c == 0) return false;
      n = 0;
      ++i;
      continue;
    }
    // A trail byte 0x5C is no separator.
    int bytes = IsSjisLeadByte(static_cast<uint8_t>(c)) && p[i + 1] != 0 ? 2 : 1;
    for (int k = 0; k < bytes && n < kPathTextBytes - 1; ++k) name[n++] = p[i + k];
    i += bytes;
  }
}

// Links row i to its parent: the first earlier row whose path equals
// parentPath, else the root.
void LinkToParent(RunState& state, uint16_t i) {
  DirectoryEntry& row = state.directories[i];
  uint16_t j = 0;
  bool found = false;
  for (uint16_t k = 0; k < i; ++k) {
    if (std::strcmp(state.directories[k].path, row.parentPath) == 0) {
      j = k;
      found = true;
      break;
    }
  }
  DirectoryEntry& parent = state.directories[j];
  if (parent.childCount == 0) parent.firstChild = i;
  ++parent.childCount;
  row.parent = j;
  row.grandparent = found ? parent.parent : 0;
}

// The folder's title: its name before renaming when it has one the model
// can show, else its short name.
void ChooseFolderTitle(const RunState& state, DirectoryEntry& row) {
  char oldName[kTitleBytes + 1] = {};
  ReadFolderRenameLog(row.listedPath, oldName);
  bool graphic = ModelProfileOf(state.playerModel).titles != TitleLayout::kText;
  std::memset(row.displayName, 0, sizeof row.displayName);
  if (oldName[0] != 0 && (graphic || !HasDoubleByteChar(oldName))) {
    std::memcpy(row.displayName, oldName, kTitleBytes);
  } else {
    std::memcpy(row.displayName, row.shortName, sizeof row.shortName);
  }
  row.displayName[kTitleBytes] = 0;
}

// One listing line: a new row, or nothing when the line is left out.
// rootBytes is the length of the card root's own path, taken from the
// first line (a folder of the root) when it is below 0.
void RecordFolder(RunState& state, const char* line, uint16_t& i, int& rootBytes) {
  const char* p = line;
  if (line[0] != 0 && line[1] == ':') p = line + 2;  // the drive
  int slash = LastBackslash(p);
  if (slash >= 0 && rootBytes < 0) rootBytes = slash;
  if (slash < 0) return;
  const char* name = p + slash + 1;
  if (name[0] == 0 || name[0] == '_' || StartsWithSystem(name)) return;
  if (slash >= rootBytes && IsInSystemsOwnFolder(p, rootBytes)) return;
  // A folder the folder list cannot hold is named, and the run's status
  // tells that music was left out.
  if (std::strlen(p) > static_cast<size_t>(kMaxPathBytes)) {
    ConsolePrintf(kMsgPathLeftOut, line);
    ++state.foldersLeftOut;
    return;
  }
  if (i >= kMaxDirectories) {
    ConsolePrintf(kMsgFolderLimit, line);
    ++state.foldersLeftOut;
    return;
  }

  ConsolePrintf(kMsgFolderName, name);
  DirectoryEntry& row = state.directories[i];
  std::memset(&row, 0, sizeof row);
  std::strncpy(row.shortName, name, kShortNameBytes);
  std::strcpy(row.listedPath, line);  // at most 127 bytes
  std::strcpy(row.path, p);
  std::memcpy(row.parentPath, p, static_cast<size_t>(slash));
  LinkToParent(state, i);

  row.trackCount = ScanFolderTracks(state, row.listedPath);
  ChooseFolderTitle(state, row);
  ConsolePrintf(kMsgFolderTitle, row.displayName);
  MakeSortKey(row.displayName, row.sortKey);
  std::memcpy(row.parentDisplayName, state.directories[row.parent].displayName,
              sizeof row.parentDisplayName);
  if (row.trackCount != 0) state.randomList[state.randomCount++] = i;
  ++i;
}

}  // namespace

bool ReadDirectoryStructure(RunState& state) {
  ConsolePrintf("%s", kMsgReadDirectoryStructure);
  char workFile[sizeof state.workDir + 16];
  std::snprintf(workFile, sizeof workFile, "%s%s", state.workDir, "\\DIRLSTWK.TXT");
  if (!HostWriteFolderListing(workFile)) {
    ConsolePrintf("%s", kMsgCannotOpenInput);
    return false;
  }
  return ReadDirectoryListing(state, workFile);
}

bool ReadDirectoryListing(RunState& state, const char* workFile) {
  std::FILE* file = HostOpen(workFile, "rb");
  if (file == nullptr) {
    ConsolePrintf("%s", kMsgCannotOpenInput);
    return false;
  }

  state.randomCount = 0;
  state.listingFailed = false;
  state.foldersLeftOut = 0;
  state.tracksLeftOut = 0;
  state.directories[0].firstChild = 1;
  uint16_t i = 1;
  char line[kPathTextBytes];
  bool tooLong = false;
  int rootBytes = -1;
  // A folder whose files could not be listed would get no tracks: the scan
  // stops, and the card's catalogue is not replaced by an emptier one.
  while (!state.listingFailed && ReadTextLine(file, line, sizeof line, tooLong)) {
    // A line longer than the buffer names a folder far below the path
    // limit; its pieces are never folders.
    if (tooLong) continue;
    RecordFolder(state, line, i, rootBytes);
  }
  std::fclose(file);
  state.directoryCount = i;
  return !state.listingFailed;
}

void MakeSortKey(const char* displayName, char* sortKey) {
  for (int i = 0; i < kTitleBytes;) {
    char c = displayName[i];
    if (IsSjisLeadByte(static_cast<uint8_t>(c))) {
      sortKey[i] = c;
      sortKey[i + 1] = displayName[i + 1];  // at most byte 32
      i += 2;
      continue;
    }
    sortKey[i] = AsciiUpper(c);
    ++i;
  }
  sortKey[kTitleBytes] = 0;
}
