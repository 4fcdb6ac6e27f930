// A folder's RENDIR04.LOG made of fuzz bytes, read back as its title.
#include <cstdint>
#include <memory>

#include "fuzz/fuzz_support.h"
#include "rename/rename_log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  EnterPrivateCard("folder_rename_log");
  WriteCardFile("\\F\\RENDIR04.LOG", data, size);
  // The caller's 33 zero bytes, exactly, on the heap.
  auto out = std::make_unique<char[]>(33);
  ReadFolderRenameLog("\\F", out.get());
  FUZZ_CHECK(BoundedLength(out.get(), 33) <= 32);
  return 0;
}
