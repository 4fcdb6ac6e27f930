// cardprep-restore: gives a card that cardprep prepared its old names back,
// from the rename logs cardprep left on it. Run it in the card's root (or
// anywhere with --here):
//
//   cardprep-restore [--dry-run] [--remove-catalogue] [--here]
//   cardprep-restore --help | --version
//
// It shows the root and how many folders and files it would give their old
// names, and goes on after "go". Exit status 0 when every name was given
// back (or it stopped at the question), 1 when something was left, 2 for
// an unknown argument.
#include <cstdio>
#include <cstring>

#include "base/console.h"
#include "platform/host.h"
#include "restore/messages.h"
#include "restore/restore_walk.h"

namespace {

constexpr char kUsage[] =
    "usage: cardprep-restore [--dry-run] [--remove-catalogue] [--here]\n"
    "       cardprep-restore --help | --version\n";
constexpr char kHelp[] =
    "Gives a card that cardprep prepared its old names back. Run it in the root\n"
    "of the card: it shows the folder it works on and how many folders and files\n"
    "it would give their old names, and goes on after \"go\". Each folder's\n"
    "RENFIL04.LOG is undone newest line first, then each renamed folder gets the\n"
    "name its RENDIR04.LOG holds, deepest first. Nothing is ever replaced: a name\n"
    "that cannot be given back is reported and its log line kept, so it can be\n"
    "run again. A log whose lines were all undone is removed. Outside the root\n"
    "of a drive or volume (and in the system's own drive) it stops unless\n"
    "given --here.\n"
    "\n"
    "  --dry-run           print every planned move and change nothing\n"
    "  --remove-catalogue  also remove the files cardprep made (catalogue,\n"
    "                      index, images, volume and state files, CARDPREP.LOG)\n"
    "  --here              work in this folder although it is not the root of\n"
    "                      a drive\n"
    "  --help, -h, /?      show this text\n"
    "  --version           show the version\n"
    "Exit status: 0 when every name was given back or it stopped at the\n"
    "question, 1 when something was left, 2 for an unknown argument.\n";

int Unknown(const char* arg) {
  std::fprintf(stderr, "cardprep-restore: unknown argument: %s (see cardprep-restore --help)\n",
               arg);
  return 2;
}

// Returns -1 to go on, else the exit status. --help and --version are
// answers on their own, with nothing beside them.
int ParseArguments(int argc, char** argv, RestoreRun& run, bool* anyFolder) {
  const char* alone = nullptr;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--dry-run") == 0) {
      run.dryRun = true;
    } else if (std::strcmp(arg, "--remove-catalogue") == 0) {
      run.removeCatalogue = true;
    } else if (std::strcmp(arg, "--here") == 0) {
      *anyFolder = true;
    } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0 ||
               std::strcmp(arg, "/?") == 0 || std::strcmp(arg, "--version") == 0) {
      if (alone == nullptr) alone = arg;
    } else {
      return Unknown(arg);
    }
  }
  if (alone == nullptr) return -1;
  if (argc > 2) return Unknown(alone);
  if (std::strcmp(alone, "--version") == 0) {
    std::fputs("cardprep-restore " CARDPREP_VERSION "\n", stdout);
    return 0;
  }
  // Japanese first, as the other messages, through the console.
  HostPrint(kUsage);
  HostPrint(kHelpJapanese);
  HostPrint(kHelpRootRule);
  HostPrint(kHelpJapaneseRest);
  HostPrint(kHelp);
  return 0;
}

int Restore(RestoreRun& options, bool anyFolder) {
  char shown[260];
  char16_t root[260];
  if (!HostGetCurrentDirectory(shown, sizeof shown) || !HostGetCurrentDirectoryW(root, 260)) {
    HostPrint(kMsgNoCurrentDir);
    return 1;
  }
  // A drive root "E:\" is "E:" (and the POSIX card root "\" is ""), so that
  // paths are "E:\RENFIL04.LOG" and so on.
  int n = 0;
  while (root[n] != 0) ++n;
  if (n > 0 && root[n - 1] == u'\\') root[n - 1] = 0;

  HostPrint(kMsgTitle);
  ConsolePrintf(kMsgCheckDir, shown);
  if (!anyFolder && !HostInCardRoot()) {
    HostPrint(kMsgNotCardRoot);
    return 1;
  }
  // The plan first: what a run would do, each move printed on a dry run.
  RestoreRun plan = options;
  plan.dryRun = true;
  plan.printPlan = options.dryRun;
  RestoreCard(plan, root);
  ConsolePrintf(kMsgCounts, plan.folders, plan.files);
  if (options.removeCatalogue) ConsolePrintf(kMsgCatalogueCount, plan.removed);
  if (options.dryRun) {
    HostPrint(kMsgDryRunDone);
    return plan.left > 0 ? 1 : 0;
  }

  HostPrint(kMsgConfirm);
  char line[kAnswerBytes];
  if (!ConsoleReadAnswer(line) || std::strncmp(line, "go", 2) != 0) {
    HostPrint(kMsgStopped);
    return 0;
  }

  // One run per card while names change; the plan and a dry run only read.
  // A root that takes no lock file is left to the moves to report.
  if (HostLockCard() == HostLock::kInUse) {
    ConsolePrintf(kMsgCardInUse, shown);
    return 1;
  }
  RestoreRun run = options;
  // An interrupt waits for the move at hand and the log it changes.
  HostDeferInterrupts(true);
  RestoreCard(run, root);
  HostDeferInterrupts(false);
  HostUnlockCard();
  ConsolePrintf(kMsgDone, run.folders, run.files);
  if (run.removeCatalogue) ConsolePrintf(kMsgRemovedCount, run.removed, run.removed);
  if (run.left > 0) {
    HostPrint(kMsgSomeLeft);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  RestoreRun options{};
  bool anyFolder = false;
  int status = ParseArguments(argc, argv, options, &anyFolder);
  if (status >= 0) return status;
  // Asked first: whether the window is ours does not change.
  const bool ownConsole = HostConsoleIsOwn();
  status = Restore(options, anyFolder);
  if (ownConsole) {
    HostPrint(kMsgPressEnter);
    char line[kAnswerBytes];
    ConsoleReadAnswer(line);
  }
  return status;
}
