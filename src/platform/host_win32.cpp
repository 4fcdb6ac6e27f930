// The host layer on Windows: wide (UTF-16) calls only, so names never pass
// through the ANSI code page and the tool works on a Windows set to any
// language. Code page 932 text is converted with code page 932 itself.
// Listings and files are in host_win32_files.cpp.
#include "platform/host_win32.h"

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>  // needs windows.h, which host_win32.h includes first

#include <cstring>
#include <cwchar>

#include "platform/host_internal.h"

namespace {

constexpr UINT kCodePage = 932;

// Standard output's console, or null when it is redirected. Asked on every
// print, as a test may redirect the output for a while.
HANDLE ConsoleOutput() {
  HANDLE h = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode;
  if (h != nullptr && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode)) return h;
  // Redirected: the bytes go out as they are, '\n' not turned into CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  return nullptr;
}

}  // namespace

int Length(const char16_t* text) {
  int n = 0;
  while (text[n] != 0) ++n;
  return n;
}

bool HasFatInvalidName(const char16_t* path) {
  int i = 0;
  bool first = true;
  while (path[i] != 0) {
    while (HostIsSeparator(path[i])) ++i;
    int start = i;
    while (path[i] != 0 && !HostIsSeparator(path[i])) ++i;
    int units = i - start;
    if (units == 0) break;
    const char16_t* name = path + start;
    bool drive = first && start == 0 && units == 2 && name[1] == u':';
    bool dot = HostIsDotName(name, units);
    first = false;
    if (dot && units == 2) return true;  // a card path never leaves the card
    if (drive || dot) continue;
    if (HostIsFatInvalidName(name, units)) return true;
  }
  return false;
}

bool Join(char16_t* out, int units, const char16_t* folder, const char16_t* name) {
  int lf = Length(folder);
  int ln = Length(name);
  bool sep = lf > 0 && !HostIsSeparator(folder[lf - 1]);
  if (lf + (sep ? 1 : 0) + ln + 1 > units) return false;
  for (int i = 0; i < lf; ++i) out[i] = folder[i];
  int pos = lf;
  if (sep) out[pos++] = u'\\';
  for (int i = 0; i <= ln; ++i) out[pos + i] = name[i];
  return true;
}

// --- System paths ----------------------------------------------------------------

namespace {

bool IsDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
bool IsUncPath(const char16_t* path) {
  return HostIsSeparator(path[0]) && HostIsSeparator(path[1]);
}
bool IsDrivePath(const char16_t* path) {
  return IsDriveLetter(path[0]) && path[1] == u':' && HostIsSeparator(path[2]);
}

// Appends n units of text to out at pos; false when they do not fit.
bool Put(char16_t* out, int units, int& pos, const char16_t* text, int n) {
  if (pos + n + 1 > units) return false;
  for (int i = 0; i < n; ++i) out[pos++] = text[i];
  out[pos] = 0;
  return true;
}

// Appends the components of path to out, each after a backslash; at most
// count of them when count >= 0. ".." takes one back, never before rootEnd.
// Returns where path's unread rest begins, or -1 when out is full.
int PutComponents(char16_t* out, int units, int& pos, int rootEnd, const char16_t* path,
                  int count) {
  int i = 0;
  while (path[i] != 0 && count != 0) {
    while (HostIsSeparator(path[i])) ++i;
    int start = i;
    while (path[i] != 0 && !HostIsSeparator(path[i])) ++i;
    int n = i - start;
    if (n == 0 || (n == 1 && path[start] == u'.')) continue;
    if (n == 2 && path[start] == u'.' && path[start + 1] == u'.') {
      while (pos > rootEnd && out[pos - 1] != u'\\') --pos;
      if (pos > rootEnd) --pos;
      out[pos] = 0;
      continue;
    }
    if (!Put(out, units, pos, u"\\", 1) || !Put(out, units, pos, path + start, n)) return -1;
    if (count > 0) --count;
  }
  return i;
}

// The current directory as a plain absolute path ("E:\A", "\\server\share\A"),
// and the length of its root ("E:", "\\server\share") in rootUnits.
bool CurrentDirectory(char16_t* out, int units, int& rootUnits) {
  DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(units), Wide(out));
  if (n == 0 || n >= static_cast<DWORD>(units)) return false;
  const char16_t* plain = out;
  bool extended = out[0] == u'\\' && out[1] == u'\\' && out[2] == u'?' && out[3] == u'\\';
  if (extended) plain = out + 4;
  bool unc = extended && (plain[0] == u'U' || plain[0] == u'u') && plain[3] == u'\\' &&
             (plain[1] == u'N' || plain[1] == u'n') && (plain[2] == u'C' || plain[2] == u'c');
  if (extended) {
    int from = unc ? 8 : 4;  // "\\?\UNC\s\x" is "\\s\x", "\\?\E:\x" is "E:\x"
    int to = unc ? 2 : 0;
    for (int i = 0;; ++i) {
      out[to + i] = out[from + i];
      if (out[from + i] == 0) break;
    }
  }
  if (IsUncPath(out)) {
    int i = 2;
    for (int part = 0; part < 2; ++part) {
      while (out[i] != 0 && !HostIsSeparator(out[i])) ++i;
      if (part == 0 && out[i] != 0) ++i;
    }
    rootUnits = i;
  } else {
    rootUnits = 2;
  }
  return true;
}

}  // namespace

