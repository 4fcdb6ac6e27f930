// Reading the text files of the scan (listings, display-name file) line by
// line into a fixed buffer. Lines end LF or CR LF.
#pragma once

#include <cstdio>

// Reads the next line into buf (size bytes) without its line end. A line
// that does not fit keeps its first size - 1 bytes in buf; the rest of it
// is read and dropped, and tooLong is set. Returns false at end of file.
bool ReadTextLine(std::FILE* file, char* buf, int size, bool& tooLong);

// The encodings a display-name file may be saved in.
enum class TextEncoding { kCp932, kUtf8, kUtf16le, kUtf16be };

// How the open file, read from its start, is encoded: by its byte-order
// mark (EF BB BF, FF FE, FE FF), which is passed over; else UTF-8 when the
// whole file is well-formed UTF-8 holding a character of more than one
// byte; else code page 932. The file is left where its text begins.
TextEncoding FindTextEncoding(std::FILE* file);

// Reads the next line as code page 932 display text into buf (size bytes,
// terminated) without its line end: a code page 932 line as ReadTextLine
// gives it, any other converted by DisplayTextFromWide (a long line keeps
// what fits, never half a character). Returns false at end of file.
bool ReadDisplayTextLine(std::FILE* file, TextEncoding encoding, char* buf, int size);
