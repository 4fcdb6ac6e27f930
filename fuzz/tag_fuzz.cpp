// The ID3 tag reader (ID3v2 frames, then ID3v1) on an MP3 file of fuzz bytes.
#include <cstdint>
#include <cstring>
#include <memory>

#include "fuzz/fuzz_support.h"
#include "scan/tag_reader.h"
#include "text/sjis.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  EnterPrivateCard("tag");
  WriteCardFile("\\F\\001.MP3", data, size);
  // Exactly the 257 bytes a title may use, on the heap.
  auto title = std::make_unique<char[]>(257);
  std::memset(title.get(), 'x', 257);
  FUZZ_CHECK(ReadId3Title("\\F\\001.MP3", title.get()));
  size_t length = BoundedLength(title.get(), 257);
  FUZZ_CHECK(length <= 256);
  // Never half a double-byte character at the end.
  FUZZ_CHECK(SjisCutLength(title.get(), static_cast<int>(length)) == static_cast<int>(length));
  return 0;
}
