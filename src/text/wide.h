// UTF-16 string helpers for the rename pass, which works on wide names.
#pragma once

#include <cstdint>

// Units before the terminator.
int WideLength(const char16_t* text);

// Copies text into out of the given capacity in units. Returns false (and
// leaves out terminated but possibly cut) when it does not fit.
bool WideCopy(char16_t* out, int units, const char16_t* text);

// out = a + "\" + b. Returns false, with out empty, when the result would
// need more than units - 1 units.
bool WideJoinPath(char16_t* out, int units, const char16_t* a, const char16_t* b);

// Plain unit-by-unit order (unsigned 16-bit values, a prefix first).
int WideCompareOrdinal(const char16_t* a, const char16_t* b);

// Equality ignoring ASCII letter case.
bool WideEqualsIgnoreAsciiCase(const char16_t* a, const char16_t* b);

// Widens an ASCII literal into out (for fixed names such as "RENFIL04.LOG").
void WideFromAscii(char16_t* out, int units, const char* ascii);
