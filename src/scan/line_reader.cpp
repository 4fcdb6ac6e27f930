#include "scan/line_reader.h"

#include <cstdint>
#include <cstring>

#include "base/display_text.h"
#include "text/utf.h"

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

namespace {

// Units of a line kept for conversion: far more than a display line shows.
constexpr int kLineUnits = 1024;

// True when the file is well-formed UTF-8 with at least one character of
// more than one byte. bytes holds its first end bytes (room for 4 more);
// the rest is read in pieces of that size, a sequence cut by a piece's end
// finished with the next.
bool IsMultiByteUtf8(std::FILE* file, unsigned char* bytes, int room, int end) {
  bool multiByte = false;
  int kept = 0;
  while (end > kept) {
    int pos = 0;
    while (pos < end) {
      if (bytes[pos] < 0x80) {
        ++pos;
        continue;
      }
      if (IsCutUtf8(bytes + pos, end - pos)) break;
      uint32_t cp;
      int used = DecodeUtf8(bytes + pos, end - pos, &cp);
      if (used == 1) return false;  // a byte that begins no character
      multiByte = true;
      pos += used;
    }
    kept = end - pos;
    std::memmove(bytes, bytes + pos, static_cast<size_t>(kept));
    end = kept + static_cast<int>(std::fread(bytes + kept, 1, static_cast<size_t>(room), file));
  }
  return kept == 0 && multiByte;
}

// The next line of a UTF-8 file as units, without its line end; what does
// not fit is dropped. False at end of file.
bool ReadUtf8Line(std::FILE* file, char16_t* units) {
  unsigned char bytes[3 * kLineUnits + 4];
  int n = 0;
  int c = std::fgetc(file);
  if (c == EOF) return false;
  for (; c != EOF && c != '\n'; c = std::fgetc(file)) {
    if (n < static_cast<int>(sizeof bytes)) bytes[n++] = static_cast<unsigned char>(c);
  }
  if (n > 0 && bytes[n - 1] == '\r') --n;
  int count = 0;
  for (int pos = 0; pos < n && count + 2 < kLineUnits;) {
    uint32_t cp;
    pos += DecodeUtf8(bytes + pos, n - pos, &cp);
    count += EncodeUtf16(cp, units + count);
  }
  units[count] = 0;
  return true;
}

// The next line of a UTF-16 file (either byte order) as units, without its
// line end; what does not fit is dropped, and so is a lone last byte.
// False at end of file.
bool ReadUtf16Line(std::FILE* file, bool bigEndian, char16_t* units) {
  int count = 0;
  bool any = false;
  for (;;) {
    int first = std::fgetc(file);
    int second = first == EOF ? EOF : std::fgetc(file);
    if (second == EOF) break;
    any = true;
    char16_t unit =
        static_cast<char16_t>(bigEndian ? (first << 8 | second) : (second << 8 | first));
    if (unit == u'\n') break;
    if (count + 1 < kLineUnits) units[count++] = unit;
  }
  if (count > 0 && units[count - 1] == u'\r') --count;
  units[count] = 0;
  return any;
}

}  // namespace

TextEncoding FindTextEncoding(std::FILE* file) {
  // One pass from the start finds the mark or reads the file for UTF-8; a
  // file of one piece (most are) takes one read and one seek more than
  // reading its lines alone.
  constexpr int kPiece = 4096;
  unsigned char bytes[kPiece + 4];
  int end = static_cast<int>(std::fread(bytes, 1, kPiece, file));
  TextEncoding encoding = TextEncoding::kCp932;
  long start = 0;
  if (end >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    encoding = TextEncoding::kUtf8;
    start = 3;
  } else if (end >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    encoding = TextEncoding::kUtf16le;
    start = 2;
  } else if (end >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
    encoding = TextEncoding::kUtf16be;
    start = 2;
  } else if (IsMultiByteUtf8(file, bytes, kPiece, end)) {
    encoding = TextEncoding::kUtf8;
  }
  std::fseek(file, start, SEEK_SET);
  return encoding;
}

bool ReadDisplayTextLine(std::FILE* file, TextEncoding encoding, char* buf, int size) {
  if (encoding == TextEncoding::kCp932) {
    bool tooLong;
    return ReadTextLine(file, buf, size, tooLong);
  }
  char16_t units[kLineUnits];
  bool read = encoding == TextEncoding::kUtf8
                  ? ReadUtf8Line(file, units)
                  : ReadUtf16Line(file, encoding == TextEncoding::kUtf16be, units);
  if (!read) return false;
  DisplayTextFromWide(units, buf, size);
  return true;
}
