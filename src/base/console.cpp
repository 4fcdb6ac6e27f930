#include "base/console.h"

#include <cstdarg>
#include <cstdio>

#include "platform/host.h"

void ConsolePrintf(const char* format, ...) {
  char buf[2048];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  HostPrint(buf);
}
