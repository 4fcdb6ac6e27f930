#include "text/utf.h"

#include <climits>

namespace {

bool IsSurrogate(uint32_t cp) { return cp >= 0xD800 && cp <= 0xDFFF; }

// The length a UTF-8 sequence starting with lead announces, with the value
// bits of the lead and the least code point the length may hold; 0 for a
// byte that starts none.
int SequenceLength(unsigned char lead, uint32_t* value, uint32_t* minimum) {
  if (lead >= 0xC2 && lead <= 0xDF) {
    *value = lead & 0x1F;
    *minimum = 0x80;
    return 2;
  }
  if (lead >= 0xE0 && lead <= 0xEF) {
    *value = lead & 0x0F;
    *minimum = 0x800;
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    *value = lead & 0x07;
    *minimum = 0x10000;
    return 4;
  }
  return 0;
}

}  // namespace

int DecodeUtf8(const unsigned char* s, int avail, uint32_t* cp) {
  if (s[0] < 0x80) {
    *cp = s[0];
    return 1;
  }
  uint32_t value;
  uint32_t minimum;
  int length = SequenceLength(s[0], &value, &minimum);
  if (length == 0 || length > avail) {
    *cp = kReplacementChar;
    return 1;
  }
  for (int k = 1; k < length; ++k) {
    if ((s[k] & 0xC0) != 0x80) {
      *cp = kReplacementChar;
      return 1;
    }
    value = (value << 6) | (s[k] & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || IsSurrogate(value)) {
    *cp = kReplacementChar;
    return 1;
  }
  *cp = value;
  return length;
}

int DecodeUtf8(const char* text, uint32_t* cp) {
  if (text[0] == 0) return 0;
  // The terminator is no continuation byte: the decoder stops there.
  return DecodeUtf8(reinterpret_cast<const unsigned char*>(text), INT_MAX, cp);
}

bool IsCutUtf8(const unsigned char* s, int avail) {
  uint32_t value;
  uint32_t minimum;
  int length = SequenceLength(s[0], &value, &minimum);
  if (length <= avail) return false;
  for (int k = 1; k < avail; ++k) {
    if ((s[k] & 0xC0) != 0x80) return false;
  }
  return true;
}

int EncodeUtf8(uint32_t cp, char* out) {
  if (cp < 0x80) {
    out[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = static_cast<char>(0xC0 | (cp >> 6));
    out[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (cp >> 12));
    out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (cp >> 18));
  out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (cp & 0x3F));
  return 4;
}

int DecodeUtf16(const char16_t* text, int units, uint32_t* cp) {
  uint32_t unit = text[0];
  if (!IsSurrogate(unit)) {
    *cp = unit;
    return 1;
  }
  if (unit < 0xDC00 && units >= 2 && text[1] >= 0xDC00 && text[1] <= 0xDFFF) {
    *cp = 0x10000 + ((unit - 0xD800) << 10) + (text[1] - 0xDC00);
    return 2;
  }
  *cp = kReplacementChar;
  return 1;
}

int EncodeUtf16(uint32_t cp, char16_t* out) {
  if (cp < 0x10000) {
    out[0] = static_cast<char16_t>(cp);
    return 1;
  }
  cp -= 0x10000;
  out[0] = static_cast<char16_t>(0xD800 + (cp >> 10));
  out[1] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  return 2;
}
