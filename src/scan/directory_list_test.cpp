#include "scan/directory_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/run_state.h"
#include "testing/console_text.h"
#include "testing/scan_card.h"

namespace {

void SetRow(RunState& s, int row, const char* path, const char* name, int parent = 0) {
  std::strcpy(s.directories[row].path, path);
  std::strcpy(s.directories[row].shortName, name);
  std::strcpy(s.directories[row].displayName, name);
  s.directories[row].parent = static_cast<uint16_t>(parent);
}

// A and B under the root, A1 and A2 under A; B and A1 hold tracks and form
// the play chain B -> A1 -> B.
void FillExampleTable(RunState& s) {
  DirectoryEntry* d = s.directories;
  s.directoryCount = 5;
  s.randomCount = 2;
  SetRow(s, 1, "\\A", "A");
  std::strcpy(d[1].displayName, "Album A");
  SetRow(s, 2, "\\ABCDEFGH.IJK", "ABCDEFGH.IJK");
  SetRow(s, 3, "\\A\\A1", "A1", 1);
  SetRow(s, 4, "\\A\\A2", "A2", 1);
  d[0].firstChild = 1, d[0].childCount = 2, d[1].firstChild = 3, d[1].childCount = 2;
  d[2].trackCount = 4, d[3].trackCount = 12;
  d[0].nextRandom = 2, d[2].nextRandom = 3, d[3].nextRandom = 2;
}

std::string WriteAndRead(ScanCard& scan, const std::string& fileName, std::string* out = nullptr) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(WriteDirectoryList(scan.state()), 1);
  std::string printed = GetCapturedConsole();
  if (out != nullptr) *out = printed;
  return scan.card().ReadFile(fileName);
}

TEST(DirectoryList, RecordsCarryLinksAsRecordNumbersAndAtMost255Subfolders) {
  ScanCard scan(6);
  FillExampleTable(scan.state());
  std::string file = WriteAndRead(scan, "DIRLST04.DAT");
  ASSERT_EQ(file.size(), 6u * 128);
  EXPECT_EQ(file.substr(0, 4), std::string("\5\0\2\0", 4));
  // Bytes 75 to 84: first child, child count, parent, grandparent, chain, tracks.
  const char* links[] = {"\2\0\2\1\0\1\0\2\0\0", "\4\0\2\1\0\1\0\0\0\0", "\0\0\0\1\0\1\0\3\0\4",
                         "\0\0\0\2\0\1\0\2\0\x0C", "\0\0\0\2\0\1\0\0\0\0"};
  for (int row = 0; row < 5; ++row)
    EXPECT_EQ(file.substr((row + 1) * 128 + 75, 10), std::string(links[row], 10)) << row;
  EXPECT_EQ(file.substr(4 * 128, 75),
            "\\A\\A1" + std::string(56, '\0') + "\5A1" + std::string(10, ' ') + '\0');
  EXPECT_EQ(file.substr(2 * 128 + 85, 43), "Album A" + std::string(36, '\0'));
  EXPECT_EQ(file.substr(3 * 128 + 62, 13), std::string("ABCDEFGH.IJK\0", 13));
  // More than 255 subfolders: one line with the real count, 255 in the file.
  scan.state().directories[1].childCount = 300;
  std::string out;
  file = WriteAndRead(scan, "DIRLST04.DAT", &out);
  EXPECT_EQ(out, "サブDIR数制限超過 \\A 300\n");
  EXPECT_EQ(file.substr(2 * 128 + 75, 3), std::string("\4\0\xFF", 3));
}

TEST(DirectoryList, GraphicModelRecordsCarryTheTitleImages) {
  for (int model : {8, 10, 12}) {
    ScanCard scan(model);
    ASSERT_TRUE(scan.UseTestFonts());
    FillExampleTable(scan.state());
    std::string title = ToCp932("日本の歌") + " folder, a long title";  // not layout 0
    std::strcpy(scan.state().directories[1].displayName, title.c_str());
    size_t size = model == 8 ? 1280 : 512;
    std::string file = WriteAndRead(scan, model == 8 ? "DIRLST08.DAT" : "DIRLST10.DAT");
    ASSERT_EQ(file.size(), 6 * size) << model;
    ScanCard::Images im = scan.TitleImages(title);
    EXPECT_NE(im.images, std::string(im.images.size(), '\0'));
    EXPECT_EQ(file.substr(2 * size + 85, size - 85),
              title + std::string(33 - title.size(), '\0') + im.head +
                  std::string(10 - im.head.size(), '\0') + im.images)
        << model;
  }
}

TEST(DirectoryList, EmptyCardOrUnreadListingGiveTheRootOrTheHeaderAlone) {
  ScanCard scan(4);
  EXPECT_EQ(WriteAndRead(scan, "DIRLST04.DAT"), std::string(128, '\0'));  // unread listing
  scan.state().directoryCount = 1;
  scan.state().directories[0].firstChild = 1;
  std::string header = std::string("\1\0\0\0", 4) + std::string(124, '\0');
  std::string root = std::string(62, '\0') + std::string(12, ' ') +
                     std::string("\0\2\0\0\1\0\1\0\0\0\0", 11) + std::string(43, '\0');
  EXPECT_EQ(WriteAndRead(scan, "DIRLST04.DAT"), header + root);
  scan.card().MakeDir("DIRLST10.DAT");  // a folder in the way
  scan.state().playerModel = 12;
  testing::internal::CaptureStdout();
  EXPECT_EQ(WriteDirectoryList(scan.state()), 1);
  EXPECT_EQ(GetCapturedConsole(), "DIRLST10.DATの作成でエラー\n");
}

}  // namespace
