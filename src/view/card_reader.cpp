#include "view/card_reader.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/host.h"
#include "view/card_reading.h"
#include "view/image_layout.h"
#include "view/messages.h"

// --- Problems ----------------------------------------------------------------

void AddProblem(ProblemList& problems, const char* format, ...) {
  if (problems.count < kViewMaxProblems) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(problems.lines[problems.count], kViewProblemBytes, format, args);
    va_end(args);
  }
  ++problems.count;
}

// --- Model ---------------------------------------------------------------------

namespace {

bool SameList(const ModelProfile& a, const ModelProfile& b) {
  return std::strcmp(a.folderList, b.folderList) == 0;
}

CardModel ModelOf(const ModelProfile& profile, bool ambiguous) {
  return CardModel{profile.number, ambiguous, &profile};
}

// Of the models that write list (found on the card), the one whose own
// image file the card holds, else the one that writes none; ambiguous when
// more than one is left.
CardModel PickModel(const ModelProfile& list) {
  const ModelProfile* plain = nullptr;
  int plainCount = 0;
  for (const ModelProfile& p : kModelProfiles) {
    if (!SameList(p, list)) continue;
    if (p.characterImageFile != nullptr) {
      if (HostExistsA(p.characterImageFile)) return ModelOf(p, false);
      continue;
    }
    if (plain == nullptr) plain = &p;
    ++plainCount;
  }
  return ModelOf(plain != nullptr ? *plain : list, plainCount > 1);
}

}  // namespace

CardModel DetectCardModel(bool& othersFound) {
  CardModel found{0, false, nullptr};
  int lists = 0;
  for (int m = kModelCount - 1; m >= 0; --m) {
    const ModelProfile& p = kModelProfiles[m];
    bool seen = false;  // a later row's list, looked at already
    for (int k = m + 1; k < kModelCount; ++k) seen = seen || SameList(kModelProfiles[k], p);
    if (seen || !HostExistsA(p.folderList)) continue;
    ++lists;
    if (found.model == 0) found = PickModel(p);
  }
  othersFound = lists > 1;
  return found;
}

CardModel ModelFromNumber(int number) {
  const ModelProfile* profile = FindModelProfile(number);
  return profile != nullptr ? ModelOf(*profile, false) : CardModel{0, false, nullptr};
}

const char* ModelName(const CardModel& model) {
  if (model.fourOrSix) return "4/6";
  switch (model.model) {
    case 4:
      return "4";
    case 6:
      return "6";
    case 8:
      return "8";
    case 10:
      return "10";
    case 12:
      return "12";
    default:
      return "?";
  }
}

// --- History file -----------------------------------------------------------------

void ReadHistoryFile(HistoryFile& history, ProblemList& problems) {
  history.present = false;
  history.startRow = 0;
  uint8_t bytes[10];
  if (ReadWholeFile(kHistoryFile, bytes, sizeof bytes, problems) < 0) return;
  static const uint8_t kFixed[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
  if (std::memcmp(bytes, kFixed, sizeof kFixed) != 0) AddProblem(problems, kMsgHistoryBytes);
  history.present = true;
  history.startRow = U16(bytes, 8);
}

// --- Display resources ----------------------------------------------------------------

void ReadDisplayResources(const CardModel& model, DisplayResources& out, ProblemList& problems) {
  out.hasMessages = false;
  out.hasCharacters = false;
  out.hasMenu = false;
  out.characterColumns = 0;
  out.menuFileName = nullptr;
  if (model.profile == nullptr) return;
  const ModelProfile& profile = *model.profile;
  if (profile.messageImageFile != nullptr) {
    out.hasMessages =
        ReadWholeFile(profile.messageImageFile, out.messages, kMessageFileBytes, problems) > 0;
  }
  if (profile.characterImageFile != nullptr) {
    InFile in;
    if (OpenOrSay(profile.characterImageFile, in, &problems)) {
      if (in.size % 2 != 0 || in.size > 2L * kCharacterStripColumns) {
        AddProblem(problems, kMsgCharacterSize, in.size, 2 * kCharacterStripColumns);
      } else if (!ReadAt(in, 0, out.characters, static_cast<int>(in.size))) {
        AddProblem(problems, kMsgCannotRead, profile.characterImageFile, 0L);
      } else {
        out.hasCharacters = true;
        out.characterColumns = static_cast<int>(in.size / 2);
      }
      CloseIn(in);
    }
  }
  if (profile.menuFile != nullptr) {
    out.menuFileName = profile.menuFile;
    out.hasMenu = ReadWholeFile(out.menuFileName, out.menu, MenuFileBytes(model), problems) > 0;
  }
}

// --- Whole card -------------------------------------------------------------------------

bool ReadCard(CardContents& card, ProblemList& problems) {
  card.chain.length = 0;
  card.chain.closed = false;
  card.history.present = false;
  card.index.present = false;
  card.index.groupCount = 0;
  card.index.folderCount = 0;
  card.display.hasMessages = card.display.hasCharacters = card.display.hasMenu = false;
  if (!ReadFolderList(card.model, card.folders, problems)) return false;
  CheckFolderLinks(card.folders, problems);
  FollowRandomChain(card.folders, card.chain, problems);
  ReadHistoryFile(card.history, problems);
  const int chainStart = card.folders.rows[0].nextRandom;
  if (card.history.present && card.history.startRow != chainStart) {
    AddProblem(problems, kMsgHistoryStart, card.history.startRow, chainStart);
  }
  if (card.model.profile != nullptr && card.model.profile->indexFile != nullptr) {
    ReadIndexFile(card.folders, card.index, problems);
  }
  ReadDisplayResources(card.model, card.display, problems);
  return true;
}
