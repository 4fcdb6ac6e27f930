// Streams over descriptors on a POSIX disk.
#include "platform/host_posix_streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace {

// --- Streams over descriptors -----------------------------------------------------
//
// A run reads the head of every MP3 file and every log of the card, and
// makes thousands of small files. Read or written through their descriptors
// they spare the status query stdio makes to size each buffer. Files read
// open without updating their access times, so reading writes no file's
// metadata (a file indexer reads the same way). A stream left without a
// buffer would read a byte at a time: a reader gives it one.

// Writes all of bytes; fewer when an error stops it (the stream records it).
size_t WriteAll(int fd, const char* buf, size_t bytes) {
  size_t done = 0;
  while (done < bytes) {
    ssize_t put = write(fd, buf + done, bytes - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    done += static_cast<size_t>(put);
  }
  return done;
}

#if defined(__GLIBC__)

int FdOf(void* cookie) { return static_cast<int>(reinterpret_cast<intptr_t>(cookie)); }

// The streams read whose last read came back short: a read of a regular
// file gives less than asked only at its end, so the read that would only
// find the end is spared (a run reads thousands of small logs and work
// files, each a buffer's worth or less). Only files are opened to be read.
constexpr int kEndFds = 1024;
bool endReached[kEndFds];

bool EndReached(int fd) { return fd >= 0 && fd < kEndFds && endReached[fd]; }

void NoteEnd(int fd, bool reached) {
  if (fd >= 0 && fd < kEndFds) endReached[fd] = reached;
}

ssize_t ReadFd(void* cookie, char* buf, size_t bytes) {
  int fd = FdOf(cookie);
  if (EndReached(fd)) return 0;
  ssize_t got;
  do {
    got = read(fd, buf, bytes);
  } while (got < 0 && errno == EINTR);
  if (got >= 0 && static_cast<size_t>(got) < bytes) NoteEnd(fd, true);
  return got;
}

int SeekFd(void* cookie, off64_t* offset, int whence) {
  off_t at = lseek(FdOf(cookie), static_cast<off_t>(*offset), whence);
  if (at < 0) return -1;
  NoteEnd(FdOf(cookie), false);
  *offset = at;
  return 0;
}

ssize_t WriteFd(void* cookie, const char* buf, size_t bytes) {
  return static_cast<ssize_t>(WriteAll(FdOf(cookie), buf, bytes));
}

int CloseFd(void* cookie) { return close(FdOf(cookie)); }

// A stream over fd, which it closes; null (fd closed) when none can be made.
std::FILE* StreamOver(int fd, const char* mode, cookie_io_functions_t io) {
  NoteEnd(fd, false);  // a new stream over a number an old one left
  if (std::FILE* file = fopencookie(reinterpret_cast<void*>(static_cast<intptr_t>(fd)), mode, io)) {
    return file;
  }
  int error = errno;
  close(fd);
  errno = error;
  return nullptr;
}

#endif

// Without waiting: reading a regular file does not heed O_NONBLOCK, and a
// pipe put in a file's place since its folder was read cannot keep the open
// waiting for a writer.
int OpenToRead(const char* path) {
#if defined(O_NOATIME)
  // Only the files' owner may leave access times alone: after one refusal
  // files open as any reader opens them.
  static bool ownerOnly = false;
  if (!ownerOnly) {
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOATIME);
    if (fd >= 0 || errno != EPERM) return fd;
    ownerOnly = true;
  }
#endif
  return open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

// --- Files written over ---------------------------------------------------------
//
// A file that is there already and is opened to be written anew is written
// over in place and cut to its new length when closed, not emptied first:
// emptying a file gives its blocks back at once (on a disk mounted with
// discard, waiting for the disk each time), and a file rewritten with the
// same length, as a second run rewrites its track lists, then gives back
// nothing.

struct Rewrite {
  int fd;
  off_t written;
  off_t oldSize;
  bool inUse;
};
Rewrite rewrites[16];

ssize_t RewriteWrite(void* cookie, const char* buf, size_t bytes) {
  Rewrite& w = *static_cast<Rewrite*>(cookie);
  size_t done = WriteAll(w.fd, buf, bytes);
  w.written += static_cast<off_t>(done);
  return static_cast<ssize_t>(done);
}

int RewriteClose(void* cookie) {
  Rewrite& w = *static_cast<Rewrite*>(cookie);
  int result = 0;
  if (w.written < w.oldSize && ftruncate(w.fd, w.written) != 0) result = -1;
  if (close(w.fd) != 0) result = -1;
  w.inUse = false;
  return result;
}

}  // namespace

std::FILE* PosixOpenToRewrite(const char* path) {
#if defined(__GLIBC__)
  Rewrite* w = nullptr;
  for (Rewrite& free : rewrites) {
    if (!free.inUse) {
      w = &free;
      break;
    }
  }
  if (w != nullptr) {
    int fd = open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
      *w = Rewrite{fd, 0, st.st_size, true};
      cookie_io_functions_t io = {nullptr, RewriteWrite, nullptr, RewriteClose};
      if (std::FILE* file = fopencookie(w, "wb", io)) return file;
      w->inUse = false;
    }
    close(fd);
  }
#endif
  return std::fopen(path, "wb");
}

int PosixReadAll(int fd, void* buf, int size) {
  int got = 0;
  while (got < size) {
    ssize_t n = read(fd, static_cast<char*>(buf) + got, static_cast<size_t>(size - got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<int>(n);
  }
  return got;
}

int PosixOpenToRead(const char* path, bool refuseFolder) {
  int fd = OpenToRead(path);
  if (fd < 0) return -1;
  struct stat st;
  if (refuseFolder && fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    close(fd);
    errno = EISDIR;  // a folder is not a file, as on Windows
    return -1;
  }
  return fd;
}

std::FILE* PosixOpenFile(const char* path, const char* binary, bool refuseFolder) {
  if (std::strcmp(binary, "wb") == 0) {
    std::FILE* file = PosixOpenToRewrite(path);
    return file != nullptr || errno != ENOENT ? file : PosixCreateFile(path, binary);
  }
  if (std::strcmp(binary, "rb") != 0) return std::fopen(path, binary);  // no folder opens so
  int fd = PosixOpenToRead(path, refuseFolder);
  if (fd < 0) return nullptr;
#if defined(__GLIBC__)
  return StreamOver(fd, "rb", {ReadFd, nullptr, SeekFd, CloseFd});
#else
  if (std::FILE* file = fdopen(fd, "rb")) return file;
  int error = errno;
  close(fd);
  errno = error;
  return nullptr;
#endif
}

std::FILE* PosixCreateFile(const char* path, const char* binary) {
#if defined(__GLIBC__)
  if (std::strcmp(binary, "wb") == 0) {
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    return StreamOver(fd, "wb", {nullptr, WriteFd, nullptr, CloseFd});
  }
#endif
  char exclusive[8];
  std::snprintf(exclusive, sizeof exclusive, "%sx", binary);
  return std::fopen(path, exclusive);
}
