#include "driver/run_driver.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "base/console.h"
#include "display/character_images.h"
#include "display/menu_data.h"
#include "display/message_images.h"
#include "driver/messages.h"
#include "driver/state_files.h"
#include "font/font_set.h"
#include "index/index_file.h"
#include "model/model_profile.h"
#include "platform/host.h"
#include "rename/rename_pass.h"
#include "rename/rename_report.h"
#include "scan/directory_list.h"
#include "scan/directory_scan.h"
#include "scan/random_order.h"
#include "state/run_state.h"

namespace {

constexpr int kDirUnits = 260;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The digit at p and its length in bytes, or -1: '0'..'9', or a full-width
// digit as a Japanese input method types it, in code page 932 (a Windows
// console) or UTF-8 (a POSIX terminal).
int DigitAt(const char* p, int* bytes) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  *bytes = 1;
  if (u[0] >= '0' && u[0] <= '9') return u[0] - '0';
  *bytes = 2;
  if (u[0] == 0x82 && u[1] >= 0x4F && u[1] <= 0x58) return u[1] - 0x4F;
  *bytes = 3;
  if (u[0] == 0xEF && u[1] == 0xBC && u[2] >= 0x90 && u[2] <= 0x99) return u[2] - 0x90;
  return -1;
}

// Asks for the player model until the answer picks a model's profile (9
// is 8).
// Another answer gets the line naming the answers before the prompt
// repeats. Returns false at end of input.
bool AskPlayerModel(RunState& state) {
  char line[kAnswerBytes];
  for (;;) {
    HostPrint(kMsgModelPrompt);
    if (!ConsoleReadAnswer(line)) return false;
    const ModelProfile* profile = FindModelProfile(ParseLeadingNumber(line));
    if (profile != nullptr) {
      state.playerModel = profile->number;
      return true;
    }
    HostPrint(kMsgModelHint);
  }
}

// A wrong title rule is asked again by the hint alone (the prompt is not
// repeated); a line without a number is rule 0. Returns false at end of
// input.
bool AskTitleRule(RunState& state) {
  char line[kAnswerBytes];
  HostPrint(kMsgTitleRulePrompt);
  for (;;) {
    if (!ConsoleReadAnswer(line)) return false;
    int rule = ParseLeadingNumber(line);
    if (rule == 0 || rule == 1) {
      state.titleRule = rule;
      return true;
    }
    HostPrint(kMsgTitleRuleHint);
  }
}

// The last lines of a rename pass that could not rename everything: what it
// did, then for each cause what helps. Renaming by hand is advised only for
// names the pass could not take or give.
void SayWhyRenamingStopped(const RunState& state) {
  ConsolePrintf(kMsgRenameStopped, state.renamedCount, state.renamedCount);
  const int causes = state.renameCauses;
  if (causes & kCauseTooMany) HostPrint(kMsgCauseTooMany);
  if (causes & kCauseCardFull) HostPrint(kMsgCauseCardFull);
  if (causes & kCauseNumberTaken) HostPrint(kMsgCauseNumberTaken);
  if (causes & kCauseUnreadable) HostPrint(kMsgCauseUnreadable);
  if (causes & kCauseByHand) {
    HostPrint(kMsgRenameByHand);
    if (ModelProfileOf(state.playerModel).asciiFolderNames) HostPrint(kMsgOldModels);
    HostPrint(kMsgRunAgain);
  }
}

// The summary of a finished run. Status 1 when a folder, or MP3 files of a
// folder, were left out of the catalogue or a card file could not be
// written (each had its line); an empty catalogue is said, with where the
// card's root is.
int SayHowTheRunEnded(const RunState& state, const char* currentDir) {
  int folders = state.directoryCount > 0 ? state.directoryCount - 1 : 0;
  int tracks = 0;
  for (int i = 1; i < state.directoryCount && i < kMaxDirectories; ++i) {
    tracks += state.directories[i].trackCount;
  }
  const int renamed = state.renamedCount;
  if (state.foldersLeftOut > 0) {
    const int left = state.foldersLeftOut;
    ConsolePrintf(kMsgFinishedLeftOut, left, folders, tracks, renamed, left, folders, tracks,
                  renamed);
  } else if (tracks == 0) {
    ConsolePrintf(kMsgEmptyCatalogue, currentDir, currentDir);
  } else {
    ConsolePrintf(kMsgFinished, folders, tracks, renamed, folders, tracks, renamed);
  }
  // A later run with room completes the card.
  if (state.writeFailed) HostPrint(kMsgNotAllWritten);
  // MP3 files past a track list's 255 are left out: the folder must be split.
  if (state.tracksLeftOut > 0) HostPrint(kMsgCauseTooMany);
  return state.writeFailed || state.foldersLeftOut > 0 || state.tracksLeftOut > 0 ? 1 : 0;
}

void CloseWorkLog(RunState& state) {
  if (state.workLog != nullptr) std::fclose(state.workLog);
  state.workLog = nullptr;
}

