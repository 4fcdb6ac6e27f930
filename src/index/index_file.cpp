#include "index/index_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/console.h"
#include "font/title_render.h"
#include "index/index_steps.h"
#include "index/messages.h"
#include "platform/host.h"
#include "state/run_state.h"
#include "text/record.h"

namespace {

constexpr int kRecordBytes = 512;
constexpr int kImageBytes = 128;  // one page of a title image
constexpr int kPathFieldBytes = 61;

struct IndexFile {
  std::FILE* file;
  bool failed;
};

void WriteRecord(IndexFile& out, const uint8_t* record) {
  if (std::fwrite(record, 1, kRecordBytes, out.file) != kRecordBytes) out.failed = true;
}

// The index's titles are two-line images, whatever the model's own.
void RenderIndexTitle(RunState& state, const char* text) {
  RenderTitle(state, state, TitleLayout::kTwoLines, text, nullptr);
}

void PutTitleImages(Record& r, const RunState& state) {
  PutBytes(r, state.imagePlaneA, kImageBytes);
  PutBytes(r, state.imagePlaneB, kImageBytes);
  PutBytes(r, state.imagePlaneC, kImageBytes);
}

void WriteHeader(IndexFile& out, int groups, int folders) {
  uint8_t buf[kRecordBytes];
  Record r = StartRecord(buf, kRecordBytes);
  PutU16LE(r, groups + folders);  // records after the top record
  PutU16LE(r, folders);
  PutZeros(r, 508);
  WriteRecord(out, buf);
}

void WriteTopRecord(IndexFile& out, int groups) {
  uint8_t buf[kRecordBytes];
  Record r = StartRecord(buf, kRecordBytes);
  PutZeros(r, kPathFieldBytes);
  PutU8(r, 0);       // path length
  PutZeros(r, 13);   // short name
  PutU16LE(r, 2);    // record of the first group
  PutU8(r, groups);  // entries below the top
  PutU16LE(r, 1);
  PutU16LE(r, 1);
  PutU16LE(r, 0);
  PutU8(r, 0);
  PutZeros(r, 33);  // title
  PutZeros(r, 10);
  PutZeros(r, 3 * kImageBytes);
  WriteRecord(out, buf);
}

void WriteGroupRecord(IndexFile& out, RunState& state, int k) {
  const IndexGroup& group = state.indexGroups[k];
  ConsolePrintf(kMsgIndexCharacter, group.character);
  RenderIndexTitle(state, group.character);

  uint8_t buf[kRecordBytes];
  Record r = StartRecord(buf, kRecordBytes);
  PutZeros(r, kPathFieldBytes);
  PutU8(r, 0);
  PutBytes(r, group.character, sizeof group.character);
  PutU8(r, group.folderCount);
  PutU16LE(r, group.firstPosition);
  if (k + 1 < state.indexCount) {
    PutBytes(r, state.indexGroups[k + 1].character, 2);
  } else {
    PutZeros(r, 2);
  }
  PutU16LE(r, group.firstPosition + state.indexCount + 2);  // record of its first folder
  PutU8(r, group.folderCount);
  PutU16LE(r, 1);
  PutU16LE(r, 1);
  PutU16LE(r, 0);
  PutU8(r, 0);
  PutText(r, group.character, 33, ' ');
  PutZeros(r, 10);
  PutTitleImages(r, state);
  WriteRecord(out, buf);
}

void WriteFolderRecord(IndexFile& out, RunState& state, const DirectoryEntry& row) {
  RenderIndexTitle(state, row.displayName);

  uint8_t buf[kRecordBytes];
  Record r = StartRecord(buf, kRecordBytes);
  PutText(r, row.path, kPathFieldBytes);
  PutU8(r, std::min<unsigned>(std::strlen(row.path), kPathFieldBytes));  // path length
  PutText(r, row.shortName, 12, ' ');
  PutU8(r, 0);
  PutU16LE(r, 0);
  PutU8(r, 0);
  PutU16LE(r, row.indexGroup + 1u);  // group number counted from 1
  PutU16LE(r, 1);
  PutU16LE(r, 0);
  PutU8(r, row.trackCount & 0xFF);
  PutText(r, row.displayName, 32);
  PutU8(r, 0);
  PutZeros(r, 10);
  PutTitleImages(r, state);
  WriteRecord(out, buf);
}

}  // namespace

void BuildIndexFile(RunState& state) {
  SortDirectoryCopy(state);
  MarkNamesakes(state);
  ExtendNamesakeTitles(state);
  const int folders = BuildIndexGroups(state);

  const char* fileName = ModelProfileOf(state.playerModel).indexFile;
  if (fileName == nullptr) return;
  IndexFile out{HostOpen(fileName, "wb"), false};
  if (out.file == nullptr) {
    ConsolePrintf(kMsgCannotCreate, fileName);
    state.writeFailed = true;
    return;
  }
  ConsolePrintf(kMsgIndexCount, state.indexCount);
  WriteHeader(out, state.indexCount, folders);
  WriteTopRecord(out, state.indexCount);
  for (int k = 0; k < state.indexCount; ++k) WriteGroupRecord(out, state, k);

  const int rows = DirectoryRowsInUse(state);
  int written = 0;
  for (int i = 0; i < rows && written < folders; ++i) {
    const DirectoryEntry& row = state.sortedDirectories[i];
    if (row.trackCount == 0) continue;
    WriteFolderRecord(out, state, row);
    ++written;
  }
  if (std::fclose(out.file) != 0) out.failed = true;
  if (out.failed) {
    ConsolePrintf(kMsgCannotWrite, fileName);
    state.writeFailed = true;
  }
}
