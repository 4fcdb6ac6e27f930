// Console output of the stages: code page 932 text, formatted from the
// stage's own message formats and printed through the host layer.
#pragma once

// printf-style; the result is cut to 2047 bytes.
void ConsolePrintf(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// One answer: at most kAnswerBytes - 1 bytes of a line typed at a prompt.
constexpr int kAnswerBytes = 128;

// Reads one answer into line (kAnswerBytes). A longer line keeps its first
// bytes; the rest of it is read and dropped, so it never answers the next
// prompt. False at end of input.
bool ConsoleReadAnswer(char* line);
