// Which bytes are code page 932 text: every character one that the code
// page assigns (user-defined and unassigned codes are not).
#pragma once

#include <cstdint>

// True when bytes[0, length) is a whole sequence of assigned code page 932
// characters: ASCII (0x00..0x7F), half-width katakana (0xA1..0xDF) and the
// double-byte characters of the code page (JIS X 0208 with NEC's and IBM's
// extensions). False for a lead byte at the end, a byte no character begins
// with, or a code without a character.
bool IsAssignedCp932(const uint8_t* bytes, int length);
