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

// What a failure of the rename pass calls for, as bits of renameCauses: the
// run's last lines advise renaming by hand only where that helps.
enum RenameCause : int {
  kCauseByHand = 1,       // a name the pass cannot take or give: rename it by hand
  kCauseTooMany = 2,      // more than 255 MP3 files or subfolders in a folder
  kCauseCardFull = 4,     // a rename log could not be written
  kCauseNumberTaken = 8,  // a track's number is taken by a file sorting after it
  kCauseUnreadable = 16,  // a folder that cannot be listed
};

// Formats a code page 932 message (ending in '\n') from one of the rename
// messages, prints it on the console cut to 255 bytes (the line end kept),
// writes it whole to the work log, sets renameFailed and adds the cause the
// message stands for (kCauseByHand unless the message says another).
void ReportRenameFailure(RunState& state, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// The MP3 message for a track whose new number is another file's name.
void ReportNumberTaken(RunState& state, const char* path);
