// The host layer on Windows: listings, existence, moves and opening files.
#include <io.h>

#include <climits>
#include <cstring>

#include "platform/host_internal.h"
#include "platform/host_win32.h"

namespace {

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
  char16_t pattern[kHostPathUnits];
  char16_t system[kSystemPathUnits];
  if (!Join(pattern, kHostPathUnits, folder, u"*") ||
      !SystemPath(pattern, system, kSystemPathUnits)) {
    return false;
  }
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(Wide(system), &data);
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
      if (len + 1 + ln + 1 > kHostPathUnits) continue;
      path[len] = u'\\';
      for (int u = 0; u <= ln; ++u) path[len + 1 + u] = name[u];
      ok = pass == 0 ? HostWriteListingLine(out, path) >= 0 : ListFolders(out, path, len + 1 + ln);
      path[len] = 0;
    }
  }
  HostPoolPop(pool, first);
  return ok;
}

}  // namespace

// --- Listings -------------------------------------------------------------------

bool HostWriteFolderListing(const char* workFile) {
  std::FILE* out = HostOpen(workFile, "wb");
  if (out == nullptr) return false;
  static char16_t path[kHostPathUnits];
  DWORD n = GetCurrentDirectoryW(kHostPathUnits, Wide(path));
  bool ok = n != 0 && n < kHostPathUnits;
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
  char16_t folder[kHostPathUnits];
  bool ok = true;
  if (ToWidePath(folderPath, folder, kHostPathUnits) && !HasFatInvalidName(folder)) {
    HostNamePool& pool = HostListingPool();
    int first = pool.nameCount;
    PushEntries(pool, folder, false);
    HostPoolSort(pool, first);
    for (int k = first; k < pool.nameCount && ok; ++k) {
      ok = HostWriteListingLine(out, HostPoolName(pool, k)) >= 0;
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
  entry.unusable = false;  // the system holds only names it can give
  entry.isLink = IsLink(data);
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
  char16_t search[kHostPathUnits];
  char16_t system[kSystemPathUnits];
  if (!Join(search, kHostPathUnits, folderPath, u"*") ||
      !SystemPath(search, system, kSystemPathUnits)) {
    return false;
  }
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(Wide(system), &data);
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
  char16_t system[kSystemPathUnits];
  if (path[0] == 0 || HasFatInvalidName(path) || !SystemPath(path, system, kSystemPathUnits)) {
    return false;
  }
  return GetFileAttributesW(Wide(system)) != INVALID_FILE_ATTRIBUTES;
}

long HostFileSize(const char* path) {
  char16_t wide[kHostPathUnits];
  char16_t system[kSystemPathUnits];
  if (!ToWidePath(path, wide, kHostPathUnits) || wide[0] == 0 || HasFatInvalidName(wide) ||
      !SystemPath(wide, system, kSystemPathUnits)) {
    return -1;
  }
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Wide(system), GetFileExInfoStandard, &data)) return -1;
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return -1;
  unsigned long long size =
      (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return size > LONG_MAX ? LONG_MAX : static_cast<long>(size);  // long is 32 bits here
}

// Windows itself finds names in any case; nothing is kept.
void HostForgetFolderNames() {}

unsigned long HostErrorAlreadyExists() { return ERROR_ALREADY_EXISTS; }

const char* HostErrorText(unsigned long error) {
  static char text[512];
  wchar_t wide[256];
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           error, 0, wide, 256, nullptr);
  // One line: the system's text ends with CR LF (and often a stop).
  while (n > 0 && (wide[n - 1] == L'\r' || wide[n - 1] == L'\n' || wide[n - 1] == L' ')) --n;
  wide[n] = 0;
  HostWideToCp932(reinterpret_cast<const char16_t*>(wide), text, sizeof text);
  return text;
}
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
  char16_t system[kSystemPathUnits];
  if (!SystemPath(path, system, kSystemPathUnits)) return false;
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(Wide(system), &data);
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
// two moves through a free temporary name. Both paths are system paths.
unsigned long ChangeCase(const char16_t* from, const char16_t* to) {
  if (!MoveFileW(Wide(from), Wide(to))) return GetLastError();
  if (IsSpelledAs(to)) return 0;
  char16_t temp[kSystemPathUnits];
  int len = Length(from);
  if (len + 8 > kSystemPathUnits) return 0;
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
  char16_t systemFrom[kSystemPathUnits];
  char16_t systemTo[kSystemPathUnits];
  if (!SystemPath(from, systemFrom, kSystemPathUnits) ||
      !SystemPath(to, systemTo, kSystemPathUnits)) {
    return ERROR_FILENAME_EXCED_RANGE;
  }
  unsigned long error = 0;
  if (IsCaseChangeOnly(from, to)) {
    error = ChangeCase(systemFrom, systemTo);
  } else if (!MoveFileW(Wide(systemFrom), Wide(systemTo))) {
    error = GetLastError();
    // Both mean the name is taken; one code for every host.
    if (error == ERROR_FILE_EXISTS) error = ERROR_ALREADY_EXISTS;
  }
  HostStepPoint();
  return error;
}

