// The card's folders as the scan lists them, their random order, the sorted
// copy and the groups of the title index.
#pragma once

#include <cstdint>

#include "state/run_limits.h"

struct DirectoryEntry {
  char listedPath[kPathTextBytes];  // listing line as read, drive included
  char path[kPathTextBytes];        // without drive, at most 47 bytes
  char parentPath[kPathTextBytes];  // path cut before its last backslash
  char shortName[13];
  char displayName[33];  // byte 32 always zero
  uint16_t firstChild;
  uint16_t childCount;
  uint16_t parent;
  uint16_t grandparent;
  uint16_t nextRandom;
  uint16_t trackCount;
  char sortKey[33];
  char parentDisplayName[33];
  int32_t namesake;
  uint8_t indexGroup;
};

// One group of the title index; written to INDEX10.DAT as 11 packed bytes
// (character, folderCount, firstPosition little-endian).
struct IndexGroup {
  char character[8];
  uint8_t folderCount;
  uint16_t firstPosition;
};

struct FolderTable {
  IndexGroup indexGroups[kMaxIndexGroups];
  int32_t indexCount;
  DirectoryEntry sortedDirectories[kMaxDirectories];

  uint16_t directoryCount;
  uint16_t randomCount;
  uint16_t randomList[kMaxDirectories];
  DirectoryEntry directories[kMaxDirectories];
};
