// bench-make-card: writes a large sample card for timing cardprep: a tree of
// folders (artists, albums, discs; ASCII and Japanese names) holding small
// MP3 files whose ID3v2.2 and ID3v2.3 tags carry Latin-1, Shift-JIS and
// UTF-16 titles, a few display-name files, and nothing else (the fonts come
// from cardprep-fonts). The same seed always gives the same card.
//
//   bench-make-card [--seed N] [--folders N] [--files N] CARD
//
// CARD must not exist yet or be empty. This file plans the tree and writes
// it; card_text.cpp draws the names and titles, card_mp3.cpp the files.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "card_mp3.h"
#include "card_random.h"
#include "card_text.h"

namespace fs = std::filesystem;

namespace {

struct Folder {
  fs::path path;      // below the card
  std::string album;  // for the tags
  bool japanese;      // names and titles mostly Japanese
  int tracks = 0;     // MP3 files to write
};

bool WriteFile(const fs::path& path, const void* data, size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
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
          c.path =
              b.path / (rng.Chance(50) ? "Disc " + std::to_string(d) : "CD" + std::to_string(d));
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
    bool hasChild = i + 1 < folders.size() && folders[i + 1].path.parent_path() == folders[i].path;
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
    std::fputs("usage: bench-make-card [--seed N] [--folders N(1..999)] [--files N] CARD\n",
               stderr);
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
