#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "font/font_set.h"
#include "platform/host.h"
#include "scan/messages.h"
#include "state/run_state.h"
#include "testing/fontx_builder.h"
#include "testing/id3_builder.h"

namespace fs = std::filesystem;

namespace {

fs::path privateCard;

void RemovePrivateCard() {
  std::error_code ec;
  fs::current_path(fs::temp_directory_path(ec), ec);
  fs::remove_all(privateCard, ec);
}

bool IsComponentEnd(uint8_t b) { return b == '\\' || b == '/' || b == '\r' || b == '\n' || b == 0; }

}  // namespace

const std::string& EnterPrivateCard(const char* harness) {
  static std::string hostPath;
  if (!hostPath.empty()) return hostPath;
  std::random_device rd;
  privateCard = fs::temp_directory_path() /
                ("cardprep-fuzz-" + std::string(harness) + "-" + std::to_string(rd()));
  fs::create_directories(privateCard / "F");
  fs::current_path(privateCard);
  std::atexit(RemovePrivateCard);
  if (std::freopen("/dev/null", "w", stdout) == nullptr)
    FuzzFail("stdout to /dev/null", __FILE__, __LINE__);
  hostPath = privateCard.string() + "/";
  return hostPath;
}

void WriteCardFile(const char* path, const uint8_t* data, size_t size) {
  std::FILE* file = HostOpen(path, "wb");
  if (file == nullptr) FuzzFail(path, __FILE__, __LINE__);
  if (size > 0 && std::fwrite(data, 1, size, file) != size) FuzzFail(path, __FILE__, __LINE__);
  std::fclose(file);
}

void WriteCardFile(const char* path, const std::string& bytes) {
  WriteCardFile(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

namespace {

void MakeCardFolder(const char* hostPath) {
  std::error_code ec;
  fs::create_directories(privateCard / hostPath, ec);
  if (ec) FuzzFail(hostPath, __FILE__, __LINE__);
}

// The fuzz bytes as a listing kept inside the private card: ".." components and '/' made harmless.
std::string ConfineListing(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  // Every '\' byte counts as a separator, even a trail byte: more ".." than the host finds.
  for (size_t i = 0; i + 1 < size; ++i) {
    bool starts = i == 0 || IsComponentEnd(data[i - 1]);
    bool ends = i + 2 == size || IsComponentEnd(data[i + 2]);
    if (starts && ends && data[i] == '.' && data[i + 1] == '.') text[i + 1] = '-';
  }
  for (char& c : text) {
    if (c == '/') c = '-';
  }
  return text;
}

// \M with 001.MP3 (ID3v2.3 title), 002.MP3 (ID3v2.2), 003.mp3 (no tag), both rename logs and the
// display-name file; \M\SUB with 001.MP3; \EMPTY.
void MakeMusicFolders() {
  MakeCardFolder("M/SUB");
  MakeCardFolder("EMPTY");
  auto write = [](const char* path, const std::vector<uint8_t>& bytes) {
    WriteCardFile(path, bytes.data(), bytes.size());
  };
  write("\\M\\001.MP3", Mp3WithTag(BuildId3v23({Id3TextFrame("TIT2", Latin1Text("Hello"))})));
  write("\\M\\002.MP3", Mp3WithTag(BuildId3v22({Id3TextFrame("TT2", Utf16Text(u"Song B"))})));
  write("\\M\\003.mp3", Mp3WithTag({}));
  write("\\M\\SUB\\001.MP3", Mp3WithTag({}));
  // UTF-16LE logs: 001.MP3 was "My Song.mp3", 002.MP3 "日本の歌.mp3"; the folder was "日本の歌".
  auto log = [&](const char* path, const std::u16string& text) {
    std::vector<uint8_t> bytes = Utf16Text(text, Bom::kLittleEndian, false);
    write(path, std::vector<uint8_t>(bytes.begin() + 1, bytes.end()));
  };
  log("\\M\\RENFIL04.LOG", u"001.MP3\tMy Song.mp3\r\n002.MP3\t\u65E5\u672C\u306E\u6B4C.mp3\r\n");
  log("\\M\\RENDIR04.LOG", u"\u65E5\u672C\u306E\u6B4C\r\n");
  WriteCardFile((std::string("\\M\\") + kDisplayNameFile).c_str(), "My Song.mp3\tBest Song\r\n");
}

// Removes the track lists and volume files, so each input meets the same card.
void RemoveScanOutput() {
  std::error_code ec;
  std::vector<fs::path> written;
  for (auto it = fs::recursive_directory_iterator(privateCard, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name.rfind("SNDLST", 0) == 0 || name.rfind("VOLUME", 0) == 0) written.push_back(it->path());
  }
  for (const fs::path& p : written) fs::remove(p, ec);
}

}  // namespace

RunState& StartListingInput(const char* harness, const char* workName, const uint8_t* data,
                            size_t size, std::string& workFile) {
  const std::string& card = EnterPrivateCard(harness);
  RemoveScanOutput();
  static RunState* const state = [] {
    auto* s = new RunState();
    WriteTestFontSet();
    if (LoadFonts(*s) != 1) FuzzFail("LoadFonts", __FILE__, __LINE__);
    MakeMusicFolders();
    return s;
  }();
  static std::FILE* const workLog = std::fopen("/dev/null", "wb");
  // Clears the state but its font slots.
  FontRecord RunState::*const slots[] = {
      &RunState::full16Font, &RunState::half16Font, &RunState::full6x8Font, &RunState::half6x8Font,
      &RunState::full12Font, &RunState::half12Font, &RunState::half8Font,   &RunState::full8Font};
  FontRecord kept[8];
  for (int i = 0; i < 8; ++i) kept[i] = state->*slots[i];
  std::memset(state, 0, sizeof *state);
  for (int i = 0; i < 8; ++i) state->*slots[i] = kept[i];
  constexpr int kModels[] = {4, 6, 8, 10, 12};
  state->playerModel = kModels[data[0] % 5];
  state->titleRule = (data[0] / 5) & 1;
  state->workLog = workLog;
  std::memcpy(state->workDir, card.c_str(), card.size() + 1);
  workFile = card + "\\" + workName;
  WriteCardFile(workFile.c_str(), ConfineListing(data + 1, size - 1));
  return *state;
}

void FuzzFail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
  std::fflush(stderr);
  std::abort();
}

size_t BoundedLength(const char* text, size_t limit) {
  size_t n = 0;
  while (n < limit && text[n] != 0) ++n;
  return n;
}
