#include "driver/command_line.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char kHelp[] =
    "usage: cardprep [--here | --help | --version]\n"
    "Prepares the memory card of an MP3 player (models 4, 6, 8, 10 and 12).\n"
    "Run it in the root of the card: it shows the folder it works on and asks\n"
    "three questions (\"go\" to go on, the player model, and for models 8, 10\n"
    "and 12 the title rule), then gives every folder and MP3 file an 8.3 name\n"
    "and writes the player's catalogue files. Models 8, 10 and 12 need the\n"
    "seven font files in the card's _FONT folder. Outside the root of a drive\n"
    "or volume (and in the system's own drive) it stops unless given --here.\n"
    "Exit status: 0 when the run finished or was stopped at a question,\n"
    "1 when it ended on a failure, 2 for an unknown argument.\n"
    "\n"
    "  --here     prepare this folder although it is not the root of a drive\n"
    "  --help     show this text\n"
    "  --version  show the version\n";

}  // namespace

int HandleCommandLine(int argc, char** argv, bool* anyFolder) {
  *anyFolder = false;
  if (argc < 2) return -1;
  const char* arg = argv[1];
  if (argc == 2 && std::strcmp(arg, "--here") == 0) {
    *anyFolder = true;
    return -1;
  }
  if (argc == 2 && (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0)) {
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(arg, "--version") == 0) {
    std::fputs("cardprep " CARDPREP_VERSION "\n", stdout);
    return 0;
  }
  // "--help --version" names the second: each is an answer on its own.
  if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0 ||
      std::strcmp(arg, "--version") == 0) {
    arg = argv[2];
  }
  std::fprintf(stderr, "cardprep: unknown argument: %s (see cardprep --help)\n", arg);
  return 2;
}
