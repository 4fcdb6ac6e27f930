#include "testing/random_card.h"

#include "testing/id3_builder.h"
#include "testing/temp_card.h"

namespace {

// The names between commas, in order (the order makes each seed's card).
std::vector<std::string> Split(const std::string& names) {
  std::vector<std::string> out(1);
  for (char c : names) {
    if (c == ',') {
      out.emplace_back();
    } else {
      out.back().push_back(c);
    }
  }
  return out;
}

const std::vector<std::string> kRandomFolderNames = [] {
  auto names = Split(
      "Album,album,ALBUM,Best of 77 Live,My Music,MyMusic,MYMUSIC,MusicBox9,Music Box,"
      "Rock & Roll,---,a.b.c,ABC.DEFG,x,00001,00002,日本の歌,ラブソング,ｱｲｳｴｵ,Café,🎵 Hits,"
      "한국 노래,Long Folder Name Number One,Long Folder Name Number Two,  spaces  ,Live.mp3,"
      "dots...,_Private,_FONTS,System Volume Information,SYSTEM,Systematic,READ ME,001.MP3,"
      "AC:DC,What?,MusicBo1,A B C D E F G H I");
  names.push_back(std::string(128, 'F'));
  return names;
}();

const std::vector<std::string> kRandomFileNames = [] {
  auto names = Split(
      "song.mp3,Song.MP3,SONG.mp3,001.MP3,001.mp3,000.mp3,002.Mp3,003.MP3,255.MP3,a b c.mp3,"
      "日本.mp3,ラブソング.MP3,🎵.mp3,é.mp3,x.y.z.mp3,.mp3,mp3,track.mp3.txt,"
      "The Long Name Of A Track That Goes On And On.mp3,cover.jpg,notes.txt,表示名04.txt,"
      "Intro.mp3,intro.mp3,01 Intro.mp3,02 Intro.mp3,MyMusic,00001,Album,what?.mp3,a|b.mp3,"
      "RENFIL04.TXT,ｱｲｳ.mp3");
  names.push_back(std::string(130, 'L') + ".mp3");
  return names;
}();

}  // namespace

std::string RandomPick(std::mt19937& rng, const std::vector<std::string>& from) {
  return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(rng)];
}

int RandomBetween(std::mt19937& rng, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(rng);
}

namespace {

// Content no other file of the card has: the tool must keep each where it can be found again.
std::string UniqueContent(std::mt19937& rng, const std::string& name, int serial) {
  std::string content = "file " + std::to_string(serial) + " ";
  if (name.ends_with(".mp3") || name.ends_with(".MP3") || name.ends_with(".Mp3")) {
    if (RandomBetween(rng, 0, 2) == 0) {
      std::string title = "Title " + std::to_string(serial);
      std::vector<uint8_t> mp3 = Mp3WithTag(BuildId3v23({Id3TextFrame("TIT2", Latin1Text(title))}));
      content = std::string(mp3.begin(), mp3.end()) + content;
    }
  }
  if (name == "表示名04.txt") content += ToCp932("song.mp3\t歌\nIntro.mp3\tIntro\n");
  int extra = RandomBetween(rng, 0, 40);
  for (int i = 0; i < extra; ++i) content += static_cast<char>(RandomBetween(rng, 0, 255));
  return content;
}

void AddFolder(std::mt19937& rng, RandomCard& card, const std::string& path, int depth,
               int& serial) {
  card.folders.insert(path);
  const std::string prefix = path.empty() ? "" : path + "/";
  std::set<std::string> used;
  int files = RandomBetween(rng, 0, 7);
  for (int i = 0; i < files; ++i) {
    std::string name = RandomPick(rng, kRandomFileNames);
    if (!used.insert(name).second) continue;
    card.files[prefix + name] = UniqueContent(rng, name, serial++);
  }
  if (depth == 3) return;
  int folders = RandomBetween(rng, 0, depth == 0 ? 5 : 3);
  for (int i = 0; i < folders; ++i) {
    std::string name = RandomPick(rng, kRandomFolderNames);
    if (!used.insert(name).second) continue;
    AddFolder(rng, card, prefix + name, depth + 1, serial);
  }
}

}  // namespace

RandomCard MakeRandomCard(uint32_t seed) {
  std::mt19937 rng(seed);
  RandomCard card;
  const int models[] = {4, 6, 8, 10, 12};
  card.model = models[RandomBetween(rng, 0, 4)];
  card.titleRule = RandomBetween(rng, 0, 1);
  int serial = 0;
  AddFolder(rng, card, "", 0, serial);
  card.folders.erase("");
  return card;
}
