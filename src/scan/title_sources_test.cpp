#include "scan/title_sources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "state/run_state.h"
#include "rename/rename_log.h"
#include "testing/id3_builder.h"
#include "testing/rename_card.h"

namespace {

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST(DisplayNameFile, CutsLongColumnsAndNeverSplitsALongLine) {
  ScanCard scan(4);
  // The second line runs past the 255 bytes read of it; its TAB-holding rest is no row.
  scan.card().WriteFile("A/表示名04.txt", std::string(150, 'n') + "\tLong\nx.mp3\t" +
                                              std::string(300, 'T') +
                                              "\tbogus.mp3\tBogus\r\nlast.mp3\tLast\n");
  const RunState& s = scan.state();
  EXPECT_TRUE(ReadDisplayNameFile(scan.state(), ScanCard::ListedPath("A").c_str()));
  std::vector<std::string> rows;
  for (int i = 0; i < s.displayNameCount; ++i)
    rows.push_back(std::string(s.displayNameTable[i].longName) + "|" + s.displayNameTable[i].title);
  EXPECT_EQ(rows, (std::vector<std::string>{std::string(128, 'n') + "|Long",
                                            "x.mp3|" + std::string(249, 'T'), "last.mp3|Last"}));
}

// The rows of a file in each encoding users save in: Shift-JIS, UTF-8 with or without its mark
// (here with a character across the first 4 KiB read), UTF-16 with its mark. First columns compare
// composed: a composed line finds a name a Mac wrote decomposed, and the reverse.
TEST(DisplayNameFile, ReadsEachEncodingAndMatchesFirstColumnsComposed) {
  const std::string text =
      "\u30AB\u3099\u30A4\u30C9.mp3\t\u30AC\u30A4\u30C9\u306E\u6B4C\r\n"
      "Cafe\u0301.mp3\t  Caf\u00E9\n";
  auto utf16 = [&text](bool big) {
    std::string out = big ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t u : ToUtf16(text)) {
      char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
      out += big ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
  };
  const std::string padding = std::string(4094, '#') + "\n";  // a line without TAB: no row
  const std::string sjis = ToCp932("ガイド.mp3\tガイドの歌\r\nCafe.mp3\tCafe\n");
  const std::vector<std::string> rows = {ToCp932("ガイド.mp3|ガイドの歌"), "Cafe.mp3|Cafe"};
  for (const std::string& file : {"\xEF\xBB\xBF" + text, padding + text, utf16(false), utf16(true),
                                  sjis, std::string(5000, '#') + "\n" + sjis}) {
    ScanCard scan(10);
    scan.card().WriteFile("A/表示名04.txt", file);
    scan.card().WriteFile("A/RENFIL04.LOG",
                          Utf16Log("001.MP3\tカ\u3099イド.mp3\n002.MP3\tCafé.mp3\n"));
    const RunState& s = scan.state();
    ASSERT_TRUE(ReadDisplayNameFile(scan.state(), ScanCard::ListedPath("A").c_str()));
    std::vector<std::string> read;
    for (int i = 0; i < s.displayNameCount; ++i)
      read.push_back(std::string(s.displayNameTable[i].longName) + "|" +
                     s.displayNameTable[i].title);
    EXPECT_EQ(read, rows) << file.substr(0, 8);
    testing::internal::CaptureStdout();
    ReadFileRenameLog(scan.state(), ScanCard::ListedPath("A").c_str());
    GetCapturedConsole();
    char title[257], oldName[257];
    EXPECT_EQ(LookUpTrackNames(s, "001.MP3", title, oldName), 1);
    EXPECT_EQ(std::string(title) + "|" + oldName, ToCp932("ガイドの歌|ガイド.mp3"));
    EXPECT_EQ(LookUpTrackNames(s, "002.MP3", title, oldName), 1);
    EXPECT_EQ(std::string(title) + "|" + oldName, "Cafe|Cafe.mp3");
  }
}

class TagTitle : public testing::Test {
 protected:
  // The title read from A/001.MP3 holding the bytes; the work log says when it is empty.
  std::string Read(const std::vector<uint8_t>& bytes) {
    scan_.card().WriteFile("A/001.MP3", bytes);
    char title[257];
    std::memset(title, 'x', sizeof title);
    ReadTagTitle(scan_.state(), ScanCard::ListedPath("A").c_str(), "001.MP3", title);
    EXPECT_LE(std::strlen(title), 256u);
    const std::string noTitle =
        ToCp932("MP3のタグから曲名不明　") + ScanCard::ListedPath("A") + "\r\n";
    EXPECT_EQ(NewLog(), title[0] == 0 ? noTitle : "") << title;
    return title;
  }
  std::string NewLog() {
    std::string log = scan_.WorkLog();
    std::string fresh = log.substr(logSeen_);
    logSeen_ = log.size();
    return fresh;
  }

