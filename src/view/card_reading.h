// Reading card files for the readers of card_reader.h: a file opened and
// measured once, records read at their offsets, and the field decoders the
// record layouts share.
#pragma once

#include <cstdint>
#include <cstdio>

#include "view/card_reader.h"

struct InFile {
  std::FILE* file;
  long size;
};

// Opens a card file and measures it. False when it cannot be opened or
// measured (a folder of that name, for instance).
bool OpenIn(const char* path, InFile& in);

// Reads count bytes at offset; false when they do not all lie in the file.
bool ReadAt(InFile& in, long offset, uint8_t* buf, int count);

void CloseIn(InFile& in);

// Opens path for reading; a missing file is a problem line when problems
// is given.
bool OpenOrSay(const char* path, InFile& in, ProblemList* problems);

// Reads a whole file of exactly size bytes into out. Returns the bytes
// read, or -1 after a problem line.
long ReadWholeFile(const char* name, uint8_t* out, long size, ProblemList& problems);

// Little-endian numbers of a record.
inline int U8(const uint8_t* raw, int offset) { return raw[offset]; }
inline int U16(const uint8_t* raw, int offset) { return raw[offset] | (raw[offset + 1] << 8); }

// Copies a text field of width bytes up to its first zero byte; out holds
// width + 1 bytes.
void TextField(const uint8_t* raw, int offset, int width, char* out);

// As TextField, then drops the fill spaces at the end.
void PaddedField(const uint8_t* raw, int offset, int width, char* out);

// Rows other than the root whose track count is not zero.
int RowsWithTracks(const FolderList& list);
