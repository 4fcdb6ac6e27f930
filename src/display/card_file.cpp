#include "display/card_file.h"

#include "base/console.h"
#include "display/messages.h"
#include "platform/host.h"

bool CreateCardFile(CardFile& out, const char* name) {
  out = CardFile{HostOpen(name, "wb"), name, false};
  if (out.file == nullptr) {
    ConsolePrintf(kMsgCannotCreate, name);
    return false;
  }
  return true;
}

void WriteCardBytes(CardFile& out, const void* bytes, int count) {
  if (count <= 0) return;
  if (std::fwrite(bytes, 1, static_cast<size_t>(count), out.file) != static_cast<size_t>(count)) {
    out.failed = true;
  }
}

bool CloseCardFile(CardFile& out) {
  if (std::fclose(out.file) != 0) out.failed = true;
  out.file = nullptr;
  if (out.failed) ConsolePrintf(kMsgCannotWrite, out.name);
  return !out.failed;
}
