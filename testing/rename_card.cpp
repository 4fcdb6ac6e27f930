#include "testing/rename_card.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/host.h"

RenameCard::RenameCard(int model) : state_(std::make_unique<RunState>()) {
  state_->playerModel = model;
  state_->workLog = std::tmpfile();
  char16_t root[512];
  if (!HostGetCurrentDirectoryW(root, 512) || root[0] == 0) return;  // Run refuses
  root_ = root;
  if (root_.back() != u'\\') root_ += u'\\';
  shownRoot_ = ToUtf8(root_.substr(0, root_.size() - 1));
}

RenameCard::~RenameCard() {
  if (state_->workLog != nullptr) std::fclose(state_->workLog);
}

std::string RenameCard::Run(const std::string& folder) {
  if (root_.empty()) {
    ADD_FAILURE() << "no current directory to run the pass on";
    return "";
  }
  std::u16string path = root_ + ToUtf16(folder);
  testing::internal::CaptureStdout();
  RenameToShortNames(*state_, path.c_str());
  return GetCapturedConsole();
}

std::string WorkLogSoFar(std::FILE* log) {
  std::fflush(log);
  std::string bytes(static_cast<size_t>(std::ftell(log)), '\0');
  std::rewind(log);
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), log));
  std::fseek(log, 0, SEEK_END);
  return bytes;
}

std::string Utf16Log(const std::string& text) {
  std::string out = "\xFF\xFE";
  for (char16_t u : ToUtf16(text)) {
    if (u == u'\n') out += std::string("\r\0", 2);
    out += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
  }
  return out;
}

static std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t pos = 0, end; pos < text.size(); pos = end + 1) {
    end = std::min(text.find('\n', pos), text.size());
    lines.push_back(text.substr(pos, end - pos));
    if (!lines.back().empty() && lines.back().back() == '\r') lines.back().pop_back();
  }
  return lines;
}

std::vector<std::string> LogLines(const std::string& bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return SplitLines(bytes.substr(3));
  std::u16string units;
  for (size_t i = bytes.starts_with("\xFF\xFE") ? 2 : 0; i + 1 < bytes.size(); i += 2) {
    units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                   (static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return SplitLines(ToUtf8(units));
}

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

// The current directory with its drive on Windows ("C:\Temp\card"); "" on POSIX.
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
