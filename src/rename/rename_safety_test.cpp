// Data safety of the rename pass on generated cards: every file is still
// there with its content, and every changed name can be traced through the logs.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "testing/rename_card.h"

namespace {

const std::vector<std::string> kFileNames = {
    "001.MP3", "001.mp3", "002.MP3", "000.MP3", "0 Intro.mp3", "Song.mp3", "song.MP3", "SONG.mp3",
    "My Song.mp3", "日本の歌.mp3", "ｱｲｳ.mp3", "a.mp3", "b.Mp3", "Track 10.mp3", "track 2.mp3",
    std::string(130, 'L') + ".mp3", "cover.jpg", "readme.txt", "notes", "My Music", "RENFIL04.TXT"};
const std::vector<std::string> kFolderNames = {
    "Music Box", "MusicBox", "musicbox", "MusicBox9", "MusicBo1", "日本の歌", "日本", "---", "- - -",
    "!!!!!!!!!", "My Music", "my music", "MY MUSIC", "00001", "00002", "_FONT",
    "System Volume Information", "Systematic", "ALBUM", "Album One", "x.mp3", std::string(128, 'F'),
    "A B C D E F G H I"};

// Fills a card at random; made maps each file's unique content to its path.
struct CardMaker {
  CardMaker(RenameCard& c, unsigned seed) : card(c), rng(seed), caseApart(c.TellsCaseApart()) {}
  RenameCard& card;
  std::mt19937 rng;
  bool caseApart;
  std::map<std::string, std::string> made;

  int Pick(size_t n) { return std::uniform_int_distribution<int>(0, static_cast<int>(n) - 1)(rng); }

  void AddFile(const std::string& path) {
    std::string content = "content-" + std::to_string(made.size());
    card.WriteFile(path, content);
    made[content] = path;
  }

  // A name new to the folder (by the host's case rule) whose path, with
  // room units more, stays within 255 units.
  bool Usable(std::set<std::string>& used, const std::string& path, int room = 0) {
    std::string key = path;
    for (char& c : key) c = caseApart ? c : static_cast<char>(std::toupper(c & 0xFF));
    return card.RootUnits() + 1 + static_cast<int>(ToUtf16(path).size()) + room <= 255 &&
           used.insert(key).second;
  }

  void Fill(const std::string& dir, int depth) {
    std::set<std::string> used;
    for (int i = Pick(9); i > 0; --i) {
      std::string path = dir + kFileNames[Pick(kFileNames.size())];
      if (Usable(used, path)) AddFile(path);
    }
    for (int i = depth < 3 ? Pick(6 - depth) : 0; i > 0; --i) {
      std::string path = dir + kFolderNames[Pick(kFolderNames.size())];
      if (!Usable(used, path, 13)) continue;  // room for a file inside
      card.MakeDir(path);
      Fill(path + "/", depth + 1);
    }
  }

};

// A card path as it was before the passes: each entry's old name from its
// folder's file log (followed back from the last line, as a later run may
// move a numbered file on), or from the entry's own folder log.
std::string OriginalPath(const RenameCard& card, const std::string& path) {
  std::string dir, original;
  for (size_t pos = 0;;) {
    size_t slash = path.find('/', pos);
    std::string name = path.substr(pos, slash - pos), old = name;
    std::vector<std::string> lines = LogLines(card.ReadFile(dir + "RENFIL04.LOG"));
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
      size_t tab = line->find('\t');
      if (tab != std::string::npos && line->substr(0, tab) == old) old = line->substr(tab + 1);
    }
    if (slash == std::string::npos) return original + old;
    std::vector<std::string> folderLog = LogLines(card.ReadFile(dir + name + "/RENDIR04.LOG"));
    if (old == name && !folderLog.empty()) old = folderLog[0];
    original += old + '/';
    dir += name + '/';
    pos = slash + 1;
  }
}

void ExpectEveryFileKeptAndTraceable(const RenameCard& card,
                                     const std::map<std::string, std::string>& made) {
  std::map<std::string, std::string> found;  // content -> path now
  for (const std::string& path : card.Tree()) {
    std::string content = path.back() == '/' ? "" : card.ReadFile(path);
    if (content.starts_with("content-")) {
      EXPECT_TRUE(found.emplace(content, path).second) << "twice: " << content;
    }
  }
  EXPECT_EQ(found.size(), made.size());
  for (const auto& [content, original] : made) {
    auto it = found.find(content);
    ASSERT_NE(it, found.end()) << "lost: " << original;
    EXPECT_EQ(OriginalPath(card, it->second), original) << "now " << it->second;
  }
}

TEST(RenamePassSafety, GeneratedCardsKeepEveryFileAndEveryOldName) {
  const int models[] = {4, 6, 8, 10, 12};
  for (unsigned seed = 1; seed <= 24; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    RenameCard card(models[seed % 5]);
    CardMaker maker(card, seed);
    maker.Fill("", 0);
    card.Run();
    ExpectEveryFileKeptAndTraceable(card, maker.made);
    if (seed % 3 == 0) {  // once everything has its name, another run moves nothing
      bool clean = card.state().renameFailed == 0;
      std::vector<std::string> before = card.Tree();
      std::string console = card.Run();
      if (clean) {
        EXPECT_EQ(console, "");
        EXPECT_EQ(card.Tree(), before);
      }
      ExpectEveryFileKeptAndTraceable(card, maker.made);
    }
    if (HasFailure()) break;
  }
}

}  // namespace
