// The track scan on a fuzz file listing for a folder of tracks, a rename log and display names.
#include <cstdint>
#include <filesystem>
#include <string>

#include "fuzz/fuzz_support.h"
#include "model/model_profile.h"
#include "rename/rename_log.h"
#include "scan/title_sources.h"
#include "scan/track_scan.h"
#include "state/run_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string workFile;
  RunState& state = StartListingInput("file_listing", "FILLSTWK.TXT", data, size, workFile);
  // What ScanFolderTracks does before it lists the folder.
  ReadDisplayNameFile(state, "\\M");
  ReadFileRenameLog(state, "\\M");
  uint16_t count = ScanFileListing(state, "\\M", workFile.c_str());
  FUZZ_CHECK(count <= 255);
  std::error_code ec;
  auto bytes = std::filesystem::file_size(
      std::string("M/") + ModelProfileOf(state.playerModel).trackList, ec);
  FUZZ_CHECK(!ec && bytes == static_cast<uintmax_t>(count) *
                                 ModelProfileOf(state.playerModel).trackRecord);
  return 0;
}
