#include "scan/directory_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver/run_state.h"
#include "font/oled_render.h"
#include "font/renderers.h"
#include "testing/console_text.h"
#include "testing/scan_card.h"
#include "testing/temp_card.h"

namespace {

void SetRow(RunState& s, int row, const char* path, const char* name, const char* title) {
  DirectoryEntry& d = s.directories[row];
  std::strcpy(d.path, path);
  std::strcpy(d.shortName, name);
  std::strcpy(d.displayName, title);
}

// The card of the folder scan's example: A and B under the root, A1 and A2
// under A; A1 and B hold tracks and form the play chain B -> A1 -> B.
void FillExampleTable(RunState& s) {
  s.directoryCount = 5;
  s.randomCount = 2;
  s.directories[0].firstChild = 1;
  s.directories[0].childCount = 2;
  SetRow(s, 1, "\\A", "A", "Album A");
  s.directories[1].firstChild = 3;
  s.directories[1].childCount = 2;
  SetRow(s, 2, "\\ABCDEFGH.IJK", "ABCDEFGH.IJK", "B");
  s.directories[2].trackCount = 4;
  SetRow(s, 3, "\\A\\A1", "A1", "A1");
  s.directories[3].parent = 1;
  s.directories[3].trackCount = 12;
  SetRow(s, 4, "\\A\\A2", "A2", "A2");
  s.directories[4].parent = 1;
  s.directories[0].nextRandom = 2;
  s.directories[2].nextRandom = 3;
  s.directories[3].nextRandom = 2;
}

std::string WriteAndRead(ScanCard& scan, const std::string& fileName,
                         std::string* output = nullptr) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(WriteDirectoryList(scan.state()), 1);
  std::string out = GetCapturedConsole();
  if (output != nullptr) *output = out;
  return scan.card().ReadFile(fileName);
}

unsigned U16(const std::string& file, size_t at) {
  return static_cast<uint8_t>(file[at]) | static_cast<uint8_t>(file[at + 1]) << 8;
}
unsigned U8(const std::string& file, size_t at) { return static_cast<uint8_t>(file[at]); }

TEST(DirectoryList, EmptyCardOnModel4IsTheHeaderAndTheRootRecord) {
  ScanCard scan(4);
  scan.state().directoryCount = 1;
  scan.state().directories[0].firstChild = 1;
  std::string file = WriteAndRead(scan, "DIRLST04.DAT");
  std::string expected = std::string("\x01\x00\x00\x00", 4) + std::string(124, '\0');
  expected +=
      std::string(61, '\0') + std::string(1, '\0') + std::string(12, ' ') + std::string(1, '\0');
  expected += std::string("\x02\x00", 2) + std::string(1, '\0') + std::string("\x01\x00", 2) +
              std::string("\x01\x00", 2) + std::string("\x00\x00", 2) + std::string(1, '\0');
  expected += std::string(33, '\0') + std::string(10, '\0');
  EXPECT_EQ(file, expected);
}

TEST(DirectoryList, RecordsCarryLinksAsRecordNumbers) {
  ScanCard scan(6);
  FillExampleTable(scan.state());
  std::string file = WriteAndRead(scan, "DIRLST04.DAT");
  ASSERT_EQ(file.size(), 6u * 128);
  EXPECT_EQ(U16(file, 0), 5u);
  EXPECT_EQ(U16(file, 2), 2u);

  const size_t root = 128, a = 2 * 128, b = 3 * 128, a1 = 4 * 128;
  EXPECT_EQ(U16(file, root + 75), 2u);  // first child A
  EXPECT_EQ(U8(file, root + 77), 2u);
  EXPECT_EQ(U16(file, root + 82), 2u);  // first of the chain: row 2
  EXPECT_EQ(U16(file, a + 75), 4u);     // first child A1
  EXPECT_EQ(U16(file, a + 78), 1u);     // parent: the root's record
  EXPECT_EQ(U16(file, a + 80), 1u);
  EXPECT_EQ(U16(file, b + 75), 0u);  // no subfolder
  EXPECT_EQ(U16(file, b + 82), 3u);
  EXPECT_EQ(U16(file, a1 + 78), 2u);  // parent A
  EXPECT_EQ(U16(file, a1 + 80), 1u);
  EXPECT_EQ(U8(file, a1 + 84), 12u);

  EXPECT_EQ(file.substr(a1, 7), std::string("\\A\\A1\0\0", 7));
  EXPECT_EQ(U8(file, a1 + 61), 5u);
  EXPECT_EQ(file.substr(a1 + 62, 13), std::string("A1          \0", 13));
  EXPECT_EQ(file.substr(a + 85, 33), std::string("Album A") + std::string(26, '\0'));
  EXPECT_EQ(file.substr(a + 118, 10), std::string(10, '\0'));
  EXPECT_EQ(file.substr(b + 62, 13), std::string("ABCDEFGH.IJK\0", 13));  // no space left
}

