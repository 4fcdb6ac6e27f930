// A temporary card for the library scan's tests: a TempCard, a RunState for
// one model, a folder of its own for the work files, and a readable work log.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "driver/run_state.h"
#include "testing/rename_card.h"
#include "testing/temp_card.h"

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

  // A folder's path as the listing gives it ("\MUSIC\A" for "MUSIC/A" on
  // POSIX; with the card root's drive and path before it on Windows).
  static std::string ListedPath(const std::string& relativeUtf8);
  // The part of a listed path before the card's folders, drive taken off:
  // "" on POSIX, the card root's own path on Windows.
  static std::string PathPrefix();

 private:
  TempCard card_;
  std::unique_ptr<RunState> state_;
  std::filesystem::path work_;
};
