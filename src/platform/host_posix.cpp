// The host layer on POSIX. The current directory is the card's root; paths
// given with '\' are resolved below it (host_posix_paths.cpp), finding an
// existing name in any ASCII case as FAT would, through the names kept of
// the folders looked into last (host_posix_names.cpp). Names on disk are
// UTF-8.
#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__linux__)
#include <sys/syscall.h>
#endif

#include "platform/host.h"
#include "platform/host_internal.h"
#include "platform/host_posix_names.h"
#include "platform/host_posix_paths.h"
#include "platform/host_posix_streams.h"

namespace {

// --- Code page 932 through iconv -------------------------------------------

iconv_t OpenIconv(const char* to, const char* from) { return iconv_open(to, from); }

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

// --- Listing a folder ---------------------------------------------------------------

enum class Want { kAll, kFiles, kFolders };

// Bits kept with a listed name in the pool.
constexpr char16_t kListedFolder = 1;
constexpr char16_t kListedTooLong = 2;

// The kept names of folder for a listing, or with keep the folder read anew
// and kept; null for a plain read of the folder.
FolderNames* NamesForListing(const char* folder, bool keep) {
  if (FolderNames* kept = KeptFolderNamesAt(folder)) return kept;
  struct stat st;
  if (!keep || stat(DirPath(folder), &st) != 0) return nullptr;
  return FolderNamesOf(folder, st);
}

// Pushes one entry if it is wanted and matches pattern (null: any name).
// units, when not null, is the name already in UTF-16 (count units).
void PushListed(HostNamePool& pool, const char* name, const char16_t* units, int count,
                EntryKind kind, Want want, const char16_t* pattern, bool* full) {
  if (want == Want::kFiles && kind != EntryKind::kFile) return;
  if (want == Want::kFolders && kind != EntryKind::kFolder) return;
  char16_t wide[kHostNameUnits + 2];
  bool whole = true;
  int len = 0;
  if (units != nullptr && count >= 0 && count <= kHostNameUnits) {
    for (; len < count; ++len) wide[len] = units[len];
    wide[len] = 0;
  } else {
    whole = PosixUtf8ToWide(name, wide, kHostNameUnits + 2);
    while (wide[len] != 0) ++len;
  }
  if (pattern != nullptr && !HostMatchPattern(pattern, wide)) return;
  char16_t flags = kind == EntryKind::kFolder ? kListedFolder : 0;
  if (!whole || len >= kHostNameUnits) {
    flags |= kListedTooLong;
    wide[kHostNameUnits - 1] = 0;
  }
  if (!*full && !HostPoolPush(pool, wide, flags)) *full = true;  // the rest is left out
}

bool IsDotBytes(const char* name) {
  return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// Pushes the entries of folder (a host path, "" for the current directory)
// that are wanted and match pattern onto the pool, in the order the folder
// gives them; "." and ".." only for kAll and withDots. With keep, the
// folder's names are kept for the lookups that follow. Returns false when
// the folder cannot be read.
bool PushEntries(HostNamePool& pool, const char* folder, Want want, const char16_t* pattern,
                 bool withDots, bool keep) {
  bool full = false;
  bool dots = want == Want::kAll && withDots;
  if (FolderNames* names = NamesForListing(folder, keep)) {
    ForEachFolderName(*names, [&](int i) {
      const char* name = FolderNameSpelling(*names, i);
      const char16_t* units;
      int count = FolderNameWide(*names, i, &units);
      if (IsDotBytes(name)) {
        if (dots) PushListed(pool, name, units, count, EntryKind::kFolder, want, pattern, &full);
        return;
      }
      PushListed(pool, name, units, count, FolderNameKind(*names, i, want == Want::kFiles), want,
                 pattern, &full);
    });
    return true;
  }
  DIR* dir = opendir(DirPath(folder));
  if (dir == nullptr) return false;
  while (dirent* entry = readdir(dir)) {
    if (IsDotBytes(entry->d_name)) {
      if (dots) {
        PushListed(pool, entry->d_name, nullptr, 0, EntryKind::kFolder, want, pattern, &full);
      }
      continue;
    }
    // The listing's own type, where the file system gives one, spares a stat.
    EntryKind kind = entry->d_type == DT_DIR   ? EntryKind::kFolder
                     : entry->d_type == DT_REG ? EntryKind::kFile
                                               : PosixKindAt(dirfd(dir), entry->d_name);
    PushListed(pool, entry->d_name, nullptr, 0, kind, want, pattern, &full);
  }
  closedir(dir);
  return true;
}

constexpr int kCardUnits = 2048;

// Puts "\" and listed name k after cardPath's first cardLen units; its
// units, or -1 for a name left out (too long to list, or to fit).
int PutListedName(const HostNamePool& pool, int k, char16_t* cardPath, int cardLen) {
  if ((HostPoolFlags(pool, k) & kListedTooLong) != 0) return -1;
  const char16_t* name = HostPoolName(pool, k);
  int len = 0;
  while (name[len] != 0) ++len;
  if (cardLen + 1 + len + 1 > kCardUnits) return -1;
  cardPath[cardLen] = u'\\';
  for (int u = 0; u <= len; ++u) cardPath[cardLen + 1 + u] = name[u];
  return len;
}

// Lists the subfolders of the folder at hostPath (UTF-8) whose card path is
// cardPath (wide, "" for the root; room for kCardUnits): first every
// subfolder's line, then each subfolder's own listing, in name order.
bool ListFolders(std::FILE* out, char* hostPath, int hostLen, char16_t* cardPath, int cardLen) {
  HostNamePool& pool = HostListingPool();
  int first = pool.nameCount;
  PushEntries(pool, hostPath, Want::kFolders, nullptr, false, false);
  HostPoolSort(pool, first);
  int last = pool.nameCount;
  bool ok = true;
  for (int k = first; k < last && ok; ++k) {
    if (PutListedName(pool, k, cardPath, cardLen) < 0) continue;
    ok = HostWriteListingLine(out, cardPath);
    cardPath[cardLen] = 0;
  }
  for (int k = first; k < last && ok; ++k) {
    int len = PutListedName(pool, k, cardPath, cardLen);
    if (len < 0) continue;
    int pos = hostLen;
    if (pos > 0) hostPath[pos++] = '/';
    if (PosixAppendUtf8(cardPath + cardLen + 1, len, hostPath, kPathBytes, &pos)) {
      ok = ListFolders(out, hostPath, pos, cardPath, cardLen + 1 + len);
    }
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
  if (!PosixUtf8ToWide(utf8, wide, kPathBytes)) return false;
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
  if (!PosixUtf8ToWide(dir, wide, kPathBytes - 1)) return false;
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
// closed (only when it got shorter), not emptied first: ext4 makes the
// emptying of a file wait until the disk has its old contents, and writes
// the new ones out at once on closing, which for the file listing of every
// folder adds up to seconds.
std::FILE* OpenWorkFile(const char* path) { return HostOpen(path, "wb"); }

bool CloseWorkFile(std::FILE* file) { return std::fclose(file) == 0; }

}  // namespace

bool HostWriteFolderListing(const char* workFile) {
  std::FILE* out = OpenWorkFile(workFile);
  if (out == nullptr) return false;
  FollowFolderChanges();
  static char hostPath[kPathBytes];
  static char16_t cardPath[kCardUnits];
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
    FollowFolderChanges();
    ResolveFolder(wide, r);
    if (!r.fatInvalid && !r.tooLong) {
      HostNamePool& pool = HostListingPool();
      int first = pool.nameCount;
      // The scan reads the files listed here next: their folder's names are kept.
      PushEntries(pool, FolderOf(r), Want::kFiles, nullptr, false, true);
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
//
// The matching names are listed whole when the listing starts and kept in
// the host's pool until it ends, so listings can nest (the rename pass lists
// a folder's subfolders while it works in each of them).

bool HostFindFirst(HostFind& find, const char16_t* folderPath, const char16_t* pattern,
                   HostFindEntry& entry) {
  find.handle = nullptr;
  find.first = find.next = -1;
  find.pattern[0] = 0;
  int len = 0;
  while (pattern[len] != 0 && len < kHostNameUnits - 1) {
    find.pattern[len] = pattern[len];
    ++len;
  }
  find.pattern[len] = 0;
  static Resolved r;
  FollowFolderChanges();
  ResolveFolder(folderPath, r);
  if (r.fatInvalid || r.tooLong) return false;
  HostNamePool& pool = HostListingPool();
  int first = pool.nameCount;
  // A drive root shows no "." and ".." entries; the card root is one.
  bool root = IsCardRoot(folderPath);
  if (!PushEntries(pool, FolderOf(r), Want::kAll, find.pattern, !root, true)) {
    return false;
  }
  find.first = first;
  find.next = first;
  if (HostFindNext(find, entry)) return true;
  HostFindClose(find);
  return false;
}

bool HostFindNext(HostFind& find, HostFindEntry& entry) {
  HostNamePool& pool = HostListingPool();
  if (find.first < 0 || find.next >= pool.nameCount) return false;
  const char16_t* name = HostPoolName(pool, find.next);
  char16_t flags = HostPoolFlags(pool, find.next);
  ++find.next;
  int n = 0;
  while (name[n] != 0 && n < kHostNameUnits - 1) {
    entry.name[n] = name[n];
    ++n;
  }
  entry.name[n] = 0;
  entry.isDirectory = (flags & kListedFolder) != 0;
  entry.tooLong = (flags & kListedTooLong) != 0;
  return true;
}

void HostFindClose(HostFind& find) {
  if (find.first >= 0) HostPoolPop(HostListingPool(), find.first);
  find.first = find.next = -1;
}

// --- Files -----------------------------------------------------------------------

bool HostExists(const char16_t* path) {
  if (path[0] == 0) return false;
  static Resolved r;
  FollowFolderChanges();
  Resolve(path, r, true);
  if (r.fatInvalid || r.tooLong || r.lastMissing) return false;
  if (r.lastKept) {
    EntryKind kind = FolderNameKind(*r.names, r.lastIndex, false);
    if (kind == EntryKind::kFile || kind == EntryKind::kFolder) return true;
  } else if (r.statValid && !S_ISLNK(r.st.st_mode)) {
    return true;
  }
  struct stat st;
  return stat(r.path, &st) == 0;
}

bool HostExistsA(const char* path) {
  char16_t wide[1024];
  if (!ToWidePath(path, wide, 1024)) return false;
  return HostExists(wide);
}

void HostForgetFolderNames() { ForgetFolderNamesUnder(""); }

unsigned long HostErrorAlreadyExists() { return EEXIST; }
unsigned long HostErrorInvalidName() { return EINVAL; }

namespace {

// Whether the move to target is refused because the name is taken, decided
// from the folder's names when both ends were found among them; otherwise
// from the folder as it is on disk. *caseOnly: only the source holds the
// name (in another case).
unsigned long CheckTarget(const Resolved& source, const Resolved& target, const char16_t* name,
                          int units, bool* caseOnly) {
  *caseOnly = false;
  if (target.names != nullptr && source.names == target.names) {
    if (source.lastMissing) return ENOENT;
    if (target.lastMissing) return 0;
    const char* spelling = source.path + source.lastStart;
    if (FolderHasOtherSpelling(*target.names, name, units, spelling)) {
      return HostErrorAlreadyExists();
    }
    *caseOnly = true;
    return 0;
  }
  // The source's own lstat tells it from a taken target.
  struct stat sourceStat = source.st;
  if (!source.statValid && lstat(source.path, &sourceStat) != 0) {
    return static_cast<unsigned long>(errno);
  }
  if (target.lastMissing) return 0;
  char folder[kPathBytes];
  ParentOf(target, folder);
  DIR* dir = opendir(DirPath(folder));
  if (dir == nullptr) return static_cast<unsigned long>(errno);
  unsigned long taken = 0;
  while (dirent* d = readdir(dir)) {
    if (!NameMatches(d->d_name, name, units)) continue;
    struct stat st;
    if (fstatat(dirfd(dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        st.st_dev == sourceStat.st_dev && st.st_ino == sourceStat.st_ino) {
      *caseOnly = true;
      continue;
    }
    taken = HostErrorAlreadyExists();
  }
  closedir(dir);
  return taken;
}

Resolved moveSource;
Resolved moveTarget;

// One attempt at a move; *usedNames tells whether kept names decided
// anything.
unsigned long MoveOnce(const char16_t* from, const char16_t* to, bool* usedNames) {
  Resolved& source = moveSource;
  Resolved& target = moveTarget;
  Resolve(to, target, true);
  if (!ResolveBeside(from, target, source)) Resolve(from, source);
  *usedNames = target.names != nullptr || source.names != nullptr;
  if (source.tooLong || target.tooLong) return ENAMETOOLONG;
  if (source.fatInvalid || target.fatInvalid) return HostErrorInvalidName();

  // The target's name as given, in its folder as found on disk.
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
  if (!PosixAppendUtf8(to + toStart, toLen, wanted, kPathBytes, &pos)) return ENAMETOOLONG;

  // FAT holds one name in one spelling: any entry equal ignoring case that
  // is not the source itself makes the target taken.
  bool caseChangeOnly = false;
  if (unsigned long refused = CheckTarget(source, target, to + toStart, toLen, &caseChangeOnly)) {
    return refused;
  }
  if (std::strcmp(source.path, wanted) == 0) return 0;
  unsigned long error = 0;
  if (caseChangeOnly) {
    // Only the source holds the name: a plain rename changes its spelling
    // (on a case-insensitive disk a no-replace rename would refuse it).
    if (rename(source.path, wanted) != 0) error = static_cast<unsigned long>(errno);
  } else {
    error = EINVAL;
#if defined(__linux__) && defined(SYS_renameat2)
    constexpr unsigned kRenameNoReplace = 1;  // RENAME_NOREPLACE
    error = syscall(SYS_renameat2, AT_FDCWD, source.path, AT_FDCWD, wanted, kRenameNoReplace) == 0
                ? 0
                : static_cast<unsigned long>(errno);
#endif
    if (error == EINVAL || error == ENOSYS || error == ENOTSUP) {
      // No atomic no-replace rename here: the target was checked above.
      struct stat st;
      if (lstat(wanted, &st) == 0) return HostErrorAlreadyExists();
      error = rename(source.path, wanted) == 0 ? 0 : static_cast<unsigned long>(errno);
    }
  }
  // A folder moved takes the kept names of the folders below it along.
  bool file =
      source.lastKept && FolderNameKind(*source.names, source.lastIndex, false) == EntryKind::kFile;
  if (error == 0 && !file) ForgetFolderNamesUnder(source.path);
  // A file renamed in its folder (the rename pass renames every track so)
  // changes the folder's names at once: the next move needs no read of the
  // change queue first.
  if (error == 0 && file && !caseChangeOnly && target.names == source.names && target.lastMissing) {
    KeepMovedFile(*source.names, source.lastIndex, wanted + nameStart);
  }
  return error;
}

}  // namespace

unsigned long HostMove(const char16_t* from, const char16_t* to) {
  FollowFolderChangesBeforeMove();
  bool usedNames = false;
  unsigned long error = MoveOnce(from, to, &usedNames);
  if ((error == ENOENT || error == EEXIST) && usedNames) {
    // Kept names that were out of date (a folder above moved, unreported)
    // may have decided it: once more from the disk as it is.
    ForgetParentNames(moveTarget);
    ForgetParentNames(moveSource);
    error = MoveOnce(from, to, &usedNames);
  }
  return error;
}

namespace {

// The two ways a file of the card is opened: as a stream, or as a bare
// descriptor to read its head (which spares making a stream for each of
// thousands of MP3 files).
struct StreamOpener {
  using Handle = std::FILE*;
  static constexpr Handle kNone = nullptr;
  static Handle Open(const char* path, const char* binary, bool refuseFolder) {
    return PosixOpenFile(path, binary, refuseFolder);
  }
  static Handle Create(const char* path, const char* binary) {
    return PosixCreateFile(path, binary);
  }
};

struct HeadOpener {  // "rb" only
  using Handle = int;
  static constexpr Handle kNone = -1;
  static Handle Open(const char* path, const char*, bool refuseFolder) {
    return PosixOpenToRead(path, refuseFolder);
  }
  static Handle Create(const char*, const char*) {  // never called: reading makes no file
    errno = EINVAL;
    return -1;
  }
};

// Opens an entry whose folder's names were looked at: a file found there as
// it is, a new file only if it is still not there. None with *stale set
// when the disk proved the names out of date (a change not reported yet).
template <typename Opener>
typename Opener::Handle OpenAsKept(const Resolved& r, const char* binary, bool* stale) {
  *stale = false;
  struct stat st;
  if (r.lastMissing) {
    if (binary[0] == 'r') {
      errno = ENOENT;  // its folder holds no such name
      return Opener::kNone;
    }
    typename Opener::Handle file = Opener::Create(r.path, binary);
    if (file != Opener::kNone) KeepMadeFile(*r.names, r.path + r.lastStart);
    if (file == Opener::kNone && errno == EEXIST) *stale = true;
    return file;
  }
  EntryKind kind = FolderNameKind(*r.names, r.lastIndex, true);
  if (kind == EntryKind::kFolder) {
    errno = EISDIR;  // a folder is not a file, as on Windows
    return Opener::kNone;
  }
  if (kind == EntryKind::kOther && stat(r.path, &st) == 0) {
    // Only regular files are opened: opening a pipe or a device could keep
    // the run waiting forever.
    errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    return Opener::kNone;
  }
  typename Opener::Handle file = Opener::Open(r.path, binary, false);
  if (file == Opener::kNone && errno == ENOENT && kind == EntryKind::kFile) *stale = true;
  return file;
}

Resolved opened;  // the last path opened

// Opens the file at path in binary mode ("rb", "wb", "ab" or "r+b").
template <typename Opener>
typename Opener::Handle OpenOnCard(const char16_t* path, const char* binary) {
  if (path[0] == 0) return Opener::kNone;
  Resolved& r = opened;
  if (path[0] == u'/') {
    // A host path: a work file of the tool's own in the temporary directory,
    // opened as it is named.
    StartResolving(path, r);
    if (r.tooLong) {
      errno = ENAMETOOLONG;
      return Opener::kNone;
    }
    return Opener::Open(r.path, binary, false);
  }
  FollowFolderChanges();
  Resolve(path, r, true);
  if (r.fatInvalid || r.tooLong) {
    errno = r.tooLong ? ENAMETOOLONG : EINVAL;
    return Opener::kNone;
  }
  if (r.names != nullptr) {
    bool stale = false;
    typename Opener::Handle file = OpenAsKept<Opener>(r, binary, &stale);
    if (!stale) return file;
    // The names were not those on disk (a folder above moved, unreported):
    // once more from the disk as it is.
    ForgetParentNames(r);
    Resolve(path, r, true);
    if (r.fatInvalid || r.tooLong) return Opener::kNone;
    if (r.names != nullptr) return OpenAsKept<Opener>(r, binary, &stale);
  }
  if (r.statValid && S_ISDIR(r.st.st_mode)) {
    errno = EISDIR;  // a folder is not a file, as on Windows
    return Opener::kNone;
  }
  if (r.lastMissing && binary[0] == 'r') {
    errno = ENOENT;  // its folder holds no such name
    return Opener::kNone;
  }
  // Only regular files are opened: opening a pipe or a device could keep
  // the run waiting forever.
  // (A name its folder does not hold in any case is a new file.)
  struct stat target;
  if (!(r.statValid && S_ISREG(r.st.st_mode)) && !r.lastMissing && stat(r.path, &target) == 0 &&
      !S_ISREG(target.st_mode)) {
    errno = S_ISDIR(target.st_mode) ? EISDIR : EINVAL;
    return Opener::kNone;
  }
  // A folder never opens for writing; resolving may have looked already.
  return Opener::Open(r.path, binary, !(r.statValid && S_ISREG(r.st.st_mode)));
}

}  // namespace

std::FILE* HostOpenW(const char16_t* path, const char* mode) {
  char binary[4];
  int n = 0;
  binary[n++] = (mode[0] == 'w' || mode[0] == 'a') ? mode[0] : 'r';
  if (std::strchr(mode, '+') != nullptr) binary[n++] = '+';
  binary[n++] = 'b';
  binary[n] = 0;
  return OpenOnCard<StreamOpener>(path, binary);
}

namespace {

constexpr int kNotKept = -2;

// Reads the head of a file that the kept names hold, spelled as the path
// spells it, without first reading the changes reported since the last
// operation (thousands of MP3 files are read in a row, and each read of the
// empty change queue is a system call). No change made meanwhile could make
// the names choose another spelling, and the open shows that the name is
// there. A head shorter than asked must come from a regular file: a folder
// or a pipe that took the name meanwhile gives less. kNotKept otherwise;
// then the changes are read and the path is resolved anew.
int ReadKeptFileHead(const char16_t* path, void* buf, int size) {
  if (path[0] == u'/' || size <= 0) return kNotKept;
  Resolved& r = opened;
  StartPoolAgainIfFull();
  Resolve(path, r, true);
  if (r.fatInvalid || r.tooLong || r.names == nullptr || !r.lastKept || !r.lastExact ||
      FolderNameKind(*r.names, r.lastIndex, false) != EntryKind::kFile) {
    return kNotKept;
  }
  int fd = PosixOpenToRead(r.path, false);
  if (fd < 0) return kNotKept;
  int got = PosixReadAll(fd, buf, size);
  struct stat st;
  if (got != size && (got < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) got = kNotKept;
  close(fd);
  return got;
}

}  // namespace

int HostReadFileHead(const char* path, void* buf, int size) {
  char16_t wide[1024];
  if (!ToWidePath(path, wide, 1024)) return -1;
  int kept = ReadKeptFileHead(wide, buf, size);
  if (kept != kNotKept) return kept;
  int fd = OpenOnCard<HeadOpener>(wide, "rb");
  if (fd < 0) return -1;
  int got = PosixReadAll(fd, buf, size);
  close(fd);
  return got;
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
  // Each line shows at once on a terminal; into a file or a pipe the lines
  // go out in blocks (and before every question, and at the end).
  static const bool terminal = isatty(fileno(stdout)) != 0;
  if (terminal) std::fflush(stdout);
}

bool HostPrintsUtf8() { return true; }
