#include "driver/command_line.h"

#include <cstdio>
#include <cstring>

#include "driver/messages.h"
#include "platform/host.h"

namespace {

constexpr char kUsage[] = "usage: cardprep [--here] [FOLDER] | --help | --version\n";

constexpr char kHelpEnglish[] =
    "Prepares the memory card of an MP3 player (models 4, 6, 8, 10 and 12).\n"
    "Run it in the root of the card: it shows the folder it works on and asks\n"
    "three questions (\"go\" to go on, the player model, and for models 8, 10\n"
    "and 12 the title rule), then gives every folder and MP3 file an 8.3 name\n"
    "and writes the player's catalogue files. Models 8, 10 and 12 need the\n"
    "seven font files in the card's _FONT folder. Outside the root of a drive\n"
    "or volume (and in the system's own drive) it stops unless given --here.\n"
    "Given one folder (a folder dropped onto cardprep.exe), it takes that\n"
    "folder as the card's root, with the same questions and the same check.\n"
    "Exit status: 0 when the run finished with nothing left out of the\n"
    "catalogue or was stopped at a question, 1 when it ended on a failure or\n"
    "left something out, 2 for an unknown argument.\n"
    "\n"
    "  --here          prepare this folder although it is not the root of a drive\n"
    "  FOLDER          prepare this folder as the card's root\n"
    "  --help, -h, /?  show this text\n"
    "  --version       show the version\n";

bool IsHelp(const char* arg) {
  return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0 ||
         std::strcmp(arg, "/?") == 0;
}

bool IsOption(const char* arg) { return arg[0] == '-' || std::strcmp(arg, "/?") == 0; }

int Unknown(const char* arg) {
  std::fprintf(stderr, "cardprep: unknown argument: %s (see cardprep --help)\n", arg);
  return 2;
}

}  // namespace

int HandleCommandLine(int argc, char** argv, bool* anyFolder) {
  *anyFolder = false;
  if (argc < 2) return -1;
  const char* arg = argv[1];
  if (argc == 2 && IsHelp(arg)) {
    // Japanese then English, through the console like every other message.
    HostPrint(kUsage);
    HostPrint(kHelpJapanese);
    HostPrint(kHelpRootRule);
    HostPrint(kHelpJapaneseRest);
    HostPrint(kHelpEnglish);
    return 0;
  }
  if (argc == 2 && std::strcmp(arg, "--version") == 0) {
    std::fputs("cardprep " CARDPREP_VERSION "\n", stdout);
    return 0;
  }
  // "--help --version" names the second: each is an answer on its own.
  if (IsHelp(arg) || std::strcmp(arg, "--version") == 0) return Unknown(argv[2]);
  int next = 1;
  if (std::strcmp(arg, "--here") == 0) {
    *anyFolder = true;
    next = 2;
  }
  if (next == argc) return -1;
  // One folder, as a folder dropped onto the program gives it: the card's
  // root, shown and checked by the dialogue as the current directory is.
  if (next + 1 == argc && !IsOption(argv[next]) && HostEnterArgumentFolder(next, argv[next])) {
    return -1;
  }
  return Unknown(argv[next]);
}
