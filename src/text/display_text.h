// Text a person reads on the player: every title source (tags, old names
// from the logs, folder names, display-name lines) becomes code page 932
// display text here, in one way on every host.
#pragma once

// Converts text (UTF-16, terminated) to code page 932 display text in out
// (size bytes, terminated; a double-byte character is never cut). Returns
// the bytes written before the terminator.
int DisplayTextFromWide(const char16_t* text, char* out, int size);
