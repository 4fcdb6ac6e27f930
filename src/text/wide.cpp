#include "text/wide.h"

#include <cstring>

#include "text/ascii.h"

int WideLength(const char16_t* text) {
  int n = 0;
  while (text[n] != 0) ++n;
  return n;
}

bool WideCopy(char16_t* out, int units, const char16_t* text) {
  int i = 0;
  for (; text[i] != 0; ++i) {
    if (i + 1 >= units) {
      out[i] = 0;
      return false;
    }
    out[i] = text[i];
  }
  out[i] = 0;
  return true;
}

bool WideJoinPath(char16_t* out, int units, const char16_t* a, const char16_t* b) {
  int la = WideLength(a);
  int lb = WideLength(b);
  if (la + 1 + lb + 1 > units) {
    if (units > 0) out[0] = 0;
    return false;
  }
  // Paths are joined for every file of a card: whole copies, not unit loops.
  std::memmove(out, a, sizeof(char16_t) * static_cast<size_t>(la));
  out[la] = u'\\';
  std::memmove(out + la + 1, b, sizeof(char16_t) * static_cast<size_t>(lb));
  out[la + 1 + lb] = 0;
  return true;
}

int WideCompareOrdinal(const char16_t* a, const char16_t* b) {
  int i = 0;
  while (a[i] != 0 && a[i] == b[i]) ++i;
  return static_cast<int>(static_cast<uint16_t>(a[i])) -
         static_cast<int>(static_cast<uint16_t>(b[i]));
}

bool WideEqualsIgnoreAsciiCase(const char16_t* a, const char16_t* b) {
  int i = 0;
  for (; a[i] != 0 && b[i] != 0; ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return a[i] == b[i];
}

void WideFromAscii(char16_t* out, int units, const char* ascii) {
  int i = 0;
  for (; ascii[i] != 0 && i + 1 < units; ++i) out[i] = static_cast<unsigned char>(ascii[i]);
  if (units > 0) out[i] = 0;
}
