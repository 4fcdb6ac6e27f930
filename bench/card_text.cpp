// The text of the sample card: word lists, titles and names drawn from
// them, and conversion from UTF-8 to UTF-16 and code page 932.
#include "card_text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "platform/host.h"

namespace {

const char* const kAsciiWords[] = {
    "Blue",   "Night", "River",   "Morning",  "Silver", "Golden", "Summer", "Winter",
    "Light",  "Dream", "Ocean",   "Shadow",   "Fire",   "Rain",   "Wind",   "Star",
    "Moon",   "City",  "Heart",   "Road",     "Sky",    "Garden", "Echo",   "Storm",
    "Velvet", "Paper", "Crystal", "Electric", "Quiet",  "Wild",   "Lonely", "Happy"};
const char* const kAsciiArtists[] = {
    "The Blue Notes",        "Orchestra Nova",       "Miles Ahead",
    "Johann Sebastian Bach", "Ludwig van Beethoven", "The Night Riders",
    "Sunset Boulevard Band", "Kyoto Strings",        "DJ Sample",
    "Quartet Aurora",        "Los Amigos",           "Ella & Friends"};
const char* const kAsciiAlbums[] = {"Greatest Hits Vol", "Live at Budokan",    "Best of",
                                    "The Collection",    "Unplugged Sessions", "Symphony No",
                                    "Piano Works",       "Early Years",        "Remastered",
                                    "Acoustic Nights",   "Rock & Roll",        "Songs for You"};
const char* const kJapaneseWords[] = {
    "さくら",   "夏の歌", "故郷",   "風",   "海",   "空",     "星",         "夜明け",
    "雨上がり", "東京",   "大阪",   "京都", "月",   "花火",   "青春",       "旅立ち",
    "約束",     "未来",   "思い出", "友達", "恋",   "桜並木", "雪",         "山",
    "川",       "光",     "影",     "夢",   "希望", "声",     "ありがとう", "さよなら"};
const char* const kJapaneseArtists[] = {
    "山田太郎",   "鈴木花子", "東京交響楽団",         "ザ・ブルーハーツ",
    "美空ひばり", "坂本龍一", "サザンオールスターズ", "中島みゆき",
    "松任谷由実", "久石譲"};
const char* const kJapaneseAlbums[] = {"ベスト・アルバム",
                                       "ライブ",
                                       "名曲集",
                                       "全集",
                                       "コレクション",
                                       "シングルス",
                                       "オリジナル・サウンドトラック",
                                       "四季",
                                       "日本の歌"};

std::string Number(int n) { return std::to_string(n); }

std::string TwoDigits(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

}  // namespace

std::u16string Utf8ToUtf16(const std::string& text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    uint8_t b = static_cast<uint8_t>(text[i]);
    uint32_t cp = b;
    int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
    if (extra > 0) cp = b & (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < text.size(); ++k) {
      cp = (cp << 6) | (static_cast<uint8_t>(text[i + k]) & 0x3F);
    }
    i += static_cast<size_t>(extra) + 1;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::string Utf8ToCp932(const std::string& text) {
  std::u16string wide = Utf8ToUtf16(text);
  char buf[1024];
  HostWideToCp932(wide.c_str(), buf, sizeof buf);
  return buf;
}

std::string AsciiTitle(Random& rng) {
  std::string title = rng.Pick(kAsciiWords);
  int words = rng.Between(1, 4);
  for (int i = 0; i < words; ++i) title += std::string(" ") + rng.Pick(kAsciiWords);
  return title;
}

std::string JapaneseTitle(Random& rng) {
  std::string title = rng.Pick(kJapaneseWords);
  int words = rng.Between(0, 3);
  for (int i = 0; i < words; ++i) {
    if (rng.Chance(30)) title += "の";
    title += rng.Pick(kJapaneseWords);
  }
  return title;
}

std::string ArtistName(Random& rng, bool japanese, int n) {
  std::string name;
  if (japanese) {
    name = rng.Pick(kJapaneseArtists);
  } else if (rng.Chance(15)) {
    name = rng.Pick(kAsciiWords);  // an 8.3 name that stays
    name.resize(std::min<size_t>(name.size(), 4));
    name += Number(n % 100);
    return name;
  } else {
    name = rng.Pick(kAsciiArtists);
  }
  if (n > 0) {
    name += ' ';
    name += Number(n);
  }
  return name;
}

std::string AlbumName(Random& rng, bool japanese, int n) {
  if (japanese) return std::string(rng.Pick(kJapaneseAlbums)) + " " + Number(n);
  // Names that share their first letters and digits collide as short names.
  return std::string(rng.Pick(kAsciiAlbums)) + " " + Number(n);
}

std::string TrackFileName(Random& rng, bool japanese, int n, std::string& oldTitle) {
  oldTitle = japanese && rng.Chance(70) ? JapaneseTitle(rng) : AsciiTitle(rng);
  std::string ext = rng.Chance(20) ? ".MP3" : ".mp3";
  return TwoDigits(n) + " " + oldTitle + ext;
}
