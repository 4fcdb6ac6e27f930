#include "scan/line_reader.h"

#include <cstring>

bool ReadTextLine(std::FILE* file, char* buf, int size, bool& tooLong) {
  tooLong = false;
  if (std::fgets(buf, size, file) == nullptr) return false;
  size_t len = std::strlen(buf);
  if (len > 0 && buf[len - 1] == '\n') {
    buf[--len] = 0;
  } else {
    // No line end in the buffer: either the last line of the file or one
    // longer than the buffer. Drop what is left of it.
    int c;
    bool dropped = false;
    while ((c = std::fgetc(file)) != EOF && c != '\n') {
      if (c != '\r') dropped = true;
    }
    // A CR that stood just before the LF is a line end, not text.
    if (dropped) tooLong = true;
  }
  if (len > 0 && buf[len - 1] == '\r') buf[--len] = 0;
  return true;
}
