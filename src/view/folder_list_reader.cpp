// The folder list of card_reader.h: reading DIRLST04/08/10.DAT and checking
// its links and its random play chain.
#include <cstring>

#include "view/card_reader.h"
#include "view/card_reading.h"
#include "view/messages.h"

namespace {

// "root" or the row's path, for problem lines.
const char* RowLabel(const FolderList& list, int row) {
  return row == 0 ? "root" : list.rows[row].path;
}

void DecodeFolderRecord(const CardModel& model, FolderRecord& f) {
  const uint8_t* raw = f.raw;
  TextField(raw, 0, 61, f.path);
  f.pathLength = U8(raw, 61);
  PaddedField(raw, 62, 12, f.shortName);
  f.firstChild = U16(raw, 75);
  f.childCount = U8(raw, 77);
  f.parent = U16(raw, 78);
  f.grandparent = U16(raw, 80);
  f.nextRandom = U16(raw, 82);
  f.trackCount = U8(raw, 84);
  TextField(raw, 85, 33, f.displayName);
  const bool oneLine = model.profile != nullptr && model.profile->titles == TitleLayout::kOneLine;
  f.imageWidth = oneLine ? U16(raw, 118) : 0;
  f.imageLayout = oneLine ? U8(raw, 120) : 0;
}

// Walks up the parent links from row; true when they reach the root. A
// walk longer than the table has rows is a loop.
bool ReachesRoot(const FolderList& list, int row, bool& loops) {
  loops = false;
  int current = row;
  for (int steps = 0; current != 0; ++steps) {
    if (steps > list.rowCount) {
      loops = true;
      return false;
    }
    current = ParentRow(list, current);
    if (current < 0) return false;
  }
  return true;
}

}  // namespace

int RowsWithTracks(const FolderList& list) {
  int n = 0;
  for (int r = 1; r < list.rowCount; ++r) {
    if (list.rows[r].trackCount > 0) ++n;
  }
  return n;
}

bool ReadFolderList(const CardModel& model, FolderList& list, ProblemList& problems) {
  const ModelProfile& profile = ModelProfileOf(model.model);
  list.fileName = profile.folderList;
  list.recordSize = profile.folderRecord;
  list.rowCount = 0;
  list.headerRows = 0;
  list.headerRandomCount = 0;
  InFile in;
  if (!OpenOrSay(list.fileName, in, &problems)) return false;
  const int size = list.recordSize;
  if (in.size < 2L * size) {
    AddProblem(problems, kMsgNoRootRecord, list.fileName, in.size, size);
    CloseIn(in);
    return false;
  }
  if (in.size % size != 0) AddProblem(problems, kMsgNotWholeRecords, list.fileName, in.size, size);
  const long records = in.size / size;
  int rows = static_cast<int>(records > kViewMaxRows + 1 ? kViewMaxRows + 1 : records) - 1;
  if (records - 1 > kViewMaxRows) {
    AddProblem(problems, kMsgTooManyRows, list.fileName, static_cast<int>(records - 1),
               kViewMaxRows, kViewMaxRows);
  }

  uint8_t header[kViewMaxFolderRecordBytes];
  if (!ReadAt(in, 0, header, size)) {
    AddProblem(problems, kMsgCannotRead, list.fileName, 0L);
    CloseIn(in);
    return false;
  }
  list.headerRows = U16(header, 0);
  list.headerRandomCount = U16(header, 2);
  if (list.headerRows != records - 1) {
    AddProblem(problems, kMsgHeaderRows, list.fileName, list.headerRows,
               static_cast<int>(records - 1));
  }
  for (int r = 0; r < rows; ++r) {
    FolderRecord& f = list.rows[r];
    const long offset = static_cast<long>(r + 1) * size;
    if (!ReadAt(in, offset, f.raw, size)) {
      AddProblem(problems, kMsgCannotRead, list.fileName, offset);
      rows = r;
      break;
    }
    DecodeFolderRecord(model, f);
  }
  list.rowCount = rows;
  CloseIn(in);
  return rows > 0;
}

int ParentRow(const FolderList& list, int row) {
  if (row <= 0 || row >= list.rowCount) return -1;
  const int parent = list.rows[row].parent;
  if (parent < 1 || parent > list.rowCount) return -1;
  return parent - 1;
}

bool FolderPathUsable(const FolderRecord& folder) {
  const int n = static_cast<int>(std::strlen(folder.path));
  return n > 1 && folder.path[0] == '\\' && n == folder.pathLength;
}

