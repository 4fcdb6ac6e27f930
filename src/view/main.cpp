// cardprep-view: shows what a prepared card holds. Run it in the card's
// root, or give the root as argument:
//
//   cardprep-view [--model 4|6|8|9|10|12] [--png DIR] [CARD]
//   cardprep-view --help | --version
//
// It prints the folder tree with titles and track counts, each folder's
// tracks, the random play chain and the index, and with --png writes
// pictures of the display images into DIR. It only reads the card. Exit
// status 0 when every file held together, 1 when something did not (each
// such thing is one "error:" line) or the card could not be read.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "base/console.h"
#include "platform/host.h"
#include "view/card_pictures.h"
#include "view/card_reader.h"
#include "view/catalogue_print.h"

namespace {

constexpr char kUsage[] =
    "usage: cardprep-view [--model 4|6|8|9|10|12] [--png DIR] [CARD]\n"
    "       cardprep-view --help | --version\n";
constexpr char kHelp[] =
    "Shows what a prepared card holds: the folder tree with titles and track\n"
    "counts, each folder's tracks, the random play chain and the index. CARD is\n"
    "the card's root (default: the current directory); it is only read.\n"
    "\n"
    "  --model N  read the files of model N when the card holds several\n"
    "  --png DIR  also write pictures of the display images into DIR\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "Exit status: 0 when every file held together, 1 when something did not\n"
    "or the card could not be read, 2 for wrong arguments.\n";

struct Options {
  int model = 0;  // 0: from the card's files
  std::string pngDir;
  std::string card;
  bool ok = true;
  bool help = false;
  bool version = false;
  std::string unknown;  // an option not known, named in the one error line
};

Options ParseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc && o.ok; ++i) {
    const std::string arg = argv[i];
    if (arg == "--model" && i + 1 < argc) {
      char* end = nullptr;
      o.model = static_cast<int>(std::strtol(argv[++i], &end, 10));
      if (*end != 0 || ModelFromNumber(o.model).model == 0) o.ok = false;
    } else if (arg == "--png" && i + 1 < argc) {
      o.pngDir = argv[++i];
    } else if (arg == "--help" || arg == "-h") {
      o.help = true;
    } else if (arg == "--version") {
      o.version = true;
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "--model" && arg != "--png") {
      o.unknown = arg;
      o.ok = false;
    } else if (arg.empty() || arg[0] == '-' || !o.card.empty()) {
      o.ok = false;
    } else {
      o.card = arg;
    }
  }
  return o;
}

// Host paths and messages about them, printed as the host gives them.
void SayHost(const char* what, const std::string& path) {
  std::printf("error: %s: %s\n", path.c_str(), what);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  Options options = ParseOptions(argc, argv);
  if (!options.ok) {
    if (!options.unknown.empty()) {
      std::fprintf(stderr, "cardprep-view: unknown option: %s (see cardprep-view --help)\n",
                   options.unknown.c_str());
    } else {
      std::fputs(kUsage, stderr);
    }
    return 2;
  }
  if (options.help) {
    std::fputs(kUsage, stdout);
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (options.version) {
    std::fputs("cardprep-view " CARDPREP_VERSION "\n", stdout);
    return 0;
  }
  std::error_code ec;
  std::filesystem::path pngDir;
  if (!options.pngDir.empty()) {
    // Made absolute before the card's root becomes the current directory.
    pngDir = std::filesystem::absolute(options.pngDir, ec);
    if (!ec) std::filesystem::create_directories(pngDir, ec);
    if (ec) {
      SayHost("cannot make the picture folder", options.pngDir);
      return 1;
    }
  }
  if (!options.card.empty()) {
    std::filesystem::current_path(options.card, ec);
    if (ec) {
      SayHost("cannot open the card folder", options.card);
      return 1;
    }
    HostForgetFolderNames();
  }

  // About 3 MiB of fixed tables: kept off the stack.
  auto card = std::make_unique<CardContents>();
  auto problems = std::make_unique<ProblemList>();
  if (options.model != 0) {
    card->model = ModelFromNumber(options.model);
  } else {
    bool others = false;
    card->model = DetectCardModel(others);
    if (card->model.model == 0) {
      ConsolePrintf(
          "error: no folder list (DIRLST04.DAT, DIRLST08.DAT or DIRLST10.DAT): "
          "not a prepared card\n");
      return 1;
    }
    if (others) {
      ConsolePrintf(
          "note: several folder lists lie on the card; showing model %s "
          "(choose with --model)\n",
          ModelName(card->model));
    }
  }

  if (!ReadCard(*card, *problems)) {
    PrintProblems(*problems);
    return 1;
  }
  PrintCatalogue(*card, *problems);
  if (!pngDir.empty()) {
    const int written = WriteCardPictures(*card, pngDir.string().c_str());
    if (written < 0) {
      PrintProblems(*problems);
      return 1;
    }
    std::printf("\nPictures: %d PNG file%s in %s\n", written, written == 1 ? "" : "s",
                pngDir.string().c_str());
    std::fflush(stdout);
  }
  PrintProblems(*problems);
  return problems->count == 0 ? 0 : 1;
}
