#include "testing/scan_card.h"

#include <cstring>

#include "platform/host.h"

ScanCard::ScanCard(int model, int titleRule) : state_(std::make_unique<RunState>()) {
  state_->playerModel = model;
  state_->titleRule = titleRule;
  work_ = card_.root();
  work_ += "-work";
  std::filesystem::create_directories(work_);
  std::strncpy(state_->workDir, (work_.string() + "/").c_str(), sizeof state_->workDir - 1);
  state_->workLog = std::tmpfile();
}

ScanCard::~ScanCard() {
  if (state_->workLog != nullptr) std::fclose(state_->workLog);
  std::error_code ec;
  std::filesystem::remove_all(work_, ec);
}

std::string ScanCard::WorkLog() const {
  std::FILE* log = state_->workLog;
  std::fflush(log);
  std::string out(static_cast<size_t>(std::ftell(log)), '\0');
  std::rewind(log);
  out.resize(std::fread(out.data(), 1, out.size(), log));
  std::fseek(log, 0, SEEK_END);  // needed before the next write
  return out;
}

namespace {

// The current directory with its drive on Windows ("C:\Temp\card"); "" on
// POSIX, where the listing starts at the card root.
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
  for (char& c : path) c = c == '/' ? '\\' : c;
  return ListingRoot() + ToCp932(path);
}

std::string ScanCard::PathPrefix() {
  std::string root = ListingRoot();
  return root.empty() ? root : root.substr(2);
}

void ScanCard::WriteRenameLog(const std::string& relativePath, const std::string& lines) const {
  std::string bytes = "\xFF\xFE";
  for (char16_t u : ToUtf16(lines)) {
    if (u == u'\n') bytes.append("\r\0", 2);
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  card_.WriteFile(relativePath, bytes);
}
