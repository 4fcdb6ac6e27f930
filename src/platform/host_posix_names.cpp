// Names on a POSIX disk: UTF-8 names in UTF-16, folder reads, the held names
// of the folder read last, and card paths resolved ignoring ASCII case.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/host_internal.h"
#include "platform/host_posix.h"
#include "text/utf.h"

// --- UTF-16 <-> UTF-8 ---------------------------------------------------------

bool PosixAppendUtf8(const char16_t* units, int count, char* out, int size, int* pos) {
  for (int i = 0; i < count;) {
    uint32_t cp;
    i += DecodeUtf16(units + i, count - i, &cp);
    if (*pos + 4 >= size) return false;
    *pos += EncodeUtf8(cp, out + *pos);
  }
  out[*pos] = 0;
  return true;
}

bool PosixUtf8ToWide(const char* text, char16_t* out, int units) {
  int n = 0;
  int pos = 0;
  for (;;) {
    uint32_t cp;
    int used = DecodeUtf8(text + pos, &cp);
    if (used == 0) break;
    int need = cp >= 0x10000 ? 2 : 1;
    if (n + need > units - 1) {
      out[n] = 0;
      return false;
    }
    n += EncodeUtf16(cp, out + n);
    pos += used;
  }
  out[n] = 0;
  return true;
}

bool PosixIsCardName(const char* utf8, const char16_t* wide, int units) {
  for (int pos = 0;;) {
    uint32_t cp;
    int used = DecodeUtf8(utf8 + pos, &cp);
    if (used == 0) break;
    if (cp == 0xFFFD && used == 1) return false;  // a byte that is no UTF-8
    pos += used;
  }
  return !HostIsFatInvalidName(wide, units);
}

namespace {

// True when two UTF-8 names are equal ignoring ASCII case, folded byte by
// byte: no byte of a longer UTF-8 character is ASCII. The name asked for is
// well formed (made by PosixAppendUtf8), so a disk name that is no UTF-8,
// whose bytes would come back as another name, equals none.
bool NameMatches(const char* disk, const char* name) {
  for (int i = 0;; ++i) {
    if (AsciiUpper(static_cast<uint8_t>(disk[i])) != AsciiUpper(static_cast<uint8_t>(name[i]))) {
      return false;
    }
    if (disk[i] == 0) return true;
  }
}

}  // namespace

// --- Entries ------------------------------------------------------------------

EntryKind PosixKindAt(int dirFd, const char* name, unsigned char listedType) {
  if (listedType == DT_DIR) return EntryKind::kFolder;
  if (listedType == DT_REG) return EntryKind::kFile;
  struct stat st;
  if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return EntryKind::kOther;
  if (S_ISDIR(st.st_mode)) return EntryKind::kFolder;
  if (S_ISLNK(st.st_mode) && fstatat(dirFd, name, &st, 0) != 0) return EntryKind::kOther;
  return S_ISREG(st.st_mode) ? EntryKind::kFile : EntryKind::kOther;
}

