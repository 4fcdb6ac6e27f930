// The host layer on POSIX. The current directory is the card's root; card
// paths are resolved below it as FAT would resolve them
// (host_posix_names.cpp), files are opened and moved in host_posix_files.cpp,
// listed in host_posix_listing.cpp. Names on disk are UTF-8.
#include "platform/host_posix.h"

#include <fcntl.h>
#include <iconv.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/host_internal.h"
#include "text/utf.h"

namespace {

// --- Code page 932 through iconv -------------------------------------------

// Converts bytes exactly (no substitution). Returns the output bytes, or -1.
int ConvertExact(iconv_t cd, const char* in, size_t inBytes, char* out, size_t outBytes) {
  if (cd == reinterpret_cast<iconv_t>(-1)) return -1;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* inPtr = const_cast<char*>(in);
  char* outPtr = out;
  size_t inLeft = inBytes;
  size_t outLeft = outBytes;
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) {
    return -1;
  }
  if (iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1)) return -1;
  return static_cast<int>(outBytes - outLeft);
}

iconv_t FromCp932() {
  static iconv_t cd = iconv_open("UTF-16LE", "CP932");
  return cd;
}

iconv_t ToCp932() {
  static iconv_t cd = iconv_open("CP932", "UTF-16LE");
  return cd;
}

// iconv's answers, asked once per character: 0 not asked yet, 0xFFFF none.
char16_t doubleByteToWide[65536];
// The other way: 0 not asked yet, 1 none, 0x100 + b the single byte b, else
// the two bytes (lead byte high).
uint16_t wideToCp932[65536];

}  // namespace

bool HostMapDoubleByte(uint8_t lead, uint8_t trail, char16_t* out) {
  char16_t& known = doubleByteToWide[lead << 8 | trail];
  if (known == 0) {
    char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    unsigned char buf[8];
    int n = ConvertExact(FromCp932(), in, 2, reinterpret_cast<char*>(buf), sizeof buf);
    char16_t unit = static_cast<char16_t>(buf[0] | (buf[1] << 8));
    known = n == 2 && unit != 0 && unit != 0xFFFF ? unit : 0xFFFF;
  }
  if (known == 0xFFFF) return false;
  *out = known;
  return true;
}

int HostMapWideUnit(char16_t c, uint8_t out[2]) {
  uint16_t& known = wideToCp932[c];
  if (known == 0) {
    char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    char buf[8];
    int n = ConvertExact(ToCp932(), in, 2, buf, sizeof buf);
    uint8_t b0 = static_cast<uint8_t>(buf[0]);
    uint8_t b1 = static_cast<uint8_t>(buf[1]);
    if (n == 1) {
      known = static_cast<uint16_t>(0x100 + b0);
    } else if (n == 2 && (b0 << 8 | b1) > 0x1FF) {
      known = static_cast<uint16_t>(b0 << 8 | b1);
    } else {
      known = 1;
    }
  }
  if (known == 1) return 0;
  if (known < 0x200) {
    out[0] = static_cast<uint8_t>(known - 0x100);
    return 1;
  }
  out[0] = static_cast<uint8_t>(known >> 8);
  out[1] = static_cast<uint8_t>(known & 0xFF);
  return 2;
}

// --- Directories ----------------------------------------------------------------

bool HostGetCurrentDirectory(char* out, int size) {
  if (size <= 0) return false;
  char utf8[kPathBytes];
  if (getcwd(utf8, sizeof utf8) == nullptr) return false;
  char16_t wide[kPathBytes];
  if (!PosixUtf8ToWide(utf8, wide, kPathBytes)) return false;
  HostWideToCp932(wide, out, size);
  return true;
}

bool HostGetCurrentDirectoryW(char16_t* out, int units) {
  if (units < 2) return false;
  out[0] = u'\\';
  out[1] = 0;
  return true;
}

bool HostEnterArgumentFolder(int /*index*/, const char* text) { return chdir(text) == 0; }