  ScanCard scan_{10};
  size_t logSeen_ = 0;
};

std::vector<uint8_t> V22(const std::vector<Id3Frame>& f) { return Mp3WithTag(BuildId3v22(f)); }
std::vector<uint8_t> V23(const std::vector<Id3Frame>& f) { return Mp3WithTag(BuildId3v23(f)); }
std::vector<uint8_t> Raw(const std::string& s) { return {s.begin(), s.end()}; }
Id3Frame Tt2(const std::vector<uint8_t>& t) { return Id3TextFrame("TT2", t); }
Id3Frame Tit2(const std::vector<uint8_t>& t, int64_t size = -1) {
  return Id3TextFrame("TIT2", t, size);
}

TEST_F(TagTitle, ReadsTitlesByVersionEncodingAndMarkInsideTheBytesRead) {
  const std::string song = ToCp932("日本の歌"), a = ToCp932("あ");
  const struct {
    std::vector<uint8_t> file;
    std::string title;
  } cases[] = {
      // Version 2.2: the last TT2 wins; UTF-16 little-endian or unmarked; cuts.
      {V22({Tt2(Utf16Text(u"日本の歌"))}), song},
      {V22({Tt2(Utf16Text(u"No mark", Bom::kNone))}), "No mark"},
      {V22({Tt2(Utf16Text(u"Big", Bom::kBigEndian))}), ""},
      {V22({Tt2(Latin1Text("First")), Tt2(Latin1Text("Last"))}), "Last"},
      {V22({Tt2(Latin1Text("Title")), Id3TextFrame("TAL", Latin1Text("TT2abcdFake"))}), "Title"},
      {V22({Tt2(Utf16Text(u"Title")), Id3TextFrame("TAL", Utf16Text(u"TT2\x0100\x0100\x0100 F"))}),
       "Title"},
      {V22({Tt2(Latin1Text("a" + Repeat(a, 200)))}), "a" + Repeat(a, 127)},
      {V22({Tt2(Utf16Text(std::u16string(200, u'あ')))}), Repeat(a, 127)},
      // A TT2 at byte 900 whose text runs past the 1024 bytes read.
      {Raw(std::string("ID3\x02\0\0\0\0\x10\0", 10) + std::string(890, '\0') +
           std::string("TT2\0\x08\0\0", 7) + std::string(1093, 'A')),
       std::string(1024 - 907, 'A')},
      // Version 2.3: the first TIT2 and its frame size; UTF-16 converted.
      {V23({Tit2(Latin1Text("Hello", false), 6)}), "Hello"},
      {V23({Tit2(Latin1Text(std::string(400, 'L'), false), 300)}), std::string(256, 'L')},
      {V23({Tit2(Latin1Text("One")), Tit2(Latin1Text("Two"))}), "One"},
      {V23({Tit2(Latin1Text("Hidden", false), 0)}), ""},
      {Raw(std::string("ID3\x03\0\0\0\0\x10\0", 10) + std::string(990, '\0') +
           std::string("TIT2\0\0\0\xC8\0\0\0", 11) + std::string(989, 'B')),
       std::string(1024 - 1011, 'B')},
      {V23({Tit2(Utf16Text(u"Plain", Bom::kLittleEndian, false)),
            Id3TextFrame("TPE1", Utf16Text(u"Artist"))}),
       "Plain"},
      {V23({Tit2(Utf16Text(u"Longer"), 1 + 2 + 2 * 4)}), "Long"},
      {V23({Tit2(Utf16Text(u"ab" + std::u16string(200, u'あ')))}), "ab" + Repeat(a, 125)},
      {V23({Tit2(Utf16Text(u"Big", Bom::kBigEndian))}), ""},
      {Mp3WithTag(BuildId3(4, {Tit2(Latin1Text("Four"))})), ""},
      {Mp3WithTag({}), ""},
      {{}, ""},
  };
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(Read(cases[i].file), cases[i].title) << "case " << i;

  char title[257] = "old";
  ReadTagTitle(scan_.state(), ScanCard::ListedPath("A").c_str(), "404.MP3", title);
  EXPECT_STREQ(title, "");
  EXPECT_EQ(NewLog(), "fopen error " + ScanCard::ListedPath("A") + "\\404.MP3\r\n");
}

// Files tagged by id3v2 and mutagen (see testdata/README.md).
TEST_F(TagTitle, ReadsTitlesThatRealToolsWrote) {
  auto fixture = [](const char* name) {
    std::ifstream in(std::string(CARDPREP_SOURCE_DIR) + "/src/scan/testdata/" + name,
                     std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  };
  ASSERT_FALSE(fixture("id3v2_tool_v23.mp3").empty());
  EXPECT_EQ(Read(fixture("id3v2_tool_v23.mp3")), "Morning Song");
  EXPECT_EQ(Read(fixture("mutagen_latin1_v23.mp3")), "Evening Song");
  EXPECT_EQ(Read(fixture("mutagen_utf16_v23.mp3")), ToCp932("日本の歌"));
  EXPECT_EQ(Read(fixture("mutagen_utf16_ascii_v23.mp3")), "Plain Title");
  EXPECT_EQ(Read(fixture("mutagen_utf8_v24.mp3")), "");
}

}  // namespace
