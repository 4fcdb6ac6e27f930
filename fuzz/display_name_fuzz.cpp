// The display-name file of a folder made of fuzz bytes, and the lookup of track titles through it.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/fuzz_support.h"
#include "scan/messages.h"
#include "scan/title_sources.h"
#include "state/run_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  EnterPrivateCard("display_name");
  static std::unique_ptr<RunState> state = std::make_unique<RunState>();
  static const std::string path = std::string("\\F\\") + kDisplayNameFile;

  std::memset(state.get(), 0, sizeof *state);
  WriteCardFile(path.c_str(), data, size);
  FUZZ_CHECK(ReadDisplayNameFile(*state, "\\F"));
  FUZZ_CHECK(state->displayNameCount >= 0 && state->displayNameCount <= kNameTableRows);
  for (int i = 0; i < state->displayNameCount; ++i) {
    const NameRecord& row = state->displayNameTable[i];
    FUZZ_CHECK(row.shortName[0] == 0);
    FUZZ_CHECK(BoundedLength(row.longName, sizeof row.longName) < sizeof row.longName);
    FUZZ_CHECK(BoundedLength(row.title, sizeof row.title) < sizeof row.title);
  }

  // A rename log naming the first rows' files and one file no row names: every lookup path taken.
  int named = state->displayNameCount < 8 ? state->displayNameCount : 8;
  for (int i = 0; i <= named; ++i) {
    NameRecord& row = state->fileRenameTable[i];
    std::snprintf(row.shortName, sizeof row.shortName, "%03d.MP3", i + 1);
    if (i < named) {
      std::memcpy(row.longName, state->displayNameTable[i].longName, sizeof row.longName);
    } else {
      std::strcpy(row.longName, "not in the file.mp3");
    }
  }
  state->fileRenameCount = named + 1;
  for (int i = 0; i <= named + 1; ++i) {
    char shortName[16];
    std::snprintf(shortName, sizeof shortName, "%03d.MP3", i + 1);
    auto title = std::make_unique<char[]>(257);
    auto preRename = std::make_unique<char[]>(257);
    int found = LookUpTrackNames(*state, shortName, title.get(), preRename.get());
    FUZZ_CHECK(found == 0 || found == 1);
    FUZZ_CHECK(BoundedLength(title.get(), 257) <= 256);
    FUZZ_CHECK(BoundedLength(preRename.get(), 257) <= 256);
    if (!found) FUZZ_CHECK(title[0] == 0);
  }
  return 0;
}
