// What each player model is, in one table: the files a run writes for it
// and their record sizes, how its titles are drawn, the stages a run takes
// for it, what its folder names may hold, the fonts it needs and the
// encoding of its rename logs. cardprep's stages, cardprep-restore and
// cardprep-view ask this table instead of comparing model numbers; a new
// model is a new row (and, for a new display, its renderer).
#pragma once

// How a model shows titles.
enum class TitleLayout {
  kText,      // Shift-JIS text in the records only (a character display)
  kOneLine,   // one rendered line: two 512-byte planes and a 128-byte strip
  kTwoLines,  // two rendered lines: three 128-byte planes
};

// The menu a model's menu file holds (its items and their blocks).
enum class MenuKind {
  kNone,
  kFourBlocks,  // folder, index, random play, power off: four full blocks
  kSixBlocks,   // the longer menu: six blocks, two of them short
};

// The encoding a model's rename logs are written in.
enum class LogText {
  kUtf16le,  // with the byte-order mark FF FE, CR LF line ends
};

struct ModelProfile {
  int number;        // the answer that picks it (and the name's digits)
  int alsoNumber;    // another answer for the same model (9 for 8), or 0
  const char* name;  // as the prompt shows it

  // The card's files a run for the model writes; null: not written, and
  // the stage that writes it is not taken.
  const char* folderList;  // in the root
  int folderRecord;        // its record size
  const char* trackList;   // in each folder
  int trackRecord;
  const char* volumeFile;          // written with the default where none is
  const char* secondVolumeFile;    // likewise, or null
  const char* indexFile;           // the index by first character
  const char* menuFile;            // the menu images, of menuKind
  const char* messageImageFile;    // the player's messages as images
  const char* characterImageFile;  // the characters of the index
  const char* pluginFile;          // the decoder plugin image

  TitleLayout titles;
  MenuKind menuKind;
  bool asciiFolderNames;  // a folder name must be ASCII: no double-byte (nor
                          // half-width kana) characters
  bool needsFonts;        // titles are rendered: the seven fonts are loaded
                          // and the title rule is asked
  LogText logText;
};

// Files every run writes in the root, whatever the model.
inline constexpr const char* kWorkLogFile = "CARDPREP.LOG";  // the run's work log
inline constexpr const char* kHistoryFile = "HIST04.DAT";
inline constexpr const char* kErrorLogFile = "ERRLOG04.DAT";
inline constexpr const char* kErrorLogCopyFile = "ERRLOG04_BK.DAT";

inline constexpr ModelProfile kModelProfiles[] = {
    {4, 0, "TOKI_04", "DIRLST04.DAT", 128, "SNDLST04.DAT", 64, "VOLUME04.DAT", nullptr, nullptr,
     nullptr, nullptr, nullptr, "PSHFT131.DAT", TitleLayout::kText, MenuKind::kNone, true, false,
     LogText::kUtf16le},
    {6, 0, "TOKI_06", "DIRLST04.DAT", 128, "SNDLST04.DAT", 64, "VOLUME06.DAT", nullptr, nullptr,
     nullptr, nullptr, nullptr, nullptr, TitleLayout::kText, MenuKind::kNone, true, false,
     LogText::kUtf16le},
    {8, 9, "TOKI_08/09", "DIRLST08.DAT", 1280, "SNDLST08.DAT", 1216, "VOLUME08.DAT", "VOLUME09.DAT",
     nullptr, nullptr, "MSGIMG08.DAT", nullptr, "SPEANA.DAT", TitleLayout::kOneLine,
     MenuKind::kNone, false, true, LogText::kUtf16le},
    {10, 0, "TOKI_10", "DIRLST10.DAT", 512, "SNDLST10.DAT", 448, "VOLUME10.DAT", nullptr,
     "INDEX10.DAT", "MNUDAT10.DAT", nullptr, "CHRIMG10.DAT", nullptr, TitleLayout::kTwoLines,
     MenuKind::kFourBlocks, false, true, LogText::kUtf16le},
    {12, 0, "TOKI_12", "DIRLST10.DAT", 512, "SNDLST10.DAT", 448, "VOLUME12.DAT", nullptr,
     "INDEX10.DAT", "MNUDAT12.DAT", nullptr, nullptr, nullptr, TitleLayout::kTwoLines,
     MenuKind::kSixBlocks, false, true, LogText::kUtf16le},
};

inline constexpr int kModelCount = sizeof kModelProfiles / sizeof kModelProfiles[0];
static_assert(kModelCount <= 16, "models are kept as bits of an unsigned in places");

// The profile an answer picks, or null for a number that is no model.
inline const ModelProfile* FindModelProfile(int number) {
  for (const ModelProfile& profile : kModelProfiles) {
    if (number != 0 && (profile.number == number || profile.alsoNumber == number)) return &profile;
  }
  return nullptr;
}

// The profile of a model run (the number a run stored); model 4's for any
// other, as the card files have always defaulted to it.
inline const ModelProfile& ModelProfileOf(int number) {
  const ModelProfile* profile = FindModelProfile(number);
  return profile != nullptr ? *profile : kModelProfiles[0];
}
