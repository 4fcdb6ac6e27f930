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

// The folder part of a resolved path, as found on disk ("" for the root).
void FolderOf(const Resolved& r, char* out) {
  std::memcpy(out, r.path, static_cast<size_t>(r.parentEnd));
  out[r.parentEnd] = 0;
}

// The kind of a resolved path that exists, following a link to a file.
EntryKind KindOf(const Resolved& r) {
  if (S_ISDIR(r.st.st_mode)) return EntryKind::kFolder;
  if (S_ISREG(r.st.st_mode)) return EntryKind::kFile;
  struct stat st;
  if (S_ISLNK(r.st.st_mode) && stat(r.path, &st) == 0 && S_ISREG(st.st_mode)) {
    return EntryKind::kFile;
  }
  return EntryKind::kOther;
}

}  // namespace

// --- Existence ------------------------------------------------------------------

bool HostExists(const char16_t* path) {
  if (path[0] == 0) return false;
  Resolve(path, target);
  if (target.fatInvalid || target.tooLong || !target.exists) return false;
  struct stat st;
  return !S_ISLNK(target.st.st_mode) || stat(target.path, &st) == 0;
}

bool HostExistsA(const char* path) {
  char16_t wide[1024];
  return ToWidePath(path, wide, 1024) && HostExists(wide);
}

// --- Moves ------------------------------------------------------------------------

unsigned long HostErrorAlreadyExists() { return EEXIST; }
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
  Resolve(from, source);
  Resolve(to, target);
  if (source.tooLong || target.tooLong) return ENAMETOOLONG;
  if (source.fatInvalid || target.fatInvalid || target.lastUnits == 0) return EINVAL;
  if (!source.exists) return ENOENT;
  unsigned long error;
  if (target.exists) {
    // FAT holds one name in one spelling: the name is taken unless what
    // holds it is the source itself (a change of case, or no change).
    if (target.st.st_dev != source.st.st_dev || target.st.st_ino != source.st.st_ino) {
      return EEXIST;
    }
    if (std::strcmp(source.path, target.spelled) == 0) return 0;
    // A filesystem that ignores case would refuse a no-replace rename to
    // the source's own name in another case.
    bool blind = PosixCardIgnoresCase();
    error = blind && rename(source.path, target.spelled) != 0 ? static_cast<unsigned long>(errno)
            : blind ? 0
                    : RenameNoReplace(source.path, target.spelled);
  } else {
    error = RenameNoReplace(source.path, target.spelled);
  }
  if (error != 0) return error;
  char fromFolder[kPathBytes];
  char toFolder[kPathBytes];
  FolderOf(source, fromFolder);
  FolderOf(target, toFolder);
  if (S_ISDIR(source.st.st_mode)) PosixFolderMoved(source.path);
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
  return error;
}

// --- Opening files ----------------------------------------------------------------

namespace {

// The open(2) flags of a binary mode ("rb", "wb", "ab", "r+b"). A read does
// not wait: a regular file ignores O_NONBLOCK, and a pipe put in a file's
// place meanwhile cannot keep the open waiting for a writer.
int FlagsOf(const char* binary) {
  bool plus = std::strchr(binary, '+') != nullptr;
  int flags = O_CLOEXEC;
  switch (binary[0]) {
    case 'w':
      flags |= (plus ? O_RDWR : O_WRONLY) | O_TRUNC;
      break;
    case 'a':
      flags |= (plus ? O_RDWR : O_WRONLY) | O_APPEND;
      break;
    default:
      flags |= (plus ? O_RDWR : O_RDONLY) | O_NONBLOCK;
  }
  return flags;
}

// Opens the card file at path; -1 with errno set when it cannot.
int OpenOnCard(const char16_t* path, const char* binary) {
  if (path[0] == 0) {
    errno = ENOENT;
    return -1;
  }
  int flags = FlagsOf(binary);
  for (int attempt = 0; attempt < 2; ++attempt) {
    Resolve(path, target);
    if (target.fatInvalid || target.tooLong) {
      errno = target.tooLong ? ENAMETOOLONG : EINVAL;
      return -1;
    }
    int fd;
    if (target.exists) {
      EntryKind kind = KindOf(target);
      if (kind != EntryKind::kFile) {
        errno = kind == EntryKind::kFolder ? EISDIR : EINVAL;  // a folder is not a file
        return -1;
      }
      fd = open(target.path, flags);
    } else if (binary[0] == 'r') {
      errno = ENOENT;
      return -1;
    } else {
      fd = open(target.spelled, flags | O_CREAT | O_EXCL, 0666);
      if (fd >= 0) {
        char folder[kPathBytes];
        FolderOf(target, folder);
        PosixHeldNameAdded(folder, nullptr, target.spelled + target.lastStart);
      }
    }
    if (fd >= 0 || !target.lookedUp || (errno != ENOENT && errno != EEXIST)) return fd;
    PosixDropHeldNames();  // the held names were stale: once more from the disk
  }
  return -1;
}

std::FILE* StreamOver(int fd, const char* binary) {
  if (fd < 0) return nullptr;
  std::FILE* file = fdopen(fd, binary);
  if (file == nullptr) {
    int error = errno;
    close(fd);
    errno = error;
  }
  return file;
}

}  // namespace

std::FILE* HostOpenW(const char16_t* path, const char* mode) {
  char binary[4];
  int n = 0;
  binary[n++] = (mode[0] == 'w' || mode[0] == 'a') ? mode[0] : 'r';
  if (std::strchr(mode, '+') != nullptr) binary[n++] = '+';
  binary[n++] = 'b';
  binary[n] = 0;
  return StreamOver(OpenOnCard(path, binary), binary);
}

std::FILE* HostOpen(const char* path, const char* mode) {
  char16_t wide[1024];
  if (!ToWidePath(path, wide, 1024)) return nullptr;
  return HostOpenW(wide, mode);
}

int HostReadFileHead(const char* path, void* buf, int size) {
  char16_t wide[1024];
  if (!ToWidePath(path, wide, 1024)) return -1;
  int fd = OpenOnCard(wide, "rb");
  if (fd < 0) return -1;
  int got = 0;
  while (got < size) {
    ssize_t n = read(fd, static_cast<char*>(buf) + got, static_cast<size_t>(size - got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<int>(n);
  }
  close(fd);
  return got;
}
