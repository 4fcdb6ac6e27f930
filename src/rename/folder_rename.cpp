#include "rename/folder_rename.h"

#include "driver/run_state.h"
#include "platform/host.h"
#include "rename/log_text.h"
#include "rename/messages.h"
#include "rename/rename_report.h"
#include "rename/short_name.h"
#include "text/wide.h"

namespace {

constexpr int kPathUnits = 256;  // paths of at most 255 units
constexpr int kFolderNameUnits = 9;
constexpr char16_t kFolderLogName[] = u"RENDIR04.LOG";
constexpr int kFolderLogUnits = sizeof kFolderLogName / sizeof kFolderLogName[0] - 1;

// RENDIR04.LOG (the old name) and the note file (the new name, under the old
// one) inside the moved folder. Without its log the folder goes back to its
// old name, which would otherwise be lost.
void WriteFolderLogs(RunState& state, const char16_t* oldPath, const char16_t* newPath,
                     const char16_t* oldName, const char16_t* newName) {
  char16_t logPath[kPathUnits];
  LogWriter log{nullptr, LogEncoding::kUtf16le, false, 0};
  bool written = WideJoinPath(logPath, kPathUnits, newPath, kFolderLogName) &&
                 CreateLog(logPath, log) && WriteLogLine(log, oldName);
  if (log.file != nullptr) written = CloseLog(log) && written;
  if (!written) {
    ReportArg a, b;
    ReportRenameFailure(state, kMsgFolderLogWriteFailed, ReportPath(a, newPath, kFolderLogName),
                        ReportText(b, oldPath));
    MoveBack(state, newPath, oldPath);
    return;
  }
  // The note is for people browsing the card; it never replaces a file the
  // folder already holds. One cut short (a full card) says nothing and goes.
  // An old name that spells a device ('aux') names no note: Windows could
  // not open it.
  char16_t notePath[kPathUnits];
  LogWriter note{nullptr, LogEncoding::kUtf16le, false, 0};
  if (!IsDeviceName(oldName) && WideJoinPath(notePath, kPathUnits, newPath, oldName) &&
      !HostExists(notePath) && CreateLog(notePath, note)) {
    bool noteWritten = WriteLogLine(note, newName);
    if (!CloseLog(note) || !noteWritten) HostRemoveFile(notePath);
  }
}

}  // namespace

void RenameFolder(RunState& state, const char16_t* folder, const char16_t* name,
                  int32_t& folderNumber) {
  if (IsAcceptableShortName(name)) return;
  bool nonAscii = HasNonAsciiChar(name);
  ReportArg a;
  char16_t oldPath[kPathUnits];
  if (!WideJoinPath(oldPath, kPathUnits, folder, name)) {
    ReportRenameFailure(state, kMsgPathTooLong, ReportPath(a, folder, name));
    return;
  }
  if ((state.playerModel == 4 || state.playerModel == 6) && nonAscii) {
    ReportRenameFailure(state, kMsgFolderMultibyte, ReportText(a, oldPath));
    return;
  }
  char16_t candidate[kFolderNameUnits];
  bool numeric = MakeFolderShortName(name, folderNumber, candidate);
  // The moved folder must still hold its RENDIR04.LOG.
  if (WideLength(folder) + 1 + WideLength(candidate) + 1 + kFolderLogUnits >= kPathUnits) {
    ReportRenameFailure(state, kMsgPathTooLong, ReportText(a, oldPath));
    return;
  }
  char16_t newPath[kPathUnits];
  unsigned long error = HostErrorAlreadyExists();
  if (FindFreeFolderName(folder, candidate, numeric, folderNumber, HostExists, newPath,
                         kPathUnits - 1 - kFolderLogUnits)) {
    error = HostMove(oldPath, newPath);
  }
  if (error != 0) {
    ReportRenameFailure(state, kMsgFolderRenameFailed, error, ReportText(a, oldPath));
    return;
  }
  WriteFolderLogs(state, oldPath, newPath, name, candidate);
}
