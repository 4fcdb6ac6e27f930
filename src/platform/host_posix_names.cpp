// Names on a POSIX disk and the kept names of the folders looked into last.
//
// Finding a name in any ASCII case means reading the whole folder, and a run
// looks names up in one folder many times in a row (a move for each of its
// tracks, each file it writes there, the listings of the rename pass), going
// back and forth between a folder and its subfolders. So the names of the
// folders looked into last are kept, with what each entry is, and looked up
// by path: a lookup costs one read of the inotify queue that finds nothing.
#include "platform/host_posix_names.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#if defined(__linux__)
#include <sys/inotify.h>
#include <sys/syscall.h>
#endif

#include "platform/host_internal.h"

// --- UTF-16 <-> UTF-8 ---------------------------------------------------------

bool PosixAppendUtf8(const char16_t* units, int count, char* out, int size, int* pos) {
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

bool PosixUtf8ToWide(const char* text, char16_t* out, int units) {
  int n = 0;
  int pos = 0;
  // Most names are ASCII: their bytes are copied in a loop of their own.
  for (; n < units - 1; ++n, ++pos) {
    uint8_t c = static_cast<uint8_t>(text[pos]);
    if (c == 0 || c >= 0x80) break;
    out[n] = c;
  }
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

// --- Entry kinds ----------------------------------------------------------------

EntryKind PosixKindAt(int dirFd, const char* name) {
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

namespace {

EntryKind KindOfType(unsigned char type) {
  switch (type) {
    case DT_DIR:
      return EntryKind::kFolder;
    case DT_REG:
      return EntryKind::kFile;
    case DT_LNK:
    case DT_UNKNOWN:
      return EntryKind::kUnknown;
    default:
      return EntryKind::kOther;
  }
}

}  // namespace

// --- Kept folder names --------------------------------------------------------
//
// Every kept folder's entries live in one pool: a folder holds a list of them
// in the order found and two hash chains, to find one by its spelling or by
// its name in any case. Folders are kept for the whole run (a run looks into
// each folder in its rename pass, then lists them all and scans each one, and
// keeping them spares reading them again), until the pool is full: then
// everything is forgotten and the pool starts again, at the start of the next
// operation, so that no lookup in progress loses what it found.

struct FolderNames {
  static constexpr int kMaxPath = 1024;
  static constexpr int kBuckets = 32;
  bool valid;     // the names are those of the folder dev/ino as it is now
  bool watching;  // watch is an inotify watch on that folder
  int watch;
  dev_t dev;
  ino_t ino;
  int path;  // in the pool's bytes
  int pathBytes;
  unsigned pathHash;
  int pathNext;  // next folder (index + 1) of its path bucket, or of its id bucket
  int idNext;
  int first;  // its entries in the order found, -1 for none
  int last;
  int byteHead[kBuckets];  // entry index + 1, 0 ends a chain
  int foldHead[kBuckets];
};

namespace {

struct Entry {
  int spelling;  // in the pool's bytes; -1 once the name is gone
  // In the pool's units; -1 for an ASCII name, whose units are the bytes of
  // its spelling (most names are ASCII: the pages of their units are never
  // touched, and every page a run first touches costs it).
  int wide;
  uint32_t byteHash;  // of the spelling
  uint32_t foldHash;  // of the units with ASCII letters folded
  int byteNext;       // entry index + 1, 0 ends a chain
  int foldNext;
  int next;           // the folder's next entry, -1 at the end
  int16_t wideUnits;  // -1 for a name too long to compare
  EntryKind kind;
};

// A card of 999 folders and 20,000 tracks, renamed, takes about a third of
// the entries and of the bytes, and few units (ASCII names keep none);
// about 8 MiB in all when full.
constexpr int kMaxFolders = 4096;
constexpr int kMaxEntries = 80 * 1024;
constexpr int kPoolBytes = 2 << 20;
constexpr int kPoolUnits = 1 << 20;
constexpr int kPathBuckets = 4096;
FolderNames folders[kMaxFolders];
Entry entries[kMaxEntries];
char poolBytes[kPoolBytes];
char16_t poolUnits[kPoolUnits];
int foldersUsed = 0;
int entriesUsed = 0;
int bytesUsed = 0;
int unitsUsed = 0;
int pathHead[kPathBuckets];  // folder index + 1
int idHead[kPathBuckets];
bool poolFull = false;  // start again at the next operation
int namesFd = -2;       // the inotify descriptor; -2 not opened yet, -1 none

// The kind of the entry a move took out of a kept folder, for the entry it
// puts in (the two reports share a cookie).
uint32_t movedCookie = 0;
EntryKind movedKind = EntryKind::kUnknown;

// Moves of files that the host made in a kept folder and put into its names
// at once (KeepMovedFile), oldest first, until the queue reports them: the
// report of one finds the names changed already, and the file keeps its kind.
// The queue is read before the next move only once this many are waiting.
struct OwnMove {
  int watch;
  char from[NAME_MAX + 1];
};
constexpr int kMaxOwnMoves = 32;
OwnMove ownMoves[kMaxOwnMoves];
int ownMovesMade = 0;
int ownMovesReported = 0;
bool readBeforeMove = true;

bool NamesFdReady() {
#if defined(__linux__)
  if (namesFd == -2) namesFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
#else
  namesFd = -1;
#endif
  return namesFd >= 0;
}

// Hashes take a word a step: the per-byte multiply chain of a byte hash was a
// fair part of every lookup. Only bucket choice depends on them.
constexpr uint64_t kHashFactor = 0x9E3779B97F4A7C15u;

uint64_t HashStep(uint64_t h, uint64_t word) { return (h ^ word) * kHashFactor; }

// The low bits pick buckets: bring the high bits, where every word has
// left its mark, down to them.
uint32_t HashEnd(uint64_t h) {
  h ^= h >> 29;
  h *= kHashFactor;
  return static_cast<uint32_t>(h ^ (h >> 32));
}

unsigned HashPath(const char* path, int bytes) {
  uint64_t h = static_cast<uint64_t>(bytes);
  int i = 0;
  for (; i + 8 <= bytes; i += 8) {
    uint64_t word;
    std::memcpy(&word, path + i, sizeof word);
    h = HashStep(h, word);
  }
  uint64_t rest = 0;  // no memcpy of a variable size: that is a call
  for (int k = 0; i + k < bytes; ++k) {
    rest |= uint64_t{static_cast<uint8_t>(path[i + k])} << (8 * k);
  }
  return HashEnd(HashStep(h, rest));
}

// Hashes compared first, so a lookup seldom compares a whole name.
uint32_t HashFolded(const char16_t* units, int count) {
  uint64_t h = static_cast<uint64_t>(count);
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    uint64_t word;
    std::memcpy(&word, units + i, sizeof word);
    h = HashStep(h, HostFoldAscii4(word));
  }
  uint64_t rest = 0;
  for (int k = 0; i + k < count; ++k) rest |= uint64_t{units[i + k]} << (16 * k);
  return HashEnd(HashStep(h, HostFoldAscii4(rest)));
}

uint32_t HashName(const char* name) { return HashPath(name, static_cast<int>(std::strlen(name))); }

unsigned IdBucket(dev_t dev, ino_t ino) {
  return static_cast<unsigned>((static_cast<uint64_t>(ino) * 2654435761u) ^ dev) % kPathBuckets;
}

const char* PathOf(const FolderNames& n) { return poolBytes + n.path; }

// The entry i or the first live one after it in its folder's list; -1.
int NextLive(int i) {
  while (i >= 0 && entries[i].spelling < 0) i = entries[i].next;
  return i;
}

int FindKeptName(const FolderNames& n, const char* name, uint32_t hash) {
  for (int k = n.byteHead[hash % FolderNames::kBuckets]; k != 0; k = entries[k - 1].byteNext) {
    const Entry& e = entries[k - 1];
    if (e.byteHash == hash && e.spelling >= 0 && std::strcmp(poolBytes + e.spelling, name) == 0) {
      return k - 1;
    }
  }
  return -1;
}

// The UTF-16 units of name (bytes long) in wide (room for kHostNameUnits +
// 2): their count, or -1 for a name too long to hold. *ascii when they are
// the name's own bytes.
int WideOfName(const char* name, int bytes, char16_t* wide, bool* ascii) {
  int units = -1;
  if (PosixUtf8ToWide(name, wide, kHostNameUnits + 2)) {
    units = 0;
    while (wide[units] != 0) ++units;
  }
  *ascii = units == bytes;
  for (int k = 0; k < units && *ascii; ++k) *ascii = wide[k] < 0x80;
  return units;
}

// Writes name (bytes long, byteHash its hash, units its units from
// WideOfName) with its kind into entry i of n, at the places the entry has
// for its spelling and, unless the name is ASCII, its units; then puts the
// entry first in the two chains its hashes choose.
void WriteName(FolderNames& n, int i, const char* name, int bytes, uint32_t byteHash,
               const char16_t* wide, int units, bool ascii, EntryKind kind) {
  Entry& e = entries[i];
  std::memcpy(poolBytes + e.spelling, name, static_cast<size_t>(bytes) + 1);
  if (ascii) {
    e.wide = -1;
  } else if (units > 0) {
    std::memcpy(poolUnits + e.wide, wide, sizeof(char16_t) * static_cast<size_t>(units));
  }
  e.wideUnits = static_cast<int16_t>(units);
  e.byteHash = byteHash;
  e.foldHash = units >= 0 ? HashFolded(wide, units) : 0;
  e.kind = kind;
  int& byteHead = n.byteHead[e.byteHash % FolderNames::kBuckets];
  e.byteNext = byteHead;
  byteHead = i + 1;
  int& foldHead = n.foldHead[e.foldHash % FolderNames::kBuckets];
  e.foldNext = foldHead;
  foldHead = i + 1;
}

// Keeps a name with its kind (once: a listing gives each name once, a change
// reported may repeat one); false when the pool is full.
bool KeepName(FolderNames& n, const char* name, EntryKind kind, bool listed) {
  uint32_t byteHash = HashName(name);
  if (!listed) {
    int i = FindKeptName(n, name, byteHash);
    if (i >= 0) {
      entries[i].kind = kind;
      return true;
    }
  }
  char16_t wide[kHostNameUnits + 2];
  int bytes = static_cast<int>(std::strlen(name));
  bool ascii;
  int units = WideOfName(name, bytes, wide, &ascii);
  int unitsKept = units >= 0 && !ascii ? units : 0;
  if (entriesUsed == kMaxEntries || bytesUsed + bytes + 1 > kPoolBytes ||
      unitsUsed + unitsKept > kPoolUnits) {
    poolFull = true;
    return false;
  }
  int i = entriesUsed++;
  Entry& e = entries[i];
  e.spelling = bytesUsed;
  bytesUsed += bytes + 1;
  e.wide = unitsUsed;
  unitsUsed += unitsKept;
  WriteName(n, i, name, bytes, byteHash, wide, units, ascii, kind);
  e.next = -1;
  if (n.last >= 0) {
    entries[n.last].next = i;
  } else {
    n.first = i;
  }
  n.last = i;
  return true;
}

// What ForgetBelow looks at first of each kept folder, side by side: it
// runs through every folder for each folder moved, and the folders
// themselves lie too far apart to be read that often.
struct FolderKey {
  uint64_t head;  // the first bytes of the path, zero after its end
  int pathBytes;  // -1 while the folder's names are not valid
};
FolderKey folderKeys[kMaxFolders];

// The first bytes (at most 8) of path as one number, the rest zero.
uint64_t HeadOf(const char* path, int bytes) {
  unsigned char head[8] = {};
  std::memcpy(head, path, static_cast<size_t>(bytes < 8 ? bytes : 8));
  uint64_t value;
  std::memcpy(&value, head, sizeof value);
  return value;
}

void SetValid(FolderNames& n, bool valid) {
  n.valid = valid;
  FolderKey& key = folderKeys[&n - folders];
  key.pathBytes = valid ? n.pathBytes : -1;
  key.head = valid ? HeadOf(PathOf(n), n.pathBytes) : 0;
}

// The watch itself stays: removing one is slow, and watching the folder
// again gives back the same watch. The folder's slot and entries stay in the
// pool until it starts again.
void ForgetNames(FolderNames& n) {
  n.watching = false;
  SetValid(n, false);
}

// True when path is prefix itself or lies below it.
bool IsAtOrBelow(const FolderNames& n, const char* prefix, int prefixBytes) {
  if (n.pathBytes < prefixBytes) return false;
  // The byte after the prefix first: it rules out most folders at once.
  if (n.pathBytes > prefixBytes && PathOf(n)[prefixBytes] != '/') return false;
  return std::memcmp(PathOf(n), prefix, static_cast<size_t>(prefixBytes)) == 0;
}

void ForgetBelow(const char* prefix, int prefixBytes) {
  // A kept folder below the prefix starts with its first bytes.
  uint64_t head = HeadOf(prefix, prefixBytes);
  uint64_t mask = HeadOf("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", prefixBytes);  // its bytes only
  for (int f = 0; f < foldersUsed; ++f) {
    const FolderKey& key = folderKeys[f];
    if (key.pathBytes < prefixBytes || ((key.head ^ head) & mask) != 0) continue;
    if (prefixBytes == 0 || IsAtOrBelow(folders[f], prefix, prefixBytes)) ForgetNames(folders[f]);
  }
}

// Starts the pool again, every folder forgotten.
void StartPoolAgain() {
  ForgetBelow("", 0);
  foldersUsed = 0;
  entriesUsed = 0;
  bytesUsed = 0;
  unitsUsed = 0;
  std::memset(pathHead, 0, sizeof pathHead);
  std::memset(idHead, 0, sizeof idHead);
  poolFull = false;
}

#if defined(__linux__)
// --- Watched folders ---------------------------------------------------------
//
// Every folder watched, kept or above a kept one, with the path it was
// watched under, by its watch. A folder that moves or goes is reported by the
// watch on the folder above it (or by its own), and the kept folders at or
// below its path are forgotten: so the path of a kept folder always leads to
// it.

constexpr uint32_t kChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
                              IN_MOVE_SELF | IN_ONLYDIR;
constexpr int kMaxWatches = 32768;
struct WatchedPath {
  int at;  // in watchedPaths, + 1; 0 for none (so the table needs no filling first)
  int bytes;
};
WatchedPath watchedPath[kMaxWatches];
// The kept folder (index + 1) that last had each watch: a report finds its
// folder at once.
int16_t keptByWatch[kMaxWatches];
constexpr int kWatchedBytes = 1 << 20;
char watchedPaths[kWatchedBytes];
int watchedBytesUsed = 0;
bool watchedReady = false;

void ForgetWatchedPaths() {
  if (watchedReady) {  // the table starts empty
    for (WatchedPath& w : watchedPath) w.at = 0;
  }
  watchedBytesUsed = 0;
  watchedReady = true;
  ForgetBelow("", 0);  // the folders above the kept ones are no longer known
}

// Watches the folder at path (bytes of it; "" is the current directory) and
// notes the path for its watch. False when it cannot be watched.
bool WatchFolder(const char* path, int bytes, int* watch) {
  if (!watchedReady) ForgetWatchedPaths();
  char folder[FolderNames::kMaxPath];
  std::memcpy(folder, path, static_cast<size_t>(bytes));
  folder[bytes] = 0;
  int wd = inotify_add_watch(namesFd, bytes == 0 ? "." : folder, kChanges);
  if (wd <= 0 || wd >= kMaxWatches) return false;
  WatchedPath& w = watchedPath[wd];
  if (w.at == 0 || w.bytes != bytes ||
      std::memcmp(watchedPaths + w.at - 1, path, static_cast<size_t>(bytes)) != 0) {
    if (watchedBytesUsed + bytes > kWatchedBytes) ForgetWatchedPaths();
    std::memcpy(watchedPaths + watchedBytesUsed, path, static_cast<size_t>(bytes));
    w.at = watchedBytesUsed + 1;
    w.bytes = bytes;
    watchedBytesUsed += bytes;
  }
  *watch = wd;
  return true;
}

// Watches the folder above a kept one at path (bytes of it), unless it is
// kept itself (a kept folder is watched, under the path it is kept by).
bool WatchFolderAbove(const char* path, int bytes) {
  char folder[FolderNames::kMaxPath];
  std::memcpy(folder, path, static_cast<size_t>(bytes));
  folder[bytes] = 0;
  if (KeptFolderNamesAt(folder) != nullptr) return true;
  int watch;
  return WatchFolder(path, bytes, &watch);
}

// Watches the folder at path and every folder above it up to the current
// directory.
bool WatchFolderAndAbove(const char* path, int* watch) {
  int bytes = static_cast<int>(std::strlen(path));
  if (bytes > 0 && !WatchFolderAbove(path, 0)) return false;
  for (int i = 0; i < bytes; ++i) {
    if (path[i] == '/' && !WatchFolderAbove(path, i)) return false;
  }
  return WatchFolder(path, bytes, watch);
}

// What a change reported by a watch does to the kept folders' paths.
void ApplyToPaths(const inotify_event& event, bool mayBeFolder) {
  if (event.wd <= 0 || event.wd >= kMaxWatches) return;
  WatchedPath& w = watchedPath[event.wd];
  if (w.at == 0) return;
  uint32_t mask = event.mask;
  if ((mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) != 0) {
    // The folder went, or moved: what was kept at or below its path goes.
    ForgetBelow(watchedPaths + w.at - 1, w.bytes);
    w.at = 0;
  } else if ((mask & (IN_DELETE | IN_MOVED_FROM)) != 0 && event.len > 0 && mayBeFolder) {
    // A folder, or a link that led to one.
    char path[FolderNames::kMaxPath + NAME_MAX + 2];
    int len = w.bytes;
    std::memcpy(path, watchedPaths + w.at - 1, static_cast<size_t>(len));
    if (len > 0) path[len++] = '/';
    int nameBytes = static_cast<int>(std::strlen(event.name));
    std::memcpy(path + len, event.name, static_cast<size_t>(nameBytes));
    ForgetBelow(path, len + nameBytes);
  }
}

// What a change reported by its own watch does to a kept folder's names.
// Returns false when the entry gone was a file.
bool ApplyToNames(FolderNames& n, const inotify_event& event) {
  uint32_t mask = event.mask;
  if ((mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) != 0) {
    ForgetNames(n);
    return true;
  }
  if (event.len == 0) return true;
  bool folder = (mask & IN_ISDIR) != 0;
  if ((mask & (IN_CREATE | IN_MOVED_TO)) != 0) {
    // A name made where one is kept alive is an older report (nothing is
    // made over a name, and a name gone is reported gone): what the names
    // hold of it is newer, as for a file the tool made itself.
    if ((mask & IN_CREATE) != 0 && FindKeptName(n, event.name, HashName(event.name)) >= 0) {
      return true;
    }
    EntryKind kind = folder ? EntryKind::kFolder : EntryKind::kNotFolder;
    if (!folder && (mask & IN_MOVED_TO) != 0 && event.cookie == movedCookie) kind = movedKind;
    if (!KeepName(n, event.name, kind, false)) ForgetNames(n);
  } else if ((mask & (IN_DELETE | IN_MOVED_FROM)) != 0) {
    int i = FindKeptName(n, event.name, HashName(event.name));
    if ((mask & IN_MOVED_FROM) != 0) {
      movedCookie = event.cookie;
      movedKind = i >= 0 && !folder ? entries[i].kind : EntryKind::kNotFolder;
      // The host's own next move: the names took the file out already.
      const OwnMove* own = ownMovesReported < ownMovesMade ? &ownMoves[ownMovesReported] : nullptr;
      if (i < 0 && !folder && own != nullptr && own->watch == event.wd &&
          std::strcmp(own->from, event.name) == 0) {
        ++ownMovesReported;
        movedKind = EntryKind::kFile;
        return false;
      }
    }
    bool file = !folder && i >= 0 && entries[i].kind == EntryKind::kFile;
    if (i >= 0) entries[i].spelling = -1;
    return !file;
  }
  return true;
}

#endif

// Applies the changes the watches reported since the last call.
void ReadChanges() {
#if defined(__linux__)
  if (namesFd < 0) return;
  alignas(inotify_event) char buf[16384];
  for (;;) {
    ssize_t got = read(namesFd, buf, sizeof buf);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      if (got < 0 && errno != EAGAIN) ForgetBelow("", 0);
      break;
    }
    for (ssize_t at = 0; at < got;) {
      const inotify_event* event = reinterpret_cast<const inotify_event*>(buf + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if ((event->mask & IN_Q_OVERFLOW) != 0) {
        ForgetBelow("", 0);  // changes were lost
        continue;
      }
      // A file that goes (known as one from its folder's names) takes no
      // kept folder along.
      bool mayBeFolder = true;
      if (event->wd > 0 && event->wd < kMaxWatches && keptByWatch[event->wd] > 0) {
        FolderNames& n = folders[keptByWatch[event->wd] - 1];
        if (n.valid && n.watching && n.watch == event->wd) {
          mayBeFolder = ApplyToNames(n, *event);
        }
      }
      ApplyToPaths(*event, mayBeFolder);
    }
    // A read that left room for one more event of any size emptied the queue.
    if (static_cast<size_t>(got) + sizeof(inotify_event) + NAME_MAX + 1 <= sizeof buf) break;
  }
  // Every move the host made was reported by now (a rename queues its
  // reports before it returns).
  ownMovesMade = 0;
  ownMovesReported = 0;
#endif
}

}  // namespace

void StartPoolAgainIfFull() {
  if (poolFull) StartPoolAgain();
}

void FollowFolderChanges() {
  StartPoolAgainIfFull();
  ReadChanges();
  readBeforeMove = true;
}

void FollowFolderChangesBeforeMove() {
  if (readBeforeMove) FollowFolderChanges();
  readBeforeMove = true;
}

FolderNames* KeptFolderNamesAt(const char* folder) {
  int bytes = static_cast<int>(std::strlen(folder));
  unsigned hash = HashPath(folder, bytes);
  for (int k = pathHead[hash % kPathBuckets]; k != 0; k = folders[k - 1].pathNext) {
    FolderNames& n = folders[k - 1];
    if (n.valid && n.pathHash == hash && n.pathBytes == bytes &&
        std::memcmp(PathOf(n), folder, static_cast<size_t>(bytes)) == 0) {
      return &n;
    }
  }
  return nullptr;
}

FolderNames* FolderNamesOf(const char* folder, const struct stat& st) {
#if defined(__linux__)
  // Only folders of the card are kept, by paths below the current directory.
  int pathBytes = static_cast<int>(std::strlen(folder));
  if (!S_ISDIR(st.st_mode) || folder[0] == '/' || pathBytes >= FolderNames::kMaxPath ||
      !NamesFdReady()) {
    return nullptr;
  }
  // The same folder under another spelling of its path is the same names.
  unsigned id = IdBucket(st.st_dev, st.st_ino);
  for (int k = idHead[id]; k != 0; k = folders[k - 1].idNext) {
    FolderNames& n = folders[k - 1];
    if (n.valid && n.dev == st.st_dev && n.ino == st.st_ino) return &n;
  }
  // A folder kept under this path before is not this one: it, and what was
  // kept below it, are out of date.
  if (KeptFolderNamesAt(folder) != nullptr) ForgetFolderNamesUnder(folder);
  if (foldersUsed == kMaxFolders || bytesUsed + pathBytes + 1 > kPoolBytes) {
    poolFull = true;
    return nullptr;
  }
  int index = foldersUsed++;
  FolderNames& n = folders[index];
  SetValid(n, false);
  n.watching = false;
  int watch;
  if (!WatchFolderAndAbove(folder, &watch)) return nullptr;
  n.watch = watch;
  n.watching = true;
  keptByWatch[watch] = static_cast<int16_t>(index + 1);
  n.first = -1;
  n.last = -1;
  std::memset(n.byteHead, 0, sizeof n.byteHead);
  std::memset(n.foldHead, 0, sizeof n.foldHead);
  n.path = bytesUsed;
  std::memcpy(poolBytes + bytesUsed, folder, static_cast<size_t>(pathBytes) + 1);
  bytesUsed += pathBytes + 1;
  n.pathBytes = pathBytes;
  n.pathHash = HashPath(folder, pathBytes);
  // Changes from here on are reported, so the listing may come after them:
  // the last change reported for a name decides whether it is there. The
  // folder is read straight from the system, without the C library's own
  // look at it.
  int fd = open(folder[0] == 0 ? "." : folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  struct stat listed;
  bool ok = fd >= 0 && fstat(fd, &listed) == 0 && listed.st_dev == st.st_dev &&
            listed.st_ino == st.st_ino;
  alignas(8) static char found[32768];
  while (ok) {
    long got = syscall(SYS_getdents64, fd, found, sizeof found);
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    for (long at = 0; at < got && ok;) {
      const auto* entry = reinterpret_cast<const struct dirent64*>(found + at);
      at += entry->d_reclen;
      ok = KeepName(n, entry->d_name, KindOfType(entry->d_type), true);
    }
  }
  if (fd >= 0) close(fd);
  if (!ok) {
    ForgetNames(n);
    return nullptr;
  }
  n.dev = st.st_dev;
  n.ino = st.st_ino;
  n.pathNext = pathHead[n.pathHash % kPathBuckets];
  pathHead[n.pathHash % kPathBuckets] = index + 1;
  n.idNext = idHead[id];
  idHead[id] = index + 1;
  SetValid(n, true);
  ReadChanges();
  return n.valid ? &n : nullptr;
#else
  (void)folder;
  (void)st;
  return nullptr;
#endif
}

namespace {

// Whether the ASCII bytes equal the units ignoring ASCII case (units of
// them, all there).
bool AsciiEqualsIgnoringCase(const char* bytes, const char16_t* units, int count) {
  for (int k = 0; k < count; ++k) {
    if (HostFoldAscii(static_cast<uint8_t>(bytes[k])) != HostFoldAscii(units[k])) return false;
  }
  return true;
}

// Calls visit(i) for each entry of n equal to name ignoring ASCII case, until
// visit returns true.
template <typename Visit>
void ForEachVariant(const FolderNames& n, const char16_t* name, int units, Visit visit) {
  uint32_t hash = HashFolded(name, units);
  for (int k = n.foldHead[hash % FolderNames::kBuckets]; k != 0; k = entries[k - 1].foldNext) {
    const Entry& e = entries[k - 1];
    if (e.foldHash == hash && e.spelling >= 0 && e.wideUnits == units &&
        (e.wide >= 0 ? HostEqualsIgnoreAsciiCase(poolUnits + e.wide, units, name, units)
                     : AsciiEqualsIgnoringCase(poolBytes + e.spelling, name, units)) &&
        visit(k - 1)) {
      return;
    }
  }
}

}  // namespace

int FindFolderName(const FolderNames& n, const char16_t* name, int units, const char* exact) {
  int found = -1;
  ForEachVariant(n, name, units, [&](int i) {
    const char* spelling = poolBytes + entries[i].spelling;
    if (exact != nullptr && std::strcmp(spelling, exact) == 0) {
      found = i;
      return true;
    }
    if (found < 0 || std::strcmp(spelling, poolBytes + entries[found].spelling) < 0) found = i;
    return false;
  });
  return found;
}

bool FolderHasOtherSpelling(const FolderNames& n, const char16_t* name, int units,
                            const char* except) {
  bool other = false;
  ForEachVariant(n, name, units, [&](int i) {
    other = except == nullptr || std::strcmp(poolBytes + entries[i].spelling, except) != 0;
    return other;
  });
  return other;
}

const char* FolderNameSpelling(const FolderNames&, int i) {
  return poolBytes + entries[i].spelling;
}

int FolderNameWide(const FolderNames&, int i, const char16_t** units) {
  *units = entries[i].wide >= 0 ? poolUnits + entries[i].wide : nullptr;
  return entries[i].wideUnits;
}

EntryKind FolderNameKind(FolderNames& n, int i, bool resolve) {
  EntryKind kind = entries[i].kind;
  if (!resolve || (kind != EntryKind::kNotFolder && kind != EntryKind::kUnknown)) return kind;
  char path[FolderNames::kMaxPath + NAME_MAX + 2];
  const char* spelling = poolBytes + entries[i].spelling;
  int bytes = static_cast<int>(std::strlen(spelling));
  if (n.pathBytes + 1 + bytes >= static_cast<int>(sizeof path)) return EntryKind::kOther;
  int len = n.pathBytes;
  std::memcpy(path, PathOf(n), static_cast<size_t>(len));
  if (len > 0) path[len++] = '/';
  std::memcpy(path + len, spelling, static_cast<size_t>(bytes) + 1);
  kind = PosixKindAt(AT_FDCWD, path);
  entries[i].kind = kind;
  return kind;
}

int FirstFolderName(const FolderNames& n) { return NextLive(n.first); }
int NextFolderName(const FolderNames&, int i) { return NextLive(entries[i].next); }

namespace {

// The link (a chain head or an entry's next) that leads to entry i in the
// chain starting at head; null when the chain does not hold it.
int* LinkTo(int* head, int i, bool fold) {
  int* link = head;
  while (*link != 0 && *link != i + 1) {
    Entry& e = entries[*link - 1];
    link = fold ? &e.foldNext : &e.byteNext;
  }
  return *link != 0 ? link : nullptr;
}

// Gives the kept file i of n the new name, in its own entry and, where the
// new name fits, in the room of the old one: a rename pass renames most
// files of a card to shorter names, and fresh entries for them would take a
// fair part of all the memory the run touches (every page first touched
// costs it). n holds name in no case (KeepMovedFile). False, with nothing
// changed, when that cannot be done.
bool RenameInPlace(FolderNames& n, int i, const char* name) {
  Entry& e = entries[i];
  char16_t wide[kHostNameUnits + 2];
  int bytes = static_cast<int>(std::strlen(name));
  bool ascii;
  int units = WideOfName(name, bytes, wide, &ascii);
  if (units < 0) return false;
  if (bytes > static_cast<int>(std::strlen(poolBytes + e.spelling))) return false;
  if (!ascii && (e.wide < 0 || units > e.wideUnits)) return false;
  int* byteLink = LinkTo(&n.byteHead[e.byteHash % FolderNames::kBuckets], i, false);
  int* foldLink = LinkTo(&n.foldHead[e.foldHash % FolderNames::kBuckets], i, true);
  if (byteLink == nullptr || foldLink == nullptr) return false;
  *byteLink = e.byteNext;
  *foldLink = e.foldNext;
  WriteName(n, i, name, bytes, HashName(name), wide, units, ascii, EntryKind::kFile);
  return true;
}

}  // namespace

void KeepMadeFile(FolderNames& n, const char* name) {
  if (n.valid && !KeepName(n, name, EntryKind::kFile, false)) ForgetNames(n);
}

void KeepMovedFile(FolderNames& n, int i, const char* name) {
#if defined(__linux__)
  if (!n.valid || !n.watching || ownMovesMade == kMaxOwnMoves || entries[i].spelling < 0) return;
  const char* from = poolBytes + entries[i].spelling;
  if (std::strlen(from) > NAME_MAX) return;
  OwnMove& own = ownMoves[ownMovesMade];
  std::strcpy(own.from, from);
  own.watch = n.watch;
  if (!RenameInPlace(n, i, name)) {
    entries[i].spelling = -1;
    if (!KeepName(n, name, EntryKind::kFile, false)) {
      ForgetNames(n);
      return;
    }
  }
  ++ownMovesMade;
  readBeforeMove = ownMovesMade == kMaxOwnMoves;
#else
  (void)n, (void)i, (void)name;
#endif
}

void ForgetFolderNamesUnder(const char* path) {
  ForgetBelow(path, static_cast<int>(std::strlen(path)));
}
