// Failure lines of the rename pass: one line on the console and the same
// line in the work log, and the run-level flag that ends the run after the
// pass.
#pragma once

struct RunState;

constexpr int kReportArgBytes = 1100;  // a path and a name of the host's longest

// A wide path or name as a code page 932 argument for a message.
struct ReportArg {
  char text[kReportArgBytes];
};
const char* ReportText(ReportArg& arg, const char16_t* wide);
// folder\name, as the message shows it (no length limit of its own).
const char* ReportPath(ReportArg& arg, const char16_t* folder, const char16_t* name);

// Formats a code page 932 message (ending in '\n') from one of the rename
// messages, prints it on the console cut to 255 bytes (the line end kept),
// writes it whole to the work log, and sets renameFailed.
void ReportRenameFailure(RunState& state, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
