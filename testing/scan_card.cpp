#include "testing/scan_card.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/host.h"
#include "testing/console_text.h"
#include "testing/fontx_builder.h"

ScanCard::ScanCard(int model, int titleRule) : state_(std::make_unique<RunState>()) {
  state_->playerModel = model;
  state_->titleRule = titleRule;
  work_ = card_.root();
  work_ += "-work";
  std::filesystem::create_directories(work_);
  std::string temp = work_.string() + "/";
  std::strncpy(state_->tempDir, temp.c_str(), sizeof state_->tempDir - 1);
  state_->workLog = std::tmpfile();
}

ScanCard::~ScanCard() {
  if (state_->workLog != nullptr) std::fclose(state_->workLog);
  std::error_code ec;
  std::filesystem::remove_all(work_, ec);
}

bool ScanCard::UseTestFonts() {
  static RunState* loaded = [] {
    auto* state = new RunState();  // kept for the whole test program
    TempCard fontCard;             // the current directory until it goes
    testing::internal::CaptureStdout();
    int ok = LoadTestFontSet(*state);
    GetCapturedConsole();
    if (ok != 1) {
      delete state;
      return static_cast<RunState*>(nullptr);
    }
    return state;
  }();
  if (loaded == nullptr) return false;
  RunState& s = *state_;
  s.full16Font = loaded->full16Font;
  s.half16Font = loaded->half16Font;
  s.full6x8Font = loaded->full6x8Font;
  s.half6x8Font = loaded->half6x8Font;
  s.full12Font = loaded->full12Font;
  s.half12Font = loaded->half12Font;
  s.half8Font = loaded->half8Font;
  s.full8Font = loaded->full8Font;
  return true;
}

std::string ScanCard::WorkLog() const {
  std::FILE* log = state_->workLog;
  if (log == nullptr) return {};
  std::fflush(log);
  long end = std::ftell(log);
  std::string out(static_cast<size_t>(end), '\0');
  std::rewind(log);
  size_t got = std::fread(out.data(), 1, out.size(), log);
  out.resize(got);
  std::fseek(log, 0, SEEK_END);
  return out;
}

namespace {

// The card root's own path as the folder listing prefixes it: the current
// directory with its drive on Windows ("C:\Temp\card"), nothing on POSIX,
// where the listing starts at the card root.
std::string ListingRoot() {
  char cwd[260] = {};
  HostGetCurrentDirectory(cwd, sizeof cwd);
  std::string root = (cwd[0] != 0 && cwd[1] == ':') ? cwd : "";
  if (!root.empty() && root.back() == '\\') root.pop_back();
  return root;
}

}  // namespace

std::string ScanCard::ListedPath(const std::string& relativeUtf8) {
  std::string path = "\\" + relativeUtf8;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return ListingRoot() + ToCp932(path);
}

std::string ScanCard::PathPrefix() {
  std::string root = ListingRoot();
  return root.empty() ? root : root.substr(2);
}

void ScanCard::WriteRenameLog(const std::string& relativePath, const std::string& lines) const {
  std::u16string text = ToUtf16(lines);
  std::string bytes = "\xFF\xFE";
  for (char16_t u : text) {
    if (u == u'\n') {
      bytes += '\r';
      bytes += '\0';
    }
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  card_.WriteFile(relativePath, bytes);
}
