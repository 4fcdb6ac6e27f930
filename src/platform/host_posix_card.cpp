// The card as a whole on POSIX: whether the current directory is a card's
// root, and the lock that keeps a second run off the card.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "platform/host.h"

namespace {

constexpr char kLockName[] = "CARDPREP.LCK";

// The open lock file while the lock is held, else -1.
int lockFd = -1;

// CARDPREP_HOLD_LOCK_MS (tests only): waits that long.
void HoldForTests() {
  const char* text = std::getenv("CARDPREP_HOLD_LOCK_MS");
  const long ms = text != nullptr ? std::strtol(text, nullptr, 10) : 0;
  if (ms <= 0 || ms > 60000) return;
  timespec wait = {ms / 1000, (ms % 1000) * 1000000};
  nanosleep(&wait, nullptr);
}

}  // namespace

// A mount point lies on another device than its parent. "/" is its own
// parent, so the system's root never counts.
bool HostInCardRoot() {
  struct stat here, parent;
  if (stat(".", &here) != 0 || stat("..", &parent) != 0) return false;
  return here.st_dev != parent.st_dev;
}

HostLock HostLockCard() {
  if (lockFd >= 0) return HostLock::kHeld;
  int fd = open(kLockName, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) return HostLock::kUnavailable;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool busy = errno == EWOULDBLOCK;
    close(fd);
    return busy ? HostLock::kInUse : HostLock::kUnavailable;
  }
  // The run that held it may have removed the file between our open and
  // our lock: then ours is a lock on a name no longer there, and that run
  // may still be going or a new one may have made the file anew.
  struct stat held, named;
  if (fstat(fd, &held) != 0 || stat(kLockName, &named) != 0 || held.st_dev != named.st_dev ||
      held.st_ino != named.st_ino) {
    close(fd);
    return HostLock::kInUse;
  }
  lockFd = fd;
  HoldForTests();
  return HostLock::kHeld;
}

// Removed while still locked, so that a run waiting on the name finds it
// gone and never works beside this one. Only unlink and close: an
// interrupt's handler calls it too.
void HostUnlockCard() {
  if (lockFd < 0) return;
  unlink(kLockName);
  close(lockFd);
  lockFd = -1;
}
