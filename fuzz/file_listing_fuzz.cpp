// The track scan reading a file listing (FILLSTWK.TXT) of fuzz bytes for a
// folder that holds a few tracks, a rename log and a display-name file.
//
// Input: byte 0 chooses the model and the title rule, the rest is the
// listing.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "driver/run_state.h"
#include "fuzz/fuzz_support.h"
#include "rename/rename_log.h"
#include "scan/model_files.h"
#include "scan/title_sources.h"
#include "scan/track_scan.h"

namespace {

constexpr int kModels[] = {4, 6, 8, 10, 12};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& card = EnterPrivateCard("file_listing");
  static std::FILE* workLog = std::fopen("/dev/null", "wb");
  // Never freed, like the program's own: the fonts stay reachable to the
  // end, when the leak checker looks.
  static RunState* const state = [] {
    auto* s = new RunState();
    LoadFontsOnce(*s);
    MakeMusicFolders();
    return s;
  }();
  if (size == 0) return 0;

  ResetKeepingFonts(*state);
  state->playerModel = kModels[data[0] % 5];
  state->titleRule = (data[0] / 5) & 1;
  state->workLog = workLog;
  std::memcpy(state->workDir, card.c_str(), card.size() + 1);
  const std::string workFile = card + "\\FILLSTWK.TXT";
  WriteCardFile(workFile.c_str(), ConfineListing(data + 1, size - 1));

  // What ScanFolderTracks does before it lists the folder.
  ReadDisplayNameFile(*state, "\\M");
  ReadFileRenameLog(*state, "\\M");
  uint16_t count = ScanFileListing(*state, "\\M", workFile.c_str());
  FUZZ_CHECK(count <= 255);
  std::error_code ec;
  auto bytes = std::filesystem::file_size(card + "M/" + TrackListFileName(state->playerModel), ec);
  FUZZ_CHECK(!ec && bytes == static_cast<uintmax_t>(count) * TrackRecordSize(state->playerModel));
  RemoveScanOutput();
  return 0;
}
