// Paths on a POSIX disk: the walk from a card path to a host path, and the
// lookups that find each name in any ASCII case.
#include "platform/host_posix_paths.h"

#include <dirent.h>

#include <cstring>

#include "platform/host.h"
#include "platform/host_internal.h"

// True when the UTF-8 name equals the UTF-16 name ignoring ASCII case.
bool NameMatches(const char* utf8, const char16_t* wide, int wideUnits) {
  char16_t buf[kHostNameUnits + 2];
  if (!PosixUtf8ToWide(utf8, buf, kHostNameUnits + 2)) return false;
  int len = 0;
  while (buf[len] != 0) ++len;
  return HostEqualsIgnoreAsciiCase(buf, len, wide, wideUnits);
}

const char* DirPath(const char* folder) { return folder[0] == 0 ? "." : folder; }

namespace {

// Finds in folder (a host path, "" for the current directory) the entry whose
// name equals name ignoring ASCII case; copies its spelling into out. *listed
// tells whether the folder could be read.
bool FindEntryIgnoringCase(const char* folder, const char16_t* name, int units, char* out, int size,
                           bool* listed) {
  struct stat st;
  if (stat(DirPath(folder), &st) == 0) {
    if (FolderNames* kept = FolderNamesOf(folder, st)) {
      *listed = true;
      int i = FindFolderName(*kept, name, units, nullptr);
      if (i < 0 || static_cast<int>(std::strlen(FolderNameSpelling(*kept, i))) >= size) {
        return false;
      }
      std::strcpy(out, FolderNameSpelling(*kept, i));
      return true;
    }
  }
  DIR* dir = opendir(DirPath(folder));
  *listed = dir != nullptr;
  if (dir == nullptr) return false;
  bool found = false;
  while (dirent* entry = readdir(dir)) {
    if (!NameMatches(entry->d_name, name, units)) continue;
    // Of several spellings (possible only on a case-sensitive disk), take
    // the first in byte order so the choice never depends on disk order.
    if (!found || std::strcmp(entry->d_name, out) < 0) {
      if (static_cast<int>(std::strlen(entry->d_name)) >= size) continue;
      std::strcpy(out, entry->d_name);
      found = true;
    }
  }
  closedir(dir);
  return found;
}

// The ASCII characters FAT cannot hold in a name.
constexpr struct FatInvalidAscii {
  bool set[128] = {};
  constexpr FatInvalidAscii() {
    for (int c = 0; c < 0x20; ++c) set[c] = true;
    for (const char* c = "\\/:*?\"<>|"; *c != 0; ++c) set[static_cast<int>(*c)] = true;
  }
  constexpr bool operator[](char16_t c) const { return set[c]; }
} kFatInvalidAscii;

// True for "." and "..".
bool IsDot(const char16_t* name, int units) {
  return (units == 1 && name[0] == u'.') || (units == 2 && name[0] == u'.' && name[1] == u'.');
}

// Appends the name at the start of path (up to a separator or the end) to
// out at *pos as UTF-8, terminated; *invalid when FAT cannot hold it.
// Returns its units, or -1 when it does not fit.
int PutName(const char16_t* path, char* out, int* pos, bool* invalid) {
  // Most names are ASCII: found, copied and checked in one go (in locals:
  // stores through out could otherwise change *pos and *invalid).
  int i = 0;
  int p = *pos;
  bool bad = false;
  char16_t c;
  while ((c = path[i]) != 0 && c < 0x80 && c != u'\\' && c != u'/' && p + 1 < kPathBytes) {
    bad |= kFatInvalidAscii[c];
    out[p++] = static_cast<char>(c);
    ++i;
  }
  out[p] = 0;
  *pos = p;
  *invalid |= bad;
  if (c != 0 && !HostIsSeparator(c)) {
    int rest = i;
    while (path[i] != 0 && !HostIsSeparator(path[i])) ++i;
    *invalid |= HostIsFatInvalidName(path + rest, i - rest);
    if (!PosixAppendUtf8(path + rest, i - rest, out, kPathBytes, pos)) return -1;
  }
  return i;
}

// Makes name (units long, at nameStart of r.path, after its folder's path
// ending at parentEnd) r's last component. folderInvalid: FAT cannot hold a
// name before it; invalid: FAT cannot hold this one.
void SetLastComponent(Resolved& r, const char16_t* name, int units, int parentEnd, int nameStart,
                      bool folderInvalid, bool invalid, bool hostAbsolute) {
  bool dot = IsDot(name, units);
  r.folderInvalid = folderInvalid;
  r.fatInvalid = folderInvalid || (!hostAbsolute && !dot && invalid);
  r.parentEnd = parentEnd;
  r.lastStart = nameStart;
  r.lastName = name;
  r.lastUnits = units;
  r.lastIsDot = dot;
  r.lastMissing = false;
}

// Builds r.path from the components of path. With lookUp, each component
// that does not exist as spelled is looked up in its folder ignoring ASCII
// case; without, the components are taken as spelled and nothing is read.
void Walk(const char16_t* path, Resolved& r, bool lookUp) {
  r.path[0] = 0;
  r.parentEnd = 0;
  r.fatInvalid = false;
  r.tooLong = false;
  r.lastMissing = false;
  r.lastUnits = 0;
  r.lastIsDot = false;
  int pos = 0;
  bool hostAbsolute = path[0] == u'/';
  if (hostAbsolute) {
    r.path[pos++] = '/';
    r.path[pos] = 0;
  }
  bool missing = false;  // a component was not found: the rest cannot exist
  int i = 0;
  for (;;) {
    while (HostIsSeparator(path[i])) ++i;
    if (path[i] == 0) break;
    int start = i;
    int parentEnd = pos;
    if (pos > 0 && r.path[pos - 1] != '/') {
      if (pos + 1 >= kPathBytes) {
        r.tooLong = true;
        return;
      }
      r.path[pos++] = '/';
    }
    int nameStart = pos;
    bool invalid = false;
    int units = PutName(path + start, r.path, &pos, &invalid);
    if (units < 0) {
      r.tooLong = true;
      return;
    }
    i = start + units;
    const char16_t* name = path + start;
    SetLastComponent(r, name, units, parentEnd, nameStart, r.fatInvalid, invalid, hostAbsolute);
    if (!lookUp || missing || r.lastIsDot) continue;
    struct stat st;
    if (lstat(r.path, &st) == 0) continue;
    char folder[kPathBytes];
    std::memcpy(folder, r.path, static_cast<size_t>(parentEnd));
    folder[parentEnd] = 0;
    char spelling[1024];
    bool listed = false;
    if (FindEntryIgnoringCase(folder, name, units, spelling, sizeof spelling, &listed)) {
      int len = static_cast<int>(std::strlen(spelling));
      if (nameStart + len >= kPathBytes) {
        r.tooLong = true;
        return;
      }
      std::memcpy(r.path + nameStart, spelling, static_cast<size_t>(len) + 1);
      pos = nameStart + len;
    } else {
      missing = true;
      r.lastMissing = listed;
    }
  }
  if (pos == 0) std::strcpy(r.path, ".");
}

// Puts the spelling found on disk in place of the last component as given.
void SetLastSpelling(Resolved& r, const char* spelling) {
  int len = static_cast<int>(std::strlen(spelling));
  if (r.lastStart + len >= kPathBytes) {
    r.tooLong = true;
    return;
  }
  std::memcpy(r.path + r.lastStart, spelling, static_cast<size_t>(len) + 1);
}

// Looks the last component up among the names of its folder.
void LookAmong(Resolved& r, FolderNames& names) {
  r.names = &names;
  int i = FindFolderName(names, r.lastName, r.lastUnits, r.path + r.lastStart);
  if (i < 0) {
    r.lastMissing = true;
    return;
  }
  const char* spelling = FolderNameSpelling(names, i);
  r.lastExact = std::strcmp(spelling, r.path + r.lastStart) == 0;
  SetLastSpelling(r, spelling);
  r.lastKept = !r.tooLong;
  r.lastIndex = i;
}

}  // namespace