void CheckFolderLinks(const FolderList& list, ProblemList& problems) {
  const int n = list.rowCount;
  const char* file = list.fileName;
  int named[kViewMaxRows + 2] = {};  // rows naming each record as parent
  for (int r = 1; r < n; ++r) {
    const int parent = list.rows[r].parent;
    if (parent >= 1 && parent <= n) ++named[parent];
  }

  const FolderRecord& root = list.rows[0];
  if (root.parent != 1 || root.grandparent != 1) {
    AddProblem(problems, kMsgRootLinks, file, root.parent, root.grandparent);
  }
  for (int r = 0; r < n; ++r) {
    const FolderRecord& f = list.rows[r];
    const int record = r + 1;
    const char* label = RowLabel(list, r);
    if (r > 0 && !FolderPathUsable(f)) AddProblem(problems, kMsgPathField, file, r, f.pathLength);
    if (r > 0) {
      if (f.parent < 1 || f.parent > n) {
        AddProblem(problems, kMsgParentOutside, file, r, label, f.parent, n);
      } else if (f.grandparent != list.rows[f.parent - 1].parent) {
        AddProblem(problems, kMsgGrandparent, file, r, label, f.grandparent,
                   list.rows[f.parent - 1].parent);
      }
    }
    // The count is capped at 255 in the file.
    const int children = named[record];
    if (children != f.childCount && !(f.childCount == 255 && children > 255)) {
      AddProblem(problems, kMsgChildCount, file, r, label, f.childCount, children);
    }
    if (f.childCount == 0) continue;
    const int last = f.firstChild + f.childCount - 1;
    if (f.firstChild < 2 || last > n) {
      AddProblem(problems, kMsgFirstChildOutside, file, r, label, f.firstChild, f.childCount, n);
      continue;
    }
    // The root's block leaves out folders attached to it after their own
    // parent was left out, so only other folders' blocks are whole.
    if (r == 0) continue;
    for (int c = f.firstChild; c <= last; ++c) {
      if (list.rows[c - 1].parent != record) {
        AddProblem(problems, kMsgChildBlock, file, r, label, c, list.rows[c - 1].parent);
        break;
      }
    }
  }
  for (int r = 1; r < n; ++r) {
    bool loops = false;
    if (!ReachesRoot(list, r, loops) && loops) {
      AddProblem(problems, kMsgParentLoop, file, r, RowLabel(list, r));
    }
  }
}

void FollowRandomChain(const FolderList& list, RandomChain& chain, ProblemList& problems) {
  const int n = list.rowCount;
  const char* file = list.fileName;
  chain.length = 0;
  chain.closed = false;
  const int withTracks = RowsWithTracks(list);
  if (list.headerRandomCount != withTracks) {
    AddProblem(problems, kMsgHeaderRandom, file, list.headerRandomCount, withTracks);
  }
  bool onChain[kViewMaxRows] = {};

  const int start = list.rows[0].nextRandom;
  if (start == 0) {
    chain.closed = true;  // an empty chain
    if (withTracks > 0) AddProblem(problems, kMsgChainMissingStart, file, withTracks);
  } else if (start >= n) {
    AddProblem(problems, kMsgChainStartOutside, file, start, n - 1);
  } else {
    // Each row joins at most once, so this ends within n steps.
    int current = start;
    for (;;) {
      onChain[current] = true;
      chain.rows[chain.length++] = static_cast<uint16_t>(current);
      const FolderRecord& f = list.rows[current];
      if (f.trackCount == 0) {
        AddProblem(problems, kMsgChainNoTracks, file, current, RowLabel(list, current));
      }
      const int next = f.nextRandom;
      if (next == 0) {
        AddProblem(problems, kMsgChainEnds, file, current, RowLabel(list, current));
        break;
      }
      if (next >= n) {
        AddProblem(problems, kMsgChainLinkOutside, file, current, RowLabel(list, current), next,
                   n - 1);
        break;
      }
      if (next == start) {
        chain.closed = true;
        break;
      }
      if (onChain[next]) {
        AddProblem(problems, kMsgChainLoops, file, current, RowLabel(list, current), next, start);
        break;
      }
      current = next;
    }
  }
  for (int r = 1; r < n; ++r) {
    if (onChain[r]) continue;
    if (list.rows[r].trackCount > 0) {
      AddProblem(problems, kMsgChainMissing, file, r, RowLabel(list, r));
    } else if (list.rows[r].nextRandom != 0) {
      AddProblem(problems, kMsgChainStray, file, r, RowLabel(list, r), list.rows[r].nextRandom);
    }
  }
}
