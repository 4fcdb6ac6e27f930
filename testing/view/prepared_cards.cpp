#include "testing/view/prepared_cards.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <map>
#include <random>

#include "testing/id3_builder.h"
#include "testing/temp_card.h"

namespace fs = std::filesystem;

namespace {

fs::path NewTempFolder(const char* stem) {
  static std::atomic<int> counter{0};
  fs::path dir = fs::temp_directory_path() /
                 (stem + std::to_string(std::random_device{}()) + "-" + std::to_string(counter++));
  fs::create_directories(dir);
  return dir;
}

void MakeSampleMusic(const fs::path& root, int model) {
  auto write = [&](const std::string& relative, const std::string& bytes) {
    const fs::path path = root / fs::path(std::u8string(relative.begin(), relative.end()));
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  };
  auto mp3 = [](const std::string& title) {
    auto bytes = Mp3WithTag(title.empty() ? std::vector<uint8_t>{}
                                          : BuildId3v22({Id3TextFrame("TT2", Latin1Text(title))}));
    return std::string(bytes.begin(), bytes.end());
  };
  // Models 4 and 6 take no folder names with double-byte characters.
  const std::string first = model >= 8 ? "日本の歌" : "Nihon no Uta";
  write(first + "/My Song.mp3", mp3("Song A"));
  write(first + "/Other Song.mp3", mp3(""));
  write(first + "/表示名04.txt", ToCp932("Other Song.mp3\tもう一つの歌\r\n"));
  write("Jazz/Blue.mp3", mp3("Take Five"));
  write("Jazz/Best/b.mp3", mp3("So What"));
  write("Rock/Best/a.mp3", mp3("Highway"));
  fs::create_directories(root / "Empty");
}

struct PreparedSet {
  std::map<int, fs::path> roots;
  ~PreparedSet() {
    std::error_code ec;
    for (auto& [model, root] : roots) fs::remove_all(root, ec);
  }
};

}  // namespace

ToolResult PrepareCard(const fs::path& root, int model) {
  fs::copy(VIEW_TEST_FONTS, root / "_FONT", fs::copy_options::recursive);
  return RunTool(CARDPREP_EXE, {"--here"}, root.string(),
                 "go\n" + std::to_string(model) + (model >= 8 ? "\n0\n" : "\n"));
}

const fs::path& PreparedCard(int model) {
  static PreparedSet set;
  auto found = set.roots.find(model);
  if (found != set.roots.end()) return found->second;
  fs::path root = NewTempFolder("cardprep-view-card-");
  MakeSampleMusic(root, model);
  ToolResult r = PrepareCard(root, model);
  EXPECT_EQ(r.status, 0) << r.output;
  return set.roots.emplace(model, root).first->second;
}

void CopyPreparedCard(int model, const fs::path& to) {
  for (const auto& entry : fs::directory_iterator(PreparedCard(model))) {
    if (entry.path().filename() == "_FONT") continue;  // never read by the viewer
    fs::copy(entry.path(), to / entry.path().filename(), fs::copy_options::recursive);
  }
}

ToolResult RunView(const fs::path& dir, const std::vector<std::string>& args) {
  return RunTool(CARDPREP_VIEW_EXE, args, dir.string(), "");
}
