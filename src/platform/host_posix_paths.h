// Paths on a POSIX disk: a card path (code page 932 or UTF-16, backslashes)
// turned into the host path of what it names, each name found in any ASCII
// case as FAT would, through the kept names of its folder where it can
// (host_posix.cpp only).
#pragma once

#include <sys/stat.h>

#include "platform/host_posix_names.h"

constexpr int kPathBytes = 4096;

// A path resolved, and what resolving learned of it.
struct Resolved {
  char path[kPathBytes];  // host path, UTF-8
  int parentEnd;          // bytes of path that name the parent folder
  bool fatInvalid;        // some card component is a name FAT cannot hold
  bool folderInvalid;     // the same, before the last component
  bool tooLong;
  bool statValid;      // the path exists as resolved; st holds its lstat
  bool lastMissing;    // the parent's names were looked at and hold the last name in no case
  bool lastKept;       // the last name was found among names, at lastIndex
  bool lastExact;      // ... spelled there as the path spells it
  FolderNames* names;  // the kept names of the parent folder, when looked at
  int lastIndex;
  struct stat st;
  // The last component, as the walk left it.
  int lastStart;             // its first byte in path
  const char16_t* lastName;  // its units in the card path
  int lastUnits;             // 0 when the path has no component
  bool lastIsDot;            // "." or ".."
};

// The host form of the folder: "." for the current directory ("").
const char* DirPath(const char* folder);

// True when the UTF-8 name equals the UTF-16 name ignoring ASCII case.
bool NameMatches(const char* utf8, const char16_t* wide, int wideUnits);

// The folder a resolved path names, as the kept names know it ("" for the
// current directory, which DirPath gives back as ".").
const char* FolderOf(const Resolved& r);

// The parent folder part of a resolved path ("" for the current directory).
void ParentOf(const Resolved& r, char* out);

// Builds r.path from path as spelled, looking nothing up.
void StartResolving(const char16_t* path, Resolved& r);

// Resolves a card or host path. A leading '/' is a host absolute path; any
// other path (a leading '\' included) is below the current directory. Each
// component that does not exist as spelled is looked up ignoring ASCII case.
// namesFirst asks for the folder's names before anything else.
void Resolve(const char16_t* path, Resolved& r, bool namesFirst = false);

// Resolves the path of a folder to list: as spelled when the folder's names
// are kept under that path, else as Resolve does.
void ResolveFolder(const char16_t* path, Resolved& r);

// Resolves path when it names an entry of the folder whose names resolving
// beside has just looked at (a move within one folder), without looking at
// the disk again. False when it names something elsewhere.
bool ResolveBeside(const char16_t* path, const Resolved& beside, Resolved& r);

// Forgets the kept names of the folder of a resolved path, which proved
// not to be those on disk.
void ForgetParentNames(const Resolved& r);

// A code page 932 path in UTF-16; false when it does not fit (a cut path
// could name another file).
bool ToWidePath(const char* cp932, char16_t* out, int units);

// True for the card root ("\" or "").
bool IsCardRoot(const char16_t* path);
