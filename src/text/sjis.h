// Shift-JIS (code page 932) primitives. A byte is a lead byte only at a
// character boundary counted from the start of the text; lengths and cuts
// count bytes.
#pragma once

#include <cstdint>

// True for the lead-byte ranges 0x81..0x9F and 0xE0..0xFC.
inline bool IsSjisLeadByte(uint8_t byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The full-width (JIS X 0208) counterpart of a half-width byte: ASCII
// 0x20..0x7E and katakana 0xA1..0xDF; every other byte is returned as is.
uint16_t MbbToMbc(uint8_t byte);

// The longest prefix of text, at most maxBytes bytes, that ends at a
// character boundary (a double-byte character is never split).
int SjisCutLength(const char* text, int maxBytes);

// Copies at most maxBytes bytes of text into out (which holds
// maxBytes + 1), never splitting a double-byte character, and terminates.
void SjisCopyCut(char* out, const char* text, int maxBytes);

// out = folder + "\" + the first nameMax bytes of name, cut to size - 1
// bytes and terminated, as snprintf would write it but without a format to
// parse, since the path of every file of a card is joined here. Returns the
// length the whole join would have (greater than size - 1 when it was cut).
int JoinPathText(char* out, int size, const char* folder, const char* name, int nameMax = 1 << 30);
