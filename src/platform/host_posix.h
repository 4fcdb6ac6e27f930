// Pieces the POSIX host files share: UTF-8 names, paths resolved as FAT
// would resolve them, and the names of the one folder read last
// (host_posix_*.cpp only).
#pragma once

#include <sys/stat.h>

#include <cstdint>

#include "platform/host.h"

constexpr int kPathBytes = 4096;

// --- UTF-16 <-> UTF-8 ---------------------------------------------------------

// Appends units[0..count) as UTF-8 to out at *pos (terminated); false when
// it does not fit in size bytes.
bool PosixAppendUtf8(const char16_t* units, int count, char* out, int size, int* pos);

// UTF-8 text to UTF-16, at most units - 1 units. Returns false when cut.
bool PosixUtf8ToWide(const char* text, char16_t* out, int units);

// True when a name from the disk (utf8, and its units as PosixUtf8ToWide
// gives them) is one the card can hold as it is: well formed UTF-8 without
// a character FAT refuses. Any other is never made into a path (a '\' in it
// would be read as a separator, and a byte that is no UTF-8 would come back
// as another name).
bool PosixIsCardName(const char* utf8, const char16_t* wide, int units);

// --- Entries ------------------------------------------------------------------

// What a directory entry is. A link counts as what it leads to, but a link
// to a folder is kOther: it is neither listed nor entered, so no listing
// loops. Pipes, sockets and devices are kOther too: no file of a card.
enum class EntryKind : uint8_t { kFile, kFolder, kOther };

// The kind of entry name of the folder open as dirFd, given the type its
// listing reported (DT_UNKNOWN where the file system gives none).
EntryKind PosixKindAt(int dirFd, const char* name, unsigned char listedType);
// True when the entry is a symbolic link (not followed).
bool PosixIsLinkAt(int dirFd, const char* name, unsigned char listedType);

// Reads the folder at host path folder ("" for the current directory),
// calling visit(name, dirFd, listedType) for every entry.
// The folder's names become the held names (below). False when the folder
// cannot be read.
template <typename Visit>
bool PosixReadFolder(const char* folder, Visit visit);

// --- Held names ---------------------------------------------------------------
//
// Finding a name in any ASCII case means reading its folder, and a run looks
// up many names in one folder in a row (a move for each track, each file it
// writes there). So the names of the one folder read last are held:
// - taken when a folder is read (PosixReadFolder),
// - updated by the host's own moves and new files in that folder,
// - dropped when another folder is read, when a folder moves, and whenever
//   the disk disagrees with them (a held spelling gone, a free name taken):
//   then the lookup is made again from the disk.
// They are used only after a name as spelled is missing, so a name another
// program made in another case meanwhile can go unseen; creation is
// exclusive and moves never replace, so that never costs a file. On a
// filesystem that ignores case itself nothing is held or looked up.

// Forgets the held names and whether the card ignores case (a program that
// changes its current directory calls this through HostForgetFolderNames).
void PosixDropHeldNames();

// The host made name (UTF-8) in folder, or moved the entry spelled from to
// name there (from null: a new entry).
void PosixHeldNameAdded(const char* folder, const char* from, const char* name);

// A folder at host path moved: held names at or below it are dropped.
void PosixFolderMoved(const char* path);

// True when the held names are those of folder (a host path, "" for the
// current directory) and hold name (UTF-8) in no case.
bool PosixHeldLacks(const char* folder, const char* name);

// The spelling in folder of the entry equal to name (UTF-8) ignoring ASCII case,
// copied to out: of several (only a case-sensitive disk has them), the first
// in byte order, so the choice never depends on the order of the disk. From
// the held names when they are folder's (*fromHeld), else the folder is read.
// 1 when found, 0 when not, -1 when the folder could not be read.
int PosixFindSpelling(const char* folder, const char* name, char* out, int size, bool* fromHeld);

// --- Paths --------------------------------------------------------------------

// A card path resolved to a host path.
struct Resolved {
  char path[kPathBytes];     // host path (UTF-8); "." for the current directory
  char spelled[kPathBytes];  // the parent as found, then the last name as given
  int parentEnd;             // bytes of path (and spelled) naming the parent; 0 for "."
  int lastStart;             // first byte of the last name in path and spelled
  bool fatInvalid;           // some card component is a name FAT cannot hold
  bool tooLong;
  bool exists;               // path names an entry; st holds its lstat
  bool lookedUp;             // a folder's names were consulted (they may be stale)
  const char16_t* lastName;  // the last name as given, in the card path
  int lastUnits;
  struct stat st;
};

// The folder part of a resolved path, as found on disk ("" for the root).
inline void FolderOf(const Resolved& r, char* out) {
  for (int i = 0; i < r.parentEnd; ++i) out[i] = r.path[i];
  out[r.parentEnd] = 0;
}

// Resolves a card path ('\' or '/' separated, below the current directory)
// or a host absolute path (leading '/', taken as it is). Each name that does
// not exist as spelled is looked up ignoring ASCII case. Without lookUp the
// path is only spelled out: nothing is asked of the disk, exists is false.
void Resolve(const char16_t* path, Resolved& r, bool lookUp = true);

// True for the card root ("\", "" and the like).
bool IsCardRoot(const char16_t* path);

// True when the filesystem of the card ignores ASCII case itself, decided
// once from an entry of the card's root.
bool PosixCardIgnoresCase();

// Removes the run's work folder, if one was made; safe in a signal handler.
void PosixRemoveWorkOnInterrupt();

// --- PosixReadFolder ------------------------------------------------------------

struct PosixFolderReader {
  void* dir;
};
bool PosixOpenFolder(const char* folder, PosixFolderReader& reader);
// The next entry; null at the end (the reader is closed).
const char* PosixNextEntry(PosixFolderReader& reader, int* dirFd, unsigned char* listedType);

template <typename Visit>
bool PosixReadFolder(const char* folder, Visit visit) {
  PosixFolderReader reader;
  if (!PosixOpenFolder(folder, reader)) return false;
  int fd;
  unsigned char type;
  while (const char* name = PosixNextEntry(reader, &fd, &type)) visit(name, fd, type);
  return true;
}
