#include "tools/view/prepared_cards.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <random>

#include "font/font_set.h"
#include "testing/fontx_builder.h"
#include "testing/id3_builder.h"
#include "testing/temp_card.h"

namespace fs = std::filesystem;

namespace {

fs::path Utf8Path(const std::string& relative) {
  return fs::path(std::u8string(relative.begin(), relative.end()));
}

fs::path NewTempFolder(const char* stem) {
  static std::atomic<int> counter{0};
  fs::path dir = fs::temp_directory_path() /
                 (std::string(stem) + std::to_string(std::random_device{}()) + "-" +
                  std::to_string(counter++));
  fs::create_directories(dir);
  return dir;
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

// The test font set, as the build wrote it; written here when the build's
// copy is missing (which takes seconds under the sanitizers).
fs::path TestFontFolder() {
  static fs::path folder = [] {
    fs::path built = VIEW_TEST_FONTS;
    if (fs::exists(built / "MISAKI.FNT")) return built;
    static fs::path own = NewTempFolder("cardprep-view-fonts-");
    fs::path previous = fs::current_path();
    fs::current_path(own);
    WriteTestFontSet();
    fs::current_path(previous);
    return own / "_FONT";
  }();
  return folder;
}

void MakeSampleMusic(const fs::path& root, int model) {
  // Models 4 and 6 take no folder names with double-byte characters.
  const std::string first = model >= 8 ? "日本の歌" : "Nihon no Uta";
  auto tagged = [](const std::string& title) {
    return Bytes(Mp3WithTag(BuildId3v22({Id3TextFrame("TT2", Latin1Text(title))})));
  };
  WriteBytes(root / Utf8Path(first + "/My Song.mp3"), tagged("Song A"));
  WriteBytes(root / Utf8Path(first + "/Other Song.mp3"), Bytes(Mp3WithTag({})));
  WriteBytes(root / Utf8Path(first + "/表示名04.txt"),
             ToCp932("Other Song.mp3\tもう一つの歌\r\n"));
  WriteBytes(root / "Jazz/Blue.mp3", tagged("Take Five"));
  WriteBytes(root / "Jazz/Best/b.mp3", tagged("So What"));
  WriteBytes(root / "Rock/Best/a.mp3", tagged("Highway"));
  fs::create_directories(root / "Empty");
  fs::copy(TestFontFolder(), root / "_FONT", fs::copy_options::recursive);
}

struct Prepared {
  fs::path root;
  std::string output;
};

struct PreparedSet {
  std::map<int, Prepared> cards;
  ~PreparedSet() {
    std::error_code ec;
    for (auto& [model, card] : cards) fs::remove_all(card.root, ec);
  }
};

const Prepared& Prepare(int model) {
  static PreparedSet set;
  auto found = set.cards.find(model);
  if (found != set.cards.end()) return found->second;
  Prepared p;
  p.root = NewTempFolder("cardprep-view-card-");
  MakeSampleMusic(p.root, model);
  std::string answers = "go\n" + std::to_string(model) + "\n";
  if (model >= 8) answers += "0\n";
  ToolResult r = RunTool(CARDPREP_EXE, {}, p.root.string(), answers);
  EXPECT_EQ(r.status, 0) << r.output;
  p.output = r.output;
  return set.cards.emplace(model, std::move(p)).first->second;
}

}  // namespace

const fs::path& PreparedCard(int model) { return Prepare(model).root; }

const std::string& PreparationOutput(int model) { return Prepare(model).output; }

CardCopy::CardCopy(int model) : root_(NewTempFolder("cardprep-view-copy-")) {
  // Everything but the fonts, which the viewer never reads.
  for (const auto& entry : fs::directory_iterator(PreparedCard(model))) {
    if (entry.path().filename() == "_FONT") continue;
    fs::copy(entry.path(), root_ / entry.path().filename(), fs::copy_options::recursive);
  }
}

CardCopy::~CardCopy() {
  std::error_code ec;
  fs::remove_all(root_, ec);
}

std::string CardCopy::Read(const std::string& relative) const {
  std::ifstream in(root_ / Utf8Path(relative), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void CardCopy::Write(const std::string& relative, const std::string& bytes) const {
  WriteBytes(root_ / Utf8Path(relative), bytes);
}

void CardCopy::Remove(const std::string& relative) const { fs::remove(root_ / Utf8Path(relative)); }

ToolResult RunView(const fs::path& dir, const std::vector<std::string>& args) {
  return RunTool(CARDPREP_VIEW_EXE, args, dir.string(), "");
}

const RunState& FontState() {
  static RunState* state = [] {
    auto* s = new RunState();  // kept for the whole test program, as the fonts are
    fs::path previous = fs::current_path();
    fs::current_path(PreparedCard(10));
    testing::internal::CaptureStdout();
    int loaded = LoadFonts(*s);
    testing::internal::GetCapturedStdout();
    fs::current_path(previous);
    EXPECT_EQ(loaded, 1);
    KeepFontMemory(*s);
    return s;
  }();
  return *state;
}

void PutU16At(std::string& bytes, size_t offset, unsigned value) {
  bytes[offset] = static_cast<char>(value & 0xFF);
  bytes[offset + 1] = static_cast<char>((value >> 8) & 0xFF);
}

unsigned U16At(const std::string& bytes, size_t offset) {
  return static_cast<uint8_t>(bytes[offset]) | static_cast<uint8_t>(bytes[offset + 1]) << 8;
}
