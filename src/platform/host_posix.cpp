// The host layer on POSIX. The current directory is the card's root; paths
// given with '\' are resolved below it one component at a time, finding an
// existing name in any ASCII case as FAT would. Names on disk are UTF-8.
#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#if defined(__linux__)
#include <sys/inotify.h>
#include <sys/syscall.h>
#endif

#include "platform/host.h"
#include "platform/host_internal.h"

namespace {

constexpr int kPathBytes = 4096;

// --- Code page 932 through iconv -------------------------------------------

iconv_t OpenIconv(const char* to, const char* from) {
  return iconv_open(to, from);
}

// Converts bytes exactly (no substitution). Returns the output bytes, or -1.
int ConvertExact(iconv_t cd, const char* in, size_t inBytes, char* out, size_t outBytes) {
  if (cd == reinterpret_cast<iconv_t>(-1)) return -1;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* inPtr = const_cast<char*>(in);
  char* outPtr = out;
  size_t inLeft = inBytes;
  size_t outLeft = outBytes;
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) {
    return -1;
  }
  if (iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1)) return -1;
  return static_cast<int>(outBytes - outLeft);
}

iconv_t FromCp932() {
  static iconv_t cd = OpenIconv("UTF-16LE", "CP932");
  return cd;
}

iconv_t ToCp932() {
  static iconv_t cd = OpenIconv("CP932", "UTF-16LE");
  return cd;
}

// --- UTF-16 <-> UTF-8 names -------------------------------------------------

// Appends units[0..count) as UTF-8 to out at *pos; false when it overflows.
bool AppendUtf8(const char16_t* units, int count, char* out, int size, int* pos) {
  for (int i = 0; i < count; ++i) {
    uint32_t cp = units[i];
    if (cp < 0x80) {  // most names are ASCII
      if (*pos + 4 >= size) return false;
      out[(*pos)++] = static_cast<char>(cp);
      continue;
    }
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < count && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (*pos + 4 >= size) return false;
    *pos += HostEncodeUtf8(cp, out + *pos);
  }
  out[*pos] = 0;
  return true;
}

