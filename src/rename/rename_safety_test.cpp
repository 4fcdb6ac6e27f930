// Data safety of the rename pass on generated cards: whatever the names,
// every file is still there with its content afterwards, and every name
// that changed can be traced back through the logs.
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
    "001.MP3",     "001.mp3",      "002.MP3",     "000.MP3",
    "0 Intro.mp3", "Song.mp3",     "song.MP3",    "SONG.mp3",
    "My Song.mp3", "日本の歌.mp3", "ｱｲｳ.mp3",     "a.mp3",
    "b.Mp3",       "Track 10.mp3", "track 2.mp3", std::string(130, 'L') + ".mp3",
    "cover.jpg",   "readme.txt",   "notes",       "My Music",
    "RENFIL04.TXT"};
const std::vector<std::string> kFolderNames = {"Music Box",
                                               "MusicBox",
                                               "musicbox",
                                               "MusicBox9",
                                               "MusicBo1",
                                               "日本の歌",
                                               "日本",
                                               "---",
                                               "- - -",
                                               "!!!!!!!!!",
                                               "My Music",
                                               "my music",
                                               "MY MUSIC",
                                               "00001",
                                               "00002",
                                               "_FONT",
                                               "System Volume Information",
                                               "Systematic",
                                               "ALBUM",
                                               "Album One",
                                               "x.mp3",
                                               std::string(128, 'F'),
                                               "A B C D E F G H I"};

class CardMaker {
 public:
  CardMaker(RenameCard& card, unsigned seed)
      : card_(card), rng_(seed), caseApart_(card.TellsCaseApart()) {}

  // content -> path, for every file made.
  std::map<std::string, std::string> Make() {
    Fill("", 0);
    if (Pick(3) == 0) {
      std::string deep;
      for (int units = card_.RootUnits(); units < 234; units += 9) deep += "ABCDEFGH/";
      AddFile(deep, "deep song.mp3");
      AddFile(deep.substr(0, deep.size() - 18), "Deep Folder/a.mp3");
    }
    return made_;
  }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

  void AddFile(const std::string& dir, const std::string& name) {
    std::string content = "content-" + std::to_string(made_.size());
    card_.WriteFile(dir + name, content);
    made_[content] = dir + name;
  }

  // A name not yet in the folder (in another case only where the host
  // tells cases apart) whose path, with room more units, the host can hold
  // (Windows: 260 units).
  bool Usable(std::set<std::string>& used, const std::string& dir, const std::string& name,
              int room = 0) {
    std::string key = name;
    if (!caseApart_) {
      for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    int units = card_.RootUnits() + 1 + static_cast<int>(ToUtf16(dir + name).size()) + room;
    return units <= 255 && used.insert(key).second;
  }

  void Fill(const std::string& dir, int depth) {
    std::set<std::string> used;
    int files = Pick(9);
    for (int i = 0; i < files; ++i) {
      const std::string& name = kFileNames[Pick(static_cast<int>(kFileNames.size()))];
      if (Usable(used, dir, name)) AddFile(dir, name);
    }
    int folders = depth < 3 ? Pick(6 - depth) : 0;
    for (int i = 0; i < folders; ++i) {
      const std::string& name = kFolderNames[Pick(static_cast<int>(kFolderNames.size()))];
      if (!Usable(used, dir, name, 13)) continue;  // room for a file inside
      card_.MakeDir(dir + name);
      Fill(dir + name + "/", depth + 1);
    }
  }

  RenameCard& card_;
  std::mt19937 rng_;
  bool caseApart_;
  std::map<std::string, std::string> made_;
};

// The name a folder's entry had before the passes, from the folder's file
// log (tracks, and folders that matched *.MP3), followed back from its last
// line since a later run may move a numbered file on, or from the entry's
// own folder log.
std::string OldName(const RenameCard& card, const std::string& dir, const std::string& name,
                    bool isFolder) {
  std::vector<std::string> lines = LogLines(card.ReadFile(dir + "RENFIL04.LOG"));
  std::string old = name;
  for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
    size_t tab = line->find('\t');
    if (tab != std::string::npos && line->substr(0, tab) == old) old = line->substr(tab + 1);
  }
  if (old != name) return old;
  if (isFolder && card.Exists(dir + name + "/RENDIR04.LOG")) {
    std::vector<std::string> folderLog = LogLines(card.ReadFile(dir + name + "/RENDIR04.LOG"));
    if (!folderLog.empty()) return folderLog[0];
  }
  return name;
}

std::string OriginalPath(const RenameCard& card, const std::string& path) {
  std::string dir;
  std::string original;
  size_t pos = 0;
  for (;;) {
    size_t slash = path.find('/', pos);
    bool isFolder = slash != std::string::npos;
    std::string name = path.substr(pos, isFolder ? slash - pos : std::string::npos);
    original += OldName(card, dir, name, isFolder);
    if (!isFolder) return original;
    original += '/';
    dir += name + '/';
    pos = slash + 1;
  }
}

void ExpectEveryFileKeptAndTraceable(const RenameCard& card,
                                     const std::map<std::string, std::string>& made) {
  std::map<std::string, std::string> found;  // content -> path now
  for (const std::string& path : card.Tree()) {
    if (path.back() == '/') continue;
    std::string content = card.ReadFile(path);
    if (content.rfind("content-", 0) != 0) continue;  // a log or a note
    EXPECT_TRUE(found.emplace(content, path).second) << "twice: " << content;
  }
  for (const auto& [content, original] : made) {
    auto it = found.find(content);
    ASSERT_NE(it, found.end()) << "lost: " << original;
    EXPECT_EQ(OriginalPath(card, it->second), original) << "now " << it->second;
  }
  EXPECT_EQ(found.size(), made.size());
}

TEST(RenamePassSafety, GeneratedCardsKeepEveryFileAndEveryOldName) {
  const int models[] = {4, 6, 8, 10, 12};
  for (unsigned seed = 1; seed <= 24; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    RenameCard card(models[seed % 5]);
    std::map<std::string, std::string> made = CardMaker(card, seed).Make();
    card.Run();
    ExpectEveryFileKeptAndTraceable(card, made);
    if (seed % 3 == 0) {
      // Once everything has its name, another run moves nothing.
      bool clean = card.state().renameFailed == 0;
      std::vector<std::string> before = card.Tree();
      std::string console = card.Run();
      if (clean) {
        EXPECT_EQ(console, "");
        EXPECT_EQ(card.Tree(), before);
      }
      ExpectEveryFileKeptAndTraceable(card, made);
    }
    if (HasFailure()) break;
  }
}

}  // namespace