const char* FolderOf(const Resolved& r) { return std::strcmp(r.path, ".") == 0 ? "" : r.path; }

// The parent folder part of a resolved path ("" for the current directory).
void ParentOf(const Resolved& r, char* out) {
  std::memcpy(out, r.path, static_cast<size_t>(r.parentEnd));
  out[r.parentEnd] = 0;
}

namespace {

// The folder part of the path converted last: paths come mostly one folder
// at a time, so only their last names need converting.
struct LastFolder {
  char16_t given[1024];  // units before the last name, separator included
  int units;             // 0: none kept
  char path[kPathBytes];
  int bytes;
  bool invalid;
} lastFolder;

// The units of path before its last name (0 when it has no folder part).
int FolderUnits(const char16_t* path) {
  int last = 0;
  for (int i = 0; path[i] != 0; ++i) {
    if (HostIsSeparator(path[i])) last = i + 1;
  }
  return last;
}

// True when path starts with the units of prefix, which hold no zero: the
// comparison ends at the end of a shorter path.
bool StartsWith(const char16_t* path, const char16_t* prefix, int units) {
  for (int i = 0; i < units; ++i) {
    if (path[i] != prefix[i]) return false;
  }
  return true;
}

}  // namespace

// Walk without looking anything up, its folder part taken from lastFolder
// when it is the same.
void StartResolving(const char16_t* path, Resolved& r) {
  r.statValid = false;
  r.lastKept = false;
  r.lastExact = false;
  r.names = nullptr;
  bool hostAbsolute = path[0] == u'/';
  // The folder kept ends with a separator: path lies in it when it starts
  // with it and its one name after it runs to the end.
  int keptUnits = lastFolder.units;
  if (keptUnits > 0 && StartsWith(path, lastFolder.given, keptUnits) && path[keptUnits] != 0) {
    r.tooLong = false;
    int pos = lastFolder.bytes;
    std::memcpy(r.path, lastFolder.path, static_cast<size_t>(pos));
    int parentEnd = pos;
    if (pos > 0 && r.path[pos - 1] != '/') r.path[pos++] = '/';
    int nameStart = pos;
    bool invalid = false;
    const char16_t* name = path + keptUnits;
    int units = PutName(name, r.path, &pos, &invalid);
    if (units >= 0 && name[units] == 0) {
      SetLastComponent(r, name, units, parentEnd, nameStart, lastFolder.invalid, invalid,
                       hostAbsolute);
      return;
    }
  }
  int folderUnits = FolderUnits(path);
  Walk(path, r, false);
  if (!r.tooLong && folderUnits > 0 && path[folderUnits] != 0 && folderUnits < 1024 &&
      r.lastUnits > 0) {
    std::memcpy(lastFolder.given, path, sizeof(char16_t) * static_cast<size_t>(folderUnits));
    lastFolder.units = folderUnits;
    std::memcpy(lastFolder.path, r.path, static_cast<size_t>(r.parentEnd));
    lastFolder.bytes = r.parentEnd;
    lastFolder.invalid = r.folderInvalid;
  }
}