bool SystemPath(const char16_t* path, char16_t* out, int units) {
  int pos = 0;
  if (path[0] == u'\\' && path[1] == u'\\' && path[2] == u'?' && path[3] == u'\\') {
    return Put(out, units, pos, path, Length(path));
  }
  // The path made absolute from the current directory.
  char16_t absolute[2 * kHostPathUnits + 2];
  const char16_t* full = path;
  if (!IsUncPath(path) && !IsDrivePath(path)) {
    int rootUnits = 0;
    if (!CurrentDirectory(absolute, kHostPathUnits, rootUnits)) return false;
    int length = Length(absolute);
    const char16_t* rest = path;
    if (IsDriveLetter(path[0]) && path[1] == u':') {
      // "E:x": taken from that drive's root.
      absolute[0] = path[0];
      absolute[1] = u':';
      length = 2;
      rest = path + 2;
    } else if (HostIsSeparator(path[0])) {
      length = rootUnits;  // "\A": from the current drive's root
    }
    absolute[length] = u'\\';
    int n = Length(rest);
    if (n > kHostPathUnits) return false;
    for (int i = 0; i <= n; ++i) absolute[length + 1 + i] = rest[i];
    full = absolute;
  }
  int rootEnd = 0;
  const char16_t* rest = full;
  if (IsUncPath(full)) {
    if (!Put(out, units, pos, u"\\\\?\\UNC", 7)) return false;
    int read = PutComponents(out, units, pos, pos, full, 2);  // the server and the share
    if (read < 0) return false;
    rest = full + read;
  } else {
    if (!Put(out, units, pos, u"\\\\?\\", 4) || !Put(out, units, pos, full, 2)) return false;
    rest = full + 2;
  }
  rootEnd = pos;
  if (PutComponents(out, units, pos, rootEnd, rest, -1) < 0) return false;
  return pos > rootEnd || Put(out, units, pos, u"\\", 1);  // a root itself: "\\?\E:\"
}

// --- Code page 932 hooks -------------------------------------------------------

bool HostMapDoubleByte(uint8_t lead, uint8_t trail, char16_t* out) {
  char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  wchar_t buf[2];
  if (MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, in, 2, buf, 2) != 1) return false;
  // An unassigned code may come back as the code page's default character.
  if (buf[0] == 0x30FB && !(lead == 0x81 && trail == 0x45)) return false;
  *out = static_cast<char16_t>(buf[0]);
  return true;
}

int HostMapWideUnit(char16_t c, uint8_t out[2]) {
  wchar_t in = static_cast<wchar_t>(c);
  char buf[4];
  BOOL usedDefault = FALSE;
  int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, &in, 1, buf, sizeof buf, nullptr,
                              &usedDefault);
  if (usedDefault || (n != 1 && n != 2)) return 0;
  out[0] = static_cast<uint8_t>(buf[0]);
  if (n == 2) out[1] = static_cast<uint8_t>(buf[1]);
  return n;
}

// --- Directories ----------------------------------------------------------------

bool HostGetCurrentDirectory(char* out, int size) {
  if (size <= 0) return false;
  char16_t wide[kHostPathUnits];
  DWORD n = GetCurrentDirectoryW(kHostPathUnits, Wide(wide));
  if (n == 0 || n >= kHostPathUnits) return false;
  HostWideToCp932(wide, out, size);
  return true;
}

bool HostGetCurrentDirectoryW(char16_t* out, int units) {
  if (units <= 0) return false;
  DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(units), Wide(out));
  return n != 0 && n < static_cast<DWORD>(units);
}

bool HostEnterArgumentFolder(int index, const char* /*text*/) {
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (args == nullptr) return false;
  bool entered = index < count && SetCurrentDirectoryW(args[index]) != 0;
  LocalFree(args);
  return entered;
}

bool HostGetTempDirectory(char* out, int size) {
  char16_t wide[kHostPathUnits];
  DWORD n = GetTempPathW(kHostPathUnits, Wide(wide));
  if (n == 0 || n >= kHostPathUnits) return false;
  char full[kHostPathUnits * 2];
  int bytes = HostWideToCp932(wide, full, sizeof full);
  if (bytes == 0 || bytes >= size || full[bytes - 1] != '\\') return false;
  std::memcpy(out, full, static_cast<size_t>(bytes) + 1);
  HostKeepTempDirectory(out, wide);
  return true;
}

// --- The run's work folder ---------------------------------------------------------

namespace {

// The work folder made for this run and the work files it may hold, as
// system paths; empty while there is none.
char16_t workFolder[kSystemPathUnits];
char16_t workFiles[2][kSystemPathUnits];

void RemoveWork() {
  if (workFolder[0] == 0) return;
  for (const char16_t* file : workFiles) DeleteFileW(Wide(file));
  RemoveDirectoryW(Wide(workFolder));
  workFolder[0] = 0;
}

}  // namespace

