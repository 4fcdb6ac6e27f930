// The directory scan on a fuzz folder listing, then the random order, folder list and index.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "fuzz/fuzz_support.h"
#include "index/index_file.h"
#include "model/model_profile.h"
#include "scan/directory_list.h"
#include "scan/directory_scan.h"
#include "scan/random_order.h"
#include "state/run_state.h"

namespace {

// What the rest of the run relies on in the directory table.
void CheckDirectoryTable(const RunState& state) {
  const int count = state.directoryCount;
  FUZZ_CHECK(count >= 1 && count <= kMaxDirectories);
  FUZZ_CHECK(state.randomCount <= count - 1);
  FUZZ_CHECK(state.directories[0].path[0] == 0 && state.directories[0].parent == 0);
  int children = 0;
  int withTracks = 0;
  for (int i = 0; i < count; ++i) {
    const DirectoryEntry& row = state.directories[i];
    children += row.childCount;
    if (row.childCount > 0) FUZZ_CHECK(row.firstChild > i && row.firstChild < count);
    if (i == 0) continue;
    FUZZ_CHECK(row.parent < i);
    FUZZ_CHECK(row.grandparent == (row.parent == 0 ? 0 : state.directories[row.parent].parent));
    FUZZ_CHECK(BoundedLength(row.listedPath, sizeof row.listedPath) < sizeof row.listedPath);
    FUZZ_CHECK(BoundedLength(row.path, sizeof row.path) <= kMaxPathBytes);
    FUZZ_CHECK(row.shortName[0] != 0 && row.shortName[12] == 0);
    FUZZ_CHECK(row.displayName[0] != 0 && row.displayName[32] == 0);
    FUZZ_CHECK(row.sortKey[32] == 0 && row.parentDisplayName[32] == 0);
    FUZZ_CHECK(row.trackCount <= 255);
    if (row.trackCount > 0) ++withTracks;
  }
  FUZZ_CHECK(children == count - 1);
  FUZZ_CHECK(withTracks == state.randomCount);
  for (int k = 0; k < state.randomCount; ++k) {
    int row = state.randomList[k];
    FUZZ_CHECK(row >= 1 && row < count && state.directories[row].trackCount > 0);
  }
}

// The play chain starts at the root, meets every folder with tracks once and closes on its first.
void CheckRandomChain(const RunState& state) {
  const int n = state.randomCount;
  int first = state.directories[0].nextRandom;
  if (n == 0) {
    FUZZ_CHECK(first == 0);
    return;
  }
  static bool seen[kMaxDirectories];
  std::memset(seen, 0, sizeof seen);
  int row = first;
  for (int k = 0; k < n; ++k) {
    FUZZ_CHECK(row >= 1 && row < state.directoryCount && !seen[row]);
    FUZZ_CHECK(state.directories[row].trackCount > 0);
    seen[row] = true;
    row = state.directories[row].nextRandom;
  }
  FUZZ_CHECK(row == first);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string workFile;
  RunState& state = StartListingInput("directory_listing", "DIRLSTWK.TXT", data, size, workFile);
  FUZZ_CHECK(ReadDirectoryListing(state, workFile.c_str()) == 1);
  CheckDirectoryTable(state);
  MakeRandomOrderSeeded(state, static_cast<uint32_t>(size));
  CheckRandomChain(state);
  WriteDirectoryList(state);
  std::error_code ec;
  auto bytes = std::filesystem::file_size(ModelProfileOf(state.playerModel).folderList, ec);
  FUZZ_CHECK(!ec && bytes == static_cast<uintmax_t>(state.directoryCount + 1) *
                                 ModelProfileOf(state.playerModel).folderRecord);
  if (ModelProfileOf(state.playerModel).indexFile != nullptr) BuildIndexFile(state);
  return 0;
}
