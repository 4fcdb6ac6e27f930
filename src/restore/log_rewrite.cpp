#include "restore/log_rewrite.h"

#include <cstdio>

#include "platform/host.h"
#include "rename/log_text.h"
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
    LogWriter writer;
    if (!CreateLog(sidePath, writer)) return false;
    bool ok = true;
    for (int i = 0; i < log.count; ++i) {
      if (Keeps(log, i)) ok = WriteLogLine(writer, log.lines[i].text) && ok;
    }
    ok = CloseLog(writer) && ok;
    if (!ok || HostRemoveFile(logPath) != 0 || HostMove(sidePath, logPath) != 0) {
      if (HostExists(logPath)) HostRemoveFile(sidePath);
      return false;
    }
  }
  for (int i = 0; i < log.count; ++i) log.written[i] = Keeps(log, i);
  return true;
}
