#include "scan/directory_list.h"

#include <cstdio>
#include <cstring>

#include "base/console.h"
#include "driver/run_state.h"
#include "font/oled_render.h"
#include "font/renderers.h"
#include "platform/host.h"
#include "scan/messages.h"
#include "scan/model_files.h"
#include "text/record.h"

namespace {

constexpr int kMaxRecordBytes = 1280;
constexpr int kPathFieldBytes = 61;
constexpr int kMaxChildCount = 255;

// Renders the row's title into the image buffers for the model.
void RenderFolderTitle(RunState& state, const DirectoryEntry& row, int32_t& layout,
                       int32_t& width) {
  int model = state.playerModel;
  int length = static_cast<int>(std::strlen(row.displayName));
  layout = 0;
  width = 0;
  if (model == 8) {
    std::memset(state.imagePlaneA, 0, sizeof state.imagePlaneA);
    std::memset(state.imagePlaneB, 0, sizeof state.imagePlaneB);
    MakeOLEDdataOfString(state, row.displayName, length, layout, width);
    std::memset(state.folderStripImage, 0, sizeof state.folderStripImage);
    MakeStripDataOfString(state, state.folderStripImage, row.displayName, length);
  } else if (IsTwoLineModel(model)) {
    std::memset(state.imagePlaneA, 0, 128);
    std::memset(state.imagePlaneB, 0, 128);
    std::memset(state.imagePlaneC, 0, 128);
    MakeTwoLineDataOfString(state, state.imagePlaneA, state.imagePlaneB, state.imagePlaneC, 128,
                            row.displayName);
  }
}

// Names each subfolder of row rowIndex past the first kMaxChildCount: the
// player reaches none of them.
void ReportChildrenLeftOut(RunState& state, int rowIndex) {
  int seen = 0;
  for (int k = 1; k < state.directoryCount && k < kMaxDirectories; ++k) {
    if (k == rowIndex || state.directories[k].parent != rowIndex) continue;
    if (++seen <= kMaxChildCount) continue;
    ConsolePrintf(kMsgChildLeftOut, state.directories[k].listedPath);
    ++state.foldersLeftOut;
  }
}

void BuildFolderRecord(RunState& state, int rowIndex, Record& r) {
  const DirectoryEntry& row = state.directories[rowIndex];
  int childCount = row.childCount;
  if (childCount > kMaxChildCount) {
    ConsolePrintf(kMsgSubfolderLimit, row.path, childCount);
    ReportChildrenLeftOut(state, rowIndex);
    childCount = kMaxChildCount;
  }
  int32_t layout = 0, width = 0;
  RenderFolderTitle(state, row, layout, width);

  PutText(r, row.path, kPathFieldBytes);
  PutU8(r, static_cast<unsigned>(std::strlen(row.path)));
  PutText(r, row.shortName, 12, ' ');
  PutU8(r, 0);
  PutU16LE(r, row.firstChild == 0 ? 0 : row.firstChild + 1u);
  PutU8(r, static_cast<unsigned>(childCount));
  PutU16LE(r, row.parent + 1u);
  PutU16LE(r, row.grandparent + 1u);
  PutU16LE(r, row.nextRandom);
  PutU8(r, row.trackCount);
  PutText(r, row.displayName, 32);
  PutU8(r, 0);

  int model = state.playerModel;
  if (model == 8) {
    PutU16LE(r, static_cast<unsigned>(width) & 0xFFFF);
    PutU8(r, static_cast<unsigned>(layout));
    PutZeros(r, 7);
    PutBytes(r, state.imagePlaneA, 512);
    PutBytes(r, state.imagePlaneB, 512);
    PutBytes(r, state.folderStripImage, 128);
  } else if (IsTwoLineModel(model)) {
    PutZeros(r, 10);
    PutBytes(r, state.imagePlaneA, 128);
    PutBytes(r, state.imagePlaneB, 128);
    PutBytes(r, state.imagePlaneC, 128);
  } else {
    PutZeros(r, 10);
  }
}

}  // namespace

int WriteDirectoryList(RunState& state) {
  const char* fileName = DirectoryListFileName(state.playerModel);
  int size = DirectoryRecordSize(state.playerModel);
  std::FILE* file = HostOpen(fileName, "wb");
  if (file == nullptr) {
    ConsolePrintf(kMsgCannotCreate, fileName);
    state.writeFailed = 1;
    return 1;
  }
  uint8_t buf[kMaxRecordBytes];
  bool ok = true;
  auto put = [&](const uint8_t* bytes) {
    if (ok && std::fwrite(bytes, 1, static_cast<size_t>(size), file) != static_cast<size_t>(size)) {
      ok = false;
    }
  };

  Record header = StartRecord(buf, size);
  PutU16LE(header, state.directoryCount);
  PutU16LE(header, state.randomCount);
  put(buf);

  int rows = state.directoryCount > kMaxDirectories ? kMaxDirectories : state.directoryCount;
  for (int r = 0; r < rows; ++r) {
    Record record = StartRecord(buf, size);
    BuildFolderRecord(state, r, record);
    put(buf);
  }
  if (std::fclose(file) != 0) ok = false;
  if (!ok) {
    ConsolePrintf(kMsgCannotWrite, fileName);
    state.writeFailed = 1;
  }
  return 1;
}