// Renames, scans and writes the catalogue once the answers are in.
int PrepareCard(RunState& state, const char* currentDir, const char16_t* currentDirW) {
  // Nothing is renamed on a card whose root cannot take the work log.
  state.workLog = HostOpen(kWorkLogFile, "wb");
  if (state.workLog == nullptr) {
    ConsolePrintf(kMsgNoWorkLog, currentDir);
    return 1;
  }

  // An interrupt during the pass ends the run between moves, never between
  // a move and its log line.
  state.renameFailed = false;
  state.renameCauses = 0;
  state.renamedCount = 0;
  HostDeferInterrupts(true);
  RenameToShortNames(state, currentDirW);
  HostDeferInterrupts(false);
  if (state.renameFailed) {
    SayWhyRenamingStopped(state);
    CloseWorkLog(state);
    return 1;
  }

  // Without the folder listing, or a folder's file listing, the catalogue
  // would come out emptier and replace the one the card has: the card
  // files are left as they are.
  state.writeFailed = false;
  if (!ReadDirectoryStructure(state)) {
    HostPrint(state.listingFailed ? kMsgNoFileListing : kMsgNoFolderListing);
    CloseWorkLog(state);
    return 1;
  }
  // The stages the model's profile names; each writes what its row holds.
  const ModelProfile& profile = ModelProfileOf(state.playerModel);
  MakeRandomOrder(state);
  WriteDirectoryList(state);
  if (profile.indexFile != nullptr) BuildIndexFile(state);
  WriteDecoderPluginFile(state);
  WriteHistoryFile(state);
  if (profile.messageImageFile != nullptr) WriteMessageImages(state);
  WriteErrorLogFiles(state);
  CloseWorkLog(state);
  if (profile.menuFile != nullptr) WriteMenuData(state);
  if (profile.characterImageFile != nullptr) WriteCharacterImages(state);
  return SayHowTheRunEnded(state, currentDir);
}

}  // namespace

int ParseLeadingNumber(const char* line) {
  const char* p = line;
  while (IsBlank(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  long long value = 0;
  for (int digit, bytes; (digit = DigitAt(p, &bytes)) >= 0; p += bytes) {
    if (value <= INT_MAX) value = value * 10 + digit;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

namespace {

// Makes the run's work folder, prepares the card and removes the folder.
int PrepareInWorkDirectory(RunState& state, const char* currentDir, const char16_t* currentDirW) {
  if (!HostGetTempDirectory(state.tempDir, sizeof state.tempDir)) {
    HostPrint(kMsgNoTempDir);
    return 1;
  }
  ConsolePrintf(kMsgTempDir, state.tempDir);
  // The work files go to a folder of the run's own: two runs at once (two
  // cards) never read each other's listings.
  if (!HostMakeWorkDirectory(state.tempDir, state.workDir, sizeof state.workDir)) {
    HostPrint(kMsgNoTempDir);
    return 1;
  }
  int status = PrepareCard(state, currentDir, currentDirW);
  HostRemoveWorkDirectory();
  return status;
}

// The end of a run stopped at a prompt, before anything changed.
int Stopped() {
  HostPrint(kMsgStopped);
  return 0;
}

// Ends the run with the line naming the card when another run holds it.
bool LockCard(const char* currentDir) {
  const HostLock lock = HostLockCard();
  if (lock == HostLock::kHeld) return true;
  // A root that takes no lock file takes no work log either.
  if (lock == HostLock::kInUse) {
    ConsolePrintf(kMsgCardInUse, currentDir);
  } else {
    ConsolePrintf(kMsgNoWorkLog, currentDir);
  }
  return false;
}

int RunDialogueAndPrepare(RunState& state, bool anyFolder) {
  char currentDir[kDirUnits];
  char16_t currentDirW[kDirUnits];
  if (!HostGetCurrentDirectory(currentDir, kDirUnits) ||
      !HostGetCurrentDirectoryW(currentDirW, kDirUnits)) {
    HostPrint(kMsgNoCurrentDir);
    return 1;
  }
  HostPrint(kMsgTitle);
  ConsolePrintf(kMsgCheckDir, currentDir);
  // A run in a user's folder (the console opened in the home folder) would
  // rename everything below it.
  if (!anyFolder && !HostInCardRoot()) {
    HostPrint(kMsgNotCardRoot);
    return 1;
  }
  HostPrint(kMsgConfirm);

  // Stopped at a prompt (any answer but "go" at the first, end of input at
  // any): nothing has changed yet, and the run says so.
  char line[kAnswerBytes];
  if (!ConsoleReadAnswer(line) || std::strncmp(line, "go", 2) != 0) return Stopped();

  if (!AskPlayerModel(state)) return Stopped();
  if (ModelProfileOf(state.playerModel).needsFonts) {
    if (!LoadFonts(state)) {
      HostPrint(kMsgFontError);
      return 1;
    }
    if (!AskTitleRule(state)) return Stopped();
  }

  // One run per card, from before anything is written until the end.
  if (!LockCard(currentDir)) return 1;
  const int status = PrepareInWorkDirectory(state, currentDir, currentDirW);
  HostUnlockCard();
  return status;
}

}  // namespace

int RunCardPrep(RunState& state, bool anyFolder) {
  // Asked before the dialogue: whether the window is ours does not change,
  // and the answer must not depend on how the run ends.
  const bool ownConsole = HostConsoleIsOwn();
  const int status = RunDialogueAndPrepare(state, anyFolder);
  if (ownConsole) {
    HostPrint(kMsgPressEnter);
    char line[kAnswerBytes];
    ConsoleReadAnswer(line);
  }
  return status;
}
