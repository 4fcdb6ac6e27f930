#include "scan/title_sources.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "base/console.h"
#include "base/work_log.h"
#include "state/run_state.h"
#include "platform/host.h"
#include "rename/rename_log.h"
#include "scan/line_reader.h"
#include "scan/messages.h"
#include "text/display_text.h"
#include "text/sjis.h"

namespace {

constexpr int kTitleBytes = 256;     // title text at most; buffers hold 257
constexpr int kTagBytes = 1024;      // the part of an MP3 file the tag reader looks at
constexpr int kLongNameBytes = 128;  // first column of the display-name file

// Bytes, not characters: the rest of a display-name line after its TAB and
// the blanks that follow it.
const char* SkipBlanks(const char* p) {
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

}  // namespace

bool ReadDisplayNameFile(RunState& state, const char* folderPath) {
  state.displayNameCount = 0;
  char path[kPathTextBytes + 32];
  JoinPathText(path, sizeof path, folderPath, kDisplayNameFile);
  std::FILE* file = HostOpen(path, "rb");
  if (file == nullptr) return false;

  // The stream's own buffer (it is closed before the next folder's file),
  // so that it need not ask the system for a buffer size first.
  static char buffer[8192];
  std::setvbuf(file, buffer, _IOFBF, sizeof buffer);
  // Shift-JIS as it stands, or UTF-8 or UTF-16 as display text: a first
  // column then reads as the old name from the log does, composed.
  TextEncoding encoding = FindTextEncoding(file);
  char line[256];  // at most 255 bytes of a line are used
  bool full = false;
  while (ReadDisplayTextLine(file, encoding, line, sizeof line)) {
    char* tab = std::strchr(line, '\t');
    if (tab == nullptr) continue;
    if (state.displayNameCount >= kNameTableRows) {
      if (!full) ConsolePrintf(kMsgDisplayNameLimit, folderPath);
      full = true;
      continue;
    }
    NameRecord& row = state.displayNameTable[state.displayNameCount];
    std::memset(&row, 0, sizeof row);
    size_t nameLength = static_cast<size_t>(tab - line);
    if (nameLength > kLongNameBytes) nameLength = kLongNameBytes;
    std::memcpy(row.longName, line, nameLength);
    const char* title = SkipBlanks(tab + 1);
    std::memcpy(row.title, title, std::strlen(title));  // at most 254 bytes
    ++state.displayNameCount;
  }
  std::fclose(file);
  return true;
}

int LookUpTrackNames(const RunState& state, const char* shortName, char* title,
                     char* preRenameName) {
  title[0] = 0;
  if (!FindPreRenameName(state, shortName, preRenameName)) return 0;
  for (int i = 0; i < state.displayNameCount; ++i) {
    const NameRecord& row = state.displayNameTable[i];
    if (std::strcmp(row.longName, preRenameName) == 0) {
      std::memcpy(title, row.title, sizeof row.title);
      title[kTitleBytes] = 0;
      return 1;
    }
  }
  return 0;
}

// --- The ID3v2 tag ---------------------------------------------------------

namespace {

struct TagBuffer {
  uint8_t bytes[kTagBytes];
};

bool IsAt(const TagBuffer& tag, int p, const char* id) {
  if (p < 0 || p >= kTagBytes || tag.bytes[p] != static_cast<uint8_t>(id[0])) return false;
  int n = static_cast<int>(std::strlen(id));
  if (p < 0 || p + n > kTagBytes) return false;
  return std::memcmp(tag.bytes + p, id, static_cast<size_t>(n)) == 0;
}

// Position of the first byte equal to value from start, or -1 before the end.
int FindByte(const TagBuffer& tag, int start, uint8_t value) {
  if (start >= kTagBytes) return -1;
  const void* at = std::memchr(tag.bytes + start, value, static_cast<size_t>(kTagBytes - start));
  return at == nullptr ? -1 : static_cast<int>(static_cast<const uint8_t*>(at) - tag.bytes);
}

int FindZeroByte(const TagBuffer& tag, int start) { return FindByte(tag, start, 0); }

// The first position from p that holds a 'T' (where every frame id looked
// for begins), or kTagBytes.
int NextT(const TagBuffer& tag, int p) {
  int t = FindByte(tag, p, 'T');
  return t < 0 ? kTagBytes : t;
}

// Position of the first pair of zero bytes at an even distance from start,
// or -1 when none lies wholly inside the buffer.
int FindZeroUnit(const TagBuffer& tag, int start, int end) {
  for (int i = start; i + 1 < end; i += 2) {
    if (tag.bytes[i] == 0 && tag.bytes[i + 1] == 0) return i;
  }
  return -1;
}

// Little-endian UTF-16 from bytes[start, end) up to the first zero unit
// into code page 932, at most 255 bytes of text and a zero. A trailing odd
// byte is not a unit.
void ConvertUtf16Le(const TagBuffer& tag, int start, int end, char* title) {
  char16_t units[kTagBytes / 2 + 1];
  int count = 0;
  for (int i = start; i + 1 < end; i += 2) {
    char16_t unit = static_cast<char16_t>(tag.bytes[i] | (tag.bytes[i + 1] << 8));
    if (unit == 0) break;
    units[count++] = unit;
  }
  units[count] = 0;
  DisplayTextFromWide(units, title, kTitleBytes);
}

// A UTF-16 text in bytes[start, end) by its byte-order mark: FF FE or none
// is little-endian and converted; FE FF is not read and leaves the title.
void ConvertUtf16Text(const TagBuffer& tag, int start, int end, char* title) {
  if (start + 1 < end && tag.bytes[start] == 0xFE && tag.bytes[start + 1] == 0xFF) return;
  if (start + 1 < end && tag.bytes[start] == 0xFF && tag.bytes[start + 1] == 0xFE) start += 2;
  ConvertUtf16Le(tag, start, end, title);
}

// ID3v2.2: every TT2 frame replaces the title, the last one wins; TAL texts
// are passed over. The frame sizes are not used: the texts end at their
// terminators.
void ScanVersion22(const TagBuffer& tag, char* title) {
  for (int p = NextT(tag, 10); p < kTagBytes; p = NextT(tag, p + 1)) {
    bool isTitle = IsAt(tag, p, "TT2");
    if (!isTitle && !IsAt(tag, p, "TAL")) continue;
    int text = p + 7;
    if (text > kTagBytes) continue;
    uint8_t encoding = p + 6 < kTagBytes ? tag.bytes[p + 6] : 0;
    int end;  // the terminator's position, or -1 when the text runs to the end
    if (encoding == 0) {
      end = FindZeroByte(tag, text);
      if (isTitle) {
        // Cut at the end of the bytes read, then at 256 bytes on a character
        // boundary.
        char raw[kTagBytes + 1];
        int length = (end < 0 ? kTagBytes : end) - text;
        std::memcpy(raw, tag.bytes + text, static_cast<size_t>(length));
        raw[length] = 0;
        SjisCopyCut(title, raw, kTitleBytes);
      }
      if (end >= 0) p = end;  // goes on after the zero byte
    } else {
      end = FindZeroUnit(tag, text, kTagBytes);
      if (isTitle) ConvertUtf16Text(tag, text, kTagBytes, title);
      if (end >= 0) p = end + 1;  // goes on after the zero unit
    }
  }
}

// ID3v2.3: the first TIT2 frame only. Encoding 1 is UTF-16 and converted;
// other encodings are copied as they stand. The text is the frame's own
// bytes: its size less the encoding byte, at most 256, never past the bytes
// read.
void ScanVersion23(const TagBuffer& tag, char* title) {
  for (int p = NextT(tag, 10); p < kTagBytes; p = NextT(tag, p + 1)) {
    if (!IsAt(tag, p, "TIT2")) continue;
    if (p + 11 > kTagBytes) return;  // the frame header runs past the bytes read
    uint32_t size = (uint32_t{tag.bytes[p + 4]} << 24) | (uint32_t{tag.bytes[p + 5]} << 16) |
                    (uint32_t{tag.bytes[p + 6]} << 8) | uint32_t{tag.bytes[p + 7]};
    int length =
        size == 0 ? 0 : (size - 1 > kTitleBytes ? kTitleBytes : static_cast<int>(size - 1));
    int start = p + 11;
    if (length > kTagBytes - start) length = kTagBytes - start;
    if (tag.bytes[p + 10] == 1) {
      ConvertUtf16Text(tag, start, start + length, title);
    } else {
      std::memcpy(title, tag.bytes + start, static_cast<size_t>(length));
      title[length] = 0;
    }
    return;
  }
}

}  // namespace

void ReadTagTitle(RunState& state, const char* folderPath, const char* fileName, char* title) {
  title[0] = 0;
  char path[2 * kPathTextBytes + 2];
  JoinPathText(path, sizeof path, folderPath, fileName, 127);
  TagBuffer tag{};  // a short file leaves zeros
  char line[sizeof path + 64];
  if (HostReadFileHead(path, tag.bytes, sizeof tag.bytes) < 0) {
    std::snprintf(line, sizeof line, kMsgTagOpenError, folderPath, fileName);
    WriteWorkLog(state, line);
    return;
  }

  if (std::memcmp(tag.bytes, "ID3", 3) == 0) {
    if (tag.bytes[3] == 2) ScanVersion22(tag, title);
    if (tag.bytes[3] == 3) ScanVersion23(tag, title);
  }
  if (title[0] == 0) {
    std::snprintf(line, sizeof line, kMsgTagNoTitle, folderPath);
    WriteWorkLog(state, line);
  }
}
