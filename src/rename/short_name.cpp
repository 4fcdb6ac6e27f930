#include "rename/short_name.h"

#include <type_traits>

#include "text/ascii.h"
#include "text/sjis.h"
#include "text/wide.h"

namespace {

constexpr int kMaxBaseUnits = 8;
constexpr int kMaxExtensionUnits = 3;
constexpr int32_t kMaxFolderNumber = 99999999;  // eight digits fill the base

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// True when the first units of name spell word (upper-case ASCII, as long)
// in any letter case. Code page 932 bytes at and above 0x80 never match.
template <typename Unit>
bool Spells(const Unit* name, int units, const char* word) {
  for (int i = 0; i < units; ++i) {
    char16_t c = static_cast<char16_t>(static_cast<std::make_unsigned_t<Unit>>(name[i]));
    if (AsciiUpper(c) != static_cast<char16_t>(word[i])) return false;
  }
  return true;
}

template <typename Unit>
bool IsSystemsOwnFolderName(const Unit* name) {
  if (name[0] == '.' || name[0] == '$') return true;
  int length = 0;
  while (name[length] != 0) ++length;
  if (length == 8) return Spells(name, 8, "RECYCLER");
  return length == 9 && Spells(name, 6, "FOUND.") && IsDigit(name[6]) && IsDigit(name[7]) &&
         IsDigit(name[8]);
}

template <typename Unit>
bool IsAppleDoubleName(const Unit* name) {
  return name[0] == '.' && name[1] == '_';
}

bool IsLetterOrDigit(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
}

// number printed with "%05ld" into out (9 units). False when it would
// need more than eight digits.
bool FormatFolderNumber(int32_t number, char16_t* out) {
  if (number < 0 || number > kMaxFolderNumber) {
    out[0] = 0;
    return false;
  }
  char16_t digits[kMaxBaseUnits];
  int n = 0;
  do {
    digits[n++] = static_cast<char16_t>(u'0' + number % 10);
    number /= 10;
  } while (number > 0);
  int width = n < 5 ? 5 : n;
  for (int i = 0; i < width; ++i) out[i] = i < width - n ? u'0' : digits[width - 1 - i];
  out[width] = 0;
  return true;
}

}  // namespace

bool IsAcceptableShortName(const char16_t* name) {
  int length = WideLength(name);
  int lastDot = -1;
  for (int i = 0; i < length; ++i) {
    if (name[i] == u'.') lastDot = i;
  }
  int baseUnits = length;
  if (lastDot >= 0) {
    if (length - lastDot - 1 > kMaxExtensionUnits) return false;
    baseUnits = lastDot;
  }
  if (baseUnits > kMaxBaseUnits) return false;
  for (int i = 0; i < baseUnits; ++i) {
    if (name[i] == u'.' || name[i] == u' ') return false;
  }
  return !HasNonAsciiChar(name) && !IsDeviceName(name);
}

bool IsDeviceName(const char16_t* name) {
  int base = 0;
  while (name[base] != 0 && name[base] != u'.') ++base;
  while (base > 0 && name[base - 1] == u' ') --base;
  if (base == 3) {
    return Spells(name, 3, "CON") || Spells(name, 3, "PRN") || Spells(name, 3, "AUX") ||
           Spells(name, 3, "NUL");
  }
  return base == 4 && (Spells(name, 3, "COM") || Spells(name, 3, "LPT")) && name[3] >= u'1' &&
         name[3] <= u'9';
}

bool IsSystemsOwnFolder(const char16_t* name) { return IsSystemsOwnFolderName(name); }
bool IsSystemsOwnFolder(const char* name) { return IsSystemsOwnFolderName(name); }
bool IsAppleDoubleFile(const char16_t* name) { return IsAppleDoubleName(name); }
bool IsAppleDoubleFile(const char* name) { return IsAppleDoubleName(name); }

bool HasNonAsciiChar(const char16_t* name) {
  for (int i = 0; name[i] != 0; ++i) {
    if (name[i] >= 0x80) return true;
  }
  return false;
}

bool HasDoubleByteChar(const char* text) {
  // Every byte before the first lead byte is a whole character, so the
  // first byte in the lead range is a lead byte in context.
  for (int i = 0; text[i] != 0; ++i) {
    if (IsSjisLeadByte(static_cast<uint8_t>(text[i]))) return true;
  }
  return false;
}

bool MakeFolderShortName(const char16_t* oldName, int32_t& folderNumber, char16_t* out) {
  if (!HasNonAsciiChar(oldName)) {
    int n = 0;
    for (int i = 0; oldName[i] != 0 && n < kMaxBaseUnits; ++i) {
      if (IsLetterOrDigit(oldName[i])) out[n++] = oldName[i];
    }
    out[n] = 0;
    // Four units that spell a device are COM1 to COM9 or LPT1 to LPT9:
    // every suffix the free-name search could put last spells one too.
    if (n > 0 && !(n == 4 && IsDeviceName(out))) return false;
  }
  // Not ASCII, nothing to keep ('---'), or a device whatever its suffix
  // ('COM 1'): a numbered name.
  FormatFolderNumber(folderNumber, out);
  ++folderNumber;
  return true;
}

void MakeTrackShortName(int n, char16_t* out, int units) {
  char16_t text[16];
  int length = 0;
  char16_t digits[12];
  int count = 0;
  unsigned value = n < 0 ? 0u : static_cast<unsigned>(n);
  do {
    digits[count++] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value > 0);
  for (int i = count; i < 3; ++i) text[length++] = u'0';
  while (count > 0) text[length++] = digits[--count];
  for (const char16_t* ext = u".MP3"; *ext != 0; ++ext) text[length++] = *ext;
  text[length] = 0;
  WideCopy(out, units, text);
}

bool FindFreeFolderName(const char16_t* parentPath, char16_t* candidate, bool numeric,
                        int32_t& folderNumber, bool (*exists)(const char16_t* path), char16_t* path,
                        int pathUnits) {
  char16_t suffix = u'1';
  for (;;) {
    if (candidate[0] == 0 || !WideJoinPath(path, pathUnits, parentPath, candidate)) return false;
    // A device name is taken on every host, without asking the disk.
    if (!IsDeviceName(candidate) && !exists(path)) return true;
    if (numeric) {
      if (!FormatFolderNumber(folderNumber, candidate)) return false;
      ++folderNumber;
    } else {
      // The candidate keeps its length; past '9' come ':' and on, which
      // FAT refuses: such a name never exists and its move fails.
      if (suffix == 0xFFFF) return false;
      candidate[WideLength(candidate) - 1] = suffix++;
    }
  }
}

bool IsSystemFolderName(const char16_t* name) {
  const char16_t* system = u"SYSTEM";
  for (int i = 0; i < 6; ++i) {
    if (AsciiUpper(name[i]) != system[i]) return false;
  }
  return true;
}
