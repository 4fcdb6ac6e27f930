// bench-make-card: writes a large sample card for timing cardprep: a tree of
// folders (artists, albums, discs; ASCII and Japanese names) holding small
// MP3 files whose ID3v2.2 and ID3v2.3 tags carry Latin-1, Shift-JIS and
// UTF-16 titles, a few display-name files, and nothing else (the fonts come
// from cardprep-fonts). The same seed always gives the same card.
//
//   bench-make-card [--seed N] [--folders N] [--files N] CARD
//
// CARD must not exist yet or be empty.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/host.h"

namespace fs = std::filesystem;

namespace {

// splitmix64: the same sequence on every host and library.
struct Random {
  uint64_t state;
  uint64_t Next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // A value in [low, high].
  int Between(int low, int high) {
    return low + static_cast<int>(Next() % static_cast<uint64_t>(high - low + 1));
  }
  bool Chance(int percent) { return Between(1, 100) <= percent; }
  template <typename T, size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Next() % N];
  }
};

const char* const kAsciiWords[] = {
    "Blue",    "Night",  "River",   "Morning", "Silver", "Golden", "Summer", "Winter",
    "Light",   "Dream",  "Ocean",   "Shadow",  "Fire",   "Rain",   "Wind",   "Star",
    "Moon",    "City",   "Heart",   "Road",    "Sky",    "Garden", "Echo",   "Storm",
    "Velvet",  "Paper",  "Crystal", "Electric", "Quiet", "Wild",   "Lonely", "Happy"};
const char* const kAsciiArtists[] = {
    "The Blue Notes", "Orchestra Nova",  "Miles Ahead",  "Johann Sebastian Bach",
    "Ludwig van Beethoven", "The Night Riders", "Sunset Boulevard Band", "Kyoto Strings",
    "DJ Sample", "Quartet Aurora", "Los Amigos", "Ella & Friends"};
const char* const kAsciiAlbums[] = {
    "Greatest Hits Vol", "Live at Budokan", "Best of", "The Collection", "Unplugged Sessions",
    "Symphony No", "Piano Works", "Early Years", "Remastered", "Acoustic Nights",
    "Rock & Roll", "Songs for You"};
const char* const kJapaneseWords[] = {
    "さくら", "夏の歌", "故郷",   "風",     "海",     "空",   "星",     "夜明け",
    "雨上がり", "東京", "大阪",   "京都",   "月",     "花火", "青春",   "旅立ち",
    "約束",   "未来",   "思い出", "友達",   "恋",     "桜並木", "雪",   "山",
    "川",     "光",     "影",     "夢",     "希望",   "声",   "ありがとう", "さよなら"};
const char* const kJapaneseArtists[] = {
    "山田太郎", "鈴木花子", "東京交響楽団", "ザ・ブルーハーツ", "美空ひばり", "坂本龍一",
    "サザンオールスターズ", "中島みゆき", "松任谷由実", "久石譲"};
const char* const kJapaneseAlbums[] = {
    "ベスト・アルバム", "ライブ", "名曲集", "全集", "コレクション", "シングルス",
    "オリジナル・サウンドトラック", "四季", "日本の歌"};
const char* const kLatin1Titles[] = {"Caf\xe9 au Lait", "Na\xefve Melody", "Se\xf1orita",
                                     "\xc9t\xe9 Indien", "M\xfcnchen"};

// --- Text ------------------------------------------------------------------

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

std::string Number(int n) { return std::to_string(n); }

