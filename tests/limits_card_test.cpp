// A card past every table's limit, prepared as model 10 with time() fixed, must print and write
// what data/expected-cards/limits-10.txt holds (rewritten with CARDPREP_WRITE_EXPECTED_CARDS=1).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "testing/e2e_card.h"
#include "testing/id3_builder.h"
#include "testing/rename_card.h"

namespace {

std::string Numbered(const char* format, unsigned long long n) {
  char text[64];
  std::snprintf(text, sizeof text, format, n);
  return text;
}

// The i-th of 256 distinct double-byte characters (code page 932 0x8940 on), as UTF-8.
std::string Kanji(int i) {
  const int trail = i % 188;  // 0x40..0x7E, 0x80..0xFC
  const char cp932[3] = {char(0x89 + i / 188), char(trail < 63 ? 0x40 + trail : 0x41 + trail), 0};
  return FromCp932(cp932);
}

void MakeLimitsCard(const TempCard& card) {
  std::vector<uint8_t> mp3 = Mp3WithTag({});
  // 256 subfolders of titles starting with S: one index group too many for its count.
  for (int i = 0; i < 256; ++i) card.WriteFile(Numbered("SPLIT/S%03llu/001.MP3", i), mp3);
  // 256 subfolders to rename, each title a character of its own: more index groups than fit.
  for (int i = 0; i < 256; ++i) card.WriteFile("JP/" + Kanji(i) + "/a.mp3", mp3);
  for (int i = 0; i < 256; ++i) card.WriteFile(Numbered("MANY/Track %03llu.mp3", i), mp3);
  // The rename pass enters no subfolder of OLD, so BIG keeps 256 numbered tracks, names that are no
  // short MP3 names, and a volume file listed behind them; the scan hangs BIG on the root.
  for (int i = 1; i <= 256; ++i) card.WriteFile(Numbered("OLD/_X/BIG/%03llu.MP3", i), mp3);
  card.WriteFile("OLD/_X/BIG/VOLUME10.DAT", "kept");
  for (std::string name :
       {"0a.mp3", "0x.y.MP3", "012345678.MP3", "0曲.MP3", "0NOEXT", "0b.MP3.TXT"})
    card.WriteFile("OLD/_X/BIG/" + name, mp3);  // the second one MP3 by its last dot
  card.WriteFile("OLD/SYSTEM2/x.mp3", mp3);
  // Display names for the old names of the folders scanned before (JP/00255, NAMES), whose rename
  // logs a missing (BIG) or empty (OLD) log must not leave behind.
  card.WriteFile("OLD/_X/BIG/表示名04.txt", "a.mp3\tStale\n");
  card.WriteFile("OLD/表示名04.txt", "One again.mp3\tStale\n");
  card.WriteFile("OLD/001.MP3", mp3);
  card.WriteFile("_PRIVATE/Sub Dir/c.mp3", mp3);
  card.WriteFile("ABCDEFGH.IJK/001.MP3", mp3);
  // Namesakes: forty that differ in case alone, kept in row order, and titles of 30 and 31 bytes
  // and a parent's of 32, which the parent's title extends within 32 bytes.
  for (int i = 0; i < 40; ++i)
    card.WriteFile(Numbered("NS/P%02llu/", i) + (i % 2 ? "Disc" : "DISC") + "/001.MP3", mp3);
  for (std::string parent : {"NS/Parent/", "NS/Other/"}) {
    card.WriteFile(parent + std::string(30, 'x') + "/001.MP3", mp3);
    card.WriteFile(parent + std::string(31, 'y') + "/001.MP3", mp3);
  }
  for (std::string parent : {std::string(32, 'p'), std::string("q")})
    card.WriteFile("NS/" + parent + "/short/001.MP3", mp3);
  // Titles to sort (BWV keys after the other B keys, double-byte ones after half-width kana),
  // of 33 and 40 bytes, and old names from logs written by hand: UTF-8 of two lines, and empty.
  for (std::string name : {"BWX", "BZ", "BWV 1001", "BWV 1", "C", "AB", "ABC", "ｱb", "亜", "唖",
                           "あいうえおかきくけこさしすせそたちつてと", "U", "E"})
    card.WriteFile("NS/" + name + "/001.MP3", mp3);
  card.WriteFile("NS/" + std::string(31, 'a') + "チ/001.MP3", mp3);
  card.WriteFile("NS/U/RENDIR04.LOG", "\357\273\277Best of 77 Live\nsecond\n");
  card.WriteFile("NS/E/RENDIR04.LOG", "");
  // Listed last, past the folder table's 999 rows; one of them to rename.
  for (int i = 0; i < 484; ++i) card.MakeDir(Numbered("ZFILL/D%03llu", i));
  card.WriteFile("ZFILL/D483/a.mp3", mp3);
  card.MakeDir("ZFILL/Long Name");
  // System folders, folders past the scan's 47 bytes of path (one 234 units deep), and in LONGPATH
  // names and paths too long to rename.
  const std::string four = "DEEPPATH/ABCDEFGH/ABCDEFGH/ABCDEFGH/ABCDEFGH/";  // 45 bytes
  for (std::string dir : {"SYSTEM1", "System Volume Information", "SYS"}) card.MakeDir(dir);
  card.MakeDir(four + "X");
  card.MakeDir(four + "XY");
  std::string deep;
  for (int i = 0; i < 25; ++i) deep += "ABCDEFGH/";
  card.WriteFile("DEEPPATH/" + deep + "a.mp3", mp3);
  card.WriteFile("LONGPATH/" + std::string(130, 't') + ".mp3", mp3);
  card.WriteFile("LONGPATH/" + std::string(128, 'f') + "/in.mp3", mp3);
  card.WriteFile("LONGPATH/" + deep + "Long Named/b.mp3", mp3);  // no room for its new name's log
  card.WriteFile("LONGPATH/" + deep + "ABCDEFGH/c.mp3", mp3);    // no room for its own track log
  // A folder named like an MP3 file, and rename logs to append to in their own encodings: UTF-8,
  // empty, and cut short inside a line (UTF-8, UTF-16 inside a unit and after one).
  card.WriteFile("APPEND/Live Set.mp3/a.mp3", mp3);
  const std::string bom = "\xEF\xBB\xBF";
  card.WriteFile("APPEND/U/RENFIL04.LOG", bom + "001.MP3\told.mp3\r\n");
  card.WriteFile("APPEND/E/RENFIL04.LOG", "");
  card.WriteFile("APPEND/C/RENFIL04.LOG", bom + "001.MP3\told.mp3\r\n00");
  card.WriteFile("APPEND/D/RENFIL04.LOG",
                 Utf16Log("001.MP3\told.mp3\n") + std::string{'0', '\0', '0'});
  card.WriteFile("APPEND/F/RENFIL04.LOG", Utf16Log("001.MP3\told.mp3\n") + std::string{'0', '\0'});
  for (std::string folder : {"U", "E", "C", "D", "F"})
    card.WriteFile("APPEND/" + folder + "/a b.mp3", mp3);
  // Tracks sorting after one that belongs first: shifted onto taken names, which are reported.
  for (int i = 1; i <= 5; ++i) card.WriteFile(Numbered("TAKEN/%03llu.MP3", i), mp3);
  card.WriteFile("TAKEN/RENFIL04.LOG", Utf16Log("001.MP3\tfirst.mp3\n"));
  card.WriteFile("TAKEN/0 Intro.mp3", mp3);
  // Earlier runs' rename log past its 256 rows (001.MP3 renamed twice, 002.MP3 the last row), and
  // display names past 256 rows too, with a line without a TAB, a row without a title, blanks.
  std::string log = "001.MP3\tOne.mp3\n004.MP3\tFour.mp3\n005.MP3\tFive.mp3\n";
  for (int i = 0; i < 252; ++i) log += Numbered("F%03llu.MP3\tgone.mp3\n", i);
  card.WriteFile("NAMES/RENFIL04.LOG",
                 Utf16Log(log + "002.MP3\tTwo.mp3\n003.MP3\tThree.mp3\n001.MP3\tOne again.mp3\n"));
  std::string names =
      "One.mp3\tOldest line\nno tab\r\nOne again.mp3\t\t Newest line\nTwo.mp3\tLast log row\n"
      "Three.mp3\tPast the log\nc.mp3\t\n";
  for (int i = 0; i < 250; ++i) names += Numbered("x%03llu.mp3\tfiller\n", i);
  card.WriteFile("NAMES/表示名04.txt", names + "Four.mp3\tLast name row\nFive.mp3\tPast them\n");
  for (int i = 1; i <= 5; ++i) card.WriteFile(Numbered("NAMES/%03llu.MP3", i), mp3);
}

// The lines of text, sorted: the rename pass reports folders in the filesystem's listing order.
std::string SortedLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  return out;
}

