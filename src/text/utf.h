// The one UTF-8 and UTF-16 codec of the program: names on a POSIX disk,
// the rename logs, the display-name files and the console all use it.
#pragma once

#include <cstdint>

constexpr uint32_t kReplacementChar = 0xFFFD;

// Decodes the UTF-8 character at s, of which avail bytes (at least 1) may
// be read. An ill-formed or cut sequence gives U+FFFD and takes one byte.
// Returns the bytes taken.
int DecodeUtf8(const unsigned char* s, int avail, uint32_t* cp);

// The same on terminated text; returns 0 at the terminator.
int DecodeUtf8(const char* text, uint32_t* cp);

// True when the avail bytes at s (at least 1) begin a well-formed
// sequence that they end too soon to hold whole.
bool IsCutUtf8(const unsigned char* s, int avail);

// Writes the UTF-8 form of the code point (at most 4 bytes). Returns the
// bytes written.
int EncodeUtf8(uint32_t cp, char* out);

// The code point at text, of which units units (at least 1) may be read: a
// surrogate pair is one, a lone surrogate gives U+FFFD. Returns the units
// taken, 1 or 2.
int DecodeUtf16(const char16_t* text, int units, uint32_t* cp);

// Writes the code point as one unit or a surrogate pair; returns the units.
int EncodeUtf16(uint32_t cp, char16_t* out);
