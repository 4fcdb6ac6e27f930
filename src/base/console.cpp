#include "base/console.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/host.h"

void ConsolePrintf(const char* format, ...) {
  char buf[2048];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  HostPrint(buf);
}

bool ConsoleReadAnswer(char* line) {
  if (!HostReadLine(line, kAnswerBytes)) return false;
  if (std::strchr(line, '\n') == nullptr) {
    char rest[kAnswerBytes];
    while (HostReadLine(rest, kAnswerBytes) && std::strchr(rest, '\n') == nullptr) {
    }
  }
  return true;
}