// A run as model 10, title rule 0, with time() fixed (bench_fixed_clock): its status and console
// (sorted), the card's and the temporary folder's paths masked.
std::string RunFixedClock(const TempCard& card, int run) {
  const char* asan = std::getenv("ASAN_OPTIONS");
  std::string options = std::string(asan != nullptr ? asan : "") + ":verify_asan_link_order=0";
  ToolResult r = RunTool(
      "/usr/bin/env",
      {"LD_PRELOAD=" CARDPREP_FIXED_CLOCK, "ASAN_OPTIONS=" + options, CARDPREP_EXE, "--here"},
      card.root().string(), "go\n10\n0\n");
  std::string out;
  std::istringstream lines(r.output);
  for (std::string line; std::getline(lines, line);) {
    if (size_t at = line.find("Tempdir="); at != std::string::npos)
      line.replace(at + 8, std::string::npos, "*");
    if (size_t at = line.find(card.root().string()); at != std::string::npos)
      line.replace(at, card.root().string().size(), "<card>");
    out += line + "\n";
  }
  return Numbered("== run %llu: status ", run) + std::to_string(r.status) + "\n" + SortedLines(out);
}

// " size digest" of bytes (FNV-1a, 64 bits).
std::string SizeAndDigest(const std::string& bytes) {
  unsigned long long hash = 0xCBF29CE484222325u;
  for (char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3u;
  return Numbered(" %llu", bytes.size()) + Numbered(" %016llx", hash);
}

// Every card file but the fonts and MP3 files as "path size digest", by name. A file of the same
// name and bytes in more than eight folders gets one line for all: their count and paths' digest.
std::string FileLines(const Snapshot& card) {
  std::map<std::string, std::string> folders;  // "name size digest" -> "folder/" lines
  for (const auto& [path, bytes] : card) {
    if (bytes == "<folder>" || path.starts_with("_FONT") || path.ends_with(".MP3") ||
        path.ends_with(".mp3"))
      continue;
    const size_t name = path.rfind('/') + 1;  // 0 in the root
    const std::string digest = SizeAndDigest(path == "CARDPREP.LOG" ? SortedLines(bytes) : bytes);
    folders[path.substr(name) + digest] += path.substr(0, name) + "\n";
  }
  std::string out = "== files\n";
  for (const auto& [kind, where] : folders) {
    std::istringstream in(where);
    const auto count = std::count(where.begin(), where.end(), '\n');
    if (count > 8) out += kind + Numbered(" in %llu folders,", count) + SizeAndDigest(where) + "\n";
    for (std::string folder; count <= 8 && std::getline(in, folder);) out += folder + kind + "\n";
  }
  return out;
}

}  // namespace

