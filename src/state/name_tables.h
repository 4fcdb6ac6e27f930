// The names of the folder at hand: its rename log's lines and its
// display-name file's, read per folder by the track scan.
#pragma once

#include <cstdint>

#include "state/run_limits.h"

// A row of fileRenameTable and displayNameTable (402 bytes). longName may
// use all 129 bytes; its terminator then falls on title[0], which is zero
// in the rename table.
struct NameRecord {
  char shortName[16];
  char longName[129];
  char title[257];
};
static_assert(sizeof(NameRecord) == 402);

struct NameTables {
  NameRecord fileRenameTable[kNameTableRows];
  int32_t fileRenameCount;
  NameRecord displayNameTable[kNameTableRows];
  int32_t displayNameCount;
};
