// Pieces shared by the POSIX and Win32 hosts: FAT name rules, pattern
// matching, the code page 932 character walk, and the name pool that sorts
// listings without allocating. Only src/platform includes this.
#pragma once

#include <cstdint>
#include <cstdio>

#include "text/ascii.h"

// --- Names -------------------------------------------------------------------

// True when a single name (no separators expected) cannot be held by FAT:
// empty, or containing a control character or one of \ / : * ? " < > |.
bool HostIsFatInvalidName(const char16_t* name, int units);

// Equality of two unit runs ignoring ASCII letter case.
bool HostEqualsIgnoreAsciiCase(const char16_t* a, int aUnits, const char16_t* b, int bUnits);

// Whether name matches a FindFirstFile pattern: "*" and "*.*" match
// everything; otherwise '*' matches any run and '?' any one unit, ASCII case
// ignored ("*.MP3" matches names whose text after the last dot is MP3).
bool HostMatchPattern(const char16_t* pattern, const char16_t* name);

// True for a path separator ('\' or '/').
inline bool HostIsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// --- Code page 932 ---------------------------------------------------------

// Host mapping of one double-byte code (lead, trail both structurally valid)
// to UTF-16. False when the code page has no character there.
bool HostMapDoubleByte(uint8_t lead, uint8_t trail, char16_t* out);

// Host mapping of one UTF-16 unit (not ASCII, not a half-width katakana,
// not a surrogate) to code page 932 bytes. Returns the bytes written to out
// (1 or 2), or 0 when the code page lacks the character.
int HostMapWideUnit(char16_t c, uint8_t out[2]);

// Decodes the character at text into *out ('?' for a byte sequence that is
// not code page 932). Returns the bytes consumed, 0 at the terminator.
int HostDecodeCp932Char(const char* text, char16_t* out);

// A code page 932 path in UTF-16; false when it does not fit (a cut path
// could name another file). A path that begins with the temporary directory
// as shown (HostKeepTempDirectory) begins with its true name instead.
bool ToWidePath(const char* cp932, char16_t* out, int units);

// Keeps the temporary directory's shown form (code page 932, '?' for what
// the code page lacks) and the host's own (UTF-16, ending with a separator).
void HostKeepTempDirectory(const char* shown, const char16_t* wide);

// --- Sorted name pool ------------------------------------------------------

// A fixed pool of names used as a stack: a listing pushes the names of one
// folder, sorts them in listing order, and pops them when done. Nested
// folder listings push above their parents.
struct HostNamePool {
  static constexpr int kMaxNames = 32768;
  static constexpr int kMaxUnits = 1 << 20;
  int nameStart[kMaxNames];
  int nameCount;
  char16_t units[kMaxUnits];
  int unitCount;
};

// The one pool of the process (listings are not reentrant across threads).
HostNamePool& HostListingPool();

// Pushes a name with a few bits of the host's own about it; false (nothing
// pushed) when the pool is full.
bool HostPoolPush(HostNamePool& pool, const char16_t* name, char16_t flags = 0);
// The name at index i (terminated), and its bits.
inline const char16_t* HostPoolName(const HostNamePool& pool, int i) {
  return pool.units + pool.nameStart[i];
}
inline char16_t HostPoolFlags(const HostNamePool& pool, int i) {
  return pool.units[pool.nameStart[i] - 1];
}
// Sorts names [first, pool.nameCount) in listing order.
void HostPoolSort(HostNamePool& pool, int first);
// Drops every name from index first on.
void HostPoolPop(HostNamePool& pool, int first);

// Writes text (code page 932) and CR LF to file. Returns the bytes written,
// or -1 on a write error.
int HostWriteListingLine(std::FILE* file, const char16_t* line);

// Ends the process at once, as a kill would: nothing is flushed, no handler
// runs.
[[noreturn]] void HostEndAsKilled();

// Interrupts the process as Ctrl-C would.
void HostInterruptAsCtrlC();
