// Reading the text files of the scan (listings, display-name file) line by
// line into a fixed buffer. Lines end LF or CR LF.
#pragma once

#include <cstdio>

// Reads the next line into buf (size bytes) without its line end. A line
// that does not fit keeps its first size - 1 bytes in buf; the rest of it
// is read and dropped, and tooLong is set. Returns false at end of file.
bool ReadTextLine(std::FILE* file, char* buf, int size, bool& tooLong);
