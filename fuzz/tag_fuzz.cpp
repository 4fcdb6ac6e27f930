// The ID3v2 tag reader on an MP3 file of fuzz bytes.
#include <cstdint>
#include <cstdio>
#include <memory>

#include "state/run_state.h"
#include "fuzz/fuzz_support.h"
#include "scan/title_sources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  EnterPrivateCard("tag");
  static std::unique_ptr<RunState> state = std::make_unique<RunState>();
  static std::FILE* const workLog = std::fopen("/dev/null", "wb");  // the reader's lines go nowhere
  state->workLog = workLog;

  WriteCardFile("\\F\\001.MP3", data, size);
  // Exactly the 257 bytes a title may use, on the heap.
  auto title = std::make_unique<char[]>(257);
  title[0] = 'x';
  ReadTagTitle(*state, "\\F", "001.MP3", title.get());
  FUZZ_CHECK(BoundedLength(title.get(), 257) <= 256);
  return 0;
}
