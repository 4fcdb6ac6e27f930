#include "rename/rename_report.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "base/work_log.h"
#include "platform/host.h"
#include "rename/messages.h"
#include "state/run_state.h"
#include "text/sjis.h"

namespace {

constexpr int kConsoleLineBytes = 255;

// The cause a message stands for; messages are told apart by their text,
// each translation unit having its own copy of them.
RenameCause CauseOf(const char* format) {
  const struct {
    const char* message;
    RenameCause cause;
  } kCauses[] = {{kMsgTooManyMp3, kCauseTooMany},
                 {kMsgTooManyFolders, kCauseTooMany},
                 {kMsgFileLogUnwritable, kCauseCardFull},
                 {kMsgFileLogWriteFailed, kCauseCardFull},
                 {kMsgFolderLogWriteFailed, kCauseCardFull},
                 {kMsgFolderNotListed, kCauseUnreadable}};
  for (const auto& c : kCauses) {
    if (std::strcmp(format, c.message) == 0) return c.cause;
  }
  return kCauseByHand;
}

void Report(RunState& state, RenameCause cause, const char* format, va_list args) {
  char message[2 * kReportArgBytes + 256];
  std::vsnprintf(message, sizeof message, format, args);
  WriteWorkLog(state, message);

  char line[kConsoleLineBytes + 1];
  int length = static_cast<int>(std::strlen(message));
  if (length <= kConsoleLineBytes) {
    std::memcpy(line, message, static_cast<size_t>(length) + 1);
  } else {
    // Cut at a character boundary and keep the line end, so the next
    // line does not run on.
    int cut = SjisCutLength(message, kConsoleLineBytes - 1);
    std::memcpy(line, message, static_cast<size_t>(cut));
    line[cut] = '\n';
    line[cut + 1] = 0;
  }
  HostPrint(line);
  state.renameFailed = true;
  state.renameCauses |= cause;
}

void ReportAs(RunState& state, RenameCause cause, const char* format, ...) {
  va_list args;
  va_start(args, format);
  Report(state, cause, format, args);
  va_end(args);
}

}  // namespace

const char* ReportText(ReportArg& arg, const char16_t* wide) {
  HostWideToCp932(wide, arg.text, kReportArgBytes);
  return arg.text;
}

const char* ReportPath(ReportArg& arg, const char16_t* folder, const char16_t* name) {
  int n = HostWideToCp932(folder, arg.text, kReportArgBytes);
  if (n + 1 < kReportArgBytes) {
    arg.text[n++] = '\\';
    HostWideToCp932(name, arg.text + n, kReportArgBytes - n);
  }
  return arg.text;
}

void ReportRenameFailure(RunState& state, const char* format, ...) {
  va_list args;
  va_start(args, format);
  Report(state, CauseOf(format), format, args);
  va_end(args);
}

void ReportNumberTaken(RunState& state, const char* path) {
  ReportAs(state, kCauseNumberTaken, kMsgMp3RenameFailed, path);
}
