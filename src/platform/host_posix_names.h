// Names on a POSIX disk: UTF-8 names in UTF-16, and the names of the
// folders the host looked into last, kept so that finding a name in any
// ASCII case does not read the folder again (host_posix.cpp only).
#pragma once

#include <sys/stat.h>

#include <cstdint>

#include "platform/host.h"

// --- UTF-16 <-> UTF-8 ---------------------------------------------------------

// Appends units[0..count) as UTF-8 to out at *pos (terminated); false when
// it does not fit in size bytes.
bool PosixAppendUtf8(const char16_t* units, int count, char* out, int size, int* pos);

// UTF-8 text to UTF-16, at most units - 1 units. Returns false when cut.
bool PosixUtf8ToWide(const char* text, char16_t* out, int units);

// --- Entry kinds ----------------------------------------------------------------

// What a directory entry is, without following a link to a folder (a link to
// a folder is neither listed nor entered, so no listing loops). kNotFolder
// and kUnknown are not looked at yet.
enum class EntryKind : uint8_t { kFile, kFolder, kOther, kNotFolder, kUnknown };

// The kind of entry name of the folder open as dirFd (or path when dirFd is
// AT_FDCWD), from its lstat and, for a link, the stat of its target.
EntryKind PosixKindAt(int dirFd, const char* name);

// --- Kept folder names --------------------------------------------------------
//
// Each kept folder is known by its identity (device and inode) and by the
// host path it was found under; entries are known by an index. On Linux an inotify watch on it
// reports every change made to it since, by this process or any other, and the kept names follow
// them; a folder that is moved or removed, with every kept folder below it, is forgotten. Without
// inotify nothing is kept and every lookup reads the folder.

struct FolderNames;

// Applies the changes reported since the last call. Called once at the start
// of every operation of the host, before it uses kept names (reading a
// file's head first tries the names as they are, the disk confirming them;
// a move calls FollowFolderChangesBeforeMove instead).
void FollowFolderChanges();

// FollowFolderChanges before a move, unless the last operation was a move of
// a file that KeepMovedFile put into the names (and not too many such moves
// wait in the queue): a run of renames in one folder reads the queue once in
// a while, not before each rename. Each rename still finds out on disk
// whether its source is there and its target free.
void FollowFolderChangesBeforeMove();

// The host has just renamed the kept file i of n, in the same folder, to
// name (UTF-8), which n did not hold in any case: n holds the file under its
// new name at once.
void KeepMovedFile(FolderNames& n, int i, const char* name);

// Starts the pool of kept names again if it filled up; FollowFolderChanges
// does this too.
void StartPoolAgainIfFull();

// The kept names of the folder found under host path folder ("" for the
// current directory), or null: no disk access.
FolderNames* KeptFolderNamesAt(const char* folder);

// The names of folder as they are now; st is its lstat, just taken. Kept
// names of the same folder, or the folder read anew and kept. Null when
// they cannot be kept (no inotify, a folder too large, a read error).
FolderNames* FolderNamesOf(const char* folder, const struct stat& st);

// The entry equal to name (units) ignoring ASCII case: the one spelled
// exact (UTF-8) when there is one, else the first in byte order; -1 if none.
int FindFolderName(const FolderNames& n, const char16_t* name, int units, const char* exact);

// True when an entry other than the one spelled except (UTF-8, may be null)
// equals name ignoring ASCII case.
bool FolderHasOtherSpelling(const FolderNames& n, const char16_t* name, int units,
                            const char* except);

const char* FolderNameSpelling(const FolderNames& n, int i);

// The entry's name in UTF-16 (not terminated): its units, or -1 for a name
// too long to hold. *units is null for an ASCII name: its spelling's bytes
// are its units.
int FolderNameWide(const FolderNames& n, int i, const char16_t** units);

// The entry's kind; with resolve, kNotFolder and kUnknown are looked up on
// disk (and kept) first.
EntryKind FolderNameKind(FolderNames& n, int i, bool resolve);

// Calls visit(i) for each entry now in the folder, in the order they were
// found.
template <typename Visit>
void ForEachFolderName(FolderNames& n, Visit visit);

// Keeps a regular file the tool has just made in the folder (name in
// UTF-8), so that opening it later needs no look at the disk.
void KeepMadeFile(FolderNames& n, const char* name);

// Forgets the kept folders at path and below it ("" forgets all).
void ForgetFolderNamesUnder(const char* path);

// --- Internals for ForEachFolderName --------------------------------------------

int FirstFolderName(const FolderNames& n);  // -1 for none
int NextFolderName(const FolderNames& n, int i);

template <typename Visit>
void ForEachFolderName(FolderNames& n, Visit visit) {
  for (int i = FirstFolderName(n); i >= 0; i = NextFolderName(n, i)) visit(i);
}