// UTF-8 text to UTF-16, at most units - 1 units. Returns false when cut.
bool Utf8ToWide(const char* text, char16_t* out, int units) {
  int n = 0;
  int pos = 0;
  bool whole = true;
  for (;;) {
    uint32_t cp = static_cast<uint8_t>(text[pos]);
    int used = 1;  // most names are ASCII
    if (cp >= 0x80) used = HostDecodeUtf8(text + pos, &cp);
    if (cp == 0) break;
    int need = cp >= 0x10000 ? 2 : 1;
    if (n + need > units - 1) {
      whole = false;
      break;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out[n++] = static_cast<char16_t>(0xD800 + (cp >> 10));
      out[n++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out[n++] = static_cast<char16_t>(cp);
    }
    pos += used;
  }
  out[n] = 0;
  return whole;
}

// True when the UTF-8 name equals the UTF-16 name ignoring ASCII case.
bool NameMatches(const char* utf8, const char16_t* wide, int wideUnits) {
  char16_t buf[kHostNameUnits + 2];
  if (!Utf8ToWide(utf8, buf, kHostNameUnits + 2)) return false;
  int len = 0;
  while (buf[len] != 0) ++len;
  return HostEqualsIgnoreAsciiCase(buf, len, wide, wideUnits);
}

// --- Path resolution -----------------------------------------------------------

struct Resolved {
  char path[kPathBytes];  // host path, UTF-8
  int parentEnd;          // bytes of path that name the parent folder
  bool fatInvalid;        // some card component is a name FAT cannot hold
  bool tooLong;
  bool statValid;    // the path exists as resolved; st holds its lstat
  bool lastMissing;  // the parent was listed and holds the last name in no case
  bool lastKept;     // the last name was found among names, which hold its folder's
  const struct FolderNames* names;
  struct stat st;
  // The last component, as the walk left it.
  int lastStart;             // its first byte in path
  const char16_t* lastName;  // its units in the card path
  int lastUnits;             // 0 when the path has no component
  bool lastIsDot;            // "." or ".."
};

// --- The names of the folders looked into last -----------------------------------
//
// Finding a name in any ASCII case means reading the whole folder, and a run
// looks names up in one folder many times in a row (a move for each of its
// tracks, each file it writes there), going back and forth between a folder
// and its subfolders. So the names of the few folders looked into last are
// kept. On Linux an inotify watch on each of them reports every change made
// to it since, by this process or any other, and the kept names follow them:
// a lookup costs a read that finds nothing instead of a listing. Without
// inotify (or past the system's number of watches) every lookup reads the
// folder.

struct FolderNames {
  static constexpr int kMaxNames = 1024;
  static constexpr int kMaxBytes = 64 * 1024;
  static constexpr int kMaxUnits = 64 * 1024;
  bool valid;     // the names are those of the folder dev/ino as it is now
  bool watching;  // watch is an inotify watch on that folder
  int watch;
  dev_t dev;
  ino_t ino;
  unsigned lastUse;
  int count;  // entries, removed ones included
  int bytesUsed;
  int unitsUsed;
  int spelling[kMaxNames];   // offset in bytes, -1 once the name is gone
  int wide[kMaxNames];       // offset in units
  int wideUnits[kMaxNames];  // -1 for a name too long to compare
  char bytes[kMaxBytes];
  char16_t units[kMaxUnits];
};

constexpr int kKeptFolders = 8;
FolderNames keptFolders[kKeptFolders];
unsigned folderUses = 0;
int namesFd = -2;  // the inotify descriptor; -2 not opened yet, -1 none

bool NamesFdReady() {
#if defined(__linux__)
  if (namesFd == -2) namesFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
#else
  namesFd = -1;
#endif
  return namesFd >= 0;
}

int FindKeptName(const FolderNames& n, const char* name) {
  for (int i = 0; i < n.count; ++i) {
    if (n.spelling[i] >= 0 && std::strcmp(n.bytes + n.spelling[i], name) == 0) return i;
  }
  return -1;
}

// Keeps a name (once: a listing gives each name once, a change reported
// may repeat one); false when the folder holds more than can be kept.
bool KeepName(FolderNames& n, const char* name, bool listed = false) {
  if (!listed && FindKeptName(n, name) >= 0) return true;
  char16_t wide[kHostNameUnits + 2];
  int units = -1;
  if (Utf8ToWide(name, wide, kHostNameUnits + 2)) {
    units = 0;
    while (wide[units] != 0) ++units;
  }
  int bytes = static_cast<int>(std::strlen(name));
  if (n.count == FolderNames::kMaxNames || n.bytesUsed + bytes + 1 > FolderNames::kMaxBytes ||
      n.unitsUsed + units + 1 > FolderNames::kMaxUnits) {
    return false;
  }
  n.spelling[n.count] = n.bytesUsed;
  std::memcpy(n.bytes + n.bytesUsed, name, static_cast<size_t>(bytes) + 1);
  n.bytesUsed += bytes + 1;
  n.wide[n.count] = n.unitsUsed;
  n.wideUnits[n.count] = units;
  if (units >= 0) {
    std::memcpy(n.units + n.unitsUsed, wide, sizeof(char16_t) * static_cast<size_t>(units));
    n.unitsUsed += units;
  }
  ++n.count;
  return true;
}

// The watch itself stays: removing one is slow, and watching the folder
// again gives back the same watch.
void ForgetNames(FolderNames& n) {
  n.watching = false;
  n.valid = false;
}

void ForgetAllNames() {
  for (FolderNames& n : keptFolders) ForgetNames(n);
}

// Applies the changes the watches have reported since the last call.
void FollowChanges() {
#if defined(__linux__)
  alignas(inotify_event) char buf[16384];
  for (;;) {
    ssize_t got = read(namesFd, buf, sizeof buf);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      if (got < 0 && errno != EAGAIN) ForgetAllNames();
      return;
    }
    for (ssize_t at = 0; at < got;) {
      const inotify_event* event = reinterpret_cast<const inotify_event*>(buf + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if ((event->mask & IN_Q_OVERFLOW) != 0) {
        ForgetAllNames();  // changes were lost
        continue;
      }
      for (FolderNames& n : keptFolders) {
        if (!n.watching || event->wd != n.watch) continue;
        if ((event->mask & IN_IGNORED) != 0) {
          n.watching = false;
          n.valid = false;
        } else if ((event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) != 0) {
          ForgetNames(n);
        } else if (n.valid && event->len > 0) {
          if ((event->mask & (IN_CREATE | IN_MOVED_TO)) != 0) {
            if (!KeepName(n, event->name)) ForgetNames(n);
          } else if ((event->mask & (IN_DELETE | IN_MOVED_FROM)) != 0) {
            int i = FindKeptName(n, event->name);
            if (i >= 0) n.spelling[i] = -1;
          }
        }
        break;
      }
    }
    // A read that left room for one more event of any size emptied the queue.
    if (static_cast<size_t>(got) + sizeof(inotify_event) + NAME_MAX + 1 <= sizeof buf) return;
  }
#endif
}

// The names of folder (a host path, "" for the current directory) as they
// are now: kept ones brought up to date, or the folder read anew under a new
// watch; null when they cannot be had. known, when given, is the folder's
// lstat, just taken.
const FolderNames* NamesOf(const char* folder, const struct stat* known) {
#if defined(__linux__)
  if (!NamesFdReady()) return nullptr;
  const char* path = folder[0] == 0 ? "." : folder;
  struct stat st;
  if (known != nullptr && S_ISDIR(known->st_mode)) {
    st = *known;
  } else if (stat(path, &st) != 0 || !S_ISDIR(st.st_mode)) {
    return nullptr;
  }
  FollowChanges();
  FolderNames* victim = &keptFolders[0];
  for (FolderNames& n : keptFolders) {
    if (n.valid && n.dev == st.st_dev && n.ino == st.st_ino) {
      n.lastUse = ++folderUses;
      return &n;
    }
    if (victim->valid && (!n.valid || n.lastUse < victim->lastUse)) victim = &n;
  }
  FolderNames& n = *victim;
  ForgetNames(n);
  constexpr uint32_t kChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
  int watch = inotify_add_watch(namesFd, path, kChanges);
  if (watch < 0) return nullptr;
  n.watch = watch;
  n.watching = true;
  n.count = 0;
  n.bytesUsed = 0;
  n.unitsUsed = 0;
  // Changes from here on are reported, so the listing may come after them:
  // the last change reported for a name decides whether it is there.
  DIR* dir = opendir(path);
  struct stat listed;
  bool ok = dir != nullptr && fstat(dirfd(dir), &listed) == 0 && listed.st_dev == st.st_dev &&
            listed.st_ino == st.st_ino;
  while (ok) {
    dirent* entry = readdir(dir);
    if (entry == nullptr) break;
    ok = KeepName(n, entry->d_name, true);
  }
  if (dir != nullptr) closedir(dir);
  if (!ok) {
    ForgetNames(n);
    return nullptr;
  }
  n.dev = st.st_dev;
  n.ino = st.st_ino;
  n.valid = true;
  n.lastUse = ++folderUses;
  FollowChanges();
  return n.valid ? &n : nullptr;
#else
  (void)folder;
  (void)known;
  return nullptr;
#endif
}

// Finds among the kept names the one that equals name ignoring ASCII case
// and copies its spelling into out: exact (UTF-8) itself when it is there,
// else the first in byte order.
bool FindKeptSpelling(const FolderNames& n, const char16_t* name, int units, const char* exact,
                      char* out, int size) {
  bool found = false;
  for (int i = 0; i < n.count; ++i) {
    if (n.spelling[i] < 0 || n.wideUnits[i] != units ||
        !HostEqualsIgnoreAsciiCase(n.units + n.wide[i], units, name, units)) {
      continue;
    }
    const char* spelling = n.bytes + n.spelling[i];
    if (static_cast<int>(std::strlen(spelling)) >= size) continue;
    if (exact != nullptr && std::strcmp(spelling, exact) == 0) {
      std::strcpy(out, spelling);
      return true;
    }
    if (!found || std::strcmp(spelling, out) < 0) {
      std::strcpy(out, spelling);
      found = true;
    }
  }
  return found;
}

// Finds in folder (a host path, "" for the current directory) the entry whose
// name equals name ignoring ASCII case; copies its spelling into out. *listed
// tells whether the folder could be read; known is as for NamesOf.
bool FindEntryIgnoringCase(const char* folder, const struct stat* known, const char16_t* name,
                           int units, char* out, int size, bool* listed) {
  if (const FolderNames* kept = NamesOf(folder, known)) {
    *listed = true;
    return FindKeptSpelling(*kept, name, units, nullptr, out, size);
  }
  DIR* dir = opendir(folder[0] == 0 ? "." : folder);
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
  while (path[i] != 0) {
    while (HostIsSeparator(path[i])) ++i;
    int start = i;
    while (path[i] != 0 && !HostIsSeparator(path[i])) ++i;
    int units = i - start;
    if (units == 0) break;
    const char16_t* name = path + start;
    bool dot = (units == 1 && name[0] == u'.') || (units == 2 && name[0] == u'.' && name[1] == u'.');
    if (!hostAbsolute && !dot && HostIsFatInvalidName(name, units)) r.fatInvalid = true;

    int parentEnd = pos;
    if (pos > 0 && r.path[pos - 1] != '/') {
      if (pos + 1 >= kPathBytes) {
        r.tooLong = true;
        return;
      }
      r.path[pos++] = '/';
    }
    int nameStart = pos;
    if (!AppendUtf8(name, units, r.path, kPathBytes, &pos)) {
      r.tooLong = true;
      return;
    }
    r.parentEnd = parentEnd;
    r.lastStart = nameStart;
    r.lastName = name;
    r.lastUnits = units;
    r.lastIsDot = dot;
    r.lastMissing = false;
    if (!lookUp || missing || dot) continue;
    struct stat st;
    if (lstat(r.path, &st) == 0) continue;
    char folder[kPathBytes];
    std::memcpy(folder, r.path, static_cast<size_t>(parentEnd));
    folder[parentEnd] = 0;
    char spelling[1024];
    bool listed = false;
    if (FindEntryIgnoringCase(folder, nullptr, name, units, spelling, sizeof spelling, &listed)) {
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

// Resolves a card or host path. A leading '/' is a host absolute path; any
// other path (a leading '\' included) is below the current directory. Each
// component that does not exist as spelled is looked up ignoring ASCII case.
// A path that exists as spelled costs one lstat; one whose folder does, one
// more and a look at the folder's names; only other paths are walked
// component by component. likelyMissing (a move's target) asks for the
// folder's names first, sparing the lstat that would fail.
void Resolve(const char16_t* path, Resolved& r, bool likelyMissing = false) {
  r.statValid = false;
  r.lastKept = false;
  r.names = nullptr;
  Walk(path, r, false);
  if (r.tooLong) return;
  bool named = r.lastUnits > 0 && !r.lastIsDot;
  char folder[kPathBytes];
  folder[0] = 0;
  struct stat folderStat;
  bool folderSeen = false;  // the folder exists as spelled
  if (named) {
    std::memcpy(folder, r.path, static_cast<size_t>(r.parentEnd));
    folder[r.parentEnd] = 0;
  }
  if (likelyMissing && named) {
    folderSeen = folder[0] == 0 || lstat(folder, &folderStat) == 0;
    const FolderNames* kept =
        folderSeen ? NamesOf(folder, folder[0] == 0 ? nullptr : &folderStat) : nullptr;
    if (kept != nullptr) {
      r.names = kept;
      char spelling[1024];
      if (FindKeptSpelling(*kept, r.lastName, r.lastUnits, r.path + r.lastStart, spelling,
                           sizeof spelling)) {
        SetLastSpelling(r, spelling);
        r.lastKept = true;
      } else {
        r.lastMissing = true;
      }
      return;
    }
  }
  if (lstat(r.path, &r.st) == 0) {
    r.statValid = true;
    return;
  }
  if (named) {
    if (!folderSeen) folderSeen = folder[0] == 0 || lstat(folder, &folderStat) == 0;
    if (folderSeen) {
      char spelling[1024];
      bool listed = false;
      if (FindEntryIgnoringCase(folder, folder[0] == 0 ? nullptr : &folderStat, r.lastName,
                                r.lastUnits, spelling, sizeof spelling, &listed)) {
        SetLastSpelling(r, spelling);
      } else {
        r.lastMissing = listed;
      }
      return;
    }
  }
  Walk(path, r, true);
}

// Resolves path when it names an entry of the folder whose names resolving
// beside has just brought up to date (a move within one folder), without
// looking at the disk again. False when it names something elsewhere.
bool ResolveBeside(const char16_t* path, const Resolved& beside, Resolved& r) {
  if (beside.names == nullptr) return false;
  r.statValid = false;
  r.lastKept = false;
  r.names = nullptr;
  Walk(path, r, false);
  if (r.tooLong) return true;
  if (r.lastUnits == 0 || r.lastIsDot || r.parentEnd != beside.parentEnd ||
      std::memcmp(r.path, beside.path, static_cast<size_t>(r.parentEnd)) != 0) {
    return false;
  }
  r.names = beside.names;
  char spelling[1024];
  if (FindKeptSpelling(*beside.names, r.lastName, r.lastUnits, r.path + r.lastStart, spelling,
                       sizeof spelling)) {
    SetLastSpelling(r, spelling);
    r.lastKept = true;
  } else {
    r.lastMissing = true;
  }
  return true;
}

// The parent folder part of a resolved path ("" for the current directory).
void ParentOf(const Resolved& r, char* out) {
  std::memcpy(out, r.path, static_cast<size_t>(r.parentEnd));
  out[r.parentEnd] = 0;
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

// Kind of a directory entry without following a symbolic link to a folder
// (a link to a folder is neither listed nor entered, so no listing loops).
enum class EntryKind { kFile, kFolder, kOther };

EntryKind KindOf(int dirFd, const dirent* entry) {
  // The listing's own type, where the file system gives one, spares a stat.
  if (entry->d_type == DT_DIR) return EntryKind::kFolder;
  if (entry->d_type == DT_REG) return EntryKind::kFile;
  const char* name = entry->d_name;
  struct stat st;
  if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return EntryKind::kOther;
  if (S_ISDIR(st.st_mode)) return EntryKind::kFolder;
  if (S_ISLNK(st.st_mode)) {
    if (fstatat(dirFd, name, &st, 0) != 0) return EntryKind::kOther;
    return S_ISREG(st.st_mode) ? EntryKind::kFile : EntryKind::kOther;
  }
  // A pipe, socket or device is no file of a card (reading a pipe would
  // wait forever).
  return S_ISREG(st.st_mode) ? EntryKind::kFile : EntryKind::kOther;
}

// Pushes the wide names of folder's entries of the given kind onto the
// pool. Returns false when the folder cannot be read.
bool PushEntries(HostNamePool& pool, const char* folder, EntryKind kind) {
  DIR* dir = opendir(folder[0] == 0 ? "." : folder);
  if (dir == nullptr) return false;
  while (dirent* entry = readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    if (KindOf(dirfd(dir), entry) != kind) continue;
    char16_t name[kHostNameUnits + 2];
    Utf8ToWide(entry->d_name, name, kHostNameUnits + 2);
    if (!HostPoolPush(pool, name)) break;  // pool full: the rest is left out
  }
  closedir(dir);
  return true;
}

// Lists the subfolders of the folder at hostPath (UTF-8) whose card path is
// cardPath (wide, "" for the root): first every subfolder's line, then each
// subfolder's own listing, in name order.
bool ListFolders(std::FILE* out, char* hostPath, int hostLen, char16_t* cardPath, int cardLen) {
  HostNamePool& pool = HostListingPool();
  int first = pool.nameCount;
  PushEntries(pool, hostLen == 0 ? "." : hostPath, EntryKind::kFolder);
  HostPoolSort(pool, first);
  int last = pool.nameCount;
  bool ok = true;
  constexpr int kCardUnits = 2048;
  for (int k = first; k < last && ok; ++k) {
    const char16_t* name = HostPoolName(pool, k);
    int len = 0;
    while (name[len] != 0) ++len;
    if (cardLen + 1 + len + 1 > kCardUnits) continue;
    cardPath[cardLen] = u'\\';
    for (int u = 0; u <= len; ++u) cardPath[cardLen + 1 + u] = name[u];
    ok = HostWriteListingLine(out, cardPath);
    cardPath[cardLen] = 0;
  }
  for (int k = first; k < last && ok; ++k) {
    const char16_t* name = HostPoolName(pool, k);
    int len = 0;
    while (name[len] != 0) ++len;
    if (cardLen + 1 + len + 1 > kCardUnits) continue;
    int pos = hostLen;
    if (pos > 0) hostPath[pos++] = '/';
    if (!AppendUtf8(name, len, hostPath, kPathBytes, &pos)) {
      hostPath[hostLen] = 0;
      continue;
    }
    cardPath[cardLen] = u'\\';
    for (int u = 0; u <= len; ++u) cardPath[cardLen + 1 + u] = name[u];
    ok = ListFolders(out, hostPath, pos, cardPath, cardLen + 1 + len);
    hostPath[hostLen] = 0;
    cardPath[cardLen] = 0;
  }
  HostPoolPop(pool, first);
  return ok;
}

}  // namespace

// --- Code page 932 hooks -------------------------------------------------------

// iconv is asked once per character; its answers are kept (0 not asked yet,
// 0xFFFF no character).
static char16_t doubleByteToWide[65536];

bool HostMapDoubleByte(uint8_t lead, uint8_t trail, char16_t* out) {
  char16_t& known = doubleByteToWide[lead << 8 | trail];
  if (known == 0) {
    char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    unsigned char buf[8];
    int n = ConvertExact(FromCp932(), in, 2, reinterpret_cast<char*>(buf), sizeof buf);
    char16_t unit = static_cast<char16_t>(buf[0] | (buf[1] << 8));
    known = n == 2 && unit != 0 && unit != 0xFFFF ? unit : 0xFFFF;
  }
  if (known == 0xFFFF) return false;
  *out = known;
  return true;
}

// The same for the other way: 0 not asked yet, 1 no character, 0x100 + b
// the single byte b, else the two bytes (lead byte high).
static uint16_t wideToCp932[65536];

int HostMapWideUnit(char16_t c, uint8_t out[2]) {
  uint16_t& known = wideToCp932[c];
  if (known == 0) {
    char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    char buf[8];
    int n = ConvertExact(ToCp932(), in, 2, buf, sizeof buf);
    uint8_t b0 = static_cast<uint8_t>(buf[0]);
    uint8_t b1 = static_cast<uint8_t>(buf[1]);
    if (n == 1) {
      known = static_cast<uint16_t>(0x100 + b0);
    } else if (n == 2 && (b0 << 8 | b1) > 0x1FF) {
      known = static_cast<uint16_t>(b0 << 8 | b1);
    } else {
      known = 1;
    }
  }
  if (known == 1) return 0;
  if (known < 0x200) {
    out[0] = static_cast<uint8_t>(known - 0x100);
    return 1;
  }
  out[0] = static_cast<uint8_t>(known >> 8);
  out[1] = static_cast<uint8_t>(known & 0xFF);
  return 2;
}

// --- Directories ----------------------------------------------------------------

bool HostGetCurrentDirectory(char* out, int size) {
  if (size <= 0) return false;
  char utf8[kPathBytes];
  if (getcwd(utf8, sizeof utf8) == nullptr) return false;
  char16_t wide[kPathBytes];
  if (!Utf8ToWide(utf8, wide, kPathBytes)) return false;
  HostWideToCp932(wide, out, size);
  return true;
}

bool HostGetCurrentDirectoryW(char16_t* out, int units) {
  if (units < 2) return false;
  out[0] = u'\\';
  out[1] = 0;
  return true;
}

bool HostGetTempDirectory(char* out, int size) {
  const char* dir = std::getenv("TMPDIR");
  if (dir == nullptr || dir[0] == 0) dir = "/tmp";
  char16_t wide[kPathBytes];
  if (!Utf8ToWide(dir, wide, kPathBytes - 1)) return false;
  int len = 0;
  while (wide[len] != 0) ++len;
  if (wide[len - 1] != u'/') {
    wide[len++] = u'/';
    wide[len] = 0;
  }
  char full[kPathBytes];
  int n = HostWideToCp932(wide, full, sizeof full);
  if (n == 0 || n >= size || full[n - 1] != '/') return false;
  std::memcpy(out, full, static_cast<size_t>(n) + 1);
  return true;
}

// --- Listings -------------------------------------------------------------------

namespace {

// A work file is written over in place and cut to its new length when it is
// closed, not emptied first: ext4 makes the emptying of a file wait until
// the disk has its old contents, and writes the new ones out at once on
// closing, which for the file listing of every folder adds up to seconds.
std::FILE* OpenWorkFile(const char* path) {
  std::FILE* file = HostOpen(path, "r+b");
  return file != nullptr ? file : HostOpen(path, "wb");
}

bool CloseWorkFile(std::FILE* file) {
  bool ok = std::fflush(file) == 0;
  long end = std::ftell(file);
  if (end < 0 || ftruncate(fileno(file), end) != 0) ok = false;
  return std::fclose(file) == 0 && ok;
}

}  // namespace

bool HostWriteFolderListing(const char* workFile) {
  std::FILE* out = OpenWorkFile(workFile);
  if (out == nullptr) return false;
  static char hostPath[kPathBytes];
  static char16_t cardPath[2048];
  hostPath[0] = 0;
  cardPath[0] = 0;
  bool ok = ListFolders(out, hostPath, 0, cardPath, 0);
  ok = CloseWorkFile(out) && ok;
  return ok;
}

bool HostWriteFileListing(const char* folderPath, const char* workFile) {
  std::FILE* out = OpenWorkFile(workFile);
  if (out == nullptr) return false;
  char16_t wide[1024];
  bool ok = true;
  if (ToWidePath(folderPath, wide, 1024)) {
    static Resolved r;
    Resolve(wide, r);
    if (!r.fatInvalid && !r.tooLong) {
      HostNamePool& pool = HostListingPool();
      int first = pool.nameCount;
      PushEntries(pool, r.path, EntryKind::kFile);
      HostPoolSort(pool, first);
      for (int k = first; k < pool.nameCount && ok; ++k) {
        ok = HostWriteListingLine(out, HostPoolName(pool, k));
      }
      HostPoolPop(pool, first);
    }
  }
  ok = CloseWorkFile(out) && ok;
  return ok;
}

// --- Wide listing --------------------------------------------------------------

namespace {

// Fills entry from the next matching directory entry; false at the end.
bool ReadMatching(HostFind& find, HostFindEntry& entry) {
  DIR* dir = static_cast<DIR*>(find.handle);
  if (dir == nullptr) return false;
  while (dirent* d = readdir(dir)) {
    char16_t name[kHostNameUnits + 1];
    bool whole = Utf8ToWide(d->d_name, name, kHostNameUnits + 1);
    int len = 0;
    while (name[len] != 0) ++len;
    if (!HostMatchPattern(find.pattern, name)) continue;
    bool tooLong = !whole || len >= kHostNameUnits;
    int copy = tooLong ? kHostNameUnits - 1 : len;
    for (int u = 0; u < copy; ++u) entry.name[u] = name[u];
    entry.name[copy] = 0;
    entry.tooLong = tooLong;
    if (HostIsDotName(entry.name)) {
      entry.isDirectory = true;
    } else {
      entry.isDirectory = KindOf(dirfd(dir), d) == EntryKind::kFolder;
    }
    return true;
  }
  return false;
}

}  // namespace

bool HostFindFirst(HostFind& find, const char16_t* folderPath, const char16_t* pattern,
                   HostFindEntry& entry) {
  find.handle = nullptr;
  find.pattern[0] = 0;
  int len = 0;
  while (pattern[len] != 0 && len < kHostNameUnits - 1) {
    find.pattern[len] = pattern[len];
    ++len;
  }
  find.pattern[len] = 0;
  static Resolved r;
  Resolve(folderPath, r);
  if (r.fatInvalid || r.tooLong) return false;
  DIR* dir = opendir(r.path);
  if (dir == nullptr) return false;
  find.handle = dir;
  // A drive root shows no "." and ".." entries; the card root is one.
  bool root = IsCardRoot(folderPath);
  for (;;) {
    if (!ReadMatching(find, entry)) {
      HostFindClose(find);
      return false;
    }
    if (!(root && HostIsDotName(entry.name))) return true;
  }
}

bool HostFindNext(HostFind& find, HostFindEntry& entry) {
  return ReadMatching(find, entry);
}

void HostFindClose(HostFind& find) {
  if (find.handle != nullptr) closedir(static_cast<DIR*>(find.handle));
  find.handle = nullptr;
}

// --- Files -----------------------------------------------------------------------

bool HostExists(const char16_t* path) {
  if (path[0] == 0) return false;
  static Resolved r;
  Resolve(path, r);
  if (r.fatInvalid || r.tooLong || r.lastMissing) return false;
  if (r.statValid && !S_ISLNK(r.st.st_mode)) return true;
  struct stat st;
  return stat(r.path, &st) == 0;
}

bool HostExistsA(const char* path) {
  char16_t wide[1024];
  if (!ToWidePath(path, wide, 1024)) return false;
  return HostExists(wide);
}

unsigned long HostErrorAlreadyExists() { return EEXIST; }
unsigned long HostErrorInvalidName() { return EINVAL; }

unsigned long HostMove(const char16_t* from, const char16_t* to) {
  static Resolved source;
  static Resolved target;
  Resolve(to, target, true);
  if (!ResolveBeside(from, target, source)) Resolve(from, source);
  if (source.tooLong || target.tooLong) return ENAMETOOLONG;
  if (source.fatInvalid || target.fatInvalid) return HostErrorInvalidName();
  // The source's own lstat is wanted only to tell it from a taken target.
  struct stat sourceStat = source.st;
  if (!source.statValid && !(source.lastKept && target.lastMissing) &&
      lstat(source.path, &sourceStat) != 0) {
    return static_cast<unsigned long>(errno);
  }

  // The target's name as given, and its folder as found on disk.
  char folder[kPathBytes];
  ParentOf(target, folder);
  int nameStart = target.parentEnd;
  if (nameStart > 0 && target.path[nameStart] == '/') ++nameStart;
  int toLen = 0;
  int toStart = 0;
  for (int i = 0; to[i] != 0; ++i) {
    if (HostIsSeparator(to[i])) toStart = i + 1;
  }
  for (int i = toStart; to[i] != 0; ++i) ++toLen;
  if (toLen == 0) return HostErrorInvalidName();
  char wanted[kPathBytes];
  std::memcpy(wanted, target.path, static_cast<size_t>(nameStart));
  int pos = nameStart;
  if (!AppendUtf8(to + toStart, toLen, wanted, kPathBytes, &pos)) return ENAMETOOLONG;

  // FAT holds one name in one spelling: any entry equal ignoring case that
  // is not the source itself makes the target taken. When resolving the
  // target has just listed its folder and found no such entry, there is
  // nothing to look at.
  bool caseChangeOnly = false;
  if (!target.lastMissing) {
    DIR* dir = opendir(folder[0] == 0 ? "." : folder);
    if (dir == nullptr) return static_cast<unsigned long>(errno);
    unsigned long taken = 0;
    while (dirent* d = readdir(dir)) {
      if (!NameMatches(d->d_name, to + toStart, toLen)) continue;
      struct stat st;
      if (fstatat(dirfd(dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
          st.st_dev == sourceStat.st_dev && st.st_ino == sourceStat.st_ino) {
        caseChangeOnly = true;
        continue;
      }
      taken = HostErrorAlreadyExists();
    }
    closedir(dir);
    if (taken != 0) return taken;
  }
  if (std::strcmp(source.path, wanted) == 0) return 0;
  if (caseChangeOnly) {
    // Only the source holds the name: a plain rename changes its spelling
    // (on a case-insensitive disk a no-replace rename would refuse it).
    return rename(source.path, wanted) == 0 ? 0 : static_cast<unsigned long>(errno);
  }
#if defined(__linux__) && defined(SYS_renameat2)
  constexpr unsigned kRenameNoReplace = 1;  // RENAME_NOREPLACE
  if (syscall(SYS_renameat2, AT_FDCWD, source.path, AT_FDCWD, wanted, kRenameNoReplace) == 0) {
    return 0;
  }
  if (errno != ENOSYS && errno != EINVAL && errno != ENOTSUP) {
    return static_cast<unsigned long>(errno);
  }
#endif
  // No atomic no-replace rename here: the target was checked above.
  struct stat st;
  if (lstat(wanted, &st) == 0) return HostErrorAlreadyExists();
  return rename(source.path, wanted) == 0 ? 0 : static_cast<unsigned long>(errno);
}

std::FILE* HostOpenW(const char16_t* path, const char* mode) {
  char binary[4];
  int n = 0;
  binary[n++] = (mode[0] == 'w' || mode[0] == 'a') ? mode[0] : 'r';
  if (std::strchr(mode, '+') != nullptr) binary[n++] = '+';
  binary[n++] = 'b';
  binary[n] = 0;
  if (path[0] == 0) return nullptr;
  static Resolved r;
  Resolve(path, r);
  if (r.fatInvalid || r.tooLong) {
    errno = r.tooLong ? ENAMETOOLONG : EINVAL;
    return nullptr;
  }
  if (r.statValid && S_ISDIR(r.st.st_mode)) {
    errno = EISDIR;  // a folder is not a file, as on Windows
    return nullptr;
  }
  if (r.lastMissing && binary[0] == 'r') {
    errno = ENOENT;  // its folder holds no such name
    return nullptr;
  }
  // Only regular files are opened: opening a pipe or a device could keep
  // the run waiting forever.
  // (A name its folder does not hold in any case is a new file.)
  struct stat target;
  if (!(r.statValid && S_ISREG(r.st.st_mode)) && !r.lastMissing && stat(r.path, &target) == 0 &&
      !S_ISREG(target.st_mode)) {
    errno = S_ISDIR(target.st_mode) ? EISDIR : EINVAL;
    return nullptr;
  }
  std::FILE* file = std::fopen(r.path, binary);
  if (file == nullptr) return nullptr;
  if (r.statValid && S_ISREG(r.st.st_mode)) return file;  // resolving has looked
  if (binary[0] != 'r' || binary[1] == '+') return file;  // a folder never opens for writing
  struct stat st;
  if (fstat(fileno(file), &st) == 0 && S_ISDIR(st.st_mode)) {
    // A folder is not a file, as on Windows.
    std::fclose(file);
    errno = EISDIR;
    return nullptr;
  }
  return file;
}

std::FILE* HostOpen(const char* path, const char* mode) {
  char16_t wide[1024];
  if (!ToWidePath(path, wide, 1024)) return nullptr;
  return HostOpenW(wide, mode);
}

bool HostCopyFile(const char* from, const char* to) {
  std::FILE* in = HostOpen(from, "rb");
  if (in == nullptr) return false;
  std::FILE* out = HostOpen(to, "wb");
  if (out == nullptr) {
    std::fclose(in);
    return false;
  }
  char buf[8192];
  bool ok = true;
  for (;;) {
    size_t n = std::fread(buf, 1, sizeof buf, in);
    if (n > 0 && std::fwrite(buf, 1, n, out) != n) ok = false;
    if (n < sizeof buf) {
      if (std::ferror(in)) ok = false;
      break;
    }
  }
  std::fclose(in);
  if (std::fclose(out) != 0) ok = false;
  return ok;
}

// --- Console -------------------------------------------------------------------

void HostPrint(const char* text) {
  char buf[1024];
  int n = 0;
  int pos = 0;
  for (;;) {
    char16_t c;
    int used = HostDecodeCp932Char(text + pos, &c);
    if (used == 0) break;
    pos += used;
    if (n + 4 >= static_cast<int>(sizeof buf)) {
      std::fwrite(buf, 1, static_cast<size_t>(n), stdout);
      n = 0;
    }
    n += HostEncodeUtf8(c, buf + n);
  }
  std::fwrite(buf, 1, static_cast<size_t>(n), stdout);
  std::fflush(stdout);
}

bool HostPrintsUtf8() { return true; }

