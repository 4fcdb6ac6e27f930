// Giving a folder its old name back (declared in restore_moves.h).
#include <cstdio>
#include <cstring>

#include "base/console.h"
#include "platform/host.h"
#include "rename/folder_rename.h"
#include "rename/rename_report.h"
#include "restore/messages.h"
#include "restore/restore_moves.h"
#include "restore/restore_plan.h"
#include "text/wide.h"

namespace {

// True when the file at notePath holds exactly what the rename pass writes
// into a folder it renamed, under the folder's old name: the byte-order
// mark, the folder's new name in UTF-16LE, CR LF. The name is compared in
// any case: a system that shows 8.3 names in small letters (or a user) may
// have changed the folder's since. A file of the user's with that name
// holds anything else and stays.
bool IsCardprepNote(const char16_t* notePath, const char16_t* newName) {
  std::FILE* file = HostOpenW(notePath, "rb");
  if (file == nullptr) return false;
  unsigned char held[2 + 2 * kRestoreNameUnits + 4 + 1];
  const int got = static_cast<int>(std::fread(held, 1, sizeof held, file));
  std::fclose(file);
  const int units = (got - 6) / 2;
  if (got < 8 || got % 2 != 0 || got == static_cast<int>(sizeof held) || held[0] != 0xFF ||
      held[1] != 0xFE || std::memcmp(held + got - 4, "\r\0\n\0", 4) != 0) {
    return false;
  }
  char16_t name[kRestoreNameUnits + 1];
  for (int i = 0; i < units; ++i) {
    name[i] = static_cast<char16_t>(held[2 + 2 * i] | (held[3 + 2 * i] << 8));
  }
  name[units] = 0;
  return WideLength(name) == units && WideEqualsIgnoreAsciiCase(name, newName);
}

// Splits folderPath at its last separator: the parent into parent, the
// position of the name. -1 when there is none.
int NameStart(const char16_t* folderPath) {
  int last = -1;
  for (int i = 0; folderPath[i] != 0; ++i) {
    if (folderPath[i] == u'\\') last = i;
  }
  return last < 0 ? -1 : last + 1;
}

// The names the rename pass gives folders: letters and digits, at most 8.
bool IsGivenFolderName(const char16_t* name) {
  int n = 0;
  for (; name[n] != 0; ++n) {
    char16_t c = name[n];
    bool alnum = (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    if (!alnum || n == 8) return false;
  }
  return n > 0;
}

void RemoveOrSay(RestoreRun& run, const char16_t* path) {
  unsigned long error = HostRemoveFile(path);
  if (error == 0) return;
  ReportArg a;
  ConsolePrintf(kMsgCannotRemove, error, ReportText(a, path), HostErrorText(error));
  ++run.left;
}

}  // namespace

bool IsRenamedFolder(const char16_t* folderPath, const char16_t* name) {
  char16_t logPath[kRestorePathUnits];
  if (!WideJoinPath(logPath, kRestorePathUnits, folderPath, u"RENDIR04.LOG") ||
      !HostExists(logPath)) {
    return false;
  }
  if (IsGivenFolderName(name)) return true;
  char16_t oldName[kRestoreNameUnits];
  return ReadFolderLog(logPath, oldName) && WideCompareOrdinal(oldName, name) == 0;
}

void RestoreFolderName(RestoreRun& run, const char16_t* folderPath) {
  ReportArg a, b;
  char16_t logPath[kRestorePathUnits];
  char16_t oldName[kRestoreNameUnits];
  int nameAt = NameStart(folderPath);
  if (nameAt < 0 || !WideJoinPath(logPath, kRestorePathUnits, folderPath, u"RENDIR04.LOG")) {
    if (SaysLeft(run)) ConsolePrintf(kMsgPathTooLong, ReportText(a, folderPath));
    ++run.left;
    return;
  }
  if (!ReadFolderLog(logPath, oldName)) {
    if (SaysLeft(run)) ConsolePrintf(kMsgLineUnreadable, ReportText(a, logPath), "");
    ++run.left;
    return;
  }
  const char16_t* name = folderPath + nameAt;
  // Given back already, and stopped before its log went; or never moved, by
  // a cardprep run ended after it wrote the folder's log and note: both go.
  if (WideCompareOrdinal(oldName, name) == 0) {
    if (run.dryRun) return;
    char16_t leftNote[kRestorePathUnits];
    if (WideJoinPath(leftNote, kRestorePathUnits, folderPath, name) && IsFolderNote(leftNote)) {
      RemoveOrSay(run, leftNote);
    }
    RemoveOrSay(run, logPath);
    return;
  }
  char16_t parent[kRestorePathUnits];
  WideCopy(parent, kRestorePathUnits, folderPath);
  parent[nameAt - 1] = 0;
  char16_t oldPath[kRestorePathUnits];
  char16_t notePath[kRestorePathUnits];
  if (!WideJoinPath(oldPath, kRestorePathUnits, parent, oldName) ||
      !WideJoinPath(notePath, kRestorePathUnits, folderPath, oldName)) {
    if (SaysLeft(run)) ConsolePrintf(kMsgPathTooLong, ReportText(a, folderPath));
    ++run.left;
    return;
  }
  if (run.dryRun) {
    if (run.printPlan)
      ConsolePrintf(kMsgPlannedMove, ReportText(a, folderPath), ReportText(b, oldName));
    ++run.folders;
    return;
  }
  // The note first: stopped after it, the folder still has its log.
  if (IsCardprepNote(notePath, name)) RemoveOrSay(run, notePath);
  unsigned long error = HostMoveBack(folderPath, oldPath);
  if (error != 0) {
    ConsolePrintf(kMsgNotRestored, error, ReportText(a, folderPath), ReportText(b, oldName),
                  HostErrorText(error));
    ++run.left;
    return;
  }
  ++run.folders;
  // Stopped before this, a rerun finds the folder under the name its log
  // holds and only removes the log.
  char16_t movedLog[kRestorePathUnits];
  if (WideJoinPath(movedLog, kRestorePathUnits, oldPath, u"RENDIR04.LOG"))
    RemoveOrSay(run, movedLog);
}
