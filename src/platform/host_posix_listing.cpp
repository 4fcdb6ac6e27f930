// Listings on a POSIX disk: the folder and file listings the scans read, and
// the wide listing of the rename pass. A listing takes a folder's names
// whole into the host's pool before it gives any, so the rename pass can
// rename entries of a folder while it goes through them.
#include <unistd.h>

#if defined(__linux__)
#include <sys/vfs.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/host_internal.h"
#include "platform/host_posix.h"

namespace {

enum class Want { kAll, kFiles, kFolders };

// Bits kept with a listed name in the pool.
constexpr char16_t kListedFolder = 1;
constexpr char16_t kListedTooLong = 2;
constexpr char16_t kListedUnusable = 4;
constexpr char16_t kListedLink = 8;

// Pushes the entries of folder (a host path, "" for the current directory)
// that are wanted and match pattern (null: any) onto the pool, in the order
// the folder gives them; "." and ".." first with withDots. False when the
// folder cannot be read.
bool PushEntries(HostNamePool& pool, const char* folder, Want want, const char16_t* pattern,
                 bool withDots) {
  bool full = false;
  auto push = [&](char16_t* name, int len, EntryKind kind, bool usable, bool link) {
    if (want == Want::kFiles && kind != EntryKind::kFile) return;
    if (want == Want::kFolders && kind != EntryKind::kFolder) return;
    // The scans' listings leave out what can never be a path; the rename
    // pass sees it, to report it.
    if (!usable && want != Want::kAll) return;
    if (pattern != nullptr && !HostMatchPattern(pattern, name)) return;
    char16_t flags = kind == EntryKind::kFolder ? kListedFolder : 0;
    if (len > kHostNameUnits - 1) {  // too long to list: cut, and marked
      flags |= kListedTooLong;
      name[kHostNameUnits - 1] = 0;
    }
    if (!usable) flags |= kListedUnusable;
    if (link) flags |= kListedLink;
    if (!full && !HostPoolPush(pool, name, flags)) full = true;  // the rest is left out
  };
  if (withDots && want == Want::kAll) {
    char16_t dot[] = u".";
    char16_t dotDot[] = u"..";
    push(dot, 1, EntryKind::kFolder, true, false);
    push(dotDot, 2, EntryKind::kFolder, true, false);
  }
  return PosixReadFolder(folder, [&](const char* name, int dirFd, unsigned char type) {
    // A name too long for wide comes cut, but still too long to list.
    char16_t wide[kHostNameUnits + 2];
    PosixUtf8ToWide(name, wide, kHostNameUnits + 2);
    int len = 0;
    while (wide[len] != 0) ++len;
    if (HostIsDotName(wide, len)) return;
    push(wide, len, PosixKindAt(dirFd, name, type), PosixIsCardName(name, wide, len),
         PosixIsLinkAt(dirFd, name, type));
  });
}

Resolved listed;

// A work file of the run (a host path in the run's own folder), being
// written. Each listing is written over the last one in place and the file
// is cut to it on closing: some filesystems (ext4) send a file emptied and
// written again to the disk at once on closing, and removing the file to
// make it anew costs more than writing over it.
struct WorkFile {
  std::FILE* file;
  long length;  // the bytes written to it
  bool Write(const char16_t* line) {
    int bytes = HostWriteListingLine(file, line);
    length += bytes;
    return bytes >= 0;
  }
};

bool OpenWorkFile(const char* path, WorkFile& out) {
  char16_t wide[kPathBytes];
  out.file = nullptr;
  out.length = 0;
  if (!ToWidePath(path, wide, kPathBytes)) return false;
  Resolve(wide, listed, false);
  if (listed.tooLong) return false;
  out.file = std::fopen(listed.path, "r+be");
  if (out.file == nullptr) out.file = std::fopen(listed.path, "wbxe");
  // One listing is written at a time, through a buffer of its own.
  static char buffer[8192];
  if (out.file != nullptr) std::setvbuf(out.file, buffer, _IOFBF, sizeof buffer);
  return out.file != nullptr;
}

// Cuts the work file to what was written to it and closes it; false when
// anything failed.
bool CloseWorkFile(WorkFile& out, bool ok) {
  ok = ok && std::fflush(out.file) == 0 && ftruncate(fileno(out.file), out.length) == 0;
  return std::fclose(out.file) == 0 && ok;
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

// Whether a folder's link count tells that it holds no subfolder: a folder
// has two links ("." and its name in its parent) and one more for each
// subfolder's "..". Only filesystems known to keep that count are believed
// (not btrfs, FUSE or network filesystems), and only on the card's own
// device, so that a folder mounted below the card is read.
struct LinkCounts {
  bool kept;
  dev_t device;
};

LinkCounts CardLinkCounts() {
  LinkCounts counts{false, 0};
#if defined(__linux__)
  // ext2 to ext4, tmpfs, XFS, FAT (msdos and vfat).
  constexpr long kKeepCounts[] = {0xEF53, 0x01021994, 0x58465342, 0x4D44};
  struct statfs fs;
  struct stat st;
  if (statfs(".", &fs) != 0 || stat(".", &st) != 0) return counts;
  for (long type : kKeepCounts) counts.kept = counts.kept || fs.f_type == type;
  counts.device = st.st_dev;
#endif
  return counts;
}

bool HoldsNoFolder(const LinkCounts& counts, const char* hostPath) {
  struct stat st;
  return counts.kept && lstat(hostPath, &st) == 0 && S_ISDIR(st.st_mode) && st.st_nlink == 2 &&
         st.st_dev == counts.device;
}

// Lists the subfolders of the folder at hostPath (UTF-8) whose card path is
// cardPath (wide, "" for the root; room for kCardUnits): first every
// subfolder's line, then each subfolder's own listing, in name order.
bool ListFolders(WorkFile& out, const LinkCounts& counts, char* hostPath, int hostLen,
                 char16_t* cardPath, int cardLen) {
  HostNamePool& pool = HostListingPool();
  int first = pool.nameCount;
  PushEntries(pool, hostPath, Want::kFolders, nullptr, false);
  HostPoolSort(pool, first);
  int last = pool.nameCount;
  bool ok = true;
  for (int k = first; k < last && ok; ++k) {
    if (PutListedName(pool, k, cardPath, cardLen) < 0) continue;
    ok = out.Write(cardPath);
    cardPath[cardLen] = 0;
  }
  for (int k = first; k < last && ok; ++k) {
    int len = PutListedName(pool, k, cardPath, cardLen);
    if (len < 0) continue;
    int pos = hostLen;
    if (pos > 0) hostPath[pos++] = '/';
    if (PosixAppendUtf8(cardPath + cardLen + 1, len, hostPath, kPathBytes, &pos) &&
        !HoldsNoFolder(counts, hostPath)) {
      ok = ListFolders(out, counts, hostPath, pos, cardPath, cardLen + 1 + len);
    }
    hostPath[hostLen] = 0;
    cardPath[cardLen] = 0;
  }
  HostPoolPop(pool, first);
  return ok;
}

// Pushes the entries of the card folder at path as PushEntries does. The
// folder is read as spelled first, and looked up in any case only when
// that is not there. False, with nothing pushed, when it cannot be read.
bool PushFolder(HostNamePool& pool, const char16_t* path, Want want, const char16_t* pattern,
                bool withDots) {
  int first = pool.nameCount;
  for (int lookUp = 0; lookUp < 2; ++lookUp) {
    Resolve(path, listed, lookUp == 1);
    if (listed.fatInvalid || listed.tooLong) return false;
    if (IsCardRoot(path)) listed.path[0] = 0;
    if (PushEntries(pool, listed.path, want, pattern, withDots)) return true;
    HostPoolPop(pool, first);  // the dots pushed before the folder failed
    if (errno != ENOENT) return false;
  }
  return false;
}

}  // namespace

bool HostWriteFolderListing(const char* workFile) {
  WorkFile out;
  if (!OpenWorkFile(workFile, out)) return false;
  static char hostPath[kPathBytes];
  static char16_t cardPath[kCardUnits];
  hostPath[0] = 0;
  cardPath[0] = 0;
  return CloseWorkFile(out, ListFolders(out, CardLinkCounts(), hostPath, 0, cardPath, 0));
}

bool HostWriteFileListing(const char* folderPath, const char* workFile) {
  WorkFile out;
  if (!OpenWorkFile(workFile, out)) return false;
  char16_t wide[kHostPathUnits];
  bool ok = true;
  if (ToWidePath(folderPath, wide, 1024)) {
    HostNamePool& pool = HostListingPool();
    int first = pool.nameCount;
    PushFolder(pool, wide, Want::kFiles, nullptr, false);
    HostPoolSort(pool, first);
    for (int k = first; k < pool.nameCount && ok; ++k) {
      ok = out.Write(HostPoolName(pool, k));
    }
    HostPoolPop(pool, first);
  }
  return CloseWorkFile(out, ok);
}

bool HostFindFirst(HostFind& find, const char16_t* folderPath, const char16_t* pattern,
                   HostFindEntry& entry) {
  find.handle = nullptr;
  find.first = find.next = -1;
  int len = 0;
  while (pattern[len] != 0 && len < kHostNameUnits - 1) {
    find.pattern[len] = pattern[len];
    ++len;
  }
  find.pattern[len] = 0;
  HostNamePool& pool = HostListingPool();
  int first = pool.nameCount;
  // A drive root shows no "." and ".." entries; the card root is one.
  if (!PushFolder(pool, folderPath, Want::kAll, find.pattern, !IsCardRoot(folderPath))) {
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
  for (; name[n] != 0; ++n) entry.name[n] = name[n];
  entry.name[n] = 0;
  entry.isDirectory = (flags & kListedFolder) != 0;
  entry.tooLong = (flags & kListedTooLong) != 0;
  entry.unusable = (flags & kListedUnusable) != 0;
  entry.isLink = (flags & kListedLink) != 0;
  return true;
}

void HostFindClose(HostFind& find) {
  if (find.first >= 0) HostPoolPop(HostListingPool(), find.first);
  find.first = find.next = -1;
}
