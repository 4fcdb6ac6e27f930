#include "scan/line_reader.h"

#include <cstdint>
#include <cstring>

#include "text/display_text.h"
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

// True when the rest of the file is well-formed UTF-8 with at least one
// character of more than one byte. Read in pieces; a sequence cut by a
// piece's end is finished with the next.
bool RestIsMultiByteUtf8(std::FILE* file) {
  unsigned char bytes[4096 + 4];
  int kept = 0;
  bool multiByte = false;
  for (;;) {
    int end = kept + static_cast<int>(std::fread(bytes + kept, 1, 4096, file));
    if (end == kept) return kept == 0 && multiByte;
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
  }
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
  unsigned char head[3] = {0, 0, 0};
  size_t n = std::fread(head, 1, sizeof head, file);
  if (n == 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) return TextEncoding::kUtf8;
  if (n >= 2 && head[0] == 0xFF && head[1] == 0xFE) {
    std::fseek(file, 2, SEEK_SET);
    return TextEncoding::kUtf16le;
  }
  if (n >= 2 && head[0] == 0xFE && head[1] == 0xFF) {
    std::fseek(file, 2, SEEK_SET);
    return TextEncoding::kUtf16be;
  }
  std::fseek(file, 0, SEEK_SET);
  bool utf8 = RestIsMultiByteUtf8(file);
  std::fseek(file, 0, SEEK_SET);
  return utf8 ? TextEncoding::kUtf8 : TextEncoding::kCp932;
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
