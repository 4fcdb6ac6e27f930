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
