#include "scan/title_sources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "driver/run_state.h"
#include "testing/console_text.h"
#include "testing/id3_builder.h"
#include "testing/scan_card.h"
#include "testing/temp_card.h"

namespace {

// --- The display-name file ----------------------------------------------------

// Writes A/表示名04.txt and reads it, with the console output caught.
std::string ReadDisplayNames(ScanCard& scan, const std::string& text) {
  scan.card().WriteFile("A/表示名04.txt", text);
  testing::internal::CaptureStdout();
  EXPECT_TRUE(ReadDisplayNameFile(scan.state(), ScanCard::ListedPath("A").c_str()));
  return GetCapturedConsole();
}

TEST(DisplayNameFile, ReadsTitleAfterTabsAndBlanksAndSkipsLinesWithoutTab) {
  ScanCard scan(10);
  ReadDisplayNames(
      scan, "a.mp3\t\t Title\r\nno tab here\r\n" + ToCp932("曲.mp3\t歌の名前") + "\nc.mp3\t");
  const NameRecord* rows = scan.state().displayNameTable;
  ASSERT_EQ(scan.state().displayNameCount, 3);
  EXPECT_STREQ(rows[0].longName, "a.mp3");
  EXPECT_STREQ(rows[0].title, "Title");
  EXPECT_EQ(rows[1].longName, ToCp932("曲.mp3"));
  EXPECT_EQ(rows[1].title, ToCp932("歌の名前"));
  EXPECT_STREQ(rows[2].title, "");

  scan.card().MakeDir("B");  // without a display-name file
  EXPECT_FALSE(ReadDisplayNameFile(scan.state(), ScanCard::ListedPath("B").c_str()));
  EXPECT_EQ(scan.state().displayNameCount, 0);
}

TEST(DisplayNameFile, KeepsFirst256RowsAndSaysSoOnce) {
  ScanCard scan(4);
  std::string text;
  for (int i = 0; i < 300; ++i) text.append("t.mp3\tT\n");
  std::string out = ReadDisplayNames(scan, text);
  EXPECT_EQ(scan.state().displayNameCount, 256);
  EXPECT_EQ(out, "表示名04.txtの行数制限超過 " + FromCp932(ScanCard::ListedPath("A")) + "\n");
}

TEST(DisplayNameFile, CutsLongFirstColumnAndNeverSplitsALongLine) {
  ScanCard scan(4);
  // The second line runs past the 255 bytes that are read of it; its rest
  // holds a TAB and must not come back as a row of its own.
  ReadDisplayNames(scan, std::string(150, 'n') + "\tLong\nx.mp3\t" + std::string(300, 'T') +
                             "\tbogus.mp3\tBogus\r\nlast.mp3\tLast\n");
  const NameRecord* rows = scan.state().displayNameTable;
  ASSERT_EQ(scan.state().displayNameCount, 3);
  EXPECT_EQ(std::string(rows[0].longName), std::string(128, 'n'));
  EXPECT_EQ(std::string(rows[1].title), std::string(255 - 6, 'T'));
  EXPECT_STREQ(rows[2].longName, "last.mp3");
}

// --- Name lookup ------------------------------------------------------------------

TEST(LookUpTrackNames, FindsTheDisplayTitleOnlyThroughTheRenameLog) {
  auto state = std::make_unique<RunState>();
  std::strcpy(state->fileRenameTable[0].shortName, "003.MP3");
  std::strcpy(state->fileRenameTable[0].longName, "My Song.mp3");
  state->fileRenameCount = 1;
  std::strcpy(state->displayNameTable[0].longName, "My Song.mp3");
  std::strcpy(state->displayNameTable[0].title, "Best Song");
  std::strcpy(state->displayNameTable[1].longName, "005.MP3");
  std::strcpy(state->displayNameTable[1].title, "Kept Name");
  state->displayNameCount = 2;
  char title[257], old[257];

  EXPECT_EQ(LookUpTrackNames(*state, "003.MP3", title, old), 1);
  EXPECT_STREQ(title, "Best Song");
  EXPECT_STREQ(old, "My Song.mp3");
  // A track that kept its name has no log line: the display-name file is
  // not consulted even though it names the track.
  EXPECT_EQ(LookUpTrackNames(*state, "005.MP3", title, old), 0);
  EXPECT_STREQ(title, "");
  EXPECT_STREQ(old, "005.MP3");
}

// --- The ID3v2 tag -----------------------------------------------------------------

class TagTitle : public testing::Test {
 protected:
  TagTitle() : scan_(10) {}

