#include "view/card_reading.h"

#include <cstring>

#include "platform/host.h"
#include "view/messages.h"

bool OpenIn(const char* path, InFile& in) {
  in.file = HostOpen(path, "rb");
  in.size = 0;
  if (in.file == nullptr) return false;
  if (std::fseek(in.file, 0, SEEK_END) != 0 || (in.size = std::ftell(in.file)) < 0 ||
      std::fseek(in.file, 0, SEEK_SET) != 0) {
    std::fclose(in.file);
    in.file = nullptr;
    return false;
  }
  return true;
}

bool ReadAt(InFile& in, long offset, uint8_t* buf, int count) {
  if (offset < 0 || offset + count > in.size) return false;
  if (std::fseek(in.file, offset, SEEK_SET) != 0) return false;
  return std::fread(buf, 1, static_cast<size_t>(count), in.file) == static_cast<size_t>(count);
}

void CloseIn(InFile& in) {
  if (in.file != nullptr) std::fclose(in.file);
  in.file = nullptr;
}

bool OpenOrSay(const char* path, InFile& in, ProblemList* problems) {
  if (OpenIn(path, in)) return true;
  if (problems != nullptr) AddProblem(*problems, kMsgNotFound, path);
  return false;
}

long ReadWholeFile(const char* name, uint8_t* out, long size, ProblemList& problems) {
  InFile in;
  if (!OpenOrSay(name, in, &problems)) return -1;
  long got = -1;
  if (in.size != size) {
    AddProblem(problems, kMsgWrongSize, name, in.size, static_cast<int>(size));
  } else if (!ReadAt(in, 0, out, static_cast<int>(size))) {
    AddProblem(problems, kMsgCannotRead, name, 0L);
  } else {
    got = size;
  }
  CloseIn(in);
  return got;
}

void TextField(const uint8_t* raw, int offset, int width, char* out) {
  int i = 0;
  for (; i < width && raw[offset + i] != 0; ++i) out[i] = static_cast<char>(raw[offset + i]);
  out[i] = 0;
}

void PaddedField(const uint8_t* raw, int offset, int width, char* out) {
  TextField(raw, offset, width, out);
  for (int n = static_cast<int>(std::strlen(out)); n > 0 && out[n - 1] == ' '; --n) out[n - 1] = 0;
}
