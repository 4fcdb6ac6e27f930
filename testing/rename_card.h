// Test helpers for the rename pass: a temporary card with a run state whose
// work log is a temporary file, the pass's console output, and the
// rename logs decoded.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "driver/run_state.h"
#include "rename/rename_pass.h"
#include "testing/temp_card.h"

class RenameCard : public TempCard {
 public:
  explicit RenameCard(int model = 8);
  ~RenameCard();

  RunState& state() { return *state_; }

  // Runs the pass on the card root given as root (u"\\" by default) and
  // returns what it printed (UTF-8).
  std::string Run(const char16_t* root = u"\\") {
    testing::internal::CaptureStdout();
    RenameToShortNames(*state_, root);
    return testing::internal::GetCapturedStdout();
  }
  // The work log so far, as written (code page 932, CR LF).
  std::string WorkLog() const;

 private:
  std::unique_ptr<RunState> state_;
};

// UTF-8 text ('\n' line ends) as a log's bytes: FF FE, UTF-16LE, CR LF.
std::string Utf16Log(const std::string& text);

// Lines of text without their ends (LF or CR LF).
std::vector<std::string> SplitLines(const std::string& text);

// A log's lines as UTF-8 without their line ends; the file is read as
// UTF-16LE after FF FE, or UTF-8 after EF BB BF.
std::vector<std::string> LogLines(const std::string& bytes);
