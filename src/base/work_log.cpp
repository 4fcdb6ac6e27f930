#include "base/work_log.h"

#include <cstdio>

#include "state/run_settings.h"

void WriteWorkLog(WorkLogFile& log, const char* text) {
  if (log.workLog == nullptr) return;
  for (const char* p = text; *p != 0; ++p) {
    if (*p == '\n') std::fputc('\r', log.workLog);
    std::fputc(static_cast<unsigned char>(*p), log.workLog);
  }
}
