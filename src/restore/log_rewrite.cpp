#include "restore/log_rewrite.h"

#include <cstdio>

#include "platform/host.h"
#include "restore/restore_plan.h"
#include "text/wide.h"

namespace {

constexpr int kPathUnits = 520;

bool Paths(const char16_t* folder, char16_t* logPath, char16_t* sidePath) {
  return WideJoinPath(logPath, kPathUnits, folder, u"RENFIL04.LOG") &&
         WideJoinPath(sidePath, kPathUnits, folder, u"RENFIL04.NEW");
}

bool IsOurSideFile(const char16_t* path) {
  std::FILE* file = HostOpenW(path, "rb");
  if (file == nullptr) return false;
  unsigned char mark[2] = {0, 0};
  bool ours = std::fread(mark, 1, 2, file) == 2 && mark[0] == 0xFF && mark[1] == 0xFE;
  std::fclose(file);
  return ours;
}

bool Keeps(const FileLog& log, int i) { return !log.undone[i] && log.lines[i].ended; }

// Appends one unit, little-endian.
void PutUnit(unsigned char* bytes, int& used, char16_t unit) {
  bytes[used++] = static_cast<unsigned char>(unit & 0xFF);
  bytes[used++] = static_cast<unsigned char>(unit >> 8);
}

// Writes the lines log keeps to a new file at path, UTF-16LE after its mark,
// each line's units as read (a unit 0 too) and CR LF, one write a line.
bool WriteSideFile(const char16_t* path, const FileLog& log) {
  std::FILE* file = HostOpenW(path, "wb");
  if (file == nullptr) return false;
  std::setvbuf(file, nullptr, _IONBF, 0);
  HostStepPoint();  // an empty side file now stands there
  bool ok = true;
  bool marked = false;
  for (int i = 0; i < log.count; ++i) {
    if (!Keeps(log, i)) continue;
    unsigned char bytes[2 * (kLogLineUnits + 3)];
    int used = 0;
    if (!marked) PutUnit(bytes, used, 0xFEFF);
    marked = true;
    const LogLine& line = log.lines[i];
    for (int k = 0; k < line.length; ++k) PutUnit(bytes, used, line.text[k]);
    PutUnit(bytes, used, u'\r');
    PutUnit(bytes, used, u'\n');
    ok = ok && std::fwrite(bytes, 1, static_cast<size_t>(used), file) == static_cast<size_t>(used);
    HostStepPoint();
  }
  return std::fclose(file) == 0 && ok;
}

}  // namespace

bool RecoverFileLog(const char16_t* folder) {
  char16_t logPath[kPathUnits];
  char16_t sidePath[kPathUnits];
  if (!Paths(folder, logPath, sidePath) || !HostExists(sidePath)) return true;
  if (!IsOurSideFile(sidePath)) return false;
  // With the old log still there the side file may be cut short: the old
  // log holds every line not undone (see RestoreFileNames), so it wins.
  if (HostExists(logPath)) return HostRemoveFile(sidePath) == 0;
  return HostMove(sidePath, logPath) == 0;
}

bool RewriteFileLog(const char16_t* folder, FileLog& log) {
  char16_t logPath[kPathUnits];
  char16_t sidePath[kPathUnits];
  if (!Paths(folder, logPath, sidePath)) return false;
  // A last line without its line end goes too: it names a move that was
  // never made.
  int kept = 0;
  for (int i = 0; i < log.count; ++i) kept += Keeps(log, i) ? 1 : 0;
  if (kept == 0) {
    unsigned long error = HostRemoveFile(logPath);
    if (error != 0 && HostExists(logPath)) return false;
  } else {
    // The side file is made anew (exclusively: RecoverFileLog has cleared
    // the name), whole, before the old log goes.
    if (HostExists(sidePath)) return false;
    bool ok = WriteSideFile(sidePath, log);
    if (!ok || HostRemoveFile(logPath) != 0 || HostMove(sidePath, logPath) != 0) {
      if (HostExists(logPath)) HostRemoveFile(sidePath);
      return false;
    }
  }
  for (int i = 0; i < log.count; ++i) log.written[i] = Keeps(log, i);
  return true;
}
