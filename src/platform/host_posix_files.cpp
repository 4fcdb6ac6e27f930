// Files on a POSIX disk: existence, moves that never replace, and opening a
// file of the card as FAT would find it. Only regular files are opened (a
// pipe or a device could keep the run waiting forever), and a new file is
// made exclusively, so a name the held names missed is never written over.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#if defined(__linux__)
#include <sys/syscall.h>
#endif

#include "platform/host_internal.h"
#include "platform/host_posix.h"

namespace {

Resolved source;  // the paths of the operation at hand
Resolved target;

// The kind of a resolved path that exists, following a link to a file
// (*size: the size of the file).
EntryKind KindOf(const Resolved& r, long* size = nullptr) {
  struct stat st = r.st;
  bool link = S_ISLNK(st.st_mode);
  if (link && stat(r.path, &st) != 0) return EntryKind::kOther;
  if (size != nullptr) *size = static_cast<long>(st.st_size);
  if (S_ISREG(st.st_mode)) return EntryKind::kFile;
  return S_ISDIR(st.st_mode) && !link ? EntryKind::kFolder : EntryKind::kOther;
}

}  // namespace

// --- Existence ------------------------------------------------------------------

bool HostExists(const char16_t* path) {
  if (path[0] == 0) return false;
  Resolve(path, target);
  // A link is an entry, whatever it leads to (nothing, maybe), as on
  // Windows: never followed.
  return !target.fatInvalid && !target.tooLong && target.exists;
}

long HostFileSize(const char* path) {
  char16_t wide[kHostPathUnits];
  if (!ToWidePath(path, wide, 1024) || wide[0] == 0) return -1;
  Resolve(wide, target);
  long size = -1;
  bool file = !target.fatInvalid && !target.tooLong && target.exists &&
              KindOf(target, &size) == EntryKind::kFile;
  return file ? size : -1;
}

// --- Moves ------------------------------------------------------------------------

unsigned long HostErrorAlreadyExists() { return EEXIST; }

const char* HostErrorText(unsigned long error) {
  static char text[256];
  const char* said = std::strerror(static_cast<int>(error));
  std::snprintf(text, sizeof text, "%s", said != nullptr ? said : "");
  return text;
}
unsigned long HostErrorInvalidName() { return EINVAL; }

namespace {

// Renames without replacing: renameat2 with RENAME_NOREPLACE where the
// system has it, else a check and a rename.
unsigned long RenameNoReplace(const char* from, const char* to) {
#if defined(__linux__) && defined(SYS_renameat2)
  constexpr unsigned kRenameNoReplace = 1;  // RENAME_NOREPLACE
  if (syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, kRenameNoReplace) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
    return static_cast<unsigned long>(errno);
  }
#endif
  struct stat st;
  if (lstat(to, &st) == 0) return EEXIST;
  return rename(from, to) == 0 ? 0 : static_cast<unsigned long>(errno);
}

unsigned long MoveOnce(const char16_t* from, const char16_t* to) {
  Resolve(to, target);
  if (target.tooLong) return ENAMETOOLONG;
  if (target.fatInvalid || target.lastUnits == 0) return EINVAL;
  unsigned long error;
  if (!target.exists) {
    // The usual move: the source as spelled to a free name; a source
    // spelled otherwise on disk is looked up only when that fails.
    Resolve(from, source, false);
    if (source.tooLong) return ENAMETOOLONG;
    if (source.fatInvalid) return EINVAL;
    error = RenameNoReplace(source.path, target.spelled);
    if (error == ENOENT) {
      Resolve(from, source);
      if (!source.exists) return ENOENT;
      error = RenameNoReplace(source.path, target.spelled);
    }
    if (error != 0) return error;
  } else {
    Resolve(from, source);
    if (source.tooLong) return ENAMETOOLONG;
    if (source.fatInvalid) return EINVAL;
    if (!source.exists) return ENOENT;
    // FAT holds one name in one spelling: the name is taken unless what
    // holds it is the source itself (a change of case, or no change).
    if (target.st.st_dev != source.st.st_dev || target.st.st_ino != source.st.st_ino) {
      return EEXIST;
    }
    if (std::strcmp(source.path, target.spelled) == 0) return 0;
    // A filesystem that ignores case would refuse a no-replace rename to
    // the source's own name in another case.
    if (!PosixCardIgnoresCase()) {
      error = RenameNoReplace(source.path, target.spelled);
    } else {
      error = rename(source.path, target.spelled) == 0 ? 0 : static_cast<unsigned long>(errno);
    }
    if (error != 0) return error;
  }
  char fromFolder[kPathBytes];
  char toFolder[kPathBytes];
  FolderOf(source, fromFolder);
  FolderOf(target, toFolder);
  PosixFolderMoved(source.path);  // held names at or below it, if a folder
  if (std::strcmp(fromFolder, toFolder) == 0) {
    PosixHeldNameAdded(toFolder, source.path + source.lastStart, target.spelled + target.lastStart);
  } else {
    PosixDropHeldNames();
  }
  return 0;
}

}  // namespace

