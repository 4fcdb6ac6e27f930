#include "testing/rename_card.h"

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

std::string RenameCard::WorkLog() const {
  std::FILE* log = state_->workLog;
  std::fflush(log);
  long end = std::ftell(log);
  std::string bytes(static_cast<size_t>(end), '\0');
  std::rewind(log);
  size_t n = std::fread(bytes.data(), 1, bytes.size(), log);
  bytes.resize(n);
  std::fseek(log, 0, SEEK_END);
  return bytes;
}

bool RenameCard::TellsCaseApart() const {
  WriteFile("case.tmp", "");
  bool apart = !Exists("CASE.TMP");
  std::filesystem::remove(root() / "case.tmp");
  return apart;
}

std::string Utf16Log(const std::string& text) {
  std::string out = "\xFF\xFE";
  for (char16_t u : ToUtf16(text)) {
    if (u == u'\n') out += std::string("\r\0", 2);
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  return out;
}

std::vector<std::string> LogLines(const std::string& bytes) {
  std::string text;
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    text = bytes.substr(3);
  } else {
    size_t start = bytes.compare(0, 2, "\xFF\xFE") == 0 ? 2 : 0;
    std::u16string units;
    for (size_t i = start; i + 1 < bytes.size(); i += 2) {
      units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    text = ToUtf8(units);
  }
  return SplitLines(text);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    pos = end + 1;
  }
  return lines;
}
