// cardprep-fonts: writes the seven FONTX2 fonts that cardprep needs for
// the graphic models (8, 10 and 12) into a card's _FONT folder, made from
// the Shinonome and Misaki bitmap fonts.
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "font_output.h"
#include "font_set_maker.h"
#include "fontx_writer.h"

namespace {

constexpr char kUsage[] =
    "usage: cardprep-fonts [--replace] [FOLDER]\n"
    "       cardprep-fonts --help | --version\n"
    "Writes the seven FONTX2 fonts that cardprep needs for models 8, 10 and 12\n"
    "into FOLDER (default: _FONT in the current directory), which should be\n"
    "the _FONT folder in the root of the card. The fonts are made from the\n"
    "Shinonome and Misaki bitmap fonts (Debian: xfonts-shinonome, fonts-misaki).\n"
    "A font file that is already there with other contents is left as it is\n"
    "unless --replace is given.\n";

struct Options {
  std::string folder = "_FONT";
  bool replace = false;
  bool help = false;
  bool version = false;
  std::string unknown;  // an option not known, named in the one error line
};

bool ParseOptions(int argc, char** argv, Options& options) {
  bool haveFolder = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--replace") {
      options.replace = true;
    } else if (arg == "-h" || arg == "--help") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--") {
      if (i + 2 != argc || haveFolder) return false;
      options.folder = argv[i + 1];
      return true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      options.unknown = arg;
      return false;
    } else if (arg.empty() || haveFolder) {
      return false;
    } else {
      options.folder = arg;
      haveFolder = true;
    }
  }
  return true;
}

bool IsFontFolderName(const std::filesystem::path& folder) {
  std::string name = folder.filename().string();
  if (name.empty()) name = folder.parent_path().filename().string();  // "card/_FONT/"
  if (name.size() != 5) return false;
  for (size_t i = 0; i < 5; ++i) {
    if (std::toupper(static_cast<unsigned char>(name[i])) != "_FONT"[i]) return false;
  }
  return true;
}

const char* Kind(const BitmapFont& font) { return font.doubleByte ? "double-byte" : "single-byte"; }

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    if (!options.unknown.empty()) {
      std::fprintf(stderr, "cardprep-fonts: unknown option: %s (see cardprep-fonts --help)\n",
                   options.unknown.c_str());
    } else {
      std::fputs(kUsage, stderr);
    }
    return 2;
  }
  if (options.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (options.version) {
    std::fputs("cardprep-fonts " CARDPREP_VERSION "\n", stdout);
    return 0;
  }

  std::vector<MadeFont> fonts;
  std::vector<std::string> notes;
  std::string error;
  if (!MakeFontSet(DefaultFontSources(), fonts, notes, error)) {
    std::fprintf(stderr,
                 "cardprep-fonts: %s\n"
                 "cardprep-fonts: no font written. The fonts are made from Debian's "
                 "xfonts-shinonome and fonts-misaki packages.\n",
                 error.c_str());
    return 1;
  }
  for (const std::string& note : notes) std::printf("note: %s\n", note.c_str());

  std::error_code ec;
  std::filesystem::create_directories(options.folder, ec);
  if (ec) {
    std::fprintf(stderr, "cardprep-fonts: cannot make the folder %s: %s\n", options.folder.c_str(),
                 ec.message().c_str());
    return 1;
  }
  if (!IsFontFolderName(options.folder)) {
    std::printf(
        "note: cardprep reads the fonts from the folder _FONT in the card's root; "
        "%s is another folder\n",
        options.folder.c_str());
  }

  int failed = 0;
  int kept = 0;
  for (const MadeFont& made : fonts) {
    std::vector<uint8_t> bytes;
    if (!EncodeFontx(made.font, bytes, error)) {
      std::fprintf(stderr, "cardprep-fonts: %s: %s\n", made.fileName.c_str(), error.c_str());
      ++failed;
      continue;
    }
    FontWrite result = WriteFontFile(options.folder, made.fileName, bytes, options.replace, error);
    const char* outcome = "";
    switch (result) {
      case FontWrite::kWritten:
        outcome = "written";
        break;
      case FontWrite::kUnchanged:
        outcome = "already there, unchanged";
        break;
      case FontWrite::kReplaced:
        outcome = "replaced";
        break;
      case FontWrite::kKept:
        outcome = "already there with other contents: left as it is (--replace replaces it)";
        ++kept;
        break;
      case FontWrite::kFailed:
        std::fprintf(stderr, "cardprep-fonts: %s\n", error.c_str());
        ++failed;
        continue;
    }
    std::printf("%-12s %2dx%-2d %s %5zu characters from %s: %s\n", made.fileName.c_str(),
                made.font.width, made.font.height, Kind(made.font), made.font.glyphs.size(),
                made.madeFrom.c_str(), outcome);
  }
  if (failed > 0 || kept > 0) {
    std::fprintf(stderr, "cardprep-fonts: %d of 7 font files in %s are not the ones made here\n",
                 failed + kept, options.folder.c_str());
    return 1;
  }
  std::printf("The seven font files are in %s.\n", options.folder.c_str());
  return 0;
}
