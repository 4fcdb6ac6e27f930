// Names and entries a card should not have, as a POSIX disk can hold them:
// nothing outside the card is ever touched, no old name is lost, and the
// tool's own files are never written through a link.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/e2e_card.h"

namespace {

namespace fs = std::filesystem;

[[maybe_unused]] std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

[[maybe_unused]] void Write(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A '\' in a name is no separator: "..\x.mp3" on the card never reaches the
// card's sibling x.mp3, and a folder "..\other" never pulls in the sibling
// folder. Such names, and names that are no UTF-8, are reported, left as
// they are, and the run ends with status 1.
TEST(HostileNames, NamesFatCannotHoldAreReportedAndNeverBecomePaths) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows makes no such names: it refuses them itself";
#else
  auto card = NewCard();
  fs::path outside = card->root().parent_path() / (card->root().filename().string() + "-beside");
  fs::create_directories(outside / "other");
  Write(outside / "x.mp3", "outside");
  Write(outside / "other" / "y.mp3", "outside too");
  card->WriteFile("..\\x.mp3", "in");
  card->WriteFile("A/a:b.mp3", "colon");
  card->WriteFile("A/good.mp3", "good");
  card->MakeDir("..\\other");
  // Names that are no UTF-8 (Latin-1 bytes), made with the disk's bytes.
  const fs::path root = card->root();
  for (const char* folder : {"A/caf\xe9", "A/caf\xe8"}) {
    fs::create_directories(root / std::string(folder));
    Write(root / std::string(folder) / "t.mp3", folder);
  }
  fs::create_directories(root / "B");
  Write(root / "B" / std::string("caf\xe9.mp3"), "latin-1");
  ToolResult r = RunOn(*card, "go\n4\n");
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("名前にカードで使えない文字があるので名前変更しない"), std::string::npos)
      << r.output;
  EXPECT_EQ(Read(outside / "x.mp3"), "outside");
  EXPECT_EQ(Read(outside / "other" / "y.mp3"), "outside too");
  EXPECT_EQ(card->ReadFile("..\\x.mp3"), "in");
  EXPECT_EQ(card->ReadFile("A/a:b.mp3"), "colon");
  EXPECT_EQ(Read(root / std::string("A/caf\xe9") / "t.mp3"), "A/caf\xe9");
  EXPECT_EQ(Read(root / std::string("A/caf\xe8") / "t.mp3"), "A/caf\xe8");
  EXPECT_EQ(Read(root / "B" / std::string("caf\xe9.mp3")), "latin-1");
  EXPECT_TRUE(fs::is_directory(card->root() / "..\\other"));
  fs::remove_all(outside);
#endif
}

// The tool's own files are written only as themselves: a link in the place
// of one leaves the file it leads to as it was.
TEST(HostileNames, LinksInThePlaceOfTheToolsFilesAreNeverWrittenThrough) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine makes no links (reparse points) for the test to put in the way";
#else
  auto card = NewCard();
  card->WriteFile("diary.txt", "dear diary");
  card->WriteFile("A/a.mp3", "a");
  ASSERT_EQ(symlink("diary.txt", (card->root() / "HIST04.DAT").c_str()), 0);
  ASSERT_EQ(symlink("../diary.txt", (card->root() / "A" / "RENFIL04.LOG").c_str()), 0);
  ToolResult r = RunOn(*card, "go\n4\n");
  EXPECT_EQ(card->ReadFile("diary.txt"), "dear diary") << r.output;
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_EQ(card->ReadFile("A/a.mp3"), "a");  // not moved: its log could not be written

  // A hard link is a link too; the work log in a link's place stops the run.
  fs::remove(card->root() / "HIST04.DAT");
  fs::remove(card->root() / "A" / "RENFIL04.LOG");
  fs::remove(card->root() / "CARDPREP.LOG");
  fs::create_hard_link(card->root() / "diary.txt", card->root() / "CARDPREP.LOG");
  r = RunOn(*card, "go\n4\n");
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_EQ(card->ReadFile("diary.txt"), "dear diary");
#endif
}

// When a folder's RENDIR04.LOG cannot be written, the folder goes back to
// its old name even where a sibling differs from it only in case (FAT could
// not hold both; a case-sensitive disk can, so on Windows the move back is
// tested alone).
TEST(HostileNames, AFolderGoesBackBesideASiblingThatDiffersOnlyInCase) {
  auto card = NewCard();
  card->MakeDir("Blue Outro Rain/RENDIR04.LOG");  // a folder where the log must go
#ifndef _WIN32
  card->WriteFile("blue outro rain", "a file");
#endif
  ToolResult r = RunOn(*card, "go\n6\n");
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_TRUE(fs::is_directory(card->root() / "Blue Outro Rain")) << r.output;
#ifndef _WIN32
  EXPECT_EQ(card->ReadFile("blue outro rain"), "a file");
#endif
}

}  // namespace
