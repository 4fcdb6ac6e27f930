// Console output of the stages: code page 932 text, formatted from the
// stage's own message formats and printed through the host layer.
#pragma once

// printf-style; the result is cut to 2047 bytes.
void ConsolePrintf(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
