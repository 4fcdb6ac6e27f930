#include "rename/folder_rename.h"

#include <cstdio>
#include <cstring>

#include "model/model_profile.h"
#include "platform/host.h"
#include "rename/log_text.h"
#include "rename/messages.h"
#include "rename/rename_report.h"
#include "rename/short_name.h"
#include "state/run_state.h"
#include "text/wide.h"

namespace {

constexpr int kInsideUnits = 2 * kRenamePathUnits;  // a file inside a folder of such a path
constexpr int kFolderNameUnits = 9;
constexpr char16_t kFolderLogName[] = u"RENDIR04.LOG";
constexpr int kFolderLogUnits = sizeof kFolderLogName / sizeof kFolderLogName[0] - 1;

// The files a folder gets before its move, and what its RENDIR04.LOG held
// before (a folder renamed by hand after an earlier run has one), so that a
// move that fails leaves the folder as it was. One serves every folder.
struct FolderLogs {
  char16_t logPath[kInsideUnits];
  char16_t notePath[kInsideUnits];
  bool noteMade;
  unsigned char earlier[4096];
  int earlierBytes;  // -1: there was none; more than earlier holds: not kept
};
FolderLogs folderLogs;

// Reads what the folder's RENDIR04.LOG holds now into logs.earlier.
void KeepEarlierLog(FolderLogs& logs) {
  logs.earlierBytes = -1;
  std::FILE* file = HostOpenW(logs.logPath, "rb");
  if (file == nullptr) return;
  size_t got = std::fread(logs.earlier, 1, sizeof logs.earlier, file);
  logs.earlierBytes = static_cast<int>(got);
  if (got == sizeof logs.earlier && std::fgetc(file) != EOF) ++logs.earlierBytes;
  std::fclose(file);
}

// Takes the files back: the note goes, and RENDIR04.LOG holds again what it
// held, or goes. One that cannot be put back names the folder's own name,
// which no reader takes for a rename.
void TakeBackFolderLogs(const FolderLogs& logs) {
  if (logs.noteMade) {
    HostRemoveFile(logs.notePath);
  }
  if (logs.earlierBytes < 0) {
    HostRemoveFile(logs.logPath);
  } else if (logs.earlierBytes <= static_cast<int>(sizeof logs.earlier)) {
    std::FILE* file = HostOpenW(logs.logPath, "wb");
    if (file == nullptr) return;
    std::fwrite(logs.earlier, 1, static_cast<size_t>(logs.earlierBytes), file);
    std::fclose(file);
    HostStepPoint();
  }
}

// Writes RENDIR04.LOG (the old name) and the note file (the new name, under
// the old one) inside the folder before it moves. False, with the folder as
// it was, when the log cannot be written.
bool WriteFolderLogs(RunState& state, const char16_t* oldPath, const char16_t* oldName,
                     const char16_t* newName, FolderLogs& logs) {
  ReportArg a, b;
  logs.noteMade = false;
  if (!WideJoinPath(logs.logPath, kInsideUnits, oldPath, kFolderLogName) ||
      !WideJoinPath(logs.notePath, kInsideUnits, oldPath, oldName)) {
    ReportRenameFailure(state, kMsgPathTooLong, ReportText(a, oldPath));
    return false;
  }
  KeepEarlierLog(logs);
  LogWriter log{nullptr, LogEncoding::kUtf16le, false, 0, 0};
  bool made = CreateLog(logs.logPath, log);
  bool written = made && WriteLogLine(log, oldName);
  if (made) written = CloseLog(log) && written;
  if (!written) {
    ReportRenameFailure(state, kMsgFolderLogWriteFailed, ReportText(a, logs.logPath),
                        ReportText(b, oldPath));
    if (made) TakeBackFolderLogs(logs);
    return false;
  }
  // The note is for people browsing the card; it never replaces a file the
  // folder already holds, but for one a run ended before this folder's move
  // left. One cut short (a full card) says nothing and goes. An old name that
  // spells a device ('aux') names no note: Windows could not open it.
  LogWriter note{nullptr, LogEncoding::kUtf16le, false, 0, 0};
  if (!IsDeviceName(oldName) && (!HostExists(logs.notePath) || IsFolderNote(logs.notePath)) &&
      CreateLog(logs.notePath, note)) {
    bool noteWritten = WriteLogLine(note, newName);
    logs.noteMade = CloseLog(note) && noteWritten;
    if (!logs.noteMade) HostRemoveFile(logs.notePath);
  }
  return true;
}

}  // namespace