std::string TwoDigits(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

// --- Tags --------------------------------------------------------------------

using Bytes = std::vector<uint8_t>;

void Append(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

void AppendUtf16(Bytes& out, const std::u16string& text, bool bom, bool terminator) {
  if (bom) {
    out.push_back(0xFF);
    out.push_back(0xFE);
  }
  for (char16_t unit : text) {
    out.push_back(static_cast<uint8_t>(unit & 0xFF));
    out.push_back(static_cast<uint8_t>(unit >> 8));
  }
  if (terminator) {
    out.push_back(0);
    out.push_back(0);
  }
}

void AppendBigEndian(Bytes& out, uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void AppendSyncsafe(Bytes& out, uint32_t value) {
  for (int shift = 21; shift >= 0; shift -= 7) out.push_back(static_cast<uint8_t>((value >> shift) & 0x7F));
}

// One text frame of a version 2.2 (three-letter id) or 2.3 (four-letter
// id) tag: the encoding byte, then the text bytes as given.
void AppendFrame(Bytes& out, const char* id, uint8_t encoding, const Bytes& text) {
  bool v22 = std::strlen(id) == 3;
  Append(out, id);
  uint32_t size = static_cast<uint32_t>(text.size()) + 1;
  AppendBigEndian(out, size, v22 ? 3 : 4);
  if (!v22) {
    out.push_back(0);
    out.push_back(0);
  }
  out.push_back(encoding);
  out.insert(out.end(), text.begin(), text.end());
}

enum class TagKind { kV23Latin1, kV23Utf16Japanese, kV23Utf16Ascii, kV22Sjis, kV22Utf16, kNone };

TagKind PickTagKind(Random& rng) {
  int r = rng.Between(1, 100);
  if (r <= 30) return TagKind::kV23Latin1;
  if (r <= 55) return TagKind::kV23Utf16Japanese;
  if (r <= 67) return TagKind::kV23Utf16Ascii;
  if (r <= 82) return TagKind::kV22Sjis;
  if (r <= 96) return TagKind::kV22Utf16;
  return TagKind::kNone;
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

// The file: an ID3v2 tag (with an album frame, the title frame and some
// padding) and a few MPEG frames of silence, so that the file is longer
// than the 1024 bytes cardprep reads, as any real MP3 file is.
Bytes MakeMp3(Random& rng, TagKind kind, const std::string& album) {
  Bytes frames;
  Bytes text;
  switch (kind) {
    case TagKind::kV23Latin1: {
      std::string title = rng.Chance(10) ? rng.Pick(kLatin1Titles) : AsciiTitle(rng);
      Append(text, Utf8ToCp932(album));  // what Japanese taggers write as "Latin-1"
      AppendFrame(frames, "TALB", 0, text);
      text.clear();
      Append(text, title);
      if (rng.Chance(50)) text.push_back(0);
      AppendFrame(frames, "TIT2", 0, text);
      break;
    }
    case TagKind::kV23Utf16Japanese:
    case TagKind::kV23Utf16Ascii: {
      std::string title = kind == TagKind::kV23Utf16Japanese ? JapaneseTitle(rng) : AsciiTitle(rng);
      AppendUtf16(text, Utf8ToUtf16(album), true, true);
      AppendFrame(frames, "TALB", 1, text);
      text.clear();
      // Encoders often write no terminator: the next frame follows at once.
      AppendUtf16(text, Utf8ToUtf16(title), true, rng.Chance(40));
      AppendFrame(frames, "TIT2", 1, text);
      text.clear();
      AppendUtf16(text, u"cardprep bench", true, true);
      AppendFrame(frames, "TPE1", 1, text);
      break;
    }
    case TagKind::kV22Sjis: {
      std::string title = rng.Chance(60) ? JapaneseTitle(rng) : AsciiTitle(rng);
      Append(text, Utf8ToCp932(album));
      text.push_back(0);
      AppendFrame(frames, "TAL", 0, text);
      text.clear();
      Append(text, Utf8ToCp932(title));
      text.push_back(0);
      AppendFrame(frames, "TT2", 0, text);
      break;
    }
    case TagKind::kV22Utf16: {
      std::string title = JapaneseTitle(rng);
      AppendUtf16(text, Utf8ToUtf16(title), true, true);
      AppendFrame(frames, "TT2", 1, text);
      break;
    }
    case TagKind::kNone:
      break;
  }
  Bytes file;
  if (kind != TagKind::kNone) {
    int padding = rng.Between(0, 600);
    bool v22 = kind == TagKind::kV22Sjis || kind == TagKind::kV22Utf16;
    Append(file, "ID3");
    file.push_back(v22 ? 2 : 3);
    file.push_back(0);
    file.push_back(0);
    AppendSyncsafe(file, static_cast<uint32_t>(frames.size() + static_cast<size_t>(padding)));
    file.insert(file.end(), frames.begin(), frames.end());
    file.insert(file.end(), static_cast<size_t>(padding), 0);
  }
  const uint8_t header[4] = {0xFF, 0xFB, 0x90, 0x00};
  for (int frame = 0; frame < 3; ++frame) {
    file.insert(file.end(), header, header + 4);
    file.insert(file.end(), 413, 0);
  }
  return file;
}

// --- The tree ----------------------------------------------------------------

struct Folder {
  fs::path path;       // below the card
  std::string album;   // for the tags
  bool japanese;       // names and titles mostly Japanese
  int tracks = 0;      // MP3 files to write
};

bool WriteFile(const fs::path& path, const void* data, size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
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

struct Options {
  uint64_t seed = 1;
  int folders = 999;
  int files = 20000;
  std::string card;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if ((arg == "--seed" || arg == "--folders" || arg == "--files") && i + 1 < argc) {
      long long value = std::atoll(argv[++i]);
      if (value < 0) return false;
      if (arg == "--seed") options.seed = static_cast<uint64_t>(value);
      if (arg == "--folders") options.folders = static_cast<int>(value);
      if (arg == "--files") options.files = static_cast<int>(value);
    } else if (!arg.empty() && arg[0] != '-' && options.card.empty()) {
      options.card = arg;
    } else {
      return false;
    }
  }
  return !options.card.empty() && options.folders >= 1 && options.folders <= 999;
}

// Plans the folders: artists under the root, albums under artists, and
// now and then two discs under an album; exactly options.folders in all.
std::vector<Folder> PlanFolders(Random& rng, const Options& options) {
  std::vector<Folder> folders;
  int artist = 0;
  while (static_cast<int>(folders.size()) < options.folders) {
    bool japanese = rng.Chance(45);
    Folder a;
    a.path = ArtistName(rng, japanese, artist++);
    a.japanese = japanese;
    a.album = a.path.string();
    folders.push_back(a);
    int albums = rng.Between(10, 35);
    for (int k = 1; k <= albums && static_cast<int>(folders.size()) < options.folders; ++k) {
      Folder b;
      bool albumJapanese = rng.Chance(japanese ? 80 : 15);
      std::string name = AlbumName(rng, albumJapanese, k);
      b.path = a.path / name;
      b.album = name;
      b.japanese = albumJapanese;
      size_t albumRow = folders.size();
      folders.push_back(b);
      if (rng.Chance(12)) {
        for (int d = 1; d <= 2 && static_cast<int>(folders.size()) < options.folders; ++d) {
          Folder c = b;
          c.path = b.path / (rng.Chance(50) ? "Disc " + Number(d) : "CD" + Number(d));
          folders.push_back(c);
        }
        if (folders.size() > albumRow + 1) folders[albumRow].album.clear();  // holds discs only
      }
    }
  }
  return folders;
}

// Spreads the files over the folders that hold tracks (albums without
// discs, and discs), at most 200 each.
void PlanTracks(Random& rng, std::vector<Folder>& folders, int files) {
  std::vector<Folder*> leaves;
  for (size_t i = 0; i < folders.size(); ++i) {
    bool hasChild = i + 1 < folders.size() &&
                    folders[i + 1].path.parent_path() == folders[i].path;
    bool artist = !folders[i].path.has_parent_path();
    if (!hasChild && !artist) leaves.push_back(&folders[i]);
  }
  if (leaves.empty()) return;
  std::vector<int> weights;
  long total = 0;
  for (size_t i = 0; i < leaves.size(); ++i) {
    weights.push_back(rng.Between(5, 40));
    total += weights.back();
  }
  int given = 0;
  for (size_t i = 0; i < leaves.size(); ++i) {
    leaves[i]->tracks = static_cast<int>(static_cast<long long>(files) * weights[i] / total);
    given += leaves[i]->tracks;
  }
  for (size_t i = 0; given < files; i = (i + 1) % leaves.size()) {
    if (leaves[i]->tracks < 200) {
      ++leaves[i]->tracks;
      ++given;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fputs("usage: bench-make-card [--seed N] [--folders N(1..999)] [--files N] CARD\n", stderr);
    return 2;
  }
  fs::path card = options.card;
  std::error_code error;
  if (fs::exists(card, error) && !fs::is_empty(card, error)) {
    std::fprintf(stderr, "bench-make-card: %s is not empty\n", card.c_str());
    return 1;
  }
  fs::create_directories(card, error);
  if (error) {
    std::fprintf(stderr, "bench-make-card: cannot create %s\n", card.c_str());
    return 1;
  }

  Random rng{options.seed};
  std::vector<Folder> folders = PlanFolders(rng, options);
  PlanTracks(rng, folders, options.files);

  int written = 0;
  for (const Folder& folder : folders) {
    fs::path dir = card / folder.path;
    fs::create_directory(dir, error);
    if (error) {
      std::fprintf(stderr, "bench-make-card: cannot create %s\n", dir.c_str());
      return 1;
    }
    std::string displayNames;
    bool withDisplayNames = folder.tracks > 0 && rng.Chance(5);
    for (int n = 1; n <= folder.tracks; ++n) {
      std::string oldTitle;
      std::string name = TrackFileName(rng, folder.japanese, n, oldTitle);
      Bytes mp3 = MakeMp3(rng, PickTagKind(rng), folder.album);
      if (!WriteFile(dir / name, mp3.data(), mp3.size())) {
        std::fprintf(stderr, "bench-make-card: cannot write %s\n", (dir / name).c_str());
        return 1;
      }
      ++written;
      if (withDisplayNames && n % 2 == 1) {
        displayNames += Utf8ToCp932(name) + "\t" + Utf8ToCp932("表示 " + oldTitle) + "\r\n";
      }
    }
    if (!displayNames.empty()) {
      WriteFile(dir / "表示名04.txt", displayNames.data(), displayNames.size());
    }
  }
  std::printf("bench-make-card: %zu folders, %d MP3 files in %s (seed %llu)\n", folders.size(),
              written, card.c_str(), static_cast<unsigned long long>(options.seed));
  return 0;
}
