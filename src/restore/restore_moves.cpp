#include "restore/restore_moves.h"

#include <cstdio>
#include <cstring>

#include "base/console.h"
#include "platform/host.h"
#include "rename/rename_report.h"
#include "restore/log_rewrite.h"
#include "restore/messages.h"
#include "restore/restore_plan.h"
#include "text/wide.h"

namespace {

// One log at a time; about 1.2 MiB, so never on the stack.
FileLog fileLog;

void Left(RestoreRun& run) { ++run.left; }

// True when folder's log was rewritten; else says why not in one line,
// naming the side file when that is what stands in the way.
bool Rewritten(RestoreRun& run, const char16_t* folder, const char16_t* logPath, Rewrite result) {
  ReportArg a;
  if (result == Rewrite::kDone) return true;
  if (result == Rewrite::kInTheWay) {
    ConsolePrintf(kMsgSideFileInTheWay, ReportPath(a, folder, kSideFileName));
  } else {
    ConsolePrintf(kMsgLogUnrewritable, ReportText(a, logPath));
  }
  Left(run);
  return false;
}

// Whether newName is there once the planned moves of lines after `line`
// are made (a dry run changes nothing, so it follows them itself): the
// latest of those moves that made or freed the name decides, else the disk.
bool ExistsAfterPlannedMoves(const FileLog& log, int line, const char16_t* folder,
                             const char16_t* newName) {
  char16_t otherNew[kRestoreNameUnits];
  char16_t otherOld[kRestoreNameUnits];
  for (int k = line + 1; k < log.count; ++k) {
    if (!log.moved[k] || !ParseLogLine(log.lines[k], otherNew, otherOld)) continue;
    if (WideEqualsIgnoreAsciiCase(otherOld, newName)) return true;
    if (WideEqualsIgnoreAsciiCase(otherNew, newName)) return false;
  }
  char16_t path[kRestorePathUnits];
  return WideJoinPath(path, kRestorePathUnits, folder, newName) && HostExists(path);
}

// True when a line undone since the log was last written had the new name
// `name`: the file still lists that line, and a rerun skips it only while
// nothing bears its new name.
bool NameOfUnwrittenUndo(const FileLog& log, const char16_t* name) {
  char16_t newName[kRestoreNameUnits];
  char16_t oldName[kRestoreNameUnits];
  for (int k = 0; k < log.count; ++k) {
    if (log.undone[k] && log.written[k] && ParseLogLine(log.lines[k], newName, oldName) &&
        WideEqualsIgnoreAsciiCase(newName, name)) {
      return true;
    }
  }
  return false;
}

bool HasUnwrittenUndo(const FileLog& log) {
  for (int k = 0; k < log.count; ++k) {
    if (log.undone[k] && log.written[k]) return true;
  }
  return false;
}

// Undoes line i: false when the folder must stop (its log cannot be
// rewritten).
bool UndoLine(RestoreRun& run, const char16_t* folder, const char16_t* logPath, FileLog& log,
              int i) {
  char16_t newName[kRestoreNameUnits];
  char16_t oldName[kRestoreNameUnits];
  ReportArg a, b;
  const LogLine& line = log.lines[i];
  // A blank line names no move, and neither does a last line without its
  // line end: cardprep writes a line whole before its move, so one cut short
  // belongs to a move that was never made. Both leave the log.
  if (line.length == 0 || !line.ended) {
    log.undone[i] = true;
    return true;
  }
  if (!ParseLogLine(line, newName, oldName)) {
    if (SaysLeft(run)) {
      char16_t shown[kLogLineUnits];  // the whole line: a unit 0 in it shows as '?'
      for (int k = 0; k <= line.length; ++k) shown[k] = line.text[k] == 0 ? u'?' : line.text[k];
      shown[line.length] = 0;
      ConsolePrintf(kMsgLineUnreadable, ReportText(a, logPath), ReportText(b, shown));
    }
    Left(run);
    return true;
  }
  char16_t newPath[kRestorePathUnits];
  char16_t oldPath[kRestorePathUnits];
  if (!WideJoinPath(newPath, kRestorePathUnits, folder, newName) ||
      !WideJoinPath(oldPath, kRestorePathUnits, folder, oldName)) {
    if (SaysLeft(run)) ConsolePrintf(kMsgPathTooLong, ReportPath(a, folder, newName));
    Left(run);
    return true;
  }
  if (run.dryRun) {
    if (ExistsAfterPlannedMoves(log, i, folder, newName)) {
      if (run.printPlan)
        ConsolePrintf(kMsgPlannedMove, ReportText(a, newPath), ReportText(b, oldName));
      log.moved[i] = true;
      ++run.files;
    }
    log.undone[i] = true;  // planned, or skipped
    return true;
  }
  // A line whose new name is gone was undone before (a restore stopped
  // before its log was rewritten), or its file went: skipped.
  if (!HostExists(newPath)) {
    log.undone[i] = true;
    return true;
  }
  // The old name must not come back as the new name of a line the log on
  // the card still holds (a later run may have renumbered the track): that
  // line would then be undone twice. The log is written first.
  if (NameOfUnwrittenUndo(log, oldName) &&
      !Rewritten(run, folder, logPath, RewriteFileLog(folder, log))) {
    return false;
  }
  unsigned long error = HostMoveBack(newPath, oldPath);
  if (error != 0) {
    ConsolePrintf(kMsgNotRestored, error, ReportText(a, newPath), ReportText(b, oldName),
                  HostErrorText(error));
    Left(run);
    return true;
  }
  log.undone[i] = true;
  log.moved[i] = true;
  ++run.files;
  return true;
}

}  // namespace

