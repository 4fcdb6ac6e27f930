// The host layer on Windows: wide (UTF-16) calls only, so names never pass
// through the ANSI code page and the tool works on a Windows set to any
// language. Code page 932 text is converted with code page 932 itself.
// Listings and files are in host_win32_files.cpp.
#include "platform/host_win32.h"

#include <fcntl.h>
#include <io.h>

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
  char16_t wide[kPathUnits];
  DWORD n = GetCurrentDirectoryW(kPathUnits, Wide(wide));
  if (n == 0 || n >= kPathUnits) return false;
  HostWideToCp932(wide, out, size);
  return true;
}

bool HostGetCurrentDirectoryW(char16_t* out, int units) {
  if (units <= 0) return false;
  DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(units), Wide(out));
  return n != 0 && n < static_cast<DWORD>(units);
}

bool HostGetTempDirectory(char* out, int size) {
  char16_t wide[kPathUnits];
  DWORD n = GetTempPathW(kPathUnits, Wide(wide));
  if (n == 0 || n >= kPathUnits) return false;
  char full[kPathUnits * 2];
  int bytes = HostWideToCp932(wide, full, sizeof full);
  if (bytes == 0 || bytes >= size || full[bytes - 1] != '\\') return false;
  std::memcpy(out, full, static_cast<size_t>(bytes) + 1);
  HostKeepTempDirectory(out, wide);
  return true;
}

// --- The run's work folder ---------------------------------------------------------

namespace {

// The work folder made for this run and the work files it may hold; empty
// while there is none.
char16_t workFolder[kPathUnits];
char16_t workFiles[2][kPathUnits];

void RemoveWork() {
  if (workFolder[0] == 0) return;
  for (const char16_t* file : workFiles) DeleteFileW(Wide(file));
  RemoveDirectoryW(Wide(workFolder));
  workFolder[0] = 0;
}

}  // namespace

bool HostMakeWorkDirectory(const char* tempDir, char* out, int size) {
  char16_t base[kPathUnits];
  if (!ToWidePath(tempDir, base, kPathUnits - 64)) return false;
  char16_t folder[kPathUnits];
  unsigned long pid = GetCurrentProcessId();
  for (int k = 0; k < 1000; ++k) {
    wchar_t name[64];
    swprintf(name, 64, L"cardprep-%lu-%d", pid, k);
    int len = Length(base);
    std::memcpy(folder, base, sizeof(char16_t) * static_cast<size_t>(len));
    int n = 0;
    for (; name[n] != 0; ++n) folder[len + n] = static_cast<char16_t>(name[n]);
    folder[len + n] = 0;
    if (CreateDirectoryW(Wide(folder), nullptr)) {
      int bytes = HostWideToCp932(folder, out, size - 1);
      if (bytes == 0 || bytes + 1 >= size) {
        RemoveDirectoryW(Wide(folder));
        return false;
      }
      out[bytes] = '\\';
      out[bytes + 1] = 0;
      std::memcpy(workFolder, folder, sizeof folder);
      Join(workFiles[0], kPathUnits, folder, u"DIRLSTWK.TXT");
      Join(workFiles[1], kPathUnits, folder, u"FILLSTWK.TXT");
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