bool HostGetTempDirectory(char* out, int size) {
  const char* dir = std::getenv("TMPDIR");
  if (dir == nullptr || dir[0] == 0) dir = "/tmp";
  char16_t wide[kPathBytes];
  char full[2 * kPathBytes + 2];  // room for two bytes a unit, and a '/'
  if (!PosixUtf8ToWide(dir, wide, kPathBytes)) return false;
  int units = 0;
  while (wide[units] != 0) ++units;
  if (units == 0 || units + 1 >= kPathBytes) return false;
  if (wide[units - 1] != u'/') wide[units++] = u'/';
  wide[units] = 0;
  int n = HostWideToCp932(wide, full, 2 * kPathBytes);
  if (n >= size || n == 0 || full[n - 1] != '/') return false;
  std::memcpy(out, full, static_cast<size_t>(n) + 1);
  HostKeepTempDirectory(out, wide);
  return true;
}

// --- The run's work folder ---------------------------------------------------------

namespace {

// The work folder made for this run and the work files it may hold, as
// host paths: kept whole so that an interrupt can remove them from its
// signal handler. Empty while there is none.
char workFolder[kPathBytes];
char workFiles[2][kPathBytes];

}  // namespace

void PosixRemoveWorkOnInterrupt() {
  if (workFolder[0] == 0) return;
  for (const char* file : workFiles) unlink(file);
  rmdir(workFolder);
  workFolder[0] = 0;
}

bool HostMakeWorkDirectory(const char* tempDir, char* out, int size) {
  char16_t wide[kPathBytes];
  char folder[kPathBytes];
  int pos = 0;
  if (!ToWidePath(tempDir, wide, kPathBytes)) return false;
  int units = 0;
  while (wide[units] != 0) ++units;
  if (!PosixAppendUtf8(wide, units, folder, kPathBytes - 32, &pos)) return false;
  std::strcpy(folder + pos, "cardprep-XXXXXX");
  if (mkdtemp(folder) == nullptr) return false;
  // The name mkdtemp made is ASCII: the same in code page 932.
  int n = std::snprintf(out, static_cast<size_t>(size), "%s%s/", tempDir, folder + pos);
  if (n < 0 || n >= size) {
    rmdir(folder);
    return false;
  }
  std::strcpy(workFolder, folder);
  const char* names[2] = {"/DIRLSTWK.TXT", "/FILLSTWK.TXT"};
  for (int i = 0; i < 2; ++i) std::snprintf(workFiles[i], kPathBytes, "%s%s", folder, names[i]);
  return true;
}

void HostRemoveWorkDirectory() { PosixRemoveWorkOnInterrupt(); }

// --- Files --------------------------------------------------------------------------

bool HostCopyFile(const char* from, const char* to) {
  static char bytes[kHostCopyBytes + 1];
  int n = HostReadFileHead(from, bytes, sizeof bytes);
  return n >= 0 && n <= kHostCopyBytes && HostWriteFile(to, bytes, n) == 0;
}

// --- Console -------------------------------------------------------------------

void HostPrint(const char* text) {
  char buf[1024];
  int n = 0;
  int pos = 0;
  for (;;) {
    char16_t c;
    int used = HostDecodeCp932Char(text + pos, &c);
    if (used == 0) break;
    pos += used;
    if (n + 4 >= static_cast<int>(sizeof buf)) {
      std::fwrite(buf, 1, static_cast<size_t>(n), stdout);
      n = 0;
    }
    n += EncodeUtf8(c, buf + n);
  }
  std::fwrite(buf, 1, static_cast<size_t>(n), stdout);
  // Each line shows at once on a terminal; into a file or a pipe the lines
  // go out in blocks (and before every question, and at the end).
  static const bool terminal = isatty(fileno(stdout)) != 0;
  if (terminal) std::fflush(stdout);
}

bool HostPrintsUtf8() { return true; }

// A terminal outlives the programs run in it.
bool HostConsoleIsOwn() { return false; }
