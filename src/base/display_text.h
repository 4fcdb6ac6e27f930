// Text a person reads on the player: every title source (tags, old names
// from the logs, folder names, display-name lines) becomes code page 932
// display text here, in one way on every host. Names the program uses as
// paths never pass through here: the host converts them exactly, with '?'
// for what the code page lacks (HostWideToCp932).
#pragma once

#include <cstdint>

// Converts text (UTF-16, terminated) to code page 932 display text in out
// (size bytes, terminated; a double-byte character is never cut). Returns
// the bytes written before the terminator.
//
// The text is composed first, as NFC composes it: a combining mark joins the
// character before it where Unicode has one character for the pair (カ and
// U+3099 become ガ, e and U+0301 é; Hangul by rule), so names a Mac wrote
// decomposed read as they were typed. Text that is already composed stays
// as it is. Then each character takes its own code page 932 code, or, for
// the characters that have none, the code Windows' best fit gives them (é
// becomes e, ¢ 0x8191 ￠, « 0x81E1 ≪) or the JIS form's (U+301C 〜 0x8160,
// U+2212 − 0x817C); '?' only where nothing maps.
int DisplayTextFromWide(const char16_t* text, char* out, int size);

// The code page 932 code best fit gives a character that has no code of its
// own (one byte, or lead x 256 + trail), or 0 when it has none.
uint16_t BestFitCp932(uint32_t cp);

// The canonical composition of the pair (first, second), or 0 when there is
// none.
uint32_t ComposePair(uint32_t first, uint32_t second);
