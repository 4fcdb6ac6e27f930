#include "view/card_reader.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/host.h"
#include "scan/model_files.h"
#include "view/messages.h"

namespace {

// --- Reading files --------------------------------------------------------

struct InFile {
  std::FILE* file;
  long size;
};

// Opens a card file and measures it. False when it cannot be opened or
// measured (a folder of that name, for instance).
bool OpenIn(const char* path, InFile& in) {
  in.file = HostOpen(path, "rb");
  in.size = 0;
  if (in.file == nullptr) return false;
  if (std::fseek(in.file, 0, SEEK_END) != 0 || (in.size = std::ftell(in.file)) < 0 ||
      std::fseek(in.file, 0, SEEK_SET) != 0) {
    std::fclose(in.file);
    in.file = nullptr;
    return false;
  }
  return true;
}

bool ReadAt(InFile& in, long offset, uint8_t* buf, int count) {
  if (offset < 0 || offset + count > in.size) return false;
  if (std::fseek(in.file, offset, SEEK_SET) != 0) return false;
  return std::fread(buf, 1, static_cast<size_t>(count), in.file) == static_cast<size_t>(count);
}

void CloseIn(InFile& in) {
  if (in.file != nullptr) std::fclose(in.file);
  in.file = nullptr;
}

// Opens path for reading; a missing file is a problem line when problems
// is given.
bool OpenOrSay(const char* path, InFile& in, ProblemList* problems) {
  if (OpenIn(path, in)) return true;
  if (problems != nullptr) AddProblem(*problems, kMsgNotFound, path);
  return false;
}

// --- Record fields ------------------------------------------------------------

int U8(const uint8_t* raw, int offset) { return raw[offset]; }

int U16(const uint8_t* raw, int offset) { return raw[offset] | (raw[offset + 1] << 8); }

// Copies a text field of width bytes up to its first zero byte; out holds
// width + 1 bytes.
void TextField(const uint8_t* raw, int offset, int width, char* out) {
  int i = 0;
  for (; i < width && raw[offset + i] != 0; ++i) out[i] = static_cast<char>(raw[offset + i]);
  out[i] = 0;
}

// As TextField, then drops the fill spaces at the end.
void PaddedField(const uint8_t* raw, int offset, int width, char* out) {
  TextField(raw, offset, width, out);
  for (int n = static_cast<int>(std::strlen(out)); n > 0 && out[n - 1] == ' '; --n) out[n - 1] = 0;
}

// "root" or the row's path, for problem lines.
const char* RowLabel(const FolderList& list, int row) {
  return row == 0 ? "root" : list.rows[row].path;
}

// --- Folder list ----------------------------------------------------------------

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
  f.imageWidth = model.model == 8 ? U16(raw, 118) : 0;
  f.imageLayout = model.model == 8 ? U8(raw, 120) : 0;
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

// --- Track lists ---------------------------------------------------------------

void DecodeTrackRecord(const CardModel& model, TrackRecord& t) {
  const uint8_t* raw = t.raw;
  TextField(raw, 0, 13, t.shortName);
  TextField(raw, 13, 2, t.number);
  PaddedField(raw, 16, 33, t.title);
  t.imageWidth = model.model == 8 ? U16(raw, 49) : 0;
  t.imageLayout = model.model == 8 ? U8(raw, 51) : 0;
}

// Folder path + "\" + name into out (kViewPathBytes).
void FolderFilePath(const FolderRecord& folder, const char* name, char* out) {
  std::snprintf(out, kViewPathBytes, "%s\\%s", folder.path, name);
}

// --- Index -----------------------------------------------------------------------

void DecodeIndexGroup(IndexGroupRecord& g) {
  TextField(g.raw, 62, 8, g.character);
  g.folderCount = U8(g.raw, 70);
  g.firstPosition = U16(g.raw, 71);
  g.firstFolderRecord = U16(g.raw, 75);
}

void DecodeIndexFolder(IndexFolderRecord& f) {
  TextField(f.raw, 0, 61, f.path);
  PaddedField(f.raw, 62, 12, f.shortName);
  f.group = U16(f.raw, 78);
  f.trackCount = U8(f.raw, 84);
  TextField(f.raw, 85, 33, f.displayName);
}

int RowsWithTracks(const FolderList& list) {
  int n = 0;
  for (int r = 1; r < list.rowCount; ++r) {
    if (list.rows[r].trackCount > 0) ++n;
  }
  return n;
}

// Checks that the groups cover the folder records one after the other and
// link to their first folders.
void CheckIndexGroups(const IndexFile& index, ProblemList& problems) {
  int expectedFirst = 0;
  for (int k = 0; k < index.groupCount; ++k) {
    const IndexGroupRecord& g = index.groups[k];
    if (g.firstPosition + g.folderCount > index.folderCount || g.folderCount == 0) {
      AddProblem(problems, kMsgIndexGroupRange, k + 1, g.character, g.firstPosition,
                 g.firstPosition + g.folderCount - 1, index.folderCount);
    }
    if (g.firstPosition != expectedFirst) {
      AddProblem(problems, kMsgIndexGroupGap, k + 1, g.character, g.firstPosition, expectedFirst);
    }
    const int record = g.firstPosition + index.groupCount + 2;
    if (g.firstFolderRecord != record) {
      AddProblem(problems, kMsgIndexGroupLink, k + 1, g.character, g.firstFolderRecord, record);
    }
    expectedFirst += g.folderCount;
  }
  if (expectedFirst != index.folderCount) {
    AddProblem(problems, kMsgIndexGroupTotal, expectedFirst, index.folderCount);
  }
}

// The group (from 1) whose range holds folder position j, or 0.
int GroupOfPosition(const IndexFile& index, int j) {
  for (int k = 0; k < index.groupCount; ++k) {
    const IndexGroupRecord& g = index.groups[k];
    if (j >= g.firstPosition && j < g.firstPosition + g.folderCount) return k + 1;
  }
  return 0;
}

void CheckIndexFolders(const FolderList& folders, const IndexFile& index, ProblemList& problems) {
  for (int j = 0; j < index.folderCount; ++j) {
    const IndexFolderRecord& f = index.folders[j];
    const int group = GroupOfPosition(index, j);
    if (f.group != group) AddProblem(problems, kMsgIndexFolderGroup, j + 1, f.path, f.group, group);
    int row = -1;
    for (int r = 1; r < folders.rowCount && row < 0; ++r) {
      if (std::strcmp(folders.rows[r].path, f.path) == 0) row = r;
    }
    if (row < 0) {
      AddProblem(problems, kMsgIndexUnknownFolder, j + 1, f.path);
    } else if (folders.rows[row].trackCount != f.trackCount) {
      AddProblem(problems, kMsgIndexTrackCount, j + 1, f.path, f.trackCount,
                 folders.rows[row].trackCount);
    }
  }
  const int withTracks = RowsWithTracks(folders);
  if (index.folderCount != withTracks) {
    AddProblem(problems, kMsgIndexFolderCount, index.folderCount, withTracks);
  }
}

// Reads a whole file of exactly size bytes into out. Returns the bytes
// read, or -1 after a problem line.
long ReadWholeFile(const char* name, uint8_t* out, long size, ProblemList& problems) {
  InFile in;
  if (!OpenOrSay(name, in, &problems)) return -1;
  long got = -1;
  if (in.size != size) {
    AddProblem(problems, kMsgWrongSize, name, in.size, static_cast<int>(size));
  } else if (!ReadAt(in, 0, out, static_cast<int>(size))) {
    AddProblem(problems, kMsgCannotRead, name, 0L);
  } else {
    got = size;
  }
  CloseIn(in);
  return got;
}

}  // namespace

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

