#include "base/work_log.h"

#include <cstdio>

#include "state/run_state.h"

void WriteWorkLog(RunState& state, const char* text) {
  if (state.workLog == nullptr) return;
  for (const char* p = text; *p != 0; ++p) {
    if (*p == '\n') std::fputc('\r', state.workLog);
    std::fputc(static_cast<unsigned char>(*p), state.workLog);
  }
}
