// A folder's RENFIL04.LOG made of fuzz bytes, read back and looked up.
#include <cstdint>
#include <cstring>
#include <memory>

#include "fuzz/fuzz_support.h"
#include "rename/rename_log.h"
#include "state/run_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  EnterPrivateCard("file_rename_log");
  static std::unique_ptr<RunState> state = std::make_unique<RunState>();

  std::memset(state.get(), 0, sizeof *state);
  WriteCardFile("\\F\\RENFIL04.LOG", data, size);
  FUZZ_CHECK(ReadFileRenameLog(*state, "\\F"));
  FUZZ_CHECK(state->fileRenameCount >= 0 && state->fileRenameCount <= kNameTableRows);
  for (int i = 0; i < state->fileRenameCount; ++i) {
    const NameRecord& row = state->fileRenameTable[i];
    FUZZ_CHECK(BoundedLength(row.shortName, sizeof row.shortName) < sizeof row.shortName);
    FUZZ_CHECK(row.title[0] == 0);  // ends a longName of all 129 bytes
  }

  auto out = std::make_unique<char[]>(257);
  for (const char* name : {"001.MP3", "002.MP3", "001.mp3", ""}) {
    FindPreRenameName(*state, name, out.get());
    FUZZ_CHECK(BoundedLength(out.get(), 257) <= 256);
  }
  for (int i = 0; i < state->fileRenameCount && i < 8; ++i) {
    char shortName[16];
    std::memcpy(shortName, state->fileRenameTable[i].shortName, sizeof shortName);
    FUZZ_CHECK(FindPreRenameName(*state, shortName, out.get()));
    FUZZ_CHECK(BoundedLength(out.get(), 257) <= 129);
  }
  return 0;
}
