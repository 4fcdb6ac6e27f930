// The index of card_reader.h: reading INDEX10.DAT and checking it against
// the folder list.
#include <cstring>

#include "view/card_reader.h"
#include "view/card_reading.h"
#include "view/messages.h"

namespace {

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

}  // namespace

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