const char* TrackListName(const CardModel& model) { return TrackListFileName(model.model); }

// --- Folder list ----------------------------------------------------------------

bool ReadFolderList(const CardModel& model, FolderList& list, ProblemList& problems) {
  list.fileName = DirectoryListFileName(model.model);
  list.recordSize = DirectoryRecordSize(model.model);
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
    AddProblem(problems, kMsgTooManyRows, list.fileName, static_cast<int>(records - 1), kViewMaxRows,
               kViewMaxRows);
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

// --- Track lists and volume files ---------------------------------------------------

bool ReadTrackList(const CardModel& model, const FolderRecord& folder, TrackList& list,
                   ProblemList* problems) {
  list.present = false;
  list.count = 0;
  list.recordSize = TrackRecordSize(model.model);
  list.fileName[0] = 0;
  if (!FolderPathUsable(folder)) return false;  // said by CheckFolderLinks
  FolderFilePath(folder, TrackListName(model), list.fileName);
  InFile in;
  if (!OpenOrSay(list.fileName, in, problems)) return false;
  list.present = true;
  const int size = list.recordSize;
  if (in.size % size != 0 && problems != nullptr) {
    AddProblem(*problems, kMsgNotWholeRecords, list.fileName, in.size, size);
  }
  long records = in.size / size;
  if (records > kViewMaxTracks) {
    if (problems != nullptr) {
      AddProblem(*problems, kMsgTooManyTracks, list.fileName, static_cast<int>(records),
                 kViewMaxTracks, kViewMaxTracks);
    }
    records = kViewMaxTracks;
  } else if (records != folder.trackCount && problems != nullptr) {
    AddProblem(*problems, kMsgTrackCount, list.fileName, static_cast<int>(records),
               folder.trackCount);
  }
  for (int k = 0; k < records; ++k) {
    TrackRecord& t = list.tracks[k];
    const long offset = static_cast<long>(k) * size;
    if (!ReadAt(in, offset, t.raw, size)) {
      if (problems != nullptr) AddProblem(*problems, kMsgCannotRead, list.fileName, offset);
      break;
    }
    DecodeTrackRecord(model, t);
    list.count = k + 1;
  }
  CloseIn(in);
  return true;
}

int ReadVolumeFiles(const CardModel& model, const FolderRecord& folder, VolumeFile out[2],
                    ProblemList* problems) {
  if (!FolderPathUsable(folder)) return 0;
  // The files the model's run writes; the first is the one it tests for.
  const char* names[2] = {VolumeFileName(model.model), nullptr};
  if (model.fourOrSix) names[1] = "VOLUME06.DAT";
  if (model.model == 8) names[1] = "VOLUME09.DAT";
  int found = 0;
  bool firstFound = false;
  for (int i = 0; i < 2 && names[i] != nullptr; ++i) {
    char path[kViewPathBytes];
    FolderFilePath(folder, names[i], path);
    InFile in;
    if (!OpenIn(path, in)) continue;
    uint8_t bytes[2];
    if (in.size != 2) {
      if (problems != nullptr) AddProblem(*problems, kMsgWrongSize, path, in.size, 2);
    } else if (!ReadAt(in, 0, bytes, 2)) {
      if (problems != nullptr) AddProblem(*problems, kMsgCannotRead, path, 0L);
    } else {
      std::memcpy(out[found].fileName, path, sizeof path);
      out[found].value = U16(bytes, 0);
      ++found;
      if (i == 0) firstFound = true;
    }
    CloseIn(in);
  }
  const bool enough = model.fourOrSix ? found > 0 : firstFound;
  if (!enough && folder.trackCount > 0 && problems != nullptr) {
    char path[kViewPathBytes];
    FolderFilePath(folder, names[0], path);
    AddProblem(*problems, kMsgNoVolume, path, folder.trackCount);
  }
  return found;
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

// --- Index ----------------------------------------------------------------------------

void ReadIndexFile(const FolderList& folders, IndexFile& index, ProblemList& problems) {
  index.present = false;
  index.groupCount = 0;
  index.folderCount = 0;
  const char* name = "INDEX10.DAT";
  InFile in;
  if (!OpenOrSay(name, in, &problems)) return;
  uint8_t header[kIndexRecordBytes];
  uint8_t top[kIndexRecordBytes];
  if (in.size < 2L * kIndexRecordBytes || !ReadAt(in, 0, header, kIndexRecordBytes) ||
      !ReadAt(in, kIndexRecordBytes, top, kIndexRecordBytes)) {
    AddProblem(problems, kMsgIndexTooShort, in.size);
    CloseIn(in);
    return;
  }
  if (in.size % kIndexRecordBytes != 0) {
    AddProblem(problems, kMsgNotWholeRecords, name, in.size, kIndexRecordBytes);
  }
  index.headerEntries = U16(header, 0);
  index.headerFolders = U16(header, 2);
  const long entries = in.size / kIndexRecordBytes - 2;
  const int groups = index.headerEntries - index.headerFolders;
  // Where the groups end is known only from the header; without a header
  // that agrees with the file the records cannot be told apart.
  if (entries != index.headerEntries || groups < 0 || index.headerFolders > kViewMaxRows) {
    AddProblem(problems, kMsgIndexEntries, index.headerEntries, index.headerFolders,
               static_cast<int>(entries));
    CloseIn(in);
    return;
  }
  if (groups > kViewMaxGroups) {
    AddProblem(problems, kMsgIndexTooManyGroups, groups, kViewMaxGroups);
    CloseIn(in);
    return;
  }
  if (U16(top, 75) != 2 || U8(top, 77) != (groups & 0xFF)) {
    AddProblem(problems, kMsgIndexTop, U16(top, 75), U8(top, 77), groups);
  }
  for (int k = 0; k < groups; ++k) {
    IndexGroupRecord& g = index.groups[k];
    const long offset = static_cast<long>(k + 2) * kIndexRecordBytes;
    if (!ReadAt(in, offset, g.raw, kIndexRecordBytes)) {
      AddProblem(problems, kMsgCannotRead, name, offset);
      CloseIn(in);
      return;
    }
    DecodeIndexGroup(g);
    index.groupCount = k + 1;
  }
  for (int j = 0; j < index.headerFolders; ++j) {
    IndexFolderRecord& f = index.folders[j];
    const long offset = static_cast<long>(j + 2 + groups) * kIndexRecordBytes;
    if (!ReadAt(in, offset, f.raw, kIndexRecordBytes)) {
      AddProblem(problems, kMsgCannotRead, name, offset);
      break;
    }
    DecodeIndexFolder(f);
    index.folderCount = j + 1;
  }
  CloseIn(in);
  index.present = true;
  CheckIndexGroups(index, problems);
  CheckIndexFolders(folders, index, problems);
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
