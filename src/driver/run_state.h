// The one record of a run: settings, the directory table, the per-folder
// name tables, the image buffers and the font slots. Every table has a
// fixed size and its own count. The program keeps one static instance;
// tests make theirs with std::make_unique<RunState>() (it is too large for
// a Windows stack).
#pragma once

#include <cstdint>
#include <cstdio>

constexpr int kMaxDirectories = 1000;  // row 0 is the card's root
constexpr int kNameTableRows = 256;
constexpr int kMaxIndexGroups = 255;
constexpr int kImagePlaneBytes = 1024;
constexpr int kStripBytes = 128;
constexpr int kPathTextBytes = 128;
constexpr int kMaxPathBytes = 47;  // longest folder path the player takes

// A row of fileRenameTable and displayNameTable (402 bytes). longName may
// use all 129 bytes; its terminator then falls on title[0], which is zero
// in the rename table.
struct NameRecord {
  char shortName[16];
  char longName[129];
  char title[257];
};
static_assert(sizeof(NameRecord) == 402);

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

// A code range of a loaded font with its glyphs converted to column-byte
// slots (32 bytes per glyph in a double-byte font, 16 in a single-byte one).
struct CodeBlock {
  uint16_t firstCode;
  uint16_t lastCode;
  int32_t glyphCount;
  uint8_t* glyphs;
};

struct FontRecord {
  int32_t width;
  int32_t height;
  int32_t bytesPerRow;
  int32_t fileGlyphBytes;
  int32_t slotBytes;
  int32_t codeType;
  int32_t blockCount;
  CodeBlock* blocks;
  // For each high byte of a code, the first block that holds any code with
  // it (blockCount for none): a lookup starts there and finds the glyph a
  // search from block 0 finds. All zeros (search every block) is valid.
  uint8_t firstBlock[256];
};

struct RunState {
  int32_t playerModel;
  int32_t titleRule;
  char tempDir[260];
  char workDir[260];  // this run's own folder in tempDir for its work files
  int32_t renameFailed;
  int32_t listingFailed;  // a folder's file listing could not be written
  int32_t writeFailed;    // a catalogue file could not be written whole
  int32_t renameCauses;   // RenameCause bits of the rename pass's failures
  int32_t renamedCount;   // folders and files the rename pass gave a new name
  int32_t foldersLeftOut;  // folders the folder list cannot hold, each named on the console
  std::FILE* workLog;  // CARDPREP.LOG, opened in binary mode: lines end CR LF

  uint8_t imagePlaneA[kImagePlaneBytes];
  uint8_t imagePlaneB[kImagePlaneBytes];
  uint8_t imagePlaneC[kImagePlaneBytes];
  uint8_t trackStripImage[kStripBytes];
  uint8_t folderStripImage[kStripBytes];

  NameRecord fileRenameTable[kNameTableRows];
  int32_t fileRenameCount;
  NameRecord displayNameTable[kNameTableRows];
  int32_t displayNameCount;

  IndexGroup indexGroups[kMaxIndexGroups];
  int32_t indexCount;
  DirectoryEntry sortedDirectories[kMaxDirectories];

  uint16_t directoryCount;
  uint16_t randomCount;
  uint16_t randomList[kMaxDirectories];
  DirectoryEntry directories[kMaxDirectories];

  // Font slots, in the order the font set loads them.
  FontRecord full16Font;
  FontRecord half16Font;
  FontRecord full6x8Font;
  FontRecord half6x8Font;
  FontRecord full12Font;
  FontRecord half12Font;
  FontRecord half8Font;
  FontRecord full8Font;
};
