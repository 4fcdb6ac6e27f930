#include "testing/scan_card.h"

#include <gtest/gtest.h>

#include <cstring>

#include "font/oled_render.h"
#include "font/renderers.h"
#include "platform/host.h"
#include "testing/console_text.h"
#include "testing/fontx_builder.h"

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

bool ScanCard::UseTestFonts() {
  static RunState* loaded = [] {
    auto* state = new RunState();  // kept for the whole test program
    TempCard fontCard;
    testing::internal::CaptureStdout();
    int ok = LoadTestFontSet(*state);
    GetCapturedConsole();
    return ok == 1 ? state : nullptr;
  }();
  if (loaded == nullptr) return false;
  for (FontRecord RunState::*slot :
       {&RunState::full16Font, &RunState::half16Font, &RunState::full6x8Font,
        &RunState::half6x8Font, &RunState::full12Font, &RunState::half12Font, &RunState::half8Font,
        &RunState::full8Font})
    state_.get()->*slot = loaded->*slot;
  return true;
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

ScanCard::Images ScanCard::TitleImages(const std::string& title) {
  RunState& s = *state_;
  int length = static_cast<int>(title.size());
  if (s.playerModel != 8) {
    std::string pages(3 * 128, '\0');
    auto* p = reinterpret_cast<uint8_t*>(pages.data());
    MakeTwoLineDataOfString(s, p, p + 128, p + 256, 128, title.c_str());
    return {"", pages};
  }
  std::memset(s.imagePlaneA, 0, sizeof s.imagePlaneA);
  std::memset(s.imagePlaneB, 0, sizeof s.imagePlaneB);
  int32_t layout = -1, width = -1;
  testing::internal::CaptureStdout();
  MakeOLEDdataOfString(s, title.c_str(), length, layout, width);
  GetCapturedConsole();
  uint8_t strip[128] = {};
  MakeStripDataOfString(s, strip, title.c_str(), length);
  std::string head = {static_cast<char>(width & 0xFF), static_cast<char>((width >> 8) & 0xFF),
                      static_cast<char>(layout)};
  return {head, std::string(s.imagePlaneA, s.imagePlaneA + 512) +
                    std::string(s.imagePlaneB, s.imagePlaneB + 512) +
                    std::string(strip, strip + 128)};
}