// Resolves a card or host path. A leading '/' is a host absolute path; any
// other path (a leading '\' included) is below the current directory. Each
// component that does not exist as spelled is looked up ignoring ASCII case.
// A path in a folder whose names are kept costs no disk access at all; one
// that exists as spelled, one lstat; one whose folder does, one more and a
// look at the folder's names; only other paths are walked component by
// component. namesFirst asks for the folder's names before anything else
// (a name about to be made, or looked for in a folder the run works in),
// sparing the lstat that would fail or the one the names make needless.
void Resolve(const char16_t* path, Resolved& r, bool namesFirst) {
  StartResolving(path, r);
  if (r.tooLong) return;
  bool named = r.lastUnits > 0 && !r.lastIsDot;
  char folder[kPathBytes];
  folder[0] = 0;
  if (named) {
    ParentOf(r, folder);
    if (FolderNames* kept = KeptFolderNamesAt(folder)) {
      LookAmong(r, *kept);
      return;
    }
  }
  struct stat folderStat;
  bool folderSeen = false;  // the folder exists as spelled
  if (namesFirst && named) {
    folderSeen = lstat(DirPath(folder), &folderStat) == 0;
    if (FolderNames* names = folderSeen ? FolderNamesOf(folder, folderStat) : nullptr) {
      LookAmong(r, *names);
      return;
    }
  }
  if (lstat(r.path, &r.st) == 0) {
    r.statValid = true;
    return;
  }
  if (named) {
    if (!folderSeen) folderSeen = lstat(DirPath(folder), &folderStat) == 0;
    if (folderSeen) {
      if (FolderNames* names = FolderNamesOf(folder, folderStat)) {
        LookAmong(r, *names);
        return;
      }
      char spelling[1024];
      bool listed = false;
      if (FindEntryIgnoringCase(folder, r.lastName, r.lastUnits, spelling, sizeof spelling,
                                &listed)) {
        SetLastSpelling(r, spelling);
      } else {
        r.lastMissing = listed;
      }
      return;
    }
  }
  Walk(path, r, true);
}

// Resolves the path of a folder to list: as spelled when the folder's names
// are kept under that path, else as Resolve does.
void ResolveFolder(const char16_t* path, Resolved& r) {
  StartResolving(path, r);
  if (r.tooLong) return;
  if (KeptFolderNamesAt(FolderOf(r)) != nullptr) return;
  Resolve(path, r);
}

// Resolves path when it names an entry of the folder whose names resolving
// beside has just looked at (a move within one folder), without looking at
// the disk again. False when it names something elsewhere.
bool ResolveBeside(const char16_t* path, const Resolved& beside, Resolved& r) {
  if (beside.names == nullptr) return false;
  StartResolving(path, r);
  if (r.tooLong) return true;
  if (r.lastUnits == 0 || r.lastIsDot || r.parentEnd != beside.parentEnd ||
      std::memcmp(r.path, beside.path, static_cast<size_t>(r.parentEnd)) != 0) {
    return false;
  }
  LookAmong(r, *beside.names);
  return true;
}

// Forgets the kept names of the folder of a resolved path, which proved
// not to be those on disk.
void ForgetParentNames(const Resolved& r) {
  char folder[kPathBytes];
  ParentOf(r, folder);
  ForgetFolderNamesUnder(folder);
}

// A code page 932 path in UTF-16; false when it does not fit (a cut path
// could name another file).
bool ToWidePath(const char* cp932, char16_t* out, int units) {
  if (static_cast<int>(std::strlen(cp932)) >= units) return false;
  HostCp932ToWide(cp932, out, units);
  return true;
}

bool IsCardRoot(const char16_t* path) {
  for (int i = 0; path[i] != 0; ++i) {
    if (!HostIsSeparator(path[i])) return false;
  }
  return true;
}
