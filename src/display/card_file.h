// A card file written in one go: created in the card's root, filled, closed.
// Failures are said on the console in one line and the run goes on.
#pragma once

#include <cstdio>

struct CardFile {
  std::FILE* file;
  const char* name;
  bool failed;
};

// Creates name in the current directory (the card's root), replacing an old
// file. Returns false, after one console line, when it cannot be created.
bool CreateCardFile(CardFile& out, const char* name);

// Appends count bytes; a failure is remembered for CloseCardFile.
void WriteCardBytes(CardFile& out, const void* bytes, int count);

// Closes the file; one console line, and false, when anything could not be
// written.
bool CloseCardFile(CardFile& out);
