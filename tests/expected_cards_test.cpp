// A sample card (ten folders with tracks: no shuffle) prepared for every model must have the
// bytes of data/expected-cards/<model>/, and a second run must change nothing. After an intended
// change, rewrite them with CARDPREP_WRITE_EXPECTED_CARDS=1 and review cardprep-view's pictures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "testing/e2e_card.h"
#include "testing/fontx_builder.h"
#include "testing/id3_builder.h"

namespace fs = std::filesystem;

namespace {

std::string Mp3(const std::vector<Id3Frame>& frames, uint8_t version = 3) {
  std::vector<uint8_t> bytes =
      Mp3WithTag(frames.empty() ? std::vector<uint8_t>() : BuildId3(version, frames));
  return std::string(bytes.begin(), bytes.end());
}
std::string Titled(const std::string& cp932, int version = 3) {
  return Mp3({Id3TextFrame(version == 2 ? "TT2" : "TIT2", Latin1Text(cp932))}, version);
}

// Folder names with double-byte characters stop a run of models 4 and 6.
void MakeSampleCard(const TempCard& card, int model) {
  const std::string japan = model >= 8 ? "日本の歌" : "Nihon no Uta";
  card.WriteFile(japan + "/My Song.mp3", Titled("Song A", 2));
  // A display title comes before the tag (on models 4 and 6 one of double-byte characters: no).
  card.WriteFile(japan + "/Other Song.mp3", Titled("Tag Two"));
  card.WriteFile(japan + "/表示名04.txt", ToCp932("Other Song.mp3\t\tもう一つの歌\r\n"));
  card.WriteFile("Jazz/Blue.mp3", Titled("Take Five"));
  card.WriteFile("Jazz/Best/b.mp3", Mp3({Id3TextFrame("TIT2", Utf16Text(u"So What"))}));
  card.WriteFile("Rock/Best/a.mp3", Titled("Highway"));
  card.MakeDir("Empty");
  // Titles of 14, 20, 30 and 40 bytes, and a short one of double-byte characters.
  card.WriteFile("Long Titles/a.mp3", Titled("Fourteen bytes"));
  card.WriteFile("Long Titles/b.mp3", Titled("Twenty bytes of text"));
  card.WriteFile("Long Titles/c.mp3", Titled("A title of thirty bytes, ASCII"));
  card.WriteFile("Long Titles/d.mp3", Titled(ToCp932("日本の歌 and a title of forty bytes long")));
  card.WriteFile("Long Titles/e.mp3", Titled(ToCp932("ｱﾆﾒ の歌")));
  card.WriteFile("BWV 1007/Prelude.mp3", Titled("Album Name - Prelude"));
  card.WriteFile("BWV 1007/Allemande.mp3", Titled("Album Name - Allemande"));
  card.WriteFile("Bach/001.MP3", Mp3({}));
  card.WriteFile("Bach/cover.jpg", "not a track");
  // A track that kept its name has no old name to look up a display title by.
  card.WriteFile("Bach/表示名04.txt", "001.MP3\tNot for a kept name\r\n");
  // Tracks are numbered in code unit order; one bearing its number in another case keeps its
  // name, and a numbered one may move on.
  for (const char* name : {"b.mp3", "A.MP3", "c.Mp3", "Z.mp3", "1 one.mp3", "日本.mp3"})
    card.WriteFile(std::string("Order/") + name, Mp3({}));
  card.WriteFile("Order/readme.txt", "not a track");
  card.WriteFile("Kept/001.mp3", Titled("Kept"));
  card.WriteFile("Moved/x.mp3", Titled("Now second"));
  card.WriteFile("Moved/002.MP3", Titled("Now first"));
  card.WriteFile("_PRIVATE/keep.mp3", "never touched");
}

Snapshot CardFiles(const fs::path& root) {
  Snapshot files = TakeSnapshot(root);
  std::erase_if(
      files, [](const auto& f) { return f.second == "<folder>" || f.first.starts_with("_FONT"); });
  return files;
}

void WriteCardFiles(const Snapshot& files, const fs::path& to) {
  fs::remove_all(to);
  for (const auto& [path, bytes] : files) {
    fs::path file = to / fs::path(std::u8string(path.begin(), path.end()));
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
}

}  // namespace

TEST(ExpectedCards, EveryModelWritesTheCheckedInCardAndASecondRunChangesNothing) {
  const bool write = std::getenv("CARDPREP_WRITE_EXPECTED_CARDS") != nullptr;
  for (const char* answers : {"go\n4\n", "go\n6\n", "go\n8\n0\n", "go\n10\n0\n", "go\n12\n1\n"}) {
    const std::string model = std::to_string(std::atoi(answers + 3));
    SCOPED_TRACE("model " + model);
    const fs::path expected = fs::path(CARDPREP_SOURCE_DIR) / "data/expected-cards" / model;
    TempCard card;
    WriteTestFontSet();
    MakeSampleCard(card, std::stoi(model));
    ToolResult first = RunOn(card, answers);
    ASSERT_EQ(first.status, 0) << first.output;
    const Snapshot once = CardFiles(card.root());
    if (write) WriteCardFiles(once, expected);
    EXPECT_EQ(Differences(CardFiles(expected), once), "");
    ToolResult second = RunOn(card, answers);
    ASSERT_EQ(second.status, 0) << second.output;
    EXPECT_EQ(Differences(once, CardFiles(card.root())), "");
  }
}