  // The title read from A/001.MP3 holding bytes.
  std::string Read(const std::vector<uint8_t>& bytes) {
    scan_.card().WriteFile("A/001.MP3", bytes);
    char title[257];
    std::memset(title, 'x', sizeof title);
    ReadTagTitle(scan_.state(), ScanCard::ListedPath("A").c_str(), "001.MP3", title);
    EXPECT_LE(std::strlen(title), 256u);
    return title;
  }
  std::string Read(const std::string& bytes) {
    return Read(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  }
  std::string Read(const std::vector<Id3Frame>& frames, int version) {
    return Read(Mp3WithTag(version == 2 ? BuildId3v22(frames) : BuildId3v23(frames)));
  }
  // The work-log lines written since the last call.
  std::string NewLog() {
    std::string log = scan_.WorkLog();
    std::string fresh = log.substr(logSeen_);
    logSeen_ = log.size();
    return fresh;
  }
  std::string NoTitleLine() const {
    return ToCp932("MP3のタグから曲名不明　") + ScanCard::ListedPath("A") + "\r\n";
  }

  ScanCard scan_;
  size_t logSeen_ = 0;
};

TEST_F(TagTitle, Version22TitleByEncodingAndByteOrderMark) {
  EXPECT_EQ(Read({Id3TextFrame("TT2", Latin1Text("Song A"))}, 2), "Song A");
  EXPECT_EQ(Read({Id3TextFrame("TT2", Utf16Text(u"日本の歌"))}, 2), ToCp932("日本の歌"));
  EXPECT_EQ(Read({Id3TextFrame("TT2", Utf16Text(u"No mark", Bom::kNone))}, 2), "No mark");
  EXPECT_EQ(NewLog(), "");
  EXPECT_EQ(Read({Id3TextFrame("TT2", Utf16Text(u"Big", Bom::kBigEndian))}, 2), "");
  EXPECT_EQ(NewLog(), NoTitleLine());
}

TEST_F(TagTitle, Version22LastTitleWinsAndAlbumTextIsPassedOver) {
  EXPECT_EQ(
      Read({Id3TextFrame("TT2", Latin1Text("First")), Id3TextFrame("TT2", Latin1Text("Last"))}, 2),
      "Last");
  // "TT2" inside an album text is not a frame.
  EXPECT_EQ(Read({Id3TextFrame("TT2", Latin1Text("Title")),
                  Id3TextFrame("TAL", Latin1Text("TT2abcdFake"))},
                 2),
            "Title");
  EXPECT_EQ(Read({Id3TextFrame("TT2", Utf16Text(u"Title")),
                  Id3TextFrame("TAL", Utf16Text(u"TT2\x0100\x0100\x0100 Fake"))},
                 2),
            "Title");
}

TEST_F(TagTitle, Version22TitlesAreCutOnCharacterBoundariesInsideTheBytesRead) {
  std::string text = "a";
  for (int i = 0; i < 200; ++i) text += ToCp932("あ");
  EXPECT_EQ(Read({Id3TextFrame("TT2", Latin1Text(text))}, 2), text.substr(0, 255));
  std::string wide;
  for (int i = 0; i < 127; ++i) wide += ToCp932("あ");
  EXPECT_EQ(Read({Id3TextFrame("TT2", Utf16Text(std::u16string(200, u'あ')))}, 2), wide);
  // A TT2 frame at byte 900 whose text has no end inside the first 1024
  // bytes of the file.
  EXPECT_EQ(Read(std::string("ID3\x02\0\0\0\0\x10\0", 10) + std::string(890, '\0') +
                 std::string("TT2\0\x08\0\0", 7) + std::string(1093, 'A')),
            std::string(1024 - 907, 'A'));
}

TEST_F(TagTitle, Version23TitleTakesTheFrameSizeOfTheFirstTitleFrame) {
  EXPECT_EQ(Read({Id3TextFrame("TIT2", Latin1Text("Hello", false), 6)}, 3), "Hello");
  EXPECT_EQ(Read({Id3TextFrame("TIT2", Latin1Text(std::string(400, 'L'), false), 300)}, 3),
            std::string(256, 'L'));
  EXPECT_EQ(
      Read({Id3TextFrame("TIT2", Latin1Text("One")), Id3TextFrame("TIT2", Latin1Text("Two"))}, 3),
      "One");
  // A size running past the 1024 bytes read stops there.
  EXPECT_EQ(Read(std::string("ID3\x03\0\0\0\0\x10\0", 10) + std::string(990, '\0') +
                 std::string("TIT2\0\0\0\xC8\0\0\0", 11) + std::string(989, 'B')),
            std::string(1024 - 1011, 'B'));
  EXPECT_EQ(NewLog(), "");
  EXPECT_EQ(Read({Id3TextFrame("TIT2", Latin1Text("Hidden", false), 0)}, 3), "");
  EXPECT_EQ(NewLog(), NoTitleLine());
}

TEST_F(TagTitle, Version23Utf16TitleIsConvertedAndEndsWithItsFrame) {
  // Encoders often write no terminator: the next frame follows at once.
  EXPECT_EQ(Read({Id3TextFrame("TIT2", Utf16Text(u"Plain", Bom::kLittleEndian, false)),
                  Id3TextFrame("TPE1", Utf16Text(u"Artist"))},
                 3),
            "Plain");
  EXPECT_EQ(Read({Id3TextFrame("TIT2", Utf16Text(u"日本の歌"))}, 3), ToCp932("日本の歌"));
  // A size shorter than the text keeps only the frame's own bytes.
  EXPECT_EQ(Read({Id3TextFrame("TIT2", Utf16Text(u"Longer"), 1 + 2 + 2 * 4)}, 3), "Long");
  // At most 256 bytes of the frame: the mark and 127 units.
  EXPECT_EQ(Read({Id3TextFrame("TIT2", Utf16Text(u"ab" + std::u16string(200, u'あ')))}, 3).size(),
            2u + 2 * 125);
  EXPECT_EQ(NewLog(), "");
  EXPECT_EQ(Read({Id3TextFrame("TIT2", Utf16Text(u"Big", Bom::kBigEndian))}, 3), "");
  EXPECT_EQ(NewLog(), NoTitleLine());
}

TEST_F(TagTitle, OtherVersionsUntaggedAndUnreadableFilesGiveNoTitle) {
  EXPECT_EQ(Read(Mp3WithTag(BuildId3WithVersion(4, {Id3TextFrame("TIT2", Latin1Text("Four"))}))),
            "");
  EXPECT_EQ(Read(Mp3WithTag({})), "");
  EXPECT_EQ(Read(std::vector<uint8_t>{}), "");
  EXPECT_EQ(NewLog(), NoTitleLine() + NoTitleLine() + NoTitleLine());
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
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
  };
  ASSERT_FALSE(fixture("id3v2_tool_v23.mp3").empty());
  EXPECT_EQ(Read(fixture("id3v2_tool_v23.mp3")), "Morning Song");
  EXPECT_EQ(Read(fixture("mutagen_latin1_v23.mp3")), "Evening Song");
  EXPECT_EQ(Read(fixture("mutagen_utf16_v23.mp3")), ToCp932("日本の歌"));
  EXPECT_EQ(Read(fixture("mutagen_utf16_ascii_v23.mp3")), "Plain Title");
  EXPECT_EQ(NewLog(), "");
  EXPECT_EQ(Read(fixture("mutagen_utf8_v24.mp3")), "");
  EXPECT_EQ(NewLog(), NoTitleLine());
}

}  // namespace
