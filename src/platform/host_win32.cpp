// The host layer on Windows: wide (UTF-16) calls only, so names never pass
// through the ANSI code page and the tool works on a Windows set to any
// language. Code page 932 text is converted with code page 932 itself.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstring>
#include <cwchar>

#include "platform/host.h"
#include "platform/host_internal.h"

namespace {

constexpr UINT kCodePage = 932;
constexpr int kPathUnits = 1024;

const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
wchar_t* Wide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
const char16_t* Units(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }

int Length(const char16_t* text) {
  int n = 0;
  while (text[n] != 0) ++n;
  return n;
}

// A code page 932 path in UTF-16; false when it does not fit (a cut path
// could name another file).
bool ToWidePath(const char* cp932, char16_t* out, int units) {
  if (static_cast<int>(std::strlen(cp932)) >= units) return false;
  HostCp932ToWide(cp932, out, units);
  return true;
}

// True when some component of the path is a name FAT cannot hold. A drive
// ("E:") in front is not a name.
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
    bool dot = (units == 1 && name[0] == u'.') || (units == 2 && name[0] == u'.' && name[1] == u'.');
    first = false;
    if (drive || dot) continue;
    if (HostIsFatInvalidName(name, units)) return true;
  }
  return false;
}

// out = folder + "\" + name (no doubled separator after a drive root "E:\").
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

