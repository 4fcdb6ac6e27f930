// Card paths on a POSIX disk: the host path of what a card path names, each
// name found in any ASCII case as FAT would find it.
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/host_internal.h"
#include "platform/host_posix.h"

bool IsCardRoot(const char16_t* path) {
  for (int i = 0; path[i] != 0; ++i) {
    if (!HostIsSeparator(path[i])) return false;
  }
  return true;
}

namespace {

bool Append(Resolved& r, int* pos, const char* bytes, int len) {
  if (*pos + len + 1 >= kPathBytes) {
    r.tooLong = true;
    return false;
  }
  std::memcpy(r.path + *pos, bytes, static_cast<size_t>(len));
  *pos += len;
  r.path[*pos] = 0;
  return true;
}

// Builds r.path from the names of path; with lookUp, each name that is not
// there as spelled is looked up in its folder ignoring case, until one is
// missing in every case (*fromHeld set when held names answered); false
// then. Fills r.spelled with the last name as given. An absolute path
// starts at the host's root.
bool Build(const char16_t* path, Resolved& r, bool lookUp, bool absolute = false,
           bool* fromHeld = nullptr) {
  int pos = absolute ? 1 : 0;
  r.path[0] = '/';
  r.path[pos] = 0;
  r.parentEnd = r.lastStart = 0;
  bool missing = false;
  r.lastName = nullptr;
  r.lastUnits = 0;
  for (int at = 0;;) {
    while (HostIsSeparator(path[at])) ++at;
    const char16_t* name = path + at;
    while (path[at] != 0 && !HostIsSeparator(path[at])) ++at;
    int units = static_cast<int>(path + at - name);
    if (units == 0) break;
    bool dot = HostIsDotName(name, units);
    // A card path never leaves the card: ".." in it counts as a name FAT
    // cannot hold.
    if (!absolute && (dot ? units == 2 : HostIsFatInvalidName(name, units))) r.fatInvalid = true;
    r.parentEnd = pos;
    if (pos > 0 && r.path[pos - 1] != '/' && !Append(r, &pos, "/", 1)) return false;
    r.lastStart = pos;
    if (!PosixAppendUtf8(name, units, r.path, kPathBytes, &pos)) {
      r.tooLong = true;
      return false;
    }
    r.lastName = name;
    r.lastUnits = units;
    if (!lookUp || missing || dot) continue;
    struct stat st;
    if (lstat(r.path, &st) == 0) continue;
    char folder[kPathBytes];
    FolderOf(r, folder);
    char spelling[kPathBytes];
    bool held;
    int found = PosixFindSpelling(folder, r.path + r.lastStart, spelling, sizeof spelling, &held);
    if (fromHeld != nullptr && held) *fromHeld = true;
    if (found > 0) {
      pos = r.lastStart;
      if (!Append(r, &pos, spelling, static_cast<int>(std::strlen(spelling)))) return false;
    } else {
      missing = true;
    }
  }
  if (pos == 0) std::strcpy(r.path, ".");
  std::memcpy(r.spelled, r.path, static_cast<size_t>(r.lastStart));
  int spelledEnd = r.lastStart;
  if (r.lastName != nullptr &&
      !PosixAppendUtf8(r.lastName, r.lastUnits, r.spelled, kPathBytes, &spelledEnd)) {
    r.tooLong = true;
  }
  r.spelled[spelledEnd] = 0;
  return !missing;
}

}  // namespace

void Resolve(const char16_t* path, Resolved& r, bool lookUp) {
  r.fatInvalid = r.tooLong = r.exists = r.lookedUp = false;
  // A host path (a work file of the tool's own) is taken as it is.
  bool hostPath = path[0] == u'/';
  Build(path, r, false, hostPath);
  if (r.tooLong || !lookUp) return;
  bool named = !hostPath && r.lastName != nullptr && !HostIsDotName(r.lastName, r.lastUnits);
  if (named) {
    // Held names of the folder that hold the name in no case: it is not
    // there, and nothing is asked of the disk. (Made meanwhile by another
    // program, the name may be missed; new files are made exclusively and
    // moves never replace, so that costs none.)
    char folder[kPathBytes];
    FolderOf(r, folder);
    r.lookedUp = PosixHeldLacks(folder, r.path + r.lastStart);
    if (r.lookedUp) return;
  }
  if (lstat(r.path, &r.st) == 0) {
    r.exists = true;
    return;
  }
  if (!named || errno != ENOENT || PosixCardIgnoresCase()) return;
  // Each name that is not there as spelled is looked up ignoring case. Held
  // names that led nowhere were stale: then once more from the disk.
  r.lookedUp = true;
  for (int attempt = 0; attempt < 2; ++attempt) {
    bool fromHeld = false;
    r.exists = Build(path, r, true, false, &fromHeld) && !r.tooLong && lstat(r.path, &r.st) == 0;
    if (r.exists || !fromHeld) return;
    PosixDropHeldNames();
  }
}