unsigned long HostMove(const char16_t* from, const char16_t* to) {
  unsigned long error = MoveOnce(from, to);
  if ((error == ENOENT || error == EEXIST) && (source.lookedUp || target.lookedUp)) {
    // Held names may have decided it: once more from the disk as it is.
    PosixDropHeldNames();
    error = MoveOnce(from, to);
  }
  HostStepPoint();
  return error;
}

unsigned long HostMoveBack(const char16_t* from, const char16_t* to) {
  Resolve(from, source);
  Resolve(to, target, false);  // exactly as spelled
  if (source.tooLong || target.tooLong) return ENAMETOOLONG;
  if (source.fatInvalid || target.fatInvalid || target.lastUnits == 0) return EINVAL;
  if (!source.exists) return ENOENT;
  unsigned long error = RenameNoReplace(source.path, target.path);
  if (error == 0) PosixDropHeldNames();
  HostStepPoint();
  return error;
}

unsigned long HostRemoveFile(const char16_t* path) {
  Resolve(path, target);
  if (target.tooLong) return ENAMETOOLONG;
  if (target.fatInvalid || path[0] == 0) return EINVAL;
  if (!target.exists) return ENOENT;
  if (!S_ISREG(target.st.st_mode)) return S_ISDIR(target.st.st_mode) ? EISDIR : EINVAL;
  if (unlink(target.path) != 0) return static_cast<unsigned long>(errno);
  PosixDropHeldNames();
  HostStepPoint();
  return 0;
}

// --- Opening files ----------------------------------------------------------------

namespace {

// The host path to open the card file at path from: an existing regular
// file as found, or, to be written, a new name in its folder as found
// (*made set: it is made exclusively). Null with errno set when neither.
// A file is written only as itself: a link in its place, to whatever it
// leads, is never written through.
const char* PlaceOf(const char16_t* path, bool reading, bool* made) {
  *made = false;
  Resolve(path, target);
  if (target.fatInvalid || target.tooLong || path[0] == 0) {
    errno = target.tooLong ? ENAMETOOLONG : path[0] == 0 ? ENOENT : EINVAL;
    return nullptr;
  }
  if (target.exists) {
    EntryKind kind = KindOf(target);
    bool link = S_ISLNK(target.st.st_mode) || target.st.st_nlink > 1;
    if (kind == EntryKind::kFile && (reading || !link)) return target.path;
    if (kind == EntryKind::kFile) kind = EntryKind::kOther;
    errno = kind == EntryKind::kFolder ? EISDIR : EINVAL;  // a folder is not a file
    return nullptr;
  }
  if (reading) {
    errno = ENOENT;
    return nullptr;
  }
  *made = true;
  return target.spelled;
}

}  // namespace

std::FILE* HostOpenW(const char16_t* path, const char* mode) {
  // Binary always; never inherited by another program.
  char how[8];
  int n = 0;
  how[n++] = (mode[0] == 'w' || mode[0] == 'a') ? mode[0] : 'r';
  if (std::strchr(mode, '+') != nullptr) how[n++] = '+';
  how[n++] = 'b';
  how[n++] = 'e';
  how[n] = 0;
  if (path[0] == u'/') {
    // A host path: a work file in the run's own folder, opened as named.
    Resolve(path, target, false);
    return target.tooLong ? nullptr : std::fopen(target.path, how);
  }
  for (int attempt = 0; attempt < 2; ++attempt) {
    bool made;
    const char* place = PlaceOf(path, how[0] == 'r' && how[1] != '+', &made);
    if (place == nullptr) return nullptr;
    if (made) std::strcat(how, "x");  // O_EXCL: a name taken meanwhile is never written over
    if (std::FILE* file = std::fopen(place, how)) {
      if (made) {
        char folder[kPathBytes];
        FolderOf(target, folder);
        PosixHeldNameAdded(folder, nullptr, target.spelled + target.lastStart);
      }
      return file;
    }
    if (!target.lookedUp || (errno != ENOENT && errno != EEXIST)) return nullptr;
    how[n] = 0;
    PosixDropHeldNames();  // the held names were stale: once more from the disk
  }
  return nullptr;
}

