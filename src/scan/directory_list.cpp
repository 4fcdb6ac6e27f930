#include "scan/directory_list.h"

#include <cstdio>
#include <cstring>

#include "base/console.h"
#include "font/title_render.h"
#include "model/model_profile.h"
#include "platform/host.h"
#include "scan/messages.h"
#include "state/run_state.h"
#include "text/record.h"

namespace {

constexpr int kMaxRecordBytes = 1280;
constexpr int kPathFieldBytes = 61;
constexpr int kMaxChildCount = 255;

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
  const ModelProfile& profile = ModelProfileOf(state.playerModel);
  const TitleImage image =
      RenderTitle(state, state, profile.titles, row.displayName, state.folderStripImage);

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

  if (profile.titles == TitleLayout::kOneLine) {
    PutU16LE(r, static_cast<unsigned>(image.width) & 0xFFFF);
    PutU8(r, static_cast<unsigned>(image.layout));
    PutZeros(r, 7);
    PutBytes(r, state.imagePlaneA, 512);
    PutBytes(r, state.imagePlaneB, 512);
    PutBytes(r, state.folderStripImage, 128);
  } else if (profile.titles == TitleLayout::kTwoLines) {
    PutZeros(r, 10);
    PutBytes(r, state.imagePlaneA, 128);
    PutBytes(r, state.imagePlaneB, 128);
    PutBytes(r, state.imagePlaneC, 128);
  } else {
    PutZeros(r, 10);
  }
}

}  // namespace

bool WriteDirectoryList(RunState& state) {
  const ModelProfile& profile = ModelProfileOf(state.playerModel);
  const char* fileName = profile.folderList;
  int size = profile.folderRecord;
  std::FILE* file = HostOpen(fileName, "wb");
  if (file == nullptr) {
    ConsolePrintf(kMsgCannotCreate, fileName);
    state.writeFailed = true;
    return false;
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
    state.writeFailed = true;
  }
  return ok;
}