// Why a restore stopped at any moment and run again ends as one run would:
// the log on the card always holds every line not yet undone, because a
// line leaves it only by a rewrite after its move. It may also hold lines
// already undone, written or not, between a move and the next rewrite. Each
// of those is skipped when run again, since its new name is gone: its file
// was moved away from it, and no name is given back that equals the new
// name of such a line without the log being rewritten first
// (NameOfUnwrittenUndo). A move is one step of the filesystem, and the
// rewrite never leaves the card without the log (log_rewrite.h). An
// interrupt waits until the move at hand is made, and the log is rewritten
// before it ends the run.
void RestoreFileNames(RestoreRun& run, const char16_t* folder) {
  char16_t logPath[kRestorePathUnits];
  ReportArg a;
  if (!WideJoinPath(logPath, kRestorePathUnits, folder, u"RENFIL04.LOG")) {
    if (SaysLeft(run)) ConsolePrintf(kMsgPathTooLong, ReportPath(a, folder, u"RENFIL04.LOG"));
    Left(run);
    return;
  }
  if (!run.dryRun && !RecoverFileLog(folder)) {
    Rewritten(run, folder, logPath, Rewrite::kInTheWay);
    return;
  }
  FileLog& log = fileLog;
  LogRead read = ReadFileLog(logPath, log);
  if (read == LogRead::kMissing) return;
  if (read == LogRead::kUnusable) {
    // One that will not open (no permission) is not one too long to use.
    std::FILE* file = HostOpenW(logPath, "rb");
    bool opens = file != nullptr;
    if (opens) std::fclose(file);
    if (SaysLeft(run))
      ConsolePrintf(opens ? kMsgLogTooLong : kMsgLogUnopenable, ReportText(a, logPath));
    Left(run);
    return;
  }
  bool go = true;
  for (int i = log.count - 1; i >= 0 && go; --i) {
    if (!run.dryRun && HostInterruptPending()) break;
    go = UndoLine(run, folder, logPath, log, i);
  }
  if (run.dryRun) return;
  if (!go) {  // said so already; the log on the card holds every line not undone
    HostDeliverInterrupt();
    return;
  }
  bool allUndone = true;
  for (int i = 0; i < log.count; ++i) allUndone = allUndone && log.undone[i];
  if (allUndone || HasUnwrittenUndo(log)) {
    Rewritten(run, folder, logPath, RewriteFileLog(folder, log));
  }
  HostDeliverInterrupt();
}
