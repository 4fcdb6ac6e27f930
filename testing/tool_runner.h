// Runs the real cardprep binary on a card, as a user would: answers fed to
// standard input, standard output captured. No shell is involved.
#pragma once

#include <string>
#include <vector>

struct ToolResult {
  int status = -1;     // exit status, or -1 when it did not exit normally
  int signal = 0;      // the signal that ended it, if one did
  std::string output;  // standard output and standard error, as printed (UTF-8)
};

// The signal a killed run reports on POSIX (SIGKILL).
constexpr int kKilledSignal = 9;

// Runs program with the arguments in workingDir, standard input from the input text, its
// temporary folder (TMPDIR; TMP and TEMP on Windows) tempDir or else a fresh one of its own.
ToolResult RunTool(const std::string& program, const std::vector<std::string>& args,
                   const std::string& workingDir, const std::string& input,
                   const std::string& tempDir = "");
