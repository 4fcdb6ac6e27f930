#include "view/catalogue_print.h"

#include <cstring>

#include "base/console.h"
#include "view/image_layout.h"

namespace {

constexpr int kTextBytes = 300;
constexpr int kMaxTreeDepth = 40;  // deeper rows are printed at this indent

// Card text made safe to print: a byte below 0x20 or 0x7F is never part
// of a double-byte character, so replacing it leaves the rest intact.
struct Text {
  char bytes[kTextBytes];
  explicit Text(const char* text) { PrintableText(text, bytes, kTextBytes); }
};

const char* Plural(int n) { return n == 1 ? "" : "s"; }

// "2 tracks", "1 track", "no tracks".
void PrintTrackCount(int n) {
  if (n == 0) {
    ConsolePrintf("no tracks");
  } else {
    ConsolePrintf("%d track%s", n, Plural(n));
  }
}

void PrintImageShape(const CardModel& model, int layout, int width) {
  // Only one-line titles have a width and a layout of their own.
  if (model.profile != nullptr && model.profile->titles == TitleLayout::kOneLine) {
    ConsolePrintf("  [layout %d, %d columns]", layout, width);
  }
}

void PrintFolderLine(const CardContents& card, int row, int depth) {
  const FolderRecord& f = card.folders.rows[row];
  const int indent = 2 + 2 * (depth > kMaxTreeDepth ? kMaxTreeDepth : depth);
  if (row == 0) {
    ConsolePrintf("%*s#0 root  %d subfolder%s\n", indent, "", f.childCount, Plural(f.childCount));
    return;
  }
  ConsolePrintf("%*s#%d %s  \"%s\"  ", indent, "", row, Text(f.shortName).bytes,
                Text(f.displayName).bytes);
  PrintTrackCount(f.trackCount);
  PrintImageShape(card.model, f.imageLayout, f.imageWidth);
  ConsolePrintf("\n");
}

// Prints row and, below it, the rows that name it as parent, in row order.
// A row has one parent, so each row is printed at most once.
void PrintTree(const CardContents& card, int row, int depth, bool* printed) {
  printed[row] = true;
  PrintFolderLine(card, row, depth);
  for (int r = 1; r < card.folders.rowCount; ++r) {
    if (r != row && ParentRow(card.folders, r) == row) PrintTree(card, r, depth + 1, printed);
  }
}

void PrintFolders(const CardContents& card) {
  const FolderList& list = card.folders;
  int withTracks = 0;
  for (int r = 1; r < list.rowCount; ++r) {
    if (list.rows[r].trackCount > 0) ++withTracks;
  }
  ConsolePrintf("Card: model %s (%s): %d folder%s below the root, %d with tracks\n",
                ModelName(card.model), list.fileName, list.rowCount - 1, Plural(list.rowCount - 1),
                withTracks);
  ConsolePrintf("\nFolders:\n");
  bool printed[kViewMaxRows] = {};
  PrintTree(card, 0, 0, printed);
  bool any = false;
  for (int r = 1; r < list.rowCount; ++r) {
    if (printed[r]) continue;
    if (!any) ConsolePrintf("  rows the tree from the root does not reach:\n");
    any = true;
    PrintFolderLine(card, r, 1);
  }
}

// The file name after the folder path.
const char* BaseName(const char* path) {
  const char* slash = std::strrchr(path, '\\');
  return slash != nullptr ? slash + 1 : path;
}

void PrintFolderTracks(CardContents& card, int row, ProblemList& problems) {
  const FolderRecord& f = card.folders.rows[row];
  TrackList& tracks = card.tracks;
  if (!ReadTrackList(card.model, f, tracks, &problems)) return;
  VolumeFile volumes[2];
  const int volumeCount = ReadVolumeFiles(card.model, f, volumes, &problems);
  if (tracks.count == 0 && f.trackCount == 0 && volumeCount == 0) return;

  ConsolePrintf("  #%d %s  \"%s\": ", row, Text(f.path).bytes, Text(f.displayName).bytes);
  PrintTrackCount(tracks.count);
  ConsolePrintf(" in %s", TrackListName(card.model));
  for (int v = 0; v < volumeCount; ++v) {
    ConsolePrintf(", %s %d", BaseName(volumes[v].fileName), volumes[v].value);
  }
  ConsolePrintf("\n");
  for (int k = 0; k < tracks.count; ++k) {
    const TrackRecord& t = tracks.tracks[k];
    ConsolePrintf("    %s  %-12s  \"%s\"", Text(t.number).bytes, Text(t.shortName).bytes,
                  Text(t.title).bytes);
    PrintImageShape(card.model, t.imageLayout, t.imageWidth);
    ConsolePrintf("\n");
  }
}

void PrintTracks(CardContents& card, ProblemList& problems) {
  ConsolePrintf("\nTracks:\n");
  for (int r = 1; r < card.folders.rowCount; ++r) PrintFolderTracks(card, r, problems);
}

void PrintRandomChain(const CardContents& card) {
  const RandomChain& chain = card.chain;
  ConsolePrintf("\nRandom play: %d folder%s", chain.length, Plural(chain.length));
  if (chain.length > 0) ConsolePrintf(", starting at #%d", chain.rows[0]);
  if (card.history.present) ConsolePrintf(" (HIST04.DAT: #%d)", card.history.startRow);
  ConsolePrintf("\n");
  for (int k = 0; k < chain.length; ++k) {
    const int row = chain.rows[k];
    ConsolePrintf("  %3d. #%d \"%s\"\n", k + 1, row,
                  Text(card.folders.rows[row].displayName).bytes);
  }
  if (chain.length > 0) {
    if (chain.closed) {
      ConsolePrintf("  then back to #%d\n", chain.rows[0]);
    } else {
      ConsolePrintf("  (the chain does not close)\n");
    }
  }
}

void PrintIndex(const CardContents& card) {
  const IndexFile& index = card.index;
  if (!index.present) return;
  ConsolePrintf("\nIndex (INDEX10.DAT): %d group%s, %d folder%s\n", index.groupCount,
                Plural(index.groupCount), index.folderCount, Plural(index.folderCount));
  for (int k = 0; k < index.groupCount; ++k) {
    const IndexGroupRecord& g = index.groups[k];
    ConsolePrintf("  %s: %d folder%s\n", Text(g.character).bytes, g.folderCount,
                  Plural(g.folderCount));
    for (int j = g.firstPosition; j < g.firstPosition + g.folderCount && j < index.folderCount;
         ++j) {
      const IndexFolderRecord& f = index.folders[j];
      ConsolePrintf("    \"%s\"  %s  ", Text(f.displayName).bytes, Text(f.path).bytes);
      PrintTrackCount(f.trackCount);
      ConsolePrintf("\n");
    }
  }
}

void PrintDisplayImages(const CardContents& card) {
  const DisplayResources& d = card.display;
  if (!d.hasMenu && !d.hasCharacters && !d.hasMessages) return;
  ConsolePrintf("\nDisplay images:\n");
  if (d.hasMenu) {
    ConsolePrintf("  menu (%s): %d blocks of two items\n", d.menuFileName,
                  MenuBlockCount(card.model));
  }
  if (d.hasCharacters) {
    ConsolePrintf("  characters (CHRIMG10.DAT): %d columns\n", d.characterColumns);
  }
  if (d.hasMessages) {
    ConsolePrintf("  messages (MSGIMG08.DAT): 4 images of %d columns\n", kMessageColumns);
  }
}

}  // namespace

void PrintableText(const char* text, char* out, int size) {
  int i = 0;
  for (; i < size - 1 && text[i] != 0; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    out[i] = (c < 0x20 || c == 0x7F) ? '?' : text[i];
  }
  out[i] = 0;
}

void PrintCatalogue(CardContents& card, ProblemList& problems) {
  PrintFolders(card);
  PrintTracks(card, problems);
  PrintRandomChain(card);
  PrintIndex(card);
  PrintDisplayImages(card);
}

void PrintProblems(const ProblemList& problems) {
  const int kept = problems.count < kViewMaxProblems ? problems.count : kViewMaxProblems;
  for (int k = 0; k < kept; ++k) ConsolePrintf("error: %s\n", Text(problems.lines[k]).bytes);
  if (problems.count > kept) {
    ConsolePrintf("error: and %d more problems\n", problems.count - kept);
  }
}