unsigned long HostMoveBack(const char16_t* from, const char16_t* to) {
  return HostMove(from, to);  // a name in another case is the same name here
}

unsigned long HostRemoveFile(const char16_t* path) {
  if (path[0] == 0 || HasFatInvalidName(path)) return HostErrorInvalidName();
  char16_t system[kSystemPathUnits];
  if (!SystemPath(path, system, kSystemPathUnits)) return ERROR_FILENAME_EXCED_RANGE;
  DWORD attributes = GetFileAttributesW(Wide(system));
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
  if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    return ERROR_ACCESS_DENIED;  // a folder, or a link in a file's place
  }
  if (!DeleteFileW(Wide(system))) return GetLastError();
  HostStepPoint();
  return 0;
}

std::FILE* HostOpenW(const char16_t* path, const char* mode) {
  wchar_t binary[4];
  int n = 0;
  binary[n++] = (mode[0] == 'w' || mode[0] == 'a') ? static_cast<wchar_t>(mode[0]) : L'r';
  if (std::strchr(mode, '+') != nullptr) binary[n++] = L'+';
  binary[n++] = L'b';
  binary[n] = 0;
  char16_t system[kSystemPathUnits];
  if (path[0] == 0 || HasFatInvalidName(path) || !SystemPath(path, system, kSystemPathUnits)) {
    return nullptr;
  }
  // A folder is never opened as a file, and a file of the tool's is never
  // written through a link (a reparse point) in its place.
  DWORD attributes = GetFileAttributesW(Wide(system));
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    bool writing = binary[0] != L'r' || binary[1] == L'+';
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
        (writing && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)) {
      return nullptr;
    }
  }
  return _wfopen(Wide(system), binary);
}

int HostWriteFile(const char* path, const void* bytes, int size) {
  std::FILE* file = HostOpen(path, "wb");
  if (file == nullptr) return 1;
  bool ok = std::fwrite(bytes, 1, static_cast<size_t>(size), file) == static_cast<size_t>(size);
  return std::fclose(file) == 0 && ok ? 0 : 2;
}

int HostReadFileHead(const char* path, void* buf, int size) {
  std::FILE* file = HostOpen(path, "rb");
  if (file == nullptr) return -1;
  size_t got = std::fread(buf, 1, static_cast<size_t>(size), file);
  std::fclose(file);
  return static_cast<int>(got);
}

bool HostOpenReader(HostReader& reader, const char* path) {
  reader.handle = -1;
  char16_t wide[kHostPathUnits];
  char16_t system[kSystemPathUnits];
  if (!ToWidePath(path, wide, kHostPathUnits) || wide[0] == 0 || HasFatInvalidName(wide) ||
      !SystemPath(wide, system, kSystemPathUnits)) {
    return false;
  }
  // A folder does not open without FILE_FLAG_BACKUP_SEMANTICS.
  HANDLE h = CreateFileW(Wide(system), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  reader.handle = reinterpret_cast<intptr_t>(h);
  return true;
}

int HostReadAt(HostReader& reader, int64_t offset, void* buf, int size) {
  if (reader.handle == -1 || offset < 0) return -1;
  HANDLE h = reinterpret_cast<HANDLE>(reader.handle);
  int got = 0;
  while (got < size) {
    OVERLAPPED at{};
    uint64_t position = static_cast<uint64_t>(offset + got);
    at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    DWORD n = 0;
    if (!ReadFile(h, static_cast<char*>(buf) + got, static_cast<DWORD>(size - got), &n, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      return -1;
    }
    got += static_cast<int>(n);
    if (n == 0 || got < size) break;  // a file read short is at its end
  }
  return got;
}

int64_t HostReaderSize(HostReader& reader) {
  LARGE_INTEGER size;
  if (reader.handle == -1 || !GetFileSizeEx(reinterpret_cast<HANDLE>(reader.handle), &size)) {
    return -1;
  }
  return static_cast<int64_t>(size.QuadPart);
}

void HostCloseReader(HostReader& reader) {
  if (reader.handle != -1) CloseHandle(reinterpret_cast<HANDLE>(reader.handle));
  reader.handle = -1;
}

bool HostCopyFile(const char* from, const char* to) {
  char16_t wideFrom[kHostPathUnits];
  char16_t wideTo[kHostPathUnits];
  if (!ToWidePath(from, wideFrom, kHostPathUnits) || !ToWidePath(to, wideTo, kHostPathUnits)) {
    return false;
  }
  if (HasFatInvalidName(wideFrom) || HasFatInvalidName(wideTo)) return false;
  char16_t systemFrom[kSystemPathUnits];
  char16_t systemTo[kSystemPathUnits];
  return SystemPath(wideFrom, systemFrom, kSystemPathUnits) &&
         SystemPath(wideTo, systemTo, kSystemPathUnits) &&
         CopyFileW(Wide(systemFrom), Wide(systemTo), FALSE) != 0;
}

bool HostCutFile(std::FILE* file, long size) {
  if (std::fflush(file) != 0 || _chsize_s(_fileno(file), size) != 0) return false;
  return std::fseek(file, size, SEEK_SET) == 0;
}