bool IsFolder(const WIN32_FIND_DATAW& data) {
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A folder that is a link (junction, symbolic link) is neither listed nor
// entered, so no listing can loop.
bool IsLink(const WIN32_FIND_DATAW& data) {
  return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Pushes the names of folder's entries (folders when wantFolders, else
// files) onto the pool. Returns false when the folder cannot be read.
bool PushEntries(HostNamePool& pool, const char16_t* folder, bool wantFolders) {
  char16_t pattern[kPathUnits];
  if (!Join(pattern, kPathUnits, folder, u"*")) return false;
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(Wide(pattern), &data);
  if (h == INVALID_HANDLE_VALUE) return false;
  do {
    const char16_t* name = Units(data.cFileName);
    if (HostIsDotName(name, Length(name))) continue;
    if (IsFolder(data) != wantFolders) continue;
    if (wantFolders && IsLink(data)) continue;
    if (!HostPoolPush(pool, name)) break;  // pool full: the rest is left out
  } while (FindNextFileW(h, &data));
  FindClose(h);
  return true;
}

// Lists the subfolders of path (wide, full path without a trailing
// separator): every subfolder's line first, then each subfolder's own
// listing, in name order.
bool ListFolders(std::FILE* out, char16_t* path, int len) {
  HostNamePool& pool = HostListingPool();
  int first = pool.nameCount;
  PushEntries(pool, path, true);  // "E:" is searched as "E:\*"
  HostPoolSort(pool, first);
  int last = pool.nameCount;
  bool ok = true;
  for (int pass = 0; pass < 2 && ok; ++pass) {
    for (int k = first; k < last && ok; ++k) {
      const char16_t* name = HostPoolName(pool, k);
      int ln = Length(name);
      if (len + 1 + ln + 1 > kPathUnits) continue;
      path[len] = u'\\';
      for (int u = 0; u <= ln; ++u) path[len + 1 + u] = name[u];
      ok = pass == 0 ? HostWriteListingLine(out, path) : ListFolders(out, path, len + 1 + ln);
      path[len] = 0;
    }
  }
  HostPoolPop(pool, first);
  return ok;
}

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

// --- Listings -------------------------------------------------------------------

bool HostWriteFolderListing(const char* workFile) {
  std::FILE* out = HostOpen(workFile, "wb");
  if (out == nullptr) return false;
  static char16_t path[kPathUnits];
  DWORD n = GetCurrentDirectoryW(kPathUnits, Wide(path));
  bool ok = n != 0 && n < kPathUnits;
  if (ok) {
    int len = static_cast<int>(n);
    if (len > 0 && path[len - 1] == u'\\') path[--len] = 0;  // "E:\" lists as "E:\A"
    ok = ListFolders(out, path, len);
  }
  ok = std::fclose(out) == 0 && ok;
  return ok;
}

bool HostWriteFileListing(const char* folderPath, const char* workFile) {
  std::FILE* out = HostOpen(workFile, "wb");
  if (out == nullptr) return false;
  char16_t folder[kPathUnits];
  bool ok = true;
  if (ToWidePath(folderPath, folder, kPathUnits) && !HasFatInvalidName(folder)) {
    HostNamePool& pool = HostListingPool();
    int first = pool.nameCount;
    PushEntries(pool, folder, false);
    HostPoolSort(pool, first);
    for (int k = first; k < pool.nameCount && ok; ++k) {
      ok = HostWriteListingLine(out, HostPoolName(pool, k));
    }
    HostPoolPop(pool, first);
  }
  ok = std::fclose(out) == 0 && ok;
  return ok;
}

// --- Wide listing --------------------------------------------------------------

namespace {

// Fills entry from data when its long name matches the pattern (a search
// pattern alone would also match 8.3 aliases: "*.MP3" finds "song.mp3x").
bool TakeEntry(const HostFind& find, const WIN32_FIND_DATAW& data, HostFindEntry& entry) {
  const char16_t* name = Units(data.cFileName);
  if (!HostMatchPattern(find.pattern, name)) return false;
  int len = Length(name);
  entry.tooLong = len >= kHostNameUnits;
  int copy = entry.tooLong ? kHostNameUnits - 1 : len;
  for (int u = 0; u < copy; ++u) entry.name[u] = name[u];
  entry.name[copy] = 0;
  entry.isDirectory = IsFolder(data);
  return true;
}

}  // namespace

bool HostFindFirst(HostFind& find, const char16_t* folderPath, const char16_t* pattern,
                   HostFindEntry& entry) {
  find.handle = nullptr;
  int len = 0;
  while (pattern[len] != 0 && len < kHostNameUnits - 1) {
    find.pattern[len] = pattern[len];
    ++len;
  }
  find.pattern[len] = 0;
  if (HasFatInvalidName(folderPath)) return false;
  char16_t search[kPathUnits];
  if (!Join(search, kPathUnits, folderPath, u"*")) return false;
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(Wide(search), &data);
  if (h == INVALID_HANDLE_VALUE) return false;
  find.handle = h;
  do {
    if (TakeEntry(find, data, entry)) return true;
  } while (FindNextFileW(h, &data));
  HostFindClose(find);
  return false;
}

bool HostFindNext(HostFind& find, HostFindEntry& entry) {
  if (find.handle == nullptr) return false;
  WIN32_FIND_DATAW data;
  while (FindNextFileW(static_cast<HANDLE>(find.handle), &data)) {
    if (TakeEntry(find, data, entry)) return true;
  }
  return false;
}

void HostFindClose(HostFind& find) {
  if (find.handle != nullptr) FindClose(static_cast<HANDLE>(find.handle));
  find.handle = nullptr;
}

// --- Files -----------------------------------------------------------------------

bool HostExists(const char16_t* path) {
  if (path[0] == 0 || HasFatInvalidName(path)) return false;
  return GetFileAttributesW(Wide(path)) != INVALID_FILE_ATTRIBUTES;
}

bool HostExistsA(const char* path) {
  char16_t wide[kPathUnits];
  if (!ToWidePath(path, wide, kPathUnits)) return false;
  return HostExists(wide);
}

// Windows itself finds names in any case; nothing is kept.
void HostForgetFolderNames() {}

unsigned long HostErrorAlreadyExists() { return ERROR_ALREADY_EXISTS; }
unsigned long HostErrorInvalidName() { return ERROR_INVALID_NAME; }

namespace {

// True when the two paths differ in ASCII letter case only.
bool IsCaseChangeOnly(const char16_t* from, const char16_t* to) {
  int lf = Length(from);
  int lt = Length(to);
  if (!HostEqualsIgnoreAsciiCase(from, lf, to, lt)) return false;
  for (int i = 0; i < lf; ++i) {
    if (from[i] != to[i]) return true;
  }
  return false;
}

// True when the entry at path is spelled as the last component of path.
bool IsSpelledAs(const char16_t* path) {
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(Wide(path), &data);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  int start = 0;
  for (int i = 0; path[i] != 0; ++i) {
    if (HostIsSeparator(path[i])) start = i + 1;
  }
  const char16_t* name = Units(data.cFileName);
  for (int i = 0;; ++i) {
    if (name[i] != path[start + i]) return false;
    if (name[i] == 0) return true;
  }
}

// Changes the letter case of a name. Windows does it in one move; a file
// system that keeps the old spelling (Wine on a case-sensitive disk) gets
// two moves through a free temporary name.
unsigned long ChangeCase(const char16_t* from, const char16_t* to) {
  if (!MoveFileW(Wide(from), Wide(to))) return GetLastError();
  if (IsSpelledAs(to)) return 0;
  char16_t temp[kPathUnits];
  int len = Length(from);
  if (len + 8 > kPathUnits) return 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    for (int i = 0; i < len; ++i) temp[i] = from[i];
    temp[len] = u'.';
    temp[len + 1] = u'~';
    temp[len + 2] = static_cast<char16_t>(u'0' + attempt / 10);
    temp[len + 3] = static_cast<char16_t>(u'0' + attempt % 10);
    temp[len + 4] = 0;
    if (GetFileAttributesW(Wide(temp)) != INVALID_FILE_ATTRIBUTES) continue;
    if (!MoveFileW(Wide(from), Wide(temp))) return GetLastError();
    if (MoveFileW(Wide(temp), Wide(to))) return 0;
    unsigned long error = GetLastError();
    MoveFileW(Wide(temp), Wide(from));
    return error;
  }
  return 0;
}

}  // namespace

unsigned long HostMove(const char16_t* from, const char16_t* to) {
  int last = Length(to);
  if (last == 0 || HostIsSeparator(to[last - 1])) return HostErrorInvalidName();
  if (HasFatInvalidName(from) || HasFatInvalidName(to)) return HostErrorInvalidName();
  if (IsCaseChangeOnly(from, to)) return ChangeCase(from, to);
  if (MoveFileW(Wide(from), Wide(to))) return 0;
  unsigned long error = GetLastError();
  // Both mean the name is taken; one code for every host.
  if (error == ERROR_FILE_EXISTS) error = ERROR_ALREADY_EXISTS;
  return error;
}

std::FILE* HostOpenW(const char16_t* path, const char* mode) {
  wchar_t binary[4];
  int n = 0;
  binary[n++] = (mode[0] == 'w' || mode[0] == 'a') ? static_cast<wchar_t>(mode[0]) : L'r';
  if (std::strchr(mode, '+') != nullptr) binary[n++] = L'+';
  binary[n++] = L'b';
  binary[n] = 0;
  if (path[0] == 0 || HasFatInvalidName(path)) return nullptr;
  return _wfopen(Wide(path), binary);
}

std::FILE* HostOpen(const char* path, const char* mode) {
  char16_t wide[kPathUnits];
  if (!ToWidePath(path, wide, kPathUnits)) return nullptr;
  return HostOpenW(wide, mode);
}

int HostReadFileHead(const char* path, void* buf, int size) {
  std::FILE* file = HostOpen(path, "rb");
  if (file == nullptr) return -1;
  size_t got = std::fread(buf, 1, static_cast<size_t>(size), file);
  std::fclose(file);
  return static_cast<int>(got);
}

bool HostCopyFile(const char* from, const char* to) {
  char16_t wideFrom[kPathUnits];
  char16_t wideTo[kPathUnits];
  if (!ToWidePath(from, wideFrom, kPathUnits) || !ToWidePath(to, wideTo, kPathUnits)) {
    return false;
  }
  if (HasFatInvalidName(wideFrom) || HasFatInvalidName(wideTo)) return false;
  return CopyFileW(Wide(wideFrom), Wide(wideTo), FALSE) != 0;
}

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
