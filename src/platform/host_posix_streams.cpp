// Streams over descriptors on a POSIX disk.
#include "platform/host_posix_streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace {

// --- Files read -------------------------------------------------------------------
//
// A run reads the head of every MP3 file and every log of the card. Opened
// without updating their access times they are read without writing their
// metadata each time (a file indexer reads the same way). They are read
// through their descriptors, sparing the status queries stdio makes to
// wrap a descriptor and to size a buffer; a stream left without a buffer
// would read a byte at a time (a reader gives it one).

int FdOf(void* cookie) { return static_cast<int>(reinterpret_cast<intptr_t>(cookie)); }

ssize_t ReadFd(void* cookie, char* buf, size_t bytes) {
  ssize_t got;
  do {
    got = read(FdOf(cookie), buf, bytes);
  } while (got < 0 && errno == EINTR);
  return got;
}

int SeekFd(void* cookie, off64_t* offset, int whence) {
  off_t at = lseek(FdOf(cookie), static_cast<off_t>(*offset), whence);
  if (at < 0) return -1;
  *offset = at;
  return 0;
}

int CloseFd(void* cookie) { return close(FdOf(cookie)); }

int OpenToRead(const char* path) {
#if defined(O_NOATIME)
  // Only the files' owner may leave access times alone: after one refusal
  // files open as any reader opens them.
  static bool ownerOnly = false;
  if (!ownerOnly) {
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOATIME);
    if (fd >= 0 || errno != EPERM) return fd;
    ownerOnly = true;
  }
#endif
  return open(path, O_RDONLY | O_CLOEXEC);
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
  size_t done = 0;
  while (done < bytes) {
    ssize_t put = write(w.fd, buf + done, bytes - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    done += static_cast<size_t>(put);
  }
  w.written += static_cast<off_t>(done);
  return static_cast<ssize_t>(done);  // short: the stream records the error
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

std::FILE* PosixOpenFile(const char* path, const char* binary, bool refuseFolder) {
  if (std::strcmp(binary, "rb") != 0) return std::fopen(path, binary);  // no folder opens so
  int fd = OpenToRead(path);
  if (fd < 0) return nullptr;
  struct stat st;
  if (refuseFolder && fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    close(fd);
    errno = EISDIR;  // a folder is not a file, as on Windows
    return nullptr;
  }
#if defined(__GLIBC__)
  cookie_io_functions_t io = {ReadFd, nullptr, SeekFd, CloseFd};
  std::FILE* file = fopencookie(reinterpret_cast<void*>(static_cast<intptr_t>(fd)), "rb", io);
#else
  std::FILE* file = fdopen(fd, "rb");
#endif
  if (file != nullptr) return file;
  int error = errno;
  close(fd);
  errno = error;
  return nullptr;
}
