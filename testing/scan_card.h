// A temporary card for the library scan's tests: a TempCard, a RunState
// for one player model, a temporary directory of its own for the work
// files, and a work log that the test can read back.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "driver/run_state.h"
#include "testing/temp_card.h"

class ScanCard {
 public:
  explicit ScanCard(int model, int titleRule = 0);
  ~ScanCard();
  ScanCard(const ScanCard&) = delete;
  ScanCard& operator=(const ScanCard&) = delete;

  RunState& state() { return *state_; }

  // Gives state() the test font set (testing/fontx_builder.h). The fonts
  // are loaded once per test program and shared, as loading takes long
  // under the sanitizers; they are never freed, as in the program.
  // Returns false when they could not be loaded.
  bool UseTestFonts();
  const TempCard& card() const { return card_; }

  // What was written to the work log so far (code page 932, CR LF).
  std::string WorkLog() const;

  // A folder path as the folder listing gives it on this host
  // ("\MUSIC\A" for "MUSIC/A" on POSIX, with the card root's drive and
  // path before it on Windows; code page 932 from UTF-8).
  static std::string ListedPath(const std::string& relativeUtf8);

  // What the listing puts before a folder's path below the card root once
  // the drive is taken off: "" on POSIX, the card root's own folder path
  // on Windows (a test card is not a drive root there).
  static std::string PathPrefix();

  // Writes a rename log (UTF-16LE with its byte-order mark, CR LF) holding
  // the given UTF-8 lines, into the folder given relative to the card.
  void WriteRenameLog(const std::string& relativePath, const std::string& lines) const;

 private:
  TempCard card_;
  std::unique_ptr<RunState> state_;
  std::filesystem::path work_;
};