bool IsFolderNote(const char16_t* path) {
  unsigned char bytes[2 + 2 * (kFolderNameUnits - 1) + 4 + 1];
  std::FILE* file = HostOpenW(path, "rb");
  if (file == nullptr) return false;
  int n = static_cast<int>(std::fread(bytes, 1, sizeof bytes, file));
  std::fclose(file);
  // The bytes the note would hold with the name found in them, compared as
  // far as the file goes.
  unsigned char whole[sizeof bytes];
  int units = 0;
  while (units < kFolderNameUnits - 1 && 3 + 2 * units < n && bytes[3 + 2 * units] == 0) {
    unsigned char c = bytes[2 + 2 * units];
    bool alnum = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (!alnum) break;
    ++units;
  }
  int size = 0;
  whole[size++] = 0xFF;
  whole[size++] = 0xFE;
  for (int i = 0; i < units; ++i) {
    whole[size++] = bytes[2 + 2 * i];
    whole[size++] = 0;
  }
  const unsigned char end[4] = {0x0D, 0x00, 0x0A, 0x00};
  for (unsigned char c : end) whole[size++] = c;
  return n <= size && std::memcmp(bytes, whole, static_cast<size_t>(n)) == 0;
}

void RenameFolder(RunState& state, const char16_t* folder, const char16_t* name,
                  int32_t& folderNumber) {
  if (IsAcceptableShortName(name)) return;
  bool nonAscii = HasNonAsciiChar(name);
  ReportArg a;
  char16_t oldPath[kRenamePathUnits];
  if (!WideJoinPath(oldPath, kRenamePathUnits, folder, name)) {
    ReportRenameFailure(state, kMsgPathTooLong, ReportPath(a, folder, name));
    return;
  }
  if (ModelProfileOf(state.playerModel).asciiFolderNames && nonAscii) {
    ReportRenameFailure(state, kMsgFolderMultibyte, ReportText(a, oldPath));
    return;
  }
  char16_t candidate[kFolderNameUnits];
  bool numeric = MakeFolderShortName(name, folderNumber, candidate);
  // The moved folder must still hold its RENDIR04.LOG.
  if (WideLength(folder) + 1 + WideLength(candidate) + 1 + kFolderLogUnits >= kRenamePathUnits) {
    ReportRenameFailure(state, kMsgPathTooLong, ReportText(a, oldPath));
    return;
  }
  char16_t newPath[kRenamePathUnits];
  if (!FindFreeFolderName(folder, candidate, numeric, folderNumber, HostExists, newPath,
                          kRenamePathUnits - 1 - kFolderLogUnits)) {
    ReportRenameFailure(state, kMsgFolderRenameFailed, HostErrorAlreadyExists(),
                        ReportText(a, oldPath));
    return;
  }
  // Write-ahead: the folder holds the log of its old name before it moves,
  // so that a run ended at any moment loses no name; a move that fails
  // takes the log back.
  FolderLogs& logs = folderLogs;
  if (!WriteFolderLogs(state, oldPath, name, candidate, logs)) return;
  unsigned long error = HostMove(oldPath, newPath);
  if (error != 0) {
    TakeBackFolderLogs(logs);
    ReportRenameFailure(state, kMsgFolderRenameFailed, error, ReportText(a, oldPath));
  } else {
    ++state.renamedCount;
  }
}