TEST(LimitsCard, EveryTableLimitIsReportedAndKeptAndASecondRunChangesNothing) {
  namespace fs = std::filesystem;
  TempCard card;
  WriteTestFontSet();
  MakeLimitsCard(card);
  // The first run refuses what is too many or too long to rename; by hand it goes.
  std::string record = RunFixedClock(card, 1);
  record += FileLines(TakeSnapshot(card));
  fs::remove_all(card.root() / "JP" / fs::path(ToUtf16(Kanji(255))));
  fs::remove(card.root() / "MANY/Track 255.mp3");
  fs::remove_all(card.root() / "LONGPATH");
  fs::remove_all(card.root() / "TAKEN");
  const std::string second = RunFixedClock(card, 2);
  const Snapshot prepared = TakeSnapshot(card);
  record += second + FileLines(prepared);
  // A second run rewrites the catalogue with the same bytes and prints the same.
  const std::string third = RunFixedClock(card, 3);
  EXPECT_EQ(Differences(prepared, TakeSnapshot(card)), "");
  // (but for the count of names changed in the summary: none the third time).
  const std::regex renamed("名前を変えたもの [0-9]+|names changed [0-9]+");
  EXPECT_EQ(std::regex_replace(third.substr(third.find('\n')), renamed, ""),
            std::regex_replace(second.substr(second.find('\n')), renamed, ""));

  // The play order from the root: 20 folders with tracks keep the listing order, 21 are shuffled.
  for (int n : {20, 21}) {
    TempCard few;
    WriteTestFontSet();
    for (int i = 0; i < n; ++i) few.WriteFile(Numbered("F%02llu/001.MP3", i), Mp3WithTag({}));
    RunFixedClock(few, 4);
    const std::string list = few.ReadFile("DIRLST10.DAT");
    record += Numbered("== %llu folders, play order:", n);
    for (int k = 0, row = 0; k <= n; ++k) {
      row = static_cast<uint8_t>(list.at((row + 1) * 512 + 82));  // nextRandom's low byte
      record += Numbered(" %llu", row);
    }
    record += "\n";
  }

  const fs::path expected = fs::path(CARDPREP_SOURCE_DIR) / "data/expected-cards/limits-10.txt";
  if (std::getenv("CARDPREP_WRITE_EXPECTED_CARDS") != nullptr)
    std::ofstream(expected, std::ios::binary) << record;
  EXPECT_EQ(ReadPath(expected), record);
}
