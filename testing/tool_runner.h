// Runs the real cardprep binary on a card, as a user would: answers fed to
// standard input, standard output captured. No shell is involved.
#pragma once

#include <string>
#include <vector>

struct ToolResult {
  int status = -1;     // exit status, or -1 when it did not exit normally
  int signal = 0;      // the signal that ended it, if one did
  std::string output;  // standard output and standard error, as printed
};

// Runs program with the given arguments in workingDir, standard input
// from the input text; with interruptAfterUs >= 0 (POSIX only) it gets
// SIGINT that many microseconds after it started (SIGKILL with kill).
ToolResult RunTool(const std::string& program, const std::vector<std::string>& args,
                   const std::string& workingDir, const std::string& input,
                   long interruptAfterUs = -1, bool kill = false);

// The cardprep binary of this build, run in workingDir.
ToolResult RunCardprep(const std::string& workingDir, const std::string& input,
                       long interruptAfterUs = -1, bool kill = false);