bool HostMakeWorkDirectory(const char* tempDir, char* out, int size) {
  char16_t base[kHostPathUnits];
  if (!ToWidePath(tempDir, base, kHostPathUnits - 64)) return false;
  char16_t folder[kHostPathUnits];
  unsigned long pid = GetCurrentProcessId();
  for (int k = 0; k < 1000; ++k) {
    wchar_t name[64];
    swprintf(name, 64, L"cardprep-%lu-%d", pid, k);
    int len = Length(base);
    std::memcpy(folder, base, sizeof(char16_t) * static_cast<size_t>(len));
    int n = 0;
    for (; name[n] != 0; ++n) folder[len + n] = static_cast<char16_t>(name[n]);
    folder[len + n] = 0;
    char16_t system[kSystemPathUnits];
    if (!SystemPath(folder, system, kSystemPathUnits)) return false;
    if (CreateDirectoryW(Wide(system), nullptr)) {
      int bytes = HostWideToCp932(folder, out, size - 1);
      if (bytes == 0 || bytes + 1 >= size) {
        RemoveDirectoryW(Wide(system));
        return false;
      }
      out[bytes] = '\\';
      out[bytes + 1] = 0;
      std::memcpy(workFolder, system, sizeof system);
      Join(workFiles[0], kSystemPathUnits, system, u"DIRLSTWK.TXT");
      Join(workFiles[1], kSystemPathUnits, system, u"FILLSTWK.TXT");
      return true;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

void HostRemoveWorkDirectory() { RemoveWork(); }

// --- Console -------------------------------------------------------------------

void HostPrint(const char* text) {
  HANDLE console = ConsoleOutput();
  if (console == nullptr) {
    std::fputs(text, stdout);
    std::fflush(stdout);
    return;
  }
  std::fflush(stdout);
  wchar_t buf[512];
  int n = 0;
  int pos = 0;
  for (;;) {
    char16_t c;
    int used = HostDecodeCp932Char(text + pos, &c);
    if (used == 0) break;
    pos += used;
    buf[n++] = static_cast<wchar_t>(c);
    if (n == 512) {
      DWORD written;
      WriteConsoleW(console, buf, static_cast<DWORD>(n), &written, nullptr);
      n = 0;
    }
  }
  if (n > 0) {
    DWORD written;
    WriteConsoleW(console, buf, static_cast<DWORD>(n), &written, nullptr);
  }
}

bool HostPrintsUtf8() { return false; }

bool HostConsoleIsOwn() {
  DWORD mode;
  if (!GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) ||
      !GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) {
    return false;  // redirected: nobody reads a window
  }
  DWORD processes[2];
  DWORD count = GetConsoleProcessList(processes, 2);
  wchar_t given[8];
  const DWORD n = GetEnvironmentVariableW(L"CARDPREP_CONSOLE_PROCESSES", given, 8);
  if (n > 0 && n < 8) count = std::wcstoul(given, nullptr, 10);
  return count == 1;
}

// --- Interrupts -------------------------------------------------------------
//
// The console runs its control handler in a thread of its own. While
// deferred it notes the event and leaves the ending to the run: at once for
// Ctrl-C and Ctrl-Break; for a closed console, logoff or shutdown (which end
// the process when the handler returns) it waits a few seconds for it.

namespace {

volatile LONG deferring = 0;
volatile LONG pendingEvent = 0;  // the event + 1
bool installed = false;

BOOL WINAPI OnControl(DWORD event) {
  if (InterlockedCompareExchange(&deferring, 0, 0) == 0) {
    RemoveWork();
    return FALSE;  // the usual ending
  }
  InterlockedCompareExchange(&pendingEvent, static_cast<LONG>(event) + 1, 0);
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;
  for (int i = 0; i < 40; ++i) Sleep(100);  // the run ends the process meanwhile
  return FALSE;
}

}  // namespace

void HostDeferInterrupts(bool defer) {
  if (defer && !installed) installed = SetConsoleCtrlHandler(OnControl, TRUE) != 0;
  InterlockedExchange(&deferring, defer ? 1 : 0);
  if (!defer) HostDeliverInterrupt();
}

bool HostInterruptPending() { return InterlockedCompareExchange(&pendingEvent, 0, 0) != 0; }

void HostDeliverInterrupt() {
  if (!HostInterruptPending()) return;
  std::fflush(nullptr);  // what was printed and reported reaches its files
  RemoveWork();
  ExitProcess(STATUS_CONTROL_C_EXIT);  // as the console ends a process on Ctrl-C
}

void HostInterruptAsCtrlC() {
  if (OnControl(CTRL_C_EVENT) == FALSE) ExitProcess(STATUS_CONTROL_C_EXIT);  // not deferred
}

void HostEndAsKilled() {
  TerminateProcess(GetCurrentProcess(), 137);
  ExitProcess(137);  // not reached
}
