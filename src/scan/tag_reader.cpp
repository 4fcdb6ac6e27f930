#include "scan/tag_reader.h"

#include <cstdint>
#include <cstring>

#include "base/display_text.h"
#include "platform/host.h"
#include "text/cp932_assigned.h"
#include "text/sjis.h"
#include "text/utf.h"

namespace {

constexpr int kTitleBytes = 256;    // title text at most; buffers hold 257
constexpr int kWindowBytes = 4096;  // read at once: the head of the file, later a stretch of it
constexpr int kFrameBytes = 4096;   // the most of a title frame read (any 256-byte title fits)
constexpr int kTitleUnits = 1024;   // UTF-16 units of a title decoded at most
constexpr int kV1Bytes = 128;       // the ID3v1 tag at the end of the file

// The file, read through one window of bytes.
struct Source {
  HostReader file;
  int64_t size = -1;  // the file's size once known
  int64_t windowStart = 0;
  int windowLength = 0;
  bool failed = false;  // a read failed
  uint8_t window[kWindowBytes];
};

// The bytes of the file from offset: at least need of them in the window
// (read there when they are not), *avail how many follow there. Null when
// the file ends before offset + need or reading fails.
const uint8_t* Fetch(Source& s, int64_t offset, int need, int* avail) {
  int64_t inWindow = s.windowStart + s.windowLength - offset;
  if (offset < s.windowStart || inWindow < need) {
    if (s.failed || (s.size >= 0 && offset + need > s.size)) return nullptr;
    int got = HostReadAt(s.file, offset, s.window, kWindowBytes);
    if (got < 0) {
      s.failed = true;
      got = 0;
    }
    s.windowStart = offset;
    s.windowLength = got;
    // A read stops short only at the end of the file.
    if (!s.failed && got < kWindowBytes && (got > 0 || offset == 0)) s.size = offset + got;
    inWindow = got;
    if (inWindow < need) return nullptr;
  }
  *avail = static_cast<int>(inWindow);
  return s.window + (offset - s.windowStart);
}

// The bytes of an ID3v2 tag after its header. Where the whole tag was
// unsynchronised (2.2, 2.3), the zero byte written after each FF is dropped.
struct TagStream {
  Source* source;
  int64_t pos;  // the next byte in the file
  int64_t end;  // the end of the tag in the file
  bool unsync;
  bool afterFF = false;
};

// Copies the next n bytes of the tag into out, or passes over them when out
// is null (without reading them, unless the tag is unsynchronised). Returns
// how many there were: fewer than n at the end of the tag or the file.
int64_t Take(TagStream& t, uint8_t* out, int64_t n) {
  int64_t done = 0;
  if (out == nullptr && !t.unsync) {
    done = n < t.end - t.pos ? n : t.end - t.pos;
    t.pos += done;
    return done;
  }
  while (done < n && t.pos < t.end) {
    int avail = 0;
    const uint8_t* bytes = Fetch(*t.source, t.pos, 1, &avail);
    if (bytes == nullptr) break;
    if (avail > t.end - t.pos) avail = static_cast<int>(t.end - t.pos);
    for (int i = 0; i < avail && done < n; ++i) {
      uint8_t b = bytes[i];
      ++t.pos;
      if (t.unsync && t.afterFF && b == 0) {
        t.afterFF = false;
        continue;
      }
      t.afterFF = b == 0xFF;
      if (out != nullptr) out[done] = b;
      ++done;
    }
  }
  return done;
}

uint32_t BigEndian(const uint8_t* p, int bytes) {
  uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value = value << 8 | p[i];
  return value;
}

// Seven bits of each of four bytes.
uint32_t Syncsafe(const uint8_t* p) {
  return uint32_t{p[0] & 0x7Fu} << 21 | uint32_t{p[1] & 0x7Fu} << 14 | uint32_t{p[2] & 0x7Fu} << 7 |
         uint32_t{p[3] & 0x7Fu};
}

bool IsFrameIdByte(uint8_t b) { return (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9'); }

// Drops the zero byte after each FF in place; returns the new length.
int Resynchronise(uint8_t* bytes, int length) {
  int out = 0;
  for (int i = 0; i < length; ++i) {
    if (i > 0 && bytes[i] == 0 && bytes[i - 1] == 0xFF) continue;
    bytes[out++] = bytes[i];
  }
  return out;
}

// --- Text to the title ---------------------------------------------------------

// UTF-16 units (count of them) to display text.
void TitleFromUnits(char16_t* units, int count, char* title) {
  units[count] = 0;
  DisplayTextFromWide(units, title, kTitleBytes + 1);
}

// Single-byte text up to its first zero: when every character is one that
// code page 932 assigns, the bytes are display text as they stand (Japanese
// taggers write it so); otherwise each byte is an ISO-8859-1 character.
// Shift-JIS is kept as it is rather than taken through UTF-16: composing 45
// of the code page's own characters (the angstrom sign, the compatibility
// ideographs of NEC's and IBM's rows) would give other codes or '?'.
void TitleFromSingleBytes(const uint8_t* text, int n, char* title) {
  int length = 0;
  while (length < n && text[length] != 0) ++length;
  if (IsAssignedCp932(text, length)) {
    char bytes[kTitleBytes + 2];  // what the cut at 256 bytes looks at
    int kept = length < kTitleBytes + 1 ? length : kTitleBytes + 1;
    std::memcpy(bytes, text, static_cast<size_t>(kept));
    bytes[kept] = 0;
    SjisCopyCut(title, bytes, kTitleBytes);
    return;
  }
  char16_t units[kTitleUnits + 1];
  int count = 0;
  for (; count < length && count < kTitleUnits; ++count) units[count] = text[count];
  TitleFromUnits(units, count, title);
}

// UTF-16 up to its first zero unit, in the order its mark gives (FF FE
// little-endian, FE FF big-endian; bigEndian without one).
void TitleFromUtf16(const uint8_t* text, int n, bool bigEndian, char* title) {
  int i = 0;
  if (n >= 2 && ((text[0] == 0xFF && text[1] == 0xFE) || (text[0] == 0xFE && text[1] == 0xFF))) {
    bigEndian = text[0] == 0xFE;
    i = 2;
  }
  char16_t units[kTitleUnits + 1];
  int count = 0;
  for (; i + 1 < n && count < kTitleUnits; i += 2) {
    char16_t unit = bigEndian ? static_cast<char16_t>(text[i] << 8 | text[i + 1])
                              : static_cast<char16_t>(text[i + 1] << 8 | text[i]);
    if (unit == 0) break;
    units[count++] = unit;
  }
  TitleFromUnits(units, count, title);
}

// UTF-8 up to its first zero byte (a leading mark passed over); a byte
// that does not belong gives U+FFFD.
void TitleFromUtf8(const uint8_t* text, int n, char* title) {
  int i = n >= 3 && text[0] == 0xEF && text[1] == 0xBB && text[2] == 0xBF ? 3 : 0;
  char16_t units[kTitleUnits + 2];
  int count = 0;
  while (i < n && text[i] != 0 && count < kTitleUnits) {
    uint32_t cp;
    i += DecodeUtf8(text + i, n - i, &cp);
    count += EncodeUtf16(cp, units + count);
  }
  TitleFromUnits(units, count, title);
}

// A text frame's body: its encoding byte, then the text (of several, the
// first).
void TitleFromTextFrame(const uint8_t* body, int length, char* title) {
  title[0] = 0;
  if (length < 1) return;
  const uint8_t* text = body + 1;
  int n = length - 1;
  switch (body[0]) {
    case 0:
      TitleFromSingleBytes(text, n, title);
      break;
    case 1:
      TitleFromUtf16(text, n, false, title);
      break;
    case 2:
      TitleFromUtf16(text, n, true, title);
      break;
    case 3:
      TitleFromUtf8(text, n, title);
      break;
    default:
      break;  // no encoding of this version
  }
}

// --- ID3v2 -------------------------------------------------------------------

// Walks the frames of the tag by their sizes; the first top-level title
// frame with text gives the title. Frames inside others (a chapter's own
// title) are passed over with the frame that holds them.
void WalkFrames(TagStream& t, int major, bool tagUnsync, char* title) {
  const int headerBytes = major == 2 ? 6 : 10;
  const int idBytes = major == 2 ? 3 : 4;
  const char* titleId = major == 2 ? "TT2" : "TIT2";
  uint8_t body[kFrameBytes];
  for (;;) {
    uint8_t header[10];
    if (Take(t, header, headerBytes) < headerBytes) return;
    for (int i = 0; i < idBytes; ++i) {
      if (!IsFrameIdByte(header[i])) return;  // padding, or no frame: the frames end
    }
    int64_t size;
    if (major == 2) {
      size = BigEndian(header + 3, 3);
    } else if (major == 3 || (header[4] | header[5] | header[6] | header[7]) & 0x80) {
      size = BigEndian(header + 4, 4);  // a 2.4 size that is no syncsafe number is a plain one
    } else {
      size = Syncsafe(header + 4);
    }
    if (std::memcmp(header, titleId, static_cast<size_t>(idBytes)) != 0) {
      if (Take(t, nullptr, size) < size) return;
      continue;
    }
    int64_t want = size < kFrameBytes ? size : kFrameBytes;
    if (Take(t, body, want) < want || Take(t, nullptr, size - want) < size - want) {
      return;  // the frame runs past the end of the tag
    }
    int start = 0;
    int length = static_cast<int>(want);
    uint8_t format = major == 2 ? 0 : header[9];
    if (major == 3) {
      if ((format & 0xC0) != 0) continue;   // compressed or encrypted
      if ((format & 0x20) != 0) start = 1;  // its group
    } else if (major == 4) {
      if ((format & 0x0C) != 0) continue;    // compressed or encrypted
      if ((format & 0x40) != 0) start += 1;  // its group
      if ((format & 0x01) != 0) start += 4;  // its data length
      if (start <= length && ((format & 0x02) != 0 || tagUnsync)) {
        length = start + Resynchronise(body + start, length - start);
      }
    }
    if (start > length) continue;
    TitleFromTextFrame(body + start, length - start, title);
    if (title[0] != 0) return;
  }
}

// The title of the ID3v2 tag at the start of the file, or none.
void ReadV2Title(Source& s, char* title) {
  int avail = 0;
  const uint8_t* h = Fetch(s, 0, 10, &avail);
  if (h == nullptr || std::memcmp(h, "ID3", 3) != 0) return;
  int major = h[3];
  uint8_t flags = h[5];
  if (major < 2 || major > 4 || h[4] == 0xFF || ((h[6] | h[7] | h[8] | h[9]) & 0x80) != 0) return;
  TagStream t{&s, 10, 10 + int64_t{Syncsafe(h + 6)}, major < 4 && (flags & 0x80) != 0};
  if ((flags & 0x40) != 0) {
    if (major == 2) return;  // a compressed 2.2 tag
    uint8_t ext[4];
    if (Take(t, ext, 4) < 4) return;
    int64_t rest = major == 3 ? int64_t{BigEndian(ext, 4)} : int64_t{Syncsafe(ext)} - 4;
    if (rest < 0 || Take(t, nullptr, rest) < rest) return;
  }
  WalkFrames(t, major, (flags & 0x80) != 0, title);
}

// --- ID3v1 -------------------------------------------------------------------

// The title field of the ID3v1 tag ("TAG", then 30 bytes) in the last 128
// bytes of the file, trailing spaces and zeros trimmed.
void ReadV1Title(Source& s, char* title) {
  if (s.size < 0) s.size = HostReaderSize(s.file);
  int avail = 0;
  const uint8_t* tag = s.size >= kV1Bytes ? Fetch(s, s.size - kV1Bytes, kV1Bytes, &avail) : nullptr;
  if (tag == nullptr || std::memcmp(tag, "TAG", 3) != 0) return;
  const uint8_t* field = tag + 3;
  int length = 0;
  while (length < 30 && field[length] != 0) ++length;
  while (length > 0 && field[length - 1] == ' ') --length;
  TitleFromSingleBytes(field, length, title);
}

}  // namespace

bool ReadId3Title(const char* path, char* title) {
  title[0] = 0;
  Source s;
  if (!HostOpenReader(s.file, path)) return false;
  int avail = 0;
  Fetch(s, 0, 1, &avail);  // the head of the file, in one read
  bool read = !s.failed;
  if (read) ReadV2Title(s, title);
  if (read && title[0] == 0) ReadV1Title(s, title);
  HostCloseReader(s.file);
  return read;
}
