#include "view/card_reader.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/host.h"
#include "scan/model_files.h"
#include "view/card_reading.h"
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

CardModel DetectCardModel(bool& othersFound) {
  const bool has10 = HostExistsA("DIRLST10.DAT");
  const bool has08 = HostExistsA("DIRLST08.DAT");
  const bool has04 = HostExistsA("DIRLST04.DAT");
  othersFound = (has10 + has08 + has04) > 1;
  if (has10) return CardModel{HostExistsA("CHRIMG10.DAT") ? 10 : 12, false};
  if (has08) return CardModel{8, false};
  if (has04) return CardModel{4, true};
  return CardModel{0, false};
}

CardModel ModelFromNumber(int number) {
  switch (number) {
    case 4:
    case 6:
    case 8:
    case 10:
    case 12:
      return CardModel{number, false};
    case 9:
      return CardModel{8, false};
    default:
      return CardModel{0, false};
  }
}

const char* ModelName(const CardModel& model) {
  if (model.fourOrSix) return "4/6";
  switch (model.model) {
    case 4: return "4";
    case 6: return "6";
    case 8: return "8";
    case 10: return "10";
    case 12: return "12";
    default: return "?";
  }
}

// --- History file -----------------------------------------------------------------

void ReadHistoryFile(HistoryFile& history, ProblemList& problems) {
  history.present = false;
  history.startRow = 0;
  uint8_t bytes[10];
  if (ReadWholeFile("HIST04.DAT", bytes, sizeof bytes, problems) < 0) return;
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
  if (model.model == 8) {
    out.hasMessages = ReadWholeFile("MSGIMG08.DAT", out.messages, kMessageFileBytes, problems) > 0;
  }
  if (model.model == 10) {
    InFile in;
    if (OpenOrSay("CHRIMG10.DAT", in, &problems)) {
      if (in.size % 2 != 0 || in.size > 2L * kCharacterStripColumns) {
        AddProblem(problems, kMsgCharacterSize, in.size, 2 * kCharacterStripColumns);
      } else if (!ReadAt(in, 0, out.characters, static_cast<int>(in.size))) {
        AddProblem(problems, kMsgCannotRead, "CHRIMG10.DAT", 0L);
      } else {
        out.hasCharacters = true;
        out.characterColumns = static_cast<int>(in.size / 2);
      }
      CloseIn(in);
    }
  }
  if (IsTwoLineModel(model.model)) {
    const bool is10 = model.model == 10;
    out.menuFileName = is10 ? "MNUDAT10.DAT" : "MNUDAT12.DAT";
    out.hasMenu = ReadWholeFile(out.menuFileName, out.menu, is10 ? 1536 : 2048, problems) > 0;
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
  if (IsTwoLineModel(card.model.model)) ReadIndexFile(card.folders, card.index, problems);
  ReadDisplayResources(card.model, card.display, problems);
  return true;
}
