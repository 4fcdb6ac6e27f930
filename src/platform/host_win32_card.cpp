// The card as a whole on Windows: whether the current directory is a
// card's root, and the lock that keeps a second run off the card.
#include <cwchar>

#include "platform/host_win32.h"

namespace {

// The open lock file while the lock is held.
HANDLE lockFile = INVALID_HANDLE_VALUE;

// The volume root of path ("E:\"), false when unknown.
bool VolumeOf(const wchar_t* path, wchar_t* out, DWORD units) {
  return GetVolumePathNameW(path, out, units) != 0;
}

// Equal paths, ignoring case and a closing backslash.
bool SamePath(const wchar_t* a, const wchar_t* b) {
  size_t na = std::wcslen(a), nb = std::wcslen(b);
  if (na > 0 && a[na - 1] == L'\\') --na;
  if (nb > 0 && b[nb - 1] == L'\\') --nb;
  return na == nb && _wcsnicmp(a, b, na) == 0;
}

// CARDPREP_HOLD_LOCK_MS (tests only): waits that long.
void HoldForTests() {
  wchar_t text[16];
  const DWORD n = GetEnvironmentVariableW(L"CARDPREP_HOLD_LOCK_MS", text, 16);
  const unsigned long ms = n > 0 && n < 16 ? std::wcstoul(text, nullptr, 10) : 0;
  if (ms > 0 && ms <= 60000) Sleep(ms);
}

}  // namespace

bool HostInCardRoot() {
  wchar_t current[kHostPathUnits], volume[kHostPathUnits], windows[kHostPathUnits],
      system[kHostPathUnits];
  DWORD n = GetCurrentDirectoryW(kHostPathUnits, current);
  if (n == 0 || n >= kHostPathUnits) return false;
  if (!VolumeOf(current, volume, kHostPathUnits) || !SamePath(current, volume)) return false;
  n = GetWindowsDirectoryW(windows, kHostPathUnits);
  if (n == 0 || n >= kHostPathUnits) return true;
  return !VolumeOf(windows, system, kHostPathUnits) || !SamePath(volume, system);
}

// Opened without sharing, so that no other run can open it while this one
// holds it; the system closes and removes it when the process ends.
HostLock HostLockCard() {
  if (lockFile != INVALID_HANDLE_VALUE) return HostLock::kHeld;
  lockFile = CreateFileW(L"CARDPREP.LCK", GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (lockFile != INVALID_HANDLE_VALUE) {
    HoldForTests();
    return HostLock::kHeld;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION ? HostLock::kInUse : HostLock::kUnavailable;
}

void HostUnlockCard() {
  if (lockFile == INVALID_HANDLE_VALUE) return;
  CloseHandle(lockFile);
  lockFile = INVALID_HANDLE_VALUE;
}