int HostWriteFile(const char* path, const void* bytes, int size) {
  char16_t wide[kHostPathUnits];
  bool made;
  const char* place = ToWidePath(path, wide, 1024) ? PlaceOf(wide, false, &made) : nullptr;
  if (place == nullptr) return 1;
  // An existing file is opened as found; a new one (or one that will not
  // open so) is made as HostOpenW makes it.
  long old = made ? 0 : static_cast<long>(target.st.st_size);
  int fd = made ? -1 : open(place, O_WRONLY | O_CLOEXEC);
  std::FILE* file = fd < 0 ? HostOpenW(wide, "wb") : nullptr;
  if (fd < 0 && file == nullptr) return 1;
  if (file != nullptr) fd = fileno(file);
  bool ok = true;
  for (int done = 0; done < size && ok;) {
    ssize_t n = write(fd, static_cast<const char*>(bytes) + done, static_cast<size_t>(size - done));
    if (n > 0) done += static_cast<int>(n);
    ok = n > 0 || (n < 0 && errno == EINTR);
  }
  if (ok && file == nullptr && old > size && ftruncate(fd, size) != 0) ok = false;
  if ((file != nullptr ? std::fclose(file) : close(fd)) != 0) ok = false;
  return ok ? 0 : 2;
}

int HostReadFileHead(const char* path, void* buf, int size) {
  char16_t wide[kHostPathUnits];
  if (!ToWidePath(path, wide, 1024)) return -1;
  // Tried as spelled first; looked up only when that is not there. The
  // open does not wait: a pipe in a file's place gives nothing.
  constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
  Resolve(wide, target, false);
  if (target.fatInvalid || target.tooLong) return -1;
  int fd = open(target.path, kFlags);
  if (fd < 0) {
    bool made;
    const char* place = PlaceOf(wide, true, &made);
    fd = place != nullptr ? open(place, kFlags) : -1;
    if (fd < 0) return -1;
  }
  int got = 0;
  while (got < size) {
    ssize_t n = read(fd, static_cast<char*>(buf) + got, static_cast<size_t>(size - got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) got = -1;  // a folder
    if (n <= 0) break;
    got += static_cast<int>(n);
    if (got < size) break;  // a file read short is at its end
  }
  // Nothing read must come from a regular file, an empty one: a pipe
  // without a writer gives nothing too.
  struct stat st;
  if (got == 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) got = -1;
  close(fd);
  return got;
}

bool HostOpenReader(HostReader& reader, const char* path) {
  reader.handle = -1;
  char16_t wide[1024];
  if (!ToWidePath(path, wide, 1024)) return false;
  // Opened as HostReadFileHead opens.
  constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
  Resolve(wide, target, false);
  if (target.fatInvalid || target.tooLong) return false;
  int fd = open(target.path, kFlags);
  if (fd < 0) {
    bool made;
    const char* place = PlaceOf(wide, true, &made);
    fd = place != nullptr ? open(place, kFlags) : -1;
    if (fd < 0) return false;
  }
  reader.handle = fd;
  return true;
}

int HostReadAt(HostReader& reader, int64_t offset, void* buf, int size) {
  if (reader.handle < 0 || offset < 0) return -1;
  int fd = static_cast<int>(reader.handle);
  int got = 0;
  while (got < size) {
    // pread fails on a pipe (ESPIPE) and on a folder (EISDIR).
    ssize_t n = pread(fd, static_cast<char*>(buf) + got, static_cast<size_t>(size - got),
                      static_cast<off_t>(offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    got += static_cast<int>(n);
    if (n == 0 || got < size) break;  // a file read short is at its end
  }
  return got;
}

int64_t HostReaderSize(HostReader& reader) {
  struct stat st;
  if (reader.handle < 0 || fstat(static_cast<int>(reader.handle), &st) != 0) return -1;
  return S_ISREG(st.st_mode) ? static_cast<int64_t>(st.st_size) : -1;
}

void HostCloseReader(HostReader& reader) {
  if (reader.handle >= 0) close(static_cast<int>(reader.handle));
  reader.handle = -1;
}

bool HostCutFile(std::FILE* file, long size) {
  if (std::fflush(file) != 0 || ftruncate(fileno(file), size) != 0) return false;
  return std::fseek(file, size, SEEK_SET) == 0;
}
