// Host-independent parts of the host layer: name rules, listing order,
// pattern matching and the code page 932 character walk.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/host.h"
#include "platform/host_internal.h"
#include "text/sjis.h"
#include "text/utf.h"

// --- Names -------------------------------------------------------------------

bool HostIsFatInvalidName(const char16_t* name, int units) {
  if (units <= 0) return true;
  for (int i = 0; i < units; ++i) {
    char16_t c = name[i];
    if (c < 0x20) return true;
    switch (c) {
      case u'\\':
      case u'/':
      case u':':
      case u'*':
      case u'?':
      case u'"':
      case u'<':
      case u'>':
      case u'|':
        return true;
      default:
        break;
    }
  }
  return false;
}

bool HostEqualsIgnoreAsciiCase(const char16_t* a, int aUnits, const char16_t* b, int bUnits) {
  if (aUnits != bUnits) return false;
  for (int i = 0; i < aUnits; ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

bool HostIsDotName(const char16_t* name, int units) {
  return name[0] == u'.' && (units == 1 || (units == 2 && name[1] == u'.'));
}

int HostCompareListingNames(const char16_t* a, const char16_t* b) {
  int i = 0;
  while (a[i] != 0 && AsciiUpper(a[i]) == AsciiUpper(b[i])) ++i;
  int folded = static_cast<int>(AsciiUpper(a[i])) - static_cast<int>(AsciiUpper(b[i]));
  if (folded != 0) return folded;
  // Same apart from letter case: plain unit order decides.
  i = 0;
  while (a[i] != 0 && a[i] == b[i]) ++i;
  return static_cast<int>(a[i]) - static_cast<int>(b[i]);
}

namespace {

// Wildcard match of pattern[p..] against name[n..]; '*' any run, '?' one unit.
// Iterative with one backtrack point, so it cannot recurse deeply.
bool MatchWildcard(const char16_t* pattern, const char16_t* name) {
  const char16_t* starPattern = nullptr;
  const char16_t* starName = nullptr;
  while (*name != 0) {
    if (*pattern == u'*') {
      starPattern = ++pattern;
      starName = name;
    } else if (*pattern == u'?' || (*pattern != 0 && AsciiUpper(*pattern) == AsciiUpper(*name))) {
      ++pattern;
      ++name;
    } else if (starPattern != nullptr) {
      pattern = starPattern;
      name = ++starName;
    } else {
      return false;
    }
  }
  while (*pattern == u'*') ++pattern;
  return *pattern == 0;
}

}  // namespace

bool HostMatchPattern(const char16_t* pattern, const char16_t* name) {
  if (pattern[0] == u'*' &&
      (pattern[1] == 0 || (pattern[1] == u'.' && pattern[2] == u'*' && pattern[3] == 0))) {
    return true;
  }
  // "*.EXT" (no other wildcard): the text after the name's last dot is EXT.
  if (pattern[0] == u'*' && pattern[1] == u'.') {
    const char16_t* ext = pattern + 2;
    bool plain = true;
    for (const char16_t* p = ext; *p != 0; ++p) {
      plain = plain && *p != u'*' && *p != u'?' && *p != u'.';
    }
    if (plain) {
      const char16_t* dot = nullptr;
      for (const char16_t* p = name; *p != 0; ++p) {
        if (*p == u'.') dot = p;
      }
      if (dot == nullptr) return false;
      const char16_t* a = dot + 1;
      const char16_t* b = ext;
      while (*a != 0 && *b != 0 && AsciiUpper(*a) == AsciiUpper(*b)) ++a, ++b;
      return *a == 0 && *b == 0;
    }
  }
  return MatchWildcard(pattern, name);
}

// --- Code page 932 ---------------------------------------------------------

namespace {

bool IsTrail(uint8_t b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }
bool IsHalfKana(uint8_t b) { return b >= 0xA1 && b <= 0xDF; }

}  // namespace

int HostDecodeCp932Char(const char* text, char16_t* out) {
  uint8_t b = static_cast<uint8_t>(text[0]);
  if (b == 0) return 0;
  if (b < 0x80) {
    *out = b;
    return 1;
  }
  if (IsHalfKana(b)) {
    *out = static_cast<char16_t>(0xFF61 + (b - 0xA1));
    return 1;
  }
  if (IsSjisLeadByte(b)) {
    uint8_t t = static_cast<uint8_t>(text[1]);
    if (IsTrail(t)) {
      if (!HostMapDoubleByte(b, t, out)) *out = u'?';
      return 2;
    }
  }
  // 0x80, 0xA0, 0xFD..0xFF, or a lead byte without its trail byte.
  *out = u'?';
  return 1;
}

int HostCp932ToWide(const char* text, char16_t* out, int units) {
  if (units <= 0) return 0;
  int n = 0;
  int pos = 0;
  while (n + 1 < units) {
    char16_t c;
    int used = HostDecodeCp932Char(text + pos, &c);
    if (used == 0) break;
    pos += used;
    out[n++] = c;
  }
  out[n] = 0;
  return n;
}

namespace {

// The code page 932 bytes of the character starting at text (1 or 2 units
// consumed, reported in *used). Returns the byte count, 1 or 2.
int EncodeWideChar(const char16_t* text, int* used, uint8_t out[2]) {
  char16_t c = text[0];
  *used = 1;
  if (c < 0x80) {
    out[0] = static_cast<uint8_t>(c);
    return 1;
  }
  if (c >= 0xFF61 && c <= 0xFF9F) {
    out[0] = static_cast<uint8_t>(0xA1 + (c - 0xFF61));
    return 1;
  }
  if (c >= 0xD800 && c <= 0xDFFF) {
    // Characters beyond the basic plane are not in code page 932: one '?'
    // for a whole surrogate pair (the text is terminated: text[1] is there).
    uint32_t cp;
    *used = DecodeUtf16(text, 2, &cp);
    out[0] = '?';
    return 1;
  }
  uint8_t bytes[2];
  int n = HostMapWideUnit(c, bytes);
  // Only exact mappings count: the host's best-fit substitutes (U+00A5 to
  // 0x5C, U+301C to 0x8160 ...) do not map back and become '?', so both
  // hosts give the same bytes.
  char16_t back;
  if (n == 2 && IsSjisLeadByte(bytes[0]) && IsTrail(bytes[1]) &&
      HostMapDoubleByte(bytes[0], bytes[1], &back) && back == c) {
    out[0] = bytes[0];
    out[1] = bytes[1];
    return 2;
  }
  out[0] = '?';
  return 1;
}

}  // namespace

int HostWideToCp932(const char16_t* text, char* out, int size) {
  if (size <= 0) return 0;
  int n = 0;
  int pos = 0;
  while (text[pos] != 0) {
    if (text[pos] < 0x80) {  // most text is ASCII: the same byte
      if (n + 1 > size - 1) break;
      out[n++] = static_cast<char>(text[pos++]);
      continue;
    }
    uint8_t bytes[2];
    int used;
    int len = EncodeWideChar(text + pos, &used, bytes);
    if (n + len > size - 1) break;  // never cut a double-byte character
    for (int k = 0; k < len; ++k) out[n++] = static_cast<char>(bytes[k]);
    pos += used;
  }
  out[n] = 0;
  return n;
}

namespace {

// The temporary directory as HostGetTempDirectory showed it and as the host
// names it: a path that begins with the shown text is reached through the
// host's own, which may hold characters code page 932 lacks.
char tempShown[1024];
char16_t tempTrue[kHostPathUnits];

}  // namespace

void HostKeepTempDirectory(const char* shown, const char16_t* wide) {
  int n = 0;
  while (wide[n] != 0 && n < 1023) ++n;
  if (wide[n] != 0 || std::strlen(shown) >= sizeof tempShown) {
    tempShown[0] = 0;
    return;
  }
  std::memcpy(tempTrue, wide, sizeof(char16_t) * static_cast<size_t>(n + 1));
  std::strcpy(tempShown, shown);
}

bool ToWidePath(const char* cp932, char16_t* out, int units) {
  const size_t shown = std::strlen(tempShown);
  if (shown > 0 && std::strncmp(cp932, tempShown, shown) == 0) {
    int n = 0;
    while (tempTrue[n] != 0) ++n;
    if (n + static_cast<int>(std::strlen(cp932 + shown)) >= units) return false;
    std::memcpy(out, tempTrue, sizeof(char16_t) * static_cast<size_t>(n));
    HostCp932ToWide(cp932 + shown, out + n, units - n);
    return true;
  }
  if (static_cast<int>(std::strlen(cp932)) >= units) return false;
  HostCp932ToWide(cp932, out, units);
  return true;
}

// The code page 932 forms of the wide calls.
bool HostExistsA(const char* path) {
  char16_t wide[kHostPathUnits];
  return ToWidePath(path, wide, 1024) && HostExists(wide);
}

std::FILE* HostOpen(const char* path, const char* mode) {
  char16_t wide[kHostPathUnits];
  return ToWidePath(path, wide, 1024) ? HostOpenW(wide, mode) : nullptr;
}

// --- Name pool ---------------------------------------------------------------

HostNamePool& HostListingPool() {
  static HostNamePool pool;
  return pool;
}

bool HostPoolPush(HostNamePool& pool, const char16_t* name, char16_t flags) {
  int len = 0;
  while (name[len] != 0) ++len;
  if (pool.nameCount >= HostNamePool::kMaxNames ||
      pool.unitCount + len + 2 > HostNamePool::kMaxUnits) {
    return false;
  }
  pool.units[pool.unitCount++] = flags;  // just before the name
  pool.nameStart[pool.nameCount++] = pool.unitCount;
  for (int i = 0; i <= len; ++i) pool.units[pool.unitCount++] = name[i];
  return true;
}

void HostPoolSort(HostNamePool& pool, int first) {
  const char16_t* base = pool.units;
  std::sort(pool.nameStart + first, pool.nameStart + pool.nameCount,
            [base](int a, int b) { return HostCompareListingNames(base + a, base + b) < 0; });
}

void HostPoolPop(HostNamePool& pool, int first) {
  if (first >= pool.nameCount) return;
  pool.unitCount = pool.nameStart[first];
  // nameStart[first..] was sorted, so the lowest start among them is the
  // true top of the unit stack (less the flags unit before it).
  for (int i = first; i < pool.nameCount; ++i) {
    if (pool.nameStart[i] < pool.unitCount) pool.unitCount = pool.nameStart[i];
  }
  pool.unitCount -= 1;
  pool.nameCount = first;
}

int HostWriteListingLine(std::FILE* file, const char16_t* line) {
  char buf[1024 + 2];
  int written = 0;
  // Converted a piece at a time so a line of any length is written whole;
  // a line of one piece (almost every one) is converted where it stands and
  // goes out with its line end in one write.
  for (;;) {
    const char16_t* text = line;
    int n = 0;
    while (n < 255 && text[n] != 0) ++n;
    bool last = text[n] == 0;
    char16_t piece[256];
    if (!last) {
      // Keep a surrogate pair together.
      if (text[254] >= 0xD800 && text[254] < 0xDC00) n = 254;
      for (int k = 0; k < n; ++k) piece[k] = text[k];
      piece[n] = 0;
      text = piece;
    }
    int bytes = HostWideToCp932(text, buf, 1024);
    if (last) {
      buf[bytes++] = '\r';
      buf[bytes++] = '\n';
    }
    if (std::fwrite(buf, 1, static_cast<size_t>(bytes), file) != static_cast<size_t>(bytes)) {
      return -1;
    }
    written += bytes;
    if (last) return written;
    line += n;
  }
}

// Input lines are bytes on both hosts; a CR LF line end reads as LF.
bool HostReadLine(char* buf, int size) {
  std::fflush(stdout);
  if (size <= 1 || std::fgets(buf, size, stdin) == nullptr) return false;
  size_t len = std::strlen(buf);
  if (len >= 2 && buf[len - 2] == '\r' && buf[len - 1] == '\n') {
    buf[len - 2] = '\n';
    buf[len - 1] = 0;
  }
  return true;
}

// --- Test seam ----------------------------------------------------------------

void HostStepPoint() {
  static long stopAt = -1;  // -1: not read yet; 0: no stop
  static long points = 0;
  if (stopAt < 0) {
    const char* text = std::getenv("CARDPREP_TEST_STOP_AT");
    stopAt = text != nullptr ? std::strtol(text, nullptr, 10) : 0;
    if (stopAt < 0) stopAt = 0;
  }
  if (stopAt == 0 || ++points != stopAt) return;
  const char* by = std::getenv("CARDPREP_TEST_STOP_BY");
  if (by != nullptr && std::strcmp(by, "interrupt") == 0) {
    HostInterruptAsCtrlC();
  } else {
    HostEndAsKilled();
  }
}
