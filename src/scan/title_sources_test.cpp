#include "scan/title_sources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/display_text.h"
#include "rename/rename_log.h"
#include "state/run_state.h"
#include "testing/id3_builder.h"
#include "testing/rename_card.h"

namespace {

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST(DisplayNameFile, CutsLongColumnsReadsEachEncodingAndMatchesFirstColumnsComposed) {
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
  // Each encoding users save in; a composed first column finds a name a Mac wrote decomposed.
  const std::string text =
      "\u30AB\u3099\u30A4\u30C9.mp3\t\u30AC\u30A4\u30C9\u306E\u6B4C\r\n"
      "Cafe\u0301.mp3\t  Caf\u00E9\n";
  auto utf16 = [&text](bool big) {  // the id3 builder's text, after its encoding byte
    const std::vector<uint8_t> bytes =
        Utf16Text(ToUtf16(text), big ? Bom::kBigEndian : Bom::kLittleEndian, false);
    return std::string(bytes.begin() + 1, bytes.end());
  };
  const std::string padding = std::string(4094, '#') + "\n";  // a line without TAB: no row
  const std::string sjis = ToCp932("ガイド.mp3\tガイドの歌\r\nCafe.mp3\tCafe\n");
  const std::vector<std::string> composed = {ToCp932("ガイド.mp3|ガイドの歌"), "Cafe.mp3|Cafe"};
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
    EXPECT_EQ(read, composed) << file.substr(0, 8);
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

std::vector<uint8_t> Tag(uint8_t major, const std::vector<Id3Frame>& frames, uint8_t flags = 0) {
  return Mp3WithTag(BuildId3(major, frames, flags));
}
std::vector<uint8_t> Raw(const std::string& s) { return {s.begin(), s.end()}; }
std::vector<uint8_t> Cat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
Id3Frame Tt2(const std::vector<uint8_t>& t) { return Id3TextFrame("TT2", t); }
Id3Frame Tit2(const std::vector<uint8_t>& t, int64_t size = -1) {
  return Id3TextFrame("TIT2", t, size);
}
std::vector<uint8_t> Utf8Text(const std::string& utf8) { return Cat({3}, Raw(utf8 + '\0')); }
// An ID3v1 tag: "TAG", the title field (30 bytes, zero-filled), the rest zero.
std::vector<uint8_t> V1(const std::string& title) {
  std::vector<uint8_t> tag = Raw("TAG" + title);
  tag.resize(128, 0);
  return tag;
}
// A chapter (CHAP) or table of contents (CTOC) frame holding a title frame of its own.
Id3Frame Holding(const std::string& id, const std::string& title) {
  std::string head = id == "CHAP" ? std::string("ch1\0", 4) + std::string(16, '\x01')
                                  : std::string("toc\0\x03\x01", 6) + std::string("ch1\0", 4);
  return {id, Cat(Raw(head), Id3FrameBytes(3, Tit2(Latin1Text(title))))};
}
// The tag with an extended header (ext: its bytes) put in after the tag header.
std::vector<uint8_t> Extended(std::vector<uint8_t> tag, const std::vector<uint8_t>& ext) {
  tag[5] |= 0x40;
  tag.insert(tag.begin() + 10, ext.begin(), ext.end());
  tag[9] = static_cast<uint8_t>(tag[9] + ext.size());  // the small tags here stay below 128
  return Mp3WithTag(tag);
}
std::string Display(const std::u16string& text) {
  char out[257];
  DisplayTextFromWide(text.c_str(), out, sizeof out);
  return out;
}

TEST_F(TagTitle, ReadsEveryVersionAndEncodingThenId3v1) {
  const std::string song = ToCp932("日本の歌"), a = ToCp932("あ");
  std::vector<uint8_t> utf16be = Utf16Text(u"日本の歌", Bom::kBigEndian);
  utf16be.erase(utf16be.begin(), utf16be.begin() + 3);
  utf16be.insert(utf16be.begin(), 2);
  const struct {
    std::vector<uint8_t> file;
    std::string title;
  } cases[] = {
      {Tag(2, {Tt2(Utf16Text(u"日本の歌"))}), song},
      {Tag(2, {Tt2(Utf16Text(u"Big", Bom::kBigEndian))}), "Big"},
      {Tag(3, {Tit2(Utf16Text(u"No mark", Bom::kNone))}), "No mark"},
      {Tag(4, {Tit2(Utf8Text("日本の歌"))}), song},
      {Tag(4, {Tit2(utf16be)}), song},
      // Single bytes: Shift-JIS as they stand when they are code page 932, else ISO-8859-1.
      {Tag(3, {Tit2(Latin1Text(song))}), song},
      {Tag(3, {Tit2(Latin1Text("Bj\xf6rk - J\xf3ga"))}), Display(u"Björk - Jóga")},
      {Tag(2, {Tt2(Latin1Text("Caf\xe9 Noir"))}), Display(u"Café Noir")},
      // The first title frame; cut at 256 bytes on a character boundary.
      {Tag(3, {Tit2(Latin1Text("One")), Tit2(Latin1Text("Two"))}), "One"},
      {Tag(2, {Tt2(Latin1Text(std::string("a") + Repeat(a, 200)))}),
       std::string("a") + Repeat(a, 127)},
      {Tag(3, {Tit2(Utf16Text(std::u16string(200, u'あ')))}), Repeat(a, 128)},
      {Tag(4, {Tit2(Utf8Text(std::string("a") + Repeat("あ", 200)))}),
       std::string("a") + Repeat(a, 127)},
      {Tag(3, {Tit2(Latin1Text(std::string(400, 'L')))}), std::string(256, 'L')},
      // ID3v1 when the ID3v2 tag has no title (or there is none).
      {Cat(Tag(3, {Id3TextFrame("TPE1", Latin1Text("Artist"))}), V1("Old Title  ")), "Old Title"},
      {Cat(Mp3WithTag({}), V1(song)), song},
      {Cat(Mp3WithTag({}), V1("Mot\xf6rhead")), Display(u"Motörhead")},
      {Cat(Tag(5, {Tit2(Latin1Text("Five"))}), V1("")), ""},
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

TEST_F(TagTitle, WalksTopLevelFramesByTheirSizesOverTheWholeTag) {
  std::vector<uint8_t> lying = BuildId3(3, {Tit2(Latin1Text("Lying"))});
  std::fill(lying.begin() + 6, lying.begin() + 10, 0x7F);  // the tag's size runs past the file
  std::vector<uint8_t> cutShort = lying;
  cutShort.resize(18);  // the file ends inside the title frame
  std::vector<uint8_t> dli = Cat({0, 0, 0, 21}, Utf16Text(u"\u00ff\u00ff Per frame"));
  const struct {
    std::vector<uint8_t> file;
    std::string title;
  } cases[] = {
      // A title without its terminator never runs into the next frame.
      {Tag(2, {Tt2(Latin1Text("Song A", false)), Id3TextFrame("TP1", Latin1Text("Artist"))}),
       "Song A"},
      {Tag(3, {Holding("CHAP", "Chapter 1"), Tit2(Latin1Text("Episode 5"))}), "Episode 5"},
      {Tag(3, {Holding("CTOC", "Contents"), Holding("CHAP", "Chapter 1")}), ""},
      {Tag(3, {Id3Frame{"APIC", std::vector<uint8_t>(300000, 0xFF)}, Tit2(Latin1Text("Cover"))}),
       "Cover"},
      {Tag(4, {Id3TextFrame("TPE1", Latin1Text(std::string(300, 'x'))), Tit2(Utf8Text("After"))}),
       "After"},
      {Tag(2, {Id3Frame{"TP1", {}}, Tt2(Latin1Text("Zero size before"))}), "Zero size before"},
      {Tag(3, {Id3Frame{std::string(4, '\0'), {}}, Tit2(Latin1Text("In the padding"))}), ""},
      {Tag(3, {Tit2(Latin1Text("Past the tag"), 100)}), ""},
      {Mp3WithTag(lying), "Lying"},
      {cutShort, ""},
      // Unsynchronisation undone: the whole tag (2.3), a frame (2.4, after its data length).
      {Tag(3, {Tit2(Utf16Text(u"\u00ff\u00ff Whole tag"))}, 0x80),
       Display(u"\u00ff\u00ff Whole tag")},
      {Tag(4, {Id3Frame{"TIT2", dli, -1, 0x03}}), Display(u"\u00ff\u00ff Per frame")},
      {Extended(BuildId3(3, {Tit2(Latin1Text("Ext 2.3"))}), {0, 0, 0, 6, 0, 0, 0, 0, 0, 0}),
       "Ext 2.3"},
      {Extended(BuildId3(4, {Tit2(Latin1Text("Ext 2.4"))}), {0, 0, 0, 6, 1, 0}), "Ext 2.4"},
      // A compressed or encrypted title is passed over.
      {Cat(Tag(3, {Id3Frame{"TIT2", Latin1Text("Packed"), -1, 0x80}}), V1("From v1")), "From v1"},
      {Tag(4, {Id3Frame{"TIT2", Latin1Text("Sealed"), -1, 0x04}}), ""},
  };
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(Read(cases[i].file), cases[i].title) << "case " << i;
}

}  // namespace