bool PosixIsLinkAt(int dirFd, const char* name, unsigned char listedType) {
  if (listedType != DT_UNKNOWN) return listedType == DT_LNK;
  struct stat st;
  return fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

// --- Held names ---------------------------------------------------------------

namespace {

struct HeldNames {
  static constexpr int kMaxNames = 4096;
  static constexpr int kMaxBytes = 1 << 18;
  bool valid;    // the names below are those of folder
  bool filling;  // a read of folder is under way
  char folder[kPathBytes];
  int count;
  int start[kMaxNames];  // each name's first byte in bytes
  int used;
  char bytes[kMaxBytes];
};

HeldNames held;

bool IsHeld(const char* folder) { return held.valid && std::strcmp(held.folder, folder) == 0; }

// Appends a spelling; false (the names then cannot be held) when full.
bool AddSpelling(const char* name, int* index) {
  int len = static_cast<int>(std::strlen(name));
  if (held.used + len + 1 > HeldNames::kMaxBytes) return false;
  std::memcpy(held.bytes + held.used, name, static_cast<size_t>(len) + 1);
  *index = held.used;
  held.used += len + 1;
  return true;
}

// The held entry spelled exactly name, or -1.
int HeldIndexOf(const char* name) {
  for (int i = 0; i < held.count; ++i) {
    if (std::strcmp(held.bytes + held.start[i], name) == 0) return i;
  }
  return -1;
}

}  // namespace

void PosixDropHeldNames() {
  held.valid = false;
  held.filling = false;
}

void PosixHeldNameAdded(const char* folder, const char* from, const char* name) {
  if (!IsHeld(folder)) return;
  int i = from != nullptr ? HeldIndexOf(from) : -1;
  if (from != nullptr && i < 0) {
    PosixDropHeldNames();  // not as the names said
    return;
  }
  if (i < 0) {
    if (held.count == HeldNames::kMaxNames) {
      PosixDropHeldNames();
      return;
    }
    i = held.count++;
  }
  if (!AddSpelling(name, &held.start[i])) PosixDropHeldNames();
}

void PosixFolderMoved(const char* path) {
  size_t len = std::strlen(path);
  if (held.valid && std::strncmp(held.folder, path, len) == 0 &&
      (held.folder[len] == 0 || held.folder[len] == '/')) {
    PosixDropHeldNames();
  }
}

// --- Folder reads -------------------------------------------------------------

bool PosixOpenFolder(const char* folder, PosixFolderReader& reader) {
  PosixDropHeldNames();
  DIR* dir = opendir(folder[0] == 0 ? "." : folder);
  reader.dir = dir;
  if (dir == nullptr) return false;
  if (std::strlen(folder) < sizeof held.folder) {
    std::strcpy(held.folder, folder);
    held.filling = true;
    held.count = 0;
    held.used = 0;
  }
  return true;
}

const char* PosixNextEntry(PosixFolderReader& reader, int* dirFd, unsigned char* listedType) {
  DIR* dir = static_cast<DIR*>(reader.dir);
  while (dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    if (held.filling) {
      if (held.count == HeldNames::kMaxNames || !AddSpelling(name, &held.start[held.count])) {
        held.filling = false;  // too many names to hold: lookups read the folder
      } else {
        ++held.count;
      }
    }
    *dirFd = dirfd(dir);
    *listedType = entry->d_type;
    return name;
  }
  closedir(dir);
  reader.dir = nullptr;
  held.valid = held.filling;
  held.filling = false;
  return nullptr;
}

bool PosixHeldLacks(const char* folder, const char* name) {
  if (!IsHeld(folder)) return false;
  for (int i = 0; i < held.count; ++i) {
    if (NameMatches(held.bytes + held.start[i], name)) return false;
  }
  return true;
}

int PosixFindSpelling(const char* folder, const char* name, char* out, int size, bool* fromHeld) {
  *fromHeld = IsHeld(folder);
  bool found = false;
  auto consider = [&](const char* spelling) {
    if (!NameMatches(spelling, name) || static_cast<int>(std::strlen(spelling)) >= size) {
      return;
    }
    if (!found || std::strcmp(spelling, out) < 0) std::strcpy(out, spelling);
    found = true;
  };
  if (*fromHeld) {
    for (int i = 0; i < held.count; ++i) consider(held.bytes + held.start[i]);
  } else if (!PosixReadFolder(folder, [&](const char* s, int, unsigned char) { consider(s); })) {
    return -1;
  }
  return found ? 1 : 0;
}

namespace {
int caseBlind = -1;  // -1 not decided yet, else 0 or 1
}  // namespace

bool PosixCardIgnoresCase() {
  if (caseBlind >= 0) return caseBlind == 1;
  caseBlind = 0;
  // The first entry of the root with a letter in its name, looked up in the
  // other case: the same entry means the filesystem ignores case. A root
  // with no such entry counts as case-sensitive, which is right everywhere.
  DIR* dir = opendir(".");
  if (dir == nullptr) return false;
  while (dirent* entry = readdir(dir)) {
    char other[sizeof entry->d_name];
    bool letter = false;
    int i = 0;
    for (; entry->d_name[i] != 0; ++i) {
      char c = entry->d_name[i];
      bool isLetter = (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
      other[i] = isLetter ? static_cast<char>(c ^ 0x20) : c;
      letter = letter || isLetter;
    }
    other[i] = 0;
    if (!letter) continue;
    struct stat a, b;
    caseBlind = lstat(entry->d_name, &a) == 0 && lstat(other, &b) == 0 && a.st_dev == b.st_dev &&
                a.st_ino == b.st_ino;
    break;
  }
  closedir(dir);
  return caseBlind == 1;
}

void HostForgetFolderNames() {
  PosixDropHeldNames();
  caseBlind = -1;
}
