// Temporary cards with a run state (work log a temporary file) for the rename pass and the scan.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "rename/rename_pass.h"
#include "state/run_state.h"
#include "testing/temp_card.h"

// What a work log stream holds so far; the stream stays open for writing.
std::string WorkLogSoFar(std::FILE* log);

class RenameCard : public TempCard {
 public:
  explicit RenameCard(int model = 8);
  ~RenameCard();

  RunState& state() { return *state_; }
  // Runs the pass on the card root as the driver gives it ("\" on POSIX, "C:\..." on Windows) or on
  // a folder below it ("SUB\\"); returns what it printed (UTF-8).
  std::string Run(const std::string& folder = "");
  // A card path ("\A\B") as the pass shows it.
  std::string Shown(const std::string& path) const { return shownRoot_ + path; }
  // The work log so far (code page 932, CR LF).
  std::string WorkLog() const { return WorkLogSoFar(state_->workLog); }

 private:
  std::unique_ptr<RunState> state_;
  std::u16string root_;    // ends with a backslash
  std::string shownRoot_;  // the root without it, UTF-8
};

// UTF-8 text ('\n' line ends) as a log's bytes: FF FE, UTF-16LE, CR LF.
std::string Utf16Log(const std::string& text);
// A log's lines as UTF-8: UTF-16LE (after FF FE, if any) or UTF-8 after EF BB BF.
std::vector<std::string> LogLines(const std::string& bytes);

// For the library scan's tests: a TempCard, a RunState for one model and a work folder of its own.
class ScanCard {
 public:
  explicit ScanCard(int model, int titleRule = 0);
  ~ScanCard();
  ScanCard(const ScanCard&) = delete;
  ScanCard& operator=(const ScanCard&) = delete;

  RunState& state() { return *state_; }
  const TempCard& card() const { return card_; }
  // The work log so far (code page 932, CR LF).
  std::string WorkLog() const { return WorkLogSoFar(state_->workLog); }

  // A folder's path as the listing gives it ("\MUSIC\A" for "MUSIC/A" on POSIX; with the card
  // root's drive and path before it on Windows).
  static std::string ListedPath(const std::string& relativeUtf8);
  // What comes before the card's folders in a listed path, drive taken off ("" on POSIX).
  static std::string PathPrefix();

 private:
  TempCard card_;
  std::unique_ptr<RunState> state_;
  std::filesystem::path work_;
};