TEST(DirectoryList, MoreThan255SubfoldersAreCappedAndReportedOnce) {
  ScanCard scan(4);
  RunState& s = scan.state();
  s.directoryCount = 302;
  s.directories[0].firstChild = 1;
  s.directories[0].childCount = 1;
  SetRow(s, 1, "\\BIG", "BIG", "BIG");
  s.directories[1].firstChild = 2;
  s.directories[1].childCount = 300;
  for (int row = 2; row < 302; ++row) {
    SetRow(s, row, "\\BIG\\S", "S", "S");
    s.directories[row].parent = 1;
  }
  std::string output;
  std::string file = WriteAndRead(scan, "DIRLST04.DAT", &output);
  EXPECT_EQ(output, "サブDIR数制限超過 \\BIG 300\n");
  ASSERT_EQ(file.size(), 303u * 128);
  EXPECT_EQ(U8(file, 2 * 128 + 77), 255u);
}

TEST(DirectoryList, Model10And12RecordsCarryTheTwoLineImages) {
  for (int model : {10, 12}) {
    ScanCard scan(model);
    ASSERT_TRUE(scan.UseTestFonts());
    FillExampleTable(scan.state());
    std::string title = ToCp932("日本の歌");
    std::strcpy(scan.state().directories[1].displayName, title.c_str());
    std::string file = WriteAndRead(scan, "DIRLST10.DAT");
    ASSERT_EQ(file.size(), 6u * 512) << "model " << model;

    std::vector<uint8_t> p0(128), p1(128), p2(128);
    MakeTwoLineDataOfString(scan.state(), p0.data(), p1.data(), p2.data(), 128, title.c_str());
    const size_t a = 2 * 512;
    EXPECT_EQ(file.substr(a + 85, 8), title);
    EXPECT_EQ(file.substr(a + 118, 10), std::string(10, '\0'));
    EXPECT_EQ(file.substr(a + 128, 128), std::string(p0.begin(), p0.end()));
    EXPECT_EQ(file.substr(a + 256, 128), std::string(p1.begin(), p1.end()));
    EXPECT_EQ(file.substr(a + 384, 128), std::string(p2.begin(), p2.end()));
    EXPECT_NE(file.substr(a + 128, 128), std::string(128, '\0'));
  }
}

TEST(DirectoryList, Model8RecordsCarryImagesWidthAndLayout) {
  ScanCard scan(8);
  ASSERT_TRUE(scan.UseTestFonts());
  FillExampleTable(scan.state());
  std::string file = WriteAndRead(scan, "DIRLST08.DAT");
  ASSERT_EQ(file.size(), 6u * 1280);

  RunState& s = scan.state();
  std::memset(s.imagePlaneA, 0, sizeof s.imagePlaneA);
  std::memset(s.imagePlaneB, 0, sizeof s.imagePlaneB);
  int32_t layout = -1, width = -1;
  testing::internal::CaptureStdout();
  MakeOLEDdataOfString(s, "Album A", 7, layout, width);
  GetCapturedConsole();
  uint8_t strip[128] = {};
  MakeStripDataOfString(s, strip, "Album A", 7);

  const size_t a = 2 * 1280;
  EXPECT_EQ(U16(file, a + 118), static_cast<unsigned>(width) & 0xFFFF);
  EXPECT_EQ(U8(file, a + 120), static_cast<unsigned>(layout));
  EXPECT_EQ(file.substr(a + 121, 7), std::string(7, '\0'));
  EXPECT_EQ(file.substr(a + 128, 512), std::string(s.imagePlaneA, s.imagePlaneA + 512));
  EXPECT_EQ(file.substr(a + 640, 512), std::string(s.imagePlaneB, s.imagePlaneB + 512));
  EXPECT_EQ(file.substr(a + 1152, 128), std::string(strip, strip + 128));
  EXPECT_GT(width, 0);
}

TEST(DirectoryList, UnreadListingGivesTheHeaderAloneAndAFileInTheWayALine) {
  ScanCard scan(12);
  EXPECT_EQ(WriteAndRead(scan, "DIRLST10.DAT"), std::string(512, '\0'));
  scan.card().MakeDir("DIRLST04.DAT");
  scan.state().playerModel = 4;
  testing::internal::CaptureStdout();
  EXPECT_EQ(WriteDirectoryList(scan.state()), 1);
  std::string output = GetCapturedConsole();
  EXPECT_EQ(output, "DIRLST04.DATの作成でエラー\n");
}

}  // namespace
